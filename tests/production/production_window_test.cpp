// The production window on the offscreen platform, driven through its widgets against the
// simulator (the test puts tags in and takes them out as the window asks, or the simulator's feed
// brings them) with a real ledger: a planned series of 20 with one failed verification and its
// retry, two windows (two stations) sharing one series, a port and a PostgreSQL server lost in
// the middle, and Stop (Esc) with a tag on the reader.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <span>

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "core/files.h"
#include "core/log_pane.h"
#include "ledger/ledger.h"
#include "production/series_program_dlg.h"
#include "production/station.h"
#include "production/widgets/series_program_dialog.h"
#include "prompts/widgets/widget_prompts.h"
#include "sim/chips/sic7888.h"
#include "sim/simulator.h"
#include "tests/support/pg_cluster.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"
#include "tests/support/weak_sic7888.h"

namespace {

using D = TSeriesProgramDlg;
using production::Step;

// The window's prompts; questions are answered (and kept) by the test.
class TestPrompts : public WidgetPrompts {
 public:
  TestPrompts() : WidgetPrompts(nullptr) {}
  bool Confirm(const std::string& text, const std::string&, ConfirmButtons buttons) override {
    asked.push_back(text);
    askedYesNo.push_back(buttons == ConfirmButtons::YesNo);  // the No default
    return true;
  }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&) override {
    return saveAs;
  }
  void Refresh(PromptForm& form) override {
    WidgetPrompts::Refresh(form);
    if (onRefresh) onRefresh(form);
  }
  std::vector<std::string> asked;
  std::vector<bool> askedYesNo;
  std::string saveAs;
  std::function<void(PromptForm&)> onRefresh;
};

TSeriesProgramDialog* DialogOf(PromptForm& form) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* d = qobject_cast<TSeriesProgramDialog*>(w); d && &d->Form() == &form) return d;
  return nullptr;
}

// One station: a simulated module with its field, the window's core on its port, the window.
struct Station {
  explicit Station(const TempConfig& cfg) {
    sim::SimulatorOptions o;
    o.wireTime = false;
    field = std::make_shared<sim::Field>(std::vector<sim::TagPtr>{});
    sim = std::make_unique<sim::Simulator>(o, field);
    std::string error;
    EXPECT_TRUE(sim->Start(&error)) << error;
    app = std::make_unique<AppCore>(log, prompts, cfg.SettingsPath());
    auto comm = std::make_unique<TTirisC1Dlg>(cfg.SettingsPath(), &log);
    comm->SetBaudRate(TBaudRate::br57600);
    comm->OpenNamedPort(sim->DevicePath());
    app->SetComm(std::move(comm));
    RegisterSeriesProgramDialogRenderer();
    dlg = std::make_unique<TSeriesProgramDlg>(*app, fdx::IdChip::Sic7888);
    // Plays the operator: a tag of the tray onto the reader when the window waits for one, the
    // tag away when it asks.
    dlg->onStep = [this](Step step) {
      if (step == Step::WaitingForTag) ++waits;
      if (onStep) onStep(step);
      if (feed) return;
      if (step == Step::WaitingForTag && field->Size() == 0 && !tray.empty()) {
        field->Insert(tray.front());
        tray.pop_front();
      } else if (step == Step::RemoveTag && field->Size() > 0) {
        field->Remove(0);
      }
    };
  }
  ~Station() {
    dlg.reset();
    app.reset();
    sim->Stop();
  }

  // Types the set-up in, presses Start once the window is up, and Close once the run has ended;
  // returns when the window is closed.
  void Run(const std::function<void(TSeriesProgramDialog&)>& setUp) {
    bool started = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      TSeriesProgramDialog* d = DialogOf(dlg->Form());
      if (!d || !d->isVisible()) return;
      auto* start = d->findChild<QPushButton*>(D::kStart);
      if (!started) {
        started = true;
        setUp(*d);
        start->click();
      } else if (start->isEnabled() && dlg->Form().activePage == D::kSummaryPage) {
        poll.stop();
        atEnd(*d);
        d->findChild<QPushButton*>(D::kClose)->click();
      }
    });
    poll.start();
    dlg->Run();
  }

  static void Type(TSeriesProgramDialog& d, const char* field, const std::string& text) {
    auto* edit = d.findChild<QLineEdit*>(field);
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(text));
  }
  static void Pick(TSeriesProgramDialog& d, const char* radio, int index) {
    auto buttons = d.findChild<QWidget*>(radio)->findChildren<QRadioButton*>();
    buttons.at(index)->click();
  }
  const std::string& Text(const char* field) { return dlg->Form().Field(field).text; }

  MemoryLogPane log;
  TestPrompts prompts;
  std::shared_ptr<sim::Field> field;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
  std::unique_ptr<TSeriesProgramDlg> dlg;
  std::deque<sim::TagPtr> tray;
  std::function<void(Step)> onStep;
  std::function<void(TSeriesProgramDialog&)> atEnd = [](TSeriesProgramDialog&) {};
  int waits = 0;
  bool feed = false;  // the simulator's feed brings the tags
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

