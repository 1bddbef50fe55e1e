#include "link/port_selection.h"

#include <algorithm>

#include "core/app_paths.h"
#include "core/messages.h"
#include "core/ui_text.h"
#include "link/comm_module.h"
#include "link/net_address.h"

namespace port_speeds {

int IndexOfRate(TBaudRate rate) {
  for (size_t i = 0; i < kRates.size(); ++i)
    if (kRates[i] == rate) return static_cast<int>(i);
  return 1;
}

TBaudRate RateOfIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kRates.size())) return TBaudRate::br9600;
  return kRates[static_cast<size_t>(index)];
}

}  // namespace port_speeds

namespace {

// Every rate the port offers, in enumeration order (Custom is never offered).
constexpr std::array<TBaudRate, 15> kPortRates = {
    TBaudRate::br110,    TBaudRate::br300,    TBaudRate::br600,   TBaudRate::br1200,
    TBaudRate::br2400,   TBaudRate::br4800,   TBaudRate::br9600,  TBaudRate::br14400,
    TBaudRate::br19200,  TBaudRate::br38400,  TBaudRate::br56000, TBaudRate::br57600,
    TBaudRate::br115200, TBaudRate::br128000, TBaudRate::br256000};

// The port list with each port's device and description.
void FillPortList(PromptField& list, const std::vector<std::string>& names,
                  const std::vector<PortInfo>& known) {
  list.items = names;
  list.itemDetails.clear();
  for (const std::string& name : list.items) {
    std::string detail;
    for (const PortInfo& p : known) {
      if (p.name != name) continue;
      detail = p.device;
      const std::string about = !p.description.empty() ? p.description : p.driver;
      if (!about.empty()) detail += (detail.empty() ? "" : "  ") + about;
    }
    list.itemDetails.push_back(detail);
  }
}

// Selects `name` in the list and shows it; false when it is not listed.
bool SelectPort(PromptForm& form, const std::string& name) {
  PromptField& list = form.Field("LBComPort");
  auto it = std::find(list.items.begin(), list.items.end(), name);
  if (it == list.items.end()) return false;
  list.index = static_cast<int>(it - list.items.begin());
  form.Field("STComPort").text = *it;
  return true;
}

}  // namespace

PromptForm OpenPortForm(const TTirisC1Dlg& comm, std::function<void()> portCheck,
                        const std::vector<PortInfo>& known,
                        std::function<std::optional<std::string>()> addNetworkPort) {
  PromptForm f;
  f.dialog = "TOpenCom1Dlg";
  f.caption = LoadMessage(Msg::OpenCOMPortMsg);
  f.AddLabel("Label1", Tr("TOpenCom1Dlg", "COMポート"));
  PromptField& list = f.AddChoice("LBComPort", "", comm.PortList(), -1);
  list.choiceStyle = ChoiceStyle::List;
  FillPortList(list, comm.PortList(), known);
  f.AddLabel("STComPort", "");
  const int worked = comm.Extras().LastWorkingPort;
  if (worked > 0) SelectPort(f, PortNumberToName(worked));
  f.AddRadio("RGComSpeed", Tr("TOpenCom1Dlg", "通信スピード"),
             {port_speeds::kTexts.begin(), port_speeds::kTexts.end()},
             port_speeds::IndexOfRate(comm.Line().baud));
  const TParityBits parity = comm.Line().parity;
  PromptField& rgParity = f.AddRadio(
      "RGParity", Tr("TOpenCom1Dlg", "パリティ"),
      {Tr("TOpenCom1Dlg", "なし"), Tr("TOpenCom1Dlg", "奇数"), Tr("TOpenCom1Dlg", "偶数")},
      parity == TParityBits::prNone  ? 0
      : parity == TParityBits::prOdd ? 1
                                     : 2);
  rgParity.visible = false;
  f.AddCheck("CBAutoCheck", Tr("TOpenCom1Dlg", "自動チェック"), false);
  f.AddAction("Button1", Tr("TOpenCom1Dlg", "ポートの確認..."), ActionKind::Local);
  if (addNetworkPort)
    f.AddAction("BtAddNetPort", Tr("TOpenCom1Dlg", "ネットワークポートの追加..."),
                ActionKind::Local);
  f.AddAction("OKBtn", Tr("TOpenCom1Dlg", "開く"), ActionKind::Accept, true);
  f.AddAction("CancelBtn", Tr("TOpenCom1Dlg", "キャンセル"), ActionKind::Cancel);
  // "Open" needs a port or the scan: Enter on a dialog where nothing is chosen opens nothing.
  auto openable = [](PromptForm& form) {
    const PromptField& lb = form.Field("LBComPort");
    form.Action("OKBtn").enabled = form.Field("CBAutoCheck").checked ||
                                   (lb.index >= 0 && lb.index < static_cast<int>(lb.items.size()));
  };
  openable(f);
  f.onChange = [openable](PromptForm& form, const std::string& field) {
    openable(form);
    if (field != "LBComPort") return;
    const PromptField& lb = form.Field("LBComPort");
    if (lb.index >= 0 && lb.index < static_cast<int>(lb.items.size()))
      form.Field("STComPort").text = lb.items[static_cast<size_t>(lb.index)];
  };
  f.onAction = [portCheck = std::move(portCheck), add = std::move(addNetworkPort), &comm, openable](
                   PromptForm& form, const std::string& action) {
    if (action == "Button1" && portCheck) portCheck();
    if (action != "BtAddNetPort" || !add) return;
    const std::optional<std::string> added = add();
    if (!added) return;
    FillPortList(form.Field("LBComPort"), comm.PortList(), comm.PortInfos());
    SelectPort(form, *added);
    openable(form);
  };
  return f;
}

