// Commands addressed to the module itself, run through the handler registry against the
// simulated module (or a canned line where the module would have to misbehave).
#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/frame.h"
#include "tests/maintenance/maintenance_rig.h"
#include "tests/support/wait.h"

namespace maint_test {
namespace {

using ReaderCommandsTest = MaintenanceTest;
using Texts = std::vector<std::string>;

TEST_F(ReaderCommandsTest, LedItemsSendTheirPatternAndLedSetSendsTheDialogsFields) {
  Run("MnLEDTest1");
  Run("MnLEDTest4");
  Run("MnBlueLED");
  Run("MnLEDTest2");
  Run("MnLEDTest3");
  prompts_.Answer("TLDESet1Dlg.CBLED1", "点滅制御");
  prompts_.Answer("TLDESet1Dlg.EdLED1", "300");  // limited to 255
  prompts_.Answer("TLDESet1Dlg.CBLED2", "1");
  prompts_.Answer("TLDESet1Dlg.EdLED2", "20");
  Run("MnLEDSet1");
  EXPECT_EQ(TxLines(), (Texts{Tx({0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}),
                              Tx({0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}),
                              Tx({0x02, 0x03, 0x14, 0x00, 0x00, 0x00, 0x00}),
                              Tx({0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}),
                              Tx({0x02, 0x02, 0x19, 0x02, 0x19, 0x02, 0x19}),
                              Tx({0x02, 0x02, 0xFF, 0x01, 0x14})}));
  EXPECT_EQ(HandlerLines(), Texts(6, "OK: LED Test Command"));

  prompts_.CancelFirst();
  Run("MnLEDSet1");
  EXPECT_EQ(TxLines().size(), 6u) << "Cancel sends nothing";
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = 1; });
  Run("MnLEDTest2");
  EXPECT_EQ(HandlerLines().back(), "NG: LED Test Command");
}

TEST_F(ReaderCommandsTest, BuzzerWaitsAndLogsOnlyWhenAReplyIsAsked) {
  prompts_.Answer("TInp3Data2Dlg.IntEd1", "0");
  prompts_.Answer("TInp3Data2Dlg.IntEd2", "3");
  Run("BUZTest1");
  EXPECT_EQ(TxLines(), Texts{Tx({0x05, 0x00, 0x03})});
  EXPECT_TRUE(HandlerLines().empty()) << "no wait, so no time-out and no result line";
  const PromptForm& dlg = prompts_.shown.back();
  EXPECT_EQ(dlg.caption, "ブザー音の指定(0:OFF,255:連続)");
  EXPECT_EQ(dlg.Field("STTitle1").text, "返信(1:あり)");
  EXPECT_FALSE(dlg.Field("EdString").visible);

  Run("MnBuzContON");
  Run("MnBuzOFF");
  EXPECT_EQ(TxLines()[1], Tx({0x05, 0x01, 0xFF}));
  EXPECT_EQ(TxLines()[2], Tx({0x05, 0x01, 0x00}));
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = 1; });
  Run("MnBuzOFF");
  EXPECT_EQ(HandlerLines(), (Texts{"ブザー用テストコマンド : OK", "ブザー用テストコマンド : OK",
                                   "Invalid Command", "ブザー用テストコマンド : NG"}));
}

TEST_F(ReaderCommandsTest, BuzzerWithoutReplyWritesNoLineEvenWhenTheModuleAnswers) {
  UseCannedLine();
  canned_->QueueAck({0x05});
  canned_->QueueAck({0x90, '1', '1', '0', '0', 'L', 'F', 'S', '0', '0'});
  prompts_.Answer("TInp3Data2Dlg.IntEd1", "0");
  Run("BUZTest1");
  const std::string answer = "RX: " + hex::Bytes(frame::BuildResponseFrame(0x30, {{0x05}}));
  ASSERT_TRUE(test_support::PumpUntil([&] { return HasLine(answer); })) << "the module answered";
  Run("MnGetROMVer");
  EXPECT_EQ(HandlerLines(), (Texts{"OK: Get ROM Version Command", "ROM Version: 1100LFS00"}));
  EXPECT_EQ(canned_->Commands().front(), (std::vector<uint8_t>{0x05, 0x00, 0x01}));
}

