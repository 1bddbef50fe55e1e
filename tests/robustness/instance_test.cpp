// A second instance of the tool (the command runner, another process) asks for the port the
// first one holds open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/log_pane.h"
#include "link/comm_module.h"
#include "sim/simulator.h"
#include "tests/support/temp_config.h"

extern char** environ;

namespace {

// Runs a program to its end; its exit status and what it printed on both streams.
struct Ran {
  int status = -1;
  std::string output;
};
Ran RunProgram(const std::vector<std::string>& argv, const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Ran r;
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  r.output = TempConfig::ReadFile(outputFile);
  return r;
}

TEST(InstanceRobustness, ASecondInstanceIsRefusedWhileThePortIsOpen) {
  TempConfig cfg;
  MemoryLogPane log;
  sim::SimulatorOptions o;
  o.wireTime = false;
  auto simulator = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(simulator->Start(&error)) << error;
  auto comm = std::make_unique<TTirisC1Dlg>(cfg.SettingsPath(), &log);
  comm->SetBaudRate(TBaudRate::br57600);
  comm->OpenNamedPort(simulator->DevicePath());
  const std::string out = cfg.Path("second.txt");
  const std::vector<std::string> second = {
      QZH_CTL_EXE, "identify", "--port", simulator->DevicePath(), "--baud", "57600"};
  const Ran refused = RunProgram(second, out);
  EXPECT_EQ(refused.status, 2) << refused.output;
  EXPECT_NE(refused.output.find("in use"), std::string::npos) << refused.output;
  EXPECT_TRUE(comm->ProbeReader()) << "the first instance lost its port";
  EXPECT_EQ(simulator->Counters().module.commands, 1u) << "the second instance wrote to the port";
  // Once the first lets go, the second gets the port.
  comm->ClosePort();
  const Ran admitted = RunProgram(second, out);
  EXPECT_EQ(admitted.status, 0) << admitted.output;
  comm.reset();
  simulator->Stop();
}

}  // namespace
