#include "production/series_choice.h"

#include <map>

#include "codec/animal_id.h"
#include "ledger/country_codes.h"
#include "production/station.h"

namespace production {

using series::CodeKind;

// The plan of the first code given.
ledger::SeriesPlan PlanOf(const SeriesRequest& p) {
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
void CheckCodePlan(const SeriesRequest& p, const ledger::SeriesPlan& plan) {
  const bool animal = plan.kind == CodeKind::Animal;
  const std::string country = fdx::FormatPaddedDecimal(3, plan.country);
  if (animal && plan.country == ledger::kTestCountry && !p.testCode)
    throw Refusal("country 999 is the code of test transponders: give --test-code to write it");
  if (animal && plan.country != ledger::kTestCountry && !ledger::IsIso3166Numeric(plan.country) &&
      !ledger::IsManufacturerCode(plan.country) && !p.anyCountry)
    throw Refusal("country " + country +
                  " is neither an ISO 3166-1 country code nor a manufacturer code (900-998): "
                  "give --any-country to write it");
  const uint64_t max = ledger::MaxNumber(plan.kind);
  if (plan.planned && ledger::CodeCount(plan) < *plan.planned)
    throw Refusal("the series of " + std::to_string(*plan.planned) + " codes from " +
                  series::CodeText(ledger::CodeOf(plan, plan.first)) + " in steps of " +
                  std::to_string(plan.increment) + " passes the largest " +
                  (animal ? "national ID, " : "industrial number, ") + std::to_string(max));
}

namespace {

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

}  // namespace

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

namespace {

std::string SeriesList(const std::set<int64_t>& ids) {
  std::string text;
  for (int64_t id : ids) text += (text.empty() ? "" : " and ") + std::to_string(id);
  return "series " + text;
}

}  // namespace

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

namespace {

// --resume: the one series the operator means. With a results file, the series of its rows that
// the ledger knows (a file of runs before the ledger: a new series after its last verified code);
// else --series N, or the series of this station's last claim. Anything else is refused with the
// open series; never a guess.
ledger::SeriesPlan ResumedPlan(const SeriesRequest& p, ledger::Ledger& l,
                               const ledger::Station& station, const series::ResultsFile* results,
                               const FileSeries& fs, std::optional<ledger::Series>& resumed) {
  auto refuse = [&](const std::string& why) {
    return Refusal("--resume: " + why + "; " + OpenSeriesText(l));
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
      throw Refusal("--resume: the series ends with " + series::CodeText(*last));
    plan.first += p.increment;
    return plan;
  }
  resumed = l.LastSeriesOf(station);
  if (!resumed)
    throw refuse("the ledger holds no claim of the station " + StationText(station) +
                 (results ? " and " + p.csv + " names no series" : std::string()));
  return resumed->plan;
}

}  // namespace

// The series the run works: the one of the first code given (joined when the ledger holds it,
// else planned; with create, made), or the one --resume goes on with. Throws Refusal when the
// plan is refused.
ledger::Series PickSeries(const SeriesRequest& p, ledger::Ledger& l, const ledger::Station& station,
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
      throw Refusal(series::CodeText(choice.overlap.code) + " " + CodeHolder(choice.overlap) +
                    " (" + l.Where().Display() + ", series " +
                    std::to_string(choice.overlap.seriesId) + "); plan another first code");
    case ledger::SeriesChoice::Kind::PlanDiffers:
      throw Refusal(SeriesText(choice.series) + " is in the ledger with another plan than " +
                    std::to_string(*plan.planned) + " codes; leave --planned out to join it");
    default:
      return choice.series;
  }
}

// One results file, one series: rows of the run's series go only into a file that holds no rows
// of another series (of this ledger or another one).
void CheckFileSeries(const SeriesRequest& p, const ledger::Series& s, const FileSeries& fs) {
  const std::string run = s.id ? SeriesText(s) : "a new series";
  if (fs.foreign)
    throw Refusal(p.csv + " holds " + fs.foreign->written + " of series " +
                  std::to_string(fs.foreign->series) + " of another ledger; this run works " + run +
                  ": one results file, one series; give another --csv");
  if (!fs.ids.empty() && (fs.ids.size() > 1 || *fs.ids.begin() != s.id))
    throw Refusal(p.csv + " holds rows of " + SeriesList(fs.ids) + "; this run works " + run +
                  ": one results file, one series; give another --csv");
}

// No code the run may write was verified in the results file before (a file of runs before the
// ledger, or of another ledger).
void CheckResultsFile(const SeriesRequest& p, const ledger::Series& s,
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
    throw Refusal(series::CodeText(code) + " was verified before (" + p.csv +
                  "); use --resume or another first code");
  }
}

// A station runs once: another run of the same station (its name on this machine) that still
// works would take its failed code.
void CheckStationFree(ledger::Ledger& l, const ledger::Station& station) {
  for (const ledger::WorkingStation& w : l.Working())
    if (w.station.host == station.host && w.station.name == station.name &&
        w.station.pid != station.pid && StationRuns(w.station))
      throw Refusal("the station " + StationText(station) + " runs already (pid " +
                    std::to_string(w.station.pid) + ", on " + w.port +
                    "); give each station its own --station");
}

}  // namespace production
