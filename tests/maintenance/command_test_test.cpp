// The command test dialog and the typed byte string, with a TI read-only tag in the simulated
// module's field.
#include <gtest/gtest.h>

#include <algorithm>

#include "maintenance/cmd_outp_dlg.h"
#include "maintenance/command_test.h"
#include "maintenance/form_memo_log_pane.h"
#include "sim/chips/ti_readonly.h"
#include "tests/maintenance/maintenance_rig.h"

namespace maint_test {
namespace {

using Texts = std::vector<std::string>;

class CommandTestDialog : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    sim_->TheField().Insert(std::make_shared<sim::TiReadOnlyTag>(0x0123456789ABCDEFull));
  }
  // The dialog as it was when it closed.
  const PromptForm& Closed() {
    EXPECT_FALSE(prompts_.closed.empty());
    return prompts_.closed.back();
  }
  int64_t Field(const char* name) { return Closed().Field(name).Int(); }
  std::vector<std::string> Memo() { return Closed().Field("Memo1").lines; }
  static int Count(const Texts& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }
};

std::vector<std::string> Visible(const PromptForm& form) {
  std::vector<std::string> out;
  for (const char* name : {"Label6", "EdAddr", "AddrStr", "Label8", "EdBlockNum", "Label9",
                           "Label4", "Label5", "Label7", "EdData7", "EdData6", "EdData5", "EdData4",
                           "EdData3", "EdData2", "EdData1", "EdData0"})
    if (form.Field(name).visible) out.push_back(name);
  return out;
}

void Choose(PromptForm& form, const std::string& field, int index) {
  form.Field(field).index = index;
  form.Changed(field);
}

TEST(CommandTestLayout, FamiliesFillTheListAndCommandsShowTheirFields) {
  SetMessageLanguage(Language::English);
  PromptForm form = MakeCoomandDlg1();
  EXPECT_EQ(form.Field("CBCommand").items, (Texts{"ChargeOnlyReadCmd", "WriteAndProgramCmd"}));
  EXPECT_TRUE(Visible(form).empty());

  Choose(form, "RadioGroup1", 1);  // MPT
  EXPECT_EQ(SelectedTestCommand(form), "GeneralReadPageCmd");
  EXPECT_EQ(Visible(form), (Texts{"Label6", "EdAddr", "AddrStr"}));
  EXPECT_EQ(form.Field("Label6").text, "Pege");
  EXPECT_EQ(form.Field("AddrStr").text, "(1-17)");
  const NumberEditModel& addr = form.Field("EdAddr").number;
  EXPECT_EQ(addr.Spec().Min, 1);
  EXPECT_EQ(addr.Spec().Max, 17);
  EXPECT_EQ(addr.IntValue(), 1);

  Choose(form, "CBCommand", 1);  // ProgramPageCmd: the address as it was, eight data bytes
  EXPECT_EQ(Visible(form).size(), 3u + 3u + 8u);

  Choose(form, "RadioGroup1", 2);  // SIC
  Choose(form, "CBCommand", 5);    // ProtectedWrite
  EXPECT_EQ(Visible(form), (Texts{"Label6", "EdAddr", "AddrStr", "Label4", "Label7", "EdData3",
                                  "EdData2", "EdData1", "EdData0"}));
  EXPECT_EQ(form.Field("Label6").text, "Block");
  EXPECT_EQ(form.Field("EdAddr").number.Spec().Max, 15);
  Choose(form, "CBCommand", 4);  // ProtectedDirectAccess
  EXPECT_EQ(Visible(form),
            (Texts{"Label6", "EdAddr", "AddrStr", "Label8", "EdBlockNum", "Label9"}));
  EXPECT_EQ(form.Field("Label8").text, "Block Number");

  Choose(form, "RadioGroup1", 3);  // EM
  Choose(form, "CBCommand", 1);    // WriteWord
  EXPECT_EQ(Visible(form), (Texts{"Label6", "EdAddr", "AddrStr", "Label4", "Label5", "Label7",
                                  "EdData3", "EdData2", "EdData1", "EdData0"}));
  // The marks stand over the ends of the bytes shown: "MSB" over the leftmost one.
  EXPECT_EQ(form.Field("Label5").over, "EdData3");
  EXPECT_EQ(form.Field("Label7").over, "EdData0");
  Choose(form, "RadioGroup1", 0);  // RW
  Choose(form, "CBCommand", 1);    // WriteAndProgramCmd: all eight
  EXPECT_EQ(form.Field("Label5").over, "EdData7");
  EXPECT_EQ(form.Field("Label7").over, "EdData0");
}

