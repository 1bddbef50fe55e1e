#include "shell/shell_handlers.h"

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/file_error_text.h"
#include "core/language.h"
#include "core/messages.h"
#include "core/text_args.h"
#include "core/ui_text.h"
#include "link/comm_module.h"
#include "link/port_selection.h"
#include "prompts/prompts.h"

namespace {

int RadioIndex(int value, int items) {
  return value >= 0 && value < items ? value : -1;
}

}  // namespace

PromptForm SetConfig2Form(const OptionSettings& settings) {
  PromptForm f;
  f.dialog = "TSetConfig2Dlg";
  f.caption = Tr("TSetConfig2Dlg", "デバッグメニュー");
  f.AddPage("TabSheet1", Tr("TSetConfig2Dlg", "デバッグ"));
  f.AddRadio("RGFReadID", Tr("TSetConfig2Dlg", "動物IDの表示"),
             {Tr("TSetConfig2Dlg", "IDのみ"), Tr("TSetConfig2Dlg", "ID+個別情報"),
              Tr("TSetConfig2Dlg", "デバッグ表示")},
             RadioIndex(settings.fReadAnimalID, 3))
      .page = "TabSheet1";
  f.AddRadio("RGFWriteID", Tr("TSetConfig2Dlg", "動物IDの書込み"),
             {Tr("TSetConfig2Dlg", "IDのみ"), Tr("TSetConfig2Dlg", "ID+詳細情報")},
             RadioIndex(settings.fWriteAnimalID, 2))
      .page = "TabSheet1";
  f.AddOkCancel("OK", Tr("TSetConfig2Dlg", "キャンセル"));
  return f;
}

void ApplySetConfig2Form(const PromptForm& form, OptionSettings& settings) {
  // A group left without a choice (a value out of range in the file) keeps the stored value.
  if (form.Field("RGFReadID").index >= 0) settings.fReadAnimalID = form.Field("RGFReadID").index;
  if (form.Field("RGFWriteID").index >= 0) settings.fWriteAnimalID = form.Field("RGFWriteID").index;
}

ShellHandlers::ShellHandlers(AppCore& app, MenuModel& menus, ShellView& view, std::string exePath)
    : app_(app), menus_(menus), view_(view), exePath_(std::move(exePath)) {}

void ShellHandlers::Register(HandlerRegistry& r) {
  r.Add("TB_TEST2", [this](AppCore&, const std::string& s) { TB_TEST1Click(s); });
  r.Add("TB_TEST3", [this](AppCore&, const std::string& s) { TB_TEST1Click(s); });
  for (const char* item :
       {"MnSetTestMode3", "MnSetTestMode1", "MnSetTestModeFDX", "MnSetTestModeAnimalID"})
    r.Add(item, [this](AppCore&, const std::string& s) { MnSetReadModeClick(s); });
  r.Add("MnGridClear", [this](AppCore&, const std::string&) { MnGridClearClick(); });
  r.Add("MnLastCommand", [](AppCore&, const std::string&) {});
  r.Add("MnSetCOM", [this](AppCore&, const std::string&) { MnSetCOMClick(); });
  r.Add("MnSetComPara", [this](AppCore&, const std::string&) { MnSetComParaClick(); });
  r.Add("FileExitItem", [this](AppCore&, const std::string&) { RequestClose(); });
  r.Add("HelpAboutItem", [this](AppCore&, const std::string&) { view_.ShowAbout(); });
  r.Add("MnSetLanguage_JPN", [this](AppCore&, const std::string&) { MnSetLanguage_JPNClick(); });
  r.Add("MnSetLanguage_ENU", [this](AppCore&, const std::string&) { MnSetLanguage_ENUClick(); });
}

TTirisC1Dlg& ShellHandlers::CreateCommModule() {
  TTirisC1Dlg& comm = app_.CreateComm();
  comm.Tally().SetGrid(&view_.Grid());
  comm.Tally().ClearTally();
  view_.ConnectionChanged();
  return comm;
}

std::string ConnectionText(const ConnectionFacts& c) {
  const std::string dot = " \u00B7 ";
  if (c.port.empty() || (!c.open && !c.lost)) return Tr("TTirisAppForm", "未接続");
  if (c.lost) return c.port + dot + Tr("TTirisAppForm", "切断されました");
  std::string text = c.port + dot + std::to_string(c.baud) + " bps" + dot;
  text += c.model.empty() ? Tr("TTirisAppForm", "モジュール未確認") : c.model + " " + c.rom;
  return text + dot +
         (c.readLoop ? Tr("TTirisAppForm", "読取ループモード")
                     : Tr("TTirisAppForm", "コマンドモード"));
}