TEST_F(ReaderCommandsTest, QueriesAndPlainCommands) {
  Run("MnGetROMVer");
  Run("MnGetModelName");
  Run("STPROGMODE1");
  Run("RDInfo1");
  Run("MnRestart");
  WaitForCommands(5);
  EXPECT_EQ(
      HandlerLines(),
      (Texts{"OK: Get ROM Version Command", "ROM Version: 1100LFS00", "OK: Get Model Name Command",
             "Model Name : QZH-900", "ST_PROG_MODE:OFF", "FlashWrPos    : 0x0040",
             "FlashInitFlag : 1", "OK : GETSWINFO_CMD", "OK: Restart Command"}));
  EXPECT_EQ(sim_->Counters().module.restarts, 1u);

  SetWord(11, 4000);
  // The whole parameter memory goes back to the factory: asked first, and No sends nothing.
  prompts_.QueueConfirm(false);
  const size_t before = HandlerLines().size();
  Run("Flash1");
  EXPECT_EQ(HandlerLines().size(), before);
  EXPECT_EQ(Word(11), 4000);
  ASSERT_EQ(prompts_.confirmations.size(), 1u);
  EXPECT_EQ(prompts_.confirmations[0],
            "モジュールのEEPROMの設定をすべて初期値に戻します。元には戻せません。よろしいですか？");
  Run("Flash1");
  EXPECT_EQ(HandlerLines().back(), "OK: EEPROM Initialization");
  EXPECT_EQ(Word(11), 8000) << "factory contents again";
  sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = 5; });
  for (const char* item : {"MnGetROMVer", "MnGetModelName", "STPROGMODE1", "RDInfo1", "Flash1"})
    Run(item);
  const Texts all = HandlerLines();
  ASSERT_GE(all.size(), 9u);
  EXPECT_EQ(Texts(all.end() - 9, all.end()),
            (Texts{"Invalid Command", "NG: Get ROM Version Command", "Invalid Command",
                   "NG: Get Model Name Command", "Invalid Command", "Invalid Command",
                   "NG : GETSWINFO_CMD", "Invalid Command", "NG: EEPROM Initialization"}))
      << "ST_PROG_MODE writes nothing on failure";
}

TEST_F(ReaderCommandsTest, SoftwareInformationWithoutItsThreeBytesIsAFailure) {
  UseCannedLine();
  canned_->QueueAck({0x01, 0x40, 0x00});  // LEN 3: no initialisation flag
  canned_->QueueAck({0x01, 0x34, 0x12, 0x07});
  Run("RDInfo1");
  Run("RDInfo1");
  EXPECT_EQ(HandlerLines(), (Texts{"NG : GETSWINFO_CMD", "FlashWrPos    : 0x1234",
                                   "FlashInitFlag : 7", "OK : GETSWINFO_CMD"}));
}

TEST_F(ReaderCommandsTest, LfCarrierItemsAndToolButtons) {
  prompts_.Answer("TInputIntDlg2.ComboBox1", "LF_ON2");
  prompts_.Answer("TInputIntDlg2.IntEd", "40");
  Run("LFON1");
  const PromptForm& dlg = prompts_.shown.back();
  EXPECT_EQ(dlg.caption, "LF ON command");
  EXPECT_EQ(dlg.Field("STTitle").text, "Enter LF ON Time [Max 5000]ms.");
  EXPECT_EQ(dlg.Field("STTitle2").text, "No other commands are accepted in this mode.");
  EXPECT_FALSE(dlg.Field("IntEd").number.Spec().Limit);
  Run("ON1");
  bool on = false;
  sim_->WithModule([&](sim::Module& m) { on = m.CarrierOn(sim::Clock::now()); });
  EXPECT_TRUE(on);
  Run("OFF1");
  Run("ToolButton1");
  Run("ToolButton2");
  sim_->WithModule([&](sim::Module& m) { on = m.CarrierOn(sim::Clock::now()); });
  EXPECT_FALSE(on);
  // The LF carrier frames are logged without a prefix.
  auto lf = [](std::vector<uint8_t> data) { return Tx(data, 0x4E).substr(4); };
  const std::string lfOn = lf({0x9E, 0x01}), lfOff = lf({0x9E, 0x00});
  EXPECT_EQ(lfOn, "02 00 4E 02 9E 01 03 F4 0D ");
  EXPECT_EQ(HandlerLines(), (Texts{lf({0x9E, 0x03, 0x28, 0x00}), "OK: LF ON Command", lfOn,
                                   "OK: LF_ON Command", lfOff, "OK: LF_OFF Command", lfOn,
                                   "OK: LF_ON Command", lfOff, "OK: LF_OFF Command"}));
}

TEST_F(ReaderCommandsTest, LfOnTimeBeyondSixteenBitsIsRefused) {
  prompts_.Answer("TInputIntDlg2.ComboBox1", "2");
  prompts_.Answer("TInputIntDlg2.IntEd", "70000");
  Run("LFON1");
  EXPECT_EQ(Lines(), Texts{"Invalid value"});
}

