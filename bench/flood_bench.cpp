// Read-loop flood into the real main window: the simulated module (in a child process, so that
// its work is not counted as the tool's) streams ID frames back to back at 115200 bit/s, cycling
// through 150 distinct FDX-B IDs, while the window on the offscreen platform logs and tallies
// them. Prints frames sent against frames tallied, the lateness of a timer posted every 10 ms,
// the tool's CPU share of one core and its resident memory after warm-up and at the end.
//
//   flood_bench [--seconds N]     (default 60)
#include <unistd.h>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/flood_world.h"
#include "bench/measure.h"
#include "link/comm_module.h"

using namespace flood_world;
using namespace measure;

namespace {

using Clock = std::chrono::steady_clock;

struct SimReport {
  uint64_t idFrames = 0;       // frames the module produced
  uint64_t droppedStream = 0;  // not sent because the tool did not read them in time
  uint64_t bytesOut = 0;
};

// In the child: stream until the parent closes the cue, then send the counters.
void Serve(sim::Simulator& module, int stop, int out) {
  char buf;
  while (::read(stop, &buf, 1) > 0) {
  }
  const sim::SimCounters counters = module.Counters();
  const SimReport r{counters.module.idFrames, counters.droppedStream, counters.bytesOut};
  module.Stop();
  if (::write(out, &r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 60;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: flood_bench [--seconds N]\n");
      return 2;
    }
  }
  if (!(seconds >= 2 && seconds <= 3600)) {
    std::fprintf(stderr, "flood_bench: --seconds takes 2 to 3600\n");
    return 2;
  }
  const double warmUp = std::min(10.0, seconds / 6);

  FloodWorld world("flood_bench", argc, argv);
  if (!world.Start(Serve)) return 2;
  TTirisAppForm& form = world.Window();
  TTirisC1Dlg& comm = *form.App().Comm();

  // Every ID frame the receiver verified and handed to the tally.
  uint64_t received = 0;
  const Subscription counting =
      comm.Receiver().tally.Subscribe([&](const std::string&, const std::string&) { ++received; });

  // A timer posted every 10 ms: how late does it fire while the flood is handled?
  std::vector<double> lateness;
  bool measuring = false;
  Clock::time_point due;
  QTimer tick;
  tick.setSingleShot(true);
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const auto now = Clock::now();
    if (measuring) lateness.push_back(std::chrono::duration<double, std::milli>(now - due).count());
    due = now + std::chrono::milliseconds(10);
    tick.start(10);
  });
  due = Clock::now() + std::chrono::milliseconds(10);
  tick.start(10);

  form.RunItem("TB_TEST2");
  const auto start = Clock::now();
  Pump(warmUp);
  const double rssWarm = StatusMiB("VmRSS");
  const double cpu0 = CpuSeconds();
  const auto t0 = Clock::now();
  const uint64_t received0 = received;
  measuring = true;
  Pump(seconds - warmUp);
  measuring = false;
  const double cpu = CpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double rssEnd = StatusMiB("VmRSS");
  const uint64_t receivedInWindow = received - received0;
  tick.stop();

  // Back to command mode (frames in flight may answer the first try), then drain the line.
  for (int i = 0; i < 3; ++i) {
    form.RunItem("TB_TEST3");
    Pump(0.2);
  }
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  world.CueEnd();
  SimReport r{};
  if (::read(world.OutFd(), &r, sizeof r) != static_cast<ssize_t>(sizeof r)) {
    std::fprintf(stderr, "flood_bench: no report from the simulator\n");
    return 1;
  }

  const TagTally& t = comm.Tally();
  uint64_t tallied = 0;
  for (int k = 0; k < t.Count(); ++k) tallied += static_cast<uint64_t>(t.Entry(k).count);
  const uint64_t sent = r.idFrames - r.droppedStream;
  const int64_t lost = static_cast<int64_t>(sent) - static_cast<int64_t>(received);
  const double p50 = Percentile(lateness, 50), p99 = Percentile(lateness, 99);
  const double worst = lateness.empty() ? 0 : *std::max_element(lateness.begin(), lateness.end());
  const double cpuPct = 100.0 * cpu / wall;
  const double rssGrowth = rssEnd - rssWarm;

  std::printf(
      "flood_bench: %.0f s read-loop flood at %d bit/s, %d distinct FDX-B IDs, tally capacity %d\n",
      seconds, kBaud, kDistinct, t.Capacity());
  std::printf("  frames sent        %10llu  (%.0f/s over %.1f s; %llu not sent: tool behind)\n",
              static_cast<unsigned long long>(sent), static_cast<double>(sent) / total, total,
              static_cast<unsigned long long>(r.droppedStream));
  std::printf("  frames received    %10llu  (lost %lld)\n",
              static_cast<unsigned long long>(received), static_cast<long long>(lost));
  std::printf(
      "  tally              %10llu  in %d rows; %llu frames of the IDs past the capacity ignored\n",
      static_cast<unsigned long long>(tallied), t.Count(),
      static_cast<unsigned long long>(received - tallied));
  std::printf("  log pane           %10d lines now (5000-line rule)\n",
              form.App().Log().LineCount());
  std::printf("  10 ms timer        p50 %.2f ms  p99 %.2f ms  max %.2f ms late  (%zu ticks)\n", p50,
              p99, worst, lateness.size());
  std::printf("  CPU (tool)         %10.1f %% of a core  (%.1f s CPU in %.1f s, %.0f frames/s)\n",
              cpuPct, cpu, wall, static_cast<double>(receivedInWindow) / wall);
  std::printf("  RSS                %10.1f MiB after warm-up, %.1f MiB at the end (%+.1f MiB)\n",
              rssWarm, rssEnd, rssGrowth);
  const bool noLoss =
      lost == 0 && r.droppedStream == 0 && t.Count() == t.Capacity() && received - tallied > 0;
  const bool flat = rssGrowth < 0.05 * rssWarm + 2.0;
  std::printf(
      "  targets            loss %s, timer p99 < 50 ms %s, CPU < 50 %% %s, memory flat %s\n",
      noLoss ? "none OK" : "FAILED", p99 < 50 ? "OK" : "FAILED", cpuPct < 50 ? "OK" : "FAILED",
      flat ? "OK" : "FAILED");
  return 0;
}
