// The TI HDX menu items against the simulated module: the answers each one takes, its lines and
// the values it remembers.
#include <gtest/gtest.h>

#include "sim/chips/ti_hdx.h"
#include "tests/hdx/hdx_rig.h"

using namespace hdx_test;
using Lines = std::vector<std::string>;

namespace {

class TiCommands : public ::testing::Test {
 protected:
  TiCommands() : rig({MakeChip("ti-mpt:8877665544332211")}) {}
  sim::TiHdxTag& Tag() { return *rig.Tag<sim::TiHdxTag>(); }
  void Shape(int delta, bool wrongEcho = false) {
    rig.sim->TheField().With(0, [&](sim::Transponder&) {
      Tag().Shape.lengthDelta = delta;
      Tag().Shape.wrongEcho = wrongEcho;
    });
  }
  HdxRig rig;
};

TEST_F(TiCommands, ChargeOnlyReadTakesTenOrMoreBytesWithItsEcho) {
  ASSERT_TRUE(rig.Run("MnChargeOnlyReadCmd1"));
  EXPECT_EQ(rig.Results(), (Lines{"OK: ChargeOnlyRead Command", "Tag Type: Multi Page Tag",
                                  "Data: 88 77 66 55 44 33 22 11 "}));
  rig.ClearLog();
  Shape(+3);  // longer answers are taken, their first ten bytes used
  rig.Run("MnChargeOnlyReadCmd1");
  EXPECT_EQ(rig.Results(), (Lines{"OK: ChargeOnlyRead Command", "Tag Type: Multi Page Tag",
                                  "Data: 88 77 66 55 44 33 22 11 "}));
  for (auto [delta, echo] : {std::pair{-1, false}, std::pair{0, true}}) {
    rig.ClearLog();
    Shape(delta, echo);
    rig.Run("MnChargeOnlyReadCmd1");
    EXPECT_EQ(rig.Results(), (Lines{"NG: ChargeOnlyRead Command"})) << delta << echo;
  }
}

TEST_F(TiCommands, ExecutionTimeComesBeforeTheResultOfChargeOnlyRead) {
  rig.app->Settings.fTimeOut = 1;
  rig.Run("MnChargeOnlyReadCmd1");
  const Lines r = rig.Results();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].rfind("Execution time : ", 0), 0u) << r[0];
  EXPECT_EQ(r[1], "OK: ChargeOnlyRead Command");
}

TEST_F(TiCommands, WriteAndProgramWritesTheIdAndKeepsTheBytesWhateverTheResult) {
  rig.prompts.Answer("IntEdit1", "A1");
  rig.prompts.Answer("IntEdit8", "B8");
  rig.Run("MNWriteAndProgramCmd1");
  ASSERT_EQ(rig.prompts.shown.size(), 1u);
  const PromptForm& form = rig.prompts.shown[0];
  EXPECT_EQ(form.caption, "WriteAndProgram");
  EXPECT_FALSE(form.Field("IntEd1").visible);
  EXPECT_EQ(form.Field("IntEdit2").number.Text(), "01") << "filled from the remembered write data";
  EXPECT_EQ(rig.Results(), (Lines{"OK: WriteAndProgram Command", "Tag Type: Multi Page Tag",
                                  "Data: B8 06 05 04 03 02 01 A1 "}));
  EXPECT_EQ(Tag().Page(1), (std::array<uint8_t, 8>{0xA1, 1, 2, 3, 4, 5, 6, 0xB8}));

  // Exactly ten bytes: one more is an NG, and the bytes entered are kept all the same.
  rig.ClearLog();
  Shape(+1);
  rig.prompts.Answer("IntEdit1", "C1");
  rig.Run("MNWriteAndProgramCmd1");
  EXPECT_EQ(rig.Results(), (Lines{"NG: WriteAndProgram Command"}));
  EXPECT_EQ(rig.app->Settings.WriteData[0], 0xC1);
  EXPECT_EQ(rig.app->Settings.WriteData[7], 0xB8);
  EXPECT_EQ(rig.app->Settings.WriteData[8], 8) << "bytes 8-15 are not used here";
}

