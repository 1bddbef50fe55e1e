// The plain animal-ID dialog TSetID3Dlg and the write sequences under it, against the simulated
// chips: configuration steps, lock questions, both tabs, auto-increment at its bounds, "Read",
// and what "Close" keeps.
#include <gtest/gtest.h>

#include "codec/animal_id.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "fdx/animal_id_write.h"
#include "fdx/set_id3_dlg.h"
#include "sim/chips/em4305.h"
#include "sim/chips/sic279.h"
#include "sim/chips/sic7888.h"
#include "tests/programming/programming_rig.h"

using namespace prog_test;
using fdx::AnimalIdCode;
using fdx::IdChip;

namespace {

const std::string kDefaultCode = "01 A7 0E F2 E0 F9 00 80 ";
const char* kAnimalTab = "TabSheet1";

std::shared_ptr<sim::Sic7888Tag> BlankSic7888() {
  return std::make_shared<sim::Sic7888Tag>(0x11223344);
}

TEST(SetId3Sic7888, WriteOnABlankChipConfiguresBlock1First) {
  ProgRig rig({BlankSic7888()});
  // As a script (the command runner) picks the tab: by its text.
  rig.prompts.Answer("PageControl1", "動物用");
  rig.prompts.Press("OKBtn");
  rig.prompts.Press("CancelBtn");
  rig.Run("AnimalIDWrite3");
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 ", "83 01 01 CA 48 00 00 ", "86 01 " + kDefaultCode}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"}));
  EXPECT_EQ(rig.prompts.shown.at(0).caption, "SIC7888; 動物ID書込み");
  // The increment (on by default) reached the field; "Close" stores the field.
  EXPECT_EQ(AnimalIdCode::FromBytes(rig.app->Settings.ANI_ID),
            AnimalIdCode::Animal(999, 141500000002));
}

TEST(SetId3Sic7888, WriteOnAConfiguredChipSkipsTheBlockWrite) {
  auto tag = BlankSic7888();
  tag->Program(1, sim::Sic7888Tag::kIsoFdxbConfig);
  ProgRig rig({tag});
  rig.prompts.Then("OKBtn", {{"PageControl1", kAnimalTab}});
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite3");
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 ", "86 01 " + kDefaultCode}));
  EXPECT_EQ(rig.prompts.seen.at(1).Field("Panel3").text, "OK: Animal ID Write Command");
}

TEST(SetId3Sic7888, DeclinedLockIsAFailedWriteAndSendsNothing) {
  ProgRig rig({BlankSic7888()});
  rig.prompts.QueueConfirm(false);
  rig.prompts.Then("OKBtn", {{"CBLock", "1"}});
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite3");
  EXPECT_EQ(rig.prompts.confirmations,
            (Lines{"データは書き換えられなくなりますが、よろしいですか?"}));
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_EQ(rig.Results(), (Lines{"NG: Industrial ID Write Command"}));
  EXPECT_EQ(rig.prompts.seen.at(1).Field("Panel3").text, "NG: Industrial ID Write Command");
}

TEST(SetId3Sic7888, AcceptedLockAddsTheQuestionOnly) {
  auto tag = BlankSic7888();
  tag->Program(1, sim::Sic7888Tag::kIsoFdxbConfig);
  ProgRig rig({tag});
  rig.prompts.Then("OKBtn", {{"CBLock", "1"}});
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite3");
  EXPECT_EQ(rig.prompts.confirmations.size(), 1u);
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 ", "86 01 01 00 00 00 00 00 00 00 "}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: Industrial ID Write Command"}));
}

