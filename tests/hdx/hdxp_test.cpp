// The HDX+ menu items against the simulated module.
#include <gtest/gtest.h>

#include "sim/chips/hdx_plus.h"
#include "tests/hdx/hdx_rig.h"

using namespace hdx_test;
using Lines = std::vector<std::string>;

namespace {

class HdxPlus : public ::testing::Test {
 protected:
  HdxPlus() : rig({MakeChip("hdxp:8000F9E0F20EA701")}) {}
  sim::HdxPlusTag& Tag() { return *rig.Tag<sim::HdxPlusTag>(); }
  HdxRig rig;
};

TEST_F(HdxPlus, LockInformationReadsBlockThree) {
  rig.app->Settings.BlockNo = 9;
  rig.app->Settings.BlockNum = 4;
  rig.Run("LockInfomation1");
  EXPECT_TRUE(rig.Sent({0x36, 0x00, 3, 0}));
  EXPECT_EQ(rig.Results(), (Lines{"Chip Unlock"}));
  EXPECT_EQ(rig.app->Settings.BlockNo, 3);
  EXPECT_EQ(rig.app->Settings.BlockNum, 0);
  Tag().SetLockState(0x01);
  rig.ClearLog();
  rig.Run("LockInfomation1");
  EXPECT_EQ(rig.Results(), (Lines{"Chip Lock ???"}));
}

TEST_F(HdxPlus, ChipLockAsksFirst) {
  rig.prompts.QueueConfirm(false);
  rig.Run("MnHDXP_CRCWrite1");
  EXPECT_EQ(rig.prompts.confirmations,
            (Lines{"データは書き換えられなくなりますが、よろしいですか?"}));
  EXPECT_TRUE(rig.Lines().empty());
  rig.Run("MnHDXP_CRCWrite1");
  EXPECT_EQ(rig.Results(), (Lines{"OK: HDX+ Chip Lock Command"}));
  rig.ClearLog();
  rig.Run("LockInfomation1");
  EXPECT_EQ(rig.Results(), (Lines{"Chip Locked"}));
  rig.ClearLog();
  rig.Run("MnHDXP_CRCWrite1");  // a locked chip does not answer
  EXPECT_EQ(rig.Results(), (Lines{"No response from tag", "NG: HDX+ Chip Lock Command"}));
}

TEST_F(HdxPlus, LockInformationOfAShortAnswer) {
  rig.sim->TheField().With(0, [&](sim::Transponder&) { Tag().Shape.lengthDelta = -1; });
  rig.Run("LockInfomation1");
  EXPECT_EQ(rig.Results(), (Lines{"Response Format Error", "NG: Read multiple blocks Command"}));
}

TEST_F(HdxPlus, TagDataListsEveryBlockThenTheSummary) {
  rig.Run("tagData1");
  const Lines r = rig.Results();
  ASSERT_EQ(r.size(), 32u);
  EXPECT_EQ(r[0], "Data: 78 56 34 12 ");
  EXPECT_EQ(r[3], "Data: 5A C3 01 03 ");
  EXPECT_EQ(r[14], "Data: 01 A7 0E F2 ");
  EXPECT_EQ(r[16], "Block00: 12, 34, 56, 78");
  EXPECT_EQ(r[18], "Block02: 01, 02, 03, 04");
  EXPECT_EQ(r[19], "Block03: 03, 01, c3, 5a");
  EXPECT_EQ(r[31], "Block15: 80, 00, f9, e0");
}

// An HDX+ chip whose listed blocks do not answer.
class DeafBlocks : public sim::HdxPlusTag {
 public:
  DeafBlocks(std::vector<int> deaf) : HdxPlusTag(1), deaf_(std::move(deaf)) {}
  std::optional<sim::TagReply> Handle(const sim::TagCommand& cmd,
                                      const sim::AirContext& ctx) override {
    if (cmd.code == 0x36 && cmd.params.size() == 3 &&
        std::find(deaf_.begin(), deaf_.end(), cmd.params[1]) != deaf_.end())
      return std::nullopt;
    return HdxPlusTag::Handle(cmd, ctx);
  }

