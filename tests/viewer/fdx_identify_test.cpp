// The viewer's "Read" on FDX transponders against the simulator: FDX-B animal and non-animal
// codes, EM IDs, FECAVA, BDE recognised through SIC7888 block 1, the SIC7888 blocks fast or one by
// one, the EM4205/EM4305 words at reader level 3 with the carrier switched on and off around them,
// and what each reader level leaves out.
#include <gtest/gtest.h>

#include "core/hex.h"
#include "hdx/disp_tag_data_dlg.h"
#include "sim/chips/em4305.h"
#include "sim/chips/sic7888.h"
#include "tests/viewer/viewer_rig.h"

using namespace viewer_test;
using Lines = std::vector<std::string>;
using Table = std::vector<TagData::Row>;

namespace {

const char* const kNoTag = "No response from tag";
const char* const kDefaultCode = "8000F9E0F20EA701";  // country 999, national ID 141500000001

TagData Read(ViewerRig& rig, int fixedTagType = kIdentifyTag, int fastMode = 0) {
  TDispTagDataDlg dlg(*rig.app);
  dlg.FixedTagType = fixedTagType;
  dlg.Options().FastMode = fastMode;
  dlg.OKBtnClick();
  return dlg.Data();
}

// The commands sent after the two charge-only reads that found no HDX transponder.
Lines AfterHdx(const Lines& sent) {
  EXPECT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], "10 ");
  EXPECT_EQ(sent[1], "10 00 ");
  return Lines(sent.begin() + std::min<ptrdiff_t>(2, static_cast<ptrdiff_t>(sent.size())),
               sent.end());
}

// The log after the HDX identification's two failed reads and its NG line.
Lines AfterHdxLines(const Lines& lines) {
  const Lines head{kNoTag, kNoTag, "NG: ChargeOnlyReadCmd"};
  EXPECT_TRUE(lines.size() >= 3 && Lines(lines.begin(), lines.begin() + 3) == head);
  return Lines(lines.begin() + std::min<ptrdiff_t>(3, static_cast<ptrdiff_t>(lines.size())),
               lines.end());
}

}  // namespace

TEST(ViewerFdx, AnimalFdxbAtLevelTwoWithoutSic7888GetsNoTable) {
  ViewerRig rig({MakeTag(std::string("fdxb:hex:") + kDefaultCode)}, "1020LFS00");
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdUID, "999 141500000001");
  EXPECT_EQ(d.EdChip, "FDX-B, Animal_ID Format");
  EXPECT_EQ(d.EdManufacturer, "");
  EXPECT_EQ(d.StringGrid1, Table(18));
  EXPECT_EQ(AfterHdx(rig.Sent()), (Lines{"70 01 ", "80 01 "})) << "no EM4305 fallback below 3";
  EXPECT_EQ(AfterHdxLines(rig.Lines()),
            (Lines{"Animal Application", "ID : 999 141500000001", kNoTag}));

  // At level 3 the EM4205/EM4305 word 0 is asked for as well.
  ViewerRig level3({MakeTag(std::string("fdxb:hex:") + kDefaultCode)});
  EXPECT_EQ(Read(level3).StringGrid1, Table(18));
  EXPECT_EQ(AfterHdx(level3.Sent()), (Lines{"70 01 ", "80 01 ", "E1 00 "}));
}

TEST(ViewerFdx, NonAnimalAndUnknownCodes) {
  {
    ViewerRig rig({MakeTag("fdxb:hex:0000000000000005")});
    const TagData d = Read(rig);
    EXPECT_EQ(d.EdUID, "0000000000000005");
    EXPECT_EQ(d.EdChip, "FDX-B, NonAnimal_ID Format");
    const Lines lines = AfterHdxLines(rig.Lines());
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2),
              (Lines{"Non animal Application", "ID: 000000000000000005"}));
  }
  {
    // A tag type other than EM and FDX-B: the code with bit 63 cleared, 18 digits.
    ViewerRig rig({MakeTag("bde:hex:800000000000002A")});
    const TagData d = Read(rig);
    EXPECT_EQ(d.EdUID, "000000000000000042");
    EXPECT_EQ(d.EdChip, "Unknown");
    const Lines lines = AfterHdxLines(rig.Lines());
    EXPECT_EQ(lines.front(), "Animal Application") << "LogAnimalId of the 8 bytes";
  }
}

