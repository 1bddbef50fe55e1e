#include "cli/tag_probe.h"

#include "cli/session.h"
#include "core/hex.h"
#include "link/command_codes.h"

namespace {

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::optional<TagInField> ProbeTag(Session& s, fdx::IdChip chip, bool withCode) {
  TTirisC1Dlg& comm = s.Comm();
  const StdoutLogPane::Sink sink = s.Log().CurrentSink();
  s.Log().SetSink(StdoutLogPane::Sink::None);
  // A probe is no part of the outcome: a run that polls for a minute has no results of it.
  const size_t mark = s.Outcome().Events().size();
  std::optional<TagInField> tag;
  Response out{};
  auto bytesAfterEcho = [&] {
    return out[0] >= 2 ? Trimmed(hex::Bytes(&out[2], static_cast<size_t>(out[0] - 1))) : "";
  };
  switch (chip) {
    case fdx::IdChip::Sic7888:
      if (comm.Sic7888GetUid(out, 1) && out[0] >= 5) tag = TagInField{bytesAfterEcho(), {}};
      break;
    case fdx::IdChip::Em4305:
      if (comm.Em4305ReadWord(out, 1) && out[0] >= 5) tag = TagInField{bytesAfterEcho(), {}};
      break;
    case fdx::IdChip::Sic279:
      if (comm.Sic279TraceabilityDataRead(out) && out[0] >= 2)
        tag = TagInField{bytesAfterEcho(), {}};
      break;
    case fdx::IdChip::HdxPlus:
      // No identity read of its own: the ID read finds it, the chip ID blocks 0-2 name it.
      if (auto code = fdx::ReadIdCode(comm, fdx::IdChip::HdxPlus)) {
        tag = TagInField{"", code};
        if (withCode && comm.Exchange({cmd::HdxPlusReadMultipleBlocks, 0x00, 0x00, 0x02}, out))
          tag->uid = bytesAfterEcho();
      }
      break;
  }
  if (tag && withCode && chip != fdx::IdChip::HdxPlus) tag->code = fdx::ReadIdCode(comm, chip);
  s.Outcome().Truncate(mark);
  s.Log().SetSink(sink);
  return tag;
}
