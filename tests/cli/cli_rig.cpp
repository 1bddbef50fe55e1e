#include "tests/cli/cli_rig.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "sim/chip_registry.h"
#include "tests/support/wait.h"

extern char** environ;

namespace cli_test {

namespace {

// Only how long a run that hangs may take before the test gives up (see tests/support/wait.h).
constexpr auto kRunTimeout = std::chrono::seconds(180);

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

}  // namespace

Child::Child(const std::vector<std::string>& args) : Child(QZH900CTL_PATH, args) {}

Child::Child(const std::string& program, const std::vector<std::string>& args) {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, cargv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  outFd_ = out[0];
  errFd_ = err[0];
  if (rc != 0) throw std::runtime_error("cannot start " + program);
}

Child::~Child() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) ::close(outFd_);
  if (errFd_ >= 0) ::close(errFd_);
}

bool Child::Pump(int ms) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  if (outFd_ < 0 && errFd_ < 0) return false;
  const int n = ::poll(fds, 2, ms);
  if (n < 0 && errno != EINTR) return false;
  int* fd[2] = {&outFd_, &errFd_};
  std::string* sink[2] = {&out, &err};
  for (int i = 0; i < 2; ++i) {
    if (*fd[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buf[4096];
    const ssize_t r = ::read(*fd[i], buf, sizeof buf);
    if (r > 0) {
      sink[i]->append(buf, static_cast<size_t>(r));
    } else if (r == 0 || errno != EINTR) {
      ::close(*fd[i]);
      *fd[i] = -1;
    }
  }
  return outFd_ >= 0 || errFd_ >= 0;
}

std::optional<std::string> Child::NextLine(std::string& text, size_t& taken, const int& fd,
                                           std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = text.find('\n', taken);
    if (end != std::string::npos) {
      std::string line = text.substr(taken, end - taken);
      taken = end + 1;
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || fd < 0) return std::nullopt;
    Pump(static_cast<int>(left.count()));
  }
}

std::optional<std::string> Child::NextErrorLine(std::chrono::milliseconds timeout) {
  return NextLine(err, errLinesTaken_, errFd_, timeout);
}

std::optional<std::string> Child::NextOutputLine(std::chrono::milliseconds timeout) {
  return NextLine(out, outLinesTaken_, outFd_, timeout);
}

bool Child::WaitForOutput(const std::string& prefix) {
  while (auto line = NextOutputLine(kRunTimeout))
    if (line->rfind(prefix, 0) == 0) return true;
  return false;
}

int Child::Wait(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (outFd_ >= 0 || errFd_ >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    Pump(static_cast<int>(left.count()));
  }
  if (outFd_ >= 0 || errFd_ >= 0) ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  const bool timedOut = outFd_ >= 0 || errFd_ >= 0;
  pid_ = -1;
  if (timedOut) return -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

void Child::Signal(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
}

void Child::CloseOutput() {
  if (outFd_ >= 0) ::close(outFd_);
  outFd_ = -1;
}

std::optional<sim::TagReply> HookedSic7888::Handle(const sim::TagCommand& cmd,
                                                   const sim::AirContext& ctx) {
  if (cmd.code != 0x86 || !hook_) return Sic7888Tag::Handle(cmd, ctx);
  // Once: the next tag written is an ordinary one.
  const std::function<void()> hook = std::exchange(hook_, nullptr);
  std::optional<sim::TagReply> reply;
  if (at_ == HookAt::AfterTheChip) reply = Sic7888Tag::Handle(cmd, ctx);
  hook();
  if (at_ == HookAt::BeforeTheChip) reply = Sic7888Tag::Handle(cmd, ctx);
  return reply;
}

std::vector<std::string> Result::Lines() const {
  return SplitLines(out);
}

std::vector<std::string> Result::ErrorLines() const {
  return SplitLines(err);
}

std::vector<std::string> Result::HandlerLines() const {
  std::vector<std::string> lines;
  for (const std::string& l : Lines())
    if (l.rfind("TX: ", 0) != 0 && l.rfind("RX: ", 0) != 0) lines.push_back(l);
  return lines;
}

CliRig::CliRig(std::vector<sim::TagPtr> tags, const std::string& rom)
    : CliRig(std::move(tags), RigOptions{.rom = rom}) {}

CliRig::CliRig(std::vector<sim::TagPtr> tags, const RigOptions& options)
    : field(std::make_shared<sim::Field>(std::move(tags))) {
  sim::SimulatorOptions o;
  o.wireTime = options.wireTime;
  o.module.romVersion = options.rom;
  o.module.flood = options.flood;
  o.comNumber = options.comNumber;
  sim = std::make_unique<sim::Simulator>(o, field);
  std::string error;
  if (!sim->Start(&error)) throw std::runtime_error("simulator: " + error);
}

CliRig::~CliRig() {
  sim->Stop();
}

uint8_t CliRig::ModuleMode() const {
  uint8_t mode = 0;
  sim->WithModule([&](sim::Module& m) { mode = m.ActionMode(); });
  return mode;
}

std::unique_ptr<Child> CliRig::Start(std::vector<std::string> args) {
  if (!args.empty()) args.insert(args.begin() + 1, {"--port", sim->DevicePath()});
  return std::make_unique<Child>(args);
}

Result CliRig::Run(std::vector<std::string> args) {
  auto child = Start(std::move(args));
  Result r;
  r.status = child->Wait(kRunTimeout);
  r.out = child->out;
  r.err = child->err;
  return r;
}

Result RunCli(const std::vector<std::string>& args) {
  Child child(args);
  Result r;
  r.status = child.Wait(kRunTimeout);
  r.out = child.out;
  r.err = child.err;
  return r;
}

std::string SchemaProblems(const std::string& output, const TempConfig& dir) {
  const std::string in = dir.Path("events.jsonl");
  const std::string report = dir.Path("report.txt");
  TempConfig::WriteFile(in, output);
  const std::string command = std::string("/usr/bin/python3 ") + QZH_SOURCE_DIR +
                              "/tests/cli/validate_events.py " + QZH_SOURCE_DIR +
                              "/docs/qzh900ctl.schema.json < '" + in + "' > '" + report + "' 2>&1";
  const int rc = std::system(command.c_str());
  const std::string text = TempConfig::ReadFile(report);
  return rc == 0 ? "" : (text.empty() ? "the validator could not run" : text);
}

std::vector<QJsonObject> Events(const std::string& output) {
  std::vector<QJsonObject> events;
  for (const std::string& line : SplitLines(output))
    events.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
  return events;
}

std::vector<QJsonObject> OfKind(const std::vector<QJsonObject>& events, const char* kind) {
  std::vector<QJsonObject> out;
  for (const QJsonObject& e : events)
    if (e["event"].toString() == kind) out.push_back(e);
  return out;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool AwaitError(Child& child, const std::string& part) {
  while (auto line = child.NextErrorLine(test_support::kPatience))
    if (Contains(*line, part)) return true;
  return false;
}

}  // namespace cli_test
