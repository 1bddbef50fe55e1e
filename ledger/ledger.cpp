#include "ledger/ledger.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/files.h"
#include "ledger/schema.h"

namespace ledger {

namespace {

std::atomic<int> connectionCount{0};
std::atomic<uint64_t> walRetries{0};

// SQLite waits this long for another station's transaction before it gives up.
constexpr int kBusyTimeoutMs = 30000;
// PostgreSQL: how long a connection may take, unless the connection string says otherwise.
constexpr int kConnectTimeoutS = 10;
// A claim passes over at most this many codes that another series holds before it gives up.
constexpr int kMaxSkipped = 1000;

constexpr const char* kCodeColumns =
    "code, series_id, number, state, host, port, pid, chip, uid, read_back, claimed_ms, "
    "recorded_ms";
constexpr const char* kSeriesColumns =
    "id, kind, country, first_number, increment, planned, next_index, created_ms";

constexpr CodeState kStates[] = {CodeState::Claimed, CodeState::Verified, CodeState::Failed,
                                 CodeState::Void, CodeState::Released};

QVariant Int(int64_t v) {
  return QVariant(static_cast<qlonglong>(v));
}
// Codes are 64-bit patterns; the database keeps them as signed 64-bit numbers.
QVariant CodeValue(uint64_t code) {
  return Int(static_cast<int64_t>(code));
}
QVariant Text(const std::string& s) {
  return QVariant(QString::fromStdString(s));
}
QVariant NullInt() {
  return QVariant(QMetaType::fromType<qlonglong>());
}
QVariant OptionalCode(const std::optional<uint64_t>& code) {
  return code ? CodeValue(*code) : NullInt();
}

uint64_t AsCode(const QVariant& v) {
  return static_cast<uint64_t>(v.toLongLong());
}
std::string AsText(const QVariant& v) {
  return v.toString().toStdString();
}

const char* KindName(CodeKind kind) {
  return kind == CodeKind::Animal ? "animal" : "industrial";
}

CodeState StateOf(const std::string& name) {
  for (CodeState s : kStates)
    if (name == StateName(s)) return s;
  throw DatabaseError("the ledger holds a code in an unknown state \"" + name + "\"");
}

// The database's reason on one line.
std::string Reason(const QSqlError& e) {
  std::string driver = e.driverText().trimmed().toStdString();
  std::string database = e.databaseText().trimmed().toStdString();
  std::string text = driver.empty()     ? database
                     : database.empty() ? driver
                                        : driver + ": " + database;
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  // A driver that has no detail for its message leaves an empty "()".
  for (size_t at; (at = text.find("()")) != std::string::npos;) {
    size_t from = at;
    while (from > 0 && text[from - 1] == ' ') --from;
    text.erase(from, at + 2 - from);
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text.empty() ? "unknown error" : text;
}

CodeRecord CodeFrom(const QSqlQuery& q) {
  CodeRecord r;
  r.code = AsCode(q.value(0));
  r.seriesId = q.value(1).toLongLong();
  r.number = static_cast<uint64_t>(q.value(2).toLongLong());
  r.state = StateOf(AsText(q.value(3)));
  r.station.host = AsText(q.value(4));
  r.station.name = AsText(q.value(5));
  r.station.pid = q.value(6).toLongLong();
  r.chip = AsText(q.value(7));
  r.uid = AsText(q.value(8));
  if (!q.value(9).isNull()) r.readBack = AsCode(q.value(9));
  r.claimedMs = q.value(10).toLongLong();
  if (!q.value(11).isNull()) r.recordedMs = q.value(11).toLongLong();
  return r;
}

Series SeriesFrom(const QSqlQuery& q) {
  Series s;
  s.id = q.value(0).toLongLong();
  s.plan.kind = AsText(q.value(1)) == "animal" ? CodeKind::Animal : CodeKind::Industrial;
  s.plan.country = static_cast<unsigned>(q.value(2).toLongLong());
  s.plan.first = static_cast<uint64_t>(q.value(3).toLongLong());
  s.plan.increment = static_cast<uint64_t>(q.value(4).toLongLong());
  if (!q.value(5).isNull()) s.plan.planned = static_cast<uint64_t>(q.value(5).toLongLong());
  s.nextIndex = static_cast<uint64_t>(q.value(6).toLongLong());
  s.createdMs = q.value(7).toLongLong();
  return s;
}

// SQLite's own busy handler sleeps 1, 2, 5, 10, 15, 20 ms and more between its tries, while
// another station holds the write lock for a millisecond or two: a waiting claim retries every
// 0.2 ms instead, for kBusyTimeoutMs at most.
int RetrySoon(void* since, int count) {
  auto& start = *static_cast<std::chrono::steady_clock::time_point*>(since);
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) start = now;
  if (now - start > std::chrono::milliseconds(kBusyTimeoutMs)) return 0;
  std::this_thread::sleep_for(std::chrono::microseconds(200));
  return 1;
}

bool Busy(const QSqlError& e) {
  bool number = false;
  const int code = e.nativeErrorCode().toInt(&number);
  return number && (code & 0xff) == SQLITE_BUSY;
}

}  // namespace

const char* StateName(CodeState state) {
  switch (state) {
    case CodeState::Claimed:
      return "claimed";
    case CodeState::Verified:
      return "verified";
    case CodeState::Failed:
      return "failed";
    case CodeState::Void:
      return "void";
    case CodeState::Released:
      return "released";
  }
  return "";
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A write transaction, rolled back unless committed.
class Ledger::Transaction {
 public:
  explicit Transaction(Ledger& ledger) : ledger_(ledger) {
    ledger_.Exec(ledger_.target_.backend == Target::Backend::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN");
  }
  ~Transaction() {
    if (!done_ && ledger_.db_.isValid()) QSqlQuery(ledger_.db_).exec("ROLLBACK");
  }
  void Commit() {
    ledger_.Exec("COMMIT");
    done_ = true;
  }

 private:
  Ledger& ledger_;
  bool done_ = false;
};

Ledger::Ledger(const Target& target, Access access) : target_(target), access_(access) {
  name_ = "qzh-ledger-" + std::to_string(++connectionCount);
  const bool sqlite = target.backend == Target::Backend::Sqlite;
  if (sqlite && access == Access::Look) {
    // Looking makes no file: where none is, the ledger is empty.
    struct stat st {};
    if (::stat(target.path.c_str(), &st) != 0 && errno == ENOENT) {
      empty_ = true;
      return;
    }
  } else if (sqlite) {
    const size_t slash = target.path.rfind('/');
    if (slash != std::string::npos && slash > 0)
      if (files::Error e = files::MakePrivateFolders(target.path.substr(0, slash)))
        throw DatabaseError(target.Display() + ": " + e.Text());
    if (files::Error e = files::PrepareDatabaseFile(target.path))
      throw DatabaseError(target.Display() + ": " + e.Text());
  }
  db_ = QSqlDatabase::addDatabase(sqlite ? "QSQLITE" : "QPSQL", QString::fromStdString(name_));
  if (!db_.isValid()) {
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(QString::fromStdString(name_));
    throw DatabaseError(target.Display() + ": Qt's " + (sqlite ? "SQLite" : "PostgreSQL") +
                        " driver is missing (Debian: libqt6sql6-" + (sqlite ? "sqlite" : "psql") +
                        ")");
  }
  if (sqlite) {
    db_.setDatabaseName(QString::fromStdString(target.path));
  } else {
    db_.setDatabaseName(QString::fromStdString(target.database));
    if (!target.host.empty()) db_.setHostName(QString::fromStdString(target.host));
    if (target.port) db_.setPort(target.port);
    if (!target.user.empty()) db_.setUserName(QString::fromStdString(target.user));
    if (!target.password.empty()) db_.setPassword(QString::fromStdString(target.password));
    QStringList options;
    bool timeout = false;
    for (const auto& [k, v] : target.parameters) {
      options << QString::fromStdString(k + "=" + v);
      timeout = timeout || k == "connect_timeout";
    }
    // A server that does not answer is reported, not waited for as long as TCP would.
    if (!timeout) options << "connect_timeout=" + QString::number(kConnectTimeoutS);
    db_.setConnectOptions(options.join(';'));
  }
  if (!db_.open()) {
    const std::string reason = Reason(db_.lastError());
    Disconnect();
    throw DatabaseError(target.Display() + ": " + reason);
  }
  try {
    if (sqlite) {
      const QVariant handle = db_.driver()->handle();
      if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        if (sqlite3* h = *static_cast<sqlite3* const*>(handle.constData()))
          sqlite3_busy_handler(h, RetrySoon, &busySince_);
      struct stat st {};
      if (::stat(target.path.c_str(), &st) == 0) {
        fileDevice_ = st.st_dev;
        fileInode_ = st.st_ino;
      }
    }
    // Nothing is changed before the database is known to be a ledger, or empty.
    CheckOwnDatabase();
    if (access == Access::Look) {
      schemaVersion_ = StoredSchemaVersion();
      empty_ = schemaVersion_ == 0;  // no station has used it yet
      if (schemaVersion_ > kSchemaVersion)
        throw DatabaseError(target.Display() + ": the ledger has schema version " +
                            std::to_string(schemaVersion_) + ", newer than this program knows (" +
                            std::to_string(kSchemaVersion) + "); use a newer qzh900ctl");
      return;
    }
    if (sqlite) {
      // Readers never wait for the writer; a transaction is on the disk when it commits (a
      // record relaxes this, see Record).
      EnterWal();
      Exec("PRAGMA synchronous=FULL");
      Exec("PRAGMA foreign_keys=ON");
    }
    Migrate();
    schemaVersion_ = kSchemaVersion;
  } catch (...) {
    // No destructor runs for a constructor that throws: the connection goes here.
    prepared_.clear();
    Disconnect();
    throw;
  }
}

Ledger::~Ledger() {
  prepared_.clear();
  Disconnect();
}

void Ledger::Disconnect() {
  if (!db_.isValid()) return;
  db_.close();
  db_ = QSqlDatabase();
  QSqlDatabase::removeDatabase(QString::fromStdString(name_));
  prepared_.clear();
}

void Ledger::Fail(const QSqlError& error) {
  // A station stops at the first failure. The driver goes before the prepared statements, which
  // then need no clean-up on a server that may be gone.
  const std::string reason = Reason(error);
  Disconnect();
  throw DatabaseError(target_.Display() + ": " + reason);
}

void Ledger::Exec(const std::string& sql) {
  if (!db_.isValid()) throw DatabaseError(target_.Display() + ": the connection was closed");
  QSqlQuery q(db_);
  if (!q.exec(QString::fromStdString(sql))) Fail(q.lastError());
}

QSqlQuery& Ledger::Run(const std::string& sql, const std::vector<QVariant>& binds) {
  if (!db_.isValid()) throw DatabaseError(target_.Display() + ": the connection was closed");
  auto it = prepared_.find(sql);
  if (it == prepared_.end()) {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(QString::fromStdString(sql))) Fail(q.lastError());
    it = prepared_.emplace(sql, std::move(q)).first;
  }
  QSqlQuery& q = it->second;
  for (size_t i = 0; i < binds.size(); ++i) q.bindValue(static_cast<int>(i), binds[i]);
  if (!q.exec()) Fail(q.lastError());
  return q;
}

// Stations that open a new ledger together: while one of them writes the file's first pages, the
// others' switch to WAL finds its read turning into a write and gets SQLITE_BUSY at once (SQLite
// calls no busy handler for that), so the switch is tried again, as long as a lock is waited for.
void Ledger::EnterWal() {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    QSqlQuery q(db_);
    if (q.exec("PRAGMA journal_mode=WAL")) return;
    if (!Busy(q.lastError()) ||
        std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kBusyTimeoutMs))
      Fail(q.lastError());
    ++walRetries;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

uint64_t Ledger::WalRetries() {
  return walRetries;
}

int Ledger::StoredSchemaVersion() {
  const char* exists = target_.backend == Target::Backend::Sqlite
                           ? "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name = 'schema_version'"
                           : "SELECT COUNT(*) FROM information_schema.tables WHERE "
                             "table_schema = current_schema() AND table_name = 'schema_version'";
  QSqlQuery& q = Run(exists, {});
  const bool present = q.next() && q.value(0).toLongLong() > 0;
  q.finish();
  if (!present) return 0;
  QSqlQuery& v = Run("SELECT version FROM schema_version", {});
  if (!v.next()) throw DatabaseError(target_.Display() + ": the table schema_version is empty");
  const int version = v.value(0).toInt();
  v.finish();
  return version;
}

int64_t Ledger::TableCount() {
  QSqlQuery& q = Run(target_.backend == Target::Backend::Sqlite
                         ? "SELECT COUNT(*) FROM sqlite_master"
                         : "SELECT COUNT(*) FROM information_schema.tables WHERE "
                           "table_schema = current_schema()",
                     {});
  const int64_t n = q.next() ? q.value(0).toLongLong() : 0;
  q.finish();
  return n;
}

std::function<void()> Ledger::betweenLooks;
std::function<void()> Ledger::betweenSeriesLooks;

void Ledger::CheckOwnDatabase() {
  // The tables first, then schema_version: a station that makes the ledger meanwhile commits
  // them together, so tables seen mean schema_version is seen too. (The other way round, a
  // station that starts with others finds no schema_version, then the new tables, and would
  // refuse its own ledger.)
  const int64_t tables = TableCount();
  if (betweenLooks) betweenLooks();
  if (tables == 0 || StoredSchemaVersion() != 0) return;
  throw DatabaseError(target_.Display() +
                      ": the database holds tables but no schema_version: it is not a code "
                      "ledger (another program's?) and is left as it is; give the ledger a "
                      "database of its own");
}

void Ledger::CheckSameFile() {
  if (target_.backend != Target::Backend::Sqlite) return;
  struct stat st {};
  if (::stat(target_.path.c_str(), &st) == 0 && st.st_dev == fileDevice_ && st.st_ino == fileInode_)
    return;
  Disconnect();
  throw DatabaseError(target_.Display() +
                      ": the ledger file is no longer the one this station opened (deleted or "
                      "replaced); claiming on would hand out codes that another ledger hands out "
                      "too");
}

void Ledger::Migrate() {
  // Quick look first: a ledger that is up to date needs no write lock.
  if (StoredSchemaVersion() == kSchemaVersion) return;
  Transaction t(*this);
  // Stations that start together: one of them builds the tables, the others wait for it.
  if (target_.backend == Target::Backend::Postgres)
    Run("SELECT pg_advisory_xact_lock(9000900)", {}).finish();
  const int stored = StoredSchemaVersion();
  if (stored > kSchemaVersion)
    throw DatabaseError(target_.Display() + ": the ledger has schema version " +
                        std::to_string(stored) + ", newer than this program knows (" +
                        std::to_string(kSchemaVersion) + "); use a newer qzh900ctl");
  if (stored < 0)
    throw DatabaseError(target_.Display() + ": the ledger has schema version " +
                        std::to_string(stored));
  for (int version = stored + 1; version <= kSchemaVersion; ++version) {
    for (const std::string& statement : SchemaStep(target_.backend, version)) Exec(statement);
    Run("UPDATE schema_version SET version = ?", {Int(version)});
  }
  t.Commit();
  prepared_.clear();
}

std::optional<Series> Ledger::SeriesOf(const char* sql, const std::vector<QVariant>& binds) {
  QSqlQuery& q = Run(sql, binds);
  std::optional<Series> s;
  if (q.next()) s = SeriesFrom(q);
  q.finish();
  return s;
}

std::optional<Series> Ledger::FindSeries(int64_t id) {
  if (empty_) return {};
  return SeriesOf((std::string("SELECT ") + kSeriesColumns + " FROM series WHERE id = ?").c_str(),
                  {Int(id)});
}

SeriesChoice Ledger::JoinOrCreate(const SeriesPlan& plan, std::optional<uint64_t> runCount,
                                  bool create) {
  const std::string find = std::string("SELECT ") + kSeriesColumns +
                           " FROM series WHERE kind = ? AND country = ? AND first_number = ? "
                           "AND increment = ?";
  const std::vector<QVariant> key = {Text(KindName(plan.kind)), Int(plan.country),
                                     Int(static_cast<int64_t>(plan.first)),
                                     Int(static_cast<int64_t>(plan.increment))};
  std::optional<Transaction> t;
  if (create) t.emplace(*this);
  SeriesChoice choice;
  // The series is in the ledger: joined, when the plan given does not differ.
  auto join = [&](const Series& series) {
    choice.series = series;
    choice.kind = plan.planned && plan.planned != series.plan.planned
                      ? SeriesChoice::Kind::PlanDiffers
                      : SeriesChoice::Kind::Joined;
    return choice;
  };
  if (auto existing = SeriesOf(find.c_str(), key)) return join(*existing);
  if (betweenSeriesLooks) betweenSeriesLooks();
  // A new series: none of its codes may be on a tag already.
  const uint64_t count = CodeCount(plan, runCount);
  if (count > 0) {
    const uint64_t last = plan.first + (count - 1) * plan.increment;
    QSqlQuery& q =
        Run(std::string("SELECT ") + kCodeColumns +
                " FROM codes WHERE kind = ? AND country = ? AND number >= ? AND "
                "number <= ? AND (number - ?) % ? = 0 AND state IN ('verified', "
                "'claimed', 'failed') ORDER BY number LIMIT 1",
            {Text(KindName(plan.kind)), Int(plan.country), Int(static_cast<int64_t>(plan.first)),
             Int(static_cast<int64_t>(last)), Int(static_cast<int64_t>(plan.first)),
             Int(static_cast<int64_t>(plan.increment))});
    const bool overlap = q.next();
    if (overlap) choice.overlap = CodeFrom(q);
    q.finish();
    // Another station may have made the series and claimed its first codes since the series was
    // looked for: its codes are no overlap. A code is claimed only after its series was made, so
    // the series is seen now.
    if (overlap) {
      if (auto made = SeriesOf(find.c_str(), key)) return join(*made);
      choice.kind = SeriesChoice::Kind::Overlap;
      return choice;
    }
  }
  choice.kind = SeriesChoice::Kind::Created;
  choice.series.plan = plan;
  if (!create) return choice;
  QSqlQuery& insert =
      Run("INSERT INTO series (kind, country, first_number, increment, planned, next_index, "
          "created_ms) VALUES (?, ?, ?, ?, ?, 0, ?) ON CONFLICT DO NOTHING",
          {key[0], key[1], key[2], key[3],
           plan.planned ? Int(static_cast<int64_t>(*plan.planned)) : NullInt(), Int(NowMs())});
  const bool inserted = insert.numRowsAffected() == 1;
  insert.finish();
  // Another station may have made it in the meantime (PostgreSQL): then it is joined.
  const auto made = SeriesOf(find.c_str(), key);
  if (!made) throw DatabaseError(target_.Display() + ": the new series cannot be read back");
  t->Commit();
  if (!inserted) return join(*made);
  choice.series = *made;
  return choice;
}

std::optional<Series> Ledger::LastSeriesOf(const Station& station) {
  return SeriesOf((std::string("SELECT ") + kSeriesColumns +
                   " FROM series WHERE id = (SELECT series_id FROM codes WHERE host = ? AND "
                   "port = ? ORDER BY claimed_ms DESC LIMIT 1)")
                      .c_str(),
                  {Text(station.host), Text(station.name)});
}

std::optional<Series> Ledger::LastSeries() {
  if (empty_) return {};
  if (auto s = SeriesOf((std::string("SELECT ") + kSeriesColumns +
                         " FROM series WHERE id = (SELECT series_id FROM codes ORDER BY "
                         "claimed_ms DESC LIMIT 1)")
                            .c_str(),
                        {}))
    return s;
  return SeriesOf(
      (std::string("SELECT ") + kSeriesColumns + " FROM series ORDER BY id DESC LIMIT 1").c_str(),
      {});
}

uint64_t Ledger::CodesLeft(int64_t seriesId) {
  const auto series = FindSeries(seriesId);
  if (!series) return 0;
  const uint64_t count = CodeCount(series->plan);
  uint64_t left = count > series->nextIndex ? count - series->nextIndex : 0;
  QSqlQuery& q =
      Run("SELECT COUNT(*) FROM codes WHERE series_id = ? AND state = 'released'", {Int(seriesId)});
  if (q.next()) left += static_cast<uint64_t>(q.value(0).toLongLong());
  q.finish();
  return left;
}

std::optional<uint64_t> Ledger::NextCode(int64_t seriesId, const Station& station) {
  const auto series = FindSeries(seriesId);
  if (!series) return std::nullopt;
  for (const auto& [where, binds] : std::vector<std::pair<const char*, std::vector<QVariant>>>{
           {"series_id = ? AND state = 'failed' AND host = ? AND port = ?",
            {Int(seriesId), Text(station.host), Text(station.name)}},
           {"series_id = ? AND state = 'released'", {Int(seriesId)}}}) {
    QSqlQuery& q = Run(std::string("SELECT MIN(number) FROM codes WHERE ") + where, binds);
    std::optional<uint64_t> number;
    if (q.next() && !q.value(0).isNull()) number = static_cast<uint64_t>(q.value(0).toLongLong());
    q.finish();
    if (number) return CodeOf(series->plan, *number);
  }
  uint64_t index = series->nextIndex;
  for (int skipped = 0; skipped <= kMaxSkipped; ++index, ++skipped) {
    const auto number = NumberAt(series->plan, index);
    if (!number) break;
    const uint64_t code = CodeOf(series->plan, *number);
    if (!FindCode(code)) return code;
  }
  return std::nullopt;
}

std::vector<SeriesProgress> Ledger::Progress() {
  if (empty_) return {};
  std::vector<SeriesProgress> all;
  {
    QSqlQuery& q = Run(std::string("SELECT ") + kSeriesColumns + " FROM series ORDER BY id", {});
    while (q.next()) all.push_back({.series = SeriesFrom(q)});
    q.finish();
  }
  for (SeriesProgress& p : all) p = ProgressOf(p.series);
  return all;
}

SeriesProgress Ledger::ProgressOf(const Series& series) {
  SeriesProgress p{.series = series};
  {
    QSqlQuery& q =
        Run("SELECT state, COUNT(*), MAX(claimed_ms), MAX(recorded_ms) FROM codes WHERE "
            "series_id = ? GROUP BY state",
            {Int(p.series.id)});
    while (q.next()) {
      const uint64_t n = static_cast<uint64_t>(q.value(1).toLongLong());
      switch (StateOf(AsText(q.value(0)))) {
        case CodeState::Claimed:
          p.claimed = n;
          break;
        case CodeState::Verified:
          p.verified = n;
          break;
        case CodeState::Failed:
          p.failed = n;
          break;
        case CodeState::Released:
          p.released = n;
          break;
        case CodeState::Void:
          p.voided = n;
          break;
      }
      p.lastMs = std::max({p.lastMs, static_cast<int64_t>(q.value(2).toLongLong()),
                           static_cast<int64_t>(q.value(3).toLongLong())});
    }
    q.finish();
  }
  const uint64_t count = CodeCount(p.series.plan);
  p.codesLeft = (count > p.series.nextIndex ? count - p.series.nextIndex : 0) + p.released;
  return p;
}

std::map<uint64_t, int64_t> Ledger::SeriesOfCodes(const std::vector<uint64_t>& codes) {
  // One statement for a batch of codes (the last one repeated to fill it).
  constexpr size_t kBatch = 100;
  std::string sql = "SELECT code, series_id FROM codes WHERE code IN (?";
  for (size_t i = 1; i < kBatch; ++i) sql += ", ?";
  sql += ")";
  std::map<uint64_t, int64_t> found;
  for (size_t at = 0; at < codes.size(); at += kBatch) {
    std::vector<QVariant> binds;
    for (size_t i = 0; i < kBatch; ++i)
      binds.push_back(CodeValue(codes[std::min(at + i, codes.size() - 1)]));
    QSqlQuery& q = Run(sql, binds);
    while (q.next()) found[AsCode(q.value(0))] = q.value(1).toLongLong();
    q.finish();
  }
  return found;
}

void Ledger::Enter(const Station& station, int64_t seriesId, const std::string& port) {
  Transaction t(*this);
  Run("DELETE FROM stations WHERE host = ? AND name = ?", {Text(station.host), Text(station.name)})
      .finish();
  Run("INSERT INTO stations (host, name, pid, series_id, port, since_ms) VALUES (?, ?, ?, ?, ?, "
      "?)",
      {Text(station.host), Text(station.name), Int(station.pid), Int(seriesId), Text(port),
       Int(NowMs())})
      .finish();
  t.Commit();
}

void Ledger::Leave(const Station& station) {
  Transaction t(*this);
  Run("DELETE FROM stations WHERE host = ? AND name = ? AND pid = ?",
      {Text(station.host), Text(station.name), Int(station.pid)})
      .finish();
  t.Commit();
}

std::vector<WorkingStation> Ledger::Working() {
  std::vector<WorkingStation> all;
  if (empty_ || schemaVersion_ < 2) return all;  // a ledger of before the table, looked at
  QSqlQuery& q = Run(
      "SELECT host, name, pid, series_id, port, since_ms FROM stations ORDER BY series_id, host, "
      "name",
      {});
  while (q.next())
    all.push_back({.station = {AsText(q.value(0)), AsText(q.value(1)), q.value(2).toLongLong()},
                   .seriesId = q.value(3).toLongLong(),
                   .port = AsText(q.value(4)),
                   .sinceMs = q.value(5).toLongLong()});
  q.finish();
  return all;
}

Claim Ledger::ClaimNext(const ClaimRequest& request) {
  CheckSameFile();
  Transaction t(*this);
  // The series row is the lock every claim of the series takes (SQLite: the whole database).
  const std::string lock = std::string("SELECT ") + kSeriesColumns + " FROM series WHERE id = ?" +
                           (target_.backend == Target::Backend::Postgres ? " FOR UPDATE" : "");
  const auto series = SeriesOf(lock.c_str(), {Int(request.seriesId)});
  if (!series)
    throw DatabaseError(target_.Display() + ": series " + std::to_string(request.seriesId) +
                        " is not in the ledger");
  Claim claim = ClaimIn(request, *series);
  if (claim.kind != Claim::Kind::Code) {
    t.Commit();
    return claim;
  }
  if (beforeClaimCommit) beforeClaimCommit(claim.code);
  try {
    t.Commit();
  } catch (const DatabaseError& e) {
    throw UncertainClaim(e.what(), claim.code);
  }
  return claim;
}

Claim Ledger::ClaimIn(const ClaimRequest& r, const Series& series) {
  Claim claim;
  const std::string select = std::string("SELECT ") + kCodeColumns + " FROM codes WHERE ";
  auto first = [&](const std::string& where,
                   const std::vector<QVariant>& binds) -> std::optional<CodeRecord> {
    QSqlQuery& q = Run(select + where, binds);
    std::optional<CodeRecord> found;
    if (q.next()) found = CodeFrom(q);
    q.finish();
    return found;
  };
  // A tag that carries a verified code, or whose UID a verified code was written to, stays as it
  // is. (NULL matches nothing: a tag without a code or UID.)
  if (r.tagCode || !r.uid.empty()) {
    const QVariant uid = r.uid.empty() ? QVariant(QMetaType::fromType<QString>()) : Text(r.uid);
    if (auto c = first("state = 'verified' AND (code = ? OR uid = ?) LIMIT 1",
                       {OptionalCode(r.tagCode), uid})) {
      claim.kind =
          r.tagCode == c->code ? Claim::Kind::TagCarriesVerified : Claim::Kind::TagUidVerified;
      claim.other = *c;
      return claim;
    }
  }
  const int64_t now = NowMs();
  // The station's own failed code first, then the lowest released one (each a lookup in the index
  // by series, state and number).
  std::optional<CodeRecord> again =
      first("series_id = ? AND state = 'failed' AND host = ? AND port = ? ORDER BY number LIMIT 1",
            {Int(series.id), Text(r.station.host), Text(r.station.name)});
  if (!again)
    again = first("series_id = ? AND state = 'released' ORDER BY number LIMIT 1", {Int(series.id)});
  if (again) {
    Run("UPDATE codes SET state = 'claimed', host = ?, port = ?, pid = ?, chip = ?, uid = ?, "
        "read_back = NULL, claimed_ms = ?, recorded_ms = NULL WHERE code = ?",
        {Text(r.station.host), Text(r.station.name), Int(r.station.pid), Text(r.chip), Text(r.uid),
         Int(now), CodeValue(again->code)})
        .finish();
    claim.kind = Claim::Kind::Code;
    claim.source =
        again->state == CodeState::Failed ? Claim::Source::OwnFailed : Claim::Source::Released;
    claim.code = again->code;
    claim.number = again->number;
    claim.more = true;
    return claim;
  }
  // The counter's next code. One another series holds is passed over: the UNIQUE constraint
  // keeps it out.
  uint64_t index = series.nextIndex;
  for (int skipped = 0;; ++index, ++skipped) {
    const auto number = NumberAt(series.plan, index);
    if (!number) {
      claim.kind = Claim::Kind::SeriesDone;
      break;
    }
    const uint64_t code = CodeOf(series.plan, *number);
    QSqlQuery& insert = Run(
        "INSERT INTO codes (code, series_id, kind, country, number, state, host, port, pid, chip, "
        "uid, claimed_ms) VALUES (?, ?, ?, ?, ?, 'claimed', ?, ?, ?, ?, ?, ?) ON CONFLICT (code) "
        "DO NOTHING",
        {CodeValue(code), Int(series.id), Text(KindName(series.plan.kind)),
         Int(series.plan.country), Int(static_cast<int64_t>(*number)), Text(r.station.host),
         Text(r.station.name), Int(r.station.pid), Text(r.chip), Text(r.uid), Int(now)});
    const bool inserted = insert.numRowsAffected() == 1;
    insert.finish();
    if (!inserted) {
      if (auto held = first("code = ?", {CodeValue(code)})) claim.skipped.push_back(*held);
      if (skipped >= kMaxSkipped)
        throw DatabaseError(target_.Display() + ": more than " + std::to_string(kMaxSkipped) +
                            " codes of the series are held by other series");
      continue;
    }
    claim.kind = Claim::Kind::Code;
    claim.source = Claim::Source::Counter;
    claim.code = code;
    claim.number = *number;
    ++index;
    break;
  }
  if (index != series.nextIndex)
    Run("UPDATE series SET next_index = ? WHERE id = ?",
        {Int(static_cast<int64_t>(index)), Int(series.id)})
        .finish();
  // Whether a code is left after this one (released codes only matter once the counter is done).
  claim.more = NumberAt(series.plan, index).has_value();
  if (!claim.more) {
    QSqlQuery& q = Run("SELECT COUNT(*) FROM codes WHERE series_id = ? AND state = 'released'",
                       {Int(series.id)});
    claim.more = q.next() && q.value(0).toLongLong() > 0;
    q.finish();
  }
  return claim;
}

bool Ledger::Record(uint64_t code, const Station& station, const std::string& chip,
                    const Outcome& outcome) {
  // The record does not wait for the disk. Lost in a power failure, it leaves its code claimed:
  // an orphan that no claim takes. The claim, which must be there before a tag carries the code,
  // does wait (and on SQLite puts this record on the disk with it).
  const bool sqlite = target_.backend == Target::Backend::Sqlite;
  if (sqlite) Exec("PRAGMA synchronous=NORMAL");
  bool recorded = false;
  {
    Transaction t(*this);
    if (!sqlite) Exec("SET LOCAL synchronous_commit TO OFF");
    const int64_t now = NowMs();
    QSqlQuery& q =
        Run("UPDATE codes SET state = ?, read_back = ?, uid = ?, chip = ?, recorded_ms = ? WHERE "
            "code = ? AND state = 'claimed' AND host = ? AND port = ?",
            {Text(outcome.ok ? "verified" : "failed"), OptionalCode(outcome.readBack),
             Text(outcome.uid), Text(chip), Int(now), CodeValue(code), Text(station.host),
             Text(station.name)});
    recorded = q.numRowsAffected() == 1;
    q.finish();
    if (recorded) {
      Run("INSERT INTO records (series_id, code, time_ms, host, port, chip, uid, read_back, ok) "
          "SELECT series_id, code, ?, ?, ?, ?, ?, ?, ? FROM codes WHERE code = ?",
          {Int(now), Text(station.host), Text(station.name), Text(chip), Text(outcome.uid),
           OptionalCode(outcome.readBack), Int(outcome.ok ? 1 : 0), CodeValue(code)})
          .finish();
      t.Commit();
    }
  }
  if (sqlite) Exec("PRAGMA synchronous=FULL");
  return recorded;
}

std::optional<CodeRecord> Ledger::FindCode(uint64_t code) {
  QSqlQuery& q =
      Run(std::string("SELECT ") + kCodeColumns + " FROM codes WHERE code = ?", {CodeValue(code)});
  std::optional<CodeRecord> r;
  if (q.next()) r = CodeFrom(q);
  q.finish();
  return r;
}

std::vector<CodeRecord> Ledger::Unfinished() {
  if (empty_) return {};
  QSqlQuery& q = Run(std::string("SELECT ") + kCodeColumns +
                         " FROM codes WHERE state IN ('claimed', 'failed') ORDER BY series_id, "
                         "number",
                     {});
  std::vector<CodeRecord> all;
  while (q.next()) all.push_back(CodeFrom(q));
  q.finish();
  return all;
}

bool Ledger::SetState(uint64_t code, CodeState from, CodeState to) {
  Transaction t(*this);
  QSqlQuery& q = Run("UPDATE codes SET state = ?, recorded_ms = ? WHERE code = ? AND state = ?",
                     {Text(StateName(to)), Int(NowMs()), CodeValue(code), Text(StateName(from))});
  const int changed = q.numRowsAffected();
  q.finish();
  t.Commit();
  return changed == 1;
}

bool Ledger::Release(uint64_t code, CodeState from) {
  return SetState(code, from, CodeState::Released);
}

bool Ledger::Void(uint64_t code, CodeState from) {
  return SetState(code, from, CodeState::Void);
}

std::vector<TagRecord> Ledger::Records(int64_t seriesId) {
  if (empty_) return {};
  QSqlQuery& q =
      Run("SELECT time_ms, host, port, chip, code, read_back, ok, uid FROM records WHERE "
          "series_id = ? ORDER BY id",
          {Int(seriesId)});
  std::vector<TagRecord> all;
  while (q.next()) {
    TagRecord r;
    r.seriesId = seriesId;
    r.timeMs = q.value(0).toLongLong();
    r.station.host = AsText(q.value(1));
    r.station.name = AsText(q.value(2));
    r.chip = AsText(q.value(3));
    r.code = AsCode(q.value(4));
    if (!q.value(5).isNull()) r.readBack = AsCode(q.value(5));
    r.ok = q.value(6).toLongLong() != 0;
    r.uid = AsText(q.value(7));
    all.push_back(std::move(r));
  }
  q.finish();
  return all;
}

}  // namespace ledger
