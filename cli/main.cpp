// qzh900ctl: the tool's functions from the command line, with the same code paths as the window.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "cli/verbs.h"

int main(int argc, char** argv) {
  // The reader check draws its plot with the system's fonts, which need a GUI application; it
  // runs on the offscreen platform, so no display is needed. Every other verb stays without.
  std::unique_ptr<QCoreApplication> app;
  if (argc > 1 && std::strcmp(argv[1], "check") == 0) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  return CliMain(std::vector<std::string>(argv + 1, argv + argc));
}
