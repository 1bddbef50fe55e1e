#include "tests/support/wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace test_support {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  QTimer tick;
  tick.start(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

}  // namespace test_support
