// The guards of a code plan, end to end: each refusal is one line, exit 2, before the port is
// opened, the ledger unchanged; the same plan with its permission runs. The codes verified in the
// ledger bound a new plan.
#include <gtest/gtest.h>

#include "ledger/country_codes.h"
#include "ledger/ledger.h"
#include "sim/chips/sic7888.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/wait.h"

using namespace cli_test;

namespace {

size_t LineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The series the default ledger holds.
size_t SeriesInLedger() {
  ledger::Ledger l(ledger::DefaultTarget());
  return l.Progress().size();
}

// One tag programmed with args (and --count 1) on a fresh blank tag; the exit status.
int ProgramOne(CliRig& rig, uint32_t uid, std::vector<std::string> args) {
  rig.field->Clear();
  rig.field->Insert(std::make_shared<sim::Sic7888Tag>(uid));
  args.insert(args.begin(), {"program", "--chip", "sic7888", "--count", "1", "--poll", "20"});
  const Result r = rig.Run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.status;
}

}  // namespace

TEST(CodePlanGuards, TheIso3166ListIsTheOneOfTheIsoCodesPackage) {
  // Generated at build time: the countries are there, sorted, and nothing else.
  EXPECT_GT(ledger::kIso3166Count, 240u);
  for (unsigned i = 1; i < ledger::kIso3166Count; ++i)
    EXPECT_LT(ledger::kIso3166Numeric[i - 1], ledger::kIso3166Numeric[i]);
  for (unsigned country : {4u, 276u, 392u, 826u, 840u, 894u})
    EXPECT_TRUE(ledger::IsIso3166Numeric(country)) << country;
  for (unsigned code : {0u, 1u, 123u, 900u, 999u})
    EXPECT_FALSE(ledger::IsIso3166Numeric(code)) << code;
  EXPECT_TRUE(ledger::IsManufacturerCode(900));
  EXPECT_TRUE(ledger::IsManufacturerCode(998));
  EXPECT_FALSE(ledger::IsManufacturerCode(999));
  EXPECT_FALSE(ledger::IsManufacturerCode(899));
}

TEST(CodePlanGuards,
     EachGuardRefusesInOneLineBeforeAnythingIsWrittenAndItsPermissionLetsThePlanRun) {
  CliRig rig;
  // Three codes verified: 392 000000000100-102.
  for (uint32_t uid : {0x10u, 0x11u, 0x12u})
    ProgramOne(rig, uid, {"--country", "392", "--national", "100", "--planned", "3"});
  ASSERT_EQ(SeriesInLedger(), 1u);
  const uint64_t commands = rig.Commands();

  struct Case {
    std::vector<std::string> args;
    std::string line;  // the whole of standard error
  } const cases[] = {
      {{"--country", "999", "--national", "1"},
       "country 999 is the code of test transponders: give --test-code to write it"},
      {{"--country", "123", "--national", "1"},
       "country 123 is neither an ISO 3166-1 country code nor a manufacturer code (900-998): give "
       "--any-country to write it"},
      {{"--country", "0", "--national", "1", "--test-code"},
       "country 000 is neither an ISO 3166-1 country code nor a manufacturer code (900-998): give "
       "--any-country to write it"},
      {{"--country", "392", "--national", "274877906940", "--planned", "5"},
       "the series of 5 codes from 392 274877906940 in steps of 1 passes the largest national "
       "ID, 274877906943"},
      {{"--country", "392", "--national", "274877906933", "--increment", "5", "--planned", "4"},
       "the series of 4 codes from 392 274877906933 in steps of 5 passes the largest national "
       "ID, 274877906943"},
      {{"--industrial", "9223372036000000000", "--increment", "1000000", "--planned", "1000000000"},
       "the series of 1000000000 codes from 9223372036000000000 in steps of 1000000 passes the "
       "largest industrial number, 9223372036854775807"},
      {{"--ledger", "sqlite::memory:", "--country", "392", "--national", "1"},
       "--ledger: \"sqlite::memory:\" is a ledger that ends with the run: every run would hand "
       "out the same codes again; give the path of a ledger file"},
      // Codes of the ledger that are on tags: the first one the plan reaches is named.
      {{"--country", "392", "--national", "98", "--planned", "5"},
       "392 000000000100 was verified before (sqlite:" + rig.config.Path("share") +
           "/norvik/QZH900Tool/ledger.sqlite, series 1); plan another first code"},
      {{"--country", "392", "--national", "90", "--increment", "6"},
       "392 000000000102 was verified before (sqlite:" + rig.config.Path("share") +
           "/norvik/QZH900Tool/ledger.sqlite, series 1); plan another first code"},
      // The series of the ledger keeps its plan.
      {{"--country", "392", "--national", "100", "--planned", "4"},
       "series 1 (animal codes 392 000000000100 + 1 x 3) is in the ledger with another plan than "
       "4 codes; leave --planned out to join it"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"program", "--chip", "sic7888", "--poll", "20"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = rig.Run(args);
    EXPECT_EQ(r.status, 2) << c.line;
    EXPECT_EQ(r.err, "qzh900ctl program: " + c.line + "\n");
    EXPECT_EQ(LineCount(r.err), 1u);
  }
  EXPECT_EQ(rig.Commands(), commands) << "a refused plan opened the port";
  EXPECT_EQ(SeriesInLedger(), 1u) << "a refused plan was put into the ledger";

  // With their permissions the same plans run; a run short of the codes on tags is no overlap.
  ProgramOne(rig, 0x21, {"--country", "123", "--national", "1", "--any-country"});
  ProgramOne(rig, 0x22, {"--country", "900", "--national", "1"});  // a manufacturer
  ProgramOne(rig, 0x23, {"--country", "392", "--national", "274877906940", "--planned", "4"});
  ProgramOne(rig, 0x24, {"--country", "392", "--national", "95"});
  ProgramOne(rig, 0x25, {"--country", "999", "--national", "1", "--test-code"});
  EXPECT_EQ(SeriesInLedger(), 6u);
  // The test code's series is resumed only with the permission too.
  const Result resumed = rig.Run({"program", "--chip", "sic7888", "--resume", "--count", "1"});
  EXPECT_EQ(resumed.status, 2);
  EXPECT_EQ(resumed.err,
            "qzh900ctl program: country 999 is the code of test transponders: give --test-code to "
            "write it\n");
}
