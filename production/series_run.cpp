#include "production/series_run.h"

#include <chrono>
#include <ctime>

#include "app/app_core.h"
#include "link/event_pump.h"
#include "production/station.h"
#include "production/tag_probe.h"

namespace production {

namespace {

using series::CodeKind;

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

class Run {
 public:
  Run(AppCore& app, ledger::Ledger& l, const ledger::Series& series, const ledger::Station& station,
      series::ResultsFile* results, const RunSettings& settings, const RunEvents& events)
      : app_(app),
        ledger_(l),
        series_(series),
        station_(station),
        results_(results),
        s_(settings),
        e_(events) {}

  RunTotals Go();

 private:
  void Progress(RunNote::Kind kind, std::vector<std::string> values, const std::string& text) {
    if (e_.progress) e_.progress(slot_, {kind, std::move(values), text});
  }
  void Note(RunNote::Kind kind, std::vector<std::string> values, const std::string& text) {
    if (e_.note) e_.note({kind, std::move(values), text});
  }
  void EnterStep(production::Step step, const std::string& code = "") {
    if (e_.step) e_.step(step, code);
  }
  bool Stopped() {
    if (PortLost(app_)) t_.portLost = true;
    return t_.seriesEnded || t_.portLost || (e_.stop && e_.stop());
  }
  void LedgerFailed(const std::string& why) {
    t_.ledgerError = true;
    if (e_.ledgerFailed) e_.ledgerFailed(why);
  }
  // Polls until `until` holds; false when stopped or the port has gone. While waiting for a tag,
  // a pause holds the run without reading.
  bool Poll(const std::function<bool()>& until, bool pausable);
  // The next code for the tag, or nothing (the reason reported); false when the run must end.
  bool ClaimFor(const TagInField& tag, std::optional<ledger::Claim>& claim);
  // One tag: write, read back, record, row. False when the run must end (ledger, results file).
  bool Program(const TagInField& tag, const ledger::Claim& claim);
  std::string LastCodeText() const {
    const uint64_t count = ledger::CodeCount(series_.plan);
    return count ? SeriesCodeText(series_.plan, *ledger::NumberAt(series_.plan, count - 1)) : "";
  }
  bool CountReached() const { return s_.count && t_.verified >= s_.count; }

