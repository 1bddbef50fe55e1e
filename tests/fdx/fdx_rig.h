#pragma once
// The FDX handlers against the simulator: AppCore with scripted prompts in a private
// configuration, the real communication module on the simulator's pseudo-terminal, the module
// identified (so the reader level is the firmware's), and the log split into the handler's lines
// and the commands sent.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "maintenance/scripted_prompts.h"
#include "shell/app_core.h"
#include "shell/handler_registry.h"
#include "shell/log_pane.h"
#include "sim/simulator.h"
#include "tests/support/temp_config.h"

namespace fdx_test {

// Scripted prompts with a hook that runs when a confirmation is asked, to change the simulator
// at that moment of a handler.
class RigPrompts : public ScriptedPrompts {
 public:
  std::function<void()> onConfirm;
  bool Confirm(const std::string& text, const std::string& caption, ConfirmButtons b) override {
    if (onConfirm) onConfirm();
    return ScriptedPrompts::Confirm(text, caption, b);
  }
};

struct FdxRig {
  explicit FdxRig(std::vector<sim::TagPtr> tags = {}, const std::string& rom = "1100LFS00");
  ~FdxRig();

  // Runs the handler of a menu item, then forgets nothing: lines accumulate until Clear().
  void Run(const std::string& item);
  void Clear() { log.Clear(); }

  // The log without the exchange's frame lines ("TX: ", "RX: " and the LF carrier frames).
  std::vector<std::string> Lines() const;
  // The data bytes of every command frame sent, as "81 01 01 " texts.
  std::vector<std::string> Sent() const;
  // Lets the event loop run until a line starting with `prefix` is in the log (an answer nobody
  // waits for); false after two seconds.
  bool PumpUntilLogged(const std::string& prefix);

  TempConfig config;
  RigPrompts prompts;
  MemoryLogPane log;
  std::shared_ptr<sim::Field> field;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
  HandlerRegistry registry;
};

sim::TagPtr MakeTag(const std::string& spec);

}  // namespace fdx_test
