#pragma once
// Which series a station works, and the guards before anything is written: the code plan (test
// country, countries and manufacturers, the largest number), the one series a resumed run means,
// one results file per series, no code of the run verified in the results file before, one run per
// station. The runner and the production window ask the same questions; each refusal is one line.
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include "fdx/animal_id_write.h"
#include "ledger/ledger.h"
#include "production/series.h"

namespace production {

// A guard refused the run: the reason, on one line.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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

// The series a station may go on with, on one line: every series with codes left or in hand.
std::string OpenSeriesText(ledger::Ledger& l);

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
