// program: series programming of ID codes. For every tag: wait until one of the chip family
// enters the field, claim the next code of the series in the code ledger, write it with the
// family's configuration step (the animal-ID programming's headless write), read it back through
// the ID read, record the outcome in the ledger and append the row to the results file, wait until
// the tag has left, go on. Presence is polled with the chip's UID read (the traceability read of a
// SIC279, the ID read of an HDX+), quietly; the write and the read back print their log lines as
// the window's log pane would.
#include <QJsonObject>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <set>

#include "cli/interrupt.h"
#include "cli/ledger_access.h"
#include "cli/output.h"
#include "cli/series.h"
#include "cli/tag_probe.h"
#include "cli/verbs.h"
#include "codec/animal_id.h"
#include "ledger/country_codes.h"

namespace {

using series::CodeKind;

// The series has ended (its last code was verified).
bool gStop = false;

struct ProgramArgs {
  fdx::IdChip chip = fdx::IdChip::Sic7888;
  bool haveChip = false;
  std::optional<unsigned> country;
  std::optional<uint64_t> national;
  std::optional<uint64_t> industrial;
  uint64_t increment = 1;
  std::optional<uint64_t> planned;
  int count = 0;  // 0: until interrupted
  std::string csv;
  std::string ledger;
  std::string station;  // empty: the port's stable name
  bool resume = false;
  std::optional<int64_t> series;  // --resume: the series named
  int pollMs = 200;
  bool stopOnFail = false;
  bool lock = false;
  bool yes = false;
  bool testCode = false;
  bool anyCountry = false;
};

ProgramArgs ParseProgramArgs(const std::vector<std::string>& args) {
  ProgramArgs p;
  for (OptionReader arg(args, kProgramOptions); arg.Next();) {
    if (!arg.Option()) {
      throw UsageError("unexpected argument: " + arg.Arg());
    } else if (arg.Is("--chip")) {
      const std::string c = arg.Text();
      const auto chip = series::ChipOfName(c);
      if (!chip) throw UsageError("--chip takes sic279, sic7888, em4305 or hdxplus: \"" + c + "\"");
      p.chip = *chip;
      p.haveChip = true;
    } else if (arg.Is("--country")) {
      p.country = static_cast<unsigned>(arg.Number());
    } else if (arg.Is("--national")) {
      p.national = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--industrial")) {
      p.industrial = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--increment")) {
      p.increment = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--planned")) {
      p.planned = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--count")) {
      p.count = static_cast<int>(arg.Number());
    } else if (arg.Is("--csv")) {
      p.csv = arg.Text();
      if (p.csv.empty()) throw UsageError("--csv needs a file name");
    } else if (arg.Is("--ledger")) {
      p.ledger = arg.Text();
      if (p.ledger.empty()) throw UsageError("--ledger needs sqlite:PATH or postgresql://...");
    } else if (arg.Is("--resume")) {
      p.resume = true;
    } else if (arg.Is("--series")) {
      p.series = arg.Number();
    } else if (arg.Is("--station")) {
      p.station = arg.Text();
      if (p.station.empty()) throw UsageError("--station needs a name");
    } else if (arg.Is("--poll")) {
      p.pollMs = static_cast<int>(arg.Number());
    } else if (arg.Is("--on-fail")) {
      const std::string v = arg.Text();
      if (v != "wait" && v != "stop") throw UsageError("--on-fail takes wait or stop");
      p.stopOnFail = v == "stop";
    } else if (arg.Is("--lock")) {
      p.lock = true;
    } else if (arg.Is("--yes")) {
      p.yes = true;
    } else if (arg.Is("--test-code")) {
      p.testCode = true;
    } else if (arg.Is("--any-country")) {
      p.anyCountry = true;
    }
  }
  if (!p.haveChip) throw UsageError("program needs --chip sic279|sic7888|em4305|hdxplus");
  if (p.industrial && (p.country || p.national))
    throw UsageError("--industrial excludes --country and --national");
  if (p.country.has_value() != p.national.has_value())
    throw UsageError("animal codes need both --country and --national");
  if (!p.resume && !p.industrial && !p.national)
    throw UsageError("program needs the first code: --country N --national N, or --industrial N");
  if (p.series && !p.resume)
    throw UsageError("--series names the series that --resume goes on with: give --resume too");
  if (p.series && (p.industrial || p.national))
    throw UsageError("--series names a series of the ledger; a first code plans one");
  if (p.planned && !p.industrial && !p.national)
    throw UsageError("--planned belongs to a first code: a series in the ledger keeps its plan");
  if (p.lock && p.chip != fdx::IdChip::Sic279 && p.chip != fdx::IdChip::HdxPlus)
    throw UsageError("--lock applies to sic279 and hdxplus only");
  if (p.lock && !p.yes) throw UsageError("--lock makes the codes permanent: confirm it with --yes");
  return p;
}

// The plan of the first code given.
ledger::SeriesPlan PlanOf(const ProgramArgs& p) {
  ledger::SeriesPlan plan;
  if (p.industrial) {
    plan.kind = CodeKind::Industrial;
    plan.first = *p.industrial;
  } else {
    plan.kind = CodeKind::Animal;
    plan.country = *p.country;
    plan.first = *p.national;
  }
  plan.increment = p.increment;
  plan.planned = p.planned;
  return plan;
}

// The guards of a code plan, before anything is written: the test country only when asked for, a
// country that is neither a country (ISO 3166-1) nor a manufacturer (900-998) only when asked
// for, no national ID past the largest.
void CheckCodePlan(const ProgramArgs& p, const ledger::SeriesPlan& plan) {
  const bool animal = plan.kind == CodeKind::Animal;
  const std::string country = fdx::FormatPaddedDecimal(3, plan.country);
  if (animal && plan.country == ledger::kTestCountry && !p.testCode)
    throw UsageError("country 999 is the code of test transponders: give --test-code to write it");
  if (animal && plan.country != ledger::kTestCountry && !ledger::IsIso3166Numeric(plan.country) &&
      !ledger::IsManufacturerCode(plan.country) && !p.anyCountry)
    throw UsageError("country " + country +
                     " is neither an ISO 3166-1 country code nor a manufacturer code (900-998): "
                     "give --any-country to write it");
  const uint64_t max = ledger::MaxNumber(plan.kind);
  if (plan.planned && ledger::CodeCount(plan) < *plan.planned)
    throw UsageError("the series of " + std::to_string(*plan.planned) + " codes from " +
                     series::CodeText(ledger::CodeOf(plan, plan.first)) + " in steps of " +
                     std::to_string(plan.increment) + " passes the largest " +
                     (animal ? "national ID, " : "industrial number, ") + std::to_string(max));
}

std::string CodeHolder(const ledger::CodeRecord& c) {
  switch (c.state) {
    case ledger::CodeState::Verified:
      return "was verified before";
    case ledger::CodeState::Failed:
      return "failed at " + StationText(c.station) + ", which keeps it for its next tag";
    default:
      return "is claimed by " + StationText(c.station) + " and not recorded";
  }
}

// The series the rows of the results file belong to, as the ledger knows their codes. A row that
// names a series the ledger does not hold for its code was written with another ledger.
struct FileSeries {
  std::set<int64_t> ids;
  std::optional<series::Row> foreign;  // the first row of another ledger
};

FileSeries SeriesOfFile(const series::ResultsFile& results, ledger::Ledger& l) {
  std::vector<uint64_t> codes;
  for (const series::Row& r : results.Rows())
    if (auto c = series::ParseCodeText(r.written)) codes.push_back(*c);
  const std::map<uint64_t, int64_t> known = l.SeriesOfCodes(codes);
  FileSeries fs;
  for (const series::Row& r : results.Rows()) {
    const auto code = series::ParseCodeText(r.written);
    const auto it = code ? known.find(*code) : known.end();
    const bool holds = it != known.end() && (r.series == 0 || r.series == it->second);
    if (holds)
      fs.ids.insert(it->second);
    else if (r.series != 0 && !fs.foreign)
      fs.foreign = r;
  }
  return fs;
}

std::string SeriesList(const std::set<int64_t>& ids) {
  std::string text;
  for (int64_t id : ids) text += (text.empty() ? "" : " and ") + std::to_string(id);
  return "series " + text;
}

// The series a station may go on with, on one line: every series with codes left or in hand.
std::string OpenSeriesText(ledger::Ledger& l) {
  std::string list;
  for (const ledger::SeriesProgress& p : l.Progress())
    if (p.codesLeft || p.claimed || p.failed)
      list += (list.empty() ? "" : ", ") + SeriesProgressText(p);
  if (list.empty()) return "the ledger " + l.Where().Display() + " holds no open series";
  return "open series of the ledger " + l.Where().Display() + ": " + list +
         "; name one with --series N";
}

// --resume: the one series the operator means. With a results file, the series of its rows that
// the ledger knows (a file of runs before the ledger: a new series after its last verified code);
// else --series N, or the series of this station's last claim. Anything else is refused with the
// open series; never a guess.
ledger::SeriesPlan ResumedPlan(const ProgramArgs& p, ledger::Ledger& l,
                               const ledger::Station& station, const series::ResultsFile* results,
                               const FileSeries& fs, std::optional<ledger::Series>& resumed) {
  auto refuse = [&](const std::string& why) {
    return UsageError("--resume: " + why + "; " + OpenSeriesText(l));
  };
  if (fs.foreign)
    throw refuse(p.csv + " holds " + fs.foreign->written + " of series " +
                 std::to_string(fs.foreign->series) + ", which the ledger " + l.Where().Display() +
                 " does not hold: its rows belong to another ledger");
  if (fs.ids.size() > 1) throw refuse(p.csv + " holds rows of " + SeriesList(fs.ids));
  std::optional<int64_t> id = p.series;
  if (!fs.ids.empty()) {
    if (p.series && *p.series != *fs.ids.begin())
      throw refuse(p.csv + " holds rows of series " + std::to_string(*fs.ids.begin()) +
                   ", --series names series " + std::to_string(*p.series));
    id = *fs.ids.begin();
  }
  if (id) {
    resumed = l.FindSeries(*id);
    if (!resumed) throw refuse("the ledger holds no series " + std::to_string(*id));
    return resumed->plan;
  }
  std::optional<uint64_t> last;
  if (results)
    for (auto it = results->Rows().rbegin(); it != results->Rows().rend() && !last; ++it)
      if (it->ok) last = series::ParseCodeText(it->written);
  if (last && ledger::IsSeriesCode(*last)) {
    // A results file of runs before the ledger: a new series after its last verified code.
    ledger::SeriesPlan plan{ledger::KindOf(*last), ledger::CountryOf(*last),
                            ledger::NumberOf(*last), p.increment, std::nullopt};
    if (!ledger::NumberAt(plan, 1))
      throw UsageError("--resume: the series ends with " + series::CodeText(*last));
    plan.first += p.increment;
    return plan;
  }
  resumed = l.LastSeriesOf(station);
  if (!resumed)
    throw refuse("the ledger holds no claim of the station " + StationText(station) +
                 (results ? " and " + p.csv + " names no series" : std::string()));
  return resumed->plan;
}

// The series the run works: the one of the first code given (joined when the ledger holds it,
// else planned; with create, made), or the one --resume goes on with. Throws UsageError when the
// plan is refused.
ledger::Series PickSeries(const ProgramArgs& p, ledger::Ledger& l, const ledger::Station& station,
                          const series::ResultsFile* results, const FileSeries& fs, bool create) {
  ledger::SeriesPlan plan;
  if (p.national || p.industrial) {
    plan = PlanOf(p);
  } else {
    std::optional<ledger::Series> resumed;
    plan = ResumedPlan(p, l, station, results, fs, resumed);
    if (resumed) {
      CheckCodePlan(p, resumed->plan);
      return *resumed;
    }
  }
  CheckCodePlan(p, plan);
  const ledger::SeriesChoice choice =
      l.JoinOrCreate(plan, p.count ? std::optional<uint64_t>(p.count) : std::nullopt, create);
  switch (choice.kind) {
    case ledger::SeriesChoice::Kind::Overlap:
      throw UsageError(series::CodeText(choice.overlap.code) + " " + CodeHolder(choice.overlap) +
                       " (" + l.Where().Display() + ", series " +
                       std::to_string(choice.overlap.seriesId) + "); plan another first code");
    case ledger::SeriesChoice::Kind::PlanDiffers:
      throw UsageError(SeriesText(choice.series) + " is in the ledger with another plan than " +
                       std::to_string(*plan.planned) + " codes; leave --planned out to join it");
    default:
      return choice.series;
  }
}

// One results file, one series: rows of the run's series go only into a file that holds no rows
// of another series (of this ledger or another one).
void CheckFileSeries(const ProgramArgs& p, const ledger::Series& s, const FileSeries& fs) {
  const std::string run = s.id ? SeriesText(s) : "a new series";
  if (fs.foreign)
    throw UsageError(p.csv + " holds " + fs.foreign->written + " of series " +
                     std::to_string(fs.foreign->series) + " of another ledger; this run works " +
                     run + ": one results file, one series; give another --csv");
  if (!fs.ids.empty() && (fs.ids.size() > 1 || *fs.ids.begin() != s.id))
    throw UsageError(p.csv + " holds rows of " + SeriesList(fs.ids) + "; this run works " + run +
                     ": one results file, one series; give another --csv");
}

// No code the run may write was verified in the results file before (a file of runs before the
// ledger, or of another ledger).
void CheckResultsFile(const ProgramArgs& p, const ledger::Series& s,
                      const series::ResultsFile& results) {
  const uint64_t runCodes = p.count ? static_cast<uint64_t>(p.count) : UINT64_MAX;
  for (uint64_t code : results.VerifiedCodes()) {
    if (!ledger::IsSeriesCode(code) || ledger::KindOf(code) != s.plan.kind ||
        ledger::CountryOf(code) != s.plan.country)
      continue;
    const uint64_t n = ledger::NumberOf(code);
    const uint64_t from = s.plan.first + s.nextIndex * s.plan.increment;
    if (n < from || (n - from) % s.plan.increment != 0) continue;
    const uint64_t index = s.nextIndex + (n - from) / s.plan.increment;
    if (!ledger::NumberAt(s.plan, index) || (n - from) / s.plan.increment >= runCodes) continue;
    throw UsageError(series::CodeText(code) + " was verified before (" + p.csv +
                     "); use --resume or another first code");
  }
}

// A row of the results file as an event of the JSON stream, with what the ledger and the tag took.
void ReportRow(const series::Row& row, double ledgerMs, double tagMs) {
  auto q = [](const std::string& t) { return QString::fromStdString(t); };
  Output::Get().Event("program_row", {{"row_time", q(row.time)},
                                      {"port", q(row.port)},
                                      {"chip", q(row.chip)},
                                      {"written", q(row.written)},
                                      {"read_back", q(row.readBack)},
                                      {"ok", row.ok},
                                      {"uid", q(row.uid)},
                                      {"series", static_cast<qint64>(row.series)},
                                      {"ledger_ms", ledgerMs},
                                      {"tag_ms", tagMs}});
}

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

class SeriesRun {
 public:
  SeriesRun(Session& s, const ProgramArgs& args, ledger::Ledger& l, const ledger::Series& series,
            const ledger::Station& station, series::ResultsFile* results)
      : s_(s),
        comm_(s.Comm()),
        args_(args),
        ledger_(l),
        series_(series),
        station_(station),
        results_(results) {}

