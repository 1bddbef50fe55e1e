#pragma once
// The code ledger of series programming: every series and every code handed out, in a database
// that any number of stations share (SQLite on one machine, PostgreSQL across machines), so that
// a verified code is verified exactly once however many stations work a series.
//
// A station claims the next code of a series in one transaction before it writes a tag, and
// records the outcome after the read back:
//
//   claimed -> verified                      the tag reads back the code
//   claimed -> failed -> claimed ...         kept by the same station for its next tag
//   claimed | failed -> released -> claimed  given back after the tag in hand was read and does
//                                            not carry it; the next claim of any station takes it
//   claimed | failed | released -> void      never handed out again
//
// A claim takes, in this order: the station's own failed code, the lowest released code, the
// series' next code from its counter. Claims of one series are serialised (BEGIN IMMEDIATE on
// SQLite, SELECT ... FOR UPDATE of the series row on PostgreSQL) and the code is UNIQUE in the
// table, the last guard. A station that dies between claim and record leaves its code claimed:
// no claim takes a claimed code, so it is never handed out again until someone releases it.
//
// The schema is the ledger's own, versioned in the table schema_version: an empty database gets
// it, an older one is brought up to date, a newer one is refused, and a database that holds other
// tables but no schema_version (another program's) is refused and left as it is. Every failure of
// the database (unreachable, refused, not a database) throws DatabaseError with a one-line reason,
// and closes the connection: a station stops at the first failure of its ledger.
#include <sys/types.h>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ledger/code_plan.h"
#include "ledger/target.h"

namespace ledger {

class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A claim whose commit failed: the server may have committed it before the connection broke, so
// the code may stand claimed (an orphan) and must be named.
class UncertainClaim : public DatabaseError {
 public:
  UncertainClaim(const std::string& what, uint64_t code) : DatabaseError(what), code(code) {}
  uint64_t code;
};

enum class CodeState { Claimed, Verified, Failed, Void, Released };
// "claimed", "verified", "failed", "void", "released": the names in the database.
const char* StateName(CodeState state);

// A programming station: the machine's host name and the station's name on it (by default the
// stable name of its module's port; the database keeps it in the column port); pid is the process
// that claimed (a claim of a process that still runs is in hand, not orphaned). A station's
// failed code follows its name, whatever port its module is on now.
struct Station {
  std::string host;
  std::string name;
  int64_t pid = 0;
};

// A station at work on a series, as it entered itself at the start of its run.
struct WorkingStation {
  Station station;
  int64_t seriesId = 0;
  std::string port;  // the port its module is on
  int64_t sinceMs = 0;
};

struct Series {
  int64_t id = 0;  // 0: not in the ledger (yet)
  SeriesPlan plan;
  uint64_t nextIndex = 0;  // codes handed out from the counter so far
  int64_t createdMs = 0;   // milliseconds since 1970, UTC
};

// A series with its codes counted by state.
struct SeriesProgress {
  Series series;
  uint64_t verified = 0;
  uint64_t claimed = 0;
  uint64_t failed = 0;
  uint64_t released = 0;
  uint64_t voided = 0;
  uint64_t codesLeft = 0;  // not handed out yet, released ones included
  int64_t lastMs = 0;      // the last claim or record; 0 when none
};

// One code in the ledger.
struct CodeRecord {
  uint64_t code = 0;
  int64_t seriesId = 0;
  uint64_t number = 0;
  CodeState state = CodeState::Claimed;
  Station station;  // who claimed it last
  std::string chip;
  std::string uid;  // the tag's UID or traceability data, as the station read it
  std::optional<uint64_t> readBack;
  int64_t claimedMs = 0;
  std::optional<int64_t> recordedMs;
};

// One tag written: a row of the results file.
struct TagRecord {
  int64_t seriesId = 0;
  int64_t timeMs = 0;
  Station station;
  std::string chip;
  uint64_t code = 0;
  std::optional<uint64_t> readBack;
  bool ok = false;
  std::string uid;
};

// Joining a series at the start of a run, or planning a new one.
struct SeriesChoice {
  enum class Kind {
    Joined,      // the series is in the ledger: series
    Created,     // a new series (with create = false: would be created)
    Overlap,     // the plan reaches codes of the ledger that may be on tags: overlap
    PlanDiffers  // the series is in the ledger with another planned count: series
  };
  Kind kind = Kind::Joined;
  Series series;
  CodeRecord overlap;
};

struct ClaimRequest {
  int64_t seriesId = 0;
  Station station;
  std::string chip;
  std::string uid;                  // of the tag in the field
  std::optional<uint64_t> tagCode;  // the code the tag sends now, if any
};

struct Claim {
  enum class Kind {
    Code,                // code is this station's to write
    TagCarriesVerified,  // the tag sends a verified code (other): not to be written
    TagUidVerified,      // a code was verified on a tag with this UID before (other)
    SeriesDone,          // no code left
  };
  enum class Source { Counter, OwnFailed, Released };
  Kind kind = Kind::Code;
  Source source = Source::Counter;
  uint64_t code = 0;
  uint64_t number = 0;
  CodeRecord other;
  // Codes of the series that were in the ledger already (another series had claimed them) and
  // were passed over.
  std::vector<CodeRecord> skipped;
  // Code: whether the series has a code left after this one.
  bool more = false;
};

// What a station found after writing a claimed code.
struct Outcome {
  bool ok = false;  // read back equal to the code
  std::optional<uint64_t> readBack;
  std::string uid;
};

// How a ledger is opened: by a station, which makes and updates it, or to be looked at (the
// ledger's status, orphans and export), which changes nothing: no file, table or journal mode is
// made or changed; a missing SQLite file, or a database without tables, is an empty ledger.
enum class Access { Station, Look };

class Ledger {
 public:
  // The schema version this ledger writes.
  static constexpr int kSchemaVersion = 2;

