// The code ledger on both databases: the states of a code as stations claim, verify, fail, die,
// release and void; tags that must not be written; series joined, planned and refused; the end of
// a series; the schema made, refused and the files the SQLite ledger makes. Each PostgreSQL case
// starts a private server; one that cannot start fails the case.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <filesystem>
#include <memory>
#include <thread>

#include "codec/animal_id.h"
#include "ledger/ledger.h"
#include "tests/support/temp_config.h"
#include "tests/support/test_ledger.h"
#include "tests/support/wait.h"

using namespace ledger;

namespace {

uint64_t Animal(unsigned country, uint64_t national) {
  return CodeOf(CodeKind::Animal, country, national);
}

SeriesPlan Plan(uint64_t first, std::optional<uint64_t> planned = std::nullopt,
                uint64_t increment = 1, unsigned country = 392) {
  return {CodeKind::Animal, country, first, increment, planned};
}

const Station kA{"line1", "COM3", 101};
const Station kB{"line2", "/dev/ttyUSB0", 202};

class LedgerTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    auto t = ParseTarget(ledger_.Uri(), nullptr);
    ASSERT_TRUE(t) << ledger_.Uri();
    target_ = *t;
    pg_ = ledger_.Server();
  }

  std::unique_ptr<Ledger> Open() { return std::make_unique<Ledger>(target_); }

  // A series made in the ledger.
  Series Made(Ledger& l, const SeriesPlan& plan) {
    const SeriesChoice c = l.JoinOrCreate(plan, std::nullopt, true);
    EXPECT_EQ(c.kind, SeriesChoice::Kind::Created);
    return c.series;
  }

  static Claim ClaimFor(Ledger& l, const Series& s, const Station& st, const std::string& uid,
                        std::optional<uint64_t> tagCode = std::nullopt) {
    return l.ClaimNext({s.id, st, "SIC7888", uid, tagCode});
  }

  // A raw connection for looking under the ledger's hood.
  QSqlDatabase Raw() {
    QSqlDatabase db = QSqlDatabase::addDatabase(
        target_.backend == Target::Backend::Sqlite ? "QSQLITE" : "QPSQL", "raw");
    if (target_.backend == Target::Backend::Sqlite) {
      db.setDatabaseName(QString::fromStdString(target_.path));
    } else {
      db.setDatabaseName(QString::fromStdString(target_.database));
      db.setHostName(QString::fromStdString(target_.host));
      db.setUserName(QString::fromStdString(target_.user));
    }
    EXPECT_TRUE(db.open());
    return db;
  }

  TempConfig config_;
  TestLedger ledger_{GetParam(), config_.Dir()};
  PgCluster* pg_ = nullptr;
  Target target_;
};

}  // namespace