TEST(ViewerFdx, EmIdShowsVersionAndSerial) {
  ViewerRig rig({MakeTag("em:0504030201")});
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdUID, "005 [0067305985]");
  EXPECT_EQ(d.EdChip, "FDX-B, EM_ID Format");
  EXPECT_EQ(AfterHdxLines(rig.Lines()),
            (Lines{"Version/Customer ID: 005", "ID: 01 02 03 04[0067305985]", kNoTag, kNoTag}));
}

TEST(ViewerFdx, BdeIsRecognisedThroughSic7888BlockOne) {
  auto chip = std::make_shared<sim::Sic7888Tag>();
  chip->ProgramFdxb(0x40400000FFFFFFFF, sim::Sic7888Tag::kBdeConfig);
  ViewerRig rig({chip});
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdChip, "FDX-B, BDE_ID Format");
  EXPECT_EQ(d.EdUID, "ID: 0 1 1023 4194303") << "no application code";
  EXPECT_EQ(d.EdManufacturer, "SIC7888");
  EXPECT_EQ(AfterHdxLines(rig.Lines()),
            (Lines{"Non animal Application", "ID: 4629700421231837183", "ID: 0 1 1023 4194303"}));
  const Lines sent = AfterHdx(rig.Sent());
  ASSERT_EQ(sent.size(), 3u + 44u);
  EXPECT_EQ(Lines(sent.begin(), sent.begin() + 4),
            (Lines{"70 01 ", "80 01 ", "81 01 01 ", "81 01 00 "}));
  EXPECT_EQ(sent.back(), "81 01 2B ");

  ASSERT_EQ(d.RowCount(), 45);
  EXPECT_EQ(d.StringGrid1[0], (TagData::Row{"BADR", "Data", "Infomation"}));
  EXPECT_EQ(d.StringGrid1[1], (TagData::Row{"BADR0", "78 88 00 01 ", "UID"}));
  EXPECT_EQ(d.StringGrid1[2], (TagData::Row{"BADR1", "C0 48 00 00 ", "Configuration"}));
  EXPECT_EQ(d.StringGrid1[3][2], "PWD_W");
  EXPECT_EQ(d.StringGrid1[4][2], "PWD_R");
  EXPECT_EQ(d.StringGrid1[42], (TagData::Row{"BADR41", "00 00 20 00 ", "C\u2010tune Value"}));
  EXPECT_EQ(d.StringGrid1[43][2], "Traceability Data 0");
  EXPECT_EQ(d.StringGrid1[44], (TagData::Row{"BADR43", "20 26 01 15 ", "Traceability Data 1"}));
  for (size_t b = 4; b <= 40; ++b) {
    EXPECT_EQ(d.StringGrid1[b + 1][1], hex::Bytes(chip->Memory().Block(b))) << b;
    EXPECT_EQ(d.StringGrid1[b + 1][2], "User Memory") << b;
  }
}

TEST(ViewerFdx, EmIdBesideABdeConfiguredChipStaysAnEmId) {
  // The ID read finds the EM tag (five ID bytes); the SIC7888 commands reach the chip behind it.
  // The BDE code needs eight ID bytes, so nothing is taken from past the answer.
  ViewerRig rig({MakeTag("em:0504030201"), MakeTag("sic7888:bde:40400000FFFFFFFF")});
  const TagData d = Read(rig);
  EXPECT_EQ(d.EdChip, "FDX-B, EM_ID Format");
  EXPECT_EQ(d.EdUID, "005 [0067305985]");
  EXPECT_EQ(d.EdManufacturer, "SIC7888");
  EXPECT_EQ(d.StringGrid1[2][1], "C0 48 00 00 ");
  EXPECT_EQ(AfterHdxLines(rig.Lines()),
            (Lines{"Version/Customer ID: 005", "ID: 01 02 03 04[0067305985]"}));
}

