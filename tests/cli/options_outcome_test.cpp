// The two pieces the runner decides with, without a process around them: option values read by
// their definitions (the forms a number may take, the limits, the help that names them), and the
// verdict of an outcome.
#include <gtest/gtest.h>

#include "app/outcome.h"
#include "cli/options.h"
#include "cli/usage_error.h"

namespace {

const OptionDef kCount{"--count", nullptr, "N", ValueKind::Decimal, 1, 1000, "count, {range}"};
const OptionDef kCode{"--code", nullptr, "N", ValueKind::Number, 0, 0xFFFF, "code, {range}"};
const OptionDef kWait{"SECONDS", nullptr, nullptr, ValueKind::Seconds, 0, 60, "{range} s"};

std::string Refusal(const std::function<void()>& parse) {
  try {
    parse();
  } catch (const UsageError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(CliOptions, NumbersTakeOnlyTheirDocumentedFormsWithinTheirLimits) {
  EXPECT_EQ(NumberValue(kCount, "1"), 1);
  EXPECT_EQ(NumberValue(kCount, "0001000"), 1000);
  EXPECT_EQ(NumberValue(kCode, "0x1F"), 0x1F);
  EXPECT_EQ(NumberValue(kCode, "65535"), 65535);
  for (const char* bad : {"", "0", "1001", "0x10", "nan", "1e3", "+5", "-5", " 5", "5 ", "5x",
                          "99999999999999999999999"}) {
    EXPECT_EQ(Refusal([&] { NumberValue(kCount, bad); }),
              std::string("--count takes a decimal number 1-1000: \"") + bad + "\"")
        << bad;
  }
  for (const char* bad : {"0x", "0x10000", "0xG", "0x-1", "65536", "0x10000000000000000"})
    EXPECT_NE(Refusal([&] { NumberValue(kCode, bad); }), "") << bad;

  EXPECT_DOUBLE_EQ(SecondsValue(kWait, "0.5"), 0.5);
  EXPECT_DOUBLE_EQ(SecondsValue(kWait, ".25"), 0.25);
  EXPECT_DOUBLE_EQ(SecondsValue(kWait, "60"), 60.0);
  EXPECT_DOUBLE_EQ(SecondsValue(kWait, "3."), 3.0);
  for (const char* bad : {"", ".", "nan", "inf", "0x10", "1e1", "-1", "60.5", "1.2.3", "5s"})
    EXPECT_NE(Refusal([&] { SecondsValue(kWait, bad); }), "") << bad;
}

TEST(CliOptions, TheReaderRefusesUnknownOptionsAndTheHelpNamesTheParsersLimits) {
  const std::vector<OptionDef> defs = {kCount,
                                       {"--fast", "-f", nullptr, ValueKind::Flag, 0, 0, "flag"}};
  {
    const std::vector<std::string> args = {"item", "--count=7", "-f", "--count", "9"};
    std::vector<int64_t> counts;
    int flags = 0;
    std::vector<std::string> positionals;
    for (OptionReader r(args, defs); r.Next();) {
      if (!r.Option())
        positionals.push_back(r.Arg());
      else if (r.Is("--count"))
        counts.push_back(r.Number());
      else if (r.Is("--fast"))
        ++flags;
    }
    EXPECT_EQ(counts, (std::vector<int64_t>{7, 9}));
    EXPECT_EQ(flags, 1);
    EXPECT_EQ(positionals, std::vector<std::string>{"item"});
  }
  auto walk = [&](std::vector<std::string> args) {
    return Refusal([&] {
      for (OptionReader r(args, defs); r.Next();)
        if (r.Option() && r.Is("--count")) r.Number();
    });
  };
  EXPECT_EQ(walk({"--frobnicate"}), "unknown option --frobnicate");
  EXPECT_EQ(walk({"--fast=1"}), "--fast takes no value");
  EXPECT_EQ(walk({"--count"}), "--count needs a value");

  const std::string help = OptionsHelp(defs);
  EXPECT_NE(help.find("count, 1-1000"), std::string::npos) << help;
  EXPECT_EQ(help.find("{range}"), std::string::npos) << help;
}

TEST(Outcome, TheVerdictCountsEveryFailureButAProbes) {
  OutcomeRecorder o;
  std::vector<OutcomeKind> seen;
  o.OnEvent = [&](const OutcomeEvent& e) { seen.push_back(e.kind); };
  o.Result(true, "OK: ReadBlock Command");
  o.DialogLine("TCoomandDlg1", "Memo1", "NG: Command");  // a line is no result by itself
  o.Counter("TCoomandDlg1", "EdOK", 3, false);
  o.Counter("TCoomandDlg1", "EdNg", 0, true);
  o.Status("TWrData1_3Dlg", "Panel3", "ID : 01", std::nullopt);
  {
    const OutcomeRecorder::Probe probe(o);
    o.Fault(LinkFault::Nack, "No response from tag");
    o.Result(false, "NG: ChargeOnlyReadCmd");
  }
  EXPECT_EQ(o.Verdict(), 0);
  EXPECT_EQ(o.FailureCount(), 0u);
  // Only the OK line is a result: a probe's, counters, plain status texts and lines are not.
  EXPECT_EQ(o.ResultCount(), 1u);
  EXPECT_EQ(seen.size(), 7u);

  // Each kind of failure on its own makes the verdict 1.
  const std::vector<std::function<void(OutcomeRecorder&)>> failures = {
      [](OutcomeRecorder& r) { r.Result(false, "ブザー用テストコマンド : NG"); },
      [](OutcomeRecorder& r) { r.Fault(LinkFault::TimedOut, "Response Timed out"); },
      [](OutcomeRecorder& r) { r.InputError("Input Error!! [NO Hex Data]"); },
      [](OutcomeRecorder& r) { r.Status("TFecavaIDWrite1Dlg", "PStatus", "NG: Read Tag", false); },
      [](OutcomeRecorder& r) { r.Counter("TCoomandDlg1", "EdNg", 1, true); },
      [](OutcomeRecorder& r) { r.Conclusion(false, "TagData"); },
  };
  for (size_t i = 0; i < failures.size(); ++i) {
    OutcomeRecorder r;
    r.Result(true, "OK: Login Command");
    failures[i](r);
    r.Result(true, "OK: TX_OFFCmd Command");  // an OK after it changes nothing
    EXPECT_EQ(r.Verdict(), 1) << i;
    EXPECT_EQ(r.FailureCount(), 1u) << i;
  }

  // A quiet step dropped from the outcome leaves what came before it.
  const size_t mark = o.Events().size();
  o.Result(false, "NG: Open COM9");
  EXPECT_EQ(o.Verdict(), 1);
  o.Truncate(mark);
  EXPECT_EQ(o.Verdict(), 0);
  EXPECT_EQ(o.Events().size(), mark);
}