  AppCore& app_;
  ledger::Ledger& ledger_;
  ledger::Series series_;
  ledger::Station station_;
  series::ResultsFile* results_;
  const RunSettings& s_;
  const RunEvents& e_;
  RunTotals t_;
  int slot_ = 1;        // the number of the tag in hand
  double claimMs_ = 0;  // the ledger's time for the tag in hand
};

bool Run::Poll(const std::function<bool()>& until, bool pausable) {
  for (;;) {
    if (Stopped()) return false;
    if (!(pausable && e_.paused && e_.paused()) && until()) return true;
    if (Stopped()) return false;
    PumpUntil([this] { return Stopped(); }, static_cast<uint32_t>(s_.pollMs));
  }
}

bool Run::ClaimFor(const TagInField& tag, std::optional<ledger::Claim>& claim) {
  claim.reset();
  const auto start = std::chrono::steady_clock::now();
  ledger::Claim c;
  try {
    c = ledger_.ClaimNext({series_.id, station_, series::ChipName(s_.chip), tag.uid, tag.code});
  } catch (const ledger::UncertainClaim& e) {
    // The server may have committed the claim before the connection broke: the code is named.
    LedgerFailed(std::string(e.what()) + "; the claim of " + series::CodeText(e.code) +
                 " may have reached the ledger, where it then stands as an orphan (qzh900ctl "
                 "ledger orphans); stopped before writing the tag in the field");
    return false;
  } catch (const ledger::DatabaseError& e) {
    LedgerFailed(std::string(e.what()) + "; stopped before writing the tag in the field");
    return false;
  }
  claimMs_ = MsSince(start);
  for (const ledger::CodeRecord& held : c.skipped)
    Note(RunNote::Kind::PassedOver, {series::CodeText(held.code), std::to_string(held.seriesId)},
         series::CodeText(held.code) + " is held by series " + std::to_string(held.seriesId) +
             " of the ledger: passed over");
  switch (c.kind) {
    case ledger::Claim::Kind::TagCarriesVerified:
      Progress(RunNote::Kind::CarriesCode, {tag.uid, series::CodeText(c.other.code)},
               "tag " + tag.uid + " already carries " + series::CodeText(c.other.code) +
                   ", verified before: not written");
      return true;
    case ledger::Claim::Kind::TagUidVerified:
      Progress(RunNote::Kind::UidVerified, {tag.uid, series::CodeText(c.other.code)},
               "tag " + tag.uid + " was programmed and verified before (" +
                   series::CodeText(c.other.code) + "): not written");
      return true;
    case ledger::Claim::Kind::SeriesDone:
      Note(RunNote::Kind::NoCodeLeft, {std::to_string(series_.id)},
           SeriesText(series_) + " has no code left");
      t_.seriesEnded = true;
      return false;
    case ledger::Claim::Kind::Code:
      claim = c;
      return true;
  }
  return true;
}

bool Run::Program(const TagInField& tag, const ledger::Claim& claim) {
  const uint64_t code = claim.code;
  const std::string text = series::CodeText(code);
  Progress(RunNote::Kind::Writing, {tag.uid, text}, "tag " + tag.uid + ": writing " + text);
  EnterStep(Step::Writing, text);
  const auto start = std::chrono::steady_clock::now();
  const std::string name =
      series_.plan.kind == CodeKind::Animal ? "Animal ID Write" : "Industrial ID Write";
  const bool written = fdx::WriteAnimalCode(app_, s_.chip, code, {.lock = s_.lock}, name);
  EnterStep(Step::Verifying, text);
  const std::optional<uint64_t> back = fdx::ReadIdCode(app_.Link(), s_.chip);
  const bool ok = written && back == code;

  TagDone done;
  done.written = written;
  done.tagMs = MsSince(start);
  series::Row& row = done.row;
  row.time = series::TimeText(std::time(nullptr));
  row.port = s_.port;
  row.chip = series::ChipName(s_.chip);
  row.written = text;
  row.readBack = back ? series::CodeText(*back) : "";
  row.ok = ok;
  row.uid = tag.uid;
  row.series = series_.id;

  // The ledger first: it is the authority; the results file is the operator's record.
  const auto recordStart = std::chrono::steady_clock::now();
  bool recorded = false;
  try {
    recorded = ledger_.Record(code, station_, row.chip, {ok, back, tag.uid});
  } catch (const ledger::DatabaseError& e) {
    LedgerFailed(std::string(e.what()) + "; the tag " + tag.uid +
                 " in hand is not recorded: " + series::ResultsFile::Line(row));
  }
  if (!recorded && !t_.ledgerError)
    LedgerFailed(ledger_.Where().Display() + ": " + text +
                 " is no longer this station's claim (released or voided meanwhile): " +
                 series::ResultsFile::Line(row));
  done.ledgerMs = claimMs_ + MsSince(recordStart);

  std::string error;
  if (results_ && !results_->Append(row, &error)) {
    Note(RunNote::Kind::ResultsFile, {error, series::ResultsFile::Line(row)},
         "cannot write the results file (" + error + "); this tag's row is:\n" +
             series::ResultsFile::Line(row));
    t_.fileError = true;
  }
  // The tag is counted as it is, also when its record or row could not be written.
  ++(ok ? t_.verified : t_.failed);
  if (e_.tagDone) e_.tagDone(done);
  if (t_.ledgerError || t_.fileError) return false;
  if (ok) {
    Progress(RunNote::Kind::Verified, {text}, "OK: " + text + " verified");
    if (!CountReached() && !claim.more) {
      Note(RunNote::Kind::SeriesEnds, {LastCodeText()}, "the series ends with " + LastCodeText());
      t_.seriesEnded = true;
    }
  } else {
    const RunNote::Kind kind = !written ? RunNote::Kind::WriteFailed
                               : back   ? RunNote::Kind::ReadBackOther
                                        : RunNote::Kind::NothingBack;
    std::vector<std::string> values{text};
    if (written && back) values.push_back(series::CodeText(*back));
    Progress(kind, values,
             std::string("NG: ") +
                 (!written ? "the write failed"
                  : back   ? "read back " + series::CodeText(*back)
                           : "nothing read back") +
                 "; " + text + " stays the next code");
  }
  return true;
}

RunTotals Run::Go() {
  std::string next, progress;
  try {
    const auto code = ledger_.NextCode(series_.id, station_);
    next = code ? series::CodeText(*code) : "(none left)";
    progress = SeriesProgressText(ledger_.ProgressOf(series_));
  } catch (const ledger::DatabaseError& e) {
    LedgerFailed(e.what());
    return t_;
  }
  Note(RunNote::Kind::Start, {},
       station_.name + ": " + series::ChipName(s_.chip) + ", " +
           (series_.plan.kind == CodeKind::Animal ? "animal" : "industrial") + " codes from " +
           next + ", step " + std::to_string(series_.plan.increment) + ", " +
           (s_.count ? std::to_string(s_.count) + (s_.count == 1 ? " tag" : " tags")
                     : std::string("until interrupted")) +
           ", " + progress + " of the ledger " + ledger_.Where().Display() + ", station " +
           StationText(station_) + (results_ ? ", results in " + results_->Path() : std::string()));
  while (!Stopped() && !CountReached()) {
    slot_ = t_.verified + 1;
    Progress(RunNote::Kind::Waiting, {}, "waiting for a tag");
    EnterStep(Step::WaitingForTag);
    std::optional<TagInField> tag;
    if (!Poll([&] { return (tag = ProbeTag(app_, s_.chip, false)).has_value(); }, true)) break;
    tag = ProbeTag(app_, s_.chip, true);
    if (!tag) continue;  // gone again before it could be read
    auto same = [&](const TagInField& now) {
      return s_.chip == fdx::IdChip::HdxPlus ? now.code == tag->code : now.uid == tag->uid;
    };
    std::optional<ledger::Claim> claim;
    if (!ClaimFor(*tag, claim)) break;
    if (claim) {
      if (!Program(*tag, *claim)) break;
      if (t_.failed && s_.stopOnFail) break;
      // The tag now carries the code written (or what the read found).
      if (s_.chip == fdx::IdChip::HdxPlus)
        if (auto now = ProbeTag(app_, s_.chip, false)) tag->code = now->code;
    }
    if (Stopped() || CountReached()) break;
    Progress(RunNote::Kind::Remove, {}, "remove the tag");
    EnterStep(Step::RemoveTag);
    if (!Poll(
            [&] {
              const auto now = ProbeTag(app_, s_.chip, false);
              return !now || !same(*now);
            },
            false))
      break;
  }
  return t_;
}

}  // namespace

RunTotals RunSeries(AppCore& app, ledger::Ledger& ledger, const ledger::Series& series,
                    const ledger::Station& station, series::ResultsFile* results,
                    const RunSettings& settings, const RunEvents& events) {
  return Run(app, ledger, series, station, results, settings, events).Go();
}

}  // namespace production
