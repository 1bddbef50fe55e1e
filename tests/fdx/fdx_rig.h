#pragma once
// The FDX handlers against the simulator (tests/support/handler_rig.h), with prompts that can
// change the simulator at the moment a confirmation is asked.
#include <functional>
#include <string>

#include "prompts/scripted_prompts.h"
#include "tests/support/handler_rig.h"

namespace fdx_test {

class RigPrompts : public ScriptedPrompts {
 public:
  std::function<void()> onConfirm;
  bool Confirm(const std::string& text, const std::string& caption, ConfirmButtons b) override {
    if (onConfirm) onConfirm();
    return ScriptedPrompts::Confirm(text, caption, b);
  }
};

using FdxRig = test_rig::HandlerRig<RigPrompts>;
using test_rig::MakeTag;

}  // namespace fdx_test
