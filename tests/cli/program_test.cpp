// qzh900ctl program and dump against the simulator: series programming of tags that the test
// swaps in and out of the field as the runner asks for them, with a chip that takes a code other
// than the one written, the results file and --resume; the tag viewer's read and its export.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <deque>
#include <filesystem>

#include "codec/animal_id.h"
#include "sim/chips/sic7888.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/wait.h"
#include "tests/support/weak_sic7888.h"

using namespace cli_test;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

namespace {

std::string Uid(uint32_t uid) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", uid >> 24, (uid >> 16) & 0xFF,
                (uid >> 8) & 0xFF, uid & 0xFF);
  return text;
}

// Plays the operator: puts the next tag into the field when the runner waits for one, and takes
// it out (or swaps the next one straight in) when the runner asks for it to be removed. Returns
// the progress lines seen.
struct Operator {
  CliRig& rig;
  std::deque<sim::TagPtr> tray;
  bool swapOnRemove = false;  // alternates: remove, then swap the next one in

  Lines Serve(Child& child) {
    Lines seen;
    while (auto line = child.NextErrorLine(test_support::kPatience)) {
      seen.push_back(*line);
      if (Contains(*line, "waiting for a tag") && rig.field->Size() == 0 && !tray.empty()) {
        rig.field->Insert(tray.front());
        tray.pop_front();
      } else if (Contains(*line, "remove the tag")) {
        if (swapOnRemove && !tray.empty()) {
          rig.field->Replace(0, tray.front());
          tray.pop_front();
        } else {
          rig.field->Remove(0);
        }
        swapOnRemove = !swapOnRemove;
      }
    }
    return seen;
  }
};

std::vector<std::string> Rows(const std::string& csvText) {
  std::vector<std::string> rows;
  size_t pos = 0;
  while (pos < csvText.size()) {
    size_t end = csvText.find('\n', pos);
    if (end == std::string::npos) end = csvText.size();
    rows.push_back(csvText.substr(pos, end - pos));
    pos = end + 1;
  }
  return rows;
}

// The columns after the time of a results row.
std::string WithoutTime(const std::string& row) {
  return row.substr(row.find(',') + 1);
}

}  // namespace

TEST(CliProgram, FiveTagsWithAFailedVerificationThenResume) {
  CliRig rig;
  const std::string csv = rig.config.Path("results.csv");
  const std::string port = rig.sim->DevicePath();
  Operator op{rig, {}};
  for (uint32_t uid : {0x78880001u, 0x78880002u})
    op.tray.push_back(std::make_shared<sim::Sic7888Tag>(uid));
  op.tray.push_back(std::make_shared<WeakSic7888>(0x78880003u));
  for (uint32_t uid : {0x78880004u, 0x78880005u, 0x78880006u})
    op.tray.push_back(std::make_shared<sim::Sic7888Tag>(uid));

  auto child = rig.Start({"program", "--chip", "sic7888", "--country", "392", "--national", "100",
                          "--count", "5", "--poll", "20", "--csv", csv});
  const Lines progress = op.Serve(*child);
  EXPECT_EQ(child->Wait(test_support::kPatience), 1)
      << child->err;  // every tag done, one of them NG
  EXPECT_TRUE(op.tray.empty());

  // The failed code went to the next tag; no code was verified twice.
  const std::string p = "," + port + ",SIC7888,";
  const Lines rows = Rows(TempConfig::ReadFile(csv));
  ASSERT_EQ(rows.size(), 7u) << TempConfig::ReadFile(csv);
  EXPECT_EQ(rows[0], "time,port,chip,written,read back,result,uid,series");
  const Lines expected = {
      port + ",SIC7888,392 000000000100,392 000000000100,OK," + Uid(0x78880001) + ",1",
      port + ",SIC7888,392 000000000101,392 000000000101,OK," + Uid(0x78880002) + ",1",
      port + ",SIC7888,392 000000000102,392 000000001102,NG," + Uid(0x78880003) + ",1",
      port + ",SIC7888,392 000000000102,392 000000000102,OK," + Uid(0x78880004) + ",1",
      port + ",SIC7888,392 000000000103,392 000000000103,OK," + Uid(0x78880005) + ",1",
      port + ",SIC7888,392 000000000104,392 000000000104,OK," + Uid(0x78880006) + ",1",
  };
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(WithoutTime(rows[i + 1]), expected[i]);
  EXPECT_NE(std::find(progress.begin(), progress.end(),
                      "program: " + port +
                          " [3/5] NG: read back 392 000000001102; 392 000000000102 stays the next "
                          "code"),
            progress.end());
  // Standard output: the write sequence and the read back of each tag, as the log pane shows.
  size_t oks = 0;
  for (const std::string& l : Rows(child->out)) oks += l == "OK: Animal ID Write Command";
  EXPECT_EQ(oks, 6u);

  // Resume: a tag that carries a verified code is left alone; the next codes follow 104.
  Operator again{rig, {}};
  auto programmed = std::make_shared<sim::Sic7888Tag>(0x78880010u);
  programmed->ProgramFdxb(fdx::AnimalIdCode::Animal(392, 101).Encode());
  again.tray = {programmed, std::make_shared<sim::Sic7888Tag>(0x78880011u),
                std::make_shared<sim::Sic7888Tag>(0x78880012u)};
  auto resumed = rig.Start(
      {"program", "--chip", "sic7888", "--resume", "--count", "2", "--poll", "20", "--csv", csv});
  const Lines progress2 = again.Serve(*resumed);
  EXPECT_EQ(resumed->Wait(test_support::kPatience), 0) << resumed->err;
  EXPECT_TRUE(Contains(resumed->err, "codes from 392 000000000105")) << resumed->err;
  EXPECT_TRUE(Contains(resumed->err, "tag " + Uid(0x78880010) +
                                         " already carries 392 000000000101, verified before"))
      << resumed->err;
  const Lines all = Rows(TempConfig::ReadFile(csv));
  ASSERT_EQ(all.size(), 9u);
  EXPECT_EQ(WithoutTime(all[7]),
            port + ",SIC7888,392 000000000105,392 000000000105,OK," + Uid(0x78880011) + ",1");
  EXPECT_EQ(WithoutTime(all[8]),
            port + ",SIC7888,392 000000000106,392 000000000106,OK," + Uid(0x78880012) + ",1");
}

