// QZH900Tool: the language of the process, the main window, the module check, the event loop.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "core/language.h"
#include "hdx/widgets/hdx_renderers.h"
#include "maintenance/widgets/reader_check_window.h"
#include "production/widgets/series_program_dialog.h"
#include "prompts/scripted_prompts.h"
#include "prompts/widgets/widget_prompts.h"
#include "shell/main_window.h"
#include "version.h"

namespace {

// An exception that reaches the event loop is shown, and the loop goes on.
class TApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      Show(e.what());
    } catch (...) {
      Show("Unexpected error");
    }
    return false;
  }

 private:
  static void Show(const char* text) {
    QMessageBox::critical(activeWindow(), "Error", QString::fromUtf8(text));
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Before the application: --version needs no display.
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("QZH900Tool %s\n", version::kPackageVersion);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  TApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string exe = language::ExecutablePath();
  const int restartCounter = language::RestartCounterFromArgs(args);
  language::InstallLanguage(app, language::ReadLocaleOverride(exe) == language::kEnglishOverride,
                            exe);

  RegisterHdxDialogRenderers();
  RegisterReaderCheckWindow();
  RegisterSeriesProgramDialogRenderer();
  MainWindowOptions options;
  options.makePrompts = [](QWidget* window) { return std::make_unique<WidgetPrompts>(window); };
  // For benchmarks of the start-up: QZH900TOOL_AUTOSTART=1 answers every dialog at once with what
  // it shows (the open-port dialog thus opens the port of the settings file), prints the log on
  // standard output as soon as the start-up has written its "OK: Open" or "NG: Open" line, and
  // closes the program.
  const bool autoStart = std::getenv("QZH900TOOL_AUTOSTART") != nullptr;
  if (autoStart) options.makePrompts = [](QWidget*) { return std::make_unique<ScriptedPrompts>(); };
  options.exePath = exe;
  TTirisAppForm form(std::move(options));
  form.Shell().RestartCounter = restartCounter;

  if (!language::FirstArgumentIs(args, language::kRebootArgument)) {
    const language::EntryDecision d = language::ModuleCheckAtEntry(exe, args, restartCounter);
    if (d.restart) {
      // The new process takes over; this one closes without showing its window.
      form.ShutDownUnshown();
      return 0;
    }
  }
  form.show();
  QTimer startWatch;
  int seen = 0;
  if (autoStart) {
    QObject::connect(&startWatch, &QTimer::timeout, &form, [&] {
      if (form.App().Log().LineCount() == seen) return;
      seen = form.App().Log().LineCount();
      const QStringList lines = form.LogLines();
      bool opened = false;
      for (const QString& line : lines)
        opened = opened || line.startsWith("OK: Open ") || line.startsWith("NG: Open ");
      if (!opened) return;
      startWatch.stop();
      for (const QString& line : lines) std::printf("%s\n", line.toUtf8().constData());
      std::fflush(stdout);
      QTimer::singleShot(0, &form, [&] {
        form.close();
        QApplication::quit();
      });
    });
    startWatch.start(1);
  }
  return app.exec();
}