ConnectionFacts ShellHandlers::Connection() const {
  ConnectionFacts c;
  const TTirisC1Dlg* comm = app_.Comm();
  if (!comm) return c;
  c.port = comm->PortName();
  c.open = comm->Connected();
  c.lost = comm->PortLost();
  c.baud = static_cast<int>(BaudRateValue(comm->Line().baud));
  c.model = app_.ModelName;
  c.rom = app_.RomVersion;
  c.readLoop = menus_.Checked("TB_TEST2");
  return c;
}

void ShellHandlers::PortLost(const std::string& port) {
  const std::string text = WithArgs(Tr("TTirisAppForm",
                                       "%1 との接続が切れました（デバイスが切断されました）。「COM "
                                       "Port...」でポートを開き直してください"),
                                    {port});
  app_.AddLog(text);
  // Read-loop mode ends with the port; the tally keeps what it counted.
  if (menus_.Checked("TB_TEST2")) SetModeButtons(menus_, false, false);
  view_.ConnectionChanged();
  view_.ShowPortLost(text);
}

void ShellHandlers::Identified(bool ok) {
  TTirisC1Dlg* comm = app_.Comm();
  if (ok && comm) {
    comm->NoteWorkingPort();
    SetModeButtons(menus_, false, false);
    SetCommandMenusEnabled(menus_, true);
  }
  view_.ConnectionChanged();
}

void ShellHandlers::FormCreate() {
  view_.ShowLogPage();
  ShowAllowed = true;
  FirstOpen = true;
  language::DeleteRestartBatch();
  const files::Error settingsError = app_.LoadSettings();
  if (settingsError)
    app_.AddLog(Tr("TTirisAppForm", "設定ファイルを読み込めません: ") + app_.SettingsPath() + " (" +
                FileErrorText(settingsError) + ") " +
                Tr("TTirisAppForm", "既定値で動作し、このファイルには書き込みません。"));
  view_.SetTimer1Interval(app_.Settings.IntervTime);
  CreateCommModule();
  TallyGrid& grid = view_.Grid();
  grid.SetCell(0, 0, LoadMessage(Msg::NoMsg));
  grid.SetCell(1, 0, LoadMessage(Msg::NumbersMsg));
  grid.SetCell(2, 0, LoadMessage(Msg::TagTypeMsg));
  grid.SetCell(3, 0, LoadMessage(Msg::IDDataMsg));
  app_.SetAnimalIdDisplay(false);
  ApplyCreationRules(menus_, app_.Settings.fHDXP);
  view_.SetTitle(LoadMessage(Msg::QZH900ToolMsg));
  app_.OnReaderLevel = [this](int level) { ApplyReaderLevel(menus_, level); };
  app_.OnPortLost = [this](const std::string& port) { PortLost(port); };
}

void ShellHandlers::FormShow() {
  if (!ShowAllowed) {
    RequestClose();
    return;
  }
  const language::EntryDecision d =
      language::LanguageCheckAtShow(exePath_, app_.Settings.LanguageFlag, RestartCounter);
  if (d.restart) {
    RestartCounter = d.restartCounter;
    RequestClose();
    return;
  }
  TTirisC1Dlg* comm = app_.Comm();
  if (!comm) return;
  // The identification and the open-port dialog run outside the handler registry; while they
  // wait for the module, no menu handler may start and the window may not close under them.
  const AppCore::BusyScope busy(app_);
  PortSelection ports(*comm, app_.Prompt());
  const bool opened = ports.ShowOpenPortDialog(FirstOpen, [this] { RequestClose(); });
  if (closing_) return;
  const bool ok = opened && app_.IdentifyReader();
  Identified(ok);
  LogOpenResult(ok);
  // The module stays (its port closed) so that "Command Mode" still finds it.
  if (!ok) comm->CloseModule();
  view_.ConnectionChanged();
}

void ShellHandlers::FormClose() {
  if (closed_) return;
  closed_ = true;
  closing_ = true;
  try {
    app_.SaveSettings();
    app_.CloseComm();
  } catch (...) {
    // The window closes all the same.
  }
}

void ShellHandlers::RequestClose() {
  closing_ = true;
  view_.CloseWindow();
}

void ShellHandlers::LogOpenResult(bool ok) {
  const TTirisC1Dlg* comm = app_.Comm();
  app_.LogOkNg(ok, LoadMessage(Msg::OpenMsg) + (comm ? comm->PortName() : std::string()));
}

