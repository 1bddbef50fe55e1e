#include "maintenance/command_test_dlg.h"

#include "core/messages.h"
#include "core/ui_text.h"

namespace {

// The rows of the form (fields of one row stand side by side).
enum Row {
  kRowCommand,
  kRowAddress,
  kRowBlockNumber,
  kRowData,
  kRowLoop,
  kRowStop,
  kRowCounters,
  kRowStatus,
};

std::string DataName(int i) {
  return "EdData" + std::to_string(i);
}

void SetVisible(PromptForm& form, std::initializer_list<const char*> names, bool visible) {
  for (const char* n : names) form.Field(n).visible = visible;
}

void ShowAddress(PromptForm& form) {
  SetVisible(form, {"Label6", "EdAddr", "AddrStr"}, true);
}

// The address field's caption, range text, range and value.
void SetAddress(PromptForm& form, Msg caption, const char* rangeText, int min, int max, int value) {
  form.Field("Label6").text = LoadMessage(caption);
  form.Field("AddrStr").text = rangeText;
  NumberEditModel& m = form.Field("EdAddr").number;
  m.SetMin(min);
  m.SetMax(max);
  m.SetValue(value);
}

void SetBlockAddress(PromptForm& form) {
  SetAddress(form, Msg::BlockMsg, "(0-15)", 0, 15, 0);
}

// The first `count` data bytes (EdData0 upward) with the "Data(HEX)" title and the MSB and LSB
// marks as asked; "MSB" stands over the leftmost field shown, "LSB" over EdData0.
void ShowData(PromptForm& form, int count, bool msb, bool lsb) {
  form.Field("Label4").visible = true;
  PromptField& msbMark = form.Field("Label5");
  msbMark.visible = msb;
  msbMark.over = DataName(count - 1);
  form.Field("Label7").visible = lsb;
  for (int i = 0; i < count; ++i) form.Field(DataName(i)).visible = true;
}

}  // namespace

const std::vector<std::string>& TestFamilies() {
  static const std::vector<std::string> families = {"RW", "MPT", "SIC", "EM"};
  return families;
}

const std::vector<std::string>& TestCommands(int family) {
  static const std::vector<std::vector<std::string>> commands = {
      {"ChargeOnlyReadCmd", "WriteAndProgramCmd"},
      {"GeneralReadPageCmd", "ProgramPageCmd"},
      {"TraceabilityDataRead", "ChipConfigRead", "LockBitReadAll", "LockBitRead",
       "ProtectedDirectAccess", "ProtectedWrite", "SIC_IDWRITE"},
      {"ReadWord", "WriteWord"},
  };
  static const std::vector<std::string> none;
  if (family < 0 || family >= static_cast<int>(commands.size())) return none;
  return commands[static_cast<size_t>(family)];
}

PromptForm MakeCoomandDlg1() {
  PromptForm form;
  form.dialog = "TCoomandDlg1";
  form.caption = Tr("TCoomandDlg1", "コマンドテスト");
  form.AddRadio("RadioGroup1", "", TestFamilies(), 0, 4);

  auto row = [](PromptField& f, Row r) -> PromptField& {
    f.row = r;
    return f;
  };
  row(form.AddLabel("Label1", Tr("TCoomandDlg1", "コマンド")), kRowCommand);
  row(form.AddChoice("CBCommand", "", {}, -1), kRowCommand);

  row(form.AddLabel("Label6", Tr("TCoomandDlg1", "ブロック/ページ")), kRowAddress);
  row(form.AddNumber("EdAddr", "", DecimalSpec(0, 255, true), 0), kRowAddress);
  row(form.AddLabel("AddrStr", "(0-15)/(1-17)"), kRowAddress);

  row(form.AddLabel("Label8", LoadMessage(Msg::BlockNumberMsg)), kRowBlockNumber);
  row(form.AddNumber("EdBlockNum", "", DecimalSpec(0, 3, true), 0), kRowBlockNumber);
  row(form.AddLabel("Label9", "(0-3)"), kRowBlockNumber);

  row(form.AddLabel("Label4", Tr("TCoomandDlg1", "データ(HEX)")), kRowData);
  for (int i = 7; i >= 0; --i)  // EdData7 leftmost, EdData0 rightmost
    row(form.AddNumber(DataName(i), "", HexSpec(0, 0xFF, true, 2), 0), kRowData);
  form.AddLabel("Label5", "MSB").over = DataName(7);
  form.AddLabel("Label7", "LSB").over = DataName(0);

  row(form.AddCheck("CBfLoop", Tr("TCoomandDlg1", "連続実行"), false), kRowLoop);
  row(form.AddLabel("Label3", Tr("TCoomandDlg1", "ループ間隔")), kRowLoop);
  row(form.AddNumber("EdWaitTime1", "", DecimalSpec(0, 65535, true), 0), kRowLoop);
  row(form.AddLabel("Label2", "ms"), kRowLoop);

  NumberSpec counter = DecimalSpec(0, 0, true);
  counter.LoMax = false;  // minimum 0, no maximum
  row(form.AddCheck("CBErrorStop", Tr("TCoomandDlg1", "エラーで終了"), false), kRowStop);
  row(form.AddCheck("CBCheckMaxNum", Tr("TCoomandDlg1", "実行数の制限"), false), kRowStop);
  row(form.AddNumber("EdMaxNum", "", counter, 0), kRowStop);

  // The counters and the status panel stay in view while a run goes on.
  row(form.AddNumber("EdOK", "OK", counter, 0), kRowCounters).watched = true;
  row(form.AddNumber("EdNg", "NG", counter, 0), kRowCounters).watched = true;
  row(form.AddLabel("Label10", Tr("TCoomandDlg1", "状態")), kRowStatus).watched = true;
  PromptField& panel =
      row(form.AddPanel("Panel_OKNG", Tr("TCoomandDlg1", "読み取り状態")), kRowStatus);
  panel.color = kPanelBlack;
  panel.watched = true;

  form.AddMemo("Memo1").readOnly = true;

  // "Clear" beside the counters empties them; "Clear" in the log's pop-up menu empties the log.
  form.AddAction("BTClear", Tr("TCoomandDlg1", "クリア"), ActionKind::Local).row = kRowCounters;
  form.AddAction("MNClear1", Tr("TCoomandDlg1", "クリア"), ActionKind::Local).menuOf = "Memo1";
  form.AddAction("OKBtn", Tr("TCoomandDlg1", "スタート"), ActionKind::Return, true);
  form.AddAction("CancelBtn", Tr("TCoomandDlg1", "閉じる"), ActionKind::Cancel);

  form.onChange = [](PromptForm& f, const std::string& field) {
    if (field == "RadioGroup1") RadioGroup1Click(f);
    if (field == "CBCommand") CBCommandChange(f);
  };
  form.onAction = [](PromptForm& f, const std::string& action) {
    if (action == "BTClear") ClearCounters(f);
    if (action == "MNClear1") f.Field("Memo1").lines.clear();
  };
  RadioGroup1Click(form);
  return form;
}

