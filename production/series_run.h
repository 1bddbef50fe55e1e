#pragma once
// The series loop of one station, headless: the command runner's `program` and the window's
// "Series programming..." both run it and show its events. For every tag: wait until one of the
// chip family enters the field, claim the next code of the series in the ledger, write it with the
// family's configuration step, read it back, record the outcome in the ledger and append the row
// to the results file, wait until the tag has left, go on.
//
// Nothing is written without a claim. The run ends at its count, at the series' end, after a
// failed tag with the stop-on-fail rule, when `stop` says so or the port vanishes (both only
// looked at while waiting for a tag or for its removal: the tag in hand is always finished and
// recorded), and at the first failure of the ledger or of the results file (before the next
// write; the row of the tag in hand is then given in the event).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fdx/animal_id_write.h"
#include "ledger/ledger.h"
#include "production/series.h"

class AppCore;

namespace production {

enum class Step { WaitingForTag, Writing, Verifying, RemoveTag };

struct RunSettings {
  fdx::IdChip chip = fdx::IdChip::Sic7888;
  int count = 0;  // tags to verify; 0: until stopped
  int pollMs = 200;
  bool stopOnFail = false;
  bool lock = false;  // SIC279 and HDX+: lock every code for good
  std::string port;   // as the rows name it
};

// A tag written, verified or not, as its row holds it.
struct TagDone {
  series::Row row;
  bool written = false;  // the write command was acknowledged
  double ledgerMs = 0;   // the claim and the record
  double tagMs = 0;      // the write and the read back
};

// A line of the run: what happened (with its values, in order), and the runner's words for it.
struct RunNote {
  enum class Kind {
    // About the run.
    Start,        // (none)
    PassedOver,   // code, the series that holds it
    NoCodeLeft,   // the series' id
    SeriesEnds,   // the series' last code
    ResultsFile,  // the file's error, the row of the tag in hand
    // About the tag in hand.
    Waiting,        // (none)
    Writing,        // UID, code
    CarriesCode,    // UID, the verified code it carries: not written
    UidVerified,    // UID, the code verified on it before: not written
    Verified,       // code
    WriteFailed,    // code
    ReadBackOther,  // code, the code read back
    NothingBack,    // code
    Remove,         // (none)
  };
  Kind kind = Kind::Start;
  std::vector<std::string> values;
  std::string text;
};

struct RunEvents {
  // The tag in hand goes to a new step; code: the code's text while writing and verifying.
  std::function<void(Step step, const std::string& code)> step;
  // A line about the tag in hand, with its number in the run (1 for the first).
  std::function<void(int slot, const RunNote& note)> progress;
  // A line about the run: its start, codes passed over, the series' end, a results file failure.
  std::function<void(const RunNote& note)> note;
  // The ledger failed and the run ends: the reason (with the row of a tag left unrecorded).
  std::function<void(const std::string& why)> ledgerFailed;
  std::function<void(const TagDone& tag)> tagDone;
  // Asked while waiting for a tag or for its removal: true ends the run there.
  std::function<bool()> stop;
  // Asked while waiting for a tag: true holds the run before the next tag is read.
  std::function<bool()> paused;
};

struct RunTotals {
  int verified = 0;
  int failed = 0;
  bool ledgerError = false;
  bool fileError = false;
  bool seriesEnded = false;  // its last code was verified, or it has no code left
  bool portLost = false;
};

// Runs the series until one of the ends above. `results` may be null (no results file).
RunTotals RunSeries(AppCore& app, ledger::Ledger& ledger, const ledger::Series& series,
                    const ledger::Station& station, series::ResultsFile* results,
                    const RunSettings& settings, const RunEvents& events);

}  // namespace production
