// qzh900ctl listen --follow: reading until a signal, --dedup, and a port that vanishes and comes
// back (the simulator hung up and reopened on a new pty under the same COM number) while the
// run goes on with its tally.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include "sim/console.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/wait.h"

using namespace cli_test;

namespace {

constexpr const char* kFdxbLine = "ID: 80 00 62 1C BE 99 1A 14 [392, 123456789012]";
constexpr const char* kEmLine = "ID: 01 02 03 04 05 [0067305985]";

std::vector<std::string> LinesOf(const std::string& text) {
  Result r;
  r.out = text;
  return r.Lines();
}

// The "ID: " lines of standard output.
std::vector<std::string> IdLines(const std::string& out) {
  std::vector<std::string> ids;
  for (const std::string& line : LinesOf(out))
    if (line.rfind("ID: ", 0) == 0) ids.push_back(line);
  return ids;
}

// The counts of the tally rows printed at the end (after the last header).
std::vector<int> FinalTallyCounts(const std::string& out) {
  std::vector<int> counts;
  for (const std::string& line : LinesOf(out)) {
    if (line == "No.\tNumbers\tTag Type\tID Data") counts.clear();
    const size_t tab = line.find('\t');
    if (tab != std::string::npos && line[0] >= '1' && line[0] <= '9')
      counts.push_back(std::stoi(line.substr(tab + 1)));
  }
  return counts;
}

// Reads standard error until a line that contains `part`.

// Reads standard output until `count` lines that start with `prefix` have come.
bool AwaitOutputs(Child& child, const std::string& prefix, int count) {
  for (int seen = 0; seen < count;)
    if (!child.WaitForOutput(prefix))
      return false;
    else
      ++seen;
  return true;
}

}  // namespace

TEST(CliFollow, ReadsUntilSigtermThenCommandModeTallyAndExitZero) {
  CliRig rig({MakeTag("fdxb:392:123456789012"), MakeTag("em:0504030201")});
  for (int sig : {SIGTERM, SIGINT}) {
    auto child = rig.Start({"listen", "--follow", "--animal-id"});
    // Both tags read, twice each: the run goes on past the first frames.
    ASSERT_TRUE(AwaitOutputs(*child, "ID: ", 4)) << child->out << child->err;
    child->Signal(sig);
    EXPECT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
    const std::string& o = child->out;
    EXPECT_TRUE(Contains(o, "OK: Read Loop Mode\n")) << o;
    EXPECT_TRUE(Contains(o, "OK: Command Mode\n")) << o;
    for (const std::string& id : IdLines(o)) EXPECT_TRUE(id == kFdxbLine || id == kEmLine) << id;
    EXPECT_TRUE(Contains(o, std::string(kFdxbLine) + "\n")) << o;
    EXPECT_TRUE(Contains(o, std::string(kEmLine) + "\n")) << o;
    EXPECT_TRUE(Contains(o, "No.\tNumbers\tTag Type\tID Data\n")) << o;
    EXPECT_TRUE(Contains(o, "\tFDX-B\t80 00 62 1C BE 99 1A 14 [392, 123456789012]\n")) << o;
    // Every ID line the run printed is counted in the tally, no more.
    const std::vector<int> counts = FinalTallyCounts(o);
    ASSERT_EQ(counts.size(), 2u) << o;
    EXPECT_EQ(counts[0] + counts[1], static_cast<int>(IdLines(o).size())) << o;
    EXPECT_EQ(rig.ModuleMode(), 4) << "signal " << sig;
  }
}

