#include "link/event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

#include "link/millisecond_timer.h"

PumpEnd PumpUntil(const std::function<bool()>& met, uint32_t ms,
                  const std::function<bool()>& lost) {
  MillisecondTimer clock;
  clock.start();
  QTimer deadline;  // wakes the event loop when the time is up
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  for (;;) {
    if (met && met()) return PumpEnd::Met;
    if (lost && lost()) return PumpEnd::Lost;
    if (clock.expired(ms)) return PumpEnd::Deadline;
    if (!deadline.isActive()) {
      const uint32_t left = ms - std::min<uint32_t>(ms, clock.elapsed());
      deadline.start(static_cast<int>(std::min<uint32_t>(left, 0x7FFFFFFE)) + 1);
    }
    // Blocks until the link, a timer, a signal pipe or the user produces an event.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}
