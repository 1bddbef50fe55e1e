// The SIC7888 ID format set-up: the FECAVA, EM ID and BDE dialogs against the simulated chip,
// their blocks, bytes and status texts, and the values the main window keeps.
#include <gtest/gtest.h>

#include "fdx/bde_id_write_dlg.h"
#include "fdx/em_id_write_dlg.h"
#include "fdx/id_format_setup.h"
#include "fdx/id_format_write.h"
#include "sim/chips/sic7888.h"
#include "tests/programming/programming_rig.h"

using namespace prog_test;
using Block = sim::Sic7888Tag::Block;

namespace {

constexpr int kGreen = 0x008000;
constexpr int kRed = 0xFF0000;
constexpr int kNormal = -1;

struct FormatRig : ProgRig {
  std::shared_ptr<sim::Sic7888Tag> tag;
  explicit FormatRig(std::shared_ptr<sim::Sic7888Tag> t = std::make_shared<sim::Sic7888Tag>())
      : ProgRig({t}), tag(t) {}
  Block At(size_t block) {
    Block b{};
    With<sim::Sic7888Tag>(0, [&](sim::Sic7888Tag& t) { b = t.BlockAt(block); });
    return b;
  }
  const PromptField& Status(size_t step) { return prompts.seen.at(step).Field("PStatus"); }
};

TEST(FecavaSetup, WriteLaysTheImageIntoBlocks4To6AndReadsItBack) {
  FormatRig rig;
  rig.prompts.Then(
      "BtWriteTag",
      {{"EdID1", "01"}, {"EdID2", "02"}, {"EdID3", "03"}, {"EdID4", "04"}, {"EdID5", "85"}});
  rig.prompts.Then("BtReadTag");
  rig.prompts.Then("CloseBox", {{"EdID1", "7F"}});
  rig.Run("FecavaID1");
  EXPECT_EQ(rig.At(1), (Block{0xE4, 0x74, 0x00, 0x00}));
  EXPECT_EQ(rig.At(4), (Block{0xAA, 0xE2, 0xAA, 0xA9}));
  EXPECT_EQ(rig.At(5), (Block{0xAA, 0xA6, 0x6A, 0xA5}));
  EXPECT_EQ(rig.At(6), (Block{0xAA, 0x9A, 0x6A, 0x99})) << "85 is taken modulo 128: 05";
  EXPECT_EQ(rig.Status(1).text, "OK: IDWriteCmd");
  EXPECT_EQ(rig.Status(1).color, kGreen);
  EXPECT_EQ(rig.Status(2).text, "OK: IDRead[01 02 03 04 05]");
  EXPECT_EQ(rig.Status(2).color, kGreen);
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 ", "83 01 01 E4 74 00 00 ", "83 01 04 AA E2 AA A9 ",
                               "83 01 05 AA A6 6A A5 ", "83 01 06 AA 9A 6A 99 ", "72 "}));
  EXPECT_TRUE(rig.Results().empty()) << "the dialog writes nothing to the main log";
  // However the dialog closed, the fields are kept (bit 7 stripped) and shown next time.
  EXPECT_EQ(rig.app->Memory<IdFormatMemory>().fecava.values,
            (std::array<uint8_t, 5>{0x7F, 2, 3, 4, 5}));
  rig.prompts.CancelFirst();
  rig.Run("FecavaID1");
  EXPECT_EQ(rig.prompts.shown.back().Field("EdID1").number.Text(), "7F");
  EXPECT_FALSE(rig.prompts.shown.back().Field("CBAutoIncrement").visible);
  EXPECT_FALSE(rig.prompts.shown.back().Field("RGHexDecimal").visible);
}

TEST(FecavaSetup, FailedBlockWriteStopsAndLeavesTheBlocksBeforeIt) {
  auto tag = std::make_shared<sim::Sic7888Tag>();
  tag->Program(1, {0x00, 0x00, 0x40, 0x00});  // blocks 6-7 locked
  FormatRig rig(tag);
  rig.prompts.Then("BtWriteTag", {{"EdID1", "01"}});
  rig.prompts.Then("BtReadTag");
  rig.prompts.Then("CancelBtn");
  rig.Run("FecavaID1");
  EXPECT_EQ(rig.Status(1).text, "NG: IDWriteCmd");
  EXPECT_EQ(rig.Status(1).color, kRed);
  EXPECT_EQ(rig.At(4), (Block{0xAA, 0xE2, 0xAA, 0xA9}));
  EXPECT_EQ(rig.Sent().back(), "72 ");
  EXPECT_EQ(rig.Status(2).text, "NG: IDRead") << "an incomplete image is no FECAVA code";
  EXPECT_EQ(rig.Status(2).color, kRed);
}

