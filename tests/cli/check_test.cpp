// qzh900ctl check against the simulator's field model: the threshold it finds for every family,
// the LF level given back however the check ends (normally, a NACK, a hang-up, SIGTERM), the
// noise count against what the simulator sent, the SIC7888 tuning sweep, and the report.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QImage>
#include <QJsonArray>

#include <csignal>
#include <cstdlib>

#include "sim/chips/sic7888.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/wait.h"

using namespace cli_test;

namespace {

constexpr int kStartLevel = 27;  // not the factory level, so a level "restored" to 30 shows

int Level(CliRig& rig) {
  int level = -1;
  rig.sim->WithModule([&](sim::Module& m) { level = m.LfLevel(); });
  return level;
}

void SetLevel(CliRig& rig, int level) {
  rig.sim->WithModule([&](sim::Module& m) {
    m.Memory().SetWord(sim::ParameterMemory::kLfLevelWord, static_cast<uint16_t>(level));
  });
}

std::string StateFile(const CliRig& rig) {
  return rig.config.Path("norvik/QZH900Tool/LfLevelRestore.ini");
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

QJsonObject ResultOf(const std::string& out) {
  const auto results = OfKind(Events(out), "check_result");
  return results.size() == 1 ? results[0] : QJsonObject{};
}

// Commands a quiet identification sends (counted, so the faults below can pick the command
// they hit without knowing the start-up's exchanges).
uint64_t IdentifyCommands() {
  CliRig rig(std::vector<sim::TagPtr>{});
  EXPECT_EQ(rig.Run({"identify"}).status, 0);
  return rig.Commands();
}

TEST(CliCheck, FindsTheSimulatedThresholdOfEveryFamilyAndGivesTheLevelBack) {
  struct Case {
    const char* spec;
    const char* family;
    int threshold;
  };
  const Case cases[] = {
      {"ti-ro:0123456789ABCDEF:threshold=23", "hdx", 23},
      {"fdxb:392:123456789012:threshold=18", "fdx", 18},
      {"sic7888:threshold=12", "sic7888", 12},
      {"em4305:threshold=31", "em4305", 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    CliRig rig({MakeTag(c.spec)});
    SetLevel(rig, kStartLevel);
    const Result r = rig.Run({"check", "--no-link", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(SchemaProblems(r.out, rig.config), "");
    const QJsonObject result = ResultOf(r.out);
    EXPECT_EQ(result["family"].toString().toStdString(), c.family);  // found by itself
    EXPECT_NEAR(result["threshold"].toInt(-100), c.threshold, 1) << r.err;
    EXPECT_TRUE(result["level_restored"].toBool());
    EXPECT_EQ(result["start_level"].toInt(), kStartLevel);
    EXPECT_EQ(Level(rig), kStartLevel);
    EXPECT_FALSE(Exists(StateFile(rig)));
    // Every level as it was measured, the coarse ones and the steps of 1 below the threshold.
    std::vector<int> levels;
    for (const QJsonObject& e : OfKind(Events(r.out), "check_level")) {
      levels.push_back(e["level"].toInt());
      const double rate = e["rate"].toDouble();
      if (e["level"].toInt() >= c.threshold) {
        EXPECT_EQ(rate, 1.0) << e["level"].toInt();
      }
      if (e["level"].toInt() <= c.threshold - 3) {
        EXPECT_EQ(rate, 0.0) << e["level"].toInt();
      }
    }
    ASSERT_FALSE(levels.empty()) << r.out;
    EXPECT_EQ(levels.front(), 50);
    for (int step = 1; step <= 4; ++step)
      EXPECT_NE(std::find(levels.begin(), levels.end(), (c.threshold / 5) * 5 + 5 - step),
                levels.end())
          << "fine level " << (c.threshold / 5) * 5 + 5 - step;
    EXPECT_NE(r.err.find("threshold: LF level " + std::to_string(c.threshold)), std::string::npos)
        << r.err;
  }
}

TEST(CliCheck, ANackMidSweepEndsTheCheckWithTheLevelGivenBack) {
  const uint64_t identify = IdentifyCommands();
  CliRig rig({MakeTag("fdxb:392:1:threshold=18")});
  SetLevel(rig, kStartLevel);
  // Read level, level 50, its 20 reads, level 45 and 5 reads pass; the next read is refused.
  rig.sim->UpdateFaults([&](sim::FaultPlan& f) {
    f.spare = static_cast<int>(identify) + 1 + 1 + 20 + 1 + 5;
    f.nack = 1;
    f.nackCode = 0x44;
  });
  const Result r = rig.Run({"check", "--family", "fdx", "--no-link", "--json"});
  EXPECT_EQ(r.status, 1) << r.err;
  const QJsonObject result = ResultOf(r.out);
  EXPECT_NE(result["failure"].toString().toStdString().find("NACK 44"), std::string::npos) << r.err;
  EXPECT_TRUE(result["level_restored"].toBool());
  EXPECT_EQ(OfKind(Events(r.out), "check_level").size(), 1u);
  EXPECT_EQ(Level(rig), kStartLevel);
  EXPECT_FALSE(Exists(StateFile(rig)));
  EXPECT_EQ(SchemaProblems(r.out, rig.config), "");
}

TEST(CliCheck, AHangUpMidSweepLeavesTheLevelForTheNextOpenToGiveBack) {
  const uint64_t identify = IdentifyCommands();
  CliRig rig({MakeTag("fdxb:392:1:threshold=18")}, RigOptions{.comNumber = 51});
  SetLevel(rig, kStartLevel);
  // The line drops at the third read of level 50.
  rig.sim->UpdateFaults(
      [&](sim::FaultPlan& f) { f.hangupAfter = static_cast<int>(identify) + 1 + 1 + 3; });
  const Result r = rig.Run({"check", "--family", "fdx", "--no-link", "--port", "COM51"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(Level(rig), 50);  // the module was left at the sweep's level
  const std::string state = TempConfig::ReadFile(StateFile(rig));
  EXPECT_EQ(state, "[LfLevelRestore]\nPort=COM51\nLevel=27\n");

  ASSERT_TRUE(rig.sim->Reopen());
  const Result again = rig.Run({"identify", "--verbose", "--port", "COM51"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Level(rig), kStartLevel);
  EXPECT_FALSE(Exists(StateFile(rig)));
  EXPECT_NE((again.out + again.err).find(": 27\n"), std::string::npos) << again.out << again.err;
  // Given back once: a later open leaves the level alone.
  SetLevel(rig, 40);
  EXPECT_EQ(rig.Run({"identify", "--port", "COM51"}).status, 0);
  EXPECT_EQ(Level(rig), 40);
}

TEST(CliCheck, SigtermMidSweepGivesTheLevelBack) {
  const uint64_t identify = IdentifyCommands();
  CliRig rig({MakeTag("fdxb:392:1:threshold=18")});
  SetLevel(rig, kStartLevel);
  // From the sixth read of level 50 on nothing is answered: the check cannot get past it
  // before the signal.
  const uint64_t held = identify + 1 + 1 + 6;
  rig.sim->UpdateFaults([&](sim::FaultPlan& f) {
    f.spare = static_cast<int>(held) - 1;
    f.missing = sim::FaultPlan::kAlways;
  });
  auto child = rig.Start({"check", "--family", "fdx", "--json"});
  ASSERT_TRUE(
      rig.sim->WaitUntil([&](const sim::SimCounters& c) { return c.module.commands >= held; },
                         test_support::kPatience));
  child->Signal(SIGTERM);
  rig.sim->SetFaults({});
  EXPECT_EQ(child->Wait(test_support::kPatience), 1) << child->err;
  const QJsonObject result = ResultOf(child->out);
  EXPECT_TRUE(result["cancelled"].toBool()) << child->out;
  EXPECT_TRUE(result["level_restored"].toBool());
  EXPECT_EQ(result["levels"].toInt(), 0);
  EXPECT_EQ(Level(rig), kStartLevel);
  EXPECT_FALSE(Exists(StateFile(rig)));
}

TEST(CliCheck, CountsExactlyTheNoiseTheSimulatorSentOnceTheTagIsAway) {
  CliRig rig({MakeTag("fdxb:392:1:threshold=18")});
  rig.sim->UpdateFaults([](sim::FaultPlan& f) { f.noiseRate = 40; });
  auto child = rig.Start(
      {"check", "--family", "fdx", "--reads", "2", "--listen", "1", "--identify", "7", "--json"});
  // The check asks for the tag to be taken away, then waits for the field to be empty.
  std::optional<std::string> line;
  while ((line = child->NextErrorLine(test_support::kPatience)) &&
         line->rfind("confirm: ", 0) != 0) {
  }
  ASSERT_TRUE(line) << child->err;
  ASSERT_NE(rig.field->Remove(0), nullptr);
  EXPECT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  const QJsonObject link = ResultOf(child->out)["link"].toObject();
  const sim::ModuleCounters sent = rig.sim->Counters().module;
  EXPECT_GT(sent.noiseBadSumFrames, 0u);
  EXPECT_EQ(link["stray_bytes"].toInteger(), static_cast<qint64>(sent.noiseStrayBytes));
  EXPECT_EQ(link["sum_errors"].toInteger(), static_cast<qint64>(sent.noiseBadSumFrames));
  EXPECT_EQ(link["format_errors"].toInteger(), static_cast<qint64>(sent.noiseBadFormatFrames));
  EXPECT_EQ(link["id_frames"].toInteger(), 0);
  EXPECT_EQ(link["exchanges"].toInt(), 7);
  EXPECT_EQ(link["answered"].toInt(), 7);
  EXPECT_EQ(link["timeouts"].toInt(), 0);
  EXPECT_EQ(SchemaProblems(child->out, rig.config), "");
}

TEST(CliCheck, LinkCountOnAnEmptyFieldCountsIdFramesAndTimeOuts) {
  // A tag the operator forgot: --no-tag trusts the field is empty, and its ID frames show.
  CliRig rig({MakeTag("em:0504030201")});
  const Result r = rig.Run({"check", "--no-tag", "--listen", "0.5", "--identify", "0", "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  const QJsonObject link = ResultOf(r.out)["link"].toObject();
  EXPECT_GT(link["id_frames"].toInteger(), 0) << r.out;
  EXPECT_EQ(link["sum_errors"].toInteger(), 0);
  EXPECT_EQ(Level(rig), 30);  // never changed

  CliRig quiet(std::vector<sim::TagPtr>{});
  const uint64_t identify = IdentifyCommands();
  // Read the level and three mode switches pass; of the identifications, the first gets no
  // answer, the second a NACK.
  quiet.sim->UpdateFaults([&](sim::FaultPlan& f) {
    f.spare = static_cast<int>(identify) + 1 + 3;
    f.missing = 1;
    f.nack = 1;
    f.nackCode = 0x44;
  });
  auto child = quiet.Start({"check", "--no-tag", "--listen", "0", "--identify", "3", "--json"});
  EXPECT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  const QJsonObject l = ResultOf(child->out)["link"].toObject();
  EXPECT_EQ(l["exchanges"].toInt(), 3);
  EXPECT_EQ(l["timeouts"].toInt(), 1);
  EXPECT_EQ(l["nacks"].toInt(), 1);
  EXPECT_EQ(l["answered"].toInt(), 1);
}

TEST(CliCheck, TuningPicksTheBestValueAndWritesItOnlyWhenAsked) {
  auto chip = std::make_shared<sim::Sic7888Tag>();
  std::string error;
  ASSERT_TRUE(chip->SetOption("bestct", "21", error));
  ASSERT_TRUE(chip->SetOption("width", "0", error));  // a sharp edge: thresholds are exact
  CliRig rig({chip});
  SetLevel(rig, kStartLevel);
  const std::vector<std::string> args = {"check",        "--tune", "--yes",     "--reads", "5",
                                         "--tune-reads", "3",      "--no-link", "--json"};
  const Result r = rig.Run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  const QJsonObject tune = ResultOf(r.out)["tune"].toObject();
  EXPECT_EQ(tune["original"].toInt(), 16);
  EXPECT_EQ(tune["best"].toInt(), 21);
  EXPECT_FALSE(tune["applied"].toBool());
  EXPECT_EQ(tune["ct_after"].toInt(), 16);
  EXPECT_EQ(chip->Ct(), 16);
  EXPECT_EQ(Level(rig), kStartLevel);
  // One event per tuning value, the threshold rising with the distance from the best.
  const auto steps = OfKind(Events(r.out), "check_tune");
  ASSERT_EQ(steps.size(), 32u);
  EXPECT_EQ(steps[21]["threshold"].toInt(), 10);
  EXPECT_EQ(steps[16]["threshold"].toInt(), 15);
  EXPECT_EQ(SchemaProblems(r.out, rig.config), "");

  std::vector<std::string> apply = args;
  apply.push_back("--apply");
  const Result applied = rig.Run(apply);
  EXPECT_EQ(applied.status, 0) << applied.err;
  EXPECT_EQ(chip->Ct(), 21);
  EXPECT_EQ(ResultOf(applied.out)["tune"].toObject()["ct_after"].toInt(), 21);
  // After tuning, the tag reads from a lower level.
  EXPECT_EQ(ResultOf(rig.Run({"check", "--no-link", "--json"}).out)["threshold"].toInt(), 10);
}

TEST(CliCheck, RefusesOptionsThatMakeNoSense) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"check", "--tune"},
                                             {"check", "--apply"},
                                             {"check", "--no-tag", "--no-link"},
                                             {"check", "--family", "nfc"},
                                             {"check", "--tune", "--yes", "--family", "fdx"},
                                             {"check", "--reads", "0"}}) {
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args.back() << ": " << r.err;
    EXPECT_NE(r.err.find("qzh900ctl check: "), std::string::npos) << r.err;
  }
}

TEST(CliCheck, TheReportHoldsTheFiguresAndThePlotMarksTheThreshold) {
  CliRig rig({MakeTag("fdxb:392:1:threshold=20")});
  const std::string dir = rig.config.Path("reports/today");
  const Result r = rig.Run({"check", "--no-link", "--lang", "en", "--report", dir});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string md = TempConfig::ReadFile(dir + "/reader-check.md");
  EXPECT_NE(md.find("# Reader check"), std::string::npos) << md;
  EXPECT_NE(md.find("| Threshold (lowest level reading >= 95 %) | 20 |"), std::string::npos) << md;
  EXPECT_NE(md.find("](reader-check.png)"), std::string::npos);
  EXPECT_NE(md.find("| 20 | 20 | 20 | 100 % |"), std::string::npos) << md;

  QImage plot(QString::fromStdString(dir + "/reader-check.png"));
  ASSERT_FALSE(plot.isNull());
  EXPECT_EQ(plot.size(), QSize(800, 480));
  const QRgb background = plot.pixel(0, 0);
  int drawn = 0;
  for (int y = 0; y < plot.height(); ++y)
    for (int x = 0; x < plot.width(); ++x) drawn += plot.pixel(x, y) != background;
  EXPECT_GT(drawn, plot.width() * plot.height() / 50);  // axes, grid, two series, texts
  // The threshold's dashed red line stands at level 20 of the 0-50 axis (x 70 to 720).
  const int x = 70 + 650 * 20 / 50;
  int red = 0;
  for (int y = 60; y < 400; ++y) {
    const QColor c(plot.pixel(x, y));
    red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
  }
  EXPECT_GT(red, 100);
}

}  // namespace

TEST(CliCheck, TheReportPlaceIsCheckedBeforeTheSweepAndALinkIsNotFollowed) {
  CliRig rig({MakeTag("fdxb:392:1:threshold=18")});
  const std::string file = rig.config.Path("not-a-folder");
  TempConfig::WriteFile(file, "x");
  const std::string linked = rig.config.Path("linked");
  ASSERT_EQ(::mkdir(linked.c_str(), 0700), 0);
  const std::string target = rig.config.Path("precious.txt");
  TempConfig::WriteFile(target, "keep me");
  ASSERT_EQ(::symlink(target.c_str(), (linked + "/reader-check.md").c_str()), 0);
  const std::string dangling = rig.config.Path("dangling");
  ASSERT_EQ(::symlink(rig.config.Path("gone").c_str(), dangling.c_str()), 0);
  for (const std::string& dir : {file, linked, dangling}) {
    const Result r = rig.Run({"check", "--no-link", "--report", dir});
    EXPECT_EQ(r.status, 2) << dir << "\n" << r.err;
    EXPECT_NE(r.err.find("--report"), std::string::npos) << r.err;
  }
  EXPECT_EQ(rig.Commands(), 0u);  // refused before the module heard anything
  EXPECT_EQ(TempConfig::ReadFile(target), "keep me");
}

TEST(CliCheck, SaysOnStandardErrorThatItWaitsForTheTagToLeaveWithNoQtWarning) {
  CliRig rig({MakeTag("fdxb:392:1:threshold=18")});
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string oldRuntime = runtime ? runtime : "";
  ::unsetenv("XDG_RUNTIME_DIR");
  // The tag stays: the wait runs out.
  const Result r =
      rig.Run({"check", "--family", "fdx", "--reads", "1", "--tag-away", "1", "--listen", "0"});
  if (runtime) ::setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("check: take the tag out of the field (waiting 1 s more"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("QStandardPaths"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("XDG_RUNTIME_DIR"), std::string::npos) << r.err;
}

TEST(CliCheck, SendGivesBackALevelACheckLeftBeforeItsOwnCommand) {
  CliRig rig(std::vector<sim::TagPtr>{}, RigOptions{.comNumber = 52});
  SetLevel(rig, 50);
  TempConfig::WriteFile(StateFile(rig), "[LfLevelRestore]\nPort=COM52\nLevel=27\n");
  // The level is set by hand after the give-back, and stays.
  const Result r = rig.Run({"send", "04", "02", "28", "00", "--port", "COM52"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Exists(StateFile(rig)));
  EXPECT_EQ(Level(rig), 0x28);
  EXPECT_EQ(rig.Run({"identify", "--port", "COM52"}).status, 0);
  EXPECT_EQ(Level(rig), 0x28);
}
