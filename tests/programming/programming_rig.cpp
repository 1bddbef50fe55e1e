#include "tests/programming/programming_rig.h"

#include <algorithm>

namespace prog_test {

std::string StepPrompts::Interact(PromptForm& form) {
  if (steps.empty()) return ScriptedPrompts::Interact(form);
  if (std::find(opened_.begin(), opened_.end(), &form) == opened_.end()) {
    opened_.push_back(&form);
    shown.push_back(form);
  }
  seen.push_back(form);
  const Step step = steps.front();
  steps.pop_front();
  for (const auto& [name, value] : step.set) {
    if (name == kPageControl) {
      form.activePage = value;
      form.Changed(kPageControl);
    } else {
      ApplyValue(form, form.Field(name), value);
    }
  }
  return step.press;
}

}  // namespace prog_test
