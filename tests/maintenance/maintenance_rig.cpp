#include "tests/maintenance/maintenance_rig.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "link/frame.h"
#include "link/hex.h"
#include "maintenance/register.h"

namespace maint_test {

using namespace std::chrono_literals;

std::string Tx(std::initializer_list<uint8_t> data) {
  return Tx(std::vector<uint8_t>(data));
}

std::string Tx(const std::vector<uint8_t>& data, uint8_t kind) {
  return "TX: " + hex::Bytes(frame::BuildCommandFrame(data, kind));
}

CannedLine::CannedLine() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
    throw std::runtime_error("no pseudo-terminal");
  slavePath_ = ::ptsname(master_);
  // Our own raw slave descriptor keeps the line up while the tool opens and closes it.
  slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios t{};
  ::tcgetattr(slave_, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(slave_, TCSANOW, &t);
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  thread_ = std::thread([this] { Run(); });
}

CannedLine::~CannedLine() {
  const char c = 0;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &c, 1);
  thread_.join();
  for (int fd : {master_, slave_, wake_[0], wake_[1]}) ::close(fd);
}

void CannedLine::QueueAck(std::vector<uint8_t> data) {
  std::lock_guard lock(mutex_);
  replies_.push_back(frame::BuildResponseFrame(frame::TypeAck, data));
}

void CannedLine::QueueNack(uint8_t code) {
  std::lock_guard lock(mutex_);
  const std::vector<uint8_t> data{code};
  replies_.push_back(frame::BuildResponseFrame(frame::TypeNack, data));
}

std::vector<std::vector<uint8_t>> CannedLine::Commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

void CannedLine::Run() {
  std::vector<uint8_t> frame;
  for (;;) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    uint8_t buf[512];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      if (frame.empty() && buf[i] != frame::STX) continue;
      frame.push_back(buf[i]);
      // STX 00 kind LEN data ETX SUM CR
      if (frame.size() < 4 || frame.size() != static_cast<size_t>(frame[3]) + 7u) continue;
      std::vector<uint8_t> reply;
      {
        std::lock_guard lock(mutex_);
        commands_.emplace_back(frame.begin() + 4, frame.end() - 3);
        if (!replies_.empty()) {
          reply = std::move(replies_.front());
          replies_.pop_front();
        }
      }
      if (!reply.empty()) {
        [[maybe_unused]] ssize_t w = ::write(master_, reply.data(), reply.size());
      }
      frame.clear();
    }
  }
}

std::string TestPrompts::Interact(PromptForm& form) {
  const std::string action = ScriptedPrompts::Interact(form);
  const PromptAction* a = form.FindAction(action);
  if (!a || a->kind == ActionKind::Cancel || a->kind == ActionKind::Accept) closed.push_back(form);
  return action;
}

void TestPrompts::Refresh(PromptForm& form) {
  if (onRefresh) onRefresh(form);
}

void MaintenanceTest::SetUp() {
  SetMessageLanguage(Language::English);
  sim::SimulatorOptions o;
  o.wireTime = false;
  sim_ = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim_->Start(&error)) << error;
  app_ = std::make_unique<AppCore>(log_, prompts_, cfg_.SettingsPath());
  auto comm = std::make_unique<TTirisC1Dlg>(cfg_.SettingsPath(), &log_);
  comm->CommX1.SetBaudRate(TBaudRate::br57600);
  comm->OpenNamedPort(sim_->DevicePath());
  app_->SetComm(std::move(comm));
  RegisterMaintenanceHandlers(registry_);
}

void MaintenanceTest::TearDown() {
  EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front();
  EXPECT_TRUE(prompts_.UnusedAnswers().empty()) << prompts_.UnusedAnswers().front();
  app_.reset();
  sim_->Stop();
}

void MaintenanceTest::UseCannedLine() {
  canned_ = std::make_unique<CannedLine>();
  app_->Link().OpenNamedPort(canned_->DevicePath());
}

void MaintenanceTest::Run(const std::string& item) {
  ASSERT_TRUE(registry_.Run(*app_, item)) << item << " has no handler";
}

std::vector<std::string> MaintenanceTest::HandlerLines() const {
  std::vector<std::string> out;
  for (const std::string& l : Lines())
    if (l.rfind("TX: ", 0) != 0 && l.rfind("RX: ", 0) != 0) out.push_back(l);
  return out;
}

std::vector<std::string> MaintenanceTest::TxLines() const {
  std::vector<std::string> out;
  for (const std::string& l : Lines())
    if (l.rfind("TX: ", 0) == 0) out.push_back(l);
  return out;
}

bool MaintenanceTest::HasLine(const std::string& line) const {
  for (const std::string& l : Lines())
    if (l == line) return true;
  return false;
}

uint16_t MaintenanceTest::Word(int address) {
  uint16_t w = 0;
  sim_->WithModule([&](sim::Module& m) { w = m.Memory().Word(address); });
  return w;
}

void MaintenanceTest::SetWord(int address, uint16_t value) {
  sim_->WithModule([&](sim::Module& m) { m.Memory().SetWord(address, value); });
}

void MaintenanceTest::WaitForCommands(uint64_t n) {
  ASSERT_TRUE(
      sim_->WaitUntil([n](const sim::SimCounters& c) { return c.module.commands >= n; }, 5s));
}

}  // namespace maint_test
