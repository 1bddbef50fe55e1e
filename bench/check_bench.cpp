// The reader check's power sweep (the default: 50, 45, ..., 5 and the steps of 1 around the
// threshold, 20 reads per level) against the simulated module with realistic timing: wire time
// at 57600 bit/s plus the air time of each family's read. Prints, per family, the check's
// wall-clock time beside the module's own time for the same frames (target <= 1.05x), and
// whether it stayed under 2 minutes.
#include <stdlib.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench/module_time.h"
#include "bench/timed_world.h"
#include "maintenance/reader_check.h"
#include "sim/chip_registry.h"
#include "sim/chips/ti_hdx.h"

namespace {

using Clock = std::chrono::steady_clock;
using module_time::Ms;
using std::chrono::milliseconds;

constexpr int kBaud = 57600;

struct Family {
  const char* name;
  const char* spec;
  std::map<uint8_t, sim::Duration> air;  // air time of the family's read
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication qapp(argc, argv);
  char dir[] = "/tmp/check_bench_XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("XDG_CONFIG_HOME", dir, 1);

  // Air times: a TI read cycle for the charge-only read; an FDX-B telegram (128 bits at
  // 4.2 kbit/s, about 31 ms) with the module's search for the ID read; a SIC7888 UID and an
  // EM4305 word read with their command and answer on the air.
  const Family families[] = {
      {"hdx", "ti-ro:0123456789ABCDEF:threshold=18", sim::TiHdxAirTimes()},
      {"fdx", "fdxb:392:123456789012:threshold=18", {{0x70, milliseconds(35)}}},
      {"sic7888", "sic7888:threshold=18", {{0x80, milliseconds(25)}}},
      {"em4305", "em4305:threshold=18", {{0xE1, milliseconds(20)}}},
  };
  std::printf("Reader check, power sweep with 20 reads per level, %d bit/s with air time\n", kBaud);
  int worst = 0;
  for (const Family& f : families) {
    TimedWorld world(f.air, sim::ChipRegistry::Builtin().Make(f.spec).tag,
                     std::string(dir) + "/QZH900Tool.ini");
    MemoryLogPane& log = world.log;
    AppCore& app = world.app;

    CheckSettings s;
    s.link = false;
    const auto t0 = Clock::now();
    const CheckResult r = RunReaderCheck(app, s, {});
    const double checkMs = Ms(Clock::now() - t0).count();
    const double moduleMs = module_time::ModuleMs(log.Lines(), kBaud, f.air);
    int reads = 0;
    for (const auto& m : r.levels) reads += m.reads;
    const bool ok = r.Ok() && r.threshold == 18 && checkMs < 120000;
    std::printf(
        "%-8s check %9.1f ms   module %9.1f ms   ratio %.4f (+%.2f %%)   %zu levels, %d reads, "
        "threshold %d, under 2 min: %s\n",
        f.name, checkMs, moduleMs, checkMs / moduleMs, (checkMs / moduleMs - 1) * 100,
        r.levels.size(), reads, r.threshold.value_or(-1), checkMs < 120000 ? "yes" : "NO");
    if (!ok) {
      std::fprintf(stderr, "%s: check failed: %s\n", f.name, r.failure.c_str());
      worst = 1;
    }
  }
  std::filesystem::remove_all(dir);
  return worst;
}