TEST(CliProgram, StopsOnAFailureWhenAskedOnInterruptAndWhenThePortVanishes) {
  CliRig rig;
  const std::string csv = rig.config.Path("stop.csv");
  Operator op{rig, {std::make_shared<WeakSic7888>(0x78880020u)}};
  auto child = rig.Start({"program", "--chip", "sic7888", "--industrial", "7", "--on-fail", "stop",
                          "--poll", "20", "--csv", csv});
  op.Serve(*child);
  EXPECT_EQ(child->Wait(test_support::kPatience), 1);
  EXPECT_EQ(Rows(TempConfig::ReadFile(csv)).size(), 2u);
  EXPECT_TRUE(Contains(child->err, "0 verified, 1 failed")) << child->err;

  // Interrupted while it waits for a tag: it ends at once, the file keeps its rows. (The same
  // series: the file holds its rows.)
  rig.field->Clear();
  auto waiting = rig.Start(
      {"program", "--chip", "sic7888", "--industrial", "7", "--poll", "20", "--csv", csv});
  std::optional<std::string> line;
  while ((line = waiting->NextErrorLine(test_support::kPatience)) &&
         !Contains(*line, "waiting for a tag")) {
  }
  ASSERT_TRUE(line.has_value()) << waiting->err;
  waiting->Signal(SIGINT);
  EXPECT_EQ(waiting->Wait(test_support::kPatience), 0) << waiting->err;
  EXPECT_TRUE(Contains(waiting->err, "0 verified, 0 failed (interrupted)")) << waiting->err;
  EXPECT_EQ(Rows(TempConfig::ReadFile(csv)).size(), 2u);

  // The adapter unplugged while it waits: a port error.
  auto unplugged = rig.Start(
      {"program", "--chip", "sic7888", "--industrial", "7", "--poll", "20", "--csv", csv});
  while ((line = unplugged->NextErrorLine(test_support::kPatience)) &&
         !Contains(*line, "waiting for a tag")) {
  }
  ASSERT_TRUE(line.has_value()) << unplugged->err;
  rig.sim->HangUp();
  EXPECT_EQ(unplugged->Wait(test_support::kPatience), 2) << unplugged->err;
  EXPECT_TRUE(Contains(unplugged->err, "has vanished")) << unplugged->err;
}