void RadioGroup1Click(PromptForm& form) {
  PromptField& cb = form.Field("CBCommand");
  cb.items = TestCommands(form.Field("RadioGroup1").index);
  cb.index = cb.items.empty() ? -1 : 0;
  cb.text = cb.items.empty() ? "" : cb.items[0];
  CBCommandChange(form);
}

std::string SelectedTestCommand(const PromptForm& form) {
  const PromptField& cb = form.Field("CBCommand");
  if (cb.index < 0 || cb.index >= static_cast<int>(cb.items.size())) return "";
  return cb.items[static_cast<size_t>(cb.index)];
}

void CBCommandChange(PromptForm& form) {
  SetVisible(form,
             {"Label6", "EdAddr", "AddrStr", "Label8", "EdBlockNum", "Label9", "Label4", "Label5",
              "Label7"},
             false);
  for (int i = 0; i < 8; ++i) form.Field(DataName(i)).visible = false;

  const std::string c = SelectedTestCommand(form);
  if (c == "LockBitReadAll") {
    SetBlockAddress(form);  // on the hidden field
  } else if (c == "WriteAndProgramCmd" || c == "SIC_IDWRITE") {
    ShowData(form, 8, true, true);
  } else if (c == "GeneralReadPageCmd") {
    ShowAddress(form);
    SetAddress(form, Msg::PageMsg, "(1-17)", 1, 17, 1);
  } else if (c == "ProgramPageCmd") {
    ShowAddress(form);
    ShowData(form, 8, true, true);
  } else if (c == "LockBitRead" || c == "ReadWord") {
    ShowAddress(form);
    SetBlockAddress(form);
  } else if (c == "ProtectedDirectAccess") {
    ShowAddress(form);
    SetBlockAddress(form);
    SetVisible(form, {"Label8", "EdBlockNum", "Label9"}, true);
    form.Field("Label8").text = LoadMessage(Msg::BlockNumberMsg);
    form.Field("Label9").text = "(0-3)";
  } else if (c == "ProtectedWrite") {
    ShowAddress(form);
    SetBlockAddress(form);
    ShowData(form, 4, false, true);
  } else if (c == "WriteWord") {
    ShowAddress(form);
    SetBlockAddress(form);
    ShowData(form, 4, true, true);
  }
}

bool Timer1Timer(CommandTestState& state, PromptForm& form) {
  if (state.okFlash > 0) --state.okFlash;
  if (state.ngFlash > 0) --state.ngFlash;
  int color = kPanelBlack;
  if (state.continuous) {
    if (state.okFlash > 0 && state.ngFlash > 0)
      color = kPanelOlive;
    else if (state.ngFlash > 0)
      color = kPanelRed;
    else if (state.okFlash > 0)
      color = kPanelGreen;
  }
  PromptField& panel = form.Field("Panel_OKNG");
  const bool changed = panel.color != color;
  panel.color = color;
  return changed;
}

void ClearCounters(PromptForm& form) {
  form.Field("EdOK").number.SetValue(0);
  form.Field("EdNg").number.SetValue(0);
}
