// Which series a station works, through the real qzh900ctl against simulators on SQLite and on a
// private PostgreSQL server: --resume goes on with exactly the series the operator means (the one
// of the results file, the one --series names, the one of the station's last claim) or refuses,
// listing the open series; one results file holds one series; a station is its name, not the
// port its reader is on now; and the misuse that would hand a code out twice is refused.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <filesystem>

#include "core/csv.h"
#include "production/series.h"
#include "sim/chips/sic7888.h"
#include "tests/cli/cli_rig.h"
#include "tests/support/test_ledger.h"
#include "tests/support/wait.h"

using namespace cli_test;

namespace {

size_t LineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A station that programs the one tag in its field, to its end.
Result OneTag(CliRig& rig, const sim::TagPtr& tag, const std::string& ledger,
              std::vector<std::string> args) {
  rig.field->Clear();
  rig.field->Insert(tag);
  args.insert(args.begin(),
              {"program", "--chip", "sic7888", "--count", "1", "--poll", "20", "--ledger", ledger});
  return rig.Run(args);
}

sim::TagPtr Blank(uint32_t uid) {
  return std::make_shared<sim::Sic7888Tag>(uid);
}

bool Written(const sim::TagPtr& tag) {
  return static_cast<sim::Sic7888Tag&>(*tag).BlockAt(1) != sim::Sic7888Tag::Block{0, 0, 0, 0};
}

// The records of a results file after its header.
std::vector<std::vector<std::string>> Rows(const std::string& path) {
  const std::string text = TempConfig::ReadFile(path);
  csv::Reader reader(text);
  csv::Record record;
  std::vector<std::vector<std::string>> rows;
  for (bool header = true; reader.Next(record); header = false)
    if (!header) rows.push_back(record.fields);
  return rows;
}

// Line A programs animal codes into lineA.csv (series 1), line B industrial codes into lineB.csv
// (series 2), one tag each, on one ledger.
class Resume : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const Result a = OneTag(lineA_, Blank(0x78880001u), Uri(),
                            {"--country", "392", "--national", "500", "--csv", fileA_});
    ASSERT_EQ(a.status, 0) << a.err;
    const Result b =
        OneTag(lineB_, Blank(0x78880002u), Uri(), {"--industrial", "0x1000", "--csv", fileB_});
    ASSERT_EQ(b.status, 0) << b.err;
  }
  const std::string& Uri() const { return ledger_.Uri(); }

  CliRig lineA_, lineB_;
  TestLedger ledger_{GetParam(), lineA_.config.Dir()};
  const std::string fileA_ = lineA_.config.Path("lineA.csv");
  const std::string fileB_ = lineA_.config.Path("lineB.csv");
};

}  // namespace

// Line A's reader comes back on another port. Without its results file the station has no claim
// of its own and the run is refused, naming the open series; with the file it goes on with line
// A's animal series, never with line B's series, the ledger's last; --series N takes series N.
TEST_P(Resume, AReaderOnAnotherPortGoesOnWithTheSeriesItsResultsFileNames) {
  CliRig replugged;
  const std::string port = replugged.sim->DevicePath();

  const auto untouched = Blank(0x78880003u);
  const Result refused = OneTag(replugged, untouched, Uri(), {"--resume"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(LineCount(refused.err), 1u) << refused.err;
  EXPECT_EQ(refused.err.rfind("qzh900ctl program: --resume: the ledger holds no claim of the "
                              "station ",
                              0),
            0u)
      << refused.err;
  for (const std::string& part :
       {std::string(" " + port + "; open series of the ledger " + Uri() + ": "),
        std::string("series 1 (animal codes from 392 000000000500, step 1, open: 1 verified, 0 "
                    "in hand, "),
        std::string("series 2 (industrial codes from 0000000000000004096, step 1, open: 1 "
                    "verified, 0 in hand, "),
        std::string("; name one with --series N\n")})
    EXPECT_TRUE(Contains(refused.err, part)) << part << "\n" << refused.err;
  EXPECT_FALSE(Written(untouched));

  const Result resumed =
      OneTag(replugged, Blank(0x78880004u), Uri(), {"--resume", "--csv", fileA_});
  EXPECT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_TRUE(Contains(resumed.err,
                       "program: " + port +
                           ": SIC7888, animal codes from 392 000000000501, step 1, 1 tag, series 1 "
                           "(animal codes from 392 000000000500, step 1, open: 1 verified, 0 in "
                           "hand, "))
      << resumed.err;
  EXPECT_TRUE(Contains(resumed.err, "program: " + port + " [1/1] OK: 392 000000000501 verified"))
      << resumed.err;
  const auto rows = Rows(fileA_);
  ASSERT_EQ(rows.size(), 2u);
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 8u);
    EXPECT_EQ(rows[i][3], "392 00000000050" + std::to_string(i));
    EXPECT_EQ(rows[i][7], "1");
  }

  const Result named = OneTag(replugged, Blank(0x78880005u), Uri(), {"--resume", "--series", "2"});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_TRUE(Contains(named.err, "OK: 0000000000000004097 verified")) << named.err;
}

