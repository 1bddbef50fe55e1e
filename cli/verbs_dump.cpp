// dump: the tag memory viewer's "Read" and CSV export.
#include "cli/verbs.h"

int RunDump(const CommonOptions&, std::vector<std::string>&) {
  throw UsageError("dump is not available yet");
}
