// The SIC7888 menu against the simulated chip: block, page and range reads and writes with their
// dialogs and remembered values, the memory dump, CT, the configuration word, the traceability
// data, the ID write dialog in SIC7888 mode and the format configuration step.
#include <gtest/gtest.h>

#include "codec/sic7888_layout.h"
#include "fdx/sic7888_format_config.h"
#include "sim/chips/sic7888.h"
#include "tests/fdx/fdx_rig.h"

using namespace fdx_test;
using Lines = std::vector<std::string>;
using Block = sim::Sic7888Tag::Block;

namespace {

struct Sic7888Rig : FdxRig {
  std::shared_ptr<sim::Sic7888Tag> tag;
  explicit Sic7888Rig(const std::string& rom = "1100LFS00")
      : Sic7888Rig(std::make_shared<sim::Sic7888Tag>(0x11223344), rom) {}
  Sic7888Rig(std::shared_ptr<sim::Sic7888Tag> t, const std::string& rom)
      : FdxRig({t}, rom), tag(std::move(t)) {}
  // Blocks change only on the simulator's thread, under the field's lock.
  void Program(size_t block, const Block& b) {
    field->With(0, [&](sim::Transponder&) { tag->Program(block, b); });
  }
  Block At(size_t block) {
    Block b{};
    field->With(0, [&](sim::Transponder&) { b = tag->BlockAt(block); });
    return b;
  }
  const PromptForm& LastForm() const { return prompts.shown.back(); }
};

bool RowShown(const PromptForm& f, int row) {
  const bool first = f.Field("EdData" + std::to_string(row) + "_0").visible;
  for (int c = 1; c < 4; ++c)
    EXPECT_EQ(f.Field("EdData" + std::to_string(row) + "_" + std::to_string(c)).visible, first);
  return first;
}

}  // namespace

TEST(Sic7888Write, WritePageSendsTheRowsOfThePage) {
  struct Case {
    int block;
    int rows;
    const char* sent;
  };
  for (const Case& c : {Case{5, 3, "84 01 05 AA 01 02 03 04 05 06 07 08 09 0A 0B "},
                        Case{3, 1, "84 01 03 AA 01 02 03 "},
                        Case{8, 4, "84 01 08 AA 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 77 "}}) {
    Sic7888Rig rig;
    rig.prompts.Answer("TWrData1_4Dlg.EdAddr", std::to_string(c.block));
    rig.prompts.Answer("EdData0_0", "AA");
    rig.prompts.Answer("EdData3_3", "77");  // read only when its row is shown
    rig.Run("SIC7888WRITEPAGE1");
    const PromptForm& f = rig.LastForm();
    EXPECT_EQ(f.caption, "WritePage");
    EXPECT_EQ(f.Field("AddrStr").text, "Block Address(0-43)");
    EXPECT_FALSE(f.Field("CBMode").visible);
    EXPECT_EQ(f.Field("CBMode").items,
              (std::vector<std::string>{"標準", "アドバンスト", "高速アドバンスト"}));
    for (int r = 0; r < 4; ++r) EXPECT_EQ(RowShown(f, r), r < c.rows) << c.block << " row " << r;
    EXPECT_EQ(rig.Sent(), (Lines{c.sent}));
    EXPECT_EQ(rig.Lines(), (Lines{"OK: WritePage Command"}));
    EXPECT_EQ(rig.app->Settings.BlockNo, c.block);
    EXPECT_EQ(rig.app->Settings.WriteData[0], 0xAA);
    EXPECT_EQ(rig.app->Settings.WriteData[15], c.rows == 4 ? 0x77 : 15);
  }
}

TEST(Sic7888Write, WriteBlockAndItsRemembering) {
  Sic7888Rig rig;
  rig.app->Settings.BlockNo = 9;
  rig.prompts.Answer("TWrData1_4Dlg.EdAddr", "6");
  rig.prompts.Answer("EdData0_3", "FE");
  rig.Run("SIC7888WRITEBLOCK1");
  const PromptForm& f = rig.LastForm();
  EXPECT_EQ(f.caption, "SIC7888: WriteBlock");
  for (int r = 1; r < 4; ++r) EXPECT_FALSE(RowShown(f, r));
  EXPECT_EQ(rig.Sent(), (Lines{"83 01 06 00 01 02 FE "}));
  EXPECT_EQ(rig.At(6), (Block{0x00, 0x01, 0x02, 0xFE}));
  EXPECT_EQ(rig.app->Settings.BlockNo, 6);
  EXPECT_EQ(rig.app->Settings.WriteData[3], 0xFE);
  // The next dialog starts from what was stored; Close sends and stores nothing.
  rig.Clear();
  rig.prompts.CancelFirst();
  rig.Run("SIC7888WRITEBLOCK1");
  EXPECT_EQ(rig.LastForm().Field("EdAddr").Int(), 6);
  EXPECT_EQ(rig.LastForm().Field("EdData0_3").Int(), 0xFE);
  EXPECT_TRUE(rig.Sent().empty());
  // A locked block: the chip refuses, the NG line follows.
  rig.Program(1, {0x00, 0x00, 0x40, 0x00});  // lock of blocks 6-7
  rig.Run("SIC7888WRITEBLOCK1");
  EXPECT_EQ(rig.Lines(), (Lines{"Tag Data Receive Error", "NG: WriteBlock Command"}));
}