 private:
  std::vector<int> deaf_;
};

TEST_F(HdxPlus, TagDataGoesOnAfterAFailedBlockAndNeedsBlockFifteen) {
  rig.sim->TheField().Replace(0, std::make_shared<DeafBlocks>(std::vector<int>{5}));
  rig.Run("tagData1");
  Lines r = rig.Results();
  ASSERT_EQ(r.size(), 15u + 1 + 16);  // 15 data lines, the NACK reason, 16 summary lines
  EXPECT_EQ(r[5], "No response from tag");
  EXPECT_EQ(r[16 + 5], "Block05: --, --, --, --") << "a block never read shows no value";
  rig.sim->TheField().Replace(0, std::make_shared<DeafBlocks>(std::vector<int>{15}));
  rig.ClearLog();
  rig.Run("tagData1");
  r = rig.Results();
  ASSERT_EQ(r.size(), 16u);
  EXPECT_EQ(r.back(), "No response from tag");
}

TEST_F(HdxPlus, ReadMultipleBlocksSendsWhatWasEntered) {
  rig.prompts.Answer("IntEd1", "300");
  rig.prompts.Answer("IntEd2", "20");
  rig.prompts.Answer("IntEd3", "2");
  rig.Run("READMULTIPLEBLOCKS1");
  const PromptForm& form = rig.prompts.shown[0];
  EXPECT_EQ(form.caption, "ReadMultipleBlocks ");
  EXPECT_EQ(form.Field("STTitle3").text, "Block Number(0-)");
  EXPECT_TRUE(rig.Sent({0x36, 300 & 0xFF, 20, 2}));
  EXPECT_EQ(rig.Results(), (Lines{"No response from tag", "NG: ReadMultipleBlocks Command"}));
  EXPECT_EQ(rig.app->Settings.BlockNo, 20);
  EXPECT_EQ(rig.app->Settings.BlockNum, 2);
  rig.ClearLog();
  rig.prompts = RecordingPrompts();
  rig.prompts.Answer("IntEd2", "0");
  rig.prompts.Answer("IntEd3", "1F");  // hexadecimal field, limited to 15
  rig.Run("READMULTIPLEBLOCKS1");
  EXPECT_TRUE(rig.Sent({0x36, 0, 0, 15}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: ReadMultipleBlocks Command"}));
}

TEST_F(HdxPlus, IdWrite) {
  rig.prompts.Answer("TWrData1_2Dlg.EdData0", "42");
  rig.Run("MNHDXP_IDWrite2");
  const PromptForm& form = rig.prompts.shown[0];
  EXPECT_EQ(form.caption, "ID書込み");
  EXPECT_EQ(form.Field("EdData7").number.Text(), "80") << "starts from the stored ID";
  EXPECT_FALSE(form.Field("EdAddr").visible);
  EXPECT_TRUE(rig.Sent({0x3B, 0x42, 0xA7, 0x0E, 0xF2, 0xE0, 0xF9, 0x00, 0x80, 0}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: HDX+ ID Write Command"}));
  EXPECT_EQ(Tag().IdBytes()[0], 0x42);
  EXPECT_EQ(rig.app->Settings.ANI_ID[0], 0x42);

  rig.ClearLog();
  rig.prompts = RecordingPrompts();
  rig.prompts.Answer("EdData0", "43");
  rig.prompts.Answer("CBLock", "1");
  rig.prompts.QueueConfirm(false);
  rig.Run("MNHDXP_IDWrite2");
  EXPECT_TRUE(rig.Lines().empty());
  EXPECT_EQ(rig.app->Settings.ANI_ID[0], 0x42) << "No stores nothing";
}

}  // namespace