TEST_F(TiCommands, PageReadShowsDataStatusAndRemembersThePage) {
  Tag().SetPage(3, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17});
  Tag().LockPageNow(3);
  rig.prompts.Answer("IntEd", "3");
  rig.Run("MnGeneralReadPageCmd");
  EXPECT_EQ(rig.prompts.shown[0].Field("STTitle").text, "Enter page number");
  EXPECT_EQ(rig.Results(), (Lines{"OK: GeneralReadPage Command", "Tag Type: Multi Page Tag",
                                  "Data: 17 16 15 14 13 12 11 10 ", "Page: 3[Read locked page]"}));
  EXPECT_EQ(rig.app->Settings.TirisPage, 3);
}

TEST_F(TiCommands, PagePromptsDoNotEnforceTheirRange) {
  rig.prompts.Answer("TInputIntDlg.IntEd", "256");
  rig.Run("MnGeneralReadPageCmd");
  EXPECT_TRUE(rig.Sent({0x12, 0x00})) << "256 goes out as page 0";
  EXPECT_EQ(rig.app->Settings.TirisPage, 0);
  EXPECT_EQ(rig.Results(), (Lines{"No response from tag", "NG: GeneralReadPage Command"}));
  rig.ClearLog();
  rig.Run("MnLockPageCmd");  // the remembered page 0 is offered and sent
  EXPECT_TRUE(rig.Sent({0x14, 0x00}));
}

TEST_F(TiCommands, PageCommandsTakeExactlyElevenBytes) {
  for (const char* item : {"MnGeneralReadPageCmd", "MnProgramPageCmd", "MnLockPageCmd"}) {
    for (int delta : {-1, +1}) {
      rig.ClearLog();
      Shape(delta);
      rig.Run(item);
      ASSERT_EQ(rig.Results().size(), 1u) << item << delta;
      EXPECT_EQ(rig.Results()[0].rfind("NG: ", 0), 0u) << item << delta;
    }
  }
  Shape(0, true);
  rig.ClearLog();
  rig.Run("MnLockPageCmd");
  EXPECT_EQ(rig.Results(), (Lines{"NG: LockPage Command"})) << "the lock answer's echo is checked";
}

TEST_F(TiCommands, ProgramPageAndLockPage) {
  rig.prompts.Answer("TWriteData2Dlg.IntEd1", "5");
  rig.Run("MnProgramPageCmd");
  const PromptForm& form = rig.prompts.shown[0];
  EXPECT_EQ(form.Field("STTitle1").text, "page（1-17）");
  EXPECT_EQ(form.Field("IntEdit8").label, "(MSB)7");
  EXPECT_EQ(rig.Results(), (Lines{"OK: ProgramPage Command", "Tag Type: Multi Page Tag",
                                  "Data: 07 06 05 04 03 02 01 00 ", "Page: 5[Programming done]"}));
  EXPECT_EQ(rig.app->Settings.TirisPage, 5);
  rig.ClearLog();
  rig.Run("MnLockPageCmd");
  EXPECT_EQ(rig.prompts.shown[1].Field("IntEd").Int(), 5);
  EXPECT_EQ(rig.Results(), (Lines{"OK: LockPage Command", "Tag Type: Multi Page Tag",
                                  "Data: 07 06 05 04 03 02 01 00 ", "Page: 5[Read locked page]"}));
  EXPECT_TRUE(Tag().PageLocked(5));
}

TEST_F(TiCommands, CancelSendsNothingAndKeepsTheRememberedValues) {
  for (const char* item : {"MNWriteAndProgramCmd1", "MnGeneralReadPageCmd", "MnProgramPageCmd",
                           "MnLockPageCmd", "MnGeneralReadPageCmd2", "MnWriteAndProgramCmd2"}) {
    rig.prompts.Answer("IntEd", "9");
    rig.prompts.Answer("IntEd1", "9");
    rig.prompts.Answer("IntEd2", "9");
    rig.prompts.CancelFirst();
    rig.Run(item);
  }
  EXPECT_TRUE(rig.Lines().empty());
  EXPECT_EQ(rig.app->Settings.TirisPage, 1);
  EXPECT_EQ(rig.app->Settings.BlockNo, 0);
  EXPECT_EQ(rig.app->Settings.BlockNum, 0);
}