TEST_F(ReaderCommandsTest, BuzzerFrequencyReadsPromptsWritesAndRestarts) {
  prompts_.Answer("TInputIntDlg.IntEd", "4000");
  Run("MnSetBuz");
  const PromptForm& dlg = prompts_.shown.back();
  EXPECT_EQ(dlg.caption, "周波数の設定");
  EXPECT_EQ(dlg.Field("STTitle").text, "周波数を設定してください。(1500Hz or 4000Hz)");
  EXPECT_EQ(TxLines(),
            (Texts{Tx({0x0D, 0x0B, 0x01}), Tx({0x0E, 0x0B, 0x01, 0xA0, 0x0F}), Tx({0x0A})}));
  EXPECT_EQ(HandlerLines(), (Texts{"8000Hz", "OK: Restart Command", "周波数設定 : OK"}));
  EXPECT_EQ(Word(11), 4000);

  prompts_.CancelFirst();
  Run("MnSetBuz");
  EXPECT_EQ(TxLines().size(), 4u) << "only the read";
  EXPECT_EQ(HandlerLines().back(), "4000Hz");
}

TEST_F(ReaderCommandsTest, BuzzerFrequencyWriteRefusedOrTooShortAnAnswer) {
  UseCannedLine();
  canned_->QueueAck({0x0D, 0x0B, 0x01, 0x40, 0x1F});
  canned_->QueueNack(0x43);
  canned_->QueueAck({0x0D});  // the word is missing
  Run("MnSetBuz");
  Run("MnSetBuz");
  EXPECT_EQ(HandlerLines(),
            (Texts{"8000Hz", "ID Value Error", "周波数設定 : NG", "Response Format Error"}));
  EXPECT_EQ(canned_->Commands().size(), 3u) << "no restart after the failed write";
  EXPECT_EQ(prompts_.shown.size(), 1u) << "no prompt after the short answer";
}

TEST_F(ReaderCommandsTest, BuzzerInTestReadModeChangesOnlyBitOne) {
  SetWord(1, 0x0002);
  Run("MnDisBuz");
  EXPECT_EQ(Word(1), 0x0000);
  EXPECT_EQ(TxLines()[1], Tx({0x0E, 0x01, 0x01, 0x00, 0x00}));
  // The restart took speed code 0 with it.
  app_->Link().SetBaudRate(TBaudRate::br9600);
  SetWord(1, 0x8000);
  Run("MnEnBuz");
  EXPECT_EQ(Word(1), 0x8002);
  EXPECT_EQ(HandlerLines(), (Texts{"OK: Restart Command", "OK : Set Buzzer", "OK: Restart Command",
                                   "OK : Set Buzzer"}));
}

TEST_F(ReaderCommandsTest, BuzzerInTestReadModeFailedWriteSkipsTheRestart) {
  UseCannedLine();
  canned_->QueueAck({0x0D, 0x01, 0x01, 0x02, 0x00});
  canned_->QueueNack(0x41);
  Run("MnEnBuz");
  EXPECT_EQ(HandlerLines(), (Texts{"Number of data Errors", "NG : Set Buzzer"}));
  EXPECT_EQ(canned_->Commands().size(), 2u);
}

TEST_F(ReaderCommandsTest, SpeedThroughTheConfigurationWordSwitchesTheLocalPort) {
  SetWord(1, 0x2402);
  Run("Mnset1152kbps1");
  EXPECT_EQ(TxLines()[1], Tx({0x0E, 0x01, 0x01, 0x02, 0x84}));
  EXPECT_EQ(Word(1), 0x8402);
  EXPECT_EQ(LocalRate(), TBaudRate::br115200);
  EXPECT_EQ(HandlerLines(), (Texts{"OK: Restart Command", "OK : Set COM Speed"}));
  Run("MnGetROMVer");
  EXPECT_EQ(HandlerLines().back(), "ROM Version: 1100LFS00") << "still talking at 115200";
  sim_->WithModule([](sim::Module& m) { EXPECT_EQ(m.Baud(), 115200); });
}

TEST_F(ReaderCommandsTest, SpeedWriteRefusedKeepsTheLocalSpeed) {
  UseCannedLine();
  canned_->QueueAck({0x0D, 0x01, 0x01, 0x30, 0x62});
  canned_->QueueNack(0x43);
  Run("Mnset9600bps1");
  EXPECT_EQ(canned_->Commands()[1], (std::vector<uint8_t>{0x0E, 0x01, 0x01, 0x30, 0x02}));
  EXPECT_EQ(HandlerLines(), (Texts{"ID Value Error", "NG : Set COM Speed"}));
  EXPECT_EQ(LocalRate(), TBaudRate::br57600);
}

