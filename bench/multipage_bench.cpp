// The multipage editor's SCAN and WRITE against the simulated module with realistic timing: wire
// time at 57600 bit/s plus the TI air time of every command. The module's own time is what the
// frames of the run needed on the line and in the air, plus the editor's specified 10 ms pause
// after each page read; the editor's time is the wall-clock time of the job. Prints both and
// their ratio for page-by-page and fast mode (median of several runs).
#include <stdlib.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/app_core.h"
#include "bench/module_time.h"
#include "bench/timed_world.h"
#include "hdx/mpt_editor.h"
#include "prompts/scripted_prompts.h"
#include "sim/chips/ti_hdx.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using module_time::Ms;

constexpr int kBaud = 57600;
constexpr double kPauseMs = 10;
constexpr int kRuns = 5;

// What the module needed for the frames logged, plus the editor's pauses.
double ModuleMs(const std::vector<std::string>& lines, const std::map<uint8_t, sim::Duration>& air,
                int pauses) {
  return pauses * kPauseMs + module_time::ModuleMs(lines, kBaud, air);
}

struct Figure {
  std::vector<double> tool, module;
  void Print(const char* name) {
    std::sort(tool.begin(), tool.end());
    std::sort(module.begin(), module.end());
    const double t = tool[tool.size() / 2], m = module[module.size() / 2];
    std::printf("%-28s editor %8.1f ms   module %8.1f ms   ratio %.4f (+%.2f %%)\n", name, t, m,
                t / m, (t / m - 1) * 100);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication qapp(argc, argv);
  char dir[] = "/tmp/multipage_bench_XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("XDG_CONFIG_HOME", dir, 1);

  const auto air = sim::TiHdxAirTimes(sim::TiHdxTag::kMultiPages);
  TimedWorld world(air, std::make_shared<sim::TiHdxTag>(sim::tag_type::kMultiPage, 1),
                   std::string(dir) + "/QZH900Tool.ini");
  MemoryLogPane& log = world.log;
  ScriptedPrompts& prompts = world.prompts;
  AppCore& app = world.app;
  app.ReaderLevel = 3;

  Figure scan, write, fastScan, fastWrite;
  auto job = [&](Figure& f, int pauses, const std::function<void()>& run) {
    log.Clear();
    const auto t0 = Clock::now();
    run();
    f.tool.push_back(Ms(Clock::now() - t0).count());
    f.module.push_back(ModuleMs(log.Lines(), air, pauses));
  };
  for (int fast = 0; fast <= 1; ++fast) {
    for (int r = 0; r < kRuns; ++r) {
      TMPTDataWriteDlg editor(app);
      editor.Options().FastMode = fast;
      job(fast ? fastScan : scan, fast ? 0 : sim::TiHdxTag::kMultiPages,
          [&] { editor.ScanSBtClick(); });
      editor.EditSBtClick();
      editor.EditSBtClick();
      if (editor.State() != MptEditState::esReady) {
        std::fprintf(stderr, "scan failed\n");
        return 1;
      }
      job(fast ? fastWrite : write, 0, [&] { editor.ApplySBtClick(); });
    }
  }
  std::printf(
      "Multipage editor, 17 pages, %d bit/s, air time per page: read %.0f ms, program "
      "%.0f ms (median of %d runs)\n",
      kBaud, Ms(air.at(0x12)).count(), Ms(air.at(0x13)).count(), kRuns);
  scan.Print("SCAN page by page");
  write.Print("WRITE page by page");
  fastScan.Print("SCAN fast (0x8B)");
  fastWrite.Print("WRITE fast (0x8C)");
  if (prompts.messages.size() != 2 * kRuns ||
      std::count(prompts.messages.begin(), prompts.messages.end(), "OK!") != 2 * kRuns)
    std::fprintf(stderr, "unexpected messages: %zu\n", prompts.messages.size());
  std::filesystem::remove_all(dir);
  return 0;
}