// The written, read back and result columns of a results row.
std::string Written(const std::string& row) {
  size_t at = 0;
  for (int i = 0; i < 3; ++i) at = row.find(',', at) + 1;
  return row.substr(at, row.find(',', row.find(',', row.find(',', at) + 1) + 1) - at);
}

void NewAnimalSeries(TSeriesProgramDialog& d, const std::string& uri, const std::string& csv,
                     const std::string& station, int planned) {
  Station::Type(d, D::kNational, "100");
  Station::Type(d, D::kPlanned, std::to_string(planned));
  Station::Type(d, D::kLedger, uri);
  Station::Type(d, D::kResults, csv);
  Station::Type(d, D::kStation, station);
}

std::string Code(uint64_t national) {
  return series::CodeText(fdx::AnimalIdCode::Animal(392, national).Encode());
}

}  // namespace

// The sizes of the files the file unit replaced (the export goes through it).
std::vector<size_t> replaced;
void NoteReplaced(size_t written, size_t total) {
  if (written == total) replaced.push_back(total);
}

TEST(ProductionWindow, TwentyTagsWithOneFailedVerificationItsRetryAndTheExport) {
  TempConfig cfg;
  Station st(cfg);
  for (uint32_t i = 1; i <= 21; ++i)
    st.tray.push_back(i == 5 ? std::make_shared<WeakSic7888>(0x78880000u + i)
                             : std::make_shared<sim::Sic7888Tag>(0x78880000u + i));
  std::vector<std::string> results;  // the result panel after every tag
  std::vector<int> bar;
  st.onStep = [&](Step step) {
    if (step == Step::WaitingForTag && st.waits > 1) results.push_back(st.Text(D::kResult));
  };
  const std::string csv = cfg.Path("tray.csv"), uri = "sqlite:" + cfg.Path("led.sqlite");
  const std::string exported = cfg.Path("series.csv");
  st.atEnd = [&](TSeriesProgramDialog& d) {
    bar = {d.Progress()->value(), d.Progress()->maximum()};
    EXPECT_EQ(d.Sounded(), 21);
    st.prompts.saveAs = exported;
    files::SetWriteHookForTests(NoteReplaced);
    d.findChild<QPushButton*>(D::kExport)->click();
  };
  st.Run([&](TSeriesProgramDialog& d) { NewAnimalSeries(d, uri, csv, "line1", 20); });
  files::SetWriteHookForTests(nullptr);

  // The export: the header and a row for every tag written, the failed one too, written whole
  // through the file unit.
  const std::string text = TempConfig::ReadFile(exported);
  const auto lines = Lines(text);
  ASSERT_EQ(lines.size(), 22u) << text;
  EXPECT_EQ(lines[0], series::ResultsFile::kHeader);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find(",OK,") != std::string::npos; }),
            20);
  EXPECT_NE(text.find(Code(104) + "," + Code(1104) + ",NG"), std::string::npos) << text;
  EXPECT_EQ(replaced, std::vector<size_t>{text.size()});
  EXPECT_NE(st.Text(D::kSummaryStatus).find(exported), std::string::npos)
      << st.Text(D::kSummaryStatus);

  const auto rows = Lines(TempConfig::ReadFile(csv));
  ASSERT_EQ(rows.size(), 22u) << TempConfig::ReadFile(csv);
  std::vector<std::string> written;
  for (size_t i = 1; i < rows.size(); ++i) written.push_back(Written(rows[i]));
  // The fifth tag read back another code; its code went to the sixth; 20 contiguous codes.
  EXPECT_EQ(written[4], Code(104) + "," + Code(1104) + ",NG");
  EXPECT_EQ(written[5], Code(104) + "," + Code(104) + ",OK");
  EXPECT_EQ(written[20], Code(119) + "," + Code(119) + ",OK");
  std::set<std::string> ok;
  for (const std::string& w : written)
    if (w.size() > 3 && w.substr(w.size() - 3) == ",OK") ok.insert(w);
  EXPECT_EQ(ok.size(), 20u);
  // The window showed NG for the fifth tag and OK for the others, the bar at its end.
  ASSERT_GE(results.size(), 5u);
  EXPECT_EQ(results[3], "OK");
  EXPECT_EQ(results[4], "NG");
  EXPECT_EQ(bar, (std::vector<int>{20, 20}));
  ledger::Ledger l(*ledger::ParseTarget(uri, nullptr), ledger::Access::Look);
  const auto progress = l.Progress();
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0].verified, 20u);
  EXPECT_EQ(progress[0].codesLeft, 0u);
  EXPECT_TRUE(l.Unfinished().empty());
  EXPECT_NE(st.Text(D::kSummary).find("OK 20, 書込み中 0, NG 0, 残り 0"), std::string::npos)
      << st.Text(D::kSummary);
  // The engine's note of the series' end, in the window's language.
  EXPECT_NE(st.Text(D::kRunStatus).find("シリーズは " + Code(119) + " で終わりです"),
            std::string::npos)
      << st.Text(D::kRunStatus);
}

