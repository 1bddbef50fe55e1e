#include "maintenance/command_test.h"

#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/hex.h"
#include "core/ui_text.h"
#include "link/millisecond_timer.h"
#include "maintenance/cmd_outp_dlg.h"
#include "maintenance/form_memo_log_pane.h"

namespace {

std::string DataName(int i) {
  return "EdData" + std::to_string(i);
}

uint8_t FieldByte(const PromptForm& form, const std::string& name) {
  return static_cast<uint8_t>(form.Field(name).Int() & 0xFF);
}

int64_t FieldInt(const PromptForm& form, const char* name) {
  return form.Field(name).Int();
}

// The pause between continuous commands, in short slices so that the window stays live and
// Cancel or Close ends even a 65-second pause at once.
void PauseUnless(AppCore& app, const std::function<bool()>& stop, uint32_t ms) {
  constexpr uint32_t kSliceMs = 20;
  MillisecondTimer clock;
  clock.start();
  while (!clock.expired(ms) && !stop()) app.Sleep(std::min(kSliceMs, ms - clock.elapsed()));
}

// Points the communication module's log at the dialog's log while the dialog is open, and back
// at the main window's pane however the handler ends.
class CommLogRedirect {
 public:
  CommLogRedirect(TTirisC1Dlg& comm, LogPane& pane, LogPane& mainPane)
      : comm_(comm), main_(mainPane) {
    comm_.SetLogPane(&pane);
  }
  ~CommLogRedirect() { comm_.SetLogPane(&main_); }
  CommLogRedirect(const CommLogRedirect&) = delete;
  CommLogRedirect& operator=(const CommLogRedirect&) = delete;

 private:
  TTirisC1Dlg& comm_;
  LogPane& main_;
};

}  // namespace

CommandTest::CommandTest(AppCore& app) : app_(app), comm_(app.Link()) {}

bool CommandTest::SendSelected(PromptForm& form) {
  std::array<uint8_t, 8> d{};
  for (int i = 0; i < 8; ++i) d[static_cast<size_t>(i)] = FieldByte(form, DataName(i));
  const std::span<const uint8_t, 4> d4(d.data(), 4);
  const uint8_t addr = FieldByte(form, "EdAddr");
  const std::string c = SelectedTestCommand(form);
  Response out{};
  if (c == "ChargeOnlyReadCmd") return comm_.ChargeOnlyRead(out, 1);
  if (c == "WriteAndProgramCmd") return comm_.WriteAndProgram(out, d);
  if (c == "GeneralReadPageCmd" || c == "ProgramPageCmd") {
    if (addr == 0) form.Field("EdAddr").number.SetValue(1);  // page 0 does not exist
    const uint8_t page = addr == 0 ? 1 : addr;
    return c == "GeneralReadPageCmd" ? comm_.GeneralReadPage(out, page)
                                     : comm_.ProgramPage(out, page, d);
  }
  if (c == "TraceabilityDataRead") return comm_.Sic279TraceabilityDataRead(out);
  if (c == "ChipConfigRead") return comm_.Sic279ChipConfigRead(out);
  if (c == "LockBitReadAll") return comm_.Sic279LockBitReadAll(out);
  if (c == "LockBitRead") return comm_.Sic279LockBitRead(out, addr);
  if (c == "ProtectedDirectAccess")
    return comm_.Sic279ProtectedDirectAccess(out, addr, FieldByte(form, "EdBlockNum"));
  if (c == "ProtectedWrite") return comm_.Sic279ProtectedWrite(out, addr, 0x00, d4);
  if (c == "SIC_IDWRITE") return comm_.Sic279IdWrite(out, 0x00, d, 0x00);
  if (c == "ReadWord") return comm_.Em4305ReadWord(out, addr);
  if (c == "WriteWord") return comm_.Em4305WriteWord(out, addr, d4);
  return false;  // no command selected
}

bool CommandTest::CloseAsked(PromptForm& form) {
  Prompts& prompts = app_.Prompt();
  const PromptAction* a = form.FindAction(prompts.TakePress(form));
  if (!a || a->kind != ActionKind::Cancel) return false;
  return prompts.Confirm(Tr("TCoomandDlg1", "連続実行中です。実行を中止して閉じますか？"),
                         form.caption, ConfirmButtons::YesNo);
}