  int Run();

 private:
  void Progress(const std::string& text) {
    const std::string n = args_.count ? std::to_string(args_.count) : "-";
    Output::Get().Note(
        "program: " + station_.name + " [" + std::to_string(slot_) + "/" + n + "] " + text,
        "progress");
  }
  // Polls until `until` holds; false when interrupted or the port has gone.
  bool Poll(const std::function<bool()>& until);
  bool Stopped() const { return gStop || s_.StopRequested(); }
  void LedgerFailed(const std::string& why) {
    Output::Get().Error("ledger " + why);
    ledgerError_ = true;
  }
  // The next code for the tag, or nothing (the reason reported); false when the run must end.
  bool ClaimFor(const TagInField& tag, std::optional<ledger::Claim>& claim);
  // One tag: write, read back, record, row. False when the run must end (ledger, results file).
  bool Program(const TagInField& tag, const ledger::Claim& claim);
  std::string LastCodeText() const {
    const uint64_t count = ledger::CodeCount(series_.plan);
    return count ? SeriesCodeText(series_.plan, *ledger::NumberAt(series_.plan, count - 1)) : "";
  }

  Session& s_;
  TTirisC1Dlg& comm_;
  ProgramArgs args_;
  ledger::Ledger& ledger_;
  ledger::Series series_;
  ledger::Station station_;
  series::ResultsFile* results_;
  int done_ = 0;
  int failed_ = 0;
  int slot_ = 1;  // the number of the tag in hand, as progress shows it
  bool fileError_ = false;
  bool ledgerError_ = false;
  double claimMs_ = 0;  // the ledger's time for the tag in hand
};

bool SeriesRun::Poll(const std::function<bool()>& until) {
  for (;;) {
    if (Stopped()) return false;
    if (until()) return true;
    if (Stopped()) return false;
    TTirisC1Dlg::PumpFor(static_cast<uint32_t>(args_.pollMs));
  }
}

bool SeriesRun::ClaimFor(const TagInField& tag, std::optional<ledger::Claim>& claim) {
  claim.reset();
  const auto start = std::chrono::steady_clock::now();
  ledger::Claim c;
  try {
    c = ledger_.ClaimNext({series_.id, station_, series::ChipName(args_.chip), tag.uid, tag.code});
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
    Output::Get().Note("program: " + series::CodeText(held.code) + " is held by series " +
                           std::to_string(held.seriesId) + " of the ledger: passed over",
                       "progress");
  switch (c.kind) {
    case ledger::Claim::Kind::TagCarriesVerified:
      Progress("tag " + tag.uid + " already carries " + series::CodeText(c.other.code) +
               ", verified before: not written");
      return true;
    case ledger::Claim::Kind::TagUidVerified:
      Progress("tag " + tag.uid + " was programmed and verified before (" +
               series::CodeText(c.other.code) + "): not written");
      return true;
    case ledger::Claim::Kind::SeriesDone:
      Output::Get().Note("program: " + SeriesText(series_) + " has no code left", "progress");
      gStop = true;
      return false;
    case ledger::Claim::Kind::Code:
      claim = c;
      return true;
  }
  return true;
}

bool SeriesRun::Program(const TagInField& tag, const ledger::Claim& claim) {
  const uint64_t code = claim.code;
  const std::string text = series::CodeText(code);
  Progress("tag " + tag.uid + ": writing " + text);
  const auto start = std::chrono::steady_clock::now();
  const std::string name =
      series_.plan.kind == CodeKind::Animal ? "Animal ID Write" : "Industrial ID Write";
  const bool written = fdx::WriteAnimalCode(s_.App(), args_.chip, code, {.lock = args_.lock}, name);
  const std::optional<uint64_t> back = fdx::ReadIdCode(comm_, args_.chip);
  const bool ok = written && back == code;
  const double tagMs = MsSince(start);

  series::Row row;
  row.time = series::TimeText(std::time(nullptr));
  row.port = s_.PortName();
  row.chip = series::ChipName(args_.chip);
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
  if (!recorded && !ledgerError_)
    LedgerFailed(ledger_.Where().Display() + ": " + text +
                 " is no longer this station's claim (released or voided meanwhile): " +
                 series::ResultsFile::Line(row));
  const double ledgerMs = claimMs_ + MsSince(recordStart);

  std::string error;
  if (results_ && !results_->Append(row, &error)) {
    Output::Get().Note("program: cannot write the results file (" + error +
                           "); this tag's row is:\n" + series::ResultsFile::Line(row),
                       "progress");
    fileError_ = true;
  }
  ReportRow(row, ledgerMs, tagMs);
  // The tag is counted as it is, also when its record or row could not be written.
  ++(ok ? done_ : failed_);
  if (ledgerError_ || fileError_) return false;
  if (ok) {
    Progress("OK: " + text + " verified");
    if ((!args_.count || done_ < args_.count) && !claim.more) {
      Output::Get().Note("program: the series ends with " + LastCodeText(), "progress");
      gStop = true;
    }
  } else {
    Progress(std::string("NG: ") +
             (!written ? "the write failed"
              : back   ? "read back " + series::CodeText(*back)
                       : "nothing read back") +
             "; " + text + " stays the next code");
  }
  return true;
}

int SeriesRun::Run() {
  std::string next, progress;
  try {
    const auto code = ledger_.NextCode(series_.id, station_);
    next = code ? series::CodeText(*code) : "(none left)";
    progress = SeriesProgressText(ledger_.ProgressOf(series_));
  } catch (const ledger::DatabaseError& e) {
    LedgerFailed(e.what());
    return 2;
  }
  Output::Get().Note(
      "program: " + station_.name + ": " + series::ChipName(args_.chip) + ", " +
          (series_.plan.kind == CodeKind::Animal ? "animal" : "industrial") + " codes from " +
          next + ", step " + std::to_string(series_.plan.increment) + ", " +
          (args_.count ? std::to_string(args_.count) + (args_.count == 1 ? " tag" : " tags")
                       : std::string("until interrupted")) +
          ", " + progress + " of the ledger " + ledger_.Where().Display() + ", station " +
          StationText(station_) + (results_ ? ", results in " + args_.csv : std::string()),
      "progress");
  while (!Stopped() && (!args_.count || done_ < args_.count)) {
    slot_ = done_ + 1;
    Progress("waiting for a tag");
    std::optional<TagInField> tag;
    if (!Poll([&] { return (tag = ProbeTag(s_, args_.chip, false)).has_value(); })) break;
    tag = ProbeTag(s_, args_.chip, true);
    if (!tag) continue;  // gone again before it could be read
    auto same = [&](const TagInField& now) {
      return args_.chip == fdx::IdChip::HdxPlus ? now.code == tag->code : now.uid == tag->uid;
    };
    std::optional<ledger::Claim> claim;
    if (!ClaimFor(*tag, claim)) break;
    if (claim) {
      if (!Program(*tag, *claim)) break;
      if (failed_ && args_.stopOnFail) break;
      // The tag now carries the code written (or what the read found).
      if (args_.chip == fdx::IdChip::HdxPlus)
        if (auto now = ProbeTag(s_, args_.chip, false)) tag->code = now->code;
    }
    if (Stopped() || (args_.count && done_ >= args_.count)) break;
    Progress("remove the tag");
    if (!Poll([&] {
          const auto now = ProbeTag(s_, args_.chip, false);
          return !now || !same(*now);
        }))
      break;
  }
  s_.CheckPort();
  Output::Get().Note("program: " + std::to_string(done_) + " verified, " + std::to_string(failed_) +
                         " failed" + (interrupt::Requested() ? " (interrupted)" : ""),
                     "progress");
  if (fileError_ || ledgerError_) return 2;
  return failed_ ? 1 : 0;
}

// The results file once every check has passed and the module answers: only now does the run
// write to it (the header of a new file; a last row cut short by a crash taken out).
void BeginResults(series::ResultsFile& results, const std::string& csv) {
  std::string error, dropped;
  if (!results.Begin(&error, &dropped)) throw UsageError(error);
  if (!dropped.empty())
    Output::Get().Note(
        "program: " + csv +
            ": the last row was cut short and carries no result; taken out: " + dropped,
        "progress");
}

// A station runs once: another run of the same station (its name on this machine) that still
// works would take its failed code.
void CheckStationFree(ledger::Ledger& l, const ledger::Station& station) {
  for (const ledger::WorkingStation& w : l.Working())
    if (w.station.host == station.host && w.station.name == station.name &&
        w.station.pid != station.pid && StationRuns(w.station))
      throw UsageError("the station " + StationText(station) + " runs already (pid " +
                       std::to_string(w.station.pid) + ", on " + w.port +
                       "); give each station its own --station");
}

}  // namespace

int RunProgram(const CommonOptions& o, std::vector<std::string>& args) {
  ProgramArgs p = ParseProgramArgs(args);
  if (p.national || p.industrial) CheckCodePlan(p, PlanOf(p));
  const ledger::Target target = LedgerTarget(p.ledger);
  std::optional<series::ResultsFile> results;
  std::string error;
  // An unusable results file, or one another run holds, is refused before anything is written to
  // a tag or to the file.
  if (!p.csv.empty()) {
    results.emplace();
    if (!results->Open(p.csv, &error)) throw UsageError(error);
  }
  Session s(o);
  const ledger::Station station = ThisStation(s.PortName(), p.station);
  const auto led = OpenLedger(target);
  const series::ResultsFile* file = results ? &*results : nullptr;
  ledger::Series picked;
  try {
    // Every check before the port is opened; the series is made only once the module answers.
    const FileSeries fs = results ? SeriesOfFile(*results, *led) : FileSeries{};
    picked = PickSeries(p, *led, station, file, fs, false);
    if (results) {
      CheckResultsFile(p, picked, *results);
      CheckFileSeries(p, picked, fs);
    }
    CheckStationFree(*led, station);
    s.OpenPort();
    s.Identify();
    if (results) BeginResults(*results, p.csv);
    picked = PickSeries(p, *led, station, file, fs, true);
    led->Enter(station, picked.id, s.PortName());
  } catch (const ledger::DatabaseError& e) {
    throw UsageError(std::string("ledger ") + e.what());
  }
  gStop = false;
  SeriesRun run(s, p, *led, picked, station, results ? &*results : nullptr);
  int verdict = run.Run();
  if (results) results->Close();
  try {
    led->Leave(station);
  } catch (const ledger::DatabaseError&) {
    // A ledger that failed was reported by the run; the row stays until the station runs again.
  }
  // Interrupting a run that has a count of its own ends it before its end; without --count
  // Ctrl+C is how the run ends.
  if (verdict == 0 && interrupt::Requested() && p.count) verdict = 1;
  const int rc = s.Finish() ? verdict : 2;
  return Output::Get().Finish(verdict, rc, interrupt::Requested(), &s.Outcome());
}