// Rows of one series per file: a run of another series is refused on a file of one, a file of two
// series or of another ledger names no series to resume; a file of an older version (seven
// columns, no series) is read and goes on with the series its codes belong to.
TEST_P(Resume, AResultsFileHoldsTheRowsOfOneSeries) {
  const std::string before = TempConfig::ReadFile(fileA_);
  const Result other =
      OneTag(lineA_, Blank(0x78880010u), Uri(), {"--industrial", "0x1000", "--csv", fileA_});
  EXPECT_EQ(other.status, 2);
  EXPECT_EQ(other.err,
            "qzh900ctl program: " + fileA_ +
                " holds rows of series 1; this run works series 2 (industrial codes "
                "0000000000000004096 + 1 x open): one results file, one series; give another "
                "--csv\n");
  EXPECT_EQ(TempConfig::ReadFile(fileA_), before);

  const std::string mixed = lineA_.config.Path("mixed.csv");
  TempConfig::WriteFile(mixed, before + TempConfig::ReadFile(fileB_).substr(
                                            TempConfig::ReadFile(fileB_).find('\n') + 1));
  const std::string foreign = lineA_.config.Path("foreign.csv");
  TempConfig::WriteFile(foreign, std::string(series::ResultsFile::kHeader) + "\n" +
                                     "2026-01-01 10:00:00,COM9,SIC7888,392 000000009999,392 "
                                     "000000009999,OK,78 88 00 09,9\n");
  for (const auto& [file, why] : std::vector<std::pair<std::string, std::string>>{
           {mixed, mixed + " holds rows of series 1 and 2; "},
           {foreign, foreign + " holds 392 000000009999 of series 9, which the ledger " + Uri() +
                         " does not hold: its rows belong to another ledger; "}}) {
    const auto tag = Blank(0x78880011u);
    const Result r = OneTag(lineA_, tag, Uri(), {"--resume", "--csv", file});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("qzh900ctl program: --resume: " + why + "open series of the ledger ", 0),
              0u)
        << r.err;
    EXPECT_FALSE(Written(tag));
  }

  // A file of an older version: its header and rows keep their seven columns, the new row has
  // the series.
  const std::string older = lineA_.config.Path("older.csv");
  const std::string olderText =
      "time,port,chip,written,read back,result,uid\n"
      "2026-01-01 10:00:00,COM9,SIC7888,392 000000000500,392 000000000500,OK,78 88 00 01\n";
  TempConfig::WriteFile(older, olderText);
  CliRig replugged;
  const Result resumed = OneTag(replugged, Blank(0x78880012u), Uri(), {"--resume", "--csv", older});
  EXPECT_EQ(resumed.status, 0) << resumed.err;
  const std::string now = TempConfig::ReadFile(older);
  EXPECT_EQ(now.rfind(olderText, 0), 0u) << now;
  const auto rows = Rows(older);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][3], "392 000000000501");
  EXPECT_EQ(rows[1][7], "1");
}

// The station keeps its name when its reader moves to another port: its failed code follows it.
// While it works, the ledger's status names it at its series, and a second run of the same
// station is refused.
TEST_P(Resume, AStationIsItsNameAndItsFailedCodeFollowsItToAnotherPort) {
  // The first tag takes no write (the chip stays silent): 392 000000000800 fails and stays with
  // the station lineA.
  const auto silent = std::make_shared<HookedSic7888>(
      0x78880020u, [] {}, HookedSic7888::HookAt::InsteadOfTheChip);
  const Result failed =
      OneTag(lineA_, silent, Uri(),
             {"--station", "lineA", "--country", "392", "--national", "800", "--on-fail", "stop"});
  EXPECT_EQ(failed.status, 1) << failed.err;
  EXPECT_TRUE(Contains(failed.err,
                       "program: lineA [1/1] NG: the write failed; 392 000000000800 "
                       "stays the next code"))
      << failed.err;

  // On line B's reader now, waiting for a tag.
  lineB_.field->Clear();
  auto station = lineB_.Start({"program", "--chip", "sic7888", "--count", "1", "--poll", "20",
                               "--ledger", Uri(), "--station", "lineA", "--resume"});
  std::optional<std::string> line;
  while ((line = station->NextErrorLine(test_support::kPatience)) &&
         !Contains(*line, "waiting for a tag")) {
  }
  ASSERT_TRUE(line.has_value()) << station->err;
  EXPECT_EQ(*line, "program: lineA [1/1] waiting for a tag");

  const Result status = lineA_.Run({"ledger", "status", "--ledger", Uri()});
  EXPECT_EQ(status.status, 0) << status.err;
  EXPECT_TRUE(Contains(status.out, " lineA (pid " + std::to_string(station->Pid()) + ")"))
      << status.out;
  const Result twice = lineA_.Run({"program", "--chip", "sic7888", "--ledger", Uri(), "--station",
                                   "lineA", "--resume", "--poll", "20"});
  EXPECT_EQ(twice.status, 2);
  EXPECT_TRUE(Contains(twice.err, " lineA runs already (pid " + std::to_string(station->Pid()) +
                                      ", on " + lineB_.sim->DevicePath() +
                                      "); give each station its own --station\n"))
      << twice.err;

  lineB_.field->Insert(Blank(0x78880021u));
  EXPECT_EQ(station->Wait(test_support::kPatience), 0) << station->err;
  EXPECT_TRUE(Contains(station->err, "program: lineA [1/1] OK: 392 000000000800 verified"))
      << station->err;
  const Result after = lineA_.Run({"ledger", "status", "--ledger", Uri()});
  EXPECT_FALSE(Contains(after.out, "working")) << after.out;
}

