// qzh900-sim: the simulated QZH-900 module on a pseudo-terminal.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "sim/chip_registry.h"
#include "sim/console.h"
#include "sim/options.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "version.h"

namespace {

std::mutex printMutex;

void Print(const std::string& text) {
  std::lock_guard lock(printMutex);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int Usage(const std::string& why) {
  std::cerr << "qzh900-sim: " << why << "\nTry qzh900-sim --help.\n";
  return 2;
}

// The tags of the command line; false (with the reason) for bad usage.
bool BuildField(const sim::CommandLine& cl, sim::Field& field, std::string& error) {
  sim::Scenario scenario;
  for (const auto& spec : cl.tagSpecs) {
    sim::ChipResult r = sim::ChipRegistry::Builtin().Make(spec);
    if (!r.tag) {
      error = "--tag " + spec + ": " + r.error;
      return false;
    }
    scenario.tags.push_back(r.tag);
  }
  for (const auto& file : cl.scenarioFiles) {
    if (!sim::LoadScenarioFile(file, scenario, error)) return false;
  }
  // A bad line costs only itself; too many mean the file is not a scenario at all.
  constexpr size_t kShown = 10;
  for (size_t i = 0; i < scenario.warnings.size() && i < kShown; ++i) {
    std::cerr << "qzh900-sim: " << scenario.warnings[i] << " (line skipped)\n";
  }
  if (scenario.warnings.size() > kShown) {
    std::cerr << "qzh900-sim: ... and " << scenario.warnings.size() - kShown
              << " more lines skipped\n";
  }
  if (cl.tagSpecs.empty() && cl.scenarioFiles.empty() && !cl.noTags && !cl.feed) {
    scenario.tags = sim::DefaultTags();
  }
  for (auto& tag : scenario.tags) field.Insert(tag);
  if (cl.feed) {
    sim::FeedPlan plan = cl.feedPlan;
    // Simulators started side by side feed tags of different UIDs.
    if (!cl.feedUidGiven) plan.firstUid = std::random_device{}();
    field.SetFeed(plan);
  }
  return true;
}

std::string FeedText(const sim::FeedPlan& plan) {
  char uid[16];
  std::snprintf(uid, sizeof uid, "%08X", plan.firstUid);
  return plan.chip +
         (plan.count ? " x " + std::to_string(plan.count) : std::string(" without end")) +
         ", first UID " + uid + ", " +
         std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(plan.gap).count()) +
         " ms after each read back";
}

}  // namespace

int main(int argc, char** argv) {
  const sim::ParsedCommandLine parsed =
      sim::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.ok) return Usage(parsed.error);
  sim::CommandLine cl = parsed.cl;
  if (cl.help) {
    std::cout << sim::UsageText();
    return 0;
  }
  if (cl.version) {
    std::cout << "qzh900-sim " << version::kPackageVersion << "\n";
    return 0;
  }
  auto field = std::make_shared<sim::Field>();
  std::string error;
  if (!BuildField(cl, *field, error)) return Usage(error);

  // Signals are taken from a signalfd by the main thread alone: block them before the
  // simulator's thread starts so it inherits the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int sigFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  if (sigFd < 0) {
    std::cerr << "qzh900-sim: signalfd failed\n";
    return 1;
  }

  cl.sim.log = [](const std::string& line) { Print("qzh900-sim: " + line + "\n"); };
  sim::Simulator simulator(cl.sim, field);
  simulator.SetFaults(cl.faults);
  if (!simulator.Start(&error)) {
    std::cerr << "qzh900-sim: " << error << "\n";
    return 1;
  }
  std::string banner = "qzh900-sim: device " + simulator.DevicePath();
  if (!simulator.ComName().empty()) banner += " registered as " + simulator.ComName();
  banner += ", ROM " + cl.sim.module.romVersion + ", model " + cl.sim.module.modelName + "\n";
  for (const auto& line : field->Describe()) banner += "qzh900-sim: tag " + line + "\n";
  if (const auto plan = field->FeedPlanNow())
    banner += "qzh900-sim: feed " + FeedText(*plan) + "\n";
  Print(banner);

  bool readStdin = true;
  std::string pending;
  while (true) {
    pollfd fds[2] = {{sigFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    if (::poll(fds, readStdin ? 2 : 1, -1) < 0) continue;
    if (fds[0].revents & POLLIN) break;
    if (!readStdin || !(fds[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      readStdin = false;  // no console (started in the background): run until a signal
      continue;
    }
    pending.append(buf, static_cast<size_t>(n));
    bool quit = false;
    for (size_t nl; !quit && (nl = pending.find('\n')) != std::string::npos;) {
      const sim::ConsoleResult r = sim::RunConsoleCommand(simulator, pending.substr(0, nl));
      pending.erase(0, nl + 1);
      Print(r.output);
      quit = r.quit;
    }
    if (pending.size() > 4096) pending.clear();  // not a console
    if (quit) break;
  }
  simulator.Stop();
  Print("qzh900-sim: stopped\n");
  return 0;
}
