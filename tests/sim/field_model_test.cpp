// How tags take the module's LF field: the activation threshold and its read-error curve, the
// SIC7888's tuning, the LF level setting deciding what reads, and line noise in read-loop mode.
#include <gtest/gtest.h>

#include "link/receiver.h"
#include "module_rig.h"
#include "sim/chip_registry.h"
#include "sim/chips/sic7888.h"

namespace sim_test {
namespace {

using sim::FieldResponse;

constexpr const char* kAckLevel = "02 00 30 01 04 03 3A 0D ";  // ACK of 04 (set level)
constexpr const char* kNoTag = "02 00 31 01 04 03 3B 0D ";     // NACK "No response from tag"

sim::TagPtr Make(const std::string& spec) {
  auto made = sim::ChipRegistry::Builtin().Make(spec);
  EXPECT_TRUE(made.tag) << spec << ": " << made.error;
  return made.tag;
}

struct FieldRig : ModuleRig {
  explicit FieldRig(const std::string& spec) : ModuleRig(std::vector<sim::TagPtr>{Make(spec)}) {}
  void SetLevel(int level) {
    EXPECT_EQ(Ask({0x04, 0x02, static_cast<uint8_t>(level), 0x00}), kAckLevel);
  }
  // The FDX ID read n times; true for every read the tag answered.
  std::vector<bool> Reads(int n) {
    std::vector<bool> answered;
    for (int i = 0; i < n; ++i) {
      const std::string out = Ask({0x70, 0x01});
      EXPECT_TRUE(out.rfind("02 00 30 ", 0) == 0 || out == kNoTag) << out;
      answered.push_back(out != kNoTag);
    }
    return answered;
  }
  int Answered(int n) {
    int count = 0;
    for (bool ok : Reads(n)) count += ok;
    return count;
  }
};

TEST(FieldModel, TheCurveIsFullAtTheThresholdAndFadesOverItsWidth) {
  const FieldResponse r{18, 3, 1};
  EXPECT_EQ(sim::AnswerChance(r, 50), 1.0);
  EXPECT_EQ(sim::AnswerChance(r, 18), 1.0);
  EXPECT_DOUBLE_EQ(sim::AnswerChance(r, 17), 2.0 / 3);
  EXPECT_DOUBLE_EQ(sim::AnswerChance(r, 16), 1.0 / 3);
  EXPECT_EQ(sim::AnswerChance(r, 15), 0.0);
  EXPECT_EQ(sim::AnswerChance(r, 0), 0.0);
  // Width 0: a sharp edge.
  EXPECT_EQ(sim::AnswerChance({18, 0, 1}, 17), 0.0);
}

TEST(FieldModel, TheLevelSettingDecidesWhatReads) {
  FieldRig rig("fdxb:392:1:threshold=18");
  // Factory level 30: every read answers, as before the field model.
  EXPECT_EQ(rig.Answered(20), 20);
  rig.SetLevel(18);
  EXPECT_EQ(rig.Answered(40), 40);
  rig.SetLevel(15);
  EXPECT_EQ(rig.Answered(40), 0);
  rig.SetLevel(17);
  const int partly = rig.Answered(300);
  // Two in three on average; the draw is a fixed sequence, so this holds on every run.
  EXPECT_GT(partly, 170);
  EXPECT_LT(partly, 230);
  rig.SetLevel(200);  // above full power still reads
  EXPECT_EQ(rig.Answered(10), 10);
}

TEST(FieldModel, ReadErrorsAreTheSameOnEveryRunAndFollowTheSeed) {
  auto pattern = [](const std::string& spec) {
    FieldRig rig(spec);
    rig.SetLevel(16);
    return rig.Reads(60);
  };
  EXPECT_EQ(pattern("fdxb:392:1:threshold=18"), pattern("fdxb:392:1:threshold=18"));
  EXPECT_NE(pattern("fdxb:392:1:threshold=18"), pattern("fdxb:392:1:threshold=18:seed=7"));
}

TEST(FieldModel, TagsBelowTheirThresholdDoNotStream) {
  FieldRig rig("fdxb:392:1:threshold=20");
  rig.SetLevel(19);
  rig.Command({0x00, 0x02});
  rig.Wait(1s);
  rig.Out();
  EXPECT_EQ(rig.module.Counters().idFrames, 0u);
  rig.Command({0x00, 0x04});
  rig.Out();
  rig.SetLevel(20);
  rig.Command({0x00, 0x02});
  rig.Wait(1s);
  rig.Out();
  EXPECT_GT(rig.module.Counters().idFrames, 0u);
}

TEST(FieldModel, EveryFamilyTakesTheThreshold) {
  struct Case {
    const char* spec;
    std::vector<uint8_t> read;
  };
  const Case cases[] = {
      {"ti-ro:0123456789ABCDEF:threshold=25", {0x10}},
      {"em4305:threshold=25", {0xE1, 0x01}},
      {"sic7888:threshold=25", {0x80, 0x00}},
      {"fdxb:392:5:threshold=25", {0x70, 0x01}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.spec);
    for (int level : {25, 21}) {
      FieldRig rig(c.spec);
      rig.SetLevel(level);
      rig.Send(frame::BuildCommandFrame(c.read));
      const std::string out = rig.Out();
      if (level == 25)
        EXPECT_EQ(out.substr(0, 9), "02 00 30 ") << out;
      else
        EXPECT_EQ(out, kNoTag);
    }
  }
}

TEST(FieldModel, Sic7888TuningShiftsItsThreshold) {
  auto made = sim::ChipRegistry::Builtin().Make("sic7888:bestct=20:threshold=10");
  ASSERT_TRUE(made.tag) << made.error;
  auto* chip = dynamic_cast<sim::Sic7888Tag*>(made.tag.get());
  ASSERT_NE(chip, nullptr);
  EXPECT_EQ(chip->Ct(), 16);
  EXPECT_EQ(chip->Threshold(), 14);  // four steps off the best value

  ModuleRig rig(std::vector<sim::TagPtr>{made.tag});
  EXPECT_EQ(rig.Ask({0x88, 0x00, 20}).substr(0, 9), "02 00 30 ");
  EXPECT_EQ(chip->Ct(), 20);
  EXPECT_EQ(chip->Threshold(), 10);
  EXPECT_EQ(rig.Ask({0x04, 0x02, 10, 0x00}), kAckLevel);
  EXPECT_EQ(rig.Ask({0x80, 0x00}).substr(0, 9), "02 00 30 ");
  EXPECT_EQ(rig.Ask({0x04, 0x02, 30, 0x00}), kAckLevel);
  EXPECT_EQ(rig.Ask({0x88, 0x00, 31}).substr(0, 9), "02 00 30 ");
  EXPECT_EQ(chip->Threshold(), 21);
}

TEST(FieldModel, SpecSettingsAreCheckedAndDefaultsKeepOldScenesReading) {
  const auto plain = Make("fdxb:392:1");
  EXPECT_EQ(plain->Response().threshold, FieldResponse::kDefaultThreshold);
  EXPECT_LT(plain->Threshold(), 30);  // the module's factory level reads every default tag
  const auto set = Make("fdxb:threshold=18:392:1:width=5:seed=9");
  EXPECT_EQ(set->Response().threshold, 18);
  EXPECT_EQ(set->Response().width, 5);
  EXPECT_EQ(set->Response().seed, 9u);

  const auto& registry = sim::ChipRegistry::Builtin();
  auto bad = registry.Make("fdxb:392:1:treshold=18");
  EXPECT_FALSE(bad.tag);
  EXPECT_NE(bad.error.find("unknown setting \"treshold\""), std::string::npos) << bad.error;
  bad = registry.Make("fdxb:392:1:threshold=high");
  EXPECT_FALSE(bad.tag);
  EXPECT_NE(bad.error.find("threshold \"high\""), std::string::npos) << bad.error;
  bad = registry.Make("sic7888:bestct=32");
  EXPECT_FALSE(bad.tag);
  EXPECT_NE(bad.error.find("bestct \"32\""), std::string::npos) << bad.error;
  // bestct is the SIC7888's alone.
  EXPECT_FALSE(registry.Make("em4305:bestct=3").tag);
}

TEST(FieldModel, NoiseComesOnlyInReadLoopModeAndIsCountedByKind) {
  sim::ModuleConfig config;
  ModuleRig rig(config);
  rig.module.Faults().noiseRate = 10;
  rig.Wait(2s);
  EXPECT_EQ(rig.Out(), "");  // command mode: an idle line stays quiet
  const auto& c = rig.module.Counters();
  EXPECT_EQ(c.noiseStrayBytes + c.noiseBadSumFrames + c.noiseBadFormatFrames, 0u);

  ResponseReceiver rx;
  auto deliver = [&] {
    for (const auto& e : rig.Emissions()) rx.Feed(e.bytes.data(), e.bytes.size());
  };
  rig.Command({0x00, 0x02});
  deliver();
  for (int i = 0; i < 100; ++i) {
    rig.Wait(10ms);
    deliver();
  }
  EXPECT_EQ(c.noiseStrayBytes, 4 * sim::FaultPlan::kNoiseStrayBytes);
  EXPECT_EQ(c.noiseBadSumFrames, 3u);
  EXPECT_EQ(c.noiseBadFormatFrames, 3u);
  // The tool's receiver sees exactly what was sent.
  EXPECT_EQ(rx.Counted().strayBytes, c.noiseStrayBytes);
  EXPECT_EQ(rx.Counted().badSum, c.noiseBadSumFrames);
  EXPECT_EQ(rx.Counted().badFormat, c.noiseBadFormatFrames);
  EXPECT_EQ(rx.Counted().idFrames, 0u);

  rig.Command({0x00, 0x04});
  deliver();
  const auto before = c.noiseStrayBytes + c.noiseBadSumFrames + c.noiseBadFormatFrames;
  rig.Wait(2s);
  deliver();
  EXPECT_EQ(c.noiseStrayBytes + c.noiseBadSumFrames + c.noiseBadFormatFrames, before);
}

TEST(FieldModel, NoiseIsAFaultSetting) {
  sim::FaultPlan plan;
  std::string error;
  EXPECT_TRUE(sim::ApplyFaultSetting(plan, "noise", "25", error));
  EXPECT_EQ(plan.noiseRate, 25);
  EXPECT_TRUE(sim::ApplyFaultSetting(plan, "noise", "off", error));
  EXPECT_EQ(plan.noiseRate, 0);
  EXPECT_FALSE(sim::ApplyFaultSetting(plan, "noise", "1001", error));
  EXPECT_NE(error.find("noise"), std::string::npos);
}

}  // namespace
}  // namespace sim_test
