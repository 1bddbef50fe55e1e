#include "tests/maintenance/maintenance_rig.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "core/hex.h"
#include "link/frame.h"
#include "maintenance/register.h"
#include "tests/support/wait.h"

namespace maint_test {

using namespace std::chrono_literals;

std::string Tx(std::initializer_list<uint8_t> data) {
  return Tx(std::vector<uint8_t>(data));
}

std::string Tx(const std::vector<uint8_t>& data, uint8_t kind) {
  return "TX: " + hex::Bytes(frame::BuildCommandFrame(data, kind));
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

void TestPrompts::Close(PromptForm& form) {
  closed.push_back(form);
  ScriptedPrompts::Close(form);
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
  comm->SetBaudRate(TBaudRate::br57600);
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
  ASSERT_TRUE(sim_->WaitUntil([n](const sim::SimCounters& c) { return c.module.commands >= n; },
                              test_support::kPatience));
}

}  // namespace maint_test
