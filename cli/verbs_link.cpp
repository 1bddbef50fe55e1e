// Verbs that talk to the module directly: ports, identify, send, listen.
#include <QJsonObject>
#include <cstdio>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/verbs.h"
#include "core/app_paths.h"
#include "core/messages.h"
#include "link/port_registry.h"

namespace {

// How long the switch back to command mode may wait for the module's answer amid ID frames: per
// try at the end of the reading, and once after Ctrl+C, which must end the run within a second.
constexpr uint32_t kCommandModeWaitMs = 2000;
constexpr int kCommandModeTries = 3;
constexpr uint32_t kInterruptedCommandModeWaitMs = 700;

void NoExtraArgs(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a);
  if (!args.empty()) throw UsageError("unexpected argument: " + args.front());
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// Back to command mode while the module may still stream ID frames: one command, and its answer
// awaited past the ID frames that arrive before it.
bool BackToCommandMode(TTirisC1Dlg& comm, bool interrupted) {
  Response out{};
  const int tries = interrupted ? 1 : kCommandModeTries;
  for (int attempt = 0; attempt < tries; ++attempt) {
    comm.SendActionModeSet(4, 0);
    if (comm.AwaitAnswerAmidIdFrames(
            out, interrupted ? kInterruptedCommandModeWaitMs : kCommandModeWaitMs))
      return true;
    if (comm.PortLost()) return false;
  }
  return false;
}

void PrintTally(const TagTally& t) {
  Output& o = Output::Get();
  if (!o.Json())
    std::printf("%s\t%s\t%s\t%s\n", LoadMessage(Msg::NoMsg).c_str(),
                LoadMessage(Msg::NumbersMsg).c_str(), LoadMessage(Msg::TagTypeMsg).c_str(),
                LoadMessage(Msg::IDDataMsg).c_str());
  for (int k = 0; k < t.Count(); ++k) {
    const TallyEntry& e = t.Entry(k);
    const std::string label = TallyTagLabel(e.kindText);
    o.Data(std::to_string(k + 1) + "\t" + std::to_string(e.count) + "\t" + label + "\t" + e.idText,
           "tally",
           {{"no", k + 1}, {"count", e.count}, {"tag_type", Q(label)}, {"id", Q(e.idText)}});
  }
  std::fflush(stdout);
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
  const bool ok = s.App().IdentifyReader();
  s.App().LogOkNg(ok, LoadMessage(Msg::OpenMsg) + s.PortName());
  return EndRun(s, s.Outcome().Verdict());
}

int RunSend(const CommonOptions& o, std::vector<std::string>& args) {
  const std::vector<uint8_t> data = ParseHexArgs(args);
  if (data.empty()) throw UsageError("send needs the data bytes, command code first");
  if (data.size() > 249) throw UsageError("at most 249 data bytes fit in a frame");
  Session s(o);
  s.OpenPort();
  Response out{};
  s.Comm().SendCommand(data);
  const bool ok = s.Comm().AwaitResponse(out);
  // An ID frame that ends the wait is no answer either.
  return EndRun(s, ok ? s.Outcome().Verdict() : 1);
}

int RunListen(const CommonOptions& o, std::vector<std::string>& args) {
  double seconds = 0;
  int positionals = 0;
  for (OptionReader arg(args, kListenOptions); arg.Next();) {
    if (positionals++) throw UsageError("unexpected argument: " + arg.Arg());
    seconds = SecondsValue(kListenOptions.front(), arg.Arg());
  }
  if (positionals == 0) throw UsageError("listen needs the number of seconds");
  Session s(o);
  s.OpenPort();
  TTirisC1Dlg& comm = s.Comm();
  Response out{};
  // The "Read Loop Mode" button: command mode first, then continuous (or animal-ID) reading.
  // Both answers are awaited past ID frames: the module may still be reading from an earlier
  // run, and the first ID frames follow the second answer at once, often in the same read.
  comm.SendActionModeSet(4, 0);
  bool ok = comm.AwaitAnswerAmidIdFrames(out, kCommandModeWaitMs);
  if (ok) {
    comm.SendActionModeSet(o.animalId ? 6 : 2, 0);
    ok = comm.AwaitAnswerAmidIdFrames(out, kCommandModeWaitMs);
    s.App().LogOkNg(ok, LoadMessage(Msg::ReadLoopModeMsg));
  }
  s.CheckPort();
  if (!ok) return EndRun(s, 1);
  PumpUnless(static_cast<uint32_t>(seconds * 1000), [&] { return s.StopRequested(); });
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
