// qzh900ctl: the tool's functions from the command line, with the same code paths as the window.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "cli/verbs.h"

namespace {

QtMessageHandler gQtHandler = nullptr;

// The offscreen platform asks for the runtime folder, which a service or a login without a
// session lacks; Qt then warns and uses a folder of its own. Nothing the user can act on: not
// on standard error.
void QuietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && text.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
  if (gQtHandler) gQtHandler(type, context, text);
}

// The verb, past the common options written before it.
bool VerbIs(int argc, char** argv, const char* verb) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], verb) == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  gQtHandler = qInstallMessageHandler(QuietQtMessages);
  // The reader check draws its plot with the system's fonts, which need a GUI application; it
  // runs on the offscreen platform, so no display is needed. Every other verb stays without.
  std::unique_ptr<QCoreApplication> app;
  if (VerbIs(argc, argv, "check")) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  return CliMain(std::vector<std::string>(argv + 1, argv + argc));
}
