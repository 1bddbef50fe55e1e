// The network links against a small TCP server of the test's own, for what a real server does
// not do on demand: refusing, never answering the option negotiation, a connection that stays
// unanswered, and dropping the connection in the middle of an exchange.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "core/log_pane.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "link/link_factory.h"
#include "link/rfc2217_link.h"
#include "link/tcp_link.h"
#include "tests/support/ser2net.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

namespace {

using namespace std::chrono_literals;

// A listening socket on the loopback address of `family`, port chosen by the system.
class Listener {
 public:
  explicit Listener(int family = AF_INET, int backlog = 8) {
    fd_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage a{};
    socklen_t len;
    if (family == AF_INET6) {
      auto* v6 = reinterpret_cast<sockaddr_in6*>(&a);
      v6->sin6_family = AF_INET6;
      v6->sin6_addr = in6addr_loopback;
      len = sizeof *v6;
    } else {
      auto* v4 = reinterpret_cast<sockaddr_in*>(&a);
      v4->sin_family = AF_INET;
      v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      len = sizeof *v4;
    }
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd_, backlog) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      return;
    port_ = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&a)->sin6_port
                                     : reinterpret_cast<sockaddr_in*>(&a)->sin_port);
  }
  ~Listener() {
    for (int fd : accepted_) ::close(fd);
    ::close(fd_);
  }
  uint16_t Port() const { return port_; }
  // The next connection (the kernel completed it already); -1 when none comes.
  int Accept() {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(test_support::kPatience.count())) != 1) return -1;
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) accepted_.push_back(fd);
    return fd;
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
  std::vector<int> accepted_;
};

// Reads exactly `count` bytes from a connection.
std::vector<uint8_t> ReadExactly(int fd, size_t count) {
  std::vector<uint8_t> got(count);
  size_t have = 0;
  while (have < count) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(test_support::kPatience.count())) != 1) break;
    const ssize_t n = ::recv(fd, got.data() + have, count - have, 0);
    if (n <= 0) break;
    have += static_cast<size_t>(n);
  }
  got.resize(have);
  return got;
}

