// The SIC279 menu items and the ID write dialog in both modes, against the simulated module.
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "hdx/id_write_dialog.h"
#include "sim/chips/sic279.h"
#include "tests/hdx/hdx_rig.h"

using namespace hdx_test;
using Lines = std::vector<std::string>;

namespace {

class Sic279 : public ::testing::Test {
 protected:
  Sic279() : rig({MakeChip("sic279:1122334455667788")}) {}
  sim::Sic279Tag& Tag() { return *rig.Tag<sim::Sic279Tag>(); }
  void Shape(int delta) {
    rig.sim->TheField().With(0, [&](sim::Transponder&) { Tag().Shape.lengthDelta = delta; });
  }
  HdxRig rig;
};

TEST_F(Sic279, TraceabilityLineIsBitReversed) {
  // Received 12 34 56 78 9A BC, then 0x15 in six bits, flags 0x24 (OPT, CRC).
  rig.Run("raceabilitydataRead1");
  EXPECT_EQ(rig.Results(),
            (Lines{"OK: TraceabilityDataRead Command", "TRACEABILITY0+1(54): 48 2C 6A 1E 59 3D A8 ",
                   "OPT: 1", "PWD: 0", "CRC: 1"}));
  // The seventh byte comes from six bits only: bits 7 and 6 of the received byte are dropped.
  Tag().Traceability[6] = 0xFF;
  Tag().OptionFlags = 0x08;
  rig.ClearLog();
  rig.Run("raceabilitydataRead1");
  EXPECT_EQ(rig.Results()[1], "TRACEABILITY0+1(54): 48 2C 6A 1E 59 3D FC ");
  EXPECT_EQ(rig.Results()[2], "OPT: 0");
  EXPECT_EQ(rig.Results()[3], "PWD: 1");
}

TEST_F(Sic279, ChipConfigurationFields) {
  rig.Run("ChipConfigRead1");
  EXPECT_EQ(rig.Results(), (Lines{"OK: ChipConfigRead Command",
                                  "TRACEABILITY0+1(54): 48 2C 6A 1E 59 3D A8 ", "OPT: 1", "PWD: 0",
                                  "CRC: 1", "Ctune: 0x45", "MFG_DATA: 0x01ABCDEF", "Rev: 0x03"}));
}

TEST_F(Sic279, ShortAnswersAreFormatErrorsNotData) {
  Shape(-1);
  for (const char* item :
       {"raceabilitydataRead1", "ChipConfigRead1", "Lockbitreadall1", "Lockbitread1"}) {
    rig.ClearLog();
    rig.Run(item);
    const Lines r = rig.Results();
    ASSERT_EQ(r.size(), 2u) << item;
    EXPECT_EQ(r[0], "Response Format Error");
    EXPECT_EQ(r[1].rfind("NG: ", 0), 0u) << item;
  }
}

TEST_F(Sic279, LockBits) {
  rig.prompts.Answer("TWrData1Dlg.EdAddr", "9");
  rig.prompts.Answer("TWrData1Dlg.CBLock", "1");
  rig.Run("Protectedwrite1");  // confirmed: block 9 written and locked
  rig.ClearLog();
  rig.Run("Lockbitreadall1");
  EXPECT_EQ(rig.Results(), (Lines{"OK: LockBitReadAll Command", "L(15:0) : 0x0200"}));
  rig.ClearLog();
  rig.prompts.Answer("TInp3Data1Dlg.IntEd1", "9");
  rig.Run("Lockbitread1");
  EXPECT_FALSE(rig.prompts.shown.back().Field("IntEd2").visible);
  EXPECT_EQ(rig.Results(), (Lines{"OK: LockBitRead Command", "Lock Bit: 1 [Data: 00 00 00 01]"}));
  rig.ClearLog();
  rig.prompts = RecordingPrompts();
  rig.prompts.Answer("IntEd1", "2");
  rig.Run("Lockbitread1");
  EXPECT_EQ(rig.Results(), (Lines{"OK: LockBitRead Command", "Lock Bit: 0 [Data: 00 00 00 00]"}));
  EXPECT_EQ(rig.app->Settings.BlockNo, 2);
}

TEST_F(Sic279, ProtectedDirectAccessShowsWhatTheAnswerHolds) {
  struct Case {
    int block, n;
    std::string line;
  };
  for (const Case& c : {Case{1, 0, "Data: 14 13 12 11 "},
                        // Blocks 14 and 15 are all there is: 8 bytes of the 16 asked.
                        Case{14, 3, "Data: 02 01 00 FF F1 F0 EF EE "},
                        // The chip answers four blocks at most: 16 bytes, not the 24 asked.
                        Case{0, 5, "Data: 36 35 34 33 25 24 23 22 14 13 12 11 03 02 01 00 "}}) {
    rig.ClearLog();
    rig.prompts = RecordingPrompts();
    rig.prompts.Answer("IntEd1", std::to_string(c.block));
    rig.prompts.Answer("IntEd2", std::to_string(c.n));
    rig.Run("Protecteddirectaccess1");
    EXPECT_EQ(rig.Results(), (Lines{"OK: ProtectedDirectAccess Command", c.line}));
    EXPECT_EQ(rig.app->Settings.BlockNum, c.n);
  }
}

TEST_F(Sic279, ProtectedWriteAsksBeforeLocking) {
  rig.prompts.Answer("EdAddr", "4");
  rig.prompts.Answer("EdData3", "DE");
  rig.prompts.Answer("EdData0", "EF");
  rig.prompts.Answer("CBLock", "1");
  rig.prompts.QueueConfirm(false);
  rig.Run("Protectedwrite1");
  EXPECT_EQ(rig.prompts.confirmations,
            (Lines{"データは書き換えられなくなりますが、よろしいですか?"}));
  EXPECT_TRUE(rig.Lines().empty()) << "nothing sent";
  EXPECT_EQ(rig.app->Settings.BlockNo, 0) << "nothing stored";
  rig.prompts = RecordingPrompts();
  rig.prompts.Answer("EdAddr", "4");
  rig.prompts.Answer("EdData3", "DE");
  rig.prompts.Answer("EdData0", "EF");
  rig.Run("Protectedwrite1");
  EXPECT_TRUE(rig.Sent({0x58, 4, 0, 0xEF, 0, 0, 0xDE}));
  EXPECT_EQ(rig.Results(), (Lines{"OK: ProtectedWrite Command", "Data: DE 00 00 EF "}));
  rig.prompts = RecordingPrompts();
  rig.Run("Protectedwrite1");
  const PromptForm& again = rig.prompts.shown[0];
  EXPECT_EQ(again.Field("EdAddr").Int(), 4);
  EXPECT_EQ(again.Field("EdData3").number.Text(), "DE") << "the bytes are kept for the run";
  EXPECT_FALSE(again.Field("CBLock").checked);
}

TEST_F(Sic279, IdWriteLaysTheIdIntoTheChipAndCarriesTheIncrement) {
  rig.app->Settings.ANI_ID = {0xFF, 0, 0, 0, 0, 0, 0, 0};
  rig.prompts.Press("OKBtn");
  rig.prompts.Press("CancelBtn");  // "Close"
  rig.Run("IDWrite1");
  EXPECT_TRUE(rig.Sent({0x59, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0, 1})) << "read only by default";
  EXPECT_EQ(rig.Results(), (Lines{"OK: IDWrite[SIC279] Command"}));
  EXPECT_EQ(Tag().Id(), (std::array<uint8_t, 8>{0xFF, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rig.app->Settings.ANI_ID[0], 0xFF) << "the sum reaches the ID at the next Write";
  IniFile ini(rig.cfg.SettingsPath());
  ini.Load();
  EXPECT_EQ(ini.ReadInteger("Option", "fIncValue", -1), 1);

  rig.ClearLog();
  rig.Run("MnChargeOnlyReadCmd1");
  EXPECT_EQ(rig.Results(), (Lines{"OK: ChargeOnlyRead Command", "Tag Type: SIC279 Tag",
                                  "Data: 00 00 00 00 00 00 00 FF "}));
}

TEST(IdWriteDialog, IncrementCarriesAcrossAllEightBytesAndWraps) {
  EXPECT_EQ(AddToId({0xFF, 0, 0, 0, 0, 0, 0, 0}, 1),
            (std::array<uint8_t, 8>{0, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(AddToId({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 1),
            (std::array<uint8_t, 8>{0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(AddToId({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 3),
            (std::array<uint8_t, 8>{1, 0, 0, 0, 0, 0, 0, 0}));
  const PromptForm f = MakeWrData1_3Dlg(IdWriteMode::Sic7888, {}, 0, 7);
  EXPECT_FALSE(f.Field("EdIncValue").enabled) << "follows the check box";
  EXPECT_FALSE(f.Field("RGTagType").visible);
  EXPECT_FALSE(f.Field("CBLock").visible);
  EXPECT_EQ(f.caption, "IDWrite[SIC7888]");
}

TEST_F(Sic279, IdWriteFieldsFollowSuccessOnly) {
  rig.app->Settings.ANI_ID = {0xFF, 0, 0, 0, 0, 0, 0, 0};
  rig.app->Settings.IncValue = 2;
  rig.prompts.Press("OKBtn");
  rig.prompts.Press("OKBtn");
  rig.Run("IDWrite1");  // then the close box: the increment settings stay as they were
  EXPECT_TRUE(rig.Sent({0x59, 0, 0x01, 0x01, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_FALSE(IniFile::Exists(rig.cfg.SettingsPath())) << "the close box saves nothing";

  rig.sim->TheField().Clear();
  rig.ClearLog();
  rig.prompts = RecordingPrompts();
  rig.prompts.Answer("EdIncValue", "5");
  rig.prompts.Press("OKBtn");
  rig.prompts.Press("CancelBtn");
  rig.Run("IDWrite1");
  EXPECT_EQ(rig.Results(), (Lines{"No response from tag", "NG: IDWrite[SIC279] Command"}));
  // The fields were not advanced: the ID shown at the start is the one written last.
  EXPECT_EQ(rig.app->Settings.ANI_ID, (std::array<uint8_t, 8>{0x01, 0x01, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rig.app->Settings.IncValue, 5);
}

TEST_F(Sic279, IdWriteLockIsConfirmed) {
  rig.prompts.Answer("CBLock", "1");
  rig.prompts.QueueConfirm(false);
  rig.prompts.Press("OKBtn");
  rig.Run("IDWrite1");
  EXPECT_EQ(rig.prompts.confirmations,
            (Lines{"データは書き換えられなくなりますが、よろしいですか?"}));
  EXPECT_EQ(rig.SentCount(0x59), 0);
}

TEST_F(Sic279, Sic7888ModeSendsItsOwnCommand) {
  rig.app->Settings.ANI_ID = {1, 2, 3, 4, 5, 6, 7, 8};
  rig.app->Settings.fIncValue = 0;
  rig.prompts.Answer("EdData7", "99");
  rig.prompts.Press("OKBtn");
  rig.prompts.Press("CancelBtn");
  RunIdWriteDialog(*rig.app, IdWriteMode::Sic7888);
  EXPECT_TRUE(rig.Sent({0x86, 0x01, 1, 2, 3, 4, 5, 6, 7, 0x99}));
  EXPECT_EQ(rig.Results(), (Lines{"No response from tag", "NG: IDWrite[SIC7888] Command"}));
  EXPECT_EQ(rig.app->Settings.ANI_ID[7], 0x99) << "stored as the animal ID";
  EXPECT_EQ(rig.app->Settings.fIncValue, 0);
}

}  // namespace