TEST(Sic7888Read, BlockPageAndRange) {
  Sic7888Rig rig;
  rig.Program(4, {0x12, 0x34, 0x56, 0x78});
  rig.prompts.Answer("TInp3Data1Dlg.IntEd2", "4");
  rig.Run("SIC7888READBLOCK1");
  const PromptForm& f = rig.LastForm();
  EXPECT_EQ(f.caption, "SIC7888: ReadBlock");
  EXPECT_FALSE(f.Field("IntEd1").visible);
  EXPECT_FALSE(f.Field("IntEd3").visible);
  EXPECT_EQ(f.Field("STTitle2").text, "Block Address(0-43)");
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 04 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ReadBlock Command", "Data: 12 34 56 78 "}));
  EXPECT_EQ(rig.app->Settings.BlockNo, 4);
  rig.Clear();
  rig.Run("SIC7888READPAGE1");  // the remembered block
  EXPECT_EQ(rig.Sent(), (Lines{"82 01 04 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ReadPage Command",
                                "Data: 12 34 56 78 00 00 00 00 00 00 00 00 00 00 00 00 "}));
  // The label allows 0-63: block 50 is sent as entered and refused by the chip.
  rig.Clear();
  rig.prompts.Answer("TInp3Data1Dlg.IntEd2", "50");
  rig.Run("SIC7888READBLOCK1");
  EXPECT_EQ(rig.Lines(), (Lines{"ID Value Error", "NG: ReadBlock Command"}));
}

