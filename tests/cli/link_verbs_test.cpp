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

}  // namespace
}  // namespace cli_test