TEST(CliFollow, JsonCarriesOneIdEventPerFrameWithTheDecodedIdentityAndNoFrameLines) {
  CliRig rig({MakeTag("fdxb:392:123456789012"), MakeTag("em:0504030201")});
  auto child = rig.Start({"listen", "--follow", "--json", "--animal-id"});
  ASSERT_TRUE(AwaitOutputs(*child, "{\"animal_code\":", 2)) << child->out << child->err;
  child->Signal(SIGTERM);
  ASSERT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  EXPECT_EQ(SchemaProblems(child->out, rig.config), "");
  const auto events = Events(child->out);
  const auto ids = OfKind(events, "id");
  ASSERT_GE(ids.size(), 2u);
  bool fdxb = false, em = false;
  for (const QJsonObject& e : ids) {
    const std::string type = e["tag_type"].toString().toStdString();
    if (type == "FDX-B") {
      fdxb = true;
      EXPECT_EQ(e["bytes"].toString(), "80 00 62 1C BE 99 1A 14");
      EXPECT_EQ(e["animal_code"].toString(), "392, 123456789012");
      EXPECT_EQ(e["country"].toInt(), 392);
      EXPECT_EQ(e["country_name"].toString(), "Japan");
      EXPECT_EQ(e["national"].toInteger(), 123456789012);
      EXPECT_FALSE(e.contains("em_number"));
    } else {
      em = true;
      EXPECT_EQ(type, "EM");
      EXPECT_EQ(e["bytes"].toString(), "01 02 03 04 05");
      // The EM number in its own field, never as an animal code.
      EXPECT_EQ(e["em_number"].toInteger(), 67305985);
      EXPECT_FALSE(e.contains("animal_code"));
      EXPECT_FALSE(e.contains("country"));
    }
    EXPECT_EQ(e["kind"].toString().size(), 2);
  }
  EXPECT_TRUE(fdxb && em);
  // What a service's journal gets: the id events, no log event per frame.
  for (const QJsonObject& e : OfKind(events, "log")) {
    const QString line = e["line"].toString();
    EXPECT_FALSE(line.startsWith("ID: ") || line.startsWith("RX: ") || line.startsWith("TX: "))
        << line.toStdString();
  }
  int counted = 0;
  for (const QJsonObject& t : OfKind(events, "tally")) counted += t["count"].toInt();
  EXPECT_EQ(counted, static_cast<int>(ids.size()));
  const QJsonObject summary = events.back();
  EXPECT_EQ(summary["event"], "summary");
  EXPECT_EQ(summary["exit"], 0);
  EXPECT_EQ(summary["verdict"], 0);
  EXPECT_EQ(rig.ModuleMode(), 4);
}

TEST(CliFollow, DedupLeavesRepeatsOutButTheTallyCountsThem) {
  CliRig rig({MakeTag("fdxb:392:123456789012")});
  auto child = rig.Start({"listen", "--follow", "--dedup", "3600000", "--animal-id"});
  ASSERT_TRUE(child->WaitForOutput("ID: ")) << child->out << child->err;
  // Three more frames of the same tag sent after the first line was printed.
  const uint64_t sent = rig.sim->Counters().module.idFrames;
  ASSERT_TRUE(
      rig.sim->WaitUntil([&](const sim::SimCounters& c) { return c.module.idFrames >= sent + 3; },
                         test_support::kPatience));
  child->Signal(SIGTERM);
  ASSERT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  EXPECT_EQ(IdLines(child->out), std::vector<std::string>{kFdxbLine}) << child->out;
  const std::vector<int> counts = FinalTallyCounts(child->out);
  ASSERT_EQ(counts.size(), 1u) << child->out;
  // The frames before the signal all reached the run: the switch back reads past them.
  EXPECT_GE(counts[0], 4) << child->out;
}

TEST(CliFollow, TallyEveryPrintsTheTallyWhileReading) {
  CliRig rig({MakeTag("em:0504030201")});
  auto child = rig.Start({"listen", "--follow", "--tally-every", "1", "--animal-id"});
  // Two tallies while it reads, each with the row of the tag; then the final one.
  ASSERT_TRUE(AwaitOutputs(*child, "No.\tNumbers\tTag Type\tID Data", 2))
      << child->out << child->err;
  ASSERT_TRUE(child->WaitForOutput("1\t")) << child->out;
  child->Signal(SIGTERM);
  ASSERT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  int headers = 0;
  for (const std::string& line : LinesOf(child->out))
    headers += line == "No.\tNumbers\tTag Type\tID Data";
  EXPECT_GE(headers, 3) << child->out;
  EXPECT_TRUE(Contains(child->out, "\tEM\t01 02 03 04 05 [0067305985]\n")) << child->out;
}