TEST(Sic7888Read, ReadBlock2) {
  Sic7888Rig rig("1020LFS00");
  rig.Program(10, {1, 2, 3, 4});
  rig.prompts.Answer("TInp3Data1Dlg.IntEd2", "10");
  rig.prompts.Answer("TInp3Data1Dlg.IntEd3", "2");
  rig.Run("SIC7888READBLOCK21");
  const PromptForm& f = rig.LastForm();
  EXPECT_TRUE(f.Field("IntEd1").visible);
  EXPECT_FALSE(f.Field("IntEd1").enabled);
  EXPECT_EQ(f.Field("IntEd1").Int(), 1);
  EXPECT_EQ(rig.Sent(), (Lines{"89 01 0A 02 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"data: 01 02 03 04 00 00 00 00 ", "OK : SIC7888: READ PAGE Command2"}));
  EXPECT_EQ(rig.app->Settings.BlockNum, 2);
  rig.Clear();
  rig.prompts.Answer("TInp3Data1Dlg.IntEd3", "44");  // 10 + 44 is past the end
  rig.Run("SIC7888READBLOCK21");
  EXPECT_EQ(rig.Lines(), (Lines{"ID Value Error", "NG : SIC7888: READ PAGE Command2"}));
}

TEST(Sic7888Write, WriteBlock2ByteCounts) {
  Sic7888Rig rig;
  rig.prompts.Answer("TInp3Data2Dlg.IntEd1", "20");
  rig.prompts.Answer("TInp3Data2Dlg.IntEd2", "2");
  rig.prompts.Answer("EdString", "00 01 02 03 04 05 06 07");
  rig.Run("SIC7888WriteBlock21");
  EXPECT_EQ(rig.LastForm().Field("STTitle3").text,
            "Data（Hex）[１Byte 2digits Example：00 01 02 03 04 05 06 07]");
  EXPECT_EQ(rig.Sent(), (Lines{"8A 01 14 02 00 01 02 03 04 05 06 07 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK : SIC7888: WRITE BLOCK Command"}));

  Sic7888Rig packed;
  packed.prompts.Answer("TInp3Data2Dlg.IntEd1", "20");
  packed.prompts.Answer("TInp3Data2Dlg.IntEd2", "2");
  packed.prompts.Answer("EdString", "0001020304050607");
  packed.app->Settings.fTimeOut = 1;
  packed.Run("SIC7888WriteBlock21");
  EXPECT_EQ(packed.Sent(), rig.Sent());
  ASSERT_EQ(packed.Lines().size(), 2u);
  EXPECT_EQ(packed.Lines()[1].rfind("Execution time : ", 0), 0u);

  Sic7888Rig short7;
  short7.prompts.Answer("TInp3Data2Dlg.IntEd1", "20");
  short7.prompts.Answer("TInp3Data2Dlg.IntEd2", "2");
  short7.prompts.Answer("EdString", "00 01 02 03 04 05 06");
  short7.Run("SIC7888WriteBlock21");
  EXPECT_TRUE(short7.Sent().empty());
  EXPECT_EQ(short7.Lines(), (Lines{"Input Error!! [NO Hex Data]"}));
  EXPECT_EQ(short7.app->Settings.BlockNo, 20);  // stored all the same
  EXPECT_EQ(short7.app->Settings.BlockNum, 2);

  // The text is cut to 511 characters before it is converted: what follows is not sent.
  Sic7888Rig cut;
  cut.prompts.Answer("TInp3Data2Dlg.IntEd1", "2");
  cut.prompts.Answer("TInp3Data2Dlg.IntEd2", "40");
  cut.prompts.Answer("EdString", std::string(320, 'A') + std::string(191, ' ') + "0102");
  cut.Run("SIC7888WriteBlock21");
  ASSERT_EQ(cut.Sent().size(), 1u);
  EXPECT_EQ(cut.Sent()[0].size(), 3u * (4 + 160));
  EXPECT_EQ(cut.Lines(), (Lines{"OK : SIC7888: WRITE BLOCK Command"}));
  EXPECT_EQ(cut.At(41), (Block{0xAA, 0xAA, 0xAA, 0xAA}));

  // A count beyond one byte never matches: 256 blocks are not 0 blocks.
  Sic7888Rig wide;
  wide.prompts.Answer("TInp3Data2Dlg.IntEd2", "256");
  wide.Run("SIC7888WriteBlock21");
  EXPECT_TRUE(wide.Sent().empty());
  EXPECT_EQ(wide.Lines(), (Lines{"Input Error!! [NO Hex Data]"}));
}

TEST(Sic7888Read, TagDataDump) {
  Sic7888Rig rig;
  rig.Program(5, {0x12, 0x34, 0x56, 0x78});
  rig.Run("SIC7888TagData1");
  const Lines lines = rig.Lines();
  ASSERT_EQ(lines.size(), 11u + 44u);
  EXPECT_EQ(lines[0], "BADR0");
  EXPECT_EQ(lines[1], "BADR4");
  EXPECT_EQ(lines[10], "BADR40");
  EXPECT_EQ(lines[11], "BADR00: 11, 22, 33, 44");
  EXPECT_EQ(lines[16], "BADR05: 12, 34, 56, 78");
  EXPECT_EQ(lines[54], "BADR43: 20, 26, 01, 15");
  EXPECT_EQ(rig.Sent().size(), 11u);

  // One failed page read: the progress lines, no dump.
  rig.Clear();
  rig.sim->UpdateFaults([](sim::FaultPlan& f) { f.nack = 1; });
  rig.Run("SIC7888TagData1");
  const Lines failed = rig.Lines();
  ASSERT_EQ(failed.size(), 12u);
  EXPECT_EQ(failed[0], "BADR0");
  EXPECT_EQ(failed[1], "Invalid Command");
  EXPECT_EQ(failed[11], "BADR40");
}

TEST(Sic7888Config, DecodedLines) {
  Sic7888Rig rig;
  rig.Program(1, {0xCA, 0x48, 0x00, 0x00});
  rig.Run("ReadSIC7888Configuration1");
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"Data: CA 48 00 00 ", "Blocks, which is transmitted in TTF state : Block4 to 7",
                   "Coding In TTF State    : Differential Bi\u2010phase",
                   "protection             : No protection", "Data Rate In TTF State : RF/32",
                   "OTP       : 0", "LOCK2 - 3 : Read/Write", "LOCK4 - 5 : Read/Write",
                   "LOCK6 - 7 : Read/Write", "LOCK8-11  : Read/Write", "LOCK12-15 : Read/Write",
                   "LOCK16-23 : Read/Write", "LOCK24-31 : Read/Write", "LOCK32-40 : Read/Write",
                   "LOCK41(CT): Read/Write"}));
  rig.Clear();
  rig.Program(1, {0xE4, 0x74, 0x00, 0x00});
  rig.Run("ReadSIC7888Configuration1");
  const Lines fecava = rig.Lines();
  EXPECT_EQ(fecava[1], "Blocks, which is transmitted in TTF state : Block4 to 6");
  EXPECT_EQ(
      fecava[2],
      "FDX\u2010A animal identification standard : Frequency\u2010Shifted\u2010Keying coding");
  EXPECT_EQ(fecava[4], "Data Rate In TTF State : RF/50");
  rig.field->Clear();
  rig.Clear();
  rig.Run("ReadSIC7888Configuration1");
  EXPECT_EQ(rig.Lines(), (Lines{"No response from tag", "NG: SIC7888: ReadBlock Command"}));
}

