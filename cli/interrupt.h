#pragma once
// Ctrl+C and its kin for the whole run. SIGINT, SIGTERM and SIGHUP set a flag and wake the event
// loop (a pipe the signal handler writes to), so every wait of the run sees the request at once
// and ends the way the user would end it: a dialog that stays open is closed with its own close
// button, read-loop mode goes back to command mode, series programming finishes the tag in hand.
// Everything then leaves through the ordinary exit path, which removes the private settings
// copy. A second signal ends the process at once (the handler then removes the registered
// temporary files itself), unless it comes within a quarter of a second of the first: signals that
// close together are one request (GNU timeout signals the child, then its group). SIGPIPE is
// ignored; a write to a closed pipe fails, and the output asks for the stop with RequestStop.
#include <string>

namespace interrupt {

// Installs the handlers (once per process; safe to call again).
void Install();
// Whether a signal asked the run to stop.
bool Requested();
// The signal that did (0 none).
int Signal();
// Asks the run to stop as a signal would (a failed write of standard output: SIGPIPE); never ends
// the process at once.
void RequestStop(int reason);
// Forgets a request (a new run in the same process).
void Reset();

// Files and folders the handler removes when a second signal ends the process at once (the
// private settings copy). Paths are kept until Forget.
void RegisterTemporary(const std::string& path);
void ForgetTemporary(const std::string& path);

}  // namespace interrupt