std::string OpenError(ByteLink& link) {
  try {
    link.Open();
  } catch (const ComPortError& e) {
    return e.what();
  }
  return "opened";
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(NetworkLink, OpenFailuresNameThePortAndTheReason) {
  const std::string refusedUrl =
      "socket://127.0.0.1:" + std::to_string(test_support::FreeTcpPort());
  auto refused = MakeByteLink(refusedUrl, {});
  std::string why = OpenError(*refused);
  EXPECT_EQ(why.rfind(refusedUrl + ": ", 0), 0u) << why;
  EXPECT_TRUE(Has(why, "connection refused")) << why;
  EXPECT_FALSE(refused->Connected());

  // A host that never answers: a listener whose queue is full drops every further SYN.
  Listener full(AF_INET, 0);
  const std::string url = "socket://127.0.0.1:" + std::to_string(full.Port());
  std::vector<int> fillers;
  for (int i = 0; i < 3; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(full.Port());
    ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    fillers.push_back(fd);
  }
  TcpLink::Timing quick;
  quick.connect = 300ms;
  TcpLink silent(url, quick);
  why = OpenError(silent);
  EXPECT_TRUE(Has(why, "no connection within 0.3 s")) << why;
  for (int fd : fillers) ::close(fd);

  for (const auto& [name, reason] : {std::pair{"rfc2217://nosuchhost.invalid:2001", "not found"},
                                     std::pair{"telnet://gate-3:23", "not a network port"},
                                     std::pair{"rfc2217://gate-3", "port number is missing"}}) {
    auto link = MakeByteLink(name, {});
    why = OpenError(*link);
    EXPECT_TRUE(Has(why, reason)) << name << ": " << why;
  }
}

TEST(NetworkLink, Rfc2217OpenFailsWhenTheServerNeverAnswersOrRefusesTheOption) {
  TcpLink::Timing quick;
  quick.negotiate = 300ms;
  // A TCP server that accepts (the kernel does it) and says nothing: a raw TCP port.
  Listener mute;
  Rfc2217Link waiting("rfc2217://127.0.0.1:" + std::to_string(mute.Port()), quick);
  std::string why = OpenError(waiting);
  EXPECT_TRUE(Has(why, "did not answer the COM port option negotiation within 300 ms")) << why;
  EXPECT_TRUE(Has(why, "socket://")) << "points at the raw TCP port name: " << why;
  EXPECT_FALSE(waiting.Connected());

  // A Telnet server without the option says DONT; one that hangs up says nothing more.
  Listener telnetOnly;
  std::thread server([&] {
    const int fd = telnetOnly.Accept();
    const uint8_t dont[] = {telnet::kIac, telnet::kDont, telnet::kComPortOption};
    ::send(fd, dont, sizeof dont, MSG_NOSIGNAL);
    const int fd2 = telnetOnly.Accept();
    ::shutdown(fd2, SHUT_RDWR);
  });
  Rfc2217Link plain("rfc2217://127.0.0.1:" + std::to_string(telnetOnly.Port()), quick);
  why = OpenError(plain);
  EXPECT_TRUE(Has(why, "refused the COM port option")) << why;
  why = OpenError(plain);
  EXPECT_TRUE(Has(why, "closed the connection")) << why;
  server.join();
}

class NetworkExchange : public ::testing::Test {
 protected:
  void Open(const std::string& url) {
    comm_ = std::make_unique<TTirisC1Dlg>(cfg_.SettingsPath(), &log_);
    comm_->OnPortLost = [this](const std::string& port) { lost_.push_back(port); };
    comm_->OnFault = [this](LinkFault f, const std::string&) { faults_.push_back(f); };
    comm_->OpenNamedPort(url);
    ASSERT_TRUE(comm_->Connected());
    peer_ = server_.Accept();
    ASSERT_GE(peer_, 0);
  }
  std::vector<uint8_t> Command90() const {
    return frame::BuildCommandFrame(std::vector<uint8_t>{0x90});
  }
  bool Logged(const std::string& part) const {
    for (const std::string& line : log_.Lines())
      if (Has(line, part)) return true;
    return false;
  }

  TempConfig cfg_;
  MemoryLogPane log_;
  Listener server_{AF_INET6};
  int peer_ = -1;
  std::unique_ptr<TTirisC1Dlg> comm_;
  std::vector<std::string> lost_;
  std::vector<LinkFault> faults_;
};

TEST_F(NetworkExchange, RawTcpOverIpv6CarriesFramesAndADropEndsTheWaitAtOnceAsAVanishedPort) {
  const std::string url = "socket://[::1]:" + std::to_string(server_.Port());
  Open(url);
  Response out{};
  comm_->SendCommand({0x90});
  const std::vector<uint8_t> sent = ReadExactly(peer_, Command90().size());
  EXPECT_EQ(sent, Command90());
  const uint8_t answer[] = {0x90, '1', '1', '0', '0'};
  const std::vector<uint8_t> ack = frame::BuildResponseFrame(frame::TypeAck, answer);
  ::send(peer_, ack.data(), ack.size(), MSG_NOSIGNAL);
  ASSERT_TRUE(comm_->AwaitResponse(out));
  EXPECT_EQ(out[1], 0x90);

  // The next command reaches the server, which then drops the connection: the wait ends
  // without its time-out, with the line error IO, as when a serial adapter is pulled.
  comm_->SendCommand({0x90});
  EXPECT_EQ(ReadExactly(peer_, Command90().size()), Command90());
  ::close(peer_);
  EXPECT_FALSE(comm_->AwaitResponse(out));
  EXPECT_TRUE(comm_->PortLost());
  EXPECT_FALSE(comm_->Connected());
  EXPECT_TRUE(Logged("<ComError:IO>"));
  EXPECT_FALSE(Logged("Response Timed out"));
  EXPECT_EQ(lost_, std::vector<std::string>{url});
  // The port stays closed until it is opened again, and the next command says why.
  comm_->SendCommand({0x90});
  EXPECT_TRUE(Logged("「COM Port...」"));
}

TEST_F(NetworkExchange, RawTcpRefusesASpeedChangeWithItsReason) {
  Open("socket://[::1]:" + std::to_string(server_.Port()));
  comm_->SetBaudRate(TBaudRate::br9600);
  EXPECT_TRUE(Logged("a raw TCP port carries bytes only")) << log_.Lines().size();
  EXPECT_EQ(faults_, std::vector<LinkFault>{LinkFault::LineError});
  // Setting the speed it already has asks nothing of the link.
  comm_->SetBaudRate(TBaudRate::br9600);
  EXPECT_EQ(faults_.size(), 1u);
  EXPECT_TRUE(comm_->Connected());
}

}  // namespace