TEST(Sic7888Config, ProtectionAndLockLines) {
  const auto lines = fdx::Sic7888ConfigurationLines(std::array<uint8_t, 4>{0x10, 0x8F, 0xA5, 0x00});
  EXPECT_EQ(lines[0], "Blocks, which is transmitted in TTF state : Block4 only");
  EXPECT_EQ(lines[1], "Coding In TTF State    : Manchester");
  EXPECT_EQ(lines[2], "protection             : Read/Write Protected Password Mode");
  EXPECT_EQ(lines[3], "Data Rate In TTF State : RF/32");
  EXPECT_EQ(lines[4], "OTP       : 1");
  EXPECT_EQ(lines[5], "LOCK2 - 3 : Read Only");
  EXPECT_EQ(lines[6], "LOCK4 - 5 : Read Only");   // k2 bit 7
  EXPECT_EQ(lines[7], "LOCK6 - 7 : Read/Write");  // bit 6
  EXPECT_EQ(lines[8], "LOCK8-11  : Read Only");   // bit 5
  EXPECT_EQ(lines[13], "LOCK41(CT): Read Only");  // bit 0
  const auto write = fdx::Sic7888ConfigurationLines(std::array<uint8_t, 4>{0x04, 0xDC, 0, 0});
  EXPECT_EQ(write[0], "Blocks, which is transmitted in TTF state : Block4 to 11");
  EXPECT_EQ(write[2], "protection             : Write\u2010Protected Password Mode");
  EXPECT_EQ(write[3], "Data Rate In TTF State : RF/16");
}

TEST(Sic7888Ct, ReadAndWrite) {
  Sic7888Rig rig;
  rig.Program(41, {0x00, 0x00, 0x22, 0x00});
  rig.Run("SIC7888READCT1");
  EXPECT_TRUE(rig.prompts.shown.empty());  // SIC7888Mode1 is 1: mode 1 without asking
  EXPECT_EQ(rig.Sent(), (Lines{"87 01 "}));
  EXPECT_EQ(rig.Lines(),
            (Lines{"DATA: 00 00 22 00 ", "CT  : 17[11]", "OK : SIC7888: READ CT Command"}));

  rig.Clear();
  rig.prompts.Answer("TInputIntDlg.IntEd", "9");
  rig.Run("SIC7888WRITECT1");
  EXPECT_EQ(rig.LastForm().caption, "WRITE CT");
  EXPECT_EQ(rig.LastForm().Field("STTitle").text, "CT値");
  EXPECT_EQ(rig.LastForm().Field("IntEd").Int(), 9);
  EXPECT_EQ(rig.Sent(), (Lines{"88 01 09 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK : SIC7888 WRITECT"}));
  EXPECT_EQ(rig.At(41), (Block{0x00, 0x00, 0x12, 0x00}));

  // The prompt does not enforce 0-31: 40 is sent, the chip refuses it.
  rig.Clear();
  rig.prompts.Answer("TInputIntDlg.IntEd", "40");
  rig.Run("SIC7888WRITECT1");
  EXPECT_EQ(rig.Lines(), (Lines{"ID Value Error", "NG : SIC7888 WRITECT"}));
  rig.Clear();
  rig.prompts.CancelFirst();
  rig.Run("SIC7888WRITECT1");
  EXPECT_EQ(rig.LastForm().Field("IntEd").Int(), 40);  // the value last confirmed
  EXPECT_TRUE(rig.Sent().empty());
}

