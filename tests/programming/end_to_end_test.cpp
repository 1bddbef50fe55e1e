// Programming an animal code into each chip family through its dialog, then reading it back
// through the ID read items: the same country code and national ID come back.
#include <gtest/gtest.h>

#include "tests/programming/programming_rig.h"

using namespace prog_test;

namespace {

const char* kAnimalTab = "TabSheet1";

// Writes national ID 141500000123 (country 999) through the plain dialog of `item`.
void WriteThroughPlainDialog(ProgRig& rig, const std::string& item) {
  rig.prompts.Then("OKBtn", {{"PageControl1", kAnimalTab}, {"EdNationalCode", "141500000123"}});
  rig.prompts.Then("CancelBtn");
  rig.Run(item);
  ASSERT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"})) << item;
  rig.Clear();
}

TEST(EndToEnd, Sic279ReadsBackAsAReadOnlyAnimalTag) {
  ProgRig rig({MakeTag("sic279:0000000000000001")});
  WriteThroughPlainDialog(rig, "AnimalIDWrite1");
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Results(),
            (Lines{"Tag Type: Read Only Tag", "Animal Application", "ID : 999 141500000123"}));
  rig.Clear();
  rig.Run("IDRead3");
  EXPECT_EQ(rig.Results(), (Lines{"OK: IDRead Command", "Tag Type: SIC279 Tag",
                                  "Data: 80 00 F9 E0 F2 0E A7 7B "}));
}

TEST(EndToEnd, Sic7888ReadsBackAsAnFdxbAnimalTag) {
  ProgRig rig({MakeTag("sic7888")});
  WriteThroughPlainDialog(rig, "AnimalIDWrite3");
  rig.app->Settings.fReadAnimalID = 1;
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Results(),
            (Lines{"Tag Type: FDX-B Tag", "Animal Application", "ID : 999 141500000123",
                   "国番号        ：999", "動物コード    ：14", "販売会社コード：15",
                   "個体識別番号  ：00000123"}));
  rig.Clear();
  rig.Run("IDRead1");
  EXPECT_EQ(rig.Results(),
            (Lines{"OK: IDRead Command", "Tag Type: FDX-B Tag", "Data: 80 00 F9 E0 F2 0E A7 7B "}));
}

TEST(EndToEnd, Em4305ReadsBackAsAnFdxbAnimalTag) {
  ProgRig rig({MakeTag("em4305")});
  WriteThroughPlainDialog(rig, "EM43052");
  rig.Run("IDRead1");
  // The BDE recognition's block read finds no SIC7888: only the exchange's line.
  EXPECT_EQ(rig.Results(), (Lines{"OK: IDRead Command", "No response from tag",
                                  "Tag Type: FDX-B Tag", "Data: 80 00 F9 E0 F2 0E A7 7B "}));
  rig.Clear();
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Results(),
            (Lines{"Tag Type: FDX-B Tag", "Animal Application", "ID : 999 141500000123"}));
}

TEST(EndToEnd, HdxPlusReadsBackThroughBothHdxReads) {
  ProgRig rig({MakeTag("hdxp:0000000000000001")});
  rig.prompts.Answer("EdNationalCode", "141500000123");
  rig.Run("AnimalIDWrite2");
  ASSERT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"}));
  rig.Clear();
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Results(),
            (Lines{"Tag Type: Read Only Tag", "Animal Application", "ID : 999 141500000123"}));
  rig.Clear();
  rig.Run("IDRead3");
  EXPECT_EQ(rig.Results(), (Lines{"OK: IDRead Command", "Tag Type: Read Only Tag",
                                  "Data: 80 00 F9 E0 F2 0E A7 7B "}));
}

TEST(EndToEnd, DetailedDialogWritesTheJapaneseStructure) {
  ProgRig rig({MakeTag("sic279")});
  rig.app->Settings.fWriteAnimalID = 1;
  rig.app->Settings.fReadAnimalID = 2;
  rig.prompts.Answer("RGSelAnimal", "牛(10)");
  rig.prompts.Answer("EdMakerCode", "30");
  rig.prompts.Answer("EdID0", "12345678");
  rig.Run("AnimalIDWrite1");
  ASSERT_EQ(rig.Results(), (Lines{"OK: Animal ID Write Command"}));
  rig.Clear();
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Results(),
            (Lines{"Tag Type: Read Only Tag", "Animal Application", "Country Code    : 999",
                   "ID              : 103012345678", "Retag-counter   : 0", "User Information: 00",
                   "Reserved        : 00", "RUDI-Bit        : 0", "Data Block Flag : 0"}));
}

}  // namespace
