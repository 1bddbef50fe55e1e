// gtest main with a Qt application object, so that tests can pump the event loop (the exchange
// waits by processing events). GUI tests get a QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#ifdef QZH_TEST_GUI
#include <QApplication>
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
#ifdef QZH_TEST_GUI
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
#else
  QCoreApplication app(argc, argv);
#endif
  return RUN_ALL_TESTS();
}