PromptForm PortCheckForm(const std::vector<PortInfo>& ports,
                         const std::function<bool(const std::string& device)>& inUse) {
  PromptForm f;
  f.dialog = "TPortCheckDlg";
  f.caption = Tr("TPortCheckDlg", "ポートの確認");
  PromptField& grid = f.AddTable("PortGrid", static_cast<int>(ports.size()) + 1, 5);
  grid.readOnly = true;
  grid.cells[0] = {Tr("TPortCheckDlg", "COMポート"), Tr("TPortCheckDlg", "デバイス"),
                   Tr("TPortCheckDlg", "ドライバ"), Tr("TPortCheckDlg", "USB ベンダー:製品"),
                   Tr("TPortCheckDlg", "使用中")};
  const std::string yes = Tr("TPortCheckDlg", "はい");
  const std::string no = Tr("TPortCheckDlg", "いいえ");
  for (size_t i = 0; i < ports.size(); ++i) {
    const PortInfo& p = ports[i];
    std::string usb;
    if (!p.usbVendor.empty()) usb = p.usbVendor + ":" + p.usbProduct;
    if (!p.description.empty()) usb += (usb.empty() ? "" : " ") + p.description;
    grid.cells[i + 1] = {p.name, p.device, p.driver, usb, inUse && inUse(p.device) ? yes : no};
  }
  if (ports.empty()) f.AddLabel("STNoPorts", Tr("TPortCheckDlg", "シリアルポートが見つかりません"));
  f.AddAction("OKBtn", Tr("TPortCheckDlg", "閉じる"), ActionKind::Accept, true);
  return f;
}

PromptForm AddNetworkPortForm() {
  PromptForm f;
  f.dialog = "TAddNetPortDlg";
  f.caption = Tr("TAddNetPortDlg", "ネットワークポートの追加");
  f.AddLabel("Label1", Tr("TAddNetPortDlg",
                          "ser2net やターミナルサーバーのポート: rfc2217://ホスト:ポート "
                          "(速度を設定できる)、socket://ホスト:ポート (生の TCP)"));
  f.AddText("EdUrl", "URL", "rfc2217://");
  f.AddOkCancel("OK", Tr("TAddNetPortDlg", "キャンセル"));
  return f;
}

PromptForm PortSettingsForm(const std::string& portName, const LineSettings& line) {
  PromptForm f;
  f.dialog = "TComParamDlg";
  f.caption = Tr("TComParamDlg", "通信パラメータ") + " - " + portName;
  std::vector<std::string> rates;
  int rateIndex = -1;
  for (size_t i = 0; i < kPortRates.size(); ++i) {
    rates.push_back(BaudRateToStr(kPortRates[i]));
    if (kPortRates[i] == line.baud) rateIndex = static_cast<int>(i);
  }
  PromptField& rate = f.AddChoice("CBBaudRate", Tr("TComParamDlg", "ビット/秒"), rates, rateIndex);
  // Editable: a typed rate the port does not list selects 19200 on OK.
  rate.choiceStyle = ChoiceStyle::DropDown;
  if (rateIndex >= 0) rate.text = rates[static_cast<size_t>(rateIndex)];
  f.AddChoice("CBDataBits", Tr("TComParamDlg", "データ ビット"), {"5", "6", "7", "8"},
              static_cast<int>(line.dataBits));
  f.AddChoice("CBParity", Tr("TComParamDlg", "パリティ"),
              {Tr("TComParamDlg", "なし"), Tr("TComParamDlg", "奇数"), Tr("TComParamDlg", "偶数"),
               Tr("TComParamDlg", "マーク"), Tr("TComParamDlg", "スペース")},
              static_cast<int>(line.parity));
  f.AddChoice("CBStopBits", Tr("TComParamDlg", "ストップ ビット"), {"1", "1.5", "2"},
              static_cast<int>(line.stopBits));
  const TFlowControl flow = line.flow;
  f.AddCheck("CBCtsFlow", Tr("TComParamDlg", "CTS 出力フロー制御 (RTS ハンドシェイク)"),
             flow == TFlowControl::fcHardware);
  f.AddCheck("CBXonXoff", Tr("TComParamDlg", "XON/XOFF 入出力"), flow == TFlowControl::fcSoftware);
  f.AddOkCancel("OK", Tr("TComParamDlg", "キャンセル"));
  f.onChange = [](PromptForm& form, const std::string& field) {
    if (field != "CBBaudRate") return;
    PromptField& r = form.Field("CBBaudRate");
    if (r.index >= 0 && r.index < static_cast<int>(r.items.size()))
      r.text = r.items[static_cast<size_t>(r.index)];
  };
  return f;
}

