// read: the identity of whatever tag is in the field. Read-loop mode reads every family the
// module knows; the first ID frame is decoded by the ID codec (cli/tag_identity.h) and the module
// goes back to command mode.
#include <optional>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/read_loop.h"
#include "cli/tag_identity.h"
#include "cli/verbs.h"
#include "link/event_pump.h"

const std::vector<OptionDef> kReadOptions = {
    {"--wait", nullptr, "S", ValueKind::Seconds, 0, 3600,
     "how long to wait for a tag, {range} s (default 2)"},
};

namespace {

constexpr double kDefaultWaitSeconds = 2;

}  // namespace

int RunRead(const CommonOptions& o, std::vector<std::string>& args) {
  double waitSeconds = kDefaultWaitSeconds;
  for (OptionReader arg(args, kReadOptions); arg.Next();) {
    if (!arg.Option()) throw UsageError("unexpected argument: " + arg.Arg());
    waitSeconds = arg.Seconds();
  }
  Session s(o);
  s.OpenPort();
  s.Identify();
  TTirisC1Dlg& comm = s.Comm();
  std::optional<TagIdentity> tag;
  Subscription listening = comm.Receiver().idFrame.Subscribe(
      [&](const uint8_t*, const std::string&, const std::string&) {
        if (!tag) tag = IdentityOf(comm.Receiver().LastId(), o.lang == "ja");
        return false;  // no lines: the identity is printed once, below
      });
  // The switch of mode and its frames are no part of what read prints.
  s.Log().SetSink(StdoutLogPane::Sink::None);
  bool back = false;
  const bool reading = EnterReadLoop(s);
  if (reading) {
    PumpUntil([&] { return tag.has_value() || s.StopRequested(); },
              static_cast<uint32_t>(waitSeconds * 1000));
    s.CheckPort();
    back = BackToCommandMode(comm, interrupt::Requested());
  }
  listening.Reset();
  s.Log().SetSink(StdoutLogPane::Sink::Stdout);
  s.CheckPort();
  s.Outcome().Clear();
  Output& out = Output::Get();
  if (!reading)
    out.Note("read: the module did not take read-loop mode", "progress");
  else if (!back)
    out.Note("read: the module did not go back to command mode", "progress");
  if (!tag) {
    out.Note("read: no tag in the field", "progress");
    return EndRun(s, 1);
  }
  QJsonObject fields = IdentityJson(*tag);
  fields.insert("tag_type", Q(tag->tagType));
  fields.insert("bytes", Q(tag->bytes));
  std::string text = IdentityText(*tag);
  text.pop_back();  // Data ends the line itself
  out.Data(text, "tag", fields);
  return EndRun(s, back ? 0 : 1);
}
