// The FDX ID reads against the simulator: EM, BDE and FECAVA recognition, the fallback by reader
// level, the animal-ID read in its display modes, the combined read, and short answers.
#include <gtest/gtest.h>

#include "sim/chips/fecava.h"
#include "tests/fdx/fdx_rig.h"

using namespace fdx_test;
using Lines = std::vector<std::string>;

namespace {
const char* const kNoTag = "No response from tag";
const char* const kDefaultCode = "fdxb:hex:8000F9E0F20EA701";
}  // namespace

TEST(IdReadFdx, FdxbTagIsShownWithItsReportedType) {
  FdxRig rig({MakeTag(kDefaultCode)});
  rig.Run("IDRead1");
  // The BDE recognition reads SIC7888 block 1, which a factory FDX-B tag does not have.
  EXPECT_EQ(rig.Sent(), (Lines{"70 01 ", "81 01 01 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: IDRead Command", kNoTag, "Tag Type: FDX-B Tag",
                                "Data: 80 00 F9 E0 F2 0E A7 01 "}));
}

TEST(IdReadFdx, BdeIsRecognisedByBlockOne) {
  FdxRig rig({MakeTag("sic7888:bde:40400000FFFFFFFF")});
  rig.Run("IDRead1");
  EXPECT_EQ(rig.Lines(), (Lines{"OK: IDRead Command", "Tag Type: BDE Tag",
                                "Data: 40 40 00 00 FF FF FF FF ", "ID: 0 1 4194304 1023 4194303"}));
  rig.Clear();
  // The combined read shows the reported type and the bytes only.
  rig.Run("IDRead3");
  EXPECT_EQ(rig.Sent(), (Lines{"71 02 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"OK: IDRead Command", "Tag Type: FDX-B Tag", "Data: 40 40 00 00 FF FF FF FF "}));
  rig.Clear();
  // Any other configuration word is no BDE tag.
  rig.field->With(0, [](sim::Transponder& t) {
    t.Memory().Program(1, std::vector<uint8_t>{0xC0, 0x48, 0x00, 0x01});
  });
  rig.Run("IDRead1");
  EXPECT_EQ(rig.Lines()[1], "Tag Type: FDX-B Tag");
}

TEST(IdReadFdx, EmTagGivesItsTwoLinesAndNoType) {
  FdxRig rig({MakeTag("em:0504030201")});
  rig.Run("IDRead1");
  EXPECT_EQ(rig.Sent(), (Lines{"70 01 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: IDRead Command", "Version/Customer ID: 005",
                                "ID: 01 02 03 04[0067305985]"}));
}

TEST(IdReadFdx, FecavaFallbackByReaderLevel) {
  const auto fecava = [] { return MakeTag("fecava:01:02:03:04:7F"); };
  {
    FdxRig level1({fecava()}, "1010LFS00");
    level1.Run("IDRead1");
    EXPECT_EQ(level1.Sent(), (Lines{"70 01 "}));
    EXPECT_EQ(level1.Lines(), (Lines{kNoTag, "NG: IDRead Command"}));
  }
  {
    FdxRig level2({fecava()}, "1020LFS00");
    level2.Run("IDRead1");
    EXPECT_EQ(level2.Sent(), (Lines{"70 01 ", "72 "}));
    EXPECT_EQ(level2.Lines(),
              (Lines{kNoTag, "OK: IDRead Command", "Tag Type: FECAVA Tag", "ID: 01 02 03 04 7F"}));
  }
  {
    FdxRig level3;  // nothing in the field: the FECAVA read decides
    level3.Run("IDRead1");
    EXPECT_EQ(level3.Lines(), (Lines{kNoTag, kNoTag, "NG: IDRead Command"}));
  }
}

TEST(IdReadFecava, ShowsTheValuesWithoutParity) {
  FdxRig rig({MakeTag("sic7888:fecava:0102030405")});
  rig.Run("FecavaIDread1");
  EXPECT_EQ(rig.Lines(),
            (Lines{"OK: IDRead(FECAVA) Command", "Tag Type: FECAVA Tag", "ID: 01 02 03 04 05"}));
  rig.field->Clear();
  rig.Clear();
  rig.Run("FecavaIDread1");
  EXPECT_EQ(rig.Lines(), (Lines{kNoTag, "NG: IDRead(FECAVA) Command"}));
}

TEST(IdReadAnimal, DisplayModesAndNoOkLine) {
  FdxRig rig({MakeTag(kDefaultCode)});
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Sent(), (Lines{"71 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"Tag Type: FDX-B Tag", "Animal Application", "ID : 999 141500000001"}));
  rig.Clear();
  rig.app->Settings.fReadAnimalID = 7;  // any value above 1: the debug display
  rig.Run("IDRead2");
  const Lines debug = rig.Lines();
  ASSERT_EQ(debug.size(), 10u);
  EXPECT_EQ(debug[2], "Country Code    : 999");
  EXPECT_EQ(debug[9], "株式会社日立ハイテクマテリアルズ");
}

TEST(IdReadAnimal, NonAnimalEmAndNoTag) {
  FdxRig rig({MakeTag("fdxb:na:5")});
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Lines(),
            (Lines{"Tag Type: FDX-B Tag", "Non animal Application", "ID: 000000000000000005"}));
  rig.field->Replace(0, MakeTag("em:0504030201"));
  rig.Clear();
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Lines(), (Lines{"Version/Customer ID: 005", "ID: 01 02 03 04[0067305985]"}));
  rig.field->Clear();
  rig.Clear();
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Lines(), (Lines{kNoTag, "NG: IDRead Command"}));
}

namespace {
// A tag whose ID read answers carry fewer bytes than their type calls for.
class ShortAnswerTag : public sim::Transponder {
 public:
  ShortAnswerTag(uint8_t kind, std::vector<uint8_t> id)
      : Transponder("short", kind, sim::AirInterface::Fdx, sim::TagMemory(1, 1)),
        id_(std::move(id)) {}
  std::vector<uint8_t> IdBytes() const override { return id_; }
  std::string Describe() const override { return "short"; }
  bool AnswersIdRead(sim::IdRead) const override { return true; }

 private:
  std::vector<uint8_t> id_;
};
}  // namespace

TEST(IdReadShortAnswers, AreFailuresNotMadeUpIds) {
  FdxRig rig({std::make_shared<ShortAnswerTag>(6, std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7})},
             "1010LFS00");
  rig.Run("IDRead1");
  EXPECT_EQ(rig.Lines(), (Lines{"NG: IDRead Command"}));
  rig.Clear();
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Lines(), (Lines{"NG: IDRead Command"}));
  rig.Clear();
  rig.Run("IDRead3");
  EXPECT_EQ(rig.Lines(), (Lines{"NG: IDRead Command"}));
  rig.Clear();
  // Five bytes are a whole EM ID, but not a whole FDX-B code.
  rig.field->Replace(0, std::make_shared<ShortAnswerTag>(5, std::vector<uint8_t>{1, 2, 3, 4, 5}));
  rig.Run("IDRead1");
  EXPECT_EQ(rig.Lines()[0], "OK: IDRead Command");
  FdxRig level3({std::make_shared<ShortAnswerTag>(8, std::vector<uint8_t>{1, 2, 3, 4})});
  level3.Run("FecavaIDread1");
  EXPECT_EQ(level3.Lines(), (Lines{"NG: IDRead(FECAVA) Command"}));
}
