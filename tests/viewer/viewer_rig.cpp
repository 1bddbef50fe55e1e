#include "tests/viewer/viewer_rig.h"

namespace viewer_test {

void ViewerPrompts::Refresh(PromptForm& form) {
  refreshed.push_back(form);
  if (onRefresh) onRefresh(form);
}

}  // namespace viewer_test