INSTANTIATE_TEST_SUITE_P(Ledgers, Resume, kBothLedgers, LedgerName);

// A ledger file deleted while a station waits for a tag: its next claim would come from a file
// no other station sees; it stops before writing the tag.
TEST(StationLedgerFile, ALedgerFileDeletedUnderAStationStopsItBeforeTheTagIsWritten) {
  CliRig rig;
  const std::string path = rig.config.Path("led.sqlite");
  auto station = rig.Start({"program", "--chip", "sic7888", "--country", "392", "--national", "1",
                            "--ledger", "sqlite:" + path, "--poll", "20"});
  std::optional<std::string> line;
  while ((line = station->NextErrorLine(test_support::kPatience)) &&
         !Contains(*line, "waiting for a tag")) {
  }
  ASSERT_TRUE(line.has_value()) << station->err;
  for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(path + end);
  const auto tag = Blank(0x78880030u);
  rig.field->Insert(tag);
  EXPECT_EQ(station->Wait(test_support::kPatience), 2) << station->err;
  EXPECT_TRUE(Contains(station->err,
                       "qzh900ctl program: ledger sqlite:" + path +
                           ": the ledger file is no longer the one this station opened (deleted "
                           "or replaced); claiming on would hand out codes that another ledger "
                           "hands out too; stopped before writing the tag in the field\n"))
      << station->err;
  EXPECT_FALSE(Written(tag));
}

// Another program's SQLite file is neither a station's ledger nor looked at: it stays as it was,
// byte for byte.
TEST(StationLedgerFile, AnotherProgramsDatabaseIsRefusedAndLeftAsItWas) {
  CliRig rig;
  const std::string path = rig.config.Path("other.db");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
    db.setDatabaseName(QString::fromStdString(path));
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("CREATE TABLE herd (tag TEXT)"));
    ASSERT_TRUE(q.exec("INSERT INTO herd VALUES ('a')"));
  }
  QSqlDatabase::removeDatabase("other");
  const std::string before = TempConfig::ReadFile(path);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"ledger", "status"},
           {"ledger", "orphans"},
           {"ledger", "export"},
           {"program", "--chip", "sic7888", "--country", "392", "--national", "1"}}) {
    std::vector<std::string> run = args;
    run.insert(run.end(), {"--ledger", "sqlite:" + path});
    const Result r = rig.Run(run);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_TRUE(Contains(r.err,
                         "the database holds tables but no schema_version: it is not a "
                         "code ledger (another program's?) and is left as it is"))
        << r.err;
  }
  EXPECT_EQ(TempConfig::ReadFile(path), before);
  EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
}

// The results file fails under a station (the file may grow no further: EFBIG): the tag in hand
// was verified and recorded in the ledger, so the summary counts it, and the station stops with
// exit 2 and the row.
TEST(StationResults, ATagWhoseRowCannotBeWrittenIsCountedAsItIs) {
  CliRig rig;
  TestLedger ledger("postgresql", rig.config.Dir());  // the server writes the ledger, not the child
  const std::string csv = rig.config.Path("full.csv");
  std::string text = std::string(series::ResultsFile::kHeader) + "\n";
  while (text.size() < (size_t{1} << 20))
    text += "2026-01-01 10:00:00,COM9,SIC7888,999 000000000001,999 000000000001,OK,01 02\n";
  TempConfig::WriteFile(csv, text);
  rig.field->Insert(Blank(0x78880040u));
  // The child inherits a file size limit of the file's size, and SIGXFSZ ignored: its first row
  // fails with EFBIG.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = saved;
  limit.rlim_cur = text.size();
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  auto station = rig.Start({"program", "--chip", "sic7888", "--industrial", "90", "--count", "2",
                            "--poll", "20", "--ledger", ledger.Uri(), "--csv", csv});
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(station->Wait(test_support::kPatience), 2) << station->err;
  EXPECT_TRUE(Contains(station->err, "program: cannot write the results file (")) << station->err;
  EXPECT_TRUE(Contains(station->err, "program: 1 verified, 0 failed\n")) << station->err;
  EXPECT_EQ(TempConfig::ReadFile(csv), text);
  const Result status = rig.Run({"ledger", "status", "--ledger", ledger.Uri()});
  EXPECT_TRUE(Contains(status.out, "verified 1  in hand 0")) << status.out;
}
