// qzh900ctl ledger against the simulator: a station killed (SIGKILL) between its claim and its
// record leaves one orphan that no station gets again; orphans lists it, release gives it back
// only after the tag in the field was read and is the station's tag without the code, void takes
// a code out for good; status counts and export writes the results file's rows.
//
// The kill lands at a moment the test makes: the tag's ID write command reaches the simulated
// chip, which kills the station before it answers. The station is then waiting for that answer,
// between its claim and its record, and runs no further instruction.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <deque>

#include "codec/animal_id.h"
#include "sim/chips/sic7888.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/test_ledger.h"
#include "tests/support/wait.h"

using namespace cli_test;

namespace {

std::atomic<pid_t> gStation{-1};

// A tag whose ID write kills the station that sends it: instead of the write (the tag stays
// blank), or after the chip took it.
std::shared_ptr<HookedSic7888> Killing(uint32_t uid, bool written) {
  return std::make_shared<HookedSic7888>(
      uid, [] { ::kill(gStation.exchange(-1), SIGKILL); },
      written ? HookedSic7888::HookAt::AfterTheChip : HookedSic7888::HookAt::InsteadOfTheChip);
}

// Puts the tags into the field one by one as the station waits for them, and takes each out when
// it asks. The field is empty when the station starts (see StationOn): a station looks for a tag
// as soon as it says it waits for one, so a tag left from before would be taken first.
void Serve(CliRig& rig, Child& child, std::deque<sim::TagPtr> tray) {
  while (auto line = child.NextErrorLine(test_support::kPatience)) {
    if (Contains(*line, "waiting for a tag") && !tray.empty()) {
      rig.field->Clear();
      rig.field->Insert(tray.front());
      tray.pop_front();
    } else if (Contains(*line, "remove the tag")) {
      rig.field->Clear();
    }
  }
}

std::string Uid(uint32_t uid) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", uid >> 24, (uid >> 16) & 0xFF,
                (uid >> 8) & 0xFF, uid & 0xFF);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t pos = 0; pos < text.size();) {
    const size_t end = text.find('\n', pos);
    lines.push_back(text.substr(pos, end - pos));
    pos = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

// A station that programs the tags of the tray; the exit status.
int StationOn(CliRig& rig, std::deque<sim::TagPtr> tray, std::vector<std::string> args,
              bool killed = false) {
  args.insert(args.begin(), {"program", "--chip", "sic7888", "--poll", "20"});
  rig.field->Clear();
  auto child = rig.Start(args);
  if (killed) gStation = child->Pid();
  Serve(rig, *child, std::move(tray));
  const int status = child->Wait(test_support::kPatience);
  EXPECT_NE(status, -1) << "the station did not end; it wrote:\n" << child->err;
  return status;
}

class KilledStation : public ::testing::TestWithParam<std::string> {
 protected:
  Result Run(std::vector<std::string> args) {
    args.insert(args.end(), {"--ledger", ledger_.Uri()});
    return rig_.Run(args);
  }
  // A station that programs the tags of the tray; the exit status.
  int Station(std::deque<sim::TagPtr> tray, std::vector<std::string> args, bool killed = false) {
    args.insert(args.end(), {"--ledger", ledger_.Uri()});
    return StationOn(rig_, std::move(tray), std::move(args), killed);
  }

  CliRig rig_;
  TestLedger ledger_{GetParam(), rig_.config.Dir()};
};

}  // namespace