TEST_F(TiCommands, GeneralReadPageCmd2ShowsTheTagTypeOnly) {
  rig.prompts.Answer("IntEd1", "2");
  rig.prompts.Answer("IntEd2", "4");
  rig.Run("MnGeneralReadPageCmd2");
  EXPECT_TRUE(rig.Sent({0x8B, 2, 4}));
  EXPECT_EQ(rig.Results(), (Lines{"OK : GeneralReadPageCmd", "Tag Type: Multi Page Tag"}));
  EXPECT_EQ(rig.app->Settings.TirisPage, 2);
  EXPECT_EQ(rig.app->Settings.BlockNum, 4);
  EXPECT_FALSE(rig.prompts.shown[0].Field("EdString").visible);

  // An answer that holds only the echo has no tag type to show.
  rig.ClearLog();
  Shape(-(1 + 4 * 9));
  rig.Run("MnGeneralReadPageCmd2");
  EXPECT_EQ(rig.Results(), (Lines{"NG : GeneralReadPageCmd"}));
}

std::string Pairs(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::string(i % 2 ? "A5" : "3c");
  return text;
}

TEST_F(TiCommands, WriteAndProgramCmd2ChecksCountAndPageLimit) {
  struct Case {
    int start, pages;
    bool sent;
  };
  for (Case c : {Case{1, 17, true}, Case{2, 17, false}, Case{0, 18, true}}) {
    rig.ClearLog();
    rig.prompts = RecordingPrompts();
    rig.prompts.Answer("IntEd1", std::to_string(c.start));
    rig.prompts.Answer("IntEd2", std::to_string(c.pages));
    rig.prompts.Answer("EdString", Pairs(8 * c.pages));
    rig.Run("MnWriteAndProgramCmd2");
    const Lines r = rig.Results();
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r[0], std::to_string(8 * c.pages));
    EXPECT_EQ(r[1], std::to_string(c.pages));
    EXPECT_EQ(rig.SentCount(0x8C), c.sent ? 1 : 0) << c.start << "+" << c.pages;
    if (!c.sent) {
      EXPECT_EQ(r, (Lines{"136", "17", "Input Error!! [NO Hex Data]"}));
    }
    EXPECT_EQ(rig.app->Settings.BlockNo, c.start) << "kept even when refused";
    EXPECT_EQ(rig.app->Settings.BlockNum, c.pages);
  }
  // 0 + 18 leaves the tool but names page 0, which the module refuses.
  EXPECT_EQ(rig.Results().back(), "NG : ProgramPage2Cmd");
}

TEST_F(TiCommands, WriteAndProgramCmd2WithTwoPages) {
  rig.prompts.Answer("IntEd1", "3");
  rig.prompts.Answer("IntEd2", "2");
  rig.prompts.Answer("EdString", "00 01 02 03 04 05 06 07 10 11 12 13 14 15 16 17");
  rig.Run("MnWriteAndProgramCmd2");
  EXPECT_EQ(rig.prompts.shown[0].Field("STTitle3").text,
            "Data（Hex）[１Byte 2digits Example：00 01 02 03 04 05 06 07]");
  EXPECT_EQ(rig.Results(), (Lines{"16", "2", "OK : ProgramPage2Cmd"}));
  EXPECT_EQ(Tag().Page(4),
            (std::array<uint8_t, 8>{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}));

  // A wrong byte count sends nothing.
  rig.ClearLog();
  rig.prompts = RecordingPrompts();
  rig.prompts.Answer("EdString", "00 01 02");
  rig.Run("MnWriteAndProgramCmd2");
  EXPECT_EQ(rig.Results(), (Lines{"3", "2", "Input Error!! [NO Hex Data]"}));
}

TEST_F(TiCommands, HexTextIsCutTo511Characters) {
  rig.prompts.Answer("IntEd2", "40");
  rig.prompts.Answer("EdString", std::string(600, 'F'));
  rig.Run("MnWriteAndProgramCmd2");
  EXPECT_EQ(rig.Results(), (Lines{"255", "40", "Input Error!! [NO Hex Data]"}));
}

}  // namespace
