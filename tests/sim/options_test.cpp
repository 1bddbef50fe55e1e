// The command line of qzh900-sim, and the program itself: start, registration, signals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/app_paths.h"
#include "core/ini_file.h"
#include "sim/console.h"
#include "sim/options.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

using namespace std::chrono_literals;

namespace {

sim::ParsedCommandLine Parse(std::vector<std::string> args) {
  return sim::ParseCommandLine(args);
}

// qzh900-sim with args, stdin on /dev/null, stdout and stderr into one pipe.
struct Program {
  explicit Program(const std::vector<std::string>& args) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv{const_cast<char*>(QZH_SIM_EXE)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    EXPECT_EQ(::posix_spawn(&pid, QZH_SIM_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out = fds[0];
  }
  ~Program() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    ::close(out);
  }
  // Output until `until` shows up (or the pipe closes, or the time is up).
  std::string ReadUntil(const std::string& until,
                        std::chrono::milliseconds timeout = test_support::kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (text.find(until) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd p{out, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      char buf[512];
      const ssize_t n = ::read(out, buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<size_t>(n));
    }
    return text;
  }
  int Wait() {
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t pid = -1;
  int out = -1;
  std::string text;
};

std::string Registered(int n) {
  IniFile ini(app_paths::PortRegistryPath());
  ini.Load();
  return ini.ReadString("Ports", "COM" + std::to_string(n), "");
}

}  // namespace

TEST(SimCommandLine, DefaultsAndEveryOption) {
  auto d = Parse({});
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.cl.sim.comNumber, 9);
  EXPECT_EQ(d.cl.sim.module.baud, 57600);
  EXPECT_TRUE(d.cl.sim.wireTime);
  EXPECT_EQ(d.cl.sim.module.romVersion, "1100LFS00");

  auto p = Parse({"--com",
                  "3",
                  "--baud=115200",
                  "--rom",
                  "1020",
                  "--model",
                  "QZH-900B",
                  "--no-wire-time",
                  "--air-time",
                  "15",
                  "--air-time",
                  "0x10=80",
                  "--tag",
                  "em:1",
                  "--scenario",
                  "a.txt",
                  "--flood",
                  "--interval",
                  "250",
                  "--reopen-after",
                  "500",
                  "--bad-sum",
                  "2",
                  "--nack",
                  "0x42:3",
                  "--late=300",
                  "--no-answer",
                  "all",
                  "--hangup-after",
                  "5",
                  "--garbage",
                  "1",
                  "--trace"});
  ASSERT_TRUE(p.ok) << p.error;
  const auto& c = p.cl;
  EXPECT_EQ(c.sim.comNumber, 3);
  EXPECT_EQ(c.sim.module.baud, 115200);
  EXPECT_EQ(c.sim.module.romVersion, "1020LFS00");
  EXPECT_EQ(c.sim.module.modelName, "QZH-900B");
  EXPECT_FALSE(c.sim.wireTime);
  EXPECT_EQ(c.sim.module.airTime, 15ms);
  EXPECT_EQ(c.sim.module.airTimeByCode.at(0x10), 80ms);
  EXPECT_EQ(c.tagSpecs, std::vector<std::string>{"em:1"});
  EXPECT_EQ(c.scenarioFiles, std::vector<std::string>{"a.txt"});
  EXPECT_TRUE(c.sim.module.flood);
  EXPECT_EQ(c.sim.module.streamInterval, 250ms);
  EXPECT_EQ(c.sim.reopenAfter, 500ms);
  EXPECT_TRUE(c.sim.traceFrames);
  EXPECT_EQ(c.faults.badSum, 2);
  EXPECT_EQ(c.faults.nackCode, 0x42);
  EXPECT_EQ(c.faults.nack, 3);
  EXPECT_EQ(c.faults.lateBy, 300ms);
  EXPECT_EQ(c.faults.late, sim::FaultPlan::kAlways);
  EXPECT_EQ(c.faults.missing, sim::FaultPlan::kAlways);
  EXPECT_EQ(c.faults.hangupAfter, 5);
  EXPECT_EQ(c.faults.garbage, 1);
}

TEST(SimCommandLine, BadUsageSaysWhat) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--frobnicate"}, "unknown option --frobnicate"},
      {{"--com"}, "--com needs a value"},
      {{"--com", "256"}, "--com: \"256\" is not 0 to 255"},
      {{"--baud", "12345"}, "--baud: \"12345\""},
      {{"--flood=1"}, "--flood takes no value"},
      {{"COM9"}, "unexpected argument \"COM9\""},
      {{"--nack", "0x44:x"}, "--nack: \"0x44:x\""},
      {{"--late", "-5"}, "--late: \"-5\""},
      {{"--bad-sum", "many"}, "--bad-sum: \"many\""},
      {{"--air-time", "0x10=abc"}, "--air-time: \"0x10=abc\""},
      {{"--rom", ""}, "--rom: \"\""},
  };
  for (const auto& [args, message] : cases) {
    auto r = Parse(args);
    EXPECT_FALSE(r.ok) << args[0];
    EXPECT_EQ(r.error.rfind(message, 0), 0u) << "got: " << r.error;
  }
}

