// Read-loop flood into the real main window: the simulated module (in a child process, so that
// its work is not counted as the tool's) streams ID frames back to back at 115200 bit/s, cycling
// through 150 distinct FDX-B IDs, while the window on the offscreen platform logs and tallies
// them. Prints frames sent against frames tallied, the lateness of a timer posted every 10 ms,
// the tool's CPU share of one core and its resident memory after warm-up and at the end.
//
//   flood_bench [--seconds N]     (default 60)
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/comm_module.h"
#include "link/port_registry.h"
#include "maintenance/scripted_prompts.h"
#include "shell/app_paths.h"
#include "shell/ini_file.h"
#include "shell/language.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "sim/chip_registry.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCom = 9;
constexpr int kDistinct = 150;
constexpr int kBaud = 115200;

struct SimReport {
  uint64_t idFrames = 0;       // frames the module produced
  uint64_t droppedStream = 0;  // not sent because the tool did not read them in time
  uint64_t bytesOut = 0;
};

// The child: the simulated module until the parent closes `stop`, then its counters on `out`.
[[noreturn]] void RunModule(int ready, int stop, int out) {
  sim::SimulatorOptions o;
  o.wireTime = true;
  o.comNumber = kCom;
  o.module.baud = kBaud;
  o.module.flood = true;
  auto field = std::make_shared<sim::Field>();
  for (int i = 0; i < kDistinct; ++i) {
    auto made = sim::ChipRegistry::Builtin().Make("fdxb:392:" + std::to_string(100000000000LL + i));
    if (!made.tag) {
      std::fprintf(stderr, "flood_bench: %s\n", made.error.c_str());
      _exit(2);
    }
    field->Insert(made.tag);
  }
  sim::Simulator s(o, field);
  std::string error;
  if (!s.Start(&error)) {
    std::fprintf(stderr, "flood_bench: simulator: %s\n", error.c_str());
    _exit(2);
  }
  const char c = 1;
  if (::write(ready, &c, 1) != 1) _exit(2);
  char buf;
  while (::read(stop, &buf, 1) > 0) {
  }
  const sim::SimCounters counters = s.Counters();
  const SimReport r{counters.module.idFrames, counters.droppedStream, counters.bytesOut};
  s.Stop();
  if (::write(out, &r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(2);
  _exit(0);
}

double CpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(u.ru_utime) + s(u.ru_stime);
}

double RssMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i =
      std::min(v.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(v.size())));
  return v[i];
}

void Pump(double seconds) {
  TTirisC1Dlg::PumpFor(static_cast<uint32_t>(seconds * 1000));
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

  // A private configuration folder, shared with the child through the environment.
  char dir[] = "/tmp/qzh-flood-XXXXXX";
  if (!::mkdtemp(dir)) return 2;
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

  int ready[2], stop[2], out[2];
  if (::pipe(ready) || ::pipe(stop) || ::pipe(out)) return 2;
  const pid_t child = ::fork();
  if (child < 0) return 2;
  if (child == 0) {
    ::close(ready[0]);
    ::close(stop[1]);
    ::close(out[0]);
    RunModule(ready[1], stop[0], out[1]);
  }
  ::close(ready[1]);
  ::close(stop[0]);
  ::close(out[1]);
  char c;
  if (::read(ready[0], &c, 1) != 1) {
    std::fprintf(stderr, "flood_bench: the simulator did not start\n");
    return 2;
  }

  std::filesystem::create_directories(std::string(dir) + "/sys");
  port_registry::SetScanRoots(std::string(dir) + "/sys", std::string(dir) + "/sys");
  {
    IniFile ini(app_paths::SettingsPath());
    ini.WriteInteger("ComDebug", "Port", kCom);
    ini.WriteInteger("ComDebug", "BaudRate", kBaud);
    IniFile::CreateFolders(IniFile::FolderOf(app_paths::SettingsPath()));
    ini.Save();
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const std::string exe = std::string(dir) + "/bin/QZH900Tool";
  language::WriteLocaleOverride(
      exe, DefaultLanguageFlag() == 1 ? language::kJapaneseOverride : language::kEnglishOverride);
  ScriptedPrompts prompts;
  prompts.Answer("TOpenCom1Dlg.LBComPort", "COM" + std::to_string(kCom));
  prompts.Answer("TOpenCom1Dlg.RGComSpeed", "4");
  MainWindowOptions options;
  options.prompts = &prompts;
  options.exePath = exe;
  TTirisAppForm form(options);
  form.show();
  while (form.App().ReaderLevel == 0 && form.isVisible()) Pump(0.05);
  TTirisC1Dlg& comm = *form.App().Comm();
  if (!comm.CommX1.Connected()) {
    std::fprintf(stderr, "flood_bench: the module was not identified\n");
    return 1;
  }

  // Every ID frame the receiver verified and handed to the tally.
  uint64_t received = 0;
  comm.Rx.tally = [&](const std::string& kind, const std::string& id) {
    ++received;
    comm.Tally.TallyId(kind, id);
  };

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
  const double rssWarm = RssMiB();
  const double cpu0 = CpuSeconds();
  const auto t0 = Clock::now();
  const uint64_t received0 = received;
  measuring = true;
  Pump(seconds - warmUp);
  measuring = false;
  const double cpu = CpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double rssEnd = RssMiB();
  const uint64_t receivedInWindow = received - received0;
  tick.stop();

  // Back to command mode (frames in flight may answer the first try), then drain the line.
  for (int i = 0; i < 3; ++i) {
    form.RunItem("TB_TEST3");
    Pump(0.2);
  }
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  ::close(stop[1]);
  SimReport r{};
  if (::read(out[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) {
    std::fprintf(stderr, "flood_bench: no report from the simulator\n");
    return 1;
  }
  int status = 0;
  ::waitpid(child, &status, 0);

  const TagTally& t = comm.Tally;
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
  form.close();
  std::filesystem::remove_all(dir);
  return 0;
}