TEST(EmIdSetup, WriteOfTheExampleAndItsIncrementInHexadecimal) {
  FormatRig rig;
  rig.app->Settings.fEMDispHex = 1;
  rig.app->Settings.EMId = 0x0504030201;
  rig.prompts.Then("BtWriteTag", {{"CBAutoIncrement", "1"}});
  rig.prompts.Then("BtReadTag");
  rig.prompts.Then("BtReadTag", {{"RGHexDecimal", "0"}});
  rig.prompts.Then("CloseBox");
  rig.Run("EMID1");
  EXPECT_EQ(rig.prompts.shown.at(0).Field("EdIDData_Hex").text, "0504030201");
  EXPECT_TRUE(rig.prompts.shown.at(0).Field("EdIDData_Hex").visible);
  EXPECT_FALSE(rig.prompts.shown.at(0).Field("EdIDData").visible);
  EXPECT_EQ(rig.At(1), (Block{0xC0, 0x34, 0x00, 0x00}));
  EXPECT_EQ(rig.At(4), (Block{0xFF, 0x81, 0x40, 0x48}));
  EXPECT_EQ(rig.At(5), (Block{0x0C, 0x02, 0x80, 0x62}));
  EXPECT_EQ(rig.Status(1).text, "OK: Write Tag");
  EXPECT_EQ(rig.Status(1).color, kGreen);
  EXPECT_EQ(rig.prompts.seen.at(1).Field("EdIDData_Hex").text, "0504030202");
  EXPECT_EQ(rig.Status(2).text, "Tag Data: 0504030201");
  EXPECT_EQ(rig.Status(2).color, kNormal);
  EXPECT_EQ(rig.Status(3).text, "Tag Data: 21542142465");
  EXPECT_EQ(rig.Status(3).color, kNormal);
  EXPECT_EQ(rig.prompts.seen.at(3).Field("EdIDData").Int(), 0x0504030202) << "switched to decimal";
  // Taken back however the dialog closed.
  EXPECT_EQ(rig.app->Settings.EMId, 0x0504030202u);
  EXPECT_EQ(rig.app->Settings.EMID_AutoIncrement, 1);
  EXPECT_EQ(rig.app->Settings.fEMDispHex, 0);
  EXPECT_TRUE(rig.Results().empty());
}

TEST(EmIdSetup, IncrementAfterTheLargestEmIdGivesOne) {
  EXPECT_EQ(NextEmId(1099511627775), 1u);
  EXPECT_EQ(NextEmId(7), 8u);
  FormatRig rig;
  rig.app->Settings.EMId = 1099511627775;
  rig.app->Settings.EMID_AutoIncrement = 1;
  rig.prompts.Then("BtWriteTag");
  rig.prompts.Then("CancelBtn");
  rig.Run("EMID1");
  EXPECT_EQ(rig.prompts.seen.at(1).Field("EdIDData").Int(), 1);
  EXPECT_EQ(rig.app->Settings.EMId, 1u);
}

TEST(EmIdSetup, FieldsLimitWhatIsTyped) {
  PromptForm f = MakeIDWrite1Dlg({.emId = 5, .autoIncrement = false, .base = 0});
  ScriptedPrompts::ApplyValue(f, f.Field("EdIDData"), "2000000000000");
  EXPECT_EQ(EmIdOfFields(f), 1099511627775u) << "set back to the largest EM ID";
  ScriptedPrompts::ApplyValue(f, f.Field("RGHexDecimal"), "1");
  EXPECT_EQ(f.Field("EdIDData_Hex").text, "FFFFFFFFFF");
  ScriptedPrompts::ApplyValue(f, f.Field("EdIDData_Hex"), "0G1Zé2345678FFFF");
  EXPECT_EQ(f.Field("EdIDData_Hex").text, "0G1Zé23456") << "ten characters at most";
  EXPECT_EQ(EmIdOfFields(f), 0x0010023456u) << "other characters count as 0";
  ScriptedPrompts::ApplyValue(f, f.Field("RGHexDecimal"), "0");
  EXPECT_EQ(f.Field("EdIDData").Int(), 0x0010023456);
}

TEST(EmIdSetup, ReadOfAnotherTagTypeFails) {
  FormatRig rig(std::make_shared<sim::Sic7888Tag>());
  rig.With<sim::Sic7888Tag>(0, [](sim::Sic7888Tag& t) { t.ProgramFdxb(0x8000F9E0F20EA701); });
  rig.prompts.Then("BtReadTag");
  rig.prompts.Then("CancelBtn");
  rig.Run("EMID1");
  EXPECT_EQ(rig.Status(1).text, "NG: Read Tag");
  EXPECT_EQ(rig.Status(1).color, kRed);
}

