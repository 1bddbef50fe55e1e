#pragma once
// The real qzh900ctl binary against the simulator: the simulated module runs in the test process
// on a pseudo-terminal, the runner is a child process with --port <pty> and the test's private
// configuration folder. Its standard error can be followed line by line while it runs, so a test
// can change the field when the runner asks for the next tag.
#include <sys/types.h>

#include <QJsonObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/chips/sic7888.h"
#include "sim/simulator.h"
#include "tests/support/handler_rig.h"
#include "tests/support/temp_config.h"

namespace cli_test {

// A running qzh900ctl.
class Child {
 public:
  explicit Child(const std::vector<std::string>& args);
  // Another program of the build (the simulator).
  Child(const std::string& program, const std::vector<std::string>& args);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The next line of standard error (standard output is collected meanwhile); nullopt when the
  // child closed it or nothing came within the time-out.
  std::optional<std::string> NextErrorLine(std::chrono::milliseconds timeout);
  // The same for standard output.
  std::optional<std::string> NextOutputLine(std::chrono::milliseconds timeout);
  // Reads standard output until a line that starts with `prefix` (true), or the end.
  bool WaitForOutput(const std::string& prefix);
  // Reads both streams to their end and returns the exit status (-1 when the child did not end
  // within the time-out and was killed, 128 + signal when a signal ended it).
  int Wait(std::chrono::milliseconds timeout);
  void Signal(int signal);
  // Closes the test's end of standard output, as a reader that has had enough ("head -1").
  void CloseOutput();
  pid_t Pid() const { return pid_; }
  // Reads what the child wrote, waiting at most `ms`; false once both streams are closed. Several
  // children that run at once are drained in turn, so that none of them blocks on a full pipe.
  bool Drain(int ms) { return Pump(ms); }

  std::string out;  // everything read from standard output so far
  std::string err;  // everything read from standard error so far

 private:
  // Reads what is there, waiting at most `ms`; false when both streams are closed.
  bool Pump(int ms);
  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  size_t errLinesTaken_ = 0;  // offset into err of the first line not yet returned
  size_t outLinesTaken_ = 0;  // the same for out
  std::optional<std::string> NextLine(std::string& text, size_t& taken, const int& fd,
                                      std::chrono::milliseconds timeout);
};

struct Result {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<std::string> Lines() const;  // standard output, line by line
  // Standard output without the exchange's frame lines (TX:, RX:).
  std::vector<std::string> HandlerLines() const;
  // Standard error, line by line.
  std::vector<std::string> ErrorLines() const;
};

struct RigOptions {
  std::string rom = "1100LFS00";
  bool wireTime = false;  // pace the line at the module's speed
  bool flood = false;     // read-loop mode streams 'I' frames back to back at line rate
  int comNumber = 0;      // registers the pty as COM<n> (0: not registered)
};

struct CliRig {
  explicit CliRig(std::vector<sim::TagPtr> tags = {}, const std::string& rom = "1100LFS00");
  CliRig(std::vector<sim::TagPtr> tags, const RigOptions& options);
  ~CliRig();

  // Runs qzh900ctl VERB ... with --port <the simulator's pty> after the verb, to its end.
  Result Run(std::vector<std::string> args);
  // Starts it and leaves it running.
  std::unique_ptr<Child> Start(std::vector<std::string> args);
  // Commands the simulated module has received so far.
  uint64_t Commands() const { return sim->Counters().module.commands; }
  // The simulated module's action mode (4: command mode).
  uint8_t ModuleMode() const;
  std::string Settings() const { return TempConfig::ReadFile(config.SettingsPath()); }

  TempConfig config;
  std::shared_ptr<sim::Field> field;
  std::unique_ptr<sim::Simulator> sim;
};

// A SIC7888 that runs a hook when an ID write reaches it, before the module answers: the moment a
// station is between its claim and its record, waiting for that answer. The hook runs before the
// chip takes the write, after it, or instead of it (the chip then stays silent).
class HookedSic7888 : public sim::Sic7888Tag {
 public:
  enum class HookAt { BeforeTheChip, AfterTheChip, InsteadOfTheChip };
  HookedSic7888(uint32_t uid, std::function<void()> hook, HookAt at)
      : Sic7888Tag(uid), hook_(std::move(hook)), at_(at) {}
  std::optional<sim::TagReply> Handle(const sim::TagCommand& cmd,
                                      const sim::AirContext& ctx) override;

 private:
  std::function<void()> hook_;
  HookAt at_;
};

// Problems python3-jsonschema finds in --json output against docs/qzh900ctl.schema.json (files
// in dir); empty when it is valid.
std::string SchemaProblems(const std::string& output, const TempConfig& dir);
// The JSON Lines of output, and those of one event kind.
std::vector<QJsonObject> Events(const std::string& output);
std::vector<QJsonObject> OfKind(const std::vector<QJsonObject>& events, const char* kind);

// A runner without a simulator (usage errors).
Result RunCli(const std::vector<std::string>& args);

bool Contains(const std::string& text, const std::string& part);
// Whether a line of the child's standard error holds part, within the tests' patience.
bool AwaitError(Child& child, const std::string& part);

using test_rig::MakeTag;

}  // namespace cli_test