TEST(ProductionWindow, TwoWindowsOnOneLedgerGiveDistinctContiguousCodes) {
  TempConfig cfg;
  Station a(cfg), b(cfg);
  for (auto [s, uid] : {std::pair{&a, 0x01000001u}, std::pair{&b, 0x02000001u}}) {
    sim::FeedPlan plan;
    plan.firstUid = uid;
    s->field->SetFeed(plan);
    s->feed = true;
  }
  const std::string uri = "sqlite:" + cfg.Path("led.sqlite");
  // The second station joins the series of the first after its third tag, from the list of the
  // ledger's open series, and works until the series ends; then the first finds no code left.
  bool joined = false;
  a.onStep = [&](Step step) {
    if (step != Step::WaitingForTag || a.waits != 4 || joined) return;
    joined = true;
    QTimer::singleShot(0, [&] {
      b.Run([&](TSeriesProgramDialog& d) {
        Station::Type(d, D::kLedger, uri);
        Station::Type(d, D::kResults, cfg.Path("b.csv"));
        Station::Type(d, D::kStation, "lineB");
        Station::Pick(d, D::kKind, D::kOpen);
      });
    });
  };
  a.Run([&](TSeriesProgramDialog& d) { NewAnimalSeries(d, uri, cfg.Path("a.csv"), "lineA", 20); });
  ASSERT_TRUE(joined);

  ledger::Ledger l(*ledger::ParseTarget(uri, nullptr), ledger::Access::Look);
  std::map<std::string, std::set<uint64_t>> byStation;
  std::set<uint64_t> all;
  size_t verified = 0;
  for (const ledger::TagRecord& r : l.Records(1)) {
    if (!r.ok) continue;
    ++verified;
    all.insert(ledger::NumberOf(r.code));
    byStation[r.station.name].insert(ledger::NumberOf(r.code));
  }
  EXPECT_EQ(verified, 20u);
  ASSERT_EQ(all.size(), 20u);
  EXPECT_EQ(*all.begin(), 100u);
  EXPECT_EQ(*all.rbegin(), 119u);
  // Both stations worked the series (the first from its third tag on may take one more before
  // the second comes in); each results file holds its own rows.
  const size_t na = byStation["lineA"].size(), nb = byStation["lineB"].size();
  EXPECT_GE(na, 3u);
  EXPECT_GE(nb, 1u);
  EXPECT_EQ(na + nb, 20u);
  EXPECT_EQ(Lines(TempConfig::ReadFile(cfg.Path("a.csv"))).size(), 1u + na);
  EXPECT_EQ(Lines(TempConfig::ReadFile(cfg.Path("b.csv"))).size(), 1u + nb);
  EXPECT_NE(a.Text(D::kSummary).find("シリーズの最後まで書きました"), std::string::npos)
      << a.Text(D::kSummary);
}

TEST(ProductionWindow, ALostPortRecordsTheTagInHandAndEndsTheRun) {
  TempConfig cfg;
  Station st(cfg);
  for (uint32_t i = 1; i <= 4; ++i) st.tray.push_back(std::make_shared<sim::Sic7888Tag>(i));
  st.onStep = [&](Step step) {
    if (step == Step::Writing && st.waits == 3) st.sim->HangUp();
  };
  const std::string csv = cfg.Path("tray.csv"), uri = "sqlite:" + cfg.Path("led.sqlite");
  st.Run([&](TSeriesProgramDialog& d) { NewAnimalSeries(d, uri, csv, "line1", 0); });

  const auto rows = Lines(TempConfig::ReadFile(csv));
  ASSERT_EQ(rows.size(), 4u) << TempConfig::ReadFile(csv);
  EXPECT_EQ(Written(rows[3]), Code(102) + ",,NG");
  ledger::Ledger l(*ledger::ParseTarget(uri, nullptr), ledger::Access::Look);
  const auto c = l.FindCode(fdx::AnimalIdCode::Animal(392, 102).Encode());
  ASSERT_TRUE(c);
  EXPECT_EQ(c->state, ledger::CodeState::Failed);  // recorded, no orphan
  EXPECT_NE(st.Text(D::kSummary).find("ポートが失われた"), std::string::npos)
      << st.Text(D::kSummary);
}