TEST(BdeSetup, WriteOfTheExampleIncrementsTheSerialToOne) {
  FormatRig rig;
  rig.app->Settings.BDEID_AutoIncrement = 1;
  rig.prompts.Then("BtWriteTag", {{"EdTypeOfTransponder", "1"},
                                  {"EdManufacturerCode", "1023"},
                                  {"EdSerialNumber", "4194303"}});
  rig.prompts.Then("BtReadTag", {{"RGHexDecimal", "1"}});
  rig.prompts.Then("BtReadTag", {{"RGHexDecimal", "0"}});
  rig.prompts.Then("CancelBtn");
  rig.Run("BDE1");
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 ", "83 01 01 C0 48 00 00 ",
                               "86 01 FF FF FF FF 00 00 40 40 ", "70 01 ", "70 01 "}));
  EXPECT_EQ(rig.Status(1).text, "OK: IDWriteCmd");
  EXPECT_EQ(rig.Status(1).color, kGreen);
  EXPECT_EQ(rig.prompts.seen.at(1).Field("EdSerialNumber").Int(), 1);
  EXPECT_EQ(rig.Status(2).text, "Tag Data: 0 1 00400000 03FF 3FFFFF");
  EXPECT_EQ(rig.Status(2).color, kNormal);
  EXPECT_EQ(rig.prompts.seen.at(2).Field("EdSerialNumber").number.Text(), "1");
  EXPECT_EQ(rig.Status(3).text, "Tag Data: 0 1 4194304 1023 4194303");
  // "Close" composes the fields: serial 1.
  EXPECT_EQ(rig.app->Settings.BDEId2, 0x40400000FFC00001u);
  EXPECT_EQ(rig.app->Settings.BDEID_AutoIncrement, 1);
  EXPECT_EQ(rig.app->Settings.fBDEDispHex, 0);
  // The tag now reads as a BDE code through the FDX read.
  rig.Clear();
  rig.Run("IDRead1");
  EXPECT_EQ(rig.Results(),
            (Lines{"OK: IDRead Command", "Tag Type: BDE Tag", "Data: 40 40 00 00 FF FF FF FF ",
                   "ID: 0 1 4194304 1023 4194303"}));
}

TEST(BdeSetup, TheCloseBoxKeepsTheCodeOfTheLastWrite) {
  FormatRig rig;
  rig.app->Settings.BDEId2 = 0x40400000FFC00005;  // type 1, supplier 1023, serial 5
  rig.prompts.Then("BtWriteTag");
  rig.prompts.Then("CloseBox", {{"EdSerialNumber", "77"}, {"RGHexDecimal", "1"}});
  rig.Run("BDE1");
  const PromptForm& shown = rig.prompts.shown.at(0);
  EXPECT_EQ(shown.Field("EdFlag").Int(), 0);
  EXPECT_FALSE(shown.Field("EdFlag").enabled);
  EXPECT_EQ(shown.Field("EdApplicationCode").Int(), 4194304);
  EXPECT_FALSE(shown.Field("EdApplicationCode").enabled);
  EXPECT_EQ(rig.Sent().back(), "86 01 05 00 C0 FF 00 00 40 40 ");
  EXPECT_EQ(rig.app->Settings.BDEId2, 0x40400000FFC00005u) << "no increment: the written code";
  EXPECT_EQ(rig.app->Settings.fBDEDispHex, 1);
}

TEST(BdeSetup, FailedConfigurationStopsBeforeTheWrite) {
  auto tag = std::make_shared<sim::Sic7888Tag>();
  tag->Program(1, {0xCA, 0x4A, 0x00, 0x00});  // OTP: block 1 can no longer change
  FormatRig rig(tag);
  rig.app->Settings.BDEId2 = 3;
  rig.prompts.Then("BtWriteTag", {{"EdSerialNumber", "9"}});
  rig.prompts.Then("CloseBox");
  rig.Run("BDE1");
  EXPECT_EQ(rig.Status(1).text, "NG: IDWriteCmd");
  EXPECT_EQ(rig.Status(1).color, kRed);
  for (const auto& sent : rig.Sent()) EXPECT_NE(sent.substr(0, 2), "86") << sent;
  EXPECT_EQ(rig.app->Settings.BDEId2, 3u) << "the code of the dialog stays the handed one";
}

TEST(BdeSetup, FieldsSwitchBaseTogether) {
  PromptForm f =
      MakeBDEIdWrite1Dlg({.code = 0x40400000FFFFFFFF, .autoIncrement = false, .base = 1});
  EXPECT_EQ(f.Field("EdSerialNumber").number.Text(), "3FFFFF");
  EXPECT_EQ(f.Field("EdApplicationCode").number.Text(), "400000");
  ScriptedPrompts::ApplyValue(f, f.Field("RGHexDecimal"), "0");
  EXPECT_EQ(f.Field("EdManufacturerCode").number.Text(), "1023");
  EXPECT_EQ(f.Field("EdSerialNumber").number.Text(), "4194303");
  EXPECT_EQ(BdeCodeOfFields(f), 0x40400000FFFFFFFFu);
}

}  // namespace
