// The viewer's "Read" on HDX transponders against the simulator: the charge-only read in both
// forms, the tag type table with the SIC279 test, the TI pages (page by page and fast), the
// SIC279 blocks with block 7 dashed and the lock bits, the HDX+ blocks with their labels, the
// fixed tag types, and answers shorter than their layout.
#include <gtest/gtest.h>

#include "core/hex.h"
#include "hdx/disp_tag_data_dlg.h"
#include "sim/chips/sic279.h"
#include "sim/chips/ti_hdx.h"
#include "tests/viewer/viewer_rig.h"

using namespace viewer_test;
using Lines = std::vector<std::string>;
using Table = std::vector<TagData::Row>;

namespace {

const char* const kNoTag = "No response from tag";

TagData Read(ViewerRig& rig, int fixedTagType = kIdentifyTag, int fastMode = 0) {
  TDispTagDataDlg dlg(*rig.app);
  dlg.FixedTagType = fixedTagType;
  dlg.Options().FastMode = fastMode;
  dlg.OKBtnClick();
  return dlg.Data();
}

// A block of the simulated chip as the viewer shows it: last byte first.
std::string LastFirst(std::span<const uint8_t> bytes) {
  std::string text;
  for (size_t i = bytes.size(); i-- > 0;) text += hex::Byte(bytes[i]) + " ";
  return text;
}

Table EmptyTable(size_t rows) {
  return Table(rows);
}

}  // namespace

TEST(ViewerHdx, ReadWriteTagWithoutSic279OrHdxPlusKeepsItsIdAndTriesFdx) {
  ViewerRig rig({MakeTag("ti-rw:0123456789ABCDEF")});
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdUID, "01 23 45 67 89 AB CD EF ");
  EXPECT_EQ(d.EdChip, "R/W Tag");
  EXPECT_EQ(d.EdManufacturer, "TI");
  EXPECT_EQ(d.StringGrid1, EmptyTable(17)) << "the HDX+ read set 17 rows and filled none";
  EXPECT_EQ(rig.Sent(), (Lines{"10 ", "50 ", "36 00 00 00 ", "70 01 ", "72 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ChargeOnlyReadCmd", kNoTag, "01 23 45 67 89 AB CD EF ", kNoTag,
                                "NG: ChargeOnlyReadCmd", kNoTag, kNoTag}));
}

TEST(ViewerHdx, Sic279KeepsItsTableAfterAFailedHdxPlusRead) {
  auto chip = std::make_shared<sim::Sic279Tag>(0x1122334455667788);
  chip->ChargeReadAsTi = true;
  chip->Memory().Lock(3);
  chip->Memory().Lock(12);
  ViewerRig rig({chip});
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdUID, "11 22 33 44 55 66 77 88 ");
  EXPECT_EQ(d.EdChip, "Read Only Tag");
  EXPECT_EQ(d.EdManufacturer, "SIC279");
  ASSERT_EQ(d.RowCount(), 17);
  EXPECT_EQ(d.StringGrid1[0], (TagData::Row{"Block", "Data", "Lock"}));
  EXPECT_EQ(d.StringGrid1[1], (TagData::Row{"0", "03 02 01 00 ", "0"}));
  EXPECT_EQ(d.StringGrid1[4], (TagData::Row{"3", "36 35 34 33 ", "1"}));
  EXPECT_EQ(d.StringGrid1[8], (TagData::Row{"7", "-  -  -  -", "0"}));
  for (int b = 0; b < 16; ++b) {
    if (b == 7) continue;
    const auto& row = d.StringGrid1[static_cast<size_t>(b + 1)];
    EXPECT_EQ(row[1], LastFirst(chip->Memory().Block(static_cast<size_t>(b)))) << b;
    EXPECT_EQ(row[2], b == 3 || b == 12 ? "1" : "0") << b;
  }
  EXPECT_EQ(rig.Sent(), (Lines{"10 ", "50 ", "57 00 03 ", "57 04 02 ", "57 08 03 ", "57 0C 03 ",
                               "52 ", "36 00 00 00 ", "70 01 ", "72 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ChargeOnlyReadCmd", "11 22 33 44 55 66 77 88 ", kNoTag,
                                "NG: ChargeOnlyReadCmd", kNoTag, kNoTag}));
}

