// Exchange round trip over a pty to the simulator (wire time off) beside a bare write/read
// round trip over a pty measured in the same run, the same exchange over the in-memory link (the
// tool's own share: framing, logging, receiver and wait, without a pty or a thread), and the CPU
// a silent 2 s wait costs.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/echo_pty.h"
#include "bench/measure.h"
#include "core/log_pane.h"
#include "link/comm_module.h"
#include "link/frame.h"
#include "link/memory_link.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Stats {
  double p50, p99;
};

Stats Percentiles(const std::vector<double>& us) {
  return {measure::Percentile(us, 50), measure::Percentile(us, 99)};
}

// Host writes an 8-byte command to the slave, an echo thread answers 8 bytes from the master.
Stats BarePty(int rounds) {
  EchoPty echo;
  std::string error;
  if (!echo.Start(57600, &error)) {
    std::fprintf(stderr, "pty: %s\n", error.c_str());
    std::exit(1);
  }
  const int host = ::open(echo.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  const uint8_t cmd[8] = {0x02, 0x00, 0x4D, 0x01, 0x90, 0x03, 0xE3, 0x0D};
  std::vector<double> us;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = Clock::now();
    [[maybe_unused]] ssize_t w = ::write(host, cmd, sizeof cmd);
    size_t got = 0;
    uint8_t buf[64];
    while (got < sizeof cmd) {
      pollfd p{host, POLLIN, 0};
      ::poll(&p, 1, 1000);
      const ssize_t n = ::read(host, buf, sizeof buf);
      if (n > 0) got += static_cast<size_t>(n);
    }
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  ::close(host);
  return Percentiles(us);
}

// The exchange against a MemoryLink that answers every command at once with the module's answer
// to 0x90.
Stats InMemory(int rounds, int* failures) {
  MemoryLogPane log;
  TTirisC1Dlg comm("/tmp/qzh-bench-config/bench.ini", &log);
  MemoryLink& link = comm.UseLink(std::make_unique<MemoryLink>());
  const std::vector<uint8_t> answer = frame::BuildResponseFrame(
      frame::TypeAck, std::vector<uint8_t>{0x90, '1', '1', '0', '0', 'L', 'F', 'S', '0', '0'});
  link.OnWrite = [&](std::span<const uint8_t>) { link.Deliver(answer); };
  Response out{};
  std::vector<double> us;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = Clock::now();
    comm.SendCommand({0x90});
    if (!comm.AwaitResponse(out)) ++*failures;
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  return Percentiles(us);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(100, std::atoi(argv[1])) : 3000;
  ::setenv("XDG_CONFIG_HOME", "/tmp/qzh-bench-config", 1);

  const Stats bare = BarePty(rounds);

  sim::SimulatorOptions o;
  o.wireTime = false;
  sim::Simulator sim(o);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return 1;
  }
  // The simulator alone, through a plain descriptor: what the module's side adds.
  Stats simOnly{};
  {
    const int host = ::open(sim.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    tcgetattr(host, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B57600);
    tcsetattr(host, TCSANOW, &t);
    const uint8_t cmd[8] = {0x02, 0x00, 0x4D, 0x01, 0x90, 0x03, 0xE3, 0x0D};
    std::vector<double> raw;
    for (int i = 0; i < rounds; ++i) {
      const auto t0 = Clock::now();
      [[maybe_unused]] ssize_t w = ::write(host, cmd, sizeof cmd);
      size_t got = 0;
      uint8_t buf[64];
      while (got < 17) {
        pollfd p{host, POLLIN, 0};
        ::poll(&p, 1, 1000);
        const ssize_t n = ::read(host, buf, sizeof buf);
        if (n > 0) got += static_cast<size_t>(n);
      }
      raw.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    ::close(host);
    simOnly = Percentiles(raw);
  }
  MemoryLogPane log;
  TTirisC1Dlg comm("/tmp/qzh-bench-config/bench.ini", &log);
  comm.SetBaudRate(TBaudRate::br57600);
  comm.OpenNamedPort(sim.DevicePath());
  Response out{};
  std::vector<double> us;
  int failures = 0;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = Clock::now();
    comm.SendCommand({0x90});
    if (!comm.AwaitResponse(out)) ++failures;
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  const Stats ex = Percentiles(us);
  const Stats memory = InMemory(rounds, &failures);

  sim.UpdateFaults([](sim::FaultPlan& f) { f.missing = 1; });
  const double cpu0 = measure::CpuSeconds();
  const auto w0 = Clock::now();
  comm.SendCommand({0x90});
  comm.AwaitResponse(out);
  const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
  const double cpu = measure::CpuSeconds() - cpu0;

  std::printf("bare pty round trip        p50 %7.1f us   p99 %7.1f us\n", bare.p50, bare.p99);
  std::printf("simulator alone, raw fd    p50 %7.1f us   p99 %7.1f us\n", simOnly.p50, simOnly.p99);
  std::printf("exchange round trip        p50 %7.1f us   p99 %7.1f us   (%d rounds, %d failed)\n",
              ex.p50, ex.p99, rounds, failures);
  std::printf("ratio exchange / bare      p50 %7.2f      p99 %7.2f       (target <= 5)\n",
              ex.p50 / bare.p50, ex.p99 / bare.p99);
  std::printf("in-memory link exchange    p50 %7.1f us   p99 %7.1f us\n", memory.p50, memory.p99);
  std::printf(
      "silent wait                %.2f s wall, %.1f ms CPU = %.2f %% of a core (target < 1 %%)\n",
      wall, cpu * 1000, 100 * cpu / wall);
  sim.Stop();
  return failures == 0 ? 0 : 1;
}