TEST(ViewerFdx, Sic7888BlocksFastGiveTheSameTableAsOneByOne) {
  ViewerRig rig({MakeTag(std::string("sic7888:fdxb:") + kDefaultCode)});
  const TagData slow = Read(rig);
  EXPECT_EQ(slow.EdChip, "FDX-B, Animal_ID Format");
  EXPECT_EQ(slow.EdManufacturer, "SIC7888");
  EXPECT_EQ(slow.StringGrid1[2][1], "CA 48 00 00 ");
  rig.Clear();
  const TagData fast = Read(rig, kIdentifyTag, 1);
  EXPECT_EQ(AfterHdx(rig.Sent()), (Lines{"70 01 ", "80 01 ", "81 01 01 ", "89 01 00 2C "}));
  EXPECT_EQ(fast.StringGrid1, slow.StringGrid1);
}

TEST(ViewerFdx, FecavaByReaderLevel) {
  {
    ViewerRig rig({MakeTag("fecava:01:02:03:04:7F")}, "1020LFS00");
    const TagData d = Read(rig);
    EXPECT_EQ(d.EdUID, "ID: 01 02 03 04 7F");
    EXPECT_EQ(d.EdChip, "FDX-B, FECAVA_ID Format");
    EXPECT_EQ(d.EdManufacturer, "SIC7888");
    ASSERT_EQ(d.RowCount(), 45);
    EXPECT_EQ(d.StringGrid1[10], (TagData::Row{"BADR9", "", "User Memory"}))
        << "no SIC7888 behind the code: labels only";
    const Lines lines = AfterHdxLines(rig.Lines());
    EXPECT_EQ(lines.at(1), "ID: 01 02 03 04 7F");
    EXPECT_EQ(AfterHdx(rig.Sent()).at(1), "72 ");
  }
  {
    ViewerRig rig({MakeTag("fecava:01:02:03:04:7F")}, "1010LFS00");
    const TagData d = Read(rig);
    EXPECT_EQ(d.EdUID + d.EdChip + d.EdManufacturer, "");
    EXPECT_EQ(AfterHdx(rig.Sent()), (Lines{"70 01 "}));
  }
}

TEST(ViewerFdx, Em4305WordsWithTheCarrierOnAroundThem) {
  auto chip = std::make_shared<sim::Em4305Tag>(0xA1B2C3D4);
  chip->ProgramFdxb(0x8000F9E0F20EA701);
  chip->Program(9, {0x11, 0x22, 0x33, 0x44});
  ViewerRig rig({chip});
  // Whether the carrier was on at each refresh once a word row was filled: one per word, then
  // the end of the read.
  std::vector<bool> carrier;
  rig.prompts.onRefresh = [&](const PromptForm& f) {
    const auto& cells = f.Field("StringGrid1").cells;
    if (cells.size() == 17 && cells[0][0] == "ADDR" && !cells[1][0].empty())
      carrier.push_back(rig.CarrierOn());
  };
  rig.prompts.Press("TDispTagDataDlg.OKBtn");
  rig.Run("MnTgaData");
  const PromptForm& f = rig.prompts.refreshed.back();
  EXPECT_EQ(f.Field("EdChip").text, "FDX-B, Animal_ID Format");
  EXPECT_EQ(f.Field("EdManufacturer").text, "EM4305");
  const auto& cells = f.Field("StringGrid1").cells;
  ASSERT_EQ(cells.size(), 17u);
  EXPECT_EQ(cells[0], (std::vector<std::string>{"ADDR", "Data", "Infomation"}));
  EXPECT_EQ(cells[1], (std::vector<std::string>{"ADDR0", "00 00 01 12 ",
                                                "Chip Type,Res Cap Customer code/User free"}));
  EXPECT_EQ(cells[2], (std::vector<std::string>{"ADDR1", "A1 B2 C3 D4 ", "UID"}));
  EXPECT_EQ(cells[3], (std::vector<std::string>{"ADDR2", "-", "Password"}));
  EXPECT_EQ(cells[5], (std::vector<std::string>{"ADDR4", "00 02 00 8F ", "Configuration word "}));
  EXPECT_EQ(cells[10], (std::vector<std::string>{"ADDR9", "11 22 33 44 ", "User free"}));
  EXPECT_EQ(cells[15][2], "Protection word 1");
  EXPECT_EQ(cells[16], (std::vector<std::string>{"ADDR15", "00 00 00 00 ", "Protection word 2"}));

  Lines expected{"70 01 ", "80 01 ", "E1 00 ", "9E 01 "};
  for (int w = 0; w < 16; ++w)
    if (w != 2) expected.push_back("E1 " + hex::Byte(static_cast<uint8_t>(w)) + " ");
  expected.push_back("9E 00 ");
  EXPECT_EQ(AfterHdx(rig.Sent()), expected) << "word 2 is never read";
  std::vector<bool> onForEveryWord(16, true);
  onForEveryWord.push_back(false);
  EXPECT_EQ(carrier, onForEveryWord) << "on while the words are read, off after them";
}