TEST_P(LedgerTest, CodesGoFromClaimToVerifiedOrFailedAndAClaimNoStationRecordedIsNeverReissued) {
  auto l = Open();
  const Series s = Made(*l, Plan(100, 20));

  const Claim a1 = ClaimFor(*l, s, kA, "78 88 00 01");
  const Claim b1 = ClaimFor(*l, s, kB, "78 88 00 02");
  ASSERT_EQ(a1.kind, Claim::Kind::Code);
  ASSERT_EQ(b1.kind, Claim::Kind::Code);
  EXPECT_EQ(a1.code, Animal(392, 100));
  EXPECT_EQ(b1.code, Animal(392, 101));
  EXPECT_EQ(a1.source, Claim::Source::Counter);
  ASSERT_TRUE(l->Record(a1.code, kA, "SIC7888", {true, a1.code, "78 88 00 01"}));
  ASSERT_TRUE(l->Record(b1.code, kB, "SIC7888", {false, Animal(392, 1101), "78 88 00 02"}));
  // Recording twice is refused: the code is no longer a claim.
  EXPECT_FALSE(l->Record(a1.code, kA, "SIC7888", {true, a1.code, "78 88 00 01"}));

  // The failed code stays B's: A gets the next one, B its failed one for its next tag.
  const Claim a2 = ClaimFor(*l, s, kA, "78 88 00 03");
  const Claim b2 = ClaimFor(*l, s, kB, "78 88 00 04");
  EXPECT_EQ(a2.code, Animal(392, 102));
  EXPECT_EQ(b2.code, Animal(392, 101));
  EXPECT_EQ(b2.source, Claim::Source::OwnFailed);
  ASSERT_TRUE(l->Record(b2.code, kB, "SIC7888", {true, b2.code, "78 88 00 04"}));
  // A dies with 102 in hand: nobody gets it again.
  const Claim b3 = ClaimFor(*l, s, kB, "78 88 00 05");
  EXPECT_EQ(b3.code, Animal(392, 103));
  ASSERT_TRUE(l->Record(b3.code, kB, "SIC7888", {true, b3.code, "78 88 00 05"}));
  const Claim a3 = ClaimFor(*l, s, Station{"line1", "COM3", 102}, "78 88 00 06");
  EXPECT_EQ(a3.code, Animal(392, 104));

  const auto unfinished = l->Unfinished();
  ASSERT_EQ(unfinished.size(), 2u);
  EXPECT_EQ(unfinished[0].code, Animal(392, 102));
  EXPECT_EQ(unfinished[0].state, CodeState::Claimed);
  EXPECT_EQ(unfinished[0].station.pid, 101);
  EXPECT_EQ(unfinished[0].uid, "78 88 00 03");
  EXPECT_EQ(unfinished[1].code, Animal(392, 104));

  const auto found = l->FindCode(Animal(392, 101));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->state, CodeState::Verified);
  EXPECT_EQ(found->station.host, "line2");
  EXPECT_EQ(found->station.name, "/dev/ttyUSB0");
  EXPECT_EQ(found->readBack, Animal(392, 101));
  EXPECT_TRUE(found->recordedMs.has_value());
  EXPECT_FALSE(l->FindCode(Animal(392, 105)));

  // Every tag written is a record: B's failure with what it read back included.
  const auto records = l->Records(s.id);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].code, Animal(392, 100));
  EXPECT_TRUE(records[0].ok);
  EXPECT_EQ(records[1].code, Animal(392, 101));
  EXPECT_FALSE(records[1].ok);
  EXPECT_EQ(records[1].readBack, Animal(392, 1101));
  EXPECT_EQ(records[1].uid, "78 88 00 02");
  EXPECT_EQ(records[2].code, Animal(392, 101));
  EXPECT_TRUE(records[2].ok);
  EXPECT_EQ(records[2].station.name, "/dev/ttyUSB0");

  const auto progress = l->Progress();
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0].verified, 3u);
  EXPECT_EQ(progress[0].claimed, 2u);
  EXPECT_EQ(progress[0].failed, 0u);
  EXPECT_EQ(progress[0].codesLeft, 15u);
  EXPECT_GT(progress[0].lastMs, 0);
}

TEST_P(LedgerTest, AReleasedCodeIsTheNextClaimOfAnyStationAndAVoidOneIsNeverHandedOutAgain) {
  auto l = Open();
  const Series s = Made(*l, Plan(500, 3));
  const Claim a = ClaimFor(*l, s, kA, "01");
  const Claim b = ClaimFor(*l, s, kB, "02");
  // A's claim is given back; B's is voided while B still holds it.
  EXPECT_FALSE(l->Release(a.code, CodeState::Failed));  // not in that state
  ASSERT_TRUE(l->Release(a.code, CodeState::Claimed));
  ASSERT_TRUE(l->Void(b.code, CodeState::Claimed));
  EXPECT_FALSE(l->Record(b.code, kB, "SIC7888", {true, b.code, "02"}));
  EXPECT_EQ(l->CodesLeft(s.id), 2u);  // 502 and the released 500

  const Claim next = ClaimFor(*l, s, kB, "03");
  EXPECT_EQ(next.code, Animal(392, 500));
  EXPECT_EQ(next.source, Claim::Source::Released);
  ASSERT_TRUE(l->Record(next.code, kB, "SIC7888", {true, next.code, "03"}));
  const Claim last = ClaimFor(*l, s, kA, "04");
  EXPECT_EQ(last.code, Animal(392, 502));
  EXPECT_EQ(ClaimFor(*l, s, kA, "05").kind, Claim::Kind::SeriesDone);
  EXPECT_EQ(l->FindCode(b.code)->state, CodeState::Void);
  // A verified code is neither released nor voided.
  EXPECT_FALSE(l->Void(next.code, CodeState::Claimed));
  EXPECT_EQ(l->FindCode(next.code)->state, CodeState::Verified);
}