TEST(CliFollow, SurvivesThreeHangUpsOnTheConsoleLosingNoFrameOutsideTheGaps) {
  CliRig rig({MakeTag("fdxb:392:123456789012")}, RigOptions{.comNumber = 47});
  ASSERT_EQ(rig.sim->ComName(), "COM47");
  auto child = rig.Start({"listen", "--follow", "--animal-id", "--port", "COM47"});
  ASSERT_TRUE(child->WaitForOutput("ID: ")) << child->out << child->err;
  int printed = 1;
  // Frames the simulator put on the line (those it dropped because the host did not read are
  // not on it).
  auto sent = [&] {
    const sim::SimCounters c = rig.sim->Counters();
    return static_cast<int>(c.module.idFrames - c.droppedStream);
  };
  auto console = [&](const std::string& command) {
    return sim::RunConsoleCommand(*rig.sim, command).output;
  };
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // The tag leaves the field and every frame it sent is printed before the line drops: no
    // frame is in flight at the hang-up, so every frame sent must come out as a line.
    const sim::TagPtr tag = rig.field->Remove(0);
    ASSERT_NE(tag, nullptr);
    const int before = sent();
    ASSERT_TRUE(AwaitOutputs(*child, "ID: ", before - printed)) << child->out;
    printed = before;
    EXPECT_EQ(console("hangup"), "");
    ASSERT_TRUE(AwaitError(*child, "listen: the port COM47 has vanished; waiting for it to return"))
        << child->err;
    EXPECT_EQ(console("reopen"), "");
    ASSERT_TRUE(AwaitError(*child, "listen: the port COM47 is back after ")) << child->err;
    // Reading again on the new pty.
    rig.field->Insert(tag);
    ASSERT_TRUE(child->WaitForOutput("ID: ")) << child->out;
    ++printed;
  }
  child->Signal(SIGTERM);
  ASSERT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  EXPECT_EQ(rig.ModuleMode(), 4);
  // Every frame sent over the four stretches is a line (the switch back to command mode reads
  // past the last ones), and one tally across the gaps counts them all.
  const std::vector<std::string> ids = IdLines(child->out);
  for (const std::string& id : ids) EXPECT_EQ(id, kFdxbLine);
  EXPECT_EQ(static_cast<int>(ids.size()), sent()) << child->out;
  const std::vector<int> counts = FinalTallyCounts(child->out);
  ASSERT_EQ(counts.size(), 1u) << child->out;
  EXPECT_EQ(counts[0], static_cast<int>(ids.size())) << child->out;
  EXPECT_GE(counts[0], 4);
}

TEST(CliFollow, WaitsForAVanishedPortInJsonAndSaysHowLongTheGapWas) {
  CliRig rig({MakeTag("em:0504030201")}, RigOptions{.comNumber = 48});
  auto child = rig.Start({"listen", "--follow", "--json", "--port", "COM48"});
  ASSERT_TRUE(AwaitOutputs(*child, "{\"bytes\":", 1)) << child->out << child->err;
  rig.sim->HangUp();
  ASSERT_TRUE(AwaitError(*child, "has vanished")) << child->err;
  std::string error;
  ASSERT_TRUE(rig.sim->Reopen(&error)) << error;
  ASSERT_TRUE(AwaitError(*child, "is back after")) << child->err;
  ASSERT_TRUE(AwaitOutputs(*child, "{\"bytes\":", 1)) << child->out;
  child->Signal(SIGINT);
  ASSERT_EQ(child->Wait(test_support::kPatience), 0) << child->err;
  EXPECT_EQ(SchemaProblems(child->out, rig.config), "");
  const auto events = Events(child->out);
  const auto lost = OfKind(events, "port_lost");
  const auto back = OfKind(events, "port_back");
  ASSERT_EQ(lost.size(), 1u);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(lost[0]["port"], "COM48");
  // The gap lies within the time between the two events (each stamp rounds down to the ms), and
  // the line says it in seconds.
  const qint64 gap = back[0]["gap_ms"].toInteger();
  const qint64 between = back[0]["t_ms"].toInteger() - lost[0]["t_ms"].toInteger();
  EXPECT_GE(gap, 0);
  EXPECT_LE(gap, between + 2);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(gap) / 1000.0);
  EXPECT_EQ(back[0]["text"].toString().toStdString(),
            std::string("listen: the port COM48 is back after ") + seconds + " s");
}

