// Verbs that talk to the module directly: ports, identify, send, listen.
#include <cstdio>

#include "cli/verbs.h"
#include "core/app_paths.h"
#include "core/messages.h"
#include "link/port_registry.h"

namespace {

void NoExtraArgs(const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("unexpected argument: " + args.front());
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
    std::printf("%-6s %s%s%s\n", p.name.c_str(), p.device.c_str(), desc.empty() ? "" : "  ",
                desc.c_str());
  }
  return 0;
}

int RunIdentify(const CommonOptions& o, std::vector<std::string>& args) {
  NoExtraArgs(args);
  Session s(o);
  s.OpenPort();
  const bool ok = s.App().IdentifyReader();
  s.App().LogOkNg(ok, LoadMessage(Msg::OpenMsg) + s.PortName());
  return ok ? 0 : 1;
}

int RunSend(const CommonOptions& o, std::vector<std::string>& args) {
  const std::vector<uint8_t> data = ParseHexArgs(args);
  if (data.empty()) throw UsageError("send needs the data bytes, command code first");
  if (data.size() > 249) throw UsageError("at most 249 data bytes fit in a frame");
  Session s(o);
  s.OpenPort();
  Response out{};
  s.Comm().SendCommand(data);
  return s.Comm().AwaitResponse(out) ? 0 : 1;
}

int RunListen(const CommonOptions& o, std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError("listen needs the number of seconds");
  char* end = nullptr;
  const double seconds = std::strtod(args[0].c_str(), &end);
  if (end == args[0].c_str() || *end || seconds < 0 || seconds > 86400)
    throw UsageError("not a number of seconds: " + args[0]);
  Session s(o);
  s.OpenPort();
  TTirisC1Dlg& comm = s.Comm();
  Response out{};
  // The "Read Loop Mode" button: command mode first, then continuous (or animal-ID) reading.
  comm.SendActionModeSet(4, 0);
  if (!comm.AwaitResponse(out)) return 1;
  comm.SendActionModeSet(o.animalId ? 6 : 2, 0);
  const bool ok = comm.AwaitResponse(out);
  s.App().LogOkNg(ok, LoadMessage(Msg::ReadLoopModeMsg));
  if (!ok) return 1;
  TTirisC1Dlg::PumpFor(static_cast<uint32_t>(seconds * 1000));
  // Back to command mode; ID frames still in flight may end the first wait early.
  bool back = false;
  for (int attempt = 0; attempt < 3 && !back; ++attempt) {
    comm.SendActionModeSet(4, 0);
    back = comm.AwaitResponse(out);
  }
  s.App().LogOkNg(back, LoadMessage(Msg::CommandModeMsg));
  std::printf("%s\t%s\t%s\t%s\n", LoadMessage(Msg::NoMsg).c_str(),
              LoadMessage(Msg::NumbersMsg).c_str(), LoadMessage(Msg::TagTypeMsg).c_str(),
              LoadMessage(Msg::IDDataMsg).c_str());
  const TagTally& t = comm.Tally();
  for (int k = 0; k < t.Count(); ++k) {
    const TallyEntry& e = t.Entry(k);
    std::printf("%d\t%d\t%s\t%s\n", k + 1, e.count, TallyTagLabel(e.kindText), e.idText.c_str());
  }
  return back ? 0 : 1;
}
