// Verbs that talk to the module directly: ports, identify, send, listen.
#include <QJsonObject>
#include <cstdio>
#include <optional>

#include "app/lf_level_restore.h"
#include "cli/follow.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/read_loop.h"
#include "cli/verbs.h"
#include "core/app_paths.h"
#include "core/messages.h"
#include "link/event_pump.h"
#include "link/port_registry.h"

namespace {

void NoExtraArgs(const std::vector<std::string>& args) {
  for (OptionReader arg(args, kNoOptions); arg.Next();)
    throw UsageError("unexpected argument: " + arg.Arg());
}

}  // namespace

int RunPorts(const CommonOptions&, std::vector<std::string>& args) {
  NoExtraArgs(args);
  const std::string problem = port_registry::ReadProblem();
  if (!problem.empty())
    std::fprintf(stderr,
                 "qzh900ctl: the port registry %s cannot be read (%s); it is left as it is\n",
                 app_paths::PortRegistryPath().c_str(), problem.c_str());
  for (const PortInfo& p : port_registry::List()) {
    std::string desc = p.description;
    if (desc.empty()) desc = p.driver;
    if (!p.usbVendor.empty()) desc += " [" + p.usbVendor + ":" + p.usbProduct + "]";
    char line[512];
    std::snprintf(line, sizeof line, "%-6s %s%s%s", p.name.c_str(), p.device.c_str(),
                  desc.empty() ? "" : "  ", desc.c_str());
    Output::Get().Data(line, "port",
                       {{"name", Q(p.name)}, {"device", Q(p.device)}, {"description", Q(desc)}});
  }
  return VerdictOf(0);
}

int RunIdentify(const CommonOptions& o, std::vector<std::string>& args) {
  NoExtraArgs(args);
  Session s(o);
  s.OpenPort();
  s.Identify(true);
  return EndRun(s, s.Outcome().Verdict());
}

int RunSend(const CommonOptions& o, std::vector<std::string>& args) {
  const std::vector<uint8_t> data = ParseHexArgs(args);
  if (data.empty()) throw UsageError("send needs the data bytes, command code first");
  if (data.size() > 249) throw UsageError("at most 249 data bytes fit in a frame");
  Session s(o);
  s.OpenPort();
  // A level a reader check could not give back is given back first, as every verb does after its
  // identification: a level set here by hand must not be overwritten by a later run.
  lf_level_restore::RestoreAfterOpen(s.App());
  Response out{};
  s.Comm().SendCommand(data);
  const bool ok = s.Comm().AwaitResponse(out);
  // No answer: whether a module is there at all (a usage error when none answers).
  if (!ok && s.Comm().State() == ResponseState::None) s.Identify();
  // An ID frame that ends the wait is no answer either.
  return EndRun(s, ok ? s.Outcome().Verdict() : 1);
}

int RunListen(const CommonOptions& o, std::vector<std::string>& args) {
  std::optional<double> seconds;
  FollowOptions follow;
  for (OptionReader arg(args, kListenOptions); arg.Next();) {
    if (arg.Is("--follow")) {
      follow.on = true;
    } else if (arg.Is("--dedup")) {
      follow.dedupMs = static_cast<uint32_t>(arg.Number());
    } else if (arg.Is("--frames")) {
      follow.frames = true;
    } else if (arg.Is("--tally-every")) {
      follow.tallyEverySeconds = arg.Seconds();
    } else {
      if (seconds) throw UsageError("unexpected argument: " + arg.Arg());
      seconds = SecondsValue(kListenOptions.front(), arg.Arg());
    }
  }
  if (follow.on && seconds) throw UsageError("SECONDS and --follow exclude each other");
  if (!follow.on && (follow.dedupMs || follow.tallyEverySeconds > 0 || follow.frames))
    throw UsageError("--dedup, --frames and --tally-every need --follow");
  if (!follow.on && !seconds) throw UsageError("listen needs the number of seconds, or --follow");
  Session s(o);
  s.OpenPort();
  if (follow.on) return RunFollow(s, follow);
  TTirisC1Dlg& comm = s.Comm();
  const IdReporter ids(comm, {.dedupMs = 0, .linesInJson = true, .japaneseNames = o.lang == "ja"});
  if (!EnterReadLoop(s)) return ReadLoopRefused(s);
  PumpUntil([&] { return s.StopRequested(); }, static_cast<uint32_t>(*seconds * 1000));
  s.CheckPort();
  // Back to command mode, also after Ctrl+C: the module must not be left reading. A try that
  // times out is retried; the result line says how the switch went.
  bool back = false;
  {
    const auto probe = s.App().Probing();
    back = BackToCommandMode(comm, interrupt::Requested());
  }
  s.App().LogOkNg(back, LoadMessage(Msg::CommandModeMsg));
  s.CheckPort();
  PrintTally(comm.Tally());
  return EndRun(s, s.Outcome().Verdict());
}
