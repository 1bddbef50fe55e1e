// The results file of series programming on real files, and the ends of a series.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec/animal_id.h"
#include "production/series.h"
#include "tests/support/temp_config.h"

using namespace series;

namespace {

const std::string kHeader = "time,port,chip,written,read back,result,uid,series\n";

Row MakeRow(const std::string& written, bool ok) {
  Row r;
  r.time = "2026-01-01 10:00:00";
  r.port = "COM9";
  r.chip = "SIC7888";
  r.written = written;
  r.readBack = ok ? written : "";
  r.ok = ok;
  r.uid = "78 88 00 01";
  return r;
}

}  // namespace

TEST(SeriesResults, ARowCutShortByACrashIsTakenOutOnceTheRunBegins) {
  TempConfig dir;
  const std::string path = dir.Path("r.csv");
  const std::string row1 =
      "2026-01-01 10:00:00,COM9,SIC7888,999 000000000001,999 000000000001,OK,78 88 00 01\n";
  for (const std::string cut : {"2026-01-01 10:00:05,COM9,SIC7888,999 000000000002,999 0000",
                                "2026-01-01 10:00:05,\"/dev/a,\nb"}) {
    SCOPED_TRACE(cut);
    TempConfig::WriteFile(path, kHeader + row1 + cut);
    ResultsFile f;
    std::string error, dropped;
    ASSERT_TRUE(f.Open(path, &error)) << error;
    ASSERT_EQ(f.Rows().size(), 1u);
    EXPECT_EQ(TempConfig::ReadFile(path), kHeader + row1 + cut) << "opening writes nothing";
    ASSERT_TRUE(f.Begin(&error, &dropped)) << error;
    EXPECT_EQ(dropped, cut);
    ASSERT_TRUE(f.Append(MakeRow("999 000000000002", true), &error)) << error;
    f.Close();

    ResultsFile again;
    ASSERT_TRUE(again.Open(path, &error)) << error;
    EXPECT_EQ(again.VerifiedCodes(),
              (std::set<uint64_t>{fdx::AnimalIdCode::Animal(999, 1).Encode(),
                                  fdx::AnimalIdCode::Animal(999, 2).Encode()}));
    EXPECT_EQ(TempConfig::ReadFile(path),
              kHeader + row1 + ResultsFile::Line(MakeRow("999 000000000002", true)) + "\n");
  }
}

TEST(SeriesResults, EveryRowWrittenIsReadBackAndARowThatCannotBeReadNamesItsLine) {
  TempConfig dir;
  const std::string path = dir.Path("r.csv");
  ResultsFile f;
  std::string error;
  ASSERT_TRUE(f.Open(path, &error)) << error;
  ASSERT_TRUE(f.Begin(&error)) << error;
  // A port path may hold anything a file name may: commas, quotes, line breaks.
  Row odd = MakeRow("999 000000000001", true);
  odd.port = "/dev/serial/by-id/usb-\"Acme\",\nport";
  ASSERT_TRUE(f.Append(odd, &error)) << error;
  ASSERT_TRUE(f.Append(MakeRow("999 000000000002", false), &error)) << error;
  f.Close();
  ResultsFile again;
  ASSERT_TRUE(again.Open(path, &error)) << error;
  ASSERT_EQ(again.Rows().size(), 2u);
  EXPECT_EQ(again.Rows()[0].port, odd.port);
  EXPECT_EQ(again.VerifiedCodes(), std::set<uint64_t>{fdx::AnimalIdCode::Animal(999, 1).Encode()});
  again.Close();

  const std::string good = TempConfig::ReadFile(path);  // rows on lines 2-3 and 4
  const std::pair<std::string, std::string> bad[] = {
      {"2026-01-01,COM9,SIC7888,999 000000000003,,OK\n", "line 6: 6 fields instead of 8"},
      {"2026-01-01,COM9,SIC7888,999 000000000003,,maybe,x\n",
       "line 6: the result is \"maybe\", not OK or NG"},
      {"2026-01-01,COM9,SIC7888,999 00000000000x,,OK,x\n",
       "line 6: \"999 00000000000x\" is not a code"},
      {"2026-01-01,CO\"M9,SIC7888,999 000000000003,,OK,x\n",
       "line 6: a quote inside a field that does not start with one"},
  };
  for (const auto& [row, reason] : bad) {
    TempConfig::WriteFile(path, good + "\n" + row);  // an empty line is no row
    ResultsFile r;
    EXPECT_FALSE(r.Open(path, &error));
    EXPECT_EQ(error, path + ": " + reason);
  }
}

