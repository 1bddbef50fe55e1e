// qzh900ctl --json: the output of every verb, in success and in failure, validated against the
// versioned schema in docs/ by Debian's python3-jsonschema, and the events a script reads
// checked for what they must say.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <cstdlib>

#include "tests/cli/cli_rig.h"
#include "tests/support/wait.h"

using namespace cli_test;

TEST(CliJson, EveryVerbWritesValidEventsEndingInTheSummary) {
  CliRig rig({MakeTag("sic7888:uid:11223344:fdxb:8000F9E0F20EA701"), MakeTag("sic279")});
  const std::string csv = rig.config.Path("series.csv");
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"ports"}, 0},
      {{"identify"}, 0},
      {{"send", "90"}, 0},
      {{"send", "7F"}, 1},
      {{"listen", "0.2"}, 0},
      {{"run", "SIC7888READBLOCK1", "-a", "IntEd2=0"}, 0},
      {{"run", "FecavaID1", "--repeat", "1"}, 0},
      {{"run", "LFON1", "-a", "ComboBox1=LF_ON2", "-a", "IntEd=70000"}, 1},
      {{"run", "MnCmdTest", "--repeat", "1"}, 0},
      {{"run", "Protectedwrite1", "--cancel"}, 1},
      {{"run", "MnHDXP_CRCWrite1"}, 2},
      {{"list", "SIC7888READBLOCK1", "IDWrite1"}, 0},
      {{"dump"}, 0},
      {{"program", "--chip", "sic7888", "--industrial", "5", "--count", "1", "--csv", csv}, 0},
      {{"ledger", "status"}, 0},
      {{"ledger", "orphans"}, 0},
      {{"ledger", "export"}, 0},
      {{"ledger", "void", "0000000000000000005"}, 2},
      {{"frobnicate"}, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    const Result r = rig.Run(args);
    EXPECT_EQ(r.status, c.status) << c.args[0] << ": " << r.err;
    EXPECT_EQ(SchemaProblems(r.out, rig.config), "") << c.args[0] << ":\n" << r.out;
    const auto summary = OfKind(Events(r.out), "summary");
    ASSERT_EQ(summary.size(), 1u) << c.args[0];
    EXPECT_EQ(summary[0]["exit"].toInt(), c.status) << c.args[0];
  }
}

TEST(CliJson, EventsCarryTheLogLinesAndEveryResultWithItsVerdict) {
  CliRig rig({MakeTag("sic7888:uid:11223344")});
  const Result text = rig.Run({"run", "SIC7888READBLOCK1", "-a", "IntEd2=0"});
  const Result json = rig.Run({"run", "SIC7888READBLOCK1", "-a", "IntEd2=0", "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto events = Events(json.out);
  // The log events are exactly the lines of the text output.
  std::vector<std::string> logged;
  for (const QJsonObject& e : OfKind(events, "log"))
    logged.push_back(e["line"].toString().toStdString());
  EXPECT_EQ(logged, text.Lines());
  const auto results = OfKind(events, "result");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]["text"].toString(), "OK: ReadBlock Command");
  EXPECT_TRUE(results[0]["ok"].toBool());
  EXPECT_EQ(OfKind(events, "summary")[0]["verdict"].toInt(), 0);

  // A failure: the NACK's reason as a fault, the NG line as a result, verdict 1.
  const Result ng = rig.Run({"run", "SIC7888READBLOCK1", "-a", "IntEd2=60", "--json"});
  const auto ngEvents = Events(ng.out);
  ASSERT_EQ(OfKind(ngEvents, "fault").size(), 1u) << ng.out;
  EXPECT_EQ(OfKind(ngEvents, "fault")[0]["fault"].toString(), "nack");
  ASSERT_EQ(OfKind(ngEvents, "result").size(), 1u);
  EXPECT_FALSE(OfKind(ngEvents, "result")[0]["ok"].toBool());
  EXPECT_EQ(OfKind(ngEvents, "summary")[0]["verdict"].toInt(), 1);
  EXPECT_EQ(OfKind(ngEvents, "summary")[0]["failures"].toInt(), 2);
}

TEST(CliJson, DialogStatusCountersTallyDumpAndProgramRowsAreEvents) {
  CliRig rig({MakeTag("fdxb:392:123456789012")});
  const auto test = Events(rig.Run({"run", "MnCmdTest", "--repeat", "2", "--json"}).out);
  const auto counters = OfKind(test, "counter");
  ASSERT_EQ(counters.size(), 2u);
  // Each press of Execute starts the counters afresh: the second press counts one NG again.
  EXPECT_EQ(counters[1]["field"].toString(), "EdNg");
  EXPECT_EQ(counters[1]["value"].toInt(), 1);
  EXPECT_EQ(counters[1]["counts"].toString(), "ng");
  EXPECT_FALSE(OfKind(test, "dialog_log").empty());

  const auto status =
      OfKind(Events(rig.Run({"run", "BDE1", "--repeat", "1", "--json"}).out), "status");
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(status[0]["text"].toString(), "NG: IDWriteCmd");
  EXPECT_EQ(status[0]["field"].toString(), "PStatus");
  EXPECT_FALSE(status[0]["ok"].toBool());

  const auto tally = OfKind(Events(rig.Run({"listen", "0.3", "--json"}).out), "tally");
  ASSERT_EQ(tally.size(), 1u);
  EXPECT_EQ(tally[0]["tag_type"].toString(), "FDX-B");
  EXPECT_GE(tally[0]["count"].toInt(), 1);
}
