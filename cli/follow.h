#pragma once
// listen --follow: read-loop mode until SIGINT or SIGTERM, for a reader that runs unattended for
// days. A port that vanishes (the USB adapter pulled) is waited for and reopened, and the tally
// goes on across the gap.
#include <cstdint>

#include "cli/session.h"

struct FollowOptions {
  bool on = false;
  uint32_t dedupMs = 0;          // 0: every ID frame is shown
  bool frames = false;           // the frame lines (TX:, RX:) too, not only the ID lines
  double tallyEverySeconds = 0;  // 0: the tally only at the end
};

// Runs read-loop mode on the open port of s until a signal; returns the exit status (0 when the
// module went back to command mode or the port was gone at the end, else 1).
int RunFollow(Session& s, const FollowOptions& options);