TEST_F(ReaderCommandsTest, ComSpeedWithAnUnknownIndexOpensWithNoItemSelected) {
  SetWord(1, 0xA230);  // speed code 5 names no speed
  prompts_.Answer("TSelInp1Dlg.ComboBox1", "19.2kbps");
  Run("COMSpeed1");
  const PromptForm& dlg = prompts_.shown.back();
  EXPECT_EQ(dlg.caption, "Select COM Speed");
  EXPECT_EQ(dlg.Field("Label1").text, "COM Speed");
  EXPECT_EQ(dlg.Field("ComboBox1").items,
            (Texts{"9600bps", "19.2kbps", "38.4kbps", "57.6kbps", "115.2kbps"}));
  EXPECT_EQ(dlg.Field("ComboBox1").index, 1) << "the answer";
  EXPECT_EQ(TxLines(), (Texts{Tx({0x03, 0x01}), Tx({0x04, 0x01, 0x01}), Tx({0x0A})}));
  EXPECT_EQ(HandlerLines(), Texts{"OK: Set COM Speed"}) << "the restart has no line of its own";
  EXPECT_EQ(LocalRate(), TBaudRate::br19200);
  Run("MnGetModelName");
  EXPECT_EQ(HandlerLines().back(), "Model Name : QZH-900") << "still talking at 19200";
}

TEST_F(ReaderCommandsTest, ComSpeedOpensOnTheCurrentIndex) {
  prompts_.CancelFirst();
  Run("COMSpeed1");
  EXPECT_EQ(prompts_.shown.back().Field("ComboBox1").index, 3) << "57600 at power-up";
  EXPECT_EQ(TxLines().size(), 1u) << "Cancel after the read";
}

TEST_F(ReaderCommandsTest, ComSpeedWithNoItemChosenSendsNothing) {
  prompts_.Answer("TSelInp1Dlg.ComboBox1", "12345");  // typed text that is no speed
  Run("COMSpeed1");
  EXPECT_EQ(TxLines().size(), 1u);
  EXPECT_EQ(HandlerLines(), Texts{"Invalid value"});
}

TEST_F(ReaderCommandsTest, ComSpeedFailedRestartKeepsTheLocalSpeed) {
  UseCannedLine();
  canned_->QueueAck({0x03, 0x01, 0x03});
  canned_->QueueAck({0x04});
  canned_->QueueNack(0x44);
  prompts_.Answer("TSelInp1Dlg.ComboBox1", "0");
  Run("COMSpeed1");
  EXPECT_EQ(HandlerLines(), (Texts{"Invalid Command", "NG: Set COM Speed"}));
  EXPECT_EQ(LocalRate(), TBaudRate::br57600);
  canned_->QueueAck({0x03, 0x01, 0x03});
  canned_->QueueNack(0x43);
  prompts_.Answer("TSelInp1Dlg.ComboBox1", "4");
  Run("COMSpeed1");
  EXPECT_EQ(canned_->Commands().size(), 5u) << "no restart after a refused write";
  EXPECT_EQ(HandlerLines().back(), "NG: Set COM Speed");
}

TEST_F(ReaderCommandsTest, LfPowerTakesAValueBeyondTheSuggestedRange) {
  prompts_.Answer("TInputIntDlg.IntEd", "200");
  Run("PWMDuty1");
  const PromptForm& dlg = prompts_.shown.back();
  EXPECT_EQ(dlg.caption, "Set  LF transmission Level");
  EXPECT_EQ(dlg.Field("STTitle").text, "Set the transmission level (MAX: 50)");
  EXPECT_FALSE(dlg.Field("IntEd").number.Spec().Limit);
  EXPECT_EQ(TxLines(), (Texts{Tx({0x03, 0x02}), Tx({0x04, 0x02, 0xC8, 0x00})}));
  EXPECT_EQ(HandlerLines(), Texts{"OK: Set LF Power"});
  EXPECT_EQ(Word(14), 200);

  prompts_.Answer("TInputIntDlg.IntEd", "-1");
  Run("PWMDuty1");
  EXPECT_EQ(HandlerLines().back(), "Invalid value");
  EXPECT_EQ(TxLines().size(), 3u);
}

TEST_F(ReaderCommandsTest, ActionModeIsSentWithoutWaiting) {
  prompts_.Answer("TSetDousaModeDlg.ComboBox1", "1");
  prompts_.Answer("TSetDousaModeDlg.CheckBox1", "1");
  Run("ActionMode1");
  EXPECT_EQ(Lines(), (Texts{"Action Mode Set", Tx({0x00, 0x02, 0x01})}));
  WaitForCommands(1);
  sim_->WithModule([](sim::Module& m) {
    EXPECT_EQ(m.ActionMode(), 2);
    EXPECT_EQ(m.Memory().Word(12) >> 8, 2) << "saved";
  });
  prompts_.Answer("TSetDousaModeDlg.ComboBox1", "0");
  prompts_.Answer("TSetDousaModeDlg.CheckBox1", "0");
  Run("ActionMode1");
  EXPECT_EQ(TxLines().back(), Tx({0x00, 0x04}));
}

}  // namespace
}  // namespace maint_test