LineSettings ApplyPortSettingsForm(const PromptForm& form, LineSettings line) {
  const PromptField& rate = form.Field("CBBaudRate");
  std::string rateText = rate.text;
  if (rate.index >= 0 && rate.index < static_cast<int>(rate.items.size()))
    rateText = rate.items[static_cast<size_t>(rate.index)];
  TBaudRate chosen = TBaudRate::br19200;  // a rate the port does not list
  for (TBaudRate r : kPortRates)
    if (BaudRateToStr(r) == rateText) chosen = r;
  line.baud = chosen;
  const int bits = form.Field("CBDataBits").index;
  line.dataBits = bits >= 0 && bits <= 3 ? static_cast<TDataBits>(bits) : TDataBits::dbEight;
  const int stop = form.Field("CBStopBits").index;
  line.stopBits = stop >= 0 && stop <= 2 ? static_cast<TStopBits>(stop) : TStopBits::sbOneStopBit;
  const int parity = form.Field("CBParity").index;
  line.parity = parity >= 0 && parity <= 4 ? static_cast<TParityBits>(parity) : TParityBits::prNone;
  // The first preset whose output option is on, else none.
  line.flow = form.Field("CBCtsFlow").checked   ? TFlowControl::fcHardware
              : form.Field("CBXonXoff").checked ? TFlowControl::fcSoftware
                                                : TFlowControl::fcNone;
  return line;
}

bool PortSelection::OpenPort(int n) {
  const std::string name = PortNumberToName(n);
  try {
    comm_.OpenNamedPort(name);
  } catch (const ComPortError& e) {
    prompts_.Message(name + " Can not open!!\n\n" +
                         "  Please check the port and parameter settings again.\n" + e.what(),
                     LoadMessage(Msg::QZH900ToolMsg));
  }
  return comm_.Connected();
}

bool PortSelection::ShowOpenPortDialog(bool& firstOpen,
                                       const std::function<void()>& closeMainWindow) {
  const std::optional<PortChoice> choice = AskForPort(firstOpen, closeMainWindow);
  return choice && OpenChoice(*choice);
}

std::optional<PortChoice> PortSelection::AskForPort(bool& firstOpen,
                                                    const std::function<void()>& closeMainWindow) {
  PromptForm form = OpenPortForm(
      comm_, [this] { ShowPortCheck(); }, comm_.PortInfos(), [this] { return AddNetworkPort(); });
  const bool ok = prompts_.Show(form);
  const bool first = firstOpen;
  firstOpen = false;
  if (!ok) {
    if (first && closeMainWindow) closeMainWindow();
    return std::nullopt;
  }
  PortChoice c;
  c.autoCheck = form.Field("CBAutoCheck").checked;
  c.parityIndex = form.Field("RGParity").index;
  c.speedIndex = form.Field("RGComSpeed").index;
  const PromptField& list = form.Field("LBComPort");
  if (list.index >= 0 && list.index < static_cast<int>(list.items.size()))
    c.port = list.items[static_cast<size_t>(list.index)];
  return c;
}

bool PortSelection::OpenChoice(const PortChoice& c) {
  if (c.autoCheck) return ScanPorts(comm_.PortList(), c.parityIndex);
  // No port chosen (an empty list, or nothing selected): nothing is guessed, nothing opens.
  if (c.port.empty()) return false;
  LineSettings line = comm_.Line();
  line.baud = port_speeds::RateOfIndex(c.speedIndex);
  line.parity = c.parityIndex == 0   ? TParityBits::prNone
                : c.parityIndex == 1 ? TParityBits::prOdd
                                     : TParityBits::prEven;
  comm_.SetLine(line);
  return OpenPort(PortNameToNumber(c.port));
}

