#include "production/series_choice.h"

#include <map>

#include "codec/animal_id.h"
#include "ledger/country_codes.h"
#include "production/station.h"

namespace production {

using series::CodeKind;

Refusal::Refusal(RefusalReason r, std::vector<std::string> v)
    : std::runtime_error("refused (reason " + std::to_string(static_cast<int>(r)) + ")"),
      reason(r),
      values(std::move(v)) {}

bool Refusal::Resumed() const {
  return reason >= RefusalReason::ResumeForeignRows && reason <= RefusalReason::ResumeNoClaim;
}

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
    throw Refusal(RefusalReason::TestCountry, {country});
  if (animal && plan.country != ledger::kTestCountry && !ledger::IsIso3166Numeric(plan.country) &&
      !ledger::IsManufacturerCode(plan.country) && !p.anyCountry)
    throw Refusal(RefusalReason::UnknownCountry, {country});
  const uint64_t max = ledger::MaxNumber(plan.kind);
  if (plan.planned && ledger::CodeCount(plan) < *plan.planned)
    throw Refusal(
        RefusalReason::PastLargest,
        {std::to_string(*plan.planned), series::CodeText(ledger::CodeOf(plan, plan.first)),
         std::to_string(plan.increment), std::to_string(max), animal ? "animal" : "industrial"});
}

namespace {

const char* HolderState(const ledger::CodeRecord& c) {
  switch (c.state) {
    case ledger::CodeState::Verified:
      return "verified";
    case ledger::CodeState::Failed:
      return "failed";
    default:
      return "claimed";
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

// The values of a refusal followed by the series of the rows of a results file.
std::vector<std::string> WithIds(std::vector<std::string> values, const std::set<int64_t>& ids) {
  for (int64_t id : ids) values.push_back(std::to_string(id));
  return values;
}

}  // namespace

namespace {

// A resumed run: the one series the operator means. With a results file, the series of its rows
// that the ledger knows (a file of runs before the ledger: a new series after its last verified
// code); else --series N, or the series of this station's last claim. Anything else is refused with
// the open series; never a guess.
ledger::SeriesPlan ResumedPlan(const SeriesRequest& p, ledger::Ledger& l,
                               const ledger::Station& station, const series::ResultsFile* results,
                               const FileSeries& fs, std::optional<ledger::Series>& resumed) {
  if (fs.foreign)
    throw Refusal(
        RefusalReason::ResumeForeignRows,
        {p.csv, fs.foreign->written, std::to_string(fs.foreign->series), l.Where().Display()});
  if (fs.ids.size() > 1) throw Refusal(RefusalReason::ResumeManySeries, WithIds({p.csv}, fs.ids));
  std::optional<int64_t> id = p.series;
  if (!fs.ids.empty()) {
    if (p.series && *p.series != *fs.ids.begin())
      throw Refusal(RefusalReason::ResumeOtherSeries,
                    {p.csv, std::to_string(*fs.ids.begin()), std::to_string(*p.series)});
    id = *fs.ids.begin();
  }
  if (id) {
    resumed = l.FindSeries(*id);
    if (!resumed) throw Refusal(RefusalReason::ResumeNoSeries, {std::to_string(*id)});
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
      throw Refusal(RefusalReason::ResumeSeriesEnds, {series::CodeText(*last)});
    plan.first += p.increment;
    return plan;
  }
  resumed = l.LastSeriesOf(station);
  if (!resumed)
    throw Refusal(RefusalReason::ResumeNoClaim,
                  {StationText(station), results ? p.csv : std::string()});
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
      throw Refusal(RefusalReason::Overlap,
                    {series::CodeText(choice.overlap.code), HolderState(choice.overlap),
                     StationText(choice.overlap.station), l.Where().Display(),
                     std::to_string(choice.overlap.seriesId)});
    case ledger::SeriesChoice::Kind::PlanDiffers:
      throw Refusal(RefusalReason::PlanDiffers,
                    {SeriesText(choice.series), std::to_string(*plan.planned),
                     std::to_string(choice.series.id)});
    default:
      return choice.series;
  }
}

// One results file, one series: rows of the run's series go only into a file that holds no rows
// of another series (of this ledger or another one).
void CheckFileSeries(const SeriesRequest& p, const ledger::Series& s, const FileSeries& fs) {
  const std::string run = s.id ? SeriesText(s) : "";
  if (fs.foreign)
    throw Refusal(RefusalReason::FileOfOtherLedger,
                  {p.csv, fs.foreign->written, std::to_string(fs.foreign->series), run,
                   std::to_string(s.id)});
  if (!fs.ids.empty() && (fs.ids.size() > 1 || *fs.ids.begin() != s.id))
    throw Refusal(RefusalReason::FileOfOtherSeries,
                  WithIds({p.csv, run, std::to_string(s.id)}, fs.ids));
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
    throw Refusal(RefusalReason::VerifiedBefore, {series::CodeText(code), p.csv});
  }
}

// A station runs once: another run of the same station (its name on this machine) that still
// works would take its failed code.
void CheckStationFree(ledger::Ledger& l, const ledger::Station& station) {
  for (const ledger::WorkingStation& w : l.Working())
    if (w.station.host == station.host && w.station.name == station.name &&
        w.station.pid != station.pid && StationRuns(w.station))
      throw Refusal(RefusalReason::StationRuns,
                    {StationText(station), std::to_string(w.station.pid), w.port});
}

}  // namespace production
