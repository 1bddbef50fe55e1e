// A large settings file: `qzh900ctl run MnGetROMVer` against the simulator with a settings file of
// N MB of blank lines (default 10) in front of its [Option] section, timed from exec to exit with
// the runner's peak memory (its maximum resident set), and the INI reader alone on the same file
// in this process.
//
//   settings_bench [--mb N]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "sim/simulator.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Blank lines, then the section the runner reads.
void WriteSettings(const std::string& path, size_t megabytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string block(1 << 20, '\n');
  for (size_t i = 0; i < megabytes; ++i) out << block;
  out << "[Option]\nLanguageFlag=0\n";
}

struct ChildRun {
  int status = -1;
  double ms = 0;
  double peakMiB = 0;
};

// Runs argv with its output on /dev/null; wall time and the child's maximum resident set.
ChildRun Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  ChildRun r;
  pid_t pid = -1;
  const auto t0 = Clock::now();
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return r;
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  r.ms = MsSince(t0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  size_t megabytes = 10;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--mb") == 0) megabytes = std::strtoul(argv[i + 1], nullptr, 10);

  char dir[] = "/tmp/qzh-settings-bench-XXXXXX";
  if (!::mkdtemp(dir)) return 1;
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  const std::string settings = std::string(dir) + "/norvik/QZH900Tool/QZH900Tool.ini";
  WriteSettings(settings, megabytes);

  sim::SimulatorOptions o;
  o.wireTime = false;
  sim::Simulator sim(o);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return 1;
  }
  const ChildRun run = Run({QZH_CTL_EXE, "run", "MnGetROMVer", "--port", sim.DevicePath()});
  sim.Stop();

  const auto t0 = Clock::now();
  IniFile ini(settings);
  ini.Load();
  const double loadMs = MsSince(t0);

  std::printf(
      "settings file of %zu MB of blank lines: qzh900ctl run MnGetROMVer %.1f ms, "
      "peak RSS %.1f MiB, exit status %d\n",
      megabytes, run.ms, run.peakMiB, run.status);
  std::printf("the INI reader alone on that file: %.1f ms\n", loadMs);
  std::filesystem::remove_all(dir);
  return run.status == 0 ? 0 : 1;
}