namespace {
// Whether the open link sets its own speed (a raw TCP port's speed is set at the server).
bool CarriesLine(const TTirisC1Dlg& comm) {
  const ByteLink* link = comm.CurrentLink();
  return !link || link->CarriesLineSettings();
}
}  // namespace

bool PortSelection::ScanPorts(const std::vector<std::string>& portNames, int parityIndex) {
  std::unique_ptr<ProgressDialog> progress = prompts_.CreateProgress();
  progress->SetCancelVisible(false);
  progress->SetBarVisible(false);
  progress->SetCaption(LoadMessage(Msg::PleaseWaitMsg));
  progress->SetLabel(LoadMessage(Msg::CheckTirisRWMsg));
  TTirisC1Dlg::ProcessPendingEvents();
  progress->Show();
  TTirisC1Dlg::ProcessPendingEvents();

  const TParityBits parity = parityIndex == 0   ? TParityBits::prNone
                             : parityIndex == 1 ? TParityBits::prOdd
                                                : TParityBits::prEven;
  bool found = false;
  int foundPort = 0;
  // The speeds are asked of the ports scanned, not of the one open now (a raw TCP port would
  // refuse them as a line fault).
  comm_.ClosePort();
  for (const std::string& name : portNames) {
    TTirisC1Dlg::ProcessPendingEvents();
    const int n = PortNameToNumber(name);
    comm_.CommLog(LoadMessage(Msg::CheckPORTMsg) + std::to_string(n));
    for (size_t i = 0; i < port_speeds::kRates.size() && !found; ++i) {
      LineSettings line = comm_.Line();
      line.baud = port_speeds::kRates[i];
      progress->SetLabel(LoadMessage(Msg::CheckPORTMsg) + std::to_string(n) + " " +
                         port_speeds::kTexts[i]);
      line.parity = parity;
      comm_.SetLine(line);
      if (!OpenPort(n)) continue;
      TTirisC1Dlg::PumpFor(50);
      found = comm_.ProbeReader();
      // A raw TCP port answers (or not) at the server's speed whatever is asked: one probe.
      if (!CarriesLine(comm_)) break;
    }
    if (found) {
      foundPort = n;
      break;
    }
  }
  if (found) {
    comm_.CommLog(LoadMessage(Msg::FindTirisRWMsg));
    comm_.CommLog(LoadMessage(Msg::PORTMsg) + std::to_string(foundPort));
    comm_.CommLog(LoadMessage(Msg::SpeedMsg) +
                  (CarriesLine(comm_) ? std::to_string(BaudRateValue(comm_.Line().baud))
                                      : Tr("TOpenCom1Dlg", "サーバーで設定された速度")));
  } else {
    comm_.CommLog(LoadMessage(Msg::NotFindTirisRWMsg));
  }
  progress->Close();
  return found;
}

void PortSelection::ShowPortSettingsDialog() {
  comm_.ClosePort();
  if (comm_.Line().baud == TBaudRate::brCustom) comm_.SetBaudRate(TBaudRate::br9600);
  PromptForm form = PortSettingsForm(comm_.PortName(), comm_.Line());
  if (prompts_.Show(form)) {
    comm_.SetLine(ApplyPortSettingsForm(form, comm_.Line()));
    comm_.CommLog("OK : " + LoadMessage(Msg::ConfigurationMsg));
    comm_.SaveLinkSettings();
  }
  OpenPort(PortNameToNumber(comm_.PortName()));
}

std::optional<std::string> PortSelection::AddNetworkPort() {
  PromptForm form = AddNetworkPortForm();
  if (!prompts_.Show(form)) return std::nullopt;
  std::string error;
  const std::optional<NetAddress> address = ParseNetAddress(form.Field("EdUrl").text, &error);
  if (!address) {
    prompts_.Message(error, LoadMessage(Msg::QZH900ToolMsg));
    return std::nullopt;
  }
  const int n = port_registry::RegisterNew(NetAddressUrl(*address));
  if (n == 0) {
    prompts_.Message(
        Tr("TAddNetPortDlg", "ポートを登録できませんでした: ") + app_paths::PortRegistryPath(),
        LoadMessage(Msg::QZH900ToolMsg));
    return std::nullopt;
  }
  comm_.RefreshPorts();
  return PortNumberToName(n);
}

void PortSelection::ShowPortCheck() {
  PromptForm form = PortCheckForm(port_registry::List(), port_registry::InUse);
  prompts_.Show(form);
}