void ShellHandlers::TB_TEST1Click(const std::string& sender) {
  TTirisC1Dlg* comm = app_.Comm();
  Response out{};
  if (sender == "TB_TEST2") {
    SetModeButtons(menus_, true, false);
    SetCommandMenusEnabled(menus_, false);
    if (!comm) return;
    comm->SendActionModeSet(4, 0);
    if (!comm->AwaitResponse(out)) return;
    const bool animal = menus_.Checked("CBAnimalID");
    app_.SetAnimalIdDisplay(animal);
    comm->SendActionModeSet(animal ? 6 : 2, 0);
    app_.LogOkNg(comm->AwaitResponse(out), LoadMessage(Msg::ReadLoopModeMsg));
  } else {
    SetModeButtons(menus_, false, true);
    SetCommandMenusEnabled(menus_, true);
    if (!comm) return;
    comm->SendActionModeSet(4, 0);
    app_.LogOkNg(comm->AwaitResponse(out), LoadMessage(Msg::CommandModeMsg));
  }
}

void ShellHandlers::MnSetReadModeClick(const std::string& sender) {
  TTirisC1Dlg* comm = app_.Comm();
  if (!comm) return;
  uint8_t mode = 5, value = 1;  // "Read Loop Mode" and the FDX test read mode
  if (sender == "MnSetTestMode3") mode = 4, value = 0;
  if (sender == "MnSetTestModeAnimalID") mode = 6, value = 1;
  Response out{};
  comm->SendActionModeSet(mode, value);
  app_.LogOkNg(comm->AwaitResponse(out), LoadMessage(Msg::SetActionModeCommandMsg));
}

void ShellHandlers::MnGridClearClick() {
  app_.Log().Clear();
  if (TTirisC1Dlg* comm = app_.Comm()) comm->Tally().ClearTally();
}

void ShellHandlers::MnSetCOMClick() {
  // The dialog first, over the module as it is: Cancel leaves the connection alone. The ports
  // are listed afresh, so that a device plugged in since shows.
  TTirisC1Dlg* current = app_.Comm();
  if (!current) current = &CreateCommModule();
  current->RefreshPorts();
  const std::optional<PortChoice> choice =
      PortSelection(*current, app_.Prompt()).AskForPort(FirstOpen, [this] { RequestClose(); });
  if (closing_ || !choice) return;
  app_.CloseComm();
  TTirisC1Dlg& comm = CreateCommModule();
  const bool opened = PortSelection(comm, app_.Prompt()).OpenChoice(*choice);
  const bool ok = opened && app_.IdentifyReader();
  Identified(ok);
  LogOpenResult(ok);
}

void ShellHandlers::MnSetComParaClick() {
  if (TTirisC1Dlg* comm = app_.Comm()) PortSelection(*comm, app_.Prompt()).ShowPortSettingsDialog();
}

void ShellHandlers::CBAnimalIDClick(bool ticked) {
  menus_.SetChecked("CBAnimalID", ticked);
  app_.SetAnimalIdDisplay(ticked);
  ApplyAnimalIdBox(menus_, ticked, app_.Settings.fHDXP);
  view_.SetTitle(LoadMessage(ticked ? Msg::QZH900AnimalIDToolMsg : Msg::QZH900ToolMsg));
}

void ShellHandlers::Language1Click() {
  menus_.SetChecked("MnSetLanguage_JPN", app_.Settings.LanguageFlag == 1);
  menus_.SetChecked("MnSetLanguage_ENU", app_.Settings.LanguageFlag != 1);
}

void ShellHandlers::SetLanguageFlag(int flag) {
  if (app_.Settings.LanguageFlag == flag) return;
  app_.Settings.LanguageFlag = flag;
  app_.SaveSettings();
}

void ShellHandlers::SelectJapanese() {
  SetLanguageFlag(1);
  language::EnsureLocaleOverride(exePath_, language::kJapaneseOverride);
  menus_.SetChecked("MnSetLanguage_JPN", true);
  menus_.SetChecked("MnSetLanguage_ENU", false);
}

void ShellHandlers::SelectEnglish() {
  SetLanguageFlag(0);
  language::EnsureLocaleOverride(exePath_, language::kEnglishOverride);
}

void ShellHandlers::MnSetLanguage_JPNClick() {
  SelectJapanese();
  // Shut down before the new process starts, so it reads the saved settings.
  FormClose();
  RequestClose();
  RestartCounter = 0;
  language::RestartProgram(exePath_, language::kRebootArgument, RestartCounter);
}

void ShellHandlers::MnSetLanguage_ENUClick() {
  SelectEnglish();
  RestartCounter = 0;
  ShowAllowed = false;
  FormClose();
  RequestClose();
  language::RestartProgram(exePath_, language::kRebootArgument, RestartCounter);
}

void ShellHandlers::ShowDebugMenu() {
  PromptForm form = SetConfig2Form(app_.Settings);
  if (app_.Prompt().Show(form)) ApplySetConfig2Form(form, app_.Settings);
}
