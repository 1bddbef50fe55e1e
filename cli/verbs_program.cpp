// program: series programming of ID codes.
#include "cli/verbs.h"

int RunProgram(const CommonOptions&, std::vector<std::string>&) {
  throw UsageError("program is not available yet");
}