TEST_P(LedgerTest, ATagThatCarriesAVerifiedCodeOrWhoseUidGotOneIsNotGivenAnother) {
  auto l = Open();
  const Series s = Made(*l, Plan(1, 10));
  const Claim first = ClaimFor(*l, s, kA, "AA BB");
  ASSERT_TRUE(l->Record(first.code, kA, "SIC7888", {true, first.code, "AA BB"}));

  const Claim carries = ClaimFor(*l, s, kB, "CC DD", first.code);
  EXPECT_EQ(carries.kind, Claim::Kind::TagCarriesVerified);
  EXPECT_EQ(carries.other.code, first.code);
  const Claim sameUid = ClaimFor(*l, s, kB, "AA BB", Animal(392, 999));
  EXPECT_EQ(sameUid.kind, Claim::Kind::TagUidVerified);
  EXPECT_EQ(sameUid.other.code, first.code);
  // Neither took a code; a blank tag with another UID gets the next one.
  const Claim blank = ClaimFor(*l, s, kB, "EE FF", Animal(392, 0));
  EXPECT_EQ(blank.kind, Claim::Kind::Code);
  EXPECT_EQ(blank.code, Animal(392, 2));
}

TEST_P(LedgerTest, ASeriesIsJoinedByItsFirstCodeAndANewOneMustNotReachCodesThatMayBeOnTags) {
  auto l = Open();
  const Series s = Made(*l, Plan(100, 200));
  const SeriesChoice again = l->JoinOrCreate(Plan(100), std::nullopt, true);
  EXPECT_EQ(again.kind, SeriesChoice::Kind::Joined);
  EXPECT_EQ(again.series.id, s.id);
  EXPECT_EQ(again.series.plan.planned, 200u);
  EXPECT_EQ(l->JoinOrCreate(Plan(100, 300), std::nullopt, false).kind,
            SeriesChoice::Kind::PlanDiffers);

  // Codes 100 (verified), 101 (failed), 102 (claimed) may be on tags; 103 was voided.
  for (bool ok : {true, false}) {
    const Claim c = ClaimFor(*l, s, ok ? kA : kB, ok ? "01" : "02");
    ASSERT_TRUE(l->Record(c.code, ok ? kA : kB, "SIC7888", {ok, std::nullopt, ""}));
  }
  ClaimFor(*l, s, kA, "03");
  ASSERT_TRUE(l->Void(ClaimFor(*l, s, kA, "04").code, CodeState::Claimed));

  struct Case {
    SeriesPlan plan;
    std::optional<uint64_t> runCount;
    std::optional<uint64_t> overlap;  // national ID of the first code in the way
  } const cases[] = {
      {Plan(90, 11), std::nullopt, 100},           // its last code is 100
      {Plan(90, 10), std::nullopt, std::nullopt},  // stops at 99
      {Plan(90), 5, std::nullopt},                 // a run of 5 codes
      {Plan(90), std::nullopt, 100},               // nothing planned: every code up to the end
      {Plan(101, 5, 1), std::nullopt, 101},        // a failed code
      {Plan(102, 1), std::nullopt, 102},           // a claimed one
      {Plan(103, 1), std::nullopt, std::nullopt},  // a void code is on no tag
      {Plan(99, 3, 2), std::nullopt, 101},         // 99, 101, 103
      {Plan(96, 2, 4), std::nullopt, 100},         // 96, 100
      {Plan(97, 2, 4), std::nullopt, 101},         // 97, 101
      {Plan(100, 5, 1, 393), std::nullopt, std::nullopt},  // another country
  };
  for (const Case& c : cases) {
    const SeriesChoice choice = l->JoinOrCreate(c.plan, c.runCount, false);
    const std::string name = std::to_string(c.plan.first) + "+" + std::to_string(c.plan.increment) +
                             " x" + std::to_string(c.plan.planned.value_or(0));
    if (c.overlap) {
      EXPECT_EQ(choice.kind, SeriesChoice::Kind::Overlap) << name;
      EXPECT_EQ(choice.overlap.code, Animal(392, *c.overlap)) << name;
    } else {
      EXPECT_EQ(choice.kind, SeriesChoice::Kind::Created) << name;
    }
  }
  // Checking made nothing; an industrial series stands apart from animal codes.
  EXPECT_EQ(l->Progress().size(), 1u);
  const SeriesChoice industrial =
      l->JoinOrCreate({CodeKind::Industrial, 0, 100, 1, std::nullopt}, std::nullopt, true);
  EXPECT_EQ(industrial.kind, SeriesChoice::Kind::Created);
  EXPECT_EQ(l->Progress().size(), 2u);
}

