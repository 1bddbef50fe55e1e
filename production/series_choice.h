#pragma once
// Which series a station works, and the guards before anything is written: the code plan (test
// country, countries and manufacturers, the largest number), the one series a resumed run means,
// one results file per series, no code of the run verified in the results file before, one run per
// station. The runner and the production window ask the same questions; each refusal is a reason
// with its values.
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "fdx/animal_id_write.h"
#include "ledger/ledger.h"
#include "production/series.h"

namespace production {

// Why a guard refused the run; each face words it in its own terms (the runner names its options,
// the window its controls). The values each reason carries, in order:
enum class RefusalReason {
  TestCountry,        // country
  UnknownCountry,     // country
  PastLargest,        // planned count, first code, step, largest number, "animal" / "industrial"
  ResumeForeignRows,  // results file, its code, that code's series, ledger
  ResumeManySeries,   // results file, then the series of its rows
  ResumeOtherSeries,  // results file, the series of its rows, the series named
  ResumeNoSeries,     // the series named
  ResumeSeriesEnds,   // the results file's last verified code
  ResumeNoClaim,      // station, results file ("" without one)
  Overlap,            // code, "verified" / "failed" / "claimed", its station, ledger, its series
  PlanDiffers,        // the series (SeriesText), the planned count asked for, the series' id
  FileOfOtherLedger,  // results file, its code, that code's series, the run's series (SeriesText
                      // or ""), the run's series id ("0": a new one)
  FileOfOtherSeries,  // results file, the run's series (SeriesText or ""), the run's series id,
                      // then the series of its rows
  VerifiedBefore,     // code, results file
  StationRuns,        // station, pid, port
};

// A guard refused the run. what() only names the reason; the faces word it.
class Refusal : public std::runtime_error {
 public:
  Refusal(RefusalReason reason, std::vector<std::string> values);
  RefusalReason reason;
  std::vector<std::string> values;
  // A reason of the resumed run, which the runner words with the series it could go on with.
  bool Resumed() const;
};

// What the operator asked for: a first code (animal or industrial), or a resumed series.
struct SeriesRequest {
  fdx::IdChip chip = fdx::IdChip::Sic7888;
  std::optional<unsigned> country;
  std::optional<uint64_t> national;
  std::optional<uint64_t> industrial;
  uint64_t increment = 1;
  std::optional<uint64_t> planned;
  int count = 0;                  // 0: until stopped
  std::string csv;                // the results file as named; empty: none
  bool resume = false;            // go on with a series of the ledger (or of the results file)
  std::optional<int64_t> series;  // the series named
  bool testCode = false;          // country 999 allowed
  bool anyCountry = false;        // a country that is no country or manufacturer allowed
  bool FirstCode() const { return national || industrial; }
};

// The plan of the first code given.
ledger::SeriesPlan PlanOf(const SeriesRequest& r);
// The guards of a code plan; throws Refusal.
void CheckCodePlan(const SeriesRequest& r, const ledger::SeriesPlan& plan);

// The series the rows of the results file belong to, as the ledger knows their codes. A row that
// names a series the ledger does not hold for its code was written with another ledger.
struct FileSeries {
  std::set<int64_t> ids;
  std::optional<series::Row> foreign;  // the first row of another ledger
};
FileSeries SeriesOfFile(const series::ResultsFile& results, ledger::Ledger& l);

// The series the run works: the one of the first code given (joined when the ledger holds it,
// else planned; with create, made), or the one a resumed run goes on with. Throws Refusal.
ledger::Series PickSeries(const SeriesRequest& r, ledger::Ledger& l, const ledger::Station& station,
                          const series::ResultsFile* results, const FileSeries& fs, bool create);
// One results file, one series; throws Refusal.
void CheckFileSeries(const SeriesRequest& r, const ledger::Series& s, const FileSeries& fs);
// No code the run may write was verified in the results file before; throws Refusal.
void CheckResultsFile(const SeriesRequest& r, const ledger::Series& s,
                      const series::ResultsFile& results);
// A station runs once; throws Refusal when another process of the same station still works.
void CheckStationFree(ledger::Ledger& l, const ledger::Station& station);

}  // namespace production