bool CommandTest::OKBtnClick(PromptForm& form, CommandTestState& state, LogPane& log) {
  Prompts& prompts = app_.Prompt();
  state.continuous = form.Field("CBfLoop").checked;
  state.executions = 0;
  ClearCounters(form);
  form.Action("OKBtn").enabled = false;
  prompts.Refresh(form);

  std::unique_ptr<ProgressDialog> progress;
  if (state.continuous) {
    progress = prompts.CreateProgress();
    progress->SetCaption(LoadMessage(Msg::CommandContinuousExecutionMsg));
    progress->SetLabel(LoadMessage(Msg::CommandExecutionMsg));
    progress->SetCancelVisible(true);
    progress->SetBarVisible(false);
    TTirisC1Dlg::ProcessPendingEvents();
    progress->Show();
    TTirisC1Dlg::ProcessPendingEvents();
  }
  auto addCount = [&](const char* counter) {
    NumberEditModel& m = form.Field(counter).number;
    m.SetValue(static_cast<double>(m.IntValue() + 1));
    app_.Outcome().Counter(form.dialog, counter, m.IntValue(), counter == std::string("EdNg"));
  };
  bool closing = false;
  auto stop = [&] {
    closing = closing || CloseAsked(form);
    return closing || !progress->Continue();
  };
  for (;;) {
    ++state.executions;
    TTirisC1Dlg::ProcessPendingEvents();
    // Fields are read afresh each round: the user may change them between commands.
    if (state.continuous &&
        (stop() || (form.Field("CBErrorStop").checked && FieldInt(form, "EdNg") >= 1) ||
         (form.Field("CBCheckMaxNum").checked && FieldInt(form, "EdMaxNum") < state.executions))) {
      progress->Close();
      break;
    }
    const bool ok = SendSelected(form);
    const std::string result =
        (ok ? std::string("OK") : LoadMessage(Msg::NGMsg)) + ": " + LoadMessage(Msg::commandMsg);
    AppendLogLine(log, result, kTestLogLineLimit);
    app_.Outcome().Result(ok, result, form.dialog);
    addCount(ok ? "EdOK" : "EdNg");
    if (state.continuous) (ok ? state.okFlash : state.ngFlash) = kFlashTicks;
    prompts.Refresh(form);
    if (!state.continuous) break;
    if (const int64_t wait = FieldInt(form, "EdWaitTime1"); wait > 0)
      PauseUnless(app_, stop, static_cast<uint32_t>(wait));
  }
  form.Action("OKBtn").enabled = true;
  prompts.Refresh(form);
  return closing;
}

void CommandTest::MnCmdTestClick() {
  CommandTestMemory& memory = app_.Memory<CommandTestMemory>();
  PromptForm form = MakeCoomandDlg1();
  form.Field("EdAddr").number.SetValue(memory.address);
  form.Field("EdBlockNum").number.SetValue(memory.blockNumber);
  for (int i = 0; i < 8; ++i)
    form.Field(DataName(i)).number.SetValue(memory.data[static_cast<size_t>(i)]);
  CBCommandChange(form);  // as when the dialog is shown

  FormMemoLogPane memo(form, "Memo1");
  RecordingLogPane log(memo, app_.Outcome(), form.dialog, "Memo1");
  CommLogRedirect redirect(comm_, log, app_.Log());
  CommandTestState state;
  Prompts& prompts = app_.Prompt();
  QTimer timer1;
  timer1.setInterval(kTimer1IntervalMs);
  QObject::connect(&timer1, &QTimer::timeout, [&] {
    if (Timer1Timer(state, form)) prompts.Refresh(form);
  });
  timer1.start();
  while (prompts.Interact(form) == "OKBtn") {
    if (OKBtnClick(form, state, log)) {  // Close during the run: the dialog goes too
      prompts.Close(form);
      break;
    }
  }
  timer1.stop();

  memory.address = static_cast<int>(FieldInt(form, "EdAddr"));
  memory.blockNumber = static_cast<int>(FieldInt(form, "EdBlockNum"));
  for (int i = 0; i < 8; ++i) memory.data[static_cast<size_t>(i)] = FieldByte(form, DataName(i));
}

void CommandTest::MnChkCmdClick() {
  CommandTestMemory& memory = app_.Memory<CommandTestMemory>();
  PromptForm form = MakeCmdOutpDlg(memory.sentString);
  form.Field("CBSumAutoTx").visible = true;
  if (!app_.Prompt().Show(form)) return;
  const std::string text = form.Field("Edit1").text;
  size_t chars = 0;  // UTF-8 characters, not bytes
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  if (chars > kCmdOutpMaxChars) {
    app_.LogInputError("Invalid String");
    return;
  }
  memory.sentString = text;
  const std::vector<uint8_t> bytes = CmdOutpBytes(text, form.Field("CBSumAutoTx").checked);
  app_.AddLog("Command: ");
  app_.AddLog(hex::Bytes(bytes));
  comm_.SendPassThrough(bytes.data(), bytes.size());
}

void RegisterCommandTest(HandlerRegistry& r) {
  r.Add("MnCmdTest", [](AppCore& a, const std::string&) { CommandTest(a).MnCmdTestClick(); });
  r.Add("MnChkCmd", [](AppCore& a, const std::string&) { CommandTest(a).MnChkCmdClick(); });
}