TEST(ViewerHdx, Sic279ReportingItsOwnTypeIsNamedSic278AndGetsNoTable) {
  ViewerRig rig({MakeTag("sic279:1122334455667788")});
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdChip, "") << "tag type 4 leaves the field unchanged";
  EXPECT_EQ(d.EdManufacturer, "SIC278");
  EXPECT_EQ(d.EdUID, "11 22 33 44 55 66 77 88 ");
  EXPECT_EQ(d.StringGrid1, EmptyTable(17));
  EXPECT_EQ(rig.Sent(), (Lines{"10 ", "36 00 00 00 ", "70 01 ", "72 "})) << "no SIC279 test";
}

TEST(ViewerHdx, HdxPlusBlocksLastByteFirstWithTheirLabels) {
  ViewerRig rig({MakeTag("hdxp:8000F9E0F20EA701")});
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdUID, "80 00 F9 E0 F2 0E A7 01 ");
  EXPECT_EQ(d.EdChip, "Read Only Tag");
  EXPECT_EQ(d.EdManufacturer, "TI(HDX+)");
  const Table expected{
      {"Block", "Data", ""},
      {"0", "12 34 56 78 ", "Chip ID Byte 3,2,1,0"},
      {"1", "9A BC DE F0 ", "Reserved Byte & Chip ID Byte 6,5,4"},
      {"2", "01 02 03 04 ", "Reserved Byte & Chip ID Byte 9,8,7"},
      {"3", "03 01 C3 5A ", "Config Byte 2,1 & CRC MSB,LSB"},
      {"4", "43 42 41 40 ", "User Memry"},
      {"5", "53 52 51 50 ", "User Memry"},
      {"6", "63 62 61 60 ", "User Memry"},
      {"7", "73 72 71 70 ", "User Memry"},
      {"8", "83 82 81 80 ", "User Memry"},
      {"9", "93 92 91 90 ", "User Memry"},
      {"10", "A3 A2 A1 A0 ", "User Memry"},
      {"11", "B3 B2 B1 B0 ", "User Memry"},
      {"12", "C3 C2 C1 C0 ", "User Memry"},
      {"13", "D3 D2 D1 D0 ", "User Memry"},
      {"14", "F2 0E A7 01 ", "Animal ID Byte 3,2,1,0"},
      {"15", "80 00 F9 E0 ", "Animal ID Byte 7,6,5,4"},
  };
  EXPECT_EQ(d.StringGrid1, expected);
  const Lines sent = rig.Sent();
  ASSERT_EQ(sent.size(), 2u + 16u);
  EXPECT_EQ(sent[2], "36 00 00 00 ");
  EXPECT_EQ(sent.back(), "36 00 0F 00 ") << "success: no FDX identification";
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ChargeOnlyReadCmd", kNoTag, "80 00 F9 E0 F2 0E A7 01 "}));
}

TEST(ViewerHdx, MultipagePagesOneByOneOrFastGiveTheSameTable) {
  auto mpt = std::make_shared<sim::TiHdxTag>(sim::tag_type::kMultiPage, 0x0102030405060708);
  mpt->SetPage(5, {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7});
  mpt->LockPageNow(2);
  ViewerRig rig({mpt}, "1020LFS00");
  const TagData slow = Read(rig);
  EXPECT_EQ(slow.EdUID, "01 02 03 04 05 06 07 08 ");
  EXPECT_EQ(slow.EdChip, "Multi Page Tag");
  EXPECT_EQ(slow.EdManufacturer, "TI");
  ASSERT_EQ(slow.RowCount(), 18);
  EXPECT_EQ(slow.StringGrid1[0], (TagData::Row{"Page", "Data", "Lock"}));
  EXPECT_EQ(slow.StringGrid1[1], (TagData::Row{"1", "01 02 03 04 05 06 07 08 ", "0"}));
  EXPECT_EQ(slow.StringGrid1[2], (TagData::Row{"2", "00 00 00 00 00 00 00 00 ", "1"}));
  EXPECT_EQ(slow.StringGrid1[5], (TagData::Row{"5", "A7 A6 A5 A4 A3 A2 A1 A0 ", "0"}));
  EXPECT_EQ(slow.StringGrid1[17], (TagData::Row{"17", "00 00 00 00 00 00 00 00 ", "0"}));
  Lines sent = rig.Sent();
  ASSERT_EQ(sent.size(), 1u + 17u) << "identified, then the pages; nothing after";
  EXPECT_EQ(sent[1], "12 01 ");
  EXPECT_EQ(sent[17], "12 11 ");

  rig.Clear();
  const TagData fast = Read(rig, kIdentifyTag, 1);
  EXPECT_EQ(rig.Sent(), (Lines{"10 ", "8B 01 11 "}));
  EXPECT_EQ(fast.StringGrid1, slow.StringGrid1);
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ChargeOnlyReadCmd", "01 02 03 04 05 06 07 08 "}));
}