// What a spreadsheet or an older version leaves in a results file: a byte order mark ("CSV
// UTF-8") is passed over; seven columns (no series) are read; a stray quote that swallows the
// line ends after it is refused with its line, never taken out as a row cut short.
TEST(SeriesResults, ABomAndAnOlderFileAreReadAndAStrayQuoteIsRefusedWithItsLine) {
  TempConfig dir;
  const std::string path = dir.Path("r.csv");
  const std::string older = "time,port,chip,written,read back,result,uid\n";
  const std::string row1 =
      "2026-01-01 10:00:00,COM9,SIC7888,999 000000000001,999 000000000001,OK,78 88 00 01\n";
  const std::string bom = "\xEF\xBB\xBF";
  TempConfig::WriteFile(path, bom + older + row1 + "2026-01-01 10:00:05,COM9,SIC7888,999 0000");
  ResultsFile f;
  std::string error, dropped;
  ASSERT_TRUE(f.Open(path, &error)) << error;
  ASSERT_EQ(f.Rows().size(), 1u);
  EXPECT_EQ(f.Rows()[0].series, 0);
  ASSERT_TRUE(f.Begin(&error, &dropped)) << error;
  EXPECT_EQ(dropped, "2026-01-01 10:00:05,COM9,SIC7888,999 0000");
  Row next = MakeRow("999 000000000002", true);
  next.series = 4;
  ASSERT_TRUE(f.Append(next, &error)) << error;
  f.Close();
  EXPECT_EQ(TempConfig::ReadFile(path), bom + older + row1 + ResultsFile::Line(next) + "\n");
  ResultsFile again;
  ASSERT_TRUE(again.Open(path, &error)) << error;
  ASSERT_EQ(again.Rows().size(), 2u);
  EXPECT_EQ(again.Rows()[1].series, 4);
  again.Close();

  const std::string stray = kHeader + row1 +
                            "2026-01-01 10:00:09,COM9,SIC7888,999 000000000002,999 "
                            "000000000002,OK,\"78 88 00 02,4\n" +
                            row1;
  TempConfig::WriteFile(path, stray);
  EXPECT_FALSE(again.Open(path, &error));
  EXPECT_EQ(error, path + ": line 3: a quote opens a field and never closes");
  EXPECT_EQ(TempConfig::ReadFile(path), stray);
  TempConfig::WriteFile(path,
                        kHeader + row1 + "2026-01-01,COM9,SIC7888,999 000000000003,,OK,x,0\n");
  EXPECT_FALSE(again.Open(path, &error));
  EXPECT_EQ(error, path + ": line 3: the series is \"0\", not a series number");
}

TEST(SeriesResults, OneFileOneWriterAndNothingWrittenBeforeTheRunBegins) {
  TempConfig dir;
  const std::string path = dir.Path("new.csv");
  ResultsFile first, second;
  std::string error;
  ASSERT_TRUE(first.Open(path, &error)) << error;
  EXPECT_FALSE(second.Open(path, &error));
  EXPECT_EQ(error,
            path + ": in use by another run (qzh900ctl program holds it); one file, one run");
  first.Close();
  EXPECT_FALSE(std::filesystem::exists(path)) << "a run that never began leaves no file";
  ASSERT_TRUE(second.Open(path, &error)) << error;
  ASSERT_TRUE(second.Begin(&error)) << error;
  second.Close();
  EXPECT_EQ(TempConfig::ReadFile(path), kHeader);
}

TEST(SeriesResults, TheLastVerifiedCodeIsTakenByKindAndCountry) {
  TempConfig dir;
  const std::string path = dir.Path("r.csv");
  ResultsFile f;
  std::string error;
  ASSERT_TRUE(f.Open(path, &error)) << error;
  ASSERT_TRUE(f.Begin(&error)) << error;
  EXPECT_EQ(TempConfig::ReadFile(path), kHeader);
  for (const auto& [written, ok] :
       std::vector<std::pair<std::string, bool>>{{"392 000000000007", true},
                                                 {"0000000000000000042", true},
                                                 {"999 000000000003", true},
                                                 {"392 000000000008", false}}) {
    ASSERT_TRUE(f.Append(MakeRow(written, ok), &error)) << error;
  }
  EXPECT_EQ(f.LastVerified(CodeKind::Animal, 392), fdx::AnimalIdCode::Animal(392, 7).Encode());
  EXPECT_EQ(f.LastVerified(CodeKind::Animal, 999), fdx::AnimalIdCode::Animal(999, 3).Encode());
  EXPECT_EQ(f.LastVerified(CodeKind::Industrial, 0), 42u);
  EXPECT_EQ(f.LastVerified(CodeKind::Animal, 1), std::nullopt);

  // Another file is refused and left as it was.
  const std::string other = dir.Path("other.csv");
  TempConfig::WriteFile(other, "a,b\n1,2\n");
  ResultsFile o;
  EXPECT_FALSE(o.Open(other, &error));
  EXPECT_EQ(TempConfig::ReadFile(other), "a,b\n1,2\n");
}

TEST(SeriesCodes, TextFormsAndTheEndsOfASeries) {
  const Plan animal{.chip = fdx::IdChip::Em4305, .kind = CodeKind::Animal, .country = 392};
  const uint64_t max = fdx::AnimalIdCode::kMaxNationalId;
  EXPECT_EQ(CodeText(CodeOf(animal, 12)), "392 000000000012");
  EXPECT_EQ(ParseCodeText("392 000000000012"), CodeOf(animal, 12));
  EXPECT_EQ(Next(animal, max - 1), max);
  EXPECT_EQ(Next(animal, max), std::nullopt);

  const Plan industrial{.kind = CodeKind::Industrial, .increment = 10};
  const uint64_t top = 0x7FFFFFFFFFFFFFFFull;
  EXPECT_EQ(CodeText(CodeOf(industrial, top)), "9223372036854775807");
  EXPECT_EQ(ParseCodeText("9223372036854775807"), top);
  EXPECT_EQ(Next(industrial, top - 10), top);
  EXPECT_EQ(Next(industrial, top - 9), std::nullopt);

  for (const char* bad :
       {"", "392 12x", "1024 000000000001", "392 274877906944", "9223372036854775808", "-1"})
    EXPECT_EQ(ParseCodeText(bad), std::nullopt) << bad;
}
