// Exchange round trip (0x90, wire time off) through the pty, over loopback ser2net's raw TCP
// accepter (socket://) and over its telnet(rfc2217) accepter (rfc2217://), each beside its bare
// transport: the command's 8 bytes echoed back through the same path (a pty; ser2net in front of
// a pty; ser2net's Telnet in front of a pty) by a plain descriptor, without the tool's exchange.
// The tool's share on a path is exchange / bare; each network share is set beside the pty's.
// Every path has its own pty, simulator and ser2net, and all are measured in turns of a few
// rounds each, so a change of the machine's load falls on every path alike.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "bench/echo_pty.h"
#include "bench/measure.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "link/net_address.h"
#include "link/telnet_codec.h"
#include "sim/simulator.h"
#include "tests/support/ser2net.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBaud = 57600;
constexpr int kTurn = 50;  // rounds per path before the next path's turn
constexpr uint8_t kCommand[8] = {0x02, 0x00, 0x4D, 0x01, 0x90, 0x03, 0xE3, 0x0D};

enum class Via { Pty, Raw, Rfc2217 };

// A plain descriptor to a bare path: the pty's slave, or a TCP socket to ser2net (with Telnet's
// negotiation and escaping through the tool's codec over RFC 2217, which the path itself needs).
class BareClient {
 public:
  ~BareClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool OpenDevice(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    return fd_ >= 0;
  }
  bool Connect(const std::string& url, std::string* error) {
    const std::optional<NetAddress> address = ParseNetAddress(url, error);
    if (!address) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(address->port);
    if (::inet_pton(AF_INET, address->host.c_str(), &a.sin_addr) != 1) {
      *error = "not an IPv4 address: " + address->host;
      return false;
    }
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      *error = "cannot connect to " + url;
      return false;
    }
    if (address->scheme == NetScheme::Rfc2217) {
      telnet_.emplace();
      if (!WriteAll(telnet_->Offer())) {
        *error = "cannot write to " + url;
        return false;
      }
    }
    return true;
  }
  // Writes the command and reads until its 8 bytes came back; false when they do not within 5 s.
  bool RoundTrip() {
    std::vector<uint8_t> wire(kCommand, kCommand + sizeof kCommand);
    if (telnet_) {
      wire.clear();
      telnet_->Encode(kCommand, sizeof kCommand, wire);
    }
    if (!WriteAll(wire)) return false;
    size_t got = 0;
    uint8_t buf[256];
    std::vector<uint8_t> data;
    while (got < sizeof kCommand) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 5000) <= 0) return false;
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n < 0 && errno == EAGAIN) continue;
      if (n <= 0) return false;
      if (!telnet_) {
        got += static_cast<size_t>(n);
        continue;
      }
      data.clear();
      telnet_->Decode(buf, static_cast<size_t>(n), data);
      got += data.size();
      if (!WriteAll(telnet_->TakeReplies())) return false;
    }
    return true;
  }

 private:
  bool WriteAll(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EAGAIN) {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 1000);
        continue;
      }
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  int fd_ = -1;
  std::optional<telnet::Codec> telnet_;
};

// One path: its bare transport and the tool's exchange with a simulator behind the same kind of
// path, each with its own pty (and ser2net on a network path).
struct Path {
  Path(Via v, const char* n) : via(v), name(n) {}
  Via via;
  const char* name;
  EchoPty echo;
  test_support::Ser2net echoServer;
  BareClient bare;
  std::unique_ptr<sim::Simulator> sim;
  test_support::Ser2net simServer;
  MemoryLogPane log;
  std::unique_ptr<TTirisC1Dlg> comm;
  std::vector<double> bareUs, exchangeUs;
  int failures = 0;

