// qzh900ctl with network ports: ser2net on loopback in front of the simulated module, named by
// URL or as a registered COMn; a server that refuses or never negotiates; and listen --follow
// through ser2net being stopped and started again.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include "link/port_registry.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/ser2net.h"
#include "tests/support/wait.h"

namespace cli_test {
namespace {

// The simulated module (as every runner test has it) behind ser2net.
struct NetRig {
  explicit NetRig(std::vector<sim::TagPtr> tags = {}) : rig(std::move(tags)) {
    std::string error;
    if (!ser2net.Start(rig.sim->DevicePath(), 57600, &error))
      throw std::runtime_error("ser2net: " + error);
  }
  CliRig rig;
  test_support::Ser2net ser2net;
};

TEST(CliNetwork, IdentifyThroughSer2netByUrlAndAsARegisteredComName) {
  NetRig net;
  for (const std::string& url : {net.ser2net.Rfc2217Url(), net.ser2net.RawUrl()}) {
    ASSERT_TRUE(net.ser2net.AwaitDeviceClosed());
    const Result r = RunCli({"identify", "--port", url});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = r.Lines();
    ASSERT_EQ(lines.size(), 3u) << r.out << r.err;
    EXPECT_EQ(lines[0], "ROM Version: 1100LFS00");
    EXPECT_EQ(lines[2], "OK: Open " + url);
  }
  ASSERT_TRUE(port_registry::Register(12, net.ser2net.Rfc2217Url()));
  ASSERT_TRUE(net.ser2net.AwaitDeviceClosed());
  const Result r = RunCli({"identify", "--port", "COM12"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.Lines().back(), "OK: Open COM12");
  // ports lists the registered network port with its URL.
  const Result ports = RunCli({"ports"});
  EXPECT_EQ(ports.status, 0) << ports.err;
  EXPECT_TRUE(Contains(ports.out, "COM12  " + net.ser2net.Rfc2217Url() + "  network\n"))
      << ports.out;
}

TEST(CliNetwork, UnreachableOrSilentServersAreExitTwoWithOneLine) {
  TempConfig config;
  const std::string refused = "socket://127.0.0.1:" + std::to_string(test_support::FreeTcpPort());
  Result r = RunCli({"identify", "--port", refused});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "qzh900ctl identify: " + refused +
                       ": connection refused (nothing listens on that port)\n");

  // A server that takes the connection and never says a word: no negotiation over RFC 2217, no
  // module answering over raw TCP.
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), len), 0);
  ASSERT_EQ(::listen(fd, 8), 0);
  ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len), 0);
  const std::string hostPort = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  r = RunCli({"identify", "--port", "rfc2217://" + hostPort});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.ErrorLines().size(), 1u) << r.err;
  EXPECT_TRUE(Contains(r.err, "did not answer the COM port option negotiation")) << r.err;
  r = RunCli({"identify", "--port", "socket://" + hostPort});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.ErrorLines().size(), 1u) << r.err;
  ::close(fd);
}

TEST(CliNetwork, FollowSurvivesSer2netBeingRestartedAndReportsTheGap) {
  NetRig net({MakeTag("fdxb:392:123456789012")});
  Child child({"listen", "--follow", "--port", net.ser2net.Rfc2217Url()});
  ASSERT_TRUE(child.WaitForOutput("ID: ")) << child.out << child.err;
  net.ser2net.Stop();
  const std::string name = net.ser2net.Rfc2217Url();
  ASSERT_TRUE(AwaitError(child, "listen: the port " + name + " has vanished")) << child.err;
  std::string error;
  ASSERT_TRUE(net.ser2net.Restart(&error)) << error;
  ASSERT_TRUE(AwaitError(child, "listen: the port " + name + " is back after ")) << child.err;
  // Reading goes on after the gap: a tag that enters the field now is read.
  net.rig.field->Insert(MakeTag("em:0504030201"));
  ASSERT_TRUE(child.WaitForOutput("ID: 01 02 03 04 05")) << child.out;
  child.Signal(SIGTERM);
  EXPECT_EQ(child.Wait(test_support::kPatience), 0) << child.err;
  EXPECT_TRUE(Contains(child.out, "OK: Command Mode\n")) << child.out;
  EXPECT_EQ(net.rig.ModuleMode(), 4);
}

}  // namespace
}  // namespace cli_test
