#include "production/tag_probe.h"

#include "app/app_core.h"
#include "core/hex.h"
#include "link/command_codes.h"

namespace {

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// While it lives, the module's lines go nowhere and the outcome neither keeps nor reports what
// happens: a run that polls for a minute has no results of its polls.
class Quiet {
 public:
  explicit Quiet(AppCore& app)
      : app_(app),
        pane_(app.Link().CurrentLogPane()),
        onEvent_(std::move(app.Outcome().OnEvent)),
        mark_(app.Outcome().Events().size()) {
    app_.Outcome().OnEvent = nullptr;
    app_.Link().SetLogPane(nullptr);
  }
  ~Quiet() {
    app_.Outcome().Truncate(mark_);
    app_.Outcome().OnEvent = std::move(onEvent_);
    if (app_.Comm()) app_.Comm()->SetLogPane(pane_);
  }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  AppCore& app_;
  LogPane* pane_;
  std::function<void(const OutcomeEvent&)> onEvent_;
  size_t mark_;
};

}  // namespace

std::optional<TagInField> ProbeTag(AppCore& app, fdx::IdChip chip, bool withCode) {
  TTirisC1Dlg& comm = app.Link();
  const Quiet quiet(app);
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
  return tag;
}