TEST(ViewerFdx, FixedEmChipTypesAndTheCarrierSwitchedOffAfterAFailedSwitchOn) {
  {
    // Word 0 naming an EM4205.
    auto chip = std::make_shared<sim::Em4305Tag>();
    chip->Program(0, {0x00, 0x00, 0x00, 1 << 1});
    ViewerRig rig({chip});
    const TagData d = Read(rig, kFixedEm4305);
    EXPECT_EQ(d.EdManufacturer, "EM4205");
    EXPECT_EQ(d.StringGrid1[1],
              (TagData::Row{"ADDR0", "00 00 00 02 ", "Chip Type,Res Cap Customer code/User free"}));
    EXPECT_EQ(d.StringGrid1[3], (TagData::Row{"ADDR2", "-", "Password"}));
    EXPECT_EQ(rig.Sent().front(), "E1 00 ");
    EXPECT_EQ(rig.Sent().back(), "9E 00 ");
  }
  {
    // Below level 3 the module refuses the word read: nothing is shown.
    ViewerRig rig({std::make_shared<sim::Em4305Tag>()}, "1020LFS00");
    const TagData d = Read(rig, kFixedEm4305);
    EXPECT_EQ(d.EdManufacturer, "");
    EXPECT_EQ(d.StringGrid1, Table(18));
    EXPECT_EQ(rig.Sent(), (Lines{"E1 00 "}));
  }
  {
    // Any other chip type: nothing.
    auto chip = std::make_shared<sim::Em4305Tag>();
    chip->Program(0, {0x00, 0x00, 0x00, 5 << 1});
    ViewerRig rig({chip});
    const TagData d = Read(rig, kFixedEm4305);
    EXPECT_EQ(d.EdManufacturer, "");
    EXPECT_EQ(d.StringGrid1, Table(18));
    EXPECT_EQ(rig.Sent(), (Lines{"E1 00 "}));
  }
  {
    // The carrier refuses to switch on: no word is read, and it is switched off all the same.
    ViewerRig rig({std::make_shared<sim::Em4305Tag>()});
    bool armed = false;
    rig.prompts.onRefresh = [&](const PromptForm& f) {
      if (!armed && f.Field("StringGrid1").cells[0][0] == "ADDR") {
        armed = true;
        rig.sim->UpdateFaults([](sim::FaultPlan& p) { p.nack = 1; });
      }
    };
    rig.prompts.Press("TDispTagDataDlg.MnSetting");
    rig.prompts.Answer("THanyousettingDlg.CB_KoteiMode", "1");
    rig.prompts.Answer("THanyousettingDlg.RG_TagType", "EM4305");
    rig.prompts.Press("TDispTagDataDlg.OKBtn");
    rig.Run("MnTgaData");
    EXPECT_EQ(rig.Sent(), (Lines{"E1 00 ", "9E 01 ", "9E 00 "}));
    const auto& cells = rig.prompts.refreshed.back().Field("StringGrid1").cells;
    EXPECT_EQ(cells[1],
              (std::vector<std::string>{"", "", "Chip Type,Res Cap Customer code/User free"}));
    EXPECT_FALSE(rig.CarrierOn());
  }
}
