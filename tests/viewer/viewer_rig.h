#pragma once
// The tag memory viewer against the simulator: AppCore with scripted prompts in a private
// configuration, the real communication module on the simulator's pseudo-terminal, the module
// identified (so the reader level is the firmware's), the HDX handlers registered (the viewer is
// one), and the log split into the viewer's lines and the commands sent.
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

namespace viewer_test {

// Scripted prompts that keep a copy of the form at every refresh (what the window showed while
// the handler worked) and can run a hook at that moment.
class ViewerPrompts : public ScriptedPrompts {
 public:
  void Refresh(PromptForm& form) override;
  std::vector<PromptForm> refreshed;
  std::function<void(const PromptForm&)> onRefresh;
};

struct ViewerRig {
  explicit ViewerRig(std::vector<sim::TagPtr> tags = {}, const std::string& rom = "1100LFS00");
  ~ViewerRig();

  // Runs the handler of a menu item as the window would.
  void Run(const std::string& item);
  void Clear() { log.Clear(); }

  // The log without the exchange's frame lines ("TX: ", "RX: " and the LF carrier frames).
  std::vector<std::string> Lines() const;
  // The data bytes of every command frame sent, as "81 01 01 " texts.
  std::vector<std::string> Sent() const;
  // Whether the module's LF carrier is on now.
  bool CarrierOn();

  TempConfig config;
  ViewerPrompts prompts;
  MemoryLogPane log;
  std::shared_ptr<sim::Field> field;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
  HandlerRegistry registry;
};

sim::TagPtr MakeTag(const std::string& spec);

}  // namespace viewer_test