  bool Start(std::string* error) {
    if (!echo.Start(kBaud, error)) return false;
    sim::SimulatorOptions o;
    o.wireTime = false;
    sim = std::make_unique<sim::Simulator>(o);
    if (!sim->Start(error)) return false;
    std::string port = sim->DevicePath();
    if (via == Via::Pty) {
      if (!bare.OpenDevice(echo.Path())) {
        *error = "cannot open " + echo.Path();
        return false;
      }
    } else {
      if (!echoServer.Start(echo.Path(), kBaud, error) || !simServer.Start(port, kBaud, error))
        return false;
      const bool raw = via == Via::Raw;
      if (!bare.Connect(raw ? echoServer.RawUrl() : echoServer.Rfc2217Url(), error)) return false;
      port = raw ? simServer.RawUrl() : simServer.Rfc2217Url();
    }
    comm = std::make_unique<TTirisC1Dlg>("/tmp/qzh-bench-config/bench.ini", &log);
    comm->SetBaudRate(TBaudRate::br57600);
    try {
      comm->OpenNamedPort(port);
    } catch (const std::exception& e) {
      *error = port + ": " + e.what();
      return false;
    }
    return true;
  }

  // One turn: `rounds` bare round trips, then as many exchanges; kept only when `keep`.
  bool Turn(int rounds, bool keep) {
    for (int i = 0; i < rounds; ++i) {
      const auto t0 = Clock::now();
      if (!bare.RoundTrip()) return false;
      const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
      if (keep) bareUs.push_back(us);
    }
    Response out{};
    for (int i = 0; i < rounds; ++i) {
      const auto t0 = Clock::now();
      comm->SendCommand({0x90});
      const bool ok = comm->AwaitResponse(out);
      const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
      if (keep) {
        exchangeUs.push_back(us);
        if (!ok) ++failures;
      }
    }
    return true;
  }

  void Stop() {
    comm.reset();
    simServer.Stop();
    echoServer.Stop();
    if (sim) sim->Stop();
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(kTurn, std::atoi(argv[1])) : 3000;
  ::setenv("XDG_CONFIG_HOME", "/tmp/qzh-bench-config", 1);

  Path paths[3] = {{Via::Pty, "pty"}, {Via::Raw, "socket://"}, {Via::Rfc2217, "rfc2217://"}};
  int status = 0;
  for (Path& path : paths) {
    std::string error;
    if (!path.Start(&error)) {
      std::fprintf(stderr, "%s: %s\n", path.name, error.c_str());
      status = 1;
      break;
    }
  }
  // The first turn warms every path up (Telnet's negotiation included) and is not kept.
  for (int done = -kTurn; status == 0 && done < rounds; done += kTurn)
    for (Path& path : paths)
      if (!path.Turn(done < 0 ? kTurn : std::min(kTurn, rounds - done), done >= 0)) {
        std::fprintf(stderr, "%s: the bare echo did not come back\n", path.name);
        status = 1;
        break;
      }
  for (Path& path : paths) path.Stop();
  if (status != 0) return status;

  auto p = [](const std::vector<double>& v, double q) { return measure::Percentile(v, q); };
  const Path& pty = paths[0];
  const double ptyShare50 = p(pty.exchangeUs, 50) / p(pty.bareUs, 50);
  const double ptyShare99 = p(pty.exchangeUs, 99) / p(pty.bareUs, 99);
  std::printf("%d rounds per path, in turns of %d\n", static_cast<int>(pty.bareUs.size()), kTurn);
  std::printf("%-11s %21s %21s %17s %11s %s\n", "path", "bare p50 / p99 us",
              "exchange p50 / p99 us", "share p50 / p99", "added p50", "failed");
  for (const Path& path : paths) {
    const double share50 = p(path.exchangeUs, 50) / p(path.bareUs, 50);
    const double share99 = p(path.exchangeUs, 99) / p(path.bareUs, 99);
    std::printf("%-11s %9.1f / %9.1f %9.1f / %9.1f %7.2f / %7.2f %8.1f us %d\n", path.name,
                p(path.bareUs, 50), p(path.bareUs, 99), p(path.exchangeUs, 50),
                p(path.exchangeUs, 99), share50, share99,
                p(path.exchangeUs, 50) - p(path.bareUs, 50), path.failures);
    if (path.via == Via::Pty) continue;
    const double r50 = share50 / ptyShare50, r99 = share99 / ptyShare99;
    std::printf("%-11s share / pty share p50 %.2f p99 %.2f: %s (target <= 2)\n", path.name, r50,
                r99, r50 <= 2 && r99 <= 2 ? "within 2x" : "NOT within 2x");
    if (path.failures > 0) status = 1;
  }
  return pty.failures > 0 ? 1 : status;
}