TEST(SetId3Sic279, LockIsAskedAndNoSendsNothingAtAll) {
  ProgRig rig({MakeTag("sic279:0000000000000001")});
  rig.prompts.QueueConfirm(false);
  rig.prompts.Then("OKBtn", {{"CBLock", "1"}, {"PageControl1", kAnimalTab}});
  rig.prompts.QueueConfirm(true);
  rig.prompts.Then("OKBtn");
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite1");
  EXPECT_EQ(rig.prompts.confirmations.size(), 2u);
  EXPECT_EQ(rig.prompts.seen.at(1).Field("Panel3").text, "") << "No: nothing logged or shown";
  EXPECT_EQ(rig.Sent(), (Lines{"59 01 " + kDefaultCode + "01 "}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"}));
  bool locked = false;
  rig.With<sim::Sic279Tag>(0, [&](sim::Sic279Tag& t) { locked = t.IdLocked(); });
  EXPECT_TRUE(locked);
}

TEST(SetId3Em4305, ConfigurationWordIsWrittenOnlyWhenItDiffers) {
  ProgRig rig({MakeTag("em4305")});
  rig.prompts.Then("OKBtn", {{"PageControl1", kAnimalTab}, {"CBLock", "1"}});
  rig.prompts.Then("OKBtn");
  rig.prompts.Then("CancelBtn");
  rig.Run("EM43052");
  EXPECT_TRUE(rig.prompts.confirmations.empty()) << "the EM4305 has no lock";
  EXPECT_EQ(rig.Sent(), (Lines{"E1 04 ", "E0 04 00 02 00 8F ", "E5 01 " + kDefaultCode, "E1 04 ",
                               "E5 01 02 A7 0E F2 E0 F9 00 80 "}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command", "OK: Animal ID Write Command"}));
}

TEST(WriteApi, FailedConfigurationStepWritesNothing) {
  ProgRig rig({MakeTag("em4305")});
  // Protection word 1 in force, protecting word 4: no write without a login.
  rig.With<sim::Em4305Tag>(0, [](sim::Em4305Tag& t) { t.Program(14, {0x00, 0x00, 0x80, 0x10}); });
  const uint64_t code = AnimalIdCode::Animal(999, 1).Encode();
  EXPECT_EQ(fdx::WriteIdCode(rig.app->Link(), IdChip::Em4305, code),
            fdx::IdWriteOutcome::ConfigurationFailed);
  EXPECT_FALSE(fdx::WriteAnimalCode(*rig.app, IdChip::Em4305, code));
  for (const auto& sent : rig.Sent()) EXPECT_NE(sent.substr(0, 2), "E5") << sent;
  EXPECT_EQ(rig.Results().back(), "NG: Animal ID Write Command");
}

TEST(WriteApi, EveryChipReadsBackWhatWasWritten) {
  struct Case {
    const char* spec;
    IdChip chip;
    uint64_t national;
  };
  for (const Case& c :
       {Case{"sic279", IdChip::Sic279, 100000000001},
        Case{"sic7888", IdChip::Sic7888, 100000000002}, Case{"hdxp", IdChip::HdxPlus, 100000000003},
        Case{"em4305", IdChip::Em4305, 100000000004}}) {
    ProgRig rig({MakeTag(c.spec)});
    const uint64_t code = AnimalIdCode::Animal(392, c.national).Encode();
    ASSERT_TRUE(fdx::WriteAnimalCode(*rig.app, c.chip, code)) << c.spec;
    EXPECT_EQ(fdx::ReadIdCode(rig.app->Link(), c.chip), code) << c.spec;
    EXPECT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"})) << c.spec;
  }
}

TEST(SetId3Read, TheTabDecidesWhichCodesAreAccepted) {
  // An industrial code (bit 63 clear) in a SIC7888.
  ProgRig rig({MakeTag("sic7888:fdxb:0000000000000005")});
  rig.prompts.Then("Button1", {{"PageControl1", kAnimalTab}});
  rig.prompts.Then("Button1", {{"PageControl1", "TabSheet2"}});
  rig.prompts.Then("Button1", {{"RGHexDecimal2", "16進数"}});
  rig.prompts.Then("CloseBox");
  rig.Run("AnimalIDWrite3");
  const auto& seen = rig.prompts.seen;
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].Field("Panel3").text, "NG: Read Tag");
  EXPECT_EQ(seen[1].Field("Panel3").color, 0xFF0000);
  EXPECT_EQ(seen[2].Field("Panel3").text, "ID : 0000000000000000005");
  EXPECT_EQ(seen[2].Field("Panel3").color, -1);
  EXPECT_EQ(seen[3].Field("Panel3").text, "ID : 0000000000000005");
  EXPECT_EQ(seen[3].Field("EdIndustrial").text, "0000000000000001") << "a read changes no field";
  EXPECT_EQ(rig.Sent(), (Lines{"70 01 ", "70 01 ", "70 01 "}));
  EXPECT_TRUE(rig.Results().empty());
}

TEST(SetId3Read, AnimalCodeOfASic279ReadsAsReadOnlyTag) {
  ProgRig rig({MakeTag("sic279:8000F9E0F20EA701")});
  rig.prompts.Then("Button1", {{"PageControl1", kAnimalTab}});
  rig.prompts.Then("Button1", {{"PageControl1", "TabSheet2"}});
  rig.prompts.Then("CloseBox");
  rig.Run("AnimalIDWrite1");
  EXPECT_EQ(rig.prompts.seen.at(1).Field("Panel3").text, "Tag Data: 999 141500000001");
  EXPECT_EQ(rig.prompts.seen.at(2).Field("Panel3").text, "NG: Read Tag");
  EXPECT_EQ(rig.Sent(), (Lines{"71 ", "71 "}));
}

TEST(SetId3Read, AnIdReadCutShortIsNoCode) {
  auto tag = std::make_shared<sim::Sic279Tag>(0x8000F9E0F20EA701);
  tag->Shape.lengthDelta = -1;  // the last ID byte missing
  tag->Shape.onlyCode = 0x71;
  ProgRig rig({tag});
  rig.prompts.Then("Button1", {{"PageControl1", kAnimalTab}});
  rig.prompts.Then("CloseBox");
  rig.Run("AnimalIDWrite1");
  EXPECT_EQ(rig.prompts.seen.at(1).Field("Panel3").text, "NG: Read Tag");
}

TEST(SetId3AutoIncrement, NationalIdBeyond38BitsStartsAgainAtZero) {
  ProgRig rig({MakeTag("sic279")});
  rig.app->Settings.ANI_ID = AnimalIdCode::Animal(999, AnimalIdCode::kMaxNationalId).Bytes();
  rig.prompts.Then("OKBtn", {{"PageControl1", kAnimalTab}, {"EdIncValue", "1"}});
  rig.prompts.Then("OKBtn");
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite1");
  EXPECT_EQ(rig.prompts.seen.at(1).Field("EdNationalCode").Int(), 0);
  EXPECT_EQ(rig.Sent(),
            (Lines{"59 00 FF FF FF FF FF F9 00 80 01 ", "59 00 00 00 00 00 C0 F9 00 80 01 "}));
  EXPECT_EQ(fdx::AnimalIdCode::FromBytes(rig.app->Settings.ANI_ID).nationalId, 1u);
}

TEST(SetId3AutoIncrement, IndustrialNumberReachingBit63StartsAgainAtZero) {
  ProgRig rig({MakeTag("sic279")});
  rig.app->Settings.IND_ID = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  rig.app->Settings.IncValue = 1;
  rig.prompts.Then("OKBtn");
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite1");
  EXPECT_EQ(rig.prompts.shown.at(0).Field("EdIndustrial").text, "9223372036854775807");
  EXPECT_EQ(rig.Sent(), (Lines{"59 00 FF FF FF FF FF FF FF 7F 01 "}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: Industrial ID Write Command"}));
  EXPECT_EQ(rig.prompts.seen.at(1).Field("EdIndustrial").text, "0");
  EXPECT_EQ(rig.app->Settings.IND_ID, (fdx::IdBytes{}));
}

TEST(SetId3AutoIncrement, FieldsStayAfterAFailedWriteOrWithoutTheCheckBox) {
  ProgRig rig;  // nothing in the field
  rig.prompts.Then("OKBtn");
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite1");
  EXPECT_EQ(rig.Results().back(), "NG: Industrial ID Write Command");
  EXPECT_EQ(rig.prompts.seen.at(1).Field("EdIndustrial").text, "1");

  ProgRig rig2({MakeTag("sic279")});
  rig2.prompts.Then("OKBtn", {{"CBAutoInc", "0"}});
  rig2.prompts.Then("CancelBtn");
  rig2.Run("AnimalIDWrite1");
  EXPECT_EQ(rig2.prompts.seen.at(1).Field("EdIndustrial").text, "1");
  EXPECT_EQ(rig2.app->Settings.fIncValue, 0);
}

TEST(SetId3Industrial, HexadecimalBaseFromDecHexMode) {
  OptionSettings s;
  s.DecHexMode = 1;
  const PromptForm f = MakeSetID3Dlg(SetId3Mode::Em4305, s, 999);
  EXPECT_EQ(f.Field("EdIndustrial").text, "0000000000000001");
  EXPECT_EQ(f.Field("RGHexDecimal2").index, 1);
  EXPECT_EQ(f.activePage, "TabSheet2") << "opens on \"Industrial\"";
  EXPECT_EQ(f.Field("EdCountryCode").Int(), 999);
  EXPECT_FALSE(f.Field("EdCountryCode").enabled);
  EXPECT_EQ(f.Field("EdNationalCode").Int(), 141500000001);
  EXPECT_EQ(f.caption, "EM4305; 動物ID書込み");
}

TEST(SetId3Industrial, BaseSwitchConvertsTheText) {
  PromptForm f = MakeSetID3Dlg(SetId3Mode::Sic279, OptionSettings{}, 999);
  f.Field("EdIndustrial").text = "255";
  ScriptedPrompts::ApplyValue(f, f.Field("RGHexDecimal2"), "1");
  EXPECT_EQ(f.Field("EdIndustrial").text, "00000000000000FF");
  ScriptedPrompts::ApplyValue(f, f.Field("RGHexDecimal2"), "1");
  EXPECT_EQ(f.Field("EdIndustrial").text, "00000000000000FF") << "the chosen base again: no change";
  ScriptedPrompts::ApplyValue(f, f.Field("RGHexDecimal2"), "0");
  EXPECT_EQ(f.Field("EdIndustrial").text, "255");
  f.Field("EdIndustrial").text = "12a";
  ScriptedPrompts::ApplyValue(f, f.Field("RGHexDecimal2"), "1");
  EXPECT_EQ(f.Field("EdIndustrial").text, "12a") << "no decimal number: left as typed";
}

TEST(SetId3Industrial, HexadecimalWriteAndIncrementKeepTheBase) {
  ProgRig rig({MakeTag("sic279")});
  rig.app->Settings.DecHexMode = 1;
  rig.prompts.Then("OKBtn", {{"EdIndustrial", "80000000000000FF"}, {"EdIncValue", "2"}});
  rig.prompts.Then("CancelBtn");
  rig.Run("AnimalIDWrite1");
  EXPECT_EQ(rig.Sent(), (Lines{"59 00 FF 00 00 00 00 00 00 00 01 "})) << "bit 63 cleared";
  EXPECT_EQ(rig.prompts.seen.at(1).Field("EdIndustrial").text, "0000000000000000")
      << "the sum has bit 63 set";
  EXPECT_EQ(rig.app->Settings.DecHexMode, 1);
}

TEST(SetId3Industrial, MistypedNumberIsRefusedAndKeepsTheStoredId) {
  for (const char* typed : {"12a", "-1", "18446744073709551616", ""}) {
    ProgRig rig({MakeTag("sic279")});
    rig.app->Settings.IND_ID = {7, 0, 0, 0, 0, 0, 0, 0};
    rig.prompts.Then("OKBtn", {{"EdIndustrial", typed}});
    rig.prompts.Then("CancelBtn");
    rig.Run("AnimalIDWrite1");
    EXPECT_TRUE(rig.Sent().empty()) << typed;
    EXPECT_EQ(rig.prompts.messages, (Lines{"ID Code: 10進数で入力してください"})) << typed;
    EXPECT_EQ(rig.app->Settings.IND_ID[0], 7) << typed;
  }
  ProgRig rig({MakeTag("sic279")});
  rig.app->Settings.DecHexMode = 1;
  rig.prompts.Then("OKBtn", {{"EdIndustrial", "10000000000000000"}});  // 17 digits
  rig.prompts.Then("CloseBox");
  rig.Run("AnimalIDWrite1");
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_EQ(rig.prompts.messages, (Lines{"ID Code: 16進数16桁以内で入力してください"}));
}

TEST(SetId3Close, CloseStoresAndSavesTheCloseBoxKeepsNothing) {
  {
    ProgRig rig({MakeTag("sic279")});
    rig.prompts.Then("CancelBtn", {{"RGHexDecimal2", "1"},
                                   {"EdIndustrial", "42"},
                                   {"PageControl1", kAnimalTab},
                                   {"EdNationalCode", "5"},
                                   {"CBAutoInc", "0"},
                                   {"EdIncValue", "9"}});
    rig.Run("AnimalIDWrite1");
    const OptionSettings& s = rig.app->Settings;
    EXPECT_EQ(AnimalIdCode::FromBytes(s.ANI_ID), AnimalIdCode::Animal(999, 5));
    EXPECT_EQ(s.IND_ID, (fdx::IdBytes{0x42, 0, 0, 0, 0, 0, 0, 0})) << "typed in hexadecimal";
    EXPECT_EQ(s.DecHexMode, 0) << "the \"Animal\" tab's base is decimal";
    IniFile ini(rig.config.SettingsPath());
    ini.Load();
    EXPECT_EQ(ini.ReadInteger("Option", "fIncValue", -1), 0);
    EXPECT_EQ(ini.ReadInteger("Option", "IncValue", -1), 9);
    EXPECT_EQ(ini.ReadInteger("Option", "IND_ID0", -1), 0x42);
    EXPECT_EQ(ini.ReadInteger("Option", "ANI_ID0", -1), 5);
  }
  {
    ProgRig rig({MakeTag("sic279")});
    rig.prompts.Then("CloseBox", {{"EdNationalCode", "5"}, {"CBAutoInc", "0"}});
    rig.Run("AnimalIDWrite1");
    EXPECT_EQ(rig.app->Settings.fIncValue, 1);
    EXPECT_EQ(AnimalIdCode::FromBytes(rig.app->Settings.ANI_ID).nationalId, 141500000001u);
    IniFile ini(rig.config.SettingsPath());
    ini.Load();
    EXPECT_EQ(ini.ReadInteger("Option", "fIncValue", -1), -1) << "nothing saved";
  }
}

}  // namespace