// A port path is any file name: a link to the module named with a quote, a comma and a line
// break. Its rows are written as quoted CSV fields and read back whole, so a code verified on it
// is never written again.
TEST(CliProgram, APortNameWithALineBreakAndAQuoteIsReadBackByTheNextRun) {
  CliRig rig;
  const std::string csv = rig.config.Path("odd.csv");
  const std::string port = rig.config.Path("tty \"A\",\nB");
  ASSERT_EQ(::symlink(rig.sim->DevicePath().c_str(), port.c_str()), 0);
  Operator op{rig, {std::make_shared<sim::Sic7888Tag>(0x78880040u)}};
  auto first = rig.Start({"program", "--chip", "sic7888", "--industrial", "500", "--count", "1",
                          "--poll", "20", "--csv", csv, "--port", port});
  op.Serve(*first);
  ASSERT_EQ(first->Wait(test_support::kPatience), 0) << first->err;
  EXPECT_TRUE(Contains(TempConfig::ReadFile(csv), ",\"" + rig.config.Path("tty \"\"A\"\",\nB") +
                                                      "\",SIC7888,0000000000000000500,"))
      << TempConfig::ReadFile(csv);

  // The same first code with a ledger that does not know it: the results file does, and refuses
  // it.
  const Result again =
      rig.Run({"program", "--chip", "sic7888", "--industrial", "500", "--count", "1", "--csv", csv,
               "--port", port, "--ledger", "sqlite:" + rig.config.Path("other.sqlite")});
  EXPECT_EQ(again.status, 2);
  EXPECT_TRUE(Contains(again.err, "0000000000000000500 was verified before (" + csv + ")"))
      << again.err;

  Operator next{rig, {std::make_shared<sim::Sic7888Tag>(0x78880041u)}};
  auto resumed = rig.Start({"program", "--chip", "sic7888", "--resume", "--count", "1", "--poll",
                            "20", "--csv", csv, "--port", port});
  next.Serve(*resumed);
  EXPECT_EQ(resumed->Wait(test_support::kPatience), 0) << resumed->err;
  EXPECT_TRUE(Contains(resumed->err, "codes from 0000000000000000501")) << resumed->err;
  const std::string text = TempConfig::ReadFile(csv);
  EXPECT_TRUE(Contains(text, "SIC7888,0000000000000000501,0000000000000000501,OK")) << text;
}

// While one run holds a results file, a second run on it is refused at once, before it opens
// the port or writes anything; the first goes on.
TEST(CliProgram, TwoRunsOnOneResultsFileTheSecondIsRefused) {
  CliRig rig;
  const std::string csv = rig.config.Path("shared.csv");
  auto holder = rig.Start(
      {"program", "--chip", "sic7888", "--industrial", "8", "--poll", "20", "--csv", csv});
  std::optional<std::string> line;
  while ((line = holder->NextErrorLine(test_support::kPatience)) &&
         !Contains(*line, "waiting for a tag")) {
  }
  ASSERT_TRUE(line.has_value()) << holder->err;
  const Result second = RunCli(
      {"program", "--chip", "sic7888", "--industrial", "100", "--port", "/dev/null", "--csv", csv});
  EXPECT_EQ(second.status, 2);
  EXPECT_EQ(second.err, "qzh900ctl program: " + csv +
                            ": in use by another run (qzh900ctl program holds it); one file, one "
                            "run\n");
  EXPECT_EQ(TempConfig::ReadFile(csv), "time,port,chip,written,read back,result,uid,series\n");
  holder->Signal(SIGINT);
  EXPECT_EQ(holder->Wait(test_support::kPatience), 0) << holder->err;
  EXPECT_TRUE(Contains(holder->err, "0 verified, 0 failed (interrupted)")) << holder->err;
}

// The presence polls of a station that waits for its tag are no results of the run: a run that
// polled a while counts the same results as one whose tag was there at once, and no failures.
TEST(CliProgram, PresencePollsAreNoResultsOfTheRun) {
  CliRig rig;
  auto summary = [&](Child& child) {
    EXPECT_EQ(child.Wait(test_support::kPatience), 0) << child.err;
    const auto events = OfKind(Events(child.out), "summary");
    EXPECT_EQ(events.size(), 1u) << child.out;
    return events.empty() ? QJsonObject() : events[0];
  };
  auto start = [&](const std::string& first) {
    return rig.Start({"program", "--json", "--chip", "sic7888", "--industrial", first, "--count",
                      "1", "--poll", "20"});
  };
  rig.field->Insert(std::make_shared<sim::Sic7888Tag>(0x78880060u));
  auto atOnce = start("70");
  const QJsonObject direct = summary(*atOnce);

  rig.field->Clear();
  const uint64_t before = rig.Commands();
  auto waiting = start("80");
  std::optional<std::string> line;
  while ((line = waiting->NextErrorLine(test_support::kPatience)) &&
         !Contains(*line, "waiting for a tag")) {
  }
  ASSERT_TRUE(line.has_value()) << waiting->err;
  // Twenty polls and more: the module has answered that many commands since the start.
  ASSERT_TRUE(test_support::PumpUntil([&] { return rig.Commands() >= before + 40; }));
  rig.field->Insert(std::make_shared<sim::Sic7888Tag>(0x78880061u));
  const QJsonObject polled = summary(*waiting);
  EXPECT_GT(direct["results"].toInt(), 0);
  EXPECT_EQ(polled["results"].toInt(), direct["results"].toInt());
  EXPECT_EQ(polled["failures"].toInt(), 0);
}