TEST_P(LedgerTest, CodesAnotherSeriesHoldsArePassedOverAndTheSeriesEndsWhereItsPlanEnds) {
  auto l = Open();
  // Two series planned before either had codes: their ranges cross at 200-202.
  const Series a = Made(*l, Plan(200, 3));
  const Series b = Made(*l, Plan(198, 6));
  for (int i = 0; i < 2; ++i) ClaimFor(*l, a, kA, "A" + std::to_string(i));
  std::vector<uint64_t> got;
  Claim c;
  while ((c = ClaimFor(*l, b, kB, "B")).kind == Claim::Kind::Code) {
    got.push_back(c.code);
    if (c.code == Animal(392, 202)) {
      ASSERT_EQ(c.skipped.size(), 2u);
      EXPECT_EQ(c.skipped[0].code, Animal(392, 200));
      EXPECT_EQ(c.skipped[1].seriesId, a.id);
    }
  }
  EXPECT_EQ(got, (std::vector<uint64_t>{Animal(392, 198), Animal(392, 199), Animal(392, 202),
                                        Animal(392, 203)}));
  EXPECT_EQ(l->CodesLeft(b.id), 0u);
  // A's last code went to B: A ends early.
  EXPECT_EQ(ClaimFor(*l, a, kA, "A2").kind, Claim::Kind::SeriesDone);

  // Industrial numbers end at 2^63 - 1.
  const Series top = Made(*l, {CodeKind::Industrial, 0, 9223372036854775806u, 1, std::nullopt});
  EXPECT_EQ(l->CodesLeft(top.id), 2u);
  EXPECT_EQ(ClaimFor(*l, top, kA, "1").code, 9223372036854775806u);
  EXPECT_EQ(ClaimFor(*l, top, kA, "2").code, 9223372036854775807u);
  EXPECT_EQ(ClaimFor(*l, top, kA, "3").kind, Claim::Kind::SeriesDone);
}

