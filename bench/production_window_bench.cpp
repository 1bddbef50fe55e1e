// The production window's cost per tag: a planned series of N blank SIC7888 tags fed by the
// simulated module (57600 bit/s wire time, 30 ms air time per command, the feed's 50 ms gap),
// once through the series engine as the command runner shows it (its progress lines formatted and
// written out) and once through the "Series programming..." window (offscreen, its own look),
// each on a new SQLite ledger. Prints the mean cycle per tag (from one tag's write to the next
// one's) of both and the window's share on top (target: at most 5 %).
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/app_core.h"
#include "core/log_pane.h"
#include "ledger/ledger.h"
#include "production/series_program_dlg.h"
#include "production/series_run.h"
#include "production/station.h"
#include "production/widgets/series_program_dialog.h"
#include "prompts/widgets/widget_prompts.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using D = TSeriesProgramDlg;
constexpr int kTags = 60;

// The simulated module with its feed and the window's core on its port.
struct World {
  explicit World(const std::string& settings, uint32_t firstUid) : app(log, prompts, settings) {
    sim::SimulatorOptions o;
    o.wireTime = true;
    o.module.airTime = std::chrono::milliseconds(30);
    simulator = std::make_unique<sim::Simulator>(o, std::make_shared<sim::Field>());
    std::string error;
    if (!simulator->Start(&error)) {
      std::fprintf(stderr, "simulator: %s\n", error.c_str());
      std::exit(1);
    }
    sim::FeedPlan plan;
    plan.firstUid = firstUid;
    simulator->TheField().SetFeed(plan);
    auto comm = std::make_unique<TTirisC1Dlg>(settings, &log);
    comm->SetBaudRate(TBaudRate::br57600);
    comm->OpenNamedPort(simulator->DevicePath());
    app.SetComm(std::move(comm));
  }
  ~World() {
    app.CloseComm();
    simulator->Stop();
  }
  MemoryLogPane log;
  WidgetPrompts prompts{nullptr};
  AppCore app;
  std::unique_ptr<sim::Simulator> simulator;
};

// Mean milliseconds from one write to the next.
double Cycle(const std::vector<Clock::time_point>& writes) {
  if (writes.size() < 2) return 0;
  return std::chrono::duration<double, std::milli>(writes.back() - writes.front()).count() /
         static_cast<double>(writes.size() - 1);
}

double RunnerCycle(const std::string& dir) {
  World w(dir + "/runner.ini", 0x01000001);
  ledger::Ledger l(*ledger::ParseTarget("sqlite:" + dir + "/runner.sqlite", nullptr));
  ledger::SeriesPlan plan{ledger::CodeKind::Animal, 392, 100, 1, kTags};
  const ledger::Series s = l.JoinOrCreate(plan, std::nullopt, true).series;
  const ledger::Station station = ThisStation(w.simulator->DevicePath(), "runner");
  std::FILE* out = std::fopen("/dev/null", "w");
  std::vector<Clock::time_point> writes;
  production::RunSettings settings;
  settings.port = w.simulator->DevicePath();
  production::RunEvents events;
  // As the runner shows the events: a progress line each, written out.
  events.progress = [&](int slot, const production::RunNote& note) {
    std::fprintf(out, "program: runner [%d/-] %s\n", slot, note.text.c_str());
  };
  events.note = [&](const production::RunNote& note) {
    std::fprintf(out, "program: %s\n", note.text.c_str());
  };
  events.step = [&](production::Step step, const std::string&) {
    if (step == production::Step::Writing) writes.push_back(Clock::now());
  };
  events.tagDone = [&](const production::TagDone& t) {
    std::fprintf(out, "%s\n", series::ResultsFile::Line(t.row).c_str());
  };
  const auto totals = production::RunSeries(w.app, l, s, station, nullptr, settings, events);
  std::fclose(out);
  if (totals.verified != kTags) std::fprintf(stderr, "runner: %d verified\n", totals.verified);
  return Cycle(writes);
}

double WindowCycle(const std::string& dir) {
  RegisterSeriesProgramDialogRenderer();
  World w(dir + "/window.ini", 0x02000001);
  TSeriesProgramDlg dlg(w.app, fdx::IdChip::Sic7888);
  std::vector<Clock::time_point> writes;
  dlg.onStep = [&](production::Step step) {
    if (step == production::Step::Writing) writes.push_back(Clock::now());
  };
  bool started = false;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<TSeriesProgramDialog*>(top);
      if (!d || !d->isVisible()) continue;
      auto type = [&](const char* field, const std::string& text) {
        QTest::keyClicks(d->findChild<QLineEdit*>(field), QString::fromStdString(text));
      };
      auto* start = d->findChild<QPushButton*>(D::kStart);
      if (!started) {
        started = true;
        type(D::kNational, "100");
        type(D::kPlanned, std::to_string(kTags));
        type(D::kLedger, "sqlite:" + dir + "/window.sqlite");
        start->click();
      } else if (start->isEnabled() && dlg.Form().activePage == D::kSummaryPage) {
        poll.stop();
        d->findChild<QPushButton*>(D::kClose)->click();
      }
    }
  });
  poll.start();
  dlg.Run();
  if (writes.size() != static_cast<size_t>(kTags))
    std::fprintf(stderr, "window: %zu tags\n", writes.size());
  return Cycle(writes);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  char dir[] = "/tmp/production_window_bench_XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("XDG_CONFIG_HOME", dir, 1);
  const double runner = RunnerCycle(dir);
  const double window = WindowCycle(dir);
  std::printf(
      "Series of %d SIC7888 tags, 57600 bit/s, 30 ms air time per command, feed gap 50 ms\n"
      "runner (engine, progress lines)  %8.1f ms per tag\n"
      "window (offscreen, own look)     %8.1f ms per tag   +%.2f %% (target <= 5 %%)\n",
      kTags, runner, window, (window / runner - 1) * 100);
  std::filesystem::remove_all(dir);
  return window <= runner * 1.05 ? 0 : 1;
}