  // Opens the ledger. For a station, an SQLite file is made when missing (missing folders on its
  // path are made private to the user), the schema created or brought up to date. Throws
  // DatabaseError.
  explicit Ledger(const Target& target, Access access = Access::Station);
  ~Ledger();
  Ledger(const Ledger&) = delete;
  Ledger& operator=(const Ledger&) = delete;

  const Target& Where() const { return target_; }

  // The series of the plan (kind, country, first number and increment name it): joined when it is
  // in the ledger, else checked and, with create, made. A new series must not reach any code of
  // the ledger that may be on a tag (verified, claimed or failed): the first such code is the
  // Overlap. Its codes are plan.planned, or `runCount` when nothing is planned (the codes one run
  // would take), or every code up to the largest number.
  SeriesChoice JoinOrCreate(const SeriesPlan& plan, std::optional<uint64_t> runCount, bool create);
  std::optional<Series> FindSeries(int64_t id);
  // The series of the station's last claim; else nullopt.
  std::optional<Series> LastSeriesOf(const Station& station);
  // The series of the last claim of any station, else the last series made; nullopt when empty.
  std::optional<Series> LastSeries();
  std::vector<SeriesProgress> Progress();
  SeriesProgress ProgressOf(const Series& series);
  // The series of each of these codes that the ledger holds (codes it does not hold are left out).
  std::map<uint64_t, int64_t> SeriesOfCodes(const std::vector<uint64_t>& codes);

  // The stations at work: a station enters itself with its series when its run starts (taking
  // over the row a killed run of the same station left) and leaves when it ends.
  void Enter(const Station& station, int64_t seriesId, const std::string& port);
  void Leave(const Station& station);
  std::vector<WorkingStation> Working();
  // Codes the series can still hand out: not handed out yet, and released.
  uint64_t CodesLeft(int64_t seriesId);
  // The code the station's next claim would take now (its failed code, the lowest released one,
  // the counter's); nullopt when none is left. Claims nothing.
  std::optional<uint64_t> NextCode(int64_t seriesId, const Station& station);

  // The next code for the tag in the field, in one transaction (see above). An SQLite ledger must
  // still be the file this connection opened: one deleted or replaced meanwhile (where another
  // station would start a new ledger) is a DatabaseError. When the commit fails, the reason names
  // the code: the claim may have reached the ledger and stands as an orphan.
  Claim ClaimNext(const ClaimRequest& request);
  // Runs just before a claim's commit, with the code (tests: the moment the server goes away).
  std::function<void(uint64_t code)> beforeClaimCommit;
  // Runs between the two looks that tell another program's database from a ledger as it opens
  // (tests: the moment another station commits the ledger's tables).
  static std::function<void()> betweenLooks;
  // Runs in JoinOrCreate between the look for the series and the look for codes a new series
  // would reach (tests: the moment another station makes the series and claims its first code).
  static std::function<void()> betweenSeriesLooks;
  // The outcome of a claimed code: verified or failed, with the tag's row. False when the code is
  // no longer this station's claim (released or voided meanwhile): nothing is recorded. The record
  // does not wait for the disk: a power failure may take the last records, whose codes then stand
  // claimed again (orphans no claim takes); claims always wait for the disk.
  bool Record(uint64_t code, const Station& station, const std::string& chip,
              const Outcome& outcome);

  std::optional<CodeRecord> FindCode(uint64_t code);
  // Claimed and failed codes, by series and number.
  std::vector<CodeRecord> Unfinished();
  // Sets a code from state `from` to released or void; false when it is not in that state (any
  // more).
  bool Release(uint64_t code, CodeState from);
  bool Void(uint64_t code, CodeState from);
  // The tags written in a series, in the order they were recorded.
  std::vector<TagRecord> Records(int64_t seriesId);

  // How often, in this process, a new SQLite ledger's switch to WAL found another station
  // writing the file and was tried again.
  static uint64_t WalRetries();

 private:
  class Transaction;
  // Closes the connection and throws: a ledger that failed once is not used again.
  [[noreturn]] void Fail(const QSqlError& error);
  void Disconnect();
  void Exec(const std::string& sql);
  // The statement prepared once per connection, executed with these values.
  QSqlQuery& Run(const std::string& sql, const std::vector<QVariant>& binds);
  void EnterWal();
  void Migrate();
  int StoredSchemaVersion();
  // The tables and views of the database (SQLite: of the file; PostgreSQL: of its schema).
  int64_t TableCount();
  // Refuses a database that holds another program's tables, before anything is changed.
  void CheckOwnDatabase();
  // SQLite: the file still is the one opened (see ClaimNext).
  void CheckSameFile();
  Claim ClaimIn(const ClaimRequest& request, const Series& series);
  bool SetState(uint64_t code, CodeState from, CodeState to);
  std::optional<Series> SeriesOf(const char* sql, const std::vector<QVariant>& binds);

  Target target_;
  Access access_ = Access::Station;
  int schemaVersion_ = 0;  // as found (Look) or made (Station)
  bool empty_ = false;     // Look: no ledger there yet (no file, or no tables): nothing to read
  dev_t fileDevice_ = 0;   // SQLite: the file opened
  ino_t fileInode_ = 0;
  std::string name_;  // the Qt connection's name
  QSqlDatabase db_;
  std::map<std::string, QSqlQuery> prepared_;
  std::chrono::steady_clock::time_point busySince_;  // SQLite: when the current wait began
};

// Milliseconds since 1970, UTC, as the ledger keeps its times.
int64_t NowMs();

}  // namespace ledger