TEST(ViewerHdx, FastModeNeedsReaderLevelTwo) {
  ViewerRig rig({MakeTag("ti-mpt")}, "1010LFS00");
  Read(rig, kFixedMultipage, 1);
  const Lines sent = rig.Sent();
  ASSERT_EQ(sent.size(), 17u);
  EXPECT_EQ(sent.front(), "12 01 ") << "fixed type 1: no identification, page by page";
}

TEST(ViewerHdx, NoTransponderLeavesFieldsAndTableEmpty) {
  ViewerRig rig;
  TDispTagDataDlg dlg(*rig.app);
  dlg.OKBtnClick();
  EXPECT_EQ(dlg.Data().StringGrid1, EmptyTable(18));
  EXPECT_EQ(dlg.Data().EdUID + dlg.Data().EdChip + dlg.Data().EdManufacturer, "");
  EXPECT_EQ(rig.Sent(), (Lines{"10 ", "10 00 ", "70 01 ", "72 "}));
  EXPECT_EQ(rig.Lines(), (Lines{kNoTag, kNoTag, "NG: ChargeOnlyReadCmd", kNoTag, kNoTag}));
}

TEST(ViewerHdx, ShortAnswersLeaveTheBlocksTheyDoNotHoldEmpty) {
  {
    auto mpt = std::make_shared<sim::TiHdxTag>(sim::tag_type::kMultiPage, 1);
    mpt->Shape = {.lengthDelta = -5, .onlyCode = 0x8B};
    ViewerRig rig({mpt});
    const TagData d = Read(rig, kFixedMultipage, 1);
    EXPECT_EQ(d.StringGrid1[16][0], "16");
    EXPECT_EQ(d.StringGrid1[17], (TagData::Row{})) << "page 17 is cut off";
  }
  {
    auto sic = std::make_shared<sim::Sic279Tag>(1);
    sic->Shape = {.lengthDelta = -2, .onlyCode = 0x57};
    ViewerRig rig({sic});
    const TagData d = Read(rig, kFixedSic279);
    for (int b : {3, 6, 11, 15}) EXPECT_EQ(d.StringGrid1[static_cast<size_t>(b + 1)][1], "") << b;
    EXPECT_EQ(d.StringGrid1[3][1], "25 24 23 22 ");
  }
  {
    auto sic = std::make_shared<sim::Sic279Tag>(1);
    sic->Shape = {.lengthDelta = -1, .onlyCode = 0x52};
    ViewerRig rig({sic});
    const TagData d = Read(rig, kFixedSic279);
    EXPECT_EQ(d.StringGrid1[1][2], "") << "a lock word of one byte is no lock word";
  }
}

TEST(ViewerHdx, FixedSic279ReadsWithoutIdentificationThroughTheSettingsDialog) {
  ViewerRig rig({MakeTag("sic279:1122334455667788:ti")});
  rig.prompts.Answer("THanyousettingDlg.CB_KoteiMode", "1");
  rig.prompts.Answer("THanyousettingDlg.RG_TagType", "SIC279");
  rig.prompts.Press("TDispTagDataDlg.MnSetting");
  rig.prompts.Press("TDispTagDataDlg.OKBtn");
  rig.Run("MnTgaData");
  const PromptForm& settings = rig.prompts.shown.at(1);
  EXPECT_EQ(settings.dialog, "THanyousettingDlg");
  EXPECT_EQ(settings.hiddenPages, (std::vector<std::string>{"TabSheet1"}));
  EXPECT_EQ(rig.Sent(), (Lines{"57 00 03 ", "57 04 02 ", "57 08 03 ", "57 0C 03 ", "52 "}));
  const PromptForm& last = rig.prompts.refreshed.back();
  EXPECT_EQ(last.Field("EdManufacturer").text, "");
  EXPECT_EQ(last.Field("EdUID").text, "");
  EXPECT_EQ(last.Field("StringGrid1").cells[8][1], "-  -  -  -");
  EXPECT_EQ(last.Field("StringGrid1").cells[16][1], "02 01 00 FF ");
  EXPECT_TRUE(rig.Lines().empty());
}
