// Drives the real window and its real dialogs against the simulator and saves pictures of them:
// the open-port dialog, the main window after identification and a short read loop, the tag
// table, the progress dialog of the port scan and the reader check with its plot. Run under a
// display (xvfb-run) by scripts/screenshots.sh; not a test.
//
//   screenshot_tour --lang ja|en --out DIR
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/app_paths.h"
#include "core/ini_file.h"
#include "core/language.h"
#include "link/port_registry.h"
#include "maintenance/widgets/reader_check_window.h"
#include "prompts/widgets/widget_prompts.h"
#include "shell/main_window.h"
#include "sim/scenario.h"
#include "sim/simulator.h"

namespace {

QWidget* VisibleTopLevel(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->objectName() == name) return w;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  std::string lang = "ja", outDir = "docs/screenshots";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--lang") == 0) lang = argv[i + 1];
    if (std::strcmp(argv[i], "--out") == 0) outDir = argv[i + 1];
  }
  const bool english = lang == "en";
  std::filesystem::create_directories(outDir);

  char dir[] = "/tmp/qzh-tour-XXXXXX";
  if (!::mkdtemp(dir)) return 2;
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  std::filesystem::create_directories(std::string(dir) + "/sys");
  port_registry::SetScanRoots(std::string(dir) + "/sys", std::string(dir) + "/sys");

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // The language of the process, and settings and override that agree with it, so that the
  // language check never restarts anything.
  const std::string exe = std::string(dir) + "/bin/QZH900Tool";
  language::InstallLanguage(app, english, exe);
  language::WriteLocaleOverride(exe,
                                english ? language::kEnglishOverride : language::kJapaneseOverride);
  {
    IniFile ini(app_paths::SettingsPath());
    ini.WriteInteger("Option", "LanguageFlag", english ? 0 : 1);
    ini.WriteInteger("ComDebug", "Port", 9);
    ini.WriteInteger("ComDebug", "LastWorkingPort", 9);
    IniFile::CreateFolders(IniFile::FolderOf(app_paths::SettingsPath()));
    ini.Save();
  }

  sim::SimulatorOptions so;
  so.comNumber = 9;
  so.module.streamInterval = std::chrono::milliseconds(300);
  sim::Simulator simulator(so, std::make_shared<sim::Field>(sim::DefaultTags()));
  std::string error;
  if (!simulator.Start(&error)) {
    std::fprintf(stderr, "screenshot_tour: simulator: %s\n", error.c_str());
    return 2;
  }

  RegisterReaderCheckWindow();
  MainWindowOptions options;
  options.makePrompts = [](QWidget* w) { return std::make_unique<WidgetPrompts>(w); };
  options.exePath = exe;
  TTirisAppForm form(options);
  form.resize(820, 560);
  // In the middle of the screen, where the dialogs open too.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  form.move(screen.center() - QPoint(410, 280));

  auto save = [&](QWidget* w, const std::string& name) {
    const std::string path = outDir + "/" + name + "_" + lang + ".png";
    if (!w->grab().save(QString::fromStdString(path))) {
      std::fprintf(stderr, "screenshot_tour: cannot write %s\n", path.c_str());
      QApplication::exit(1);
    }
    std::printf("%s\n", path.c_str());
  };
  // The screen where the main window is, with whatever dialog stands over it.
  auto saveScreen = [&](const std::string& name) {
    const QRect r = form.frameGeometry();
    const QPixmap shot =
        QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    const std::string path = outDir + "/" + name + "_" + lang + ".png";
    if (!shot.save(QString::fromStdString(path))) QApplication::exit(1);
    std::printf("%s\n", path.c_str());
  };
  auto later = [&](std::function<void()> f) { QTimer::singleShot(0, &form, std::move(f)); };

  // The tour as steps; a timer advances it, also while dialogs and waits run their own loops.
  int step = 0;
  QElapsedTimer since;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    switch (step) {
      case 0:  // the open-port dialog of the start-up
        if (QWidget* d = VisibleTopLevel("TOpenCom1Dlg")) {
          step = 1;
          save(d, "open_port_dialog");
          d->findChild<QAbstractButton*>("OKBtn")->click();
        }
        break;
      case 1:  // identified; then a short read loop fills the tag table
        if (form.App().ReaderLevel != 0 && !form.App().Busy()) {
          step = 2;
          form.FlushLog();
          save(&form, "main_window");
          since.start();
          later([&] { form.RunItem("TB_TEST2"); });
        }
        break;
      case 2:
        if (since.elapsed() > 1500 && !form.App().Busy()) {
          step = 3;
          later([&] {
            form.RunItem("TB_TEST3");
            form.RunItem("TB_TEST3");  // an ID frame in flight may answer the first
            form.PageControl1->setCurrentIndex(1);
            save(&form, "tag_table");
            form.PageControl1->setCurrentIndex(0);
            step = 4;
            form.RunItem("MnSetCOM");
          });
        }
        break;
      case 4:  // "COM Port..." with automatic check
        if (QWidget* d = VisibleTopLevel("TOpenCom1Dlg")) {
          step = 5;
          d->findChild<QCheckBox*>("CBAutoCheck")->setChecked(true);
          d->findChild<QAbstractButton*>("OKBtn")->click();
        }
        break;
      case 5:  // the scan's progress dialog, once it names a port
        if (QWidget* g = VisibleTopLevel("TGuage1Dlg")) {
          auto* label = g->findChild<QLabel*>("Label1");
          if (label && label->text().contains("COM")) {
            step = 6;
            saveScreen("scan_progress");
          }
        }
        break;
      case 6:
        if (!form.App().Busy() && !VisibleTopLevel("TGuage1Dlg")) {
          step = 7;
          later([&] { form.RunItem("MnReaderCheck"); });
        }
        break;
      case 7:  // "Reader check...": the power sweep without the link count
        if (QWidget* d = VisibleTopLevel("ReaderCheckWindow")) {
          step = 8;
          d->resize(760, 720);
          d->findChild<QCheckBox*>("CBLink")->setChecked(false);
          d->findChild<QAbstractButton*>("BtStart")->click();
        }
        break;
      case 8:  // the check is done when Start is offered again
        if (QWidget* d = VisibleTopLevel("ReaderCheckWindow")) {
          auto* start = d->findChild<QAbstractButton*>("BtStart");
          if (start && start->isEnabled()) {
            step = 9;
            save(d, "reader_check");
            d->findChild<QAbstractButton*>("BtClose")->click();
          }
        }
        break;
      case 9:
        if (!form.App().Busy() && !VisibleTopLevel("ReaderCheckWindow")) {
          step = 10;
          QApplication::exit(0);
        }
        break;
    }
  });
  tick.start(50);
  QTimer::singleShot(90000, [&] {
    std::fprintf(stderr, "screenshot_tour: stuck at step %d\n", step);
    QApplication::exit(1);
  });
  form.show();
  const int rc = app.exec();
  tick.stop();
  form.hide();
  simulator.Stop();
  std::filesystem::remove_all(dir);
  return rc;
}
