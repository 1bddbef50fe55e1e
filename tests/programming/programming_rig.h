#pragma once
// The ID programming handlers against the simulator (tests/support/handler_rig.h). The prompts
// play a user of the dialogs that stay open: each step may change fields (or the tab in front)
// and then presses a button; every form the steps find is recorded, so the status panels after
// each write or read can be checked.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "prompts/scripted_prompts.h"
#include "tests/support/handler_rig.h"

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

using ProgRig = test_rig::HandlerRig<StepPrompts>;
using test_rig::MakeTag;

}  // namespace prog_test