TEST_P(LedgerTest, TheSeriesOfAStationsLastClaimIsWhereItResumes) {
  auto l = Open();
  EXPECT_FALSE(l->LastSeries());
  const Series s1 = Made(*l, Plan(10));
  EXPECT_EQ(l->LastSeries()->id, s1.id);  // no claim yet: the last one made
  const Series s2 = Made(*l, Plan(1000));
  ClaimFor(*l, s2, kA, "1");
  ClaimFor(*l, s1, kB, "2");
  EXPECT_EQ(l->LastSeriesOf(kA)->id, s2.id);
  EXPECT_EQ(l->LastSeriesOf(kB)->id, s1.id);
  EXPECT_FALSE(l->LastSeriesOf(Station{"line3", "COM3", 1}));
  EXPECT_EQ(l->LastSeries()->id, s1.id);
}

TEST_P(LedgerTest, AnEmptyDatabaseGetsTheSchemaAndANewerSchemaIsRefused) {
  if (target_.backend == Target::Backend::Sqlite)
    TempConfig::WriteFile(target_.path, "");  // an empty file is an empty database
  {
    auto l = Open();
    Made(*l, Plan(1));
  }
  {
    QSqlDatabase db = Raw();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("SELECT version FROM schema_version"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), Ledger::kSchemaVersion);
    EXPECT_FALSE(q.next());
    // Opening again keeps the data.
    EXPECT_EQ(Open()->Progress().size(), 1u);
    ASSERT_TRUE(q.exec("UPDATE schema_version SET version = 7"));
  }
  QSqlDatabase::removeDatabase("raw");
  try {
    Open();
    ADD_FAILURE() << "a newer schema was opened";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(std::string(e.what()),
              target_.Display() +
                  ": the ledger has schema version 7, newer than this program knows (2); use a "
                  "newer qzh900ctl");
  }
}

TEST_P(LedgerTest, ADatabaseThatCannotBeReachedIsAnErrorNamingTheLedger) {
  if (target_.backend == Target::Backend::Sqlite) {
    // A file that is no database.
    TempConfig::WriteFile(target_.path, std::string(4096, 'x'));
    try {
      Open();
      ADD_FAILURE() << "a file that is no database was opened";
    } catch (const DatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find("sqlite:" + target_.path + ": "), std::string::npos)
          << e.what();
      EXPECT_NE(std::string(e.what()).find("not a database"), std::string::npos) << e.what();
    }
    return;
  }
  auto l = Open();
  const Series s = Made(*l, Plan(1));
  const Claim c = ClaimFor(*l, s, kA, "1");
  pg_->Stop();
  for (auto call : std::vector<std::function<void()>>{
           [&] { ClaimFor(*l, s, kA, "2"); },
           [&] {
             l->Record(c.code, kA, "SIC7888", {true, c.code, "1"});
           },
       }) {
    try {
      call();
      ADD_FAILURE() << "a stopped server answered";
    } catch (const DatabaseError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(target_.Display() + ": ", 0), 0u) << e.what();
    }
  }
  try {
    Open();
    ADD_FAILURE() << "a stopped server was opened";
  } catch (const DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find(pg_->Dir()), std::string::npos) << e.what();
  }
  // Back again: the claim made before the stop is still a claim.
  pg_->Start();
  EXPECT_EQ(Open()->FindCode(c.code)->state, CodeState::Claimed);
}

