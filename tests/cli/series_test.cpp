// The results file of series programming on real files, and the ends of a series.
#include <gtest/gtest.h>

#include "cli/series.h"
#include "codec/animal_id.h"
#include "tests/support/temp_config.h"

using namespace series;

namespace {

constexpr const char* kHeader = "time,port,chip,written,read back,result,uid\n";

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

TEST(SeriesResults, ARowCutShortByACrashIsDroppedAndTheNextStartsOnItsOwnLine) {
  TempConfig dir;
  const std::string path = dir.Path("r.csv");
  TempConfig::WriteFile(path, std::string(kHeader) +
                                  "2026-01-01 10:00:00,COM9,SIC7888,999 000000000001,"
                                  "999 000000000001,OK,78 88 00 01\n"
                                  "2026-01-01 10:00:05,COM9,SIC7888,999 000000000002,999 0000");
  ResultsFile f;
  std::string error;
  ASSERT_TRUE(f.Open(path, &error)) << error;
  ASSERT_EQ(f.Rows().size(), 1u);
  ASSERT_TRUE(f.Append(MakeRow("999 000000000002", true), &error)) << error;
  f.Close();

  ResultsFile again;
  ASSERT_TRUE(again.Open(path, &error)) << error;
  EXPECT_EQ(again.VerifiedCodes(),
            (std::set<uint64_t>{fdx::AnimalIdCode::Animal(999, 1).Encode(),
                                fdx::AnimalIdCode::Animal(999, 2).Encode()}));
  const std::string text = TempConfig::ReadFile(path);
  EXPECT_NE(text.find("999 0000\n2026-01-01 10:00:00,COM9,SIC7888,999 000000000002,"),
            std::string::npos)
      << text;
}

TEST(SeriesResults, TheLastVerifiedCodeIsTakenByKindAndCountry) {
  TempConfig dir;
  const std::string path = dir.Path("r.csv");
  ResultsFile f;
  std::string error;
  ASSERT_TRUE(f.Open(path, &error)) << error;
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
