// The "Reader check..." window on the offscreen platform against the simulator: the plot fills
// level by level as the check runs, the threshold line stands at the level the table gives,
// Cancel in the middle of the sweep stops the check with the LF level given back, and the wait
// for the tag to be taken away says so with the seconds left until Cancel ends it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/app_core.h"
#include "core/log_pane.h"
#include "maintenance/reader_check_model.h"
#include "maintenance/widgets/reader_check_window.h"
#include "prompts/widgets/widget_prompts.h"
#include "sim/simulator.h"
#include "tests/support/handler_rig.h"
#include "tests/support/temp_config.h"

// The reader check window while it is open.
ReaderCheckWindow* OpenDialogNow() {
  return qobject_cast<ReaderCheckWindow*>(QApplication::activeModalWidget());
}

namespace {

constexpr int kStartLevel = 33;

ReaderCheckWindow* OpenDialog() {
  return OpenDialogNow();
}

// The window's prompts, with a look at the dialog after every refresh the handler asks for.
class WatchingPrompts : public WidgetPrompts {
 public:
  WatchingPrompts() : WidgetPrompts(nullptr) {}
  void Refresh(PromptForm& form) override {
    WidgetPrompts::Refresh(form);
    if (ReaderCheckWindow* d = ::OpenDialogNow(); d && onRefresh) onRefresh(*d);
  }
  std::function<void(ReaderCheckWindow&)> onRefresh;
};

class ReaderCheckWindowTest : public ::testing::Test {
 protected:
  ReaderCheckWindowTest() {
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
    comm->SetBaudRate(TBaudRate::br57600);
    comm->OpenNamedPort(sim->DevicePath());
    app->SetComm(std::move(comm));
    RegisterReaderCheckWindow();
  }
  ~ReaderCheckWindowTest() override {
    app.reset();
    sim->Stop();
  }
  int Level() {
    int level = -1;
    sim->WithModule([&](sim::Module& m) { level = m.LfLevel(); });
    return level;
  }

  // Opens the window, sets its link box, presses Start, and once the check has ended (Start is
  // offered again after it was not) hands the dialog to atEnd and closes it. False when the check
  // never ended.
  bool RunInWindow(bool link, const std::function<void(ReaderCheckWindow&)>& atEnd) {
    bool started = false, ran = false, ended = false;
    const auto watch = prompts.onRefresh;
    prompts.onRefresh = [&](ReaderCheckWindow& d) {
      ran = ran || !d.findChild<QPushButton*>("BtStart")->isEnabled();
      if (watch) watch(d);
    };
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      ReaderCheckWindow* d = OpenDialog();
      if (!d) return;
      auto* start = d->findChild<QPushButton*>("BtStart");
      if (!started) {
        d->findChild<QCheckBox*>("CBLink")->setChecked(link);
        start->click();
        started = true;
      } else if (ran && !ended && start->isEnabled()) {
        ended = true;
        atEnd(*d);
        d->findChild<QPushButton*>("BtClose")->click();
      }
    });
    poll.start();
    ShowReaderCheck(*app);
    prompts.onRefresh = watch;
    return ended;
  }

  TempConfig cfg;
  MemoryLogPane log;
  WatchingPrompts prompts;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
};

TEST_F(ReaderCheckWindowTest, ThePlotFillsLevelByLevelAndMarksTheThreshold) {
  std::vector<int> pointsSeen;  // rate points after every refresh of the running check
  prompts.onRefresh = [&](ReaderCheckWindow& d) {
    pointsSeen.push_back(static_cast<int>(d.RateSeries()->count()));
  };
  int rows = 0, thresholdX = -1, thresholdPoints = 0;
  ASSERT_TRUE(RunInWindow(false, [&](ReaderCheckWindow& d) {
    rows = static_cast<int>(d.Form().Field(ReaderCheckModel::kGrid).cells.size()) - 1;
    thresholdPoints = static_cast<int>(d.ThresholdSeries()->count());
    if (thresholdPoints > 0) thresholdX = static_cast<int>(d.ThresholdSeries()->at(0).x());
    EXPECT_EQ(d.LatencySeries()->count(), d.RateSeries()->count());
  }));
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

TEST_F(ReaderCheckWindowTest, CancelStopsTheSweepAndGivesTheLevelBack) {
  // Cancel is pressed as soon as the first level shows: the check is in the middle of the sweep.
  bool cancelled = false;
  prompts.onRefresh = [&](ReaderCheckWindow& d) {
    if (cancelled || d.RateSeries()->count() < 1) return;
    EXPECT_TRUE(d.findChild<QPushButton*>("BtCancel")->isEnabled());
    d.findChild<QPushButton*>("BtCancel")->click();
    cancelled = true;
  };
  int pointsAtEnd = -1;
  std::string status;
  ASSERT_TRUE(RunInWindow(true, [&](ReaderCheckWindow& d) {
    pointsAtEnd = static_cast<int>(d.RateSeries()->count());
    status = d.Form().Field(ReaderCheckModel::kStatus).text;
  }));
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(pointsAtEnd, 1);  // the level in progress is not shown
  EXPECT_EQ(Level(), kStartLevel);
  EXPECT_NE(status.find("中止"), std::string::npos) << status;
}

TEST_F(ReaderCheckWindowTest, TheTagAwayWaitSaysWhatItWaitsForWithACountdownAndCancel) {
  // The instruction to take the tag away is answered with Enter, which goes on; the tag stays.
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      QTest::keyClick(box, Qt::Key_Return);
  });
  answer.start();
  QString shown;
  prompts.onRefresh = [&](ReaderCheckWindow& d) {
    const QString text = d.findChild<QLabel*>(ReaderCheckModel::kStatus)->text();
    if (!shown.isEmpty() || !text.startsWith("タグをアンテナから離してください")) return;
    shown = text;
    d.findChild<QPushButton*>("BtCancel")->click();
  };
  std::string status;
  ASSERT_TRUE(RunInWindow(true, [&](ReaderCheckWindow& d) {
    status = d.Form().Field(ReaderCheckModel::kStatus).text;
  }));
  EXPECT_TRUE(shown.startsWith("タグをアンテナから離してください (残り ")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(" 秒、キャンセルで中止)")) << shown.toStdString();
  EXPECT_NE(status.find("中止"), std::string::npos) << status;
  EXPECT_EQ(Level(), kStartLevel);
}

}  // namespace