TEST(CliFollow, FollowTakesNoSecondsAndItsOptionsNeedIt) {
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"listen", "5", "--follow"}, "SECONDS and --follow exclude each other"},
      {{"listen", "--dedup", "100", "5"}, "--dedup, --frames and --tally-every need --follow"},
      {{"listen", "--tally-every", "2", "5"}, "--dedup, --frames and --tally-every need --follow"},
      {{"listen", "--frames", "5"}, "--dedup, --frames and --tally-every need --follow"},
      {{"listen", "--follow", "--dedup", "0"}, "--dedup takes a decimal number 1-86400000"},
      {{"listen", "--follow", "--tally-every", "0.5"},
       "--tally-every takes a decimal number of seconds 1-86400"},
      {{"listen"}, "listen needs the number of seconds, or --follow"},
  };
  for (const auto& c : cases) {
    const Result r = RunCli(c.args);
    EXPECT_EQ(r.status, 2) << c.reason;
    EXPECT_TRUE(Contains(r.err, c.reason)) << r.err;
  }
}

TEST(CliFollow, FramesShowsTheFrameLinesAndDedupLeavesOutEveryLineOfARepeat) {
  CliRig rig({MakeTag("fdxb:392:123456789012"), MakeTag("em:0504030201")});
  // Without --frames: ID lines only.
  auto plain = rig.Start({"listen", "--follow"});
  ASSERT_TRUE(AwaitOutputs(*plain, "ID: ", 4)) << plain->out << plain->err;
  plain->Signal(SIGTERM);
  ASSERT_EQ(plain->Wait(test_support::kPatience), 0) << plain->err;
  EXPECT_FALSE(Contains(plain->out, "RX: ")) << plain->out;
  EXPECT_FALSE(Contains(plain->out, "TX: ")) << plain->out;

  // With --frames and a --dedup longer than the run: each tag's frame once, its RX line with
  // it, although the tally counts every frame.
  auto framed = rig.Start({"listen", "--follow", "--frames", "--dedup", "86400000"});
  ASSERT_TRUE(AwaitOutputs(*framed, "ID: ", 2)) << framed->out << framed->err;
  const uint64_t seen = rig.sim->Counters().module.idFrames;
  ASSERT_TRUE(
      rig.sim->WaitUntil([&](const sim::SimCounters& c) { return c.module.idFrames >= seen + 4; },
                         test_support::kPatience));
  framed->Signal(SIGTERM);
  ASSERT_EQ(framed->Wait(test_support::kPatience), 0) << framed->err;
  int idLines = 0, idFrameLines = 0;
  for (const std::string& line : LinesOf(framed->out)) {
    if (line.rfind("ID: ", 0) == 0) ++idLines;
    // An ID frame's RX line: type 'I' (0x49) at the third byte.
    if (line.rfind("RX: 02 00 49 ", 0) == 0) ++idFrameLines;
  }
  EXPECT_EQ(idLines, 2) << framed->out;
  EXPECT_EQ(idFrameLines, 2) << framed->out;
  EXPECT_TRUE(Contains(framed->out, "TX: ")) << framed->out;
  int counted = 0;
  for (int c : FinalTallyCounts(framed->out)) counted += c;
  EXPECT_GT(counted, 2) << framed->out;
}