// Another program's database: refused by a station and by a look, and left exactly as it was (on
// SQLite its bytes and its journal mode). A look at a ledger of its own changes nothing either.
TEST_P(LedgerTest, AnotherProgramsDatabaseIsRefusedAndLeftAsItWasAndALookChangesNothing) {
  const bool sqlite = target_.backend == Target::Backend::Sqlite;
  {
    QSqlDatabase db = Raw();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("CREATE TABLE herd (tag TEXT)"));
    ASSERT_TRUE(q.exec("INSERT INTO herd VALUES ('a')"));
  }
  QSqlDatabase::removeDatabase("raw");
  const std::string before = sqlite ? TempConfig::ReadFile(target_.path) : "";
  for (Access access : {Access::Station, Access::Look}) {
    try {
      Ledger l(target_, access);
      ADD_FAILURE() << "another program's database was opened";
    } catch (const DatabaseError& e) {
      EXPECT_EQ(std::string(e.what()),
                target_.Display() +
                    ": the database holds tables but no schema_version: it is not a code ledger "
                    "(another program's?) and is left as it is; give the ledger a database of its "
                    "own");
    }
  }
  {
    QSqlDatabase db = Raw();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(sqlite ? "SELECT COUNT(*) FROM sqlite_master"
                              : "SELECT COUNT(*) FROM information_schema.tables WHERE "
                                "table_schema = current_schema()"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1) << "a table was added";
    if (sqlite) {
      ASSERT_TRUE(q.exec("PRAGMA journal_mode"));
      ASSERT_TRUE(q.next());
      EXPECT_EQ(q.value(0).toString(), "delete");
    }
  }
  QSqlDatabase::removeDatabase("raw");
  if (!sqlite) return;
  EXPECT_EQ(TempConfig::ReadFile(target_.path), before);
  // A look at a file that is not there makes none: the ledger is empty.
  Target missing = target_;
  missing.path = config_.Path("none.sqlite");
  EXPECT_TRUE(Ledger(missing, Access::Look).Progress().empty());
  EXPECT_FALSE(std::filesystem::exists(missing.path));
}

// Stations that start together on an empty database: another station makes the ledger's tables
// just after this one's first look. This one opens the new ledger; it does not take it for
// another program's database.
TEST_P(LedgerTest, AStationThatLooksWhileAnotherMakesTheTablesOpensTheLedger) {
  if (target_.backend == Target::Backend::Sqlite) TempConfig::WriteFile(target_.path, "");
  Ledger::betweenLooks = [&] {
    Ledger::betweenLooks = nullptr;
    Ledger other(target_);
    other.JoinOrCreate(Plan(1), std::nullopt, true);
  };
  std::unique_ptr<Ledger> l;
  EXPECT_NO_THROW(l = Open());
  Ledger::betweenLooks = nullptr;
  ASSERT_TRUE(l);
  EXPECT_EQ(l->Progress().size(), 1u);
}

// A station that starts late: between its look for the series and its look for codes a new
// series would reach, another station makes the series and claims its first code. That code is
// the series' own, no overlap: the station joins the series.
TEST_P(LedgerTest, AStationThatJoinsWhileAnotherMakesTheSeriesAndClaimsJoinsIt) {
  auto l = Open();
  Ledger::betweenSeriesLooks = [&] {
    Ledger::betweenSeriesLooks = nullptr;
    Ledger other(target_);
    const Series s = other.JoinOrCreate(Plan(1000, 200), std::nullopt, true).series;
    EXPECT_EQ(ClaimFor(other, s, kB, "1").code, Animal(392, 1000));
  };
  const SeriesChoice c = l->JoinOrCreate(Plan(1000, 200), 50, false);
  Ledger::betweenSeriesLooks = nullptr;
  EXPECT_EQ(c.kind, SeriesChoice::Kind::Joined);
  EXPECT_EQ(c.series.id, 1);
}

// A station on an SQLite ledger claims only from the file it opened: the file deleted (another
// station started now would make a new ledger and hand out the same codes) or replaced stops it.
TEST(LedgerFiles, AClaimFromALedgerFileThatWasDeletedOrReplacedIsRefused) {
  TempConfig dir;
  auto target = ParseTarget("sqlite:" + dir.Path("l.sqlite"), nullptr);
  for (const bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "replaced" : "deleted");
    for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(target->path + end);
    Ledger l(*target);
    const Series s = l.JoinOrCreate(Plan(1), std::nullopt, true).series;
    EXPECT_EQ(l.ClaimNext({s.id, kA, "SIC7888", "1", {}}).kind, Claim::Kind::Code);
    std::filesystem::remove(target->path);
    if (replace) TempConfig::WriteFile(target->path, "");
    try {
      l.ClaimNext({s.id, kA, "SIC7888", "2", {}});
      ADD_FAILURE() << "a claim from a file that is gone";
    } catch (const DatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find("the ledger file is no longer the one this station "
                                           "opened (deleted or replaced)"),
                std::string::npos)
          << e.what();
    }
  }
}