TEST(CommandTestPanel, ColoursOnlyAfterContinuousResults) {
  PromptForm form = MakeCoomandDlg1();
  CommandTestState state;
  state.okFlash = kFlashTicks;  // as a single run never sets it, but even so
  for (int i = 0; i < 12; ++i) {
    Timer1Timer(state, form);
    EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelBlack) << "single run, tick " << i;
  }
  state = {.continuous = true, .okFlash = kFlashTicks, .ngFlash = 3};
  EXPECT_TRUE(Timer1Timer(state, form));
  EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelOlive);
  Timer1Timer(state, form);
  EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelOlive);
  EXPECT_TRUE(Timer1Timer(state, form));  // the NG flash runs out
  EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelGreen);
  state.ngFlash = kFlashTicks;
  state.okFlash = 0;
  Timer1Timer(state, form);
  EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelRed);
  for (int i = 0; i < 9; ++i) Timer1Timer(state, form);
  EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelBlack);
}

TEST_F(CommandTestDialog, SingleRunCountsOneCommandAndNeverColoursThePanel) {
  PromptForm form = MakeCoomandDlg1();
  FormMemoLogPane memo(form, "Memo1");
  CommandTestState state;
  CommandTest(*app_).OKBtnClick(form, state, memo);
  EXPECT_EQ(form.Field("EdOK").Int(), 1);
  EXPECT_EQ(form.Field("EdNg").Int(), 0);
  EXPECT_EQ(form.Field("Memo1").lines, Texts{"OK: Command"});
  EXPECT_EQ(state.okFlash, 0);
  for (int i = 0; i < 12; ++i) {
    Timer1Timer(state, form);
    EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelBlack);
  }
  form.Field("CBfLoop").checked = true;
  form.Field("CBCheckMaxNum").checked = true;
  form.Field("EdMaxNum").number.SetValue(1);
  CommandTest(*app_).OKBtnClick(form, state, memo);
  EXPECT_EQ(state.okFlash, kFlashTicks);
  Timer1Timer(state, form);
  EXPECT_EQ(form.Field("Panel_OKNG").color, kPanelGreen);
  EXPECT_TRUE(form.Action("OKBtn").enabled);
}

TEST_F(CommandTestDialog, CountLimitRunsExactlyThatManyCommands) {
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Answer("TCoomandDlg1.CBCheckMaxNum", "1");
  prompts_.Answer("TCoomandDlg1.EdMaxNum", "3");
  prompts_.Press("TCoomandDlg1.OKBtn");
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 3u);
  EXPECT_EQ(Field("EdOK"), 3);
  EXPECT_EQ(Field("EdNg"), 0);
  const Texts memo = Memo();
  EXPECT_EQ(Count(memo, "OK: Command"), 3);
  EXPECT_EQ(Count(memo, Tx({0x10})), 3) << "the link's lines go to the dialog's log";
  EXPECT_TRUE(Lines().empty()) << "and not to the main pane";
  EXPECT_TRUE(prompts_.closed.back().Action("OKBtn").enabled);

  Run("MnGetROMVer");
  EXPECT_EQ(TxLines(), Texts{Tx({0x90})}) << "back on the main pane after the dialog";
}

TEST_F(CommandTestDialog, CountLimitZeroRunsNone) {
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Answer("TCoomandDlg1.CBCheckMaxNum", "1");
  prompts_.Press("TCoomandDlg1.OKBtn");
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 0u);
  EXPECT_TRUE(Memo().empty());
}

TEST_F(CommandTestDialog, ErrorStopEndsBeforeTheCommandAfterTheFirstFailure) {
  // The second command fails: the module refuses it.
  prompts_.onRefresh = [this](PromptForm& form) {
    if (form.Field("EdOK").Int() == 1 && form.Field("EdNg").Int() == 0)
      sim_->UpdateFaults([](sim::FaultPlan& f) { f.nack = 1; });
  };
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Answer("TCoomandDlg1.CBErrorStop", "1");
  prompts_.Press("TCoomandDlg1.OKBtn");
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 2u);
  EXPECT_EQ(Field("EdOK"), 1);
  EXPECT_EQ(Field("EdNg"), 1);
  const Texts memo = Memo();
  ASSERT_GE(memo.size(), 3u);
  EXPECT_EQ(Texts(memo.end() - 2, memo.end()), (Texts{"Invalid Command", "NG: Command"}));
}