TEST(ProductionWindow, ALostLedgerServerStopsBeforeTheNextWriteAndSaysSo) {
  TempConfig cfg;
  PgCluster pg;
  Station st(cfg);
  for (uint32_t i = 1; i <= 4; ++i) st.tray.push_back(std::make_shared<sim::Sic7888Tag>(i));
  const sim::TagPtr third = st.tray[2];
  const std::vector<uint8_t> blank = third->IdBytes();
  st.onStep = [&](Step step) {
    if (step == Step::WaitingForTag && st.waits == 3) pg.Stop();
  };
  const std::string csv = cfg.Path("tray.csv");
  st.Run([&](TSeriesProgramDialog& d) { NewAnimalSeries(d, pg.Uri(), csv, "line1", 0); });

  EXPECT_EQ(Lines(TempConfig::ReadFile(csv)).size(), 3u);
  EXPECT_EQ(third->IdBytes(), blank);  // the tag in the field was not written
  EXPECT_NE(st.Text(D::kRunStatus).find("台帳が使えなくなったため停止しました"), std::string::npos)
      << st.Text(D::kRunStatus);
  EXPECT_NE(st.Text(D::kSummary).find("stopped before writing the tag in the field"),
            std::string::npos)
      << st.Text(D::kSummary);
  pg.Start();
  ledger::Ledger l(*ledger::ParseTarget(pg.Uri(), nullptr), ledger::Access::Look);
  EXPECT_TRUE(l.Unfinished().empty());
  EXPECT_EQ(l.Progress().at(0).verified, 2u);
}

TEST(ProductionWindow, SpacePausesAndEscWithATagInHandAsksAndFinishesTheTag) {
  TempConfig cfg;
  Station st(cfg);
  for (uint32_t i = 1; i <= 4; ++i) st.tray.push_back(std::make_shared<sim::Sic7888Tag>(i));
  std::vector<std::string> states;
  st.prompts.onRefresh = [&](PromptForm& form) {
    const std::string& state = form.Field(D::kState).text;
    if (!states.empty() && states.back() == state) return;
    states.push_back(state);
    // Resumed as soon as the window first shows the pause.
    if (state == "一時停止中" && std::count(states.begin(), states.end(), state) == 1)
      QTimer::singleShot(0, [&] { QTest::keyClick(DialogOf(form), Qt::Key_Space); });
  };
  st.onStep = [&](Step step) {
    TSeriesProgramDialog* d = DialogOf(st.dlg->Form());
    if (step == Step::WaitingForTag && st.waits == 1) QTest::keyClick(d, Qt::Key_Space);
    if (step == Step::Writing && st.waits == 2) QTest::keyClick(d, Qt::Key_Escape);
  };
  const std::string csv = cfg.Path("tray.csv"), uri = "sqlite:" + cfg.Path("led.sqlite");
  st.Run([&](TSeriesProgramDialog& d) { NewAnimalSeries(d, uri, csv, "line1", 0); });

  EXPECT_NE(std::find(states.begin(), states.end(), "一時停止中"), states.end());
  ASSERT_EQ(st.prompts.asked.size(), 1u);
  // The tag in hand was written, verified and recorded before the run ended.
  const auto rows = Lines(TempConfig::ReadFile(csv));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Written(rows[2]), Code(101) + "," + Code(101) + ",OK");
  ledger::Ledger l(*ledger::ParseTarget(uri, nullptr), ledger::Access::Look);
  EXPECT_TRUE(l.Unfinished().empty());
  EXPECT_EQ(st.Text(D::kState), "停止しました");
}

