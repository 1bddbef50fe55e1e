#pragma once
// The ID programming handlers against the simulator: AppCore in a private configuration, the
// real communication module on the simulator's pseudo-terminal, the module identified, every
// FDX-family handler registered. The prompts play a user of the dialogs that stay open: each
// step may change fields (or the tab in front) and then presses a button; every Refresh is
// recorded, so the status panels after each write or read can be checked.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "maintenance/scripted_prompts.h"
#include "shell/app_core.h"
#include "shell/handler_registry.h"
#include "shell/log_pane.h"
#include "sim/simulator.h"
#include "tests/support/temp_config.h"

namespace prog_test {

using Lines = std::vector<std::string>;

class StepPrompts : public ScriptedPrompts {
 public:
  // What the user does before pressing `press`: field = value ("PageControl1" picks the tab).
  struct Step {
    std::vector<std::pair<std::string, std::string>> set;
    std::string press;
  };
  // Steps of the interactive dialogs, in order; without steps Interact is ScriptedPrompts'.
  std::deque<Step> steps;
  // The form as each step found it: seen[n] is the dialog after the button of step n - 1 did
  // its work (status panel, incremented fields).
  std::vector<PromptForm> seen;

  void Then(std::string press, std::vector<std::pair<std::string, std::string>> set = {}) {
    steps.push_back({std::move(set), std::move(press)});
  }
  std::string Interact(PromptForm& form) override;

 private:
  std::vector<const PromptForm*> opened_;
};

struct ProgRig {
  explicit ProgRig(std::vector<sim::TagPtr> tags = {}, const std::string& rom = "1100LFS00");
  ~ProgRig();

  // Runs the handler of a menu item; lines accumulate until Clear().
  void Run(const std::string& item);
  void Clear() { log.Clear(); }
  // The log without the exchange's frame lines.
  Lines Results() const;
  // The data bytes of every command frame sent, as "81 01 01 " texts.
  Lines Sent() const;
  // Runs fn on the tag at index under the field's lock.
  template <class Tag>
  void With(size_t index, const std::function<void(Tag&)>& fn) {
    field->With(index, [&](sim::Transponder& t) { fn(dynamic_cast<Tag&>(t)); });
  }

  TempConfig config;
  StepPrompts prompts;
  MemoryLogPane log;
  std::shared_ptr<sim::Field> field;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<AppCore> app;
  HandlerRegistry registry;
};

sim::TagPtr MakeTag(const std::string& spec);

}  // namespace prog_test