TEST_P(KilledStation, LeavesOneOrphanThatOnlyAReleaseAfterReadingTheTagGivesBack) {
  CliRig& rig = rig_;
  const auto killed = Killing(0x78880002u, false);
  // 100 verified, then killed with 101 claimed: the tag never got it.
  EXPECT_EQ(Station({std::make_shared<sim::Sic7888Tag>(0x78880001u), killed},
                    {"--country", "392", "--national", "100", "--count", "3"}, true),
            128 + SIGKILL);

  const Result orphans = Run({"ledger", "orphans"});
  EXPECT_EQ(orphans.status, 0) << orphans.err;
  const auto lines = Lines(orphans.out);
  ASSERT_EQ(lines.size(), 1u) << orphans.out;
  EXPECT_EQ(lines[0].rfind("392 000000000101  claimed  ", 0), 0u) << lines[0];
  EXPECT_TRUE(Contains(lines[0], " " + rig.sim->DevicePath() + " (pid ")) << lines[0];
  EXPECT_TRUE(Contains(lines[0], "SIC7888  uid " + Uid(0x78880002) + "  series 1")) << lines[0];
  EXPECT_FALSE(Contains(lines[0], "running")) << lines[0];
  // The same as an event of the JSON stream.
  const Result json = Run({"ledger", "orphans", "--json"});
  EXPECT_EQ(SchemaProblems(json.out, rig.config), "") << json.out;
  const auto codes = OfKind(Events(json.out), "code");
  ASSERT_EQ(codes.size(), 1u) << json.out;
  EXPECT_EQ(codes[0]["code"].toString(), "392 000000000101");
  EXPECT_EQ(codes[0]["state"].toString(), "claimed");
  EXPECT_EQ(codes[0]["uid"].toString().toStdString(), Uid(0x78880002));
  EXPECT_FALSE(codes[0]["running"].toBool());

  // Never handed out again by itself: the next station run gets 102.
  EXPECT_EQ(Station({std::make_shared<sim::Sic7888Tag>(0x78880003u)}, {"--resume", "--count", "1"}),
            0);

  // release reads the tag in the field: none, another one, then the station's own.
  const std::string code = "392 000000000101";
  rig.field->Clear();
  const Result none = Run({"ledger", "release", code});
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(Contains(none.err,
                       "ledger: 392 000000000101 not released: no SIC7888 tag in the "
                       "field; put the tag"))
      << none.err;
  rig.field->Insert(std::make_shared<sim::Sic7888Tag>(0x78880099u));
  const Result other = Run({"ledger", "release", "392", "000000000101"});
  EXPECT_EQ(other.status, 1);
  EXPECT_TRUE(
      Contains(other.err, "the tag in the field (UID " + Uid(0x78880099) + ") is not the one"))
      << other.err;
  rig.field->Clear();
  rig.field->Insert(killed);
  const Result released = Run({"ledger", "release", code});
  EXPECT_EQ(released.status, 0) << released.err;
  EXPECT_TRUE(
      Contains(released.err, "ledger: 392 000000000101 released: the tag in the field (UID " +
                                 Uid(0x78880002) + ") sends nothing"))
      << released.err;
  EXPECT_EQ(Run({"ledger", "orphans"}).out, "");

  // The released code is the next claim; the killed station's tag takes it now.
  EXPECT_EQ(Station({killed}, {"--resume", "--count", "1"}), 0);

  // Killed after the chip took the code: release refuses, void takes the code out.
  const auto written = Killing(0x78880004u, true);
  EXPECT_EQ(Station({written}, {"--resume", "--count", "1"}, true), 128 + SIGKILL);
  rig.field->Clear();
  rig.field->Insert(written);
  const Result carries = Run({"ledger", "release", "392 000000000103"});
  EXPECT_EQ(carries.status, 1);
  EXPECT_TRUE(Contains(carries.err, "not released: the tag in the field carries it"))
      << carries.err;
  const Result voided = Run({"ledger", "void", "392 000000000103"});
  EXPECT_EQ(voided.status, 0) << voided.err;
  EXPECT_EQ(voided.err, "ledger: 392 000000000103 is void: no station gets it again\n");
  EXPECT_EQ(Station({std::make_shared<sim::Sic7888Tag>(0x78880005u)}, {"--resume", "--count", "1"}),
            0);

  const Result status = Run({"ledger", "status"});
  EXPECT_EQ(status.status, 0);
  EXPECT_EQ(Lines(status.out).size(), 1u);
  EXPECT_EQ(status.out.rfind("series 1  animal from 392 000000000100 step 1 planned open  "
                             "verified 4  in hand 0  failed 0  released 0  void 1  left ",
                             0),
            0u)
      << status.out;

  // The export: the results file's columns, one row per tag written, in the order recorded.
  const Result exported = Run({"ledger", "export"});
  EXPECT_EQ(exported.status, 0) << exported.err;
  const auto rows = Lines(exported.out);
  ASSERT_EQ(rows.size(), 5u) << exported.out;
  EXPECT_EQ(rows[0], "time,port,chip,written,read back,result,uid,series");
  const std::string port = rig.sim->DevicePath();
  const std::vector<std::pair<uint64_t, uint32_t>> expected = {
      {100, 0x78880001}, {102, 0x78880003}, {101, 0x78880002}, {104, 0x78880005}};
  for (size_t i = 0; i < expected.size(); ++i) {
    const std::string text = "392 " + fdx::FormatPaddedDecimal(12, expected[i].first);
    EXPECT_EQ(rows[i + 1].substr(rows[i + 1].find(',') + 1),
              port + ",SIC7888," + text + "," + text + ",OK," + Uid(expected[i].second) + ",1");
  }
  // The same into a file.
  const std::string file = rig.config.Path("series-1.csv");
  EXPECT_EQ(Run({"ledger", "export", "--series", "1", "--csv", file}).status, 0);
  EXPECT_EQ(TempConfig::ReadFile(file), exported.out);
}

INSTANTIATE_TEST_SUITE_P(Ledgers, KilledStation, kBothLedgers, LedgerName);

TEST(LedgerVerbs, WhatCannotBeDoneIsAUsageErrorNamingIt) {
  CliRig rig({std::make_shared<sim::Sic7888Tag>(0x78880001u)});
  ASSERT_EQ(rig.Run({"program", "--chip", "sic7888", "--country", "392", "--national", "7",
                     "--count", "1", "--poll", "20"})
                .status,
            0);
  struct Case {
    std::vector<std::string> args;
    std::string line;
  } const cases[] = {
      {{"ledger"}, "ledger takes status, orphans, export, release CODE or void CODE"},
      {{"ledger", "list"},
       "ledger takes status, orphans, export, release CODE or void CODE, not \"list\""},
      {{"ledger", "release"}, "ledger release needs the code (\"392 000000000100\")"},
      {{"ledger", "void", "392 7"}, "392 000000000007 is verified: nothing to void"},
      {{"ledger", "release", "392 8"}, "392 000000000008 is not in the ledger"},
      {{"ledger", "void", "392-8"},
       "\"392-8\" is no code: \"392 000000000100\" (country and national ID), 19 digits "
       "(industrial) or 0x and 16 hexadecimal digits"},
      {{"ledger", "status", "7"}, "unexpected argument: 7"},
      {{"ledger", "status", "--series", "1"}, "--series belongs to export"},
      {{"ledger", "export", "--series", "9"}, "the ledger holds no series 9"},
      {{"ledger", "status", "--ledger", "postgresql://a@b"},
       "--ledger: \"postgresql://a@b\" names no database (postgresql://user@host/DATABASE)"},
  };
  for (const Case& c : cases) {
    const Result r = rig.Run(c.args);
    EXPECT_EQ(r.status, 2) << c.line;
    EXPECT_EQ(r.err, "qzh900ctl ledger: " + c.line + "\n");
  }
  // Another ledger holds nothing.
  const Result empty =
      rig.Run({"ledger", "status", "--ledger", "sqlite:" + rig.config.Path("empty.sqlite")});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");
}
