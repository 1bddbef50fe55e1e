// The "Reader check..." window on the offscreen platform against the simulator: the plot fills
// level by level as the check runs, the threshold line stands at the level the table gives, and
// Cancel in the middle of the sweep stops the check with the LF level given back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineSeries>
#include <QPushButton>
#include <QTimer>

#include "app/app_core.h"
#include "core/log_pane.h"
#include "maintenance/reader_check_dlg.h"
#include "maintenance/widgets/reader_check_dialog.h"
#include "prompts/widgets/widget_prompts.h"
#include "sim/simulator.h"
#include "tests/support/handler_rig.h"
#include "tests/support/temp_config.h"

// The reader check window while it is open.
TReaderCheckDialog* OpenDialogNow() {
  return qobject_cast<TReaderCheckDialog*>(QApplication::activeModalWidget());
}

namespace {

constexpr int kStartLevel = 33;

TReaderCheckDialog* OpenDialog() {
  return OpenDialogNow();
}

// The window's prompts, with a look at the dialog after every refresh the handler asks for.
class WatchingPrompts : public WidgetPrompts {
 public:
  WatchingPrompts() : WidgetPrompts(nullptr) {}
  void Refresh(PromptForm& form) override {
    WidgetPrompts::Refresh(form);
    if (TReaderCheckDialog* d = ::OpenDialogNow(); d && onRefresh) onRefresh(*d);
  }
  std::function<void(TReaderCheckDialog&)> onRefresh;
};

class ReaderCheckWindow : public ::testing::Test {
 protected:
  ReaderCheckWindow() {
    sim::SimulatorOptions o;
    o.wireTime = false;
    sim = std::make_unique<sim::Simulator>(o, std::make_shared<sim::Field>(std::vector<sim::TagPtr>{
                                                  test_rig::MakeTag("fdxb:392:1:threshold=22")}));
    std::string error;
    EXPECT_TRUE(sim->Start(&error)) << error;
    sim->WithModule([](sim::Module& m) {
      m.Memory().SetWord(sim::ParameterMemory::kLfLevelWord, kStartLevel);
    });
    app = std::make_unique<AppCore>(log, prompts, cfg.SettingsPath());
    auto comm = std::make_unique<TTirisC1Dlg>(cfg.SettingsPath(), &log);
    comm->CommX1().SetBaudRate(TBaudRate::br57600);
    comm->OpenNamedPort(sim->DevicePath());
    app->SetComm(std::move(comm));
    RegisterReaderCheckDialogRenderer();
  }
  ~ReaderCheckWindow() override {
    app.reset();
    sim->Stop();
  }
  int Level() {
    int level = -1;
    sim->WithModule([&](sim::Module& m) { level = m.LfLevel(); });
    return level;
  }

  TempConfig cfg;
  MemoryLogPane log;
  WatchingPrompts prompts;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
};

TEST_F(ReaderCheckWindow, ThePlotFillsLevelByLevelAndMarksTheThreshold) {
  std::vector<int> pointsSeen;  // rate points after every refresh of the running check
  prompts.onRefresh = [&](TReaderCheckDialog& d) {
    pointsSeen.push_back(static_cast<int>(d.RateSeries()->count()));
  };
  int rows = 0, thresholdX = -1, thresholdPoints = 0;
  bool started = false, finished = false;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    TReaderCheckDialog* d = OpenDialog();
    if (!d) return;
    auto* start = d->findChild<QPushButton*>("BtStart");
    if (!started) {
      d->findChild<QCheckBox*>("CBLink")->setChecked(false);
      start->click();
      started = true;
      return;
    }
    if (!start->isEnabled() || finished) return;
    finished = true;
    rows = static_cast<int>(d->Form().Field(TReaderCheckDlg::kGrid).cells.size()) - 1;
    thresholdPoints = static_cast<int>(d->ThresholdSeries()->count());
    if (thresholdPoints > 0) thresholdX = static_cast<int>(d->ThresholdSeries()->at(0).x());
    EXPECT_EQ(d->LatencySeries()->count(), d->RateSeries()->count());
    d->findChild<QPushButton*>("BtClose")->click();
  });
  poll.start();
  MnReaderCheckClick(*app);
  ASSERT_TRUE(finished);
  EXPECT_EQ(thresholdX, 22);
  EXPECT_EQ(thresholdPoints, 2);
  // 50 ... 15 (15 reads nothing: the sweep stops there), then 24 ... 21.
  EXPECT_EQ(rows, 8 + 4);
  // The plot grew by one point with every level while the check ran, not only at its end.
  std::vector<int> growth;
  for (int n : pointsSeen)
    if (growth.empty() || growth.back() != n) growth.push_back(n);
  std::vector<int> oneByOne(rows + 1);
  for (int i = 0; i <= rows; ++i) oneByOne[i] = i;
  EXPECT_EQ(growth, oneByOne);
  EXPECT_EQ(Level(), kStartLevel);
}

TEST_F(ReaderCheckWindow, CancelStopsTheSweepAndGivesTheLevelBack) {
  // Cancel is pressed as soon as the first level shows: the check is in the middle of the sweep.
  bool cancelled = false;
  prompts.onRefresh = [&](TReaderCheckDialog& d) {
    if (cancelled || d.RateSeries()->count() < 1) return;
    EXPECT_TRUE(d.findChild<QPushButton*>("BtCancel")->isEnabled());
    d.findChild<QPushButton*>("BtCancel")->click();
    cancelled = true;
  };
  bool started = false, done = false;
  int pointsAtEnd = -1;
  std::string status;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    TReaderCheckDialog* d = OpenDialog();
    if (!d) return;
    auto* start = d->findChild<QPushButton*>("BtStart");
    if (!started) {
      started = true;
      start->click();
      return;
    }
    if (cancelled && start->isEnabled() && !done) {
      done = true;
      pointsAtEnd = static_cast<int>(d->RateSeries()->count());
      status = d->Form().Field(TReaderCheckDlg::kStatus).text;
      d->findChild<QPushButton*>("BtClose")->click();
    }
  });
  poll.start();
  MnReaderCheckClick(*app);
  ASSERT_TRUE(done);
  EXPECT_EQ(pointsAtEnd, 1);  // the level in progress is not shown
  EXPECT_EQ(Level(), kStartLevel);
  EXPECT_NE(status.find("中止"), std::string::npos) << status;
}

}  // namespace
