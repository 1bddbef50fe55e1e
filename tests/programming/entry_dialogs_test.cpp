// Which entry dialog the animal-ID items open, the detailed dialog TSetAnimalID1Dlg (STID, the
// Japanese animal codes, country code 999, every chip's write) and the HDX+ dialog TSetID2Dlg.
#include <gtest/gtest.h>

#include "codec/animal_id.h"
#include "fdx/set_animal_id1_dlg.h"
#include "sim/chips/em4305.h"
#include "sim/chips/hdx_plus.h"
#include "sim/chips/sic7888.h"
#include "tests/programming/programming_rig.h"

using namespace prog_test;
using fdx::AnimalIdCode;

namespace {

constexpr int kDetailed = 1;

TEST(AnimalIdItems, EveryItemOpensTheDialogOfItsChip) {
  struct Case {
    const char* item;
    int fWriteAnimalID;
    const char* dialog;
    const char* caption;
  };
  for (const Case& c : {Case{"AnimalIDWrite1", 0, "TSetID3Dlg", "SIC279; 動物ID書込み"},
                        Case{"MnSIC279_AnimalIDWrite", 0, "TSetID3Dlg", "SIC279; 動物ID書込み"},
                        Case{"AnimalIDWrite3", 0, "TSetID3Dlg", "SIC7888; 動物ID書込み"},
                        Case{"FDXB1", 0, "TSetID3Dlg", "SIC7888; 動物ID書込み"},
                        Case{"EM43052", 0, "TSetID3Dlg", "EM4305; 動物ID書込み"},
                        Case{"AnimalIDWrite2", 0, "TSetID2Dlg", "ID書込み"},
                        Case{"AnimalIDWrite1", 1, "TSetAnimalID1Dlg", "Animal ID"},
                        Case{"FDXB1", 1, "TSetAnimalID1Dlg", "Animal ID"},
                        Case{"EM43052", 1, "TSetAnimalID1Dlg", "Animal ID"},
                        Case{"AnimalIDWrite2", 7, "TSetAnimalID1Dlg", "Animal ID"}}) {
    ProgRig rig;
    rig.app->Settings.fWriteAnimalID = c.fWriteAnimalID;
    rig.prompts.CancelFirst();
    rig.Run(c.item);
    ASSERT_EQ(rig.prompts.shown.size(), 1u) << c.item;
    EXPECT_EQ(rig.prompts.shown[0].dialog, c.dialog) << c.item;
    EXPECT_EQ(rig.prompts.shown[0].caption, c.caption) << c.item;
    EXPECT_TRUE(rig.Sent().empty()) << c.item;
  }
}

TEST(SetAnimalId1, OpensFromTheStoredCodeAndKeepsCountry999WhenCancelled) {
  ProgRig rig;
  rig.app->Settings.fWriteAnimalID = kDetailed;
  AnimalIdCode stored = AnimalIdCode::Animal(392, 121234567890);
  stored.retagCounter = 3;
  stored.rudiBit = 1;
  rig.app->Settings.ANI_ID = stored.Bytes();
  rig.prompts.CancelFirst();
  rig.Run("AnimalIDWrite1");
  const PromptForm& f = rig.prompts.shown.at(0);
  EXPECT_EQ(f.Field("RGSelAnimal").index, 2);
  EXPECT_EQ(f.Field("RGSelAnimal").items[2], "豚(12)");
  EXPECT_EQ(f.Field("EdMakerCode").Int(), 12);
  EXPECT_EQ(f.Field("EdID0").Int(), 34567890);
  EXPECT_EQ(f.Field("STID").text, "999121234567890");
  EXPECT_EQ(f.Field("EdRectag").Int(), 3);
  EXPECT_EQ(f.Field("RGRUDI").index, 1);
  EXPECT_EQ(f.Field("RGFlag").index, 1);
  EXPECT_TRUE(f.Field("CBfLock").visible) << "the SIC279 may lock";
  EXPECT_FALSE(f.Field("CBfLock").checked);
  EXPECT_FALSE(f.Field("EdCountryCode").enabled);
  stored.countryCode = 999;
  EXPECT_EQ(AnimalIdCode::FromBytes(rig.app->Settings.ANI_ID), stored)
      << "country 999 even after Cancel, all else as it was";
}

TEST(SetAnimalId1, StidFollowsEveryFieldAndAnUnknownAnimalCodeIsAPet) {
  PromptForm f = MakeSetAnimalID1Dlg(AnimalIdCode::Animal(999, 91500000001).Encode(), false);
  EXPECT_EQ(f.Field("RGSelAnimal").index, 3) << "09 is no item: \"ペット(14)\"";
  EXPECT_EQ(f.Field("STID").text, "999141500000001");
  EXPECT_FALSE(f.Field("CBfLock").visible);
  ScriptedPrompts::ApplyValue(f, f.Field("RGSelAnimal"), "牛(10)");
  EXPECT_EQ(f.Field("STID").text, "999101500000001");
  ScriptedPrompts::ApplyValue(f, f.Field("EdMakerCode"), "7");
  ScriptedPrompts::ApplyValue(f, f.Field("EdID0"), "42");
  EXPECT_EQ(f.Field("STID").text, "999100700000042");
  f.Field("RGSelAnimal").index = -1;  // no item chosen
  EXPECT_EQ(ComposeStid(f), "999140700000042");
  EXPECT_EQ(AnimalIdCode::Decode(SetAnimalId1Code(f)).nationalId, 140700000042u);
}

TEST(SetAnimalId1, Sic7888WriteComposesEveryFieldWithoutTheConfigurationStep) {
  auto tag = std::make_shared<sim::Sic7888Tag>();
  tag->Program(1, sim::Sic7888Tag::kIsoFdxbConfig);
  ProgRig rig({tag});
  rig.app->Settings.fWriteAnimalID = kDetailed;
  for (const auto& [field, value] : {std::pair{"RGSelAnimal", "馬(11)"},
                                     {"EdMakerCode", "15"},
                                     {"EdID0", "1"},
                                     {"RGFlag", "1"},
                                     {"EdRectag", "5"},
                                     {"EdUserInfo", "31"},
                                     {"EdReserved", "2"},
                                     {"RGRUDI", "1"},
                                     {"RGDataBlockFlag", "1"}})
    rig.prompts.Answer(field, value);
  rig.Run("AnimalIDWrite3");
  EXPECT_EQ(rig.prompts.shown.at(0).Field("STID").text, "999111500000001");
  EXPECT_EQ(rig.Sent(), (Lines{"86 01 01 FB EA F5 D9 F9 8B DF "}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: IDWrite[SIC7888] Command"}));
  EXPECT_EQ(rig.app->Settings.ANI_ID,
            (fdx::IdBytes{0x01, 0xFB, 0xEA, 0xF5, 0xD9, 0xF9, 0x8B, 0xDF}));
  EXPECT_TRUE(rig.prompts.UnusedAnswers().empty());
}

TEST(SetAnimalId1, Sic7888ConfiguredForAnotherLayoutRefusesTheWrite) {
  ProgRig rig({std::make_shared<sim::Sic7888Tag>()});  // block 1 00 00 00 00
  rig.app->Settings.fWriteAnimalID = kDetailed;
  rig.Run("AnimalIDWrite3");
  EXPECT_EQ(rig.Sent(), (Lines{"86 01 01 A7 0E F2 E0 F9 00 80 "}));
  EXPECT_EQ(rig.Results().back(), "NG: IDWrite[SIC7888] Command");
}

TEST(SetAnimalId1, Em4305NeedsItsConfigurationStep) {
  {
    ProgRig rig({MakeTag("em4305")});
    rig.app->Settings.fWriteAnimalID = kDetailed;
    rig.Run("EM43052");
    EXPECT_EQ(rig.Sent(),
              (Lines{"E1 04 ", "E0 04 00 02 00 8F ", "E5 01 01 A7 0E F2 E0 F9 00 80 "}));
    EXPECT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"}));
  }
  ProgRig rig({MakeTag("em4305")});
  rig.With<sim::Em4305Tag>(0, [](sim::Em4305Tag& t) { t.Program(14, {0x00, 0x00, 0x80, 0x10}); });
  rig.app->Settings.fWriteAnimalID = kDetailed;
  rig.Run("EM43052");
  EXPECT_EQ(rig.Sent(), (Lines{"E1 04 ", "E0 04 00 02 00 8F "}));
  EXPECT_EQ(rig.Results().back(), "NG: Animal ID Write Command");
}

TEST(SetAnimalId1, LockOfAnHdxPlusIsAskedFirst) {
  ProgRig rig({MakeTag("hdxp:0000000000000001")});
  rig.app->Settings.fWriteAnimalID = kDetailed;
  rig.prompts.Answer("CBfLock", "1");
  rig.prompts.Answer("EdID0", "2");
  rig.prompts.QueueConfirm(false);
  rig.Run("AnimalIDWrite2");
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_TRUE(rig.Results().empty());
  EXPECT_EQ(AnimalIdCode::FromBytes(rig.app->Settings.ANI_ID).nationalId, 141500000001u)
      << "No: nothing stored";

  rig.Run("AnimalIDWrite2");  // the same answers, confirmed
  EXPECT_EQ(rig.Sent(), (Lines{"3B 02 A7 0E F2 E0 F9 00 80 01 "}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"}));
  bool locked = false;
  rig.With<sim::HdxPlusTag>(0, [&](sim::HdxPlusTag& t) { locked = t.Memory().Locked(14); });
  EXPECT_TRUE(locked);
}

TEST(SetId2, IndustrialFlagKeepsCountry999) {
  ProgRig rig({MakeTag("hdxp")});
  rig.prompts.Answer("RGFlag", "工業用");
  rig.prompts.Answer("EdNationalCode", "123456789012");
  rig.Run("AnimalIDWrite2");
  EXPECT_EQ(rig.Sent(), (Lines{"3B 14 1A 99 BE DC F9 00 00 00 "}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"}));
  const AnimalIdCode stored = AnimalIdCode::FromBytes(rig.app->Settings.ANI_ID);
  EXPECT_FALSE(stored.animal);
  EXPECT_EQ(stored.countryCode, 999u);
  EXPECT_EQ(stored.nationalId, 123456789012u);
}

TEST(SetId2, NationalCodeBeyond38BitsStopsAtTheLargestInsteadOfBeingCut) {
  ProgRig rig({MakeTag("hdxp")});
  rig.prompts.Answer("EdNationalCode", "300000000000");
  rig.Run("AnimalIDWrite2");
  EXPECT_EQ(rig.Sent(), (Lines{"3B FF FF FF FF FF F9 00 80 00 "}));
}

TEST(SetId2, CancelSendsAndStoresNothing) {
  ProgRig rig({MakeTag("hdxp")});
  rig.prompts.Answer("EdNationalCode", "5");
  rig.prompts.CancelFirst();
  rig.Run("AnimalIDWrite2");
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_EQ(AnimalIdCode::FromBytes(rig.app->Settings.ANI_ID).nationalId, 141500000001u);
}

}  // namespace