TEST(Sic7888Ct, ModeAskedWhenTheSettingIsZero) {
  Sic7888Rig rig;
  rig.app->Settings.SIC7888Mode1 = 0;
  rig.prompts.Answer("TInputIntDlg.IntEd", "2");
  rig.Run("SIC7888READCT1");
  EXPECT_EQ(rig.LastForm().caption, "SIC7888: READ CT Command");
  EXPECT_EQ(rig.LastForm().Field("STTitle").text, "Response Protocol Mode(0-2)");
  EXPECT_EQ(rig.Sent(), (Lines{"87 02 "}));
  rig.Clear();
  rig.Run("SIC7888GETUID1");
  EXPECT_EQ(rig.LastForm().caption, "SIC7888: GetUID");
  EXPECT_EQ(rig.Sent(), (Lines{"80 02 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: GetUID Command", "UID: 11 22 33 44 "}));
  rig.Clear();
  rig.prompts.CancelFirst();
  rig.Run("SIC7888GETUID1");
  EXPECT_TRUE(rig.Sent().empty());
  EXPECT_TRUE(rig.Lines().empty());
}

TEST(Sic7888Traceability, BitReversedLastByteFirst) {
  Sic7888Rig rig;
  rig.Program(42, {0x01, 0x02, 0x03, 0x04});
  rig.Program(43, {0x00, 0x00, 0x00, 0xFF});
  rig.Run("raceabilityDataRead2");
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 2A ", "81 01 2B "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: ReadBlock Command", "OK: ReadBlock Command",
                                "TRACEABILITY0+1(64): 20 C0 40 80 FF 00 00 00 "}));
  EXPECT_EQ(rig.app->Settings.BlockNo, 43);
  rig.field->Clear();
  rig.Clear();
  rig.Run("raceabilityDataRead2");
  EXPECT_EQ(rig.Lines(), (Lines{"No response from tag", "NG: ReadBlock Command"}));
  EXPECT_EQ(rig.app->Settings.BlockNo, 42);
}

TEST(Sic7888IdWrite, WritesTheStoredIdAndTheChipSendsIt) {
  Sic7888Rig rig;
  rig.Program(1, {0xCA, 0x48, 0x00, 0x00});
  rig.prompts.Press("TWrData1_3Dlg.OKBtn");  // one Write, then Close
  rig.Run("SIC7888IDWrite1");
  EXPECT_EQ(rig.LastForm().caption, "IDWrite[SIC7888]");
  EXPECT_EQ(rig.Sent(), (Lines{"86 01 01 A7 0E F2 E0 F9 00 80 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"OK: IDWrite[SIC7888] Command"}));
  rig.Clear();
  rig.Run("IDRead2");
  EXPECT_EQ(rig.Lines(),
            (Lines{"Tag Type: FDX-B Tag", "Animal Application", "ID : 999 141500000001"}));
}

TEST(Sic7888FormatConfig, WritesOnlyWhenTheWordDiffers) {
  Sic7888Rig rig;
  TTirisC1Dlg& comm = rig.app->Link();
  EXPECT_TRUE(SetUpFormatConfig(comm, fdx::sic7888::kEmIdConfig));
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 ", "83 01 01 C0 34 00 00 "}));
  EXPECT_EQ(rig.At(1), (Block{0xC0, 0x34, 0x00, 0x00}));
  rig.Clear();
  EXPECT_TRUE(SetUpFormatConfig(comm, fdx::sic7888::kEmIdConfig));
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 "}));
  // A frozen configuration (OTP) refuses another word.
  rig.Program(1, {0xC0, 0x36, 0x00, 0x00});
  EXPECT_FALSE(SetUpFormatConfig(comm, fdx::sic7888::kBdeConfig));
  rig.field->Clear();
  rig.Clear();
  EXPECT_FALSE(SetUpFormatConfig(comm, fdx::sic7888::kBdeConfig));
  EXPECT_EQ(rig.Sent(), (Lines{"81 01 01 "}));
  EXPECT_EQ(rig.Lines(), (Lines{"No response from tag"}));
}

TEST(Sic7888Settings, HandEditedModeSettingAsksAndIsNeverWrittenBack) {
  Sic7888Rig rig;
  TempConfig::WriteFile(rig.config.SettingsPath(), "[Option]\nSIC7888Mode1=0\nBlockNo=7\n");
  rig.app->LoadSettings();
  rig.prompts.Answer("TInputIntDlg.IntEd", "0");
  rig.Run("SIC7888GETUID1");
  EXPECT_EQ(rig.LastForm().dialog, "TInputIntDlg");
  EXPECT_EQ(rig.Sent(), (Lines{"80 00 "}));
  rig.app->Settings.SIC7888Mode1 = 1;  // whatever the program holds, the file keeps the user's
  ASSERT_TRUE(rig.app->SaveSettings());
  const std::string saved = TempConfig::ReadFile(rig.config.SettingsPath());
  EXPECT_NE(saved.find("SIC7888Mode1=0"), std::string::npos);
  EXPECT_EQ(saved.find("SIC7888Mode1=1"), std::string::npos);
}