TEST(CliProgram, TheEndOfTheSeriesIsNoInterruption) {
  CliRig rig;
  const std::string csv = rig.config.Path("end.csv");
  Operator op{rig,
              {std::make_shared<sim::Sic7888Tag>(0x78880050u),
               std::make_shared<sim::Sic7888Tag>(0x78880051u)}};
  // The largest industrial number but one: two tags end the series.
  auto child = rig.Start({"program", "--chip", "sic7888", "--industrial", "9223372036854775806",
                          "--count", "5", "--poll", "20", "--csv", csv});
  op.Serve(*child);
  EXPECT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  EXPECT_TRUE(Contains(child->err, "the series ends with 9223372036854775807")) << child->err;
  EXPECT_TRUE(Contains(child->err, "program: 2 verified, 0 failed\n")) << child->err;
  EXPECT_FALSE(Contains(child->err, "interrupted")) << child->err;
}

TEST(CliProgram, BadOptionsAndUnusableResultsFilesWriteNothing) {
  CliRig rig({std::make_shared<sim::Sic7888Tag>(0x78880030u)});
  const std::string notResults = rig.config.Path("other.csv");
  TempConfig::WriteFile(notResults, "name,value\n");
  const std::string verified = rig.config.Path("verified.csv");
  TempConfig::WriteFile(verified,
                        "time,port,chip,written,read back,result,uid\n"
                        "2026-01-01 10:00:00,COM9,SIC7888,999 000000000005,999 000000000005,OK,"
                        "01 02 03 04\n");
  // A row that cannot be read: the run cannot know what was verified.
  const std::string broken = rig.config.Path("broken.csv");
  const std::string brokenText =
      "time,port,chip,written,read back,result,uid\n"
      "2026-01-01 10:00:00,COM9,SIC7888,999 000000000005,999 000000000005,OK,01 02 03 04\n"
      "2026-01-01 10:00:09,\"COM9\"x,SIC7888,999 000000000006,999 000000000006,OK,01\n";
  TempConfig::WriteFile(broken, brokenText);
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  };
  const Case cases[] = {
      {{"--chip", "sic7888", "--country", "999", "--test-code", "--national", "1", "--csv",
        rig.config.Path("no/such/folder/r.csv")},
       "No such file or directory"},
      {{"--chip", "sic7888", "--country", "999", "--test-code", "--national", "1", "--csv",
        rig.config.Dir()},
       "Is a directory"},
      {{"--chip", "sic7888", "--country", "999", "--test-code", "--national", "1", "--csv",
        notResults},
       "not a results file"},
      {{"--chip", "sic7888", "--country", "999", "--test-code", "--national", "3", "--count", "5",
        "--csv", verified},
       "999 000000000005 was verified before"},
      {{"--chip", "sic7888", "--resume", "--csv", rig.config.Path("empty.csv")},
       "empty.csv names no series; the ledger sqlite:"},
      {{"--chip", "t5577", "--industrial", "1", "--csv", verified}, "--chip takes"},
      {{"--chip", "sic7888", "--country", "999", "--csv", verified}, "need both"},
      // The limits and number forms are the ones --help names.
      {{"--chip", "sic7888", "--national", "274877906944", "--country", "1", "--csv", verified},
       "--national takes a decimal number 0-274877906943"},
      {{"--chip", "sic7888", "--national", "1", "--country", "1000", "--csv", verified},
       "--country takes a decimal number 0-999"},
      {{"--chip", "sic7888", "--industrial", "1", "--count", "0x10", "--csv", verified},
       "--count takes a decimal number"},
      {{"--chip", "sic7888", "--industrial", "1", "--poll", "200ms", "--csv", verified},
       "--poll takes a decimal number"},
      {{"--chip", "sic7888", "--industrial", "1", "--lock", "--yes", "--csv", verified},
       "--lock applies to sic279 and hdxplus"},
      {{"--chip", "sic279", "--industrial", "1", "--lock", "--csv", verified}, "with --yes"},
      {{"--chip", "sic7888", "--industrial", "1", "--ledger", "codes.sqlite"},
       "--ledger: \"codes.sqlite\" is no ledger: sqlite:PATH or postgresql://"},
      {{"--chip", "sic7888", "--resume", "--planned", "5"}, "--planned belongs to a first code"},
      {{"--chip", "sic7888", "--resume", "--csv", broken},
       "broken.csv: line 3: text after the closing quote of a field"},
      {{"--chip", "sic7888", "--country", "999", "--test-code", "--national", "7", "--csv", broken},
       "broken.csv: line 3: text after the closing quote of a field"},
      // The port fails after every check of the file passed: the new file is not left behind.
      {{"--chip", "sic7888", "--industrial", "1", "--csv", rig.config.Path("new.csv"), "--port",
        rig.config.Path("no-such-tty")},
       "no-such-tty"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"program"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = rig.Run(args);
    EXPECT_EQ(r.status, 2) << c.reason;
    EXPECT_TRUE(Contains(r.err, c.reason)) << c.reason << ": " << r.err;
  }
  EXPECT_EQ(rig.Commands(), 0u);
  EXPECT_EQ(TempConfig::ReadFile(notResults), "name,value\n");
  EXPECT_EQ(TempConfig::ReadFile(broken), brokenText);
  EXPECT_FALSE(std::filesystem::exists(rig.config.Path("empty.csv")));
  EXPECT_FALSE(std::filesystem::exists(rig.config.Path("new.csv")));
}

