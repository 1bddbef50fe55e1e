#include "cli/read_loop.h"

#include <QJsonObject>
#include <cstdio>

#include "cli/output.h"
#include "cli/tag_identity.h"
#include "cli/verbs.h"
#include "codec/tag_type.h"
#include "core/messages.h"

namespace {

// How long the switch of mode may wait for the module's answer amid ID frames: per try at the
// end of the reading, and once after Ctrl+C, which must end the run within a second.
constexpr uint32_t kCommandModeWaitMs = 2000;
constexpr int kCommandModeTries = 3;
constexpr uint32_t kInterruptedCommandModeWaitMs = 700;
// Entries of the --dedup memory before the stale ones are dropped: a reader that sees many
// distinct IDs over days must not grow without bound.
constexpr size_t kDedupPruneAt = 4096;

}  // namespace

bool EnterReadLoop(Session& s) {
  TTirisC1Dlg& comm = s.Comm();
  Response out{};
  // Both answers are awaited past ID frames: the module may still be reading from an earlier
  // run, and the first ID frames follow the second answer at once, often in the same read.
  comm.SendActionModeSet(4, 0);
  bool ok = comm.AwaitAnswerAmidIdFrames(out, kCommandModeWaitMs);
  if (ok) {
    comm.SendActionModeSet(s.Options().animalId ? 6 : 2, 0);
    ok = comm.AwaitAnswerAmidIdFrames(out, kCommandModeWaitMs);
    s.App().LogOkNg(ok, LoadMessage(Msg::ReadLoopModeMsg));
  }
  return ok;
}

int ReadLoopRefused(Session& s) {
  s.CheckPort();
  // No answer at all: is there a module? (A usage error when none answers.)
  if (s.Comm().State() == ResponseState::None) s.Identify();
  return EndRun(s, 1);
}

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

IdReporter::IdReporter(TTirisC1Dlg& comm, const IdReporterOptions& options)
    : comm_(comm), options_(options) {
  clock_.start();
  listening_ = comm_.Receiver().idFrame.Subscribe(
      [this](const uint8_t*, const std::string& kind, const std::string& id) {
        return Show(comm_.Receiver().LastId(), kind, id);
      });
}

bool IdReporter::Show(const fdx::FrameId& id, const std::string& kindText,
                      const std::string& idText) {
  if (options_.dedupMs > 0) {
    const int64_t now = clock_.elapsed();
    if (lastShown_.size() >= kDedupPruneAt)
      std::erase_if(lastShown_, [&](const auto& e) { return now - e.second >= options_.dedupMs; });
    const auto [it, fresh] = lastShown_.try_emplace(kindText + " " + idText, now);
    if (!fresh && now - it->second < options_.dedupMs) return false;
    it->second = now;
  }
  const TagIdentity identity = IdentityOf(id, options_.japaneseNames);
  QJsonObject fields = IdentityJson(identity);
  fields.insert("tag_type", Q(identity.tagType));
  fields.insert("kind", Q(kindText));
  fields.insert("bytes", Q(identity.bytes));
  if (id.Animal())  // the display form of earlier schema versions, kept beside the numbers
    fields.insert("animal_code", Q(id.iso->CountryText() + ", " + id.iso->NationalText()));
  Output::Get().Event("id", std::move(fields));
  return !Output::Get().Json() || options_.linesInJson;
}
