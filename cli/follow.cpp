#include "cli/follow.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <cstdio>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/read_loop.h"
#include "cli/verbs.h"
#include "core/messages.h"
#include "link/event_pump.h"
#include "link/link_factory.h"
#include "link/port_registry.h"

namespace {

// How often a vanished port is looked for. The run sleeps in the event loop in between, so a
// device that never returns costs no CPU.
constexpr uint32_t kPollMs = 500;
// Without --tally-every the loop still wakes now and then; nothing depends on the period.
constexpr uint32_t kIdleWakeMs = 3600 * 1000;

std::string GapText(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(ms) / 1000.0);
  return text;
}

// The device the port name stands for exists (again). A COMn name is looked up in the port
// registry each time, so an entry that now names another device is followed. A network port has
// no device to look for: the next connection tells.
bool DeviceThere(const std::string& name) {
  if (IsNetworkPort(name)) return true;
  const std::string device = port_registry::ResolveDevice(name);
  return !device.empty() && ::access(device.c_str(), F_OK) == 0;
}

// Opens the port again at the same speed, identifies the module and puts it back into read-loop
// mode. False (the port closed again) when any step fails: the next poll tries anew.
bool Reconnect(Session& s) {
  try {
    s.OpenPort();
    // A module that kept reading through the gap streams ID frames into the identification.
    BackToCommandMode(s.Comm(), false);
    s.Identify();
    if (EnterReadLoop(s)) return true;
  } catch (const UsageError&) {
  }
  s.Comm().ClosePort();
  return false;
}

// Says that the port has gone, waits for it to return and reconnects. False when a signal ended
// the wait.
bool AwaitReturn(Session& s) {
  const std::string name = s.PortName();
  // A hung-up descriptor would wake the event loop without end.
  s.Comm().ClosePort();
  Output& out = Output::Get();
  out.Note("listen: the port " + name + " has vanished; waiting for it to return", "port_lost",
           {{"port", QString::fromStdString(name)}});
  QElapsedTimer gap;
  gap.start();
  while (PumpUntil([] { return interrupt::Requested(); }, kPollMs) != PumpEnd::Met) {
    if (!DeviceThere(name) || !Reconnect(s)) continue;
    const int64_t ms = gap.elapsed();
    out.Note("listen: the port " + name + " is back after " + GapText(ms) + " s", "port_back",
             {{"port", QString::fromStdString(name)}, {"gap_ms", static_cast<qint64>(ms)}});
    return true;
  }
  return false;
}

}  // namespace

int RunFollow(Session& s, const FollowOptions& options) {
  TTirisC1Dlg& comm = s.Comm();
  // A service's journal gets what matters: the IDs (one "id" event each), not every frame.
  comm.SetLogTxFrames(options.frames);
  comm.SetLogRxFrames(options.frames);
  const IdReporter ids(comm, {.dedupMs = options.dedupMs,
                              .linesInJson = options.frames,
                              .japaneseNames = s.Options().lang == "ja"});
  if (!EnterReadLoop(s)) return ReadLoopRefused(s);
  const auto tallyMs = static_cast<uint32_t>(options.tallyEverySeconds * 1000);
  QElapsedTimer sinceTally;
  sinceTally.start();
  while (!interrupt::Requested()) {
    uint32_t wait = kIdleWakeMs;
    if (tallyMs > 0) {
      const int64_t left = tallyMs - sinceTally.elapsed();
      wait = left > 0 ? static_cast<uint32_t>(left) : 0;
    }
    PumpUntil([&] { return s.StopRequested(); }, wait);
    if (interrupt::Requested()) break;
    if (s.PortLost()) {
      if (!AwaitReturn(s)) break;
      continue;
    }
    if (tallyMs > 0 && sinceTally.elapsed() >= tallyMs) {
      PrintTally(comm.Tally());
      sinceTally.restart();
    }
  }
  // Back to command mode, unless the signal came while the port was gone. A signal is the
  // ordinary end here (a service being stopped), so the switch gets its full tries.
  bool back = true;
  if (comm.Connected() && !s.PortLost()) {
    {
      const auto probe = s.App().Probing();
      back = BackToCommandMode(comm, false);
    }
    s.App().LogOkNg(back, LoadMessage(Msg::CommandModeMsg));
  }
  PrintTally(comm.Tally());
  // Ending on a signal is how a follow run ends: exit 0 when the module is back in command mode.
  const int verdict = back ? 0 : 1;
  const int rc = s.Finish() ? verdict : 2;
  return Output::Get().Finish(verdict, rc, interrupt::Requested(), &s.Outcome());
}