TEST_F(CommandTestDialog, CancelOfTheProgressDialogEndsTheRun) {
  prompts_.SetProgressCancelAfter(4);
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Press("TCoomandDlg1.OKBtn");
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 4u);
  EXPECT_EQ(Field("EdOK"), 4);
}

TEST_F(CommandTestDialog, CancelEndsALongPauseBetweenCommands) {
  // The third look at the progress dialog answers Cancel: it must come during the first
  // 65-second pause, not after it.
  prompts_.SetProgressCancelAfter(3);
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Answer("TCoomandDlg1.EdWaitTime1", "65000");
  prompts_.Press("TCoomandDlg1.OKBtn");
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 1u);
  EXPECT_EQ(Field("EdOK"), 1);
}

TEST_F(CommandTestDialog, CloseDuringARunAsksToStopItAndThenCloses) {
  // Close comes while the second command runs; the user agrees to stop. A second Start queued
  // behind it is never seen: the dialog is gone.
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Press("TCoomandDlg1.OKBtn");
  prompts_.Press("TCoomandDlg1.OKBtn");
  prompts_.PressWhileWorking("TCoomandDlg1.CancelBtn", 2);
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 2u);
  EXPECT_EQ(prompts_.confirmations, Texts{"連続実行中です。実行を中止して閉じますか？"});
  ASSERT_EQ(prompts_.closed.size(), 1u);
  EXPECT_EQ(Field("EdOK"), 2);
  const auto& actions = Closed().actions;
  EXPECT_TRUE(std::any_of(actions.begin(), actions.end(), [](const PromptAction& a) {
    return a.name == "OKBtn" && a.enabled;
  })) << "Start is enabled again";
}

TEST_F(CommandTestDialog, CloseDuringARunThatTheUserKeepsGoingChangesNothing) {
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Answer("TCoomandDlg1.CBCheckMaxNum", "1");
  prompts_.Answer("TCoomandDlg1.EdMaxNum", "4");
  prompts_.Press("TCoomandDlg1.OKBtn");
  prompts_.PressWhileWorking("TCoomandDlg1.CancelBtn", 1);
  prompts_.QueueConfirm(false);
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 4u) << "the run went on to its limit";
  EXPECT_EQ(prompts_.confirmations.size(), 1u);
}

TEST_F(CommandTestDialog, CloseEndsALongPauseBetweenCommands) {
  // The second question comes during the first 65-second pause.
  prompts_.Answer("TCoomandDlg1.CBfLoop", "1");
  prompts_.Answer("TCoomandDlg1.EdWaitTime1", "65000");
  prompts_.Press("TCoomandDlg1.OKBtn");
  prompts_.PressWhileWorking("TCoomandDlg1.CancelBtn", 1);
  Run("MnCmdTest");
  EXPECT_EQ(SimCommands(), 1u);
  EXPECT_EQ(prompts_.confirmations.size(), 1u);
  EXPECT_EQ(prompts_.closed.size(), 1u);
}

TEST_F(CommandTestDialog, EachCommandSendsItsFields) {
  prompts_.Answer("TCoomandDlg1.RadioGroup1", "MPT");
  prompts_.Answer("TCoomandDlg1.CBCommand", "ProgramPageCmd");
  prompts_.Answer("TCoomandDlg1.EdAddr", "0");
  for (int i = 0; i < 8; ++i)
    prompts_.Answer("TCoomandDlg1.EdData" + std::to_string(i), std::to_string(i + 1) + "A");
  prompts_.Press("TCoomandDlg1.OKBtn");
  Run("MnCmdTest");
  const Texts memo = Memo();
  EXPECT_EQ(Count(memo, Tx({0x13, 0x01, 0x08, 0x1A, 0x2A, 0x3A, 0x4A, 0x5A, 0x6A, 0x7A, 0x8A})), 1)
      << "page 0 goes out as page 1, EdData0 first";
  EXPECT_EQ(Field("EdAddr"), 1);
  EXPECT_EQ(memo.back(), "NG: Command") << "the read-only tag does not answer";
  EXPECT_EQ(Field("EdNg"), 1);
}

