// Several stations on one series, as a production line runs them: four qzh900ctl program
// processes against four simulators that feed blank tags (qzh900-sim --feed), all from the same
// first code, on SQLite and on a private PostgreSQL server; and a PostgreSQL server that stops in
// the middle of a series, while a station waits for a tag and while it writes one.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/csv.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/test_ledger.h"
#include "tests/support/wait.h"

using namespace cli_test;

namespace {

// A simulator process that feeds `tags` blank SIC7888 tags from the first UID; its device.
std::unique_ptr<Child> FeedingSimulator(int tags, uint32_t firstUid, std::string& device) {
  char uid[16];
  std::snprintf(uid, sizeof uid, "%08X", firstUid);
  auto sim = std::make_unique<Child>(
      QZH_SIM_PATH, std::vector<std::string>{"--com", "0", "--no-wire-time", "--feed",
                                             "sic7888:" + std::to_string(tags), "--feed-uid", uid});
  const std::string mark = "qzh900-sim: device ";
  while (auto line = sim->NextOutputLine(test_support::kPatience)) {
    if (line->rfind(mark, 0) != 0) continue;
    device = line->substr(mark.size(), line->find(',') - mark.size());
    break;
  }
  return sim;
}

class Stations : public ::testing::TestWithParam<std::string> {
 protected:
  TempConfig config_;
  TestLedger ledger_{GetParam(), config_.Dir()};
};

}  // namespace

