#pragma once
// The tag memory viewer against the simulator (tests/support/handler_rig.h), with prompts that
// keep a copy of the form at every refresh (what the window showed while the viewer read).
#include <functional>
#include <vector>

#include "prompts/scripted_prompts.h"
#include "tests/support/handler_rig.h"

namespace viewer_test {

// Scripted prompts that keep a copy of the form at every refresh (what the window showed while
// the handler worked) and can run a hook at that moment.
class ViewerPrompts : public ScriptedPrompts {
 public:
  void Refresh(PromptForm& form) override;
  std::vector<PromptForm> refreshed;
  std::function<void(const PromptForm&)> onRefresh;
};

using ViewerRig = test_rig::HandlerRig<ViewerPrompts>;
using test_rig::MakeTag;

}  // namespace viewer_test
