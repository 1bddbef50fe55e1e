// Option values read by their definitions, without a process around them: the forms a number may
// take, the limits, the help that names them.
#include <gtest/gtest.h>

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
