// The verbs that talk to the module directly: identify, send, listen and ports.
#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"

namespace cli_test {
namespace {

TEST(CliLinkVerbs, IdentifyPrintsTheStartUpLinesWithoutFrames) {
  CliRig rig({}, "1020LFS00");
  const Result r = rig.Run({"identify"});
  EXPECT_EQ(r.status, 0) << r.err;
  const auto lines = r.Lines();
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_EQ(lines[0], "ROM Version: 1020LFS00");
  EXPECT_EQ(lines[1], "Model Name : QZH-900");
  EXPECT_EQ(lines[2].rfind("OK: Open /dev/pts/", 0), 0u) << lines[2];
}

TEST(CliLinkVerbs, SendPrintsEveryExchangeLineAndItsOutcome) {
  CliRig rig;
  Result r = rig.Run({"send", "90"});
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_GE(r.Lines().size(), 2u);
  EXPECT_EQ(r.Lines()[0], "TX: 02 00 4D 01 90 03 E3 0D ");
  EXPECT_EQ(r.Lines()[1].rfind("RX: 02 00 30 0A 90 ", 0), 0u);
  // An unknown command: the module refuses it, the NACK text is printed, exit 1.
  r = rig.Run({"send", "0x7F"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.Lines().back(), "Invalid Command");
  // Several arguments and packed digits make one frame.
  r = rig.Run({"send", "0D", "0116"});
  EXPECT_EQ(r.Lines()[0], "TX: 02 00 4D 03 0D 01 16 03 79 0D ");
}

TEST(CliLinkVerbs, SendRefusesBadBytesWithoutTouchingThePort) {
  CliRig rig;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"send"}, {"send", "9"}, {"send", "zz"}, {"send", std::string(250 * 2, 'A')}}) {
    const Result r = rig.Run(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_NE(r.err.find("qzh900ctl send: "), std::string::npos) << r.err;
  }
  EXPECT_EQ(rig.Commands(), 0u);
}

TEST(CliLinkVerbs, ListenShowsIdLinesThenTheTally) {
  CliRig rig({MakeTag("fdxb:392:123456789012"), MakeTag("em:0504030201")});
  const Result r = rig.Run({"listen", "0.6", "--animal-id"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string& o = r.out;
  EXPECT_NE(o.find("OK: Read Loop Mode\n"), std::string::npos) << o;
  EXPECT_NE(o.find("ID: 80 00 62 1C BE 99 1A 14 [392, 123456789012]\n"), std::string::npos) << o;
  EXPECT_NE(o.find("ID: 01 02 03 04 05 [0067305985]\n"), std::string::npos) << o;
  EXPECT_NE(o.find("OK: Command Mode\n"), std::string::npos) << o;
  EXPECT_NE(o.find("No.\tNumbers\tTag Type\tID Data\n"), std::string::npos) << o;
  EXPECT_NE(o.find("\tFDX-B\t80 00 62 1C BE 99 1A 14 [392, 123456789012]\n"), std::string::npos);
  EXPECT_NE(o.find("\tEM\t01 02 03 04 05 [0067305985]\n"), std::string::npos);
}

TEST(CliLinkVerbs, PortErrorsAreExitTwoWithTheReason) {
  const Result r = RunCli({"identify", "--port", "COM201"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "qzh900ctl identify: COM201: no such port\n");
  EXPECT_EQ(RunCli({"listen", "soon"}).status, 2);
  EXPECT_EQ(RunCli({"identify", "--baud", "12345"}).status, 2);
}

TEST(CliLinkVerbs, ListenEndsInCommandModeWithFourTagsStreamingAtLineRate) {
  // Four tags answering back to back at the line's own pace: ID frames are still arriving when
  // the switch back to command mode is sent, so its answer comes after some of them. Every run
  // must end in command mode with exit 0.
  CliRig rig({MakeTag("fdxb:392:123456789012"), MakeTag("em:0504030201"),
              MakeTag("fdxb:124:000000000042"), MakeTag("em:0A0B0C0D0E")},
             RigOptions{.wireTime = true, .flood = true});
  int clean = 0;
  for (int run = 0; run < 20; ++run) {
    const Result r = rig.Run({"listen", "0.2"});
    const bool ok = r.status == 0 && r.out.find("OK: Command Mode\n") != std::string::npos;
    clean += ok;
    EXPECT_TRUE(ok) << "run " << run << ": " << r.status << "\n" << r.out << r.err;
    uint8_t mode = 0;
    rig.sim->WithModule([&](sim::Module& m) { mode = m.ActionMode(); });
    EXPECT_EQ(mode, 4) << "run " << run;
  }
  EXPECT_EQ(clean, 20);
}

TEST(CliLinkVerbs, ListenTakesADecimalNumberOfSecondsOnly) {
  for (const char* bad : {"nan", "0x10", "1e3", "5s", "inf", "86401", "1.2.3", ""}) {
    const Result r = RunCli({"listen", bad});
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("SECONDS takes a decimal number of seconds 0-86400"), std::string::npos)
        << bad << ": " << r.err;
  }
}

}  // namespace
}  // namespace cli_test
