#pragma once
// What the maintenance tests share: the handlers run headless on an AppCore whose communication
// module talks over a pty to the in-process simulator (or to a canned line for answers the
// module never gives), with scripted prompts and a private configuration folder.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/log_pane.h"
#include "prompts/scripted_prompts.h"
#include "sim/simulator.h"
#include "tests/support/canned_line.h"
#include "tests/support/temp_config.h"

namespace maint_test {

// "TX: " and the framed command, as the link logs it.
std::string Tx(std::initializer_list<uint8_t> data);
std::string Tx(const std::vector<uint8_t>& data, uint8_t kind = 0x4D);

using test_rig::CannedLine;

// Scripted prompts that keep the last state of each interactive form when it closes and let a
// test act after each Refresh (the command test dialog refreshes after every command).
class TestPrompts : public ScriptedPrompts {
 public:
  std::string Interact(PromptForm& form) override;
  void Refresh(PromptForm& form) override;
  void Close(PromptForm& form) override;
  std::vector<PromptForm> closed;
  std::function<void(PromptForm&)> onRefresh;
};

class MaintenanceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the link on the canned line instead of the simulator.
  void UseCannedLine();
  void Run(const std::string& item);

  const std::vector<std::string>& Lines() const { return log_.Lines(); }
  // Lines the handlers wrote (no frame dumps).
  std::vector<std::string> HandlerLines() const;
  std::vector<std::string> TxLines() const;
  bool HasLine(const std::string& line) const;

  uint16_t Word(int address);
  void SetWord(int address, uint16_t value);
  uint64_t SimCommands() const { return sim_->Counters().module.commands; }
  // Waits until the simulator has taken n commands in all.
  void WaitForCommands(uint64_t n);
  TBaudRate LocalRate() { return app_->Link().Line().baud; }

  TempConfig cfg_;
  MemoryLogPane log_;
  TestPrompts prompts_;
  std::unique_ptr<sim::Simulator> sim_;
  std::unique_ptr<CannedLine> canned_;
  std::unique_ptr<AppCore> app_;
  HandlerRegistry registry_;
};

}  // namespace maint_test
