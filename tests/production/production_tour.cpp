// Pictures of the production window for docs/screenshots (scripts/screenshots.sh): the set-up
// filled in, the running tab after an OK and after an NG, and the summary, against the simulator
// with a tray of SIC7888 tags (the third takes another code than the one written).
//
//   production_tour --lang ja|en --out DIR        DIR/production_<what>_<lang>.png
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <span>

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "core/language.h"
#include "core/log_pane.h"
#include "production/series_program_dlg.h"
#include "production/widgets/series_program_dialog.h"
#include "prompts/widgets/widget_prompts.h"
#include "sim/chips/sic7888.h"
#include "sim/simulator.h"
#include "tests/support/weak_sic7888.h"

namespace {

using D = TSeriesProgramDlg;
using production::Step;

}  // namespace

int main(int argc, char** argv) {
  std::string lang = "ja", outDir = "docs/screenshots";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--lang") == 0) lang = argv[i + 1];
    if (std::strcmp(argv[i], "--out") == 0) outDir = argv[i + 1];
  }
  std::filesystem::create_directories(outDir);
  char dir[] = "/tmp/qzh-production-tour-XXXXXX";
  if (!::mkdtemp(dir)) return 2;
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  QApplication app(argc, argv);
  language::InstallLanguage(app, lang == "en");

  sim::SimulatorOptions so;
  so.wireTime = false;
  auto field = std::make_shared<sim::Field>();
  sim::Simulator simulator(so, field);
  std::string error;
  if (!simulator.Start(&error)) {
    std::fprintf(stderr, "production_tour: simulator: %s\n", error.c_str());
    return 2;
  }
  MemoryLogPane log;
  WidgetPrompts prompts(nullptr);
  const std::string settings = std::string(dir) + "/QZH900Tool.ini";
  AppCore core(log, prompts, settings);
  auto comm = std::make_unique<TTirisC1Dlg>(settings, &log);
  comm->SetBaudRate(TBaudRate::br57600);
  comm->OpenNamedPort(simulator.DevicePath());
  core.SetComm(std::move(comm));
  RegisterSeriesProgramDialogRenderer();

  std::deque<sim::TagPtr> tray;
  // Five planned codes: six tags, the third's code going to the fourth.
  for (uint32_t i = 1; i <= 6; ++i)
    tray.push_back(i == 3 ? std::make_shared<WeakSic7888>(0x78880000u + i)
                          : std::make_shared<sim::Sic7888Tag>(0x78880000u + i));
  TSeriesProgramDlg dlg(core, fdx::IdChip::Sic7888);
  TSeriesProgramDialog* shown = nullptr;
  int failed = 0;
  auto save = [&](const std::string& what) {
    const std::string path = outDir + "/production_" + what + "_" + lang + ".png";
    if (!shown || !shown->grab().save(QString::fromStdString(path))) {
      std::fprintf(stderr, "production_tour: cannot write %s\n", path.c_str());
      failed = 1;
    }
    std::printf("%s\n", path.c_str());
  };
  int waits = 0;
  dlg.onStep = [&](Step step) {
    if (step == Step::WaitingForTag) {
      ++waits;
      if (waits == 3) save("running_ok");
      if (waits == 4) save("running_ng");
      if (field->Size() == 0 && !tray.empty()) {
        field->Insert(tray.front());
        tray.pop_front();
      }
    } else if (step == Step::RemoveTag && field->Size() > 0) {
      field->Remove(0);
    }
  };
  bool started = false;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<TSeriesProgramDialog*>(top); d && d->isVisible()) shown = d;
    if (!shown) return;
    auto* start = shown->findChild<QPushButton*>(D::kStart);
    auto type = [&](const char* f, const std::string& text) {
      auto* edit = shown->findChild<QLineEdit*>(f);
      edit->selectAll();
      QTest::keyClicks(edit, QString::fromStdString(text));
    };
    if (!started) {
      started = true;
      type(D::kNational, "081500000001");
      type(D::kPlanned, "5");
      type(D::kLedger, std::string("sqlite:") + dir + "/ledger.sqlite");
      type(D::kResults, std::string(dir) + "/tray-17.csv");
      type(D::kStation, "line1");
      save("setup");
      start->click();
    } else if (start->isEnabled() && dlg.Form().activePage == D::kSummaryPage) {
      poll.stop();
      save("summary");
      shown->findChild<QPushButton*>(D::kClose)->click();
    }
  });
  poll.start();
  dlg.Run();
  simulator.Stop();
  std::filesystem::remove_all(dir);
  return failed;
}