TEST_F(CommandTestDialog, FieldsAreRememberedBetweenDialogs) {
  prompts_.Answer("TCoomandDlg1.RadioGroup1", "SIC");
  prompts_.Answer("TCoomandDlg1.CBCommand", "ProtectedDirectAccess");
  prompts_.Answer("TCoomandDlg1.EdAddr", "9");
  prompts_.Answer("TCoomandDlg1.EdBlockNum", "2");
  prompts_.Answer("TCoomandDlg1.EdData7", "C4");
  Run("MnCmdTest");
  const CommandTestMemory& kept = app_->Memory<CommandTestMemory>();
  EXPECT_EQ(kept.address, 9);
  EXPECT_EQ(kept.data[7], 0xC4);
  prompts_.shown.clear();
  prompts_.CancelFirst();  // shows the dialog as preset, without the answers
  Run("MnCmdTest");
  ASSERT_EQ(prompts_.shown.size(), 1u);
  const PromptForm& again = prompts_.shown[0];
  EXPECT_EQ(again.Field("EdAddr").Int(), 9);
  EXPECT_EQ(again.Field("EdBlockNum").Int(), 2);
  EXPECT_EQ(again.Field("EdData7").Int(), 0xC4);
  EXPECT_EQ(SelectedTestCommand(again), "ChargeOnlyReadCmd") << "the dialog starts afresh";
}

TEST_F(CommandTestDialog, LocalActionsClearTheCountersAndTheLog) {
  PromptForm form = MakeCoomandDlg1();
  form.Field("EdOK").number.SetValue(5);
  form.Field("EdNg").number.SetValue(2);
  form.Field("Memo1").lines = {"a", "b"};
  form.onAction(form, "BTClear");
  EXPECT_EQ(form.Field("EdOK").Int(), 0);
  EXPECT_EQ(form.Field("EdNg").Int(), 0);
  EXPECT_EQ(form.Field("Memo1").lines.size(), 2u);
  form.onAction(form, "MNClear1");
  EXPECT_TRUE(form.Field("Memo1").lines.empty());
}

TEST_F(CommandTestDialog, TypedByteStringGetsSumAndCr) {
  prompts_.Answer("TCmdOutpDlg.Edit1", "02 00 4D 01 90 03");
  prompts_.Answer("TCmdOutpDlg.CBSumAutoTx", "1");
  Run("MnChkCmd");
  EXPECT_TRUE(prompts_.shown.back().Field("CBSumAutoTx").visible);
  const Texts lines = Lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(
      Texts(lines.begin(), lines.begin() + 5),
      (Texts{"Command: ", "02 00 4D 01 90 03 E3 0D ", "-------------- PassThrow: -----------------",
             "PassThrow: ", "02 00 4D 01 90 03 E3 0D "}));
  WaitForCommands(1);

  // The string is remembered; without the check box it goes out as typed.
  prompts_.Answer("TCmdOutpDlg.CBSumAutoTx", "0");
  Run("MnChkCmd");
  EXPECT_EQ(prompts_.shown.back().Field("Edit1").text, "02 00 4D 01 90 03");
  EXPECT_TRUE(HasLine("02 00 4D 01 90 03 "));
}

TEST_F(CommandTestDialog, TypedByteStringEdgeCases) {
  prompts_.Answer("TCmdOutpDlg.Edit1", std::string(513, '0'));
  Run("MnChkCmd");
  EXPECT_EQ(Lines(), Texts{"Invalid String"});
  EXPECT_EQ(app_->Memory<CommandTestMemory>().sentString, "") << "not remembered";

  // A frame cut short still gets a sum of what is there; no digit counts as 0.
  EXPECT_EQ(CmdOutpBytes("  02 0G", true), (std::vector<uint8_t>{0x02, 0x00, 0x02, 0x0D}));
  EXPECT_EQ(CmdOutpBytes("02 00 4D 05 90 03", true),
            (std::vector<uint8_t>{0x02, 0x00, 0x4D, 0x05, 0x90, 0x03, 0xE7, 0x0D}));
  EXPECT_EQ(CmdOutpBytes("0200 4d", false), (std::vector<uint8_t>{0x02, 0x00, 0x4D}));
}

}  // namespace
}  // namespace maint_test