TEST(CliDump, ReadsTheTagAndAppendsTheViewersExport) {
  CliRig rig({MakeTag("sic7888:uid:11223344:fdxb:8000F9E0F20EA701")});
  const std::string csv = rig.config.Path("tags.txt");  // saved as tags.csv
  const Result r = rig.Run({"dump", "--csv", csv});
  EXPECT_EQ(r.status, 0) << r.err;
  const Lines lines = r.HandlerLines();
  const Lines head = {"No response from tag",
                      "No response from tag",
                      "NG: ChargeOnlyReadCmd",
                      "Animal Application",
                      "ID : 999 141500000001",
                      "ID(Hex),999 141500000001",
                      "Tag Type,FDX-B, Animal_ID Format",
                      "Chip/Manufacture,SIC7888",
                      "BADR,Data,Infomation",
                      "BADR0,11 22 33 44 ,UID",
                      "BADR1,CA 48 00 00 ,Configuration"};
  // Five log lines, the three fields, the header and the 44 blocks.
  ASSERT_EQ(lines.size(), 5u + 3 + 1 + 44);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(head.size())), head);
  EXPECT_EQ(lines.back(), "BADR43,20 26 01 15 ,Traceability Data 1");

  // The file holds the export: an empty line, the date, then what standard output showed.
  const std::string text = TempConfig::ReadFile(rig.config.Path("tags.csv"));
  Lines file;
  for (std::string l : Rows(text)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    file.push_back(l);
  }
  ASSERT_GE(file.size(), 3u);
  EXPECT_EQ(file[0], "");
  EXPECT_EQ(Lines(file.begin() + 2, file.end()), Lines(lines.begin() + 5, lines.end()));

  // No tag: nothing identified. An unwritable file: refused before anything is sent.
  rig.field->Clear();
  EXPECT_EQ(rig.Run({"dump"}).status, 1);
  const uint64_t commands = rig.Commands();
  const Result bad = rig.Run({"dump", "--csv", rig.config.Path("no/such/folder/x.csv")});
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(Contains(bad.err, "No such file or directory")) << bad.err;
  // A FIFO in the file's place would block the export for ever: refused at once.
  ASSERT_EQ(::mkfifo(rig.config.Path("fifo.csv").c_str(), 0600), 0);
  const Result fifo = rig.Run({"dump", "--csv", rig.config.Path("fifo.csv")});
  EXPECT_EQ(fifo.status, 2);
  EXPECT_EQ(fifo.err,
            "qzh900ctl dump: " + rig.config.Path("fifo.csv") + ": not a regular file (a FIFO)\n");
  EXPECT_EQ(rig.Commands(), commands);
}
