#include "cli/program_refusals.h"

#include "production/station.h"

namespace {

using production::RefusalReason;

// "series 1 and 2": the ids from values[from] on.
std::string SeriesList(const std::vector<std::string>& v, size_t from) {
  std::string text;
  for (size_t i = from; i < v.size(); ++i) text += (text.empty() ? "" : " and ") + v[i];
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

std::string Holder(const std::string& state, const std::string& station) {
  if (state == "verified") return "was verified before";
  if (state == "failed") return "failed at " + station + ", which keeps it for its next tag";
  return "is claimed by " + station + " and not recorded";
}

std::string Words(const production::Refusal& r) {
  const std::vector<std::string>& v = r.values;
  auto at = [&v](size_t i) { return i < v.size() ? v[i] : std::string(); };
  switch (r.reason) {
    case RefusalReason::TestCountry:
      return "country 999 is the code of test transponders: give --test-code to write it";
    case RefusalReason::UnknownCountry:
      return "country " + at(0) +
             " is neither an ISO 3166-1 country code nor a manufacturer code (900-998): "
             "give --any-country to write it";
    case RefusalReason::PastLargest:
      return "the series of " + at(0) + " codes from " + at(1) + " in steps of " + at(2) +
             " passes the largest " +
             (at(4) == "animal" ? "national ID, " : "industrial number, ") + at(3);
    case RefusalReason::ResumeForeignRows:
      return at(0) + " holds " + at(1) + " of series " + at(2) + ", which the ledger " + at(3) +
             " does not hold: its rows belong to another ledger";
    case RefusalReason::ResumeManySeries:
      return at(0) + " holds rows of " + SeriesList(v, 1);
    case RefusalReason::ResumeOtherSeries:
      return at(0) + " holds rows of series " + at(1) + ", --series names series " + at(2);
    case RefusalReason::ResumeNoSeries:
      return "the ledger holds no series " + at(0);
    case RefusalReason::ResumeSeriesEnds:
      return "--resume: the series ends with " + at(0);
    case RefusalReason::ResumeNoClaim:
      return "the ledger holds no claim of the station " + at(0) +
             (at(1).empty() ? std::string() : " and " + at(1) + " names no series");
    case RefusalReason::Overlap:
      return at(0) + " " + Holder(at(1), at(2)) + " (" + at(3) + ", series " + at(4) +
             "); plan another first code";
    case RefusalReason::PlanDiffers:
      return at(0) + " is in the ledger with another plan than " + at(1) +
             " codes; leave --planned out to join it";
    case RefusalReason::FileOfOtherLedger:
      return at(0) + " holds " + at(1) + " of series " + at(2) +
             " of another ledger; this run works " + (at(3).empty() ? "a new series" : at(3)) +
             ": one results file, one series; give another --csv";
    case RefusalReason::FileOfOtherSeries:
      return at(0) + " holds rows of " + SeriesList(v, 3) + "; this run works " +
             (at(1).empty() ? "a new series" : at(1)) +
             ": one results file, one series; give another --csv";
    case RefusalReason::VerifiedBefore:
      return at(0) + " was verified before (" + at(1) + "); use --resume or another first code";
    case RefusalReason::StationRuns:
      return "the station " + at(0) + " runs already (pid " + at(1) + ", on " + at(2) +
             "); give each station its own --station";
  }
  return r.what();
}

}  // namespace

std::string RefusalLine(const production::Refusal& r, ledger::Ledger* l) {
  std::string line = Words(r);
  // The series' end names no other series to go on with.
  if (r.Resumed() && r.reason != RefusalReason::ResumeSeriesEnds) {
    line = "--resume: " + line;
    try {
      if (l) line += "; " + OpenSeriesText(*l);
    } catch (const ledger::DatabaseError& e) {
      line += "; ledger " + std::string(e.what());
    }
  }
  return line;
}