TEST(SimProgram, BadUsageExitsWithStatus2) {
  Program bad({"--baud", "300"});
  EXPECT_NE(bad.ReadUntil("\n").find("--baud"), std::string::npos);
  EXPECT_EQ(bad.Wait(), 2);
  Program tag({"--tag", "fdxb:2000:1"});
  EXPECT_NE(tag.ReadUntil("\n").find("country"), std::string::npos);
  EXPECT_EQ(tag.Wait(), 2);
}

TEST(SimProgram, RegistersItsPortAndCleansUpOnSigterm) {
  TempConfig config;
  TempConfig::WriteFile(config.Path("field.txt"), "em:01\nthis is no tag\n");
  Program p({"--com", "7", "--scenario", config.Path("field.txt")});
  const std::string banner = p.ReadUntil("tag em");
  EXPECT_NE(banner.find("field.txt:2: unknown tag type"), std::string::npos) << banner;
  EXPECT_NE(banner.find("registered as COM7"), std::string::npos) << banner;
  const std::string device = Registered(7);
  EXPECT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
  EXPECT_NE(banner.find("device " + device), std::string::npos) << banner;

  ::kill(p.pid, SIGTERM);
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_EQ(Registered(7), "");
}

TEST(SimProgram, AFeedShowsItsFirstTagAndItsPlanInTheBanner) {
  TempConfig config;
  Program p({"--com", "0", "--feed", "sic7888:2", "--feed-uid", "10", "--feed-gap", "75"});
  const std::string banner = p.ReadUntil("after each read back\n");
  EXPECT_NE(banner.find("qzh900-sim: tag sic7888 UID 00 00 00 10 "), std::string::npos) << banner;
  EXPECT_NE(banner.find("qzh900-sim: feed sic7888 x 2, first UID 00000010, 75 ms after each read "
                        "back\n"),
            std::string::npos)
      << banner;
  // Only the feed's tag: no default tags.
  EXPECT_EQ(banner.find("fdxb"), std::string::npos) << banner;
  ::kill(p.pid, SIGTERM);
  EXPECT_EQ(p.Wait(), 0);
}

TEST(SimConsole, ChangesTheFieldAndTheFaultsOfARunningSimulator) {
  sim::Simulator s(sim::SimulatorOptions{});
  auto run = [&](const std::string& line) { return sim::RunConsoleCommand(s, line).output; };
  EXPECT_EQ(run("add ti-ro:1"), "added 0: ti-ro 0000000000000001\n");
  EXPECT_EQ(run("add em:2 0"), "added 0: em 0000000002 (version 000, serial 0000000002)\n");
  EXPECT_EQ(run("swap 1 fdxb:392:5"),
            "swapped ti-ro 0000000000000001 for fdxb 392 000000000005 (animal)\n");
  EXPECT_EQ(run("list"),
            "0: em 0000000002 (version 000, serial 0000000002)\n"
            "1: fdxb 392 000000000005 (animal)\n");
  EXPECT_EQ(run("remove 0"), "removed em 0000000002 (version 000, serial 0000000002)\n");
  EXPECT_EQ(run("remove 5"), "no tag 5\n");
  EXPECT_NE(run("add fdxb:5000:1").find("country"), std::string::npos);
  EXPECT_EQ(s.TheField().Size(), 1u);

  EXPECT_EQ(run("fault nack 0x43:2"), "ok\n");
  EXPECT_EQ(s.Faults().nack, 2);
  EXPECT_EQ(s.Faults().nackCode, 0x43);
  EXPECT_EQ(run("fault late soon"), "late: \"soon\" is not MS[:N] with MS 0 to 600000\n");
  EXPECT_EQ(run("faults off"), "no faults\n");
  EXPECT_EQ(s.Faults(), sim::FaultPlan{});
  EXPECT_EQ(run("frobnicate 3"), "not understood: \"frobnicate 3\"; type help\n");
  EXPECT_TRUE(sim::RunConsoleCommand(s, "quit").quit);
}