TEST_P(Stations, FourStationsFromTheSameFirstCodeVerifyTwoHundredDistinctContiguousCodes) {
  constexpr int kStations = 4, kTags = 50;
  std::vector<std::unique_ptr<Child>> sims, stations;
  std::vector<std::string> ports(kStations);
  for (int i = 0; i < kStations; ++i) {
    sims.push_back(FeedingSimulator(kTags, static_cast<uint32_t>(i + 1) << 24 | 1, ports[i]));
    ASSERT_FALSE(ports[i].empty()) << sims.back()->out << sims.back()->err;
  }
  for (int i = 0; i < kStations; ++i)
    stations.push_back(std::make_unique<Child>(std::vector<std::string>{
        "program", "--port", ports[i], "--ledger", ledger_.Uri(), "--chip", "sic7888", "--country",
        "392", "--national", "1000", "--planned", std::to_string(kStations * kTags), "--count",
        std::to_string(kTags), "--poll", "20"}));
  // All four run at once; their output is read in turn so that none waits on a full pipe. A
  // station that never ends (it waits for a tag the simulator no longer feeds) fails the test
  // with what every station said, rather than holding it until the test runner kills it.
  const auto deadline = std::chrono::steady_clock::now() + 4 * test_support::kPatience;
  for (bool open = true; open;) {
    open = false;
    for (auto& s : stations) open = s->Drain(20) || open;
    if (open && std::chrono::steady_clock::now() > deadline) {
      std::string said;
      for (int i = 0; i < kStations; ++i)
        said += "station on " + ports[i] + ":\n" + stations[i]->err + "\n";
      for (auto& s : stations) s->Wait(std::chrono::milliseconds(0));
      FAIL() << "a station did not end within four minutes\n" << said;
    }
  }
  for (auto& s : stations) {
    EXPECT_EQ(s->Wait(test_support::kPatience), 0) << s->err;
    EXPECT_TRUE(Contains(s->err, "program: 50 verified, 0 failed\n")) << s->err;
  }

  const Result exported = RunCli({"ledger", "export", "--ledger", ledger_.Uri()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  csv::Reader reader(exported.out);
  csv::Record record;
  ASSERT_TRUE(reader.Next(record));  // the header
  std::set<std::string> codes;
  std::map<std::string, int> perStation;
  size_t rows = 0;
  while (reader.Next(record)) {
    ASSERT_EQ(record.fields.size(), 8u);
    EXPECT_EQ(record.fields[7], "1");
    ++rows;
    EXPECT_EQ(record.fields[5], "OK");
    EXPECT_EQ(record.fields[3], record.fields[4]);
    codes.insert(record.fields[3]);
    ++perStation[record.fields[1]];
  }
  EXPECT_EQ(rows, 200u);
  // Distinct and contiguous: exactly 392 000000001000 to 392 000000001199.
  std::set<std::string> expected;
  for (int n = 1000; n < 1200; ++n) expected.insert("392 00000000" + std::to_string(n));
  EXPECT_EQ(codes, expected);
  for (const std::string& port : ports) EXPECT_EQ(perStation[port], kTags) << port;

  const Result status = RunCli({"ledger", "status", "--ledger", ledger_.Uri()});
  EXPECT_TRUE(Contains(status.out, "verified 200  in hand 0  failed 0  released 0  void 0  left 0"))
      << status.out;
  for (auto& s : sims) {
    s->Signal(SIGTERM);
    EXPECT_EQ(s->Wait(test_support::kPatience), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Ledgers, Stations, kBothLedgers, LedgerName);

// The server stops twice: while the station waits for a tag (the claim fails: the tag is not
// written), and while the station writes a tag (the record fails: the station stops after that
// tag). Each time the station ends with exit 2 and the ledger's reason.
TEST(StationsOnPostgresql, AServerThatStopsEndsTheStationAndNoTagIsWrittenWithoutAClaim) {
  PgCluster pg;
  CliRig rig;
  const std::string csv = rig.config.Path("line.csv");
  auto start = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"program", "--chip", "sic7888", "--count", "5", "--poll", "20",
                               "--ledger", pg.Uri(), "--csv", csv});
    return rig.Start(args);
  };

  // While it waits for its second tag.
  auto waiting = start({"--country", "392", "--national", "1"});
  int waits = 0;
  const auto blank = std::make_shared<sim::Sic7888Tag>(0x78880002u);
  while (auto line = waiting->NextErrorLine(test_support::kPatience)) {
    if (Contains(*line, "waiting for a tag") && ++waits == 1) {
      rig.field->Insert(std::make_shared<sim::Sic7888Tag>(0x78880001u));
    } else if (Contains(*line, "remove the tag")) {
      rig.field->Clear();
    } else if (Contains(*line, "waiting for a tag")) {
      pg.Stop();
      rig.field->Insert(blank);
    }
  }
  EXPECT_EQ(waiting->Wait(test_support::kPatience), 2);
  EXPECT_TRUE(Contains(waiting->err, "qzh900ctl program: ledger " + pg.Uri() + ": "))
      << waiting->err;
  EXPECT_TRUE(Contains(waiting->err, "; stopped before writing the tag in the field\n"))
      << waiting->err;
  EXPECT_EQ(blank->BlockAt(1), (sim::Sic7888Tag::Block{0, 0, 0, 0})) << "the tag was configured";

  // While it writes its second tag: the server stops before the chip answers.
  pg.Start();
  rig.field->Clear();
  std::deque<sim::TagPtr> tray = {
      std::make_shared<sim::Sic7888Tag>(0x78880003u),
      std::make_shared<HookedSic7888>(
          0x78880004u, [&] { pg.Stop(); }, HookedSic7888::HookAt::BeforeTheChip),
      std::make_shared<sim::Sic7888Tag>(0x78880005u)};
  auto writing = start({"--resume"});
  while (auto line = writing->NextErrorLine(test_support::kPatience)) {
    if (Contains(*line, "waiting for a tag") && !tray.empty()) {
      rig.field->Insert(tray.front());
      tray.pop_front();
    } else if (Contains(*line, "remove the tag")) {
      rig.field->Clear();
    }
  }
  EXPECT_EQ(writing->Wait(test_support::kPatience), 2);
  EXPECT_TRUE(Contains(writing->err, "qzh900ctl program: ledger " + pg.Uri() + ": "))
      << writing->err;
  EXPECT_TRUE(Contains(writing->err, "; the tag 78 88 00 04 in hand is not recorded: "))
      << writing->err;
  EXPECT_EQ(tray.size(), 1u) << "the station went on after the tag in hand";
  // The results file has the tag in hand all the same.
  EXPECT_TRUE(Contains(TempConfig::ReadFile(csv), ",SIC7888,392 000000000003,"))
      << TempConfig::ReadFile(csv);

  // Back again: the code of the tag in hand is an orphan, the two before it verified.
  pg.Start();
  const Result orphans = RunCli({"ledger", "orphans", "--ledger", pg.Uri()});
  EXPECT_EQ(orphans.out.rfind("392 000000000003  claimed  ", 0), 0u) << orphans.out;
  const Result status = RunCli({"ledger", "status", "--ledger", pg.Uri()});
  EXPECT_TRUE(Contains(status.out, "verified 2  in hand 1  failed 0")) << status.out;
}
