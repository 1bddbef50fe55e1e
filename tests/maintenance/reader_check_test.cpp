// The reader check's arithmetic: percentiles, the threshold over a sweep, the fine levels around
// it and the choice of the best tuning value. The check itself runs end to end in
// tests/cli/check_test.cpp.
#include <gtest/gtest.h>

#include "maintenance/reader_check.h"

namespace {

LevelResult At(int level, int ok, int reads = 20) {
  LevelResult m;
  m.level = level;
  m.ok = ok;
  m.reads = reads;
  return m;
}

TEST(ReaderCheckFigures, PercentilesByTheNearestRank) {
  EXPECT_EQ(Percentile({}, 50), 0);
  EXPECT_EQ(Percentile({7}, 95), 7);
  std::vector<double> v;
  for (int i = 20; i >= 1; --i) v.push_back(i);  // unsorted on purpose
  EXPECT_EQ(Percentile(v, 50), 10);
  EXPECT_EQ(Percentile(v, 95), 19);
  EXPECT_EQ(Percentile(v, 100), 20);
  EXPECT_EQ(Percentile(v, 0), 1);
}

TEST(ReaderCheckFigures, TheThresholdIsTheLowestLevelReadingWellWithAllAbove) {
  // 19 of 20 is 95 %: reads well; 18 of 20 does not.
  EXPECT_EQ(ThresholdOf({At(50, 20), At(45, 19), At(40, 18)}), 45);
  // Order of measuring does not matter.
  EXPECT_EQ(ThresholdOf({At(16, 0), At(50, 20), At(18, 20), At(17, 12)}), 18);
  // A lucky level below a failing one is no threshold.
  EXPECT_EQ(ThresholdOf({At(50, 20), At(45, 10), At(40, 20)}), 50);
  EXPECT_EQ(ThresholdOf({At(50, 18)}), std::nullopt);
  EXPECT_EQ(ThresholdOf({}), std::nullopt);
}

TEST(ReaderCheckFigures, FineLevelsFillTheGapBelowTheLowestCoarseLevelThatReads) {
  EXPECT_EQ(FineLevels({At(50, 20), At(25, 20), At(20, 3)}), (std::vector<int>{24, 23, 22, 21}));
  // The sweep stopped at a level that read nothing.
  EXPECT_EQ(FineLevels({At(10, 20), At(5, 0)}), (std::vector<int>{9, 8, 7, 6}));
  // Down to level 1 when even the lowest coarse level reads.
  EXPECT_EQ(FineLevels({At(10, 20), At(5, 20)}), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_TRUE(FineLevels({At(50, 0)}).empty());
  EXPECT_EQ(DefaultCheckLevels().front(), 50);
  EXPECT_EQ(DefaultCheckLevels().back(), 5);
  EXPECT_EQ(DefaultCheckLevels().size(), 10u);
}

TEST(ReaderCheckFigures, TheBestTuningHasTheLowestThresholdTiesGoNearTheOriginal) {
  EXPECT_EQ(BestTuning({{0, 30}, {1, 20}, {2, 25}}, 0), 1);
  EXPECT_EQ(BestTuning({{10, 12}, {14, 12}, {20, 12}}, 16), 14);
  EXPECT_EQ(BestTuning({{10, std::nullopt}, {11, 40}}, 16), 11);
  EXPECT_EQ(BestTuning({{10, std::nullopt}}, 16), std::nullopt);
}

TEST(ReaderCheckFigures, FamiliesByName) {
  for (CheckFamily f :
       {CheckFamily::Hdx, CheckFamily::Fdx, CheckFamily::Sic7888, CheckFamily::Em4305})
    EXPECT_EQ(CheckFamilyByName(CheckFamilyName(f)), f);
  EXPECT_EQ(CheckFamilyByName("FDX"), std::nullopt);
}

}  // namespace