// The server goes away as a claim commits: the claim may have been committed, so its code is named.
TEST(LedgerOnPostgresql, AClaimWhoseCommitFailsNamesItsCode) {
  PgCluster pg;
  auto target = ParseTarget(pg.Uri(), nullptr);
  Ledger l(*target);
  const Series s = l.JoinOrCreate(Plan(40), std::nullopt, true).series;
  l.beforeClaimCommit = [&](uint64_t) { pg.Stop(); };
  try {
    l.ClaimNext({s.id, kA, "SIC7888", "1", {}});
    ADD_FAILURE() << "a claim committed on a stopped server";
  } catch (const UncertainClaim& e) {
    EXPECT_EQ(e.code, Animal(392, 40));
    EXPECT_EQ(std::string(e.what()).find("()"), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, LedgerTest, kBothLedgers, LedgerName);

TEST(LedgerFiles, TheFolderIsMadePrivateAndALinkPlantedForTheFileIsNotFollowed) {
  TempConfig config;
  const std::string dir = config.Path("share/norvik/QZH900Tool");
  Target t = DefaultTarget();
  ASSERT_EQ(t.path, dir + "/ledger.sqlite");
  { Ledger l(t); }
  struct stat st {};
  for (const std::string& d : {config.Path("share"), config.Path("share/norvik"), dir}) {
    ASSERT_EQ(::stat(d.c_str(), &st), 0) << d;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << d;
  }
  ASSERT_EQ(::stat(t.path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // A dangling link where a new ledger would be made: refused, nothing made at its target.
  t.path = config.Path("planted.sqlite");
  const std::string victim = config.Path("victim");
  ASSERT_EQ(::symlink(victim.c_str(), t.path.c_str()), 0);
  try {
    Ledger l(t);
    ADD_FAILURE() << "the link was followed";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), "sqlite:" + t.path + ": not a regular file (a symbolic link)");
  }
  EXPECT_FALSE(std::filesystem::exists(victim));
  // A folder where the file belongs.
  t.path = config.Dir();
  EXPECT_THROW(Ledger{t}, DatabaseError);
}

// Stations that start on a new ledger together: one writes the file's first pages while another
// opens it. The other waits for the write and then finds the schema made, it does not fail with
// "database is locked".
TEST(LedgerFiles, AStationOpeningANewLedgerWhileAnotherWritesItsFirstPagesWaitsForIt) {
  TempConfig config;
  Target t = DefaultTarget();
  t.path = config.Path("new.sqlite");
  QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "first-station");
  other.setDatabaseName(QString::fromStdString(t.path));
  ASSERT_TRUE(other.open());
  ASSERT_TRUE(QSqlQuery(other).exec("BEGIN IMMEDIATE"));

  const uint64_t retriesBefore = Ledger::WalRetries();
  std::atomic<bool> done{false};
  std::string error;
  std::vector<SeriesProgress> progress;
  std::thread second([&] {
    try {
      Ledger l(t);
      progress = l.Progress();
    } catch (const std::exception& e) {
      error = e.what();
    }
    done = true;
  });
  // The second station has met the first one's lock (or given up) before the lock goes.
  EXPECT_TRUE(
      test_support::PumpUntil([&] { return done || Ledger::WalRetries() > retriesBefore; }));
  EXPECT_TRUE(QSqlQuery(other).exec("ROLLBACK"));
  second.join();
  EXPECT_EQ(error, "");
  EXPECT_GT(Ledger::WalRetries(), retriesBefore);
  EXPECT_TRUE(progress.empty());
  other.close();
  other = QSqlDatabase();
  QSqlDatabase::removeDatabase("first-station");
}