TEST(ProductionWindow, ReleaseGivesBackTheSelectedOrphanOnlyAfterAsking) {
  TempConfig cfg;
  const std::string uri = "sqlite:" + cfg.Path("led.sqlite");
  {
    // A series of three whose first two codes a station that no longer runs claimed.
    ledger::Ledger l(*ledger::ParseTarget(uri, nullptr));
    const auto choice = l.JoinOrCreate({series::CodeKind::Animal, 392, 100, 1, 3}, {}, true);
    const ledger::Station dead{ThisHost(), "gone", int64_t{1} << 30};  // past any pid
    for (int i = 0; i < 2; ++i)
      l.ClaimNext({choice.series.id, dead, series::ChipName(fdx::IdChip::Sic7888), "", {}});
  }
  Station st(cfg);
  st.tray.push_back(std::make_shared<sim::Sic7888Tag>(7));
  bool enabledBefore = true, enabledAfter = false;
  st.atEnd = [&](TSeriesProgramDialog& d) {
    auto* release = d.findChild<QPushButton*>(D::kRelease);
    enabledBefore = release->isEnabled();
    d.findChild<QTableWidget*>(D::kOrphans)->setCurrentCell(1, 0);
    enabledAfter = release->isEnabled();
    st.field->Insert(std::make_shared<sim::Sic7888Tag>(8));  // the tag the dead station held
    release->click();
  };
  st.Run([&](TSeriesProgramDialog& d) {
    Station::Type(d, D::kLedger, uri);
    Station::Type(d, D::kStation, "line1");
    Station::Pick(d, D::kKind, D::kOpen);
  });

  EXPECT_FALSE(enabledBefore);  // nothing selected: nothing to release
  EXPECT_TRUE(enabledAfter);
  ASSERT_EQ(st.prompts.asked.size(), 1u);
  EXPECT_NE(st.prompts.asked[0].find(Code(101)), std::string::npos) << st.prompts.asked[0];
  EXPECT_TRUE(st.prompts.askedYesNo[0]);
  EXPECT_NE(st.Text(D::kSummaryStatus).find(Code(101) + " を解放しました"), std::string::npos)
      << st.Text(D::kSummaryStatus);
  EXPECT_NE(st.Text(D::kSummary).find("シリーズの最後まで書きました"), std::string::npos)
      << st.Text(D::kSummary);
  ledger::Ledger l(*ledger::ParseTarget(uri, nullptr), ledger::Access::Look);
  EXPECT_EQ(l.FindCode(fdx::AnimalIdCode::Animal(392, 100).Encode())->state,
            ledger::CodeState::Claimed);
  EXPECT_EQ(l.FindCode(fdx::AnimalIdCode::Animal(392, 101).Encode())->state,
            ledger::CodeState::Released);
  EXPECT_EQ(l.FindCode(fdx::AnimalIdCode::Animal(392, 102).Encode())->state,
            ledger::CodeState::Verified);
}

TEST(ProductionWindow, AGuardsRefusalIsWordedByTheWindowBeforeAnythingIsWritten) {
  TempConfig cfg;
  const std::string uri = "sqlite:" + cfg.Path("led.sqlite");
  // A results file of runs before the ledger that verified the run's first code; its name holds
  // a "%1" that the wording must leave alone. The runner says "use --resume".
  const std::string csv = cfg.Path("tray%1.csv");
  series::Row row;
  row.time = "2026-12-09 07:15:02";
  row.port = "line1";
  row.chip = "SIC7888";
  row.written = row.readBack = Code(100);
  row.ok = true;
  row.uid = "78 88 00 01";
  TempConfig::WriteFile(csv, std::string(series::ResultsFile::kHeader) + "\n" +
                                 series::ResultsFile::Line(row) + "\n");
  Station st(cfg);
  st.tray.push_back(std::make_shared<sim::Sic7888Tag>(7));
  QTimer poll;
  poll.setInterval(5);
  bool started = false;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    TSeriesProgramDialog* d = DialogOf(st.dlg->Form());
    if (!d || !d->isVisible()) return;
    if (!started) {
      started = true;
      NewAnimalSeries(*d, uri, csv, "line1", 5);
      d->findChild<QPushButton*>(D::kStart)->click();
    } else if (!st.Text(D::kSetupStatus).empty()) {
      poll.stop();
      d->findChild<QPushButton*>(D::kClose)->click();
    }
  });
  poll.start();
  st.dlg->Run();

  const std::string status = st.Text(D::kSetupStatus);
  EXPECT_EQ(status, Code(100) + " は以前に書込み済みです (" + csv +
                        ")。「台帳の続きのシリーズ」を選ぶか、別の最初の番号を入れてください");
  EXPECT_EQ(status.find("--"), std::string::npos) << status;
  EXPECT_EQ(st.waits, 0);  // no run started
  EXPECT_EQ(Lines(TempConfig::ReadFile(csv)).size(), 2u);
  ledger::Ledger l(*ledger::ParseTarget(uri, nullptr), ledger::Access::Look);
  EXPECT_TRUE(l.Progress().empty());
}
