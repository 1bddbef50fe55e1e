// The main window's behaviour without widgets: menu rules, start-up against the simulator, the
// open-port dialog and the scan, the line settings, read-loop mode and the window's own items.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/ini_file.h"
#include "link/comm_module.h"
#include "link/port_selection.h"
#include "shell/menu_tree.h"
#include "shell/shell_handlers.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "tests/shell/gui_rig.h"
#include "tests/support/handler_rig.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

using namespace gui_test;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<sim::Simulator> StartSimulator(int com, const std::string& rom = "1100LFS00",
                                               int baud = 57600,
                                               std::vector<sim::TagPtr> tags = {}) {
  sim::SimulatorOptions o;
  o.wireTime = false;
  o.comNumber = com;
  o.module.romVersion = rom;
  o.module.baud = baud;
  auto s = std::make_unique<sim::Simulator>(o, std::make_shared<sim::Field>(std::move(tags)));
  std::string error;
  if (!s->Start(&error)) throw std::runtime_error("simulator: " + error);
  return s;
}

// AppCore, menus and the window's logic over a fake view, in a private configuration where only
// the ports the test registers exist.
struct Shell {
  TempConfig config;
  RecordingPrompts prompts;
  MemoryLogPane log;
  FakeView view;
  MenuModel menus;
  HandlerRegistry registry;
  std::unique_ptr<AppCore> app;
  std::unique_ptr<ShellHandlers> shell;

  Shell() {
    std::filesystem::create_directories(config.Path("sys"));
    port_registry::SetScanRoots(config.Path("sys"), config.Path("sys"));
    app = std::make_unique<AppCore>(log, prompts, config.SettingsPath());
    shell = std::make_unique<ShellHandlers>(*app, menus, view, QuietExePath(config.Dir()));
    shell->Register(registry);
    for (const auto& item : menus.All())
      menus.SetHandlerPresent(item.def->name, registry.Find(item.def->name) != nullptr);
  }
  ~Shell() { shell->FormClose(); }
  TTirisC1Dlg& Comm() { return *app->Comm(); }
  void Run(const std::string& item) { ASSERT_TRUE(registry.Run(*app, item)); }
  void OpenCom9At57600() {
    prompts.Answer("TOpenCom1Dlg.LBComPort", "COM9");
    prompts.Answer("TOpenCom1Dlg.RGComSpeed", "3");
  }
  std::vector<std::string> Lines() const { return log.Lines(); }
};

}  // namespace

// --- Menu rules ---

TEST(MenuRules, CreationHidesDisablesAndCaptions) {
  MenuModel m;
  ApplyCreationRules(m, 0);
  for (const char* n : {"LED1", "MnParaSet1", "MnGetROMVer", "MnGetModelName", "MnSetComPara",
                        "MnSetMode", "ISO142231", "N1", "N18", "SIC7888TagData1", "ToolButton1",
                        "ToolButton3", "CBAnimalID", "MnAnimalID"})
    EXPECT_FALSE(m.Visible(n)) << n;
  for (const char* n : {"MnHDXTag", "FDX1", "MnCmd3", "MnConfiguration", "EM43051", "LFON1"})
    EXPECT_TRUE(m.Visible(n)) << n;
  for (const std::string& n : CommandMenuNames()) EXPECT_FALSE(m.Enabled(n)) << n;
  EXPECT_FALSE(m.Enabled("CBAnimalID"));
  EXPECT_FALSE(m.Checked("CBAnimalID"));
  EXPECT_FALSE(m.Checked("TB_TEST2"));
  EXPECT_FALSE(m.Checked("TB_TEST3"));
  EXPECT_EQ(m.Get("MnSetTestMode1").caption, "Read Loop Mode");
  EXPECT_EQ(m.Get("MnSetTestMode3").caption, "Command Mode");
  EXPECT_EQ(m.Get("ReadSIC7888Configuration1").caption, "Read SIC7888\u00A0Configuration");
  EXPECT_EQ(m.Hint("FileExitItem"), "終了");  // the tests run without the English module
  EXPECT_EQ(m.Hint("HelpAboutItem"), "バージョン情報...");
  // fHDXP shows HDX+ at the check box rule, but creation hides it all the same.
  MenuModel withHdxp;
  ApplyCreationRules(withHdxp, 1);
  EXPECT_FALSE(withHdxp.Visible("ISO142231"));
}

TEST(MenuRules, ItemsWithoutHandlerStayDisabled) {
  MenuModel m;
  EXPECT_FALSE(m.Enabled("MnChargeOnlyReadCmd1"));
  m.SetHandlerPresent("MnChargeOnlyReadCmd1", true);
  EXPECT_TRUE(m.Enabled("MnChargeOnlyReadCmd1"));
  EXPECT_TRUE(m.Enabled("MnTIRIS1"));  // menus need no handler
}

TEST(MenuRules, ShortcutNeedsTheItemAndEveryMenuAboveEnabled) {
  MenuModel m;
  ApplyCreationRules(m, 0);
  m.SetHandlerPresent("MnGetROMVer", true);
  EXPECT_FALSE(m.Visible("MnGetROMVer"));
  EXPECT_FALSE(m.ShortcutLive("MnGetROMVer"));  // MnCmd3 disabled
  SetCommandMenusEnabled(m, true);
  EXPECT_TRUE(m.ShortcutLive("MnGetROMVer"));  // hidden, yet live
  m.SetEnabled("MnGetROMVer", false);
  EXPECT_FALSE(m.ShortcutLive("MnGetROMVer"));
  m.SetEnabled("MnGetROMVer", true);
  m.SetHandlerPresent("MnChargeOnlyReadCmd1", true);
  m.SetEnabled("MnTIRIS1", false);  // the sub-menu between item and menu bar
  EXPECT_FALSE(m.ShortcutLive("MnChargeOnlyReadCmd1"));
  EXPECT_FALSE(m.ShortcutLive("NoSuchItem"));
}

TEST(MenuRules, ReaderLevelChoosesTheNewerCommands) {
  for (int level : {0, 1, 2, 3}) {
    MenuModel m;
    ApplyReaderLevel(m, level);
    for (const std::string& n : ReaderLevelItemNames()) {
      const bool expected = level == 3 || (level == 2 && n != "EM43051");
      EXPECT_EQ(m.Visible(n), expected) << "level " << level << " " << n;
    }
  }
}

TEST(MenuRules, AnimalIdBoxSwitchesTheToolMode) {
  MenuModel m;
  ApplyAnimalIdBox(m, true, 0);
  for (const char* n : {"MnHDXTag", "MnTIRIS1", "SIC2791", "ISO142231", "FDX1", "MnCmdTest",
                        "PWMDuty1", "SystemParameter1", "EM43051", "LFON1"})
    EXPECT_FALSE(m.Visible(n)) << n;
  EXPECT_TRUE(m.Visible("MnAnimalID"));
  ApplyAnimalIdBox(m, false, 0);
  for (const char* n : {"MnHDXTag", "MnTIRIS1", "SIC2791", "FDX1", "EM43051", "LFON1"})
    EXPECT_TRUE(m.Visible(n)) << n;
  for (const char* n : {"MnCmdTest", "PWMDuty1", "SystemParameter1", "ISO142231", "MnAnimalID"})
    EXPECT_FALSE(m.Visible(n)) << n;
  ApplyAnimalIdBox(m, false, 1);
  EXPECT_TRUE(m.Visible("ISO142231"));
}

TEST(MenuRules, TableNamesAreUniqueAndParentsComeFirst) {
  std::set<std::string> seen;
  for (const MenuItemDef& d : MenuTable()) {
    EXPECT_TRUE(seen.insert(d.name).second) << d.name;
    if (*d.parent) {
      EXPECT_TRUE(seen.count(d.parent)) << d.name;
    }
  }
}

// --- Start-up ---

TEST(StartUp, CreationPreparesTheWindow) {
  Shell s;
  TempConfig::WriteFile(s.config.Path("norvik/r.bat"), "left over\n");
  IniFile ini(s.config.SettingsPath());
  ini.WriteInteger("Option", "IntervTime", 350);
  ASSERT_TRUE(IniFile::CreateFolders(IniFile::FolderOf(s.config.SettingsPath())));
  ASSERT_TRUE(ini.Save());
  s.shell->FormCreate();
  EXPECT_FALSE(std::filesystem::exists(s.config.Path("norvik/r.bat")));
  EXPECT_EQ(s.view.timer1, 350);
  EXPECT_TRUE(s.view.logPageShown);
  EXPECT_EQ(s.view.title, "QZH-900Tool");
  EXPECT_EQ(s.view.grid.Cell(0, 0), "No.");
  EXPECT_EQ(s.view.grid.Cell(1, 0), "Numbers");
  EXPECT_EQ(s.view.grid.Cell(2, 0), "Tag Type");
  EXPECT_EQ(s.view.grid.Cell(3, 0), "ID Data");
  ASSERT_NE(s.app->Comm(), nullptr);
  EXPECT_FALSE(s.menus.Enabled("MnCmd3"));
  EXPECT_TRUE(s.shell->ShowAllowed);
  EXPECT_TRUE(s.shell->FirstOpen);
}

class StartUpWithModule : public ::testing::TestWithParam<std::pair<std::string, int>> {};

TEST_P(StartUpWithModule, IdentifiesTheModuleAndSetsTheMenus) {
  Shell s;
  auto sim = StartSimulator(9, GetParam().first);
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  const std::vector<std::string> expected = {"ROM Version: " + GetParam().first,
                                             "Model Name : QZH-900", "OK: Open COM9"};
  EXPECT_EQ(s.Lines(), expected);  // no "TX:" / "RX:" lines during identification
  EXPECT_EQ(s.app->ReaderLevel, GetParam().second);
  for (const std::string& n : CommandMenuNames()) EXPECT_TRUE(s.menus.Enabled(n)) << n;
  EXPECT_TRUE(s.menus.Enabled("CBAnimalID"));
  const int level = GetParam().second;
  for (const std::string& n : ReaderLevelItemNames())
    EXPECT_EQ(s.menus.Visible(n), level == 3 || (level == 2 && n != "EM43051")) << n;
  EXPECT_FALSE(s.shell->FirstOpen);
  EXPECT_EQ(s.view.closeRequests, 0);
  EXPECT_TRUE(s.Comm().LogTxFrames());
  EXPECT_TRUE(s.Comm().LogRxFrames());
  // The dialog showed the port list with COM9 and the settings' speed preselected.
  ASSERT_EQ(s.prompts.shown.size(), 1u);
  EXPECT_EQ(s.prompts.shown[0].caption, "Open COM Port");
  EXPECT_FALSE(s.prompts.shown[0].Field("CBAutoCheck").checked);
  EXPECT_TRUE(s.prompts.shown[0].Field("CBAutoCheck").visible);
  EXPECT_FALSE(s.prompts.shown[0].Field("RGParity").visible);
}

INSTANTIATE_TEST_SUITE_P(Versions, StartUpWithModule,
                         ::testing::Values(std::make_pair("1100LFS00", 3),
                                           std::make_pair("1020LFS00", 2),
                                           std::make_pair("1010LFS00", 1),
                                           std::make_pair("2000LFS00", 0)));

TEST(StartUp, CancelOfTheFirstDialogEndsTheProgramButNotOfALaterOne) {
  Shell s;
  auto sim = StartSimulator(9);
  s.shell->FormCreate();
  s.prompts.CancelFirst();
  s.shell->FormShow();
  EXPECT_EQ(s.view.closeRequests, 1);
  EXPECT_TRUE(s.shell->Closing());
  EXPECT_TRUE(s.Lines().empty());

  Shell later;
  auto sim2 = StartSimulator(9);
  later.shell->FormCreate();
  later.OpenCom9At57600();
  later.shell->FormShow();
  // Cancel in a later dialog changes nothing: the same module, its port open, no line.
  const TTirisC1Dlg* before = later.app->Comm();
  const size_t lines = later.Lines().size();
  later.prompts.CancelFirst();
  later.Run("MnSetCOM");
  EXPECT_EQ(later.view.closeRequests, 0);
  EXPECT_EQ(later.app->Comm(), before);
  EXPECT_TRUE(later.Comm().Connected());
  EXPECT_EQ(later.Lines().size(), lines);
  EXPECT_TRUE(later.menus.Enabled("MnCmd3"));
}

TEST(StartUp, WithoutAModuleTheMenusStayDisabledAndCommandModeEnablesThem) {
  Shell s;
  s.shell->FormCreate();
  s.shell->FormShow();  // no port listed: nothing to open
  EXPECT_EQ(s.Lines(), std::vector<std::string>{"NG: Open COM1"});
  EXPECT_FALSE(s.menus.Enabled("MnCmd3"));
  ASSERT_NE(s.app->Comm(), nullptr);  // kept, its port closed
  EXPECT_FALSE(s.Comm().Connected());
  EXPECT_TRUE(s.prompts.messages.empty());
  // "Command Mode" enables the menus whatever the module says (here: nothing, the port is shut).
  s.Run("TB_TEST3");
  for (const std::string& n : CommandMenuNames()) EXPECT_TRUE(s.menus.Enabled(n)) << n;
  EXPECT_TRUE(s.menus.Checked("TB_TEST3"));
  const auto lines = s.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Response Timed out");
  EXPECT_EQ(lines.back(), "NG: Command Mode");
}

TEST(StartUp, ShutDownSavesBothSectionsOnce) {
  Shell s;
  auto sim = StartSimulator(9);
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  s.app->Settings.TirisPage = 7;
  s.shell->FormClose();
  EXPECT_EQ(s.app->Comm(), nullptr);
  IniFile ini(s.config.SettingsPath());
  ini.Load();
  EXPECT_EQ(ini.ReadInteger("Option", "TirisPage", 0), 7);
  EXPECT_EQ(ini.ReadInteger("ComDebug", "Port", 0), 9);
  EXPECT_EQ(ini.ReadInteger("ComDebug", "BaudRate", 0), 57600);
  s.app->Settings.TirisPage = 9;
  s.shell->FormClose();  // a second close changes nothing
  ini.Load();
  EXPECT_EQ(ini.ReadInteger("Option", "TirisPage", 0), 7);
}

TEST(StartUp, ASettingsFileThatCannotBeReadIsToldInTheLogAndNeverWritten) {
  Shell s;
  const std::string path = s.config.SettingsPath();
  const std::string text = std::string(size_t{16} << 20, '\n') + "[Option]\nIntervTime=350\n";
  TempConfig::WriteFile(path, text);
  s.shell->FormCreate();
  EXPECT_EQ(s.view.timer1, 200) << "the defaults";
  // In the window's language: Japanese here, where no English catalogue is installed.
  EXPECT_EQ(s.Lines(),
            std::vector<std::string>{"設定ファイルを読み込めません: " + path +
                                     " (大きすぎます (> 16 MiB)) "
                                     "既定値で動作し、このファイルには書き込みません。"});
  s.app->Settings.TirisPage = 7;
  s.shell->FormClose();
  EXPECT_TRUE(TempConfig::ReadFile(path) == text) << "neither Option nor ComDebug was written";
}

TEST(StartUp, AWindowShownWhileShowingIsNotAllowedClosesAtOnce) {
  Shell s;
  s.shell->FormCreate();
  s.shell->ShowAllowed = false;
  s.shell->FormShow();
  EXPECT_EQ(s.view.closeRequests, 1);
  EXPECT_TRUE(s.prompts.shown.empty());
}

// --- Port selection ---

TEST(PortSelection, OpenPortFailureShowsTheMessageWithItsReason) {
  Shell s;
  s.shell->FormCreate();
  PortSelection ports(s.Comm(), s.prompts);
  EXPECT_FALSE(ports.OpenPort(5));
  ASSERT_EQ(s.prompts.messages.size(), 1u);
  const std::string& m = s.prompts.messages[0];
  const std::string head =
      "COM5 Can not open!!\n\n  Please check the port and parameter settings again.\n";
  ASSERT_EQ(m.substr(0, head.size()), head);
  EXPECT_GT(m.size(), head.size());  // the reason follows
}

TEST(PortSelection, DialogPreselectsTheLastPortThatWorkedNeverAGuess) {
  Shell s;
  // COM12 answered as the module in an earlier run.
  IniFile ini(s.config.SettingsPath());
  ini.WriteInteger("ComDebug", "LastWorkingPort", 12);
  ASSERT_TRUE(IniFile::CreateFolders(IniFile::FolderOf(s.config.SettingsPath())));
  ASSERT_TRUE(ini.Save());
  s.shell->FormCreate();
  TTirisC1Dlg& c = s.Comm();
  c.SetPortList({"COM1", "COM12", "COM3"});
  c.SetPortName("COM3");
  c.SetLine({.baud = TBaudRate::br4800, .parity = TParityBits::prOdd});
  const std::vector<PortInfo> known = {
      {"COM12", "/dev/ttyUSB0", "ftdi_sio", "0403", "6001", "FTDI FT232R"},
      {"COM3", "/dev/ttyS2", "serial8250", "", "", ""}};
  PromptForm f = OpenPortForm(c, nullptr, known);
  EXPECT_EQ(f.Field("LBComPort").index, 1);
  EXPECT_EQ(f.Field("STComPort").text, "COM12");
  EXPECT_EQ(f.Field("LBComPort").itemDetails,
            (std::vector<std::string>{"", "/dev/ttyUSB0  FTDI FT232R", "/dev/ttyS2  serial8250"}));
  EXPECT_TRUE(f.Action("OKBtn").enabled);
  EXPECT_EQ(f.Field("RGComSpeed").index, 1);  // 4800 is not offered: 19.2kbps
  EXPECT_EQ(f.Field("RGParity").index, 1);
  // The port that worked is gone: nothing is selected (not the current port, not the first),
  // and "Open" waits for a choice or the scan.
  c.SetPortList({"COM1", "COM3"});
  c.SetLine({.baud = TBaudRate::br115200, .parity = TParityBits::prMark});
  f = OpenPortForm(c, nullptr);
  EXPECT_EQ(f.Field("LBComPort").index, -1);
  EXPECT_EQ(f.Field("STComPort").text, "");
  EXPECT_FALSE(f.Action("OKBtn").enabled);
  EXPECT_EQ(f.Field("RGComSpeed").index, 4);
  EXPECT_EQ(f.Field("RGParity").index, 2);
  ScriptedPrompts::ApplyValue(f, f.Field("CBAutoCheck"), "1");
  EXPECT_TRUE(f.Action("OKBtn").enabled);
  ScriptedPrompts::ApplyValue(f, f.Field("CBAutoCheck"), "0");
  // Clicking a list entry shows it.
  ScriptedPrompts::ApplyValue(f, f.Field("LBComPort"), "COM3");
  EXPECT_EQ(f.Field("STComPort").text, "COM3");
  EXPECT_TRUE(f.Action("OKBtn").enabled);
  // "Port check..." runs the port list.
  int checks = 0;
  f = OpenPortForm(c, [&] { ++checks; });
  f.onAction(f, "Button1");
  EXPECT_EQ(checks, 1);
}

TEST(PortSelection, PortCheckListsEveryPortAndWhetherItIsInUse) {
  PortInfo a{"COM1", "/dev/ttyS0", "serial8250", "", "", ""};
  PortInfo b{"COM10", "/dev/serial/by-id/usb-FTDI", "ftdi_sio", "0403", "6001", "FTDI FT232R"};
  PromptForm f = PortCheckForm({a, b}, [](const std::string& d) { return d == "/dev/ttyS0"; });
  const auto& cells = f.Field("PortGrid").cells;
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0][4], "使用中");
  EXPECT_EQ(cells[1], (std::vector<std::string>{"COM1", "/dev/ttyS0", "serial8250", "", "はい"}));
  EXPECT_EQ(cells[2][3], "0403:6001 FTDI FT232R");
  EXPECT_EQ(cells[2][4], "いいえ");
  EXPECT_NE(PortCheckForm({}, nullptr).Find("STNoPorts"), nullptr);
}

TEST(PortSelection, ScanFindsTheModuleOnTheThirdPortAt57600) {
  Shell s;
  NackLine first, second;
  ASSERT_TRUE(port_registry::Register(1, first.DevicePath()));
  ASSERT_TRUE(port_registry::Register(2, second.DevicePath()));
  auto sim = StartSimulator(3);
  s.shell->FormCreate();
  ASSERT_EQ(s.Comm().PortList(), (std::vector<std::string>{"COM1", "COM2", "COM3"}));
  s.prompts.Answer("TOpenCom1Dlg.CBAutoCheck", "1");
  s.shell->FormShow();

  // Five speeds on each of the first two ports, then 9600 to 57600 on the third.
  EXPECT_EQ(first.Probes(), 5);
  EXPECT_EQ(second.Probes(), 5);
  const auto lines = s.Lines();
  const auto find = std::find(lines.begin(), lines.end(), "Find QZH-900 ");
  ASSERT_NE(find, lines.end());
  ASSERT_GE(lines.end() - find, 6);
  EXPECT_EQ(find[1], "COM Port   : 3");
  EXPECT_EQ(find[2], "Speed      : 57600");
  EXPECT_EQ(find[3], "ROM Version: 1100LFS00");
  EXPECT_EQ(find[5], "OK: Open COM3");
  EXPECT_EQ(
      LinesStarting(lines, "Check COM Port: "),
      (std::vector<std::string>{"Check COM Port: 1", "Check COM Port: 2", "Check COM Port: 3"}));
  EXPECT_EQ(LinesStarting(lines, "TX: 02 00 4D 01 90 ").size(), 14u);
  EXPECT_EQ(LinesStarting(lines, "Response Timed out").size(), 3u);  // COM3 below 57600

  ASSERT_EQ(s.prompts.progress.size(), 1u);
  const auto& p = *s.prompts.progress[0];
  EXPECT_EQ(p.caption, "Please wait");
  EXPECT_FALSE(p.cancelVisible);
  EXPECT_FALSE(p.barVisible);
  EXPECT_TRUE(p.shown);
  EXPECT_TRUE(p.closed);
  ASSERT_EQ(p.labels.size(), 15u);
  EXPECT_EQ(p.labels[0], "-------- Check QZH-900 --------");
  EXPECT_EQ(p.labels[1], "Check COM Port: 1 9600bps");
  EXPECT_EQ(p.labels[2], "Check COM Port: 1 19.2kbps");
  EXPECT_EQ(p.labels[5], "Check COM Port: 1 115.2kbps");
  EXPECT_EQ(p.labels[14], "Check COM Port: 3 57.6kbps");
  EXPECT_EQ(s.Comm().Line().baud, TBaudRate::br57600);
  EXPECT_TRUE(s.Comm().Connected());
}

TEST(PortSelection, ScanOfNoPortsFindsNothing) {
  Shell s;
  s.shell->FormCreate();
  PortSelection ports(s.Comm(), s.prompts);
  EXPECT_FALSE(ports.ScanPorts({}, 0));
  EXPECT_EQ(s.Lines(), std::vector<std::string>{"Not Find QZH-900 "});
  ASSERT_EQ(s.prompts.progress.size(), 1u);
  EXPECT_TRUE(s.prompts.progress[0]->closed);
}

TEST(PortSelection, LineSettingsFormFillsAndApplies) {
  LineSettings line{.baud = TBaudRate::br57600,
                    .dataBits = TDataBits::dbSeven,
                    .parity = TParityBits::prEven,
                    .stopBits = TStopBits::sbTwoStopBits,
                    .flow = TFlowControl::fcSoftware};
  PromptForm f = PortSettingsForm("COM4", line);
  EXPECT_NE(f.caption.find("COM4"), std::string::npos);
  EXPECT_EQ(f.Field("CBBaudRate").text, "57600");
  EXPECT_EQ(f.Field("CBDataBits").items[static_cast<size_t>(f.Field("CBDataBits").index)], "7");
  EXPECT_EQ(f.Field("CBParity").index, 2);
  EXPECT_EQ(f.Field("CBStopBits").index, 2);
  EXPECT_FALSE(f.Field("CBCtsFlow").checked);
  EXPECT_TRUE(f.Field("CBXonXoff").checked);

  // Hardware wins when both output options are on.
  f.Field("CBCtsFlow").checked = true;
  line = ApplyPortSettingsForm(f, line);
  EXPECT_EQ(line.flow, TFlowControl::fcHardware);
  EXPECT_EQ(line.baud, TBaudRate::br57600);
  EXPECT_EQ(line.parity, TParityBits::prEven);
  // A typed rate the port does not list selects 19200.
  ScriptedPrompts::ApplyValue(f, f.Field("CBBaudRate"), "-1");
  f.Field("CBBaudRate").text = "12345";
  f.Field("CBCtsFlow").checked = false;
  f.Field("CBXonXoff").checked = false;
  line = ApplyPortSettingsForm(f, line);
  EXPECT_EQ(line.baud, TBaudRate::br19200);
  EXPECT_EQ(line.flow, TFlowControl::fcNone);
}

TEST(PortSelection, ComParameterSavesReopensAndLogs) {
  Shell s;
  auto sim = StartSimulator(9);
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  // A custom rate shows as 9600; OK at once keeps what the dialog shows.
  s.Comm().SetBaudRate(TBaudRate::brCustom);
  s.Run("MnSetComPara");
  EXPECT_EQ(s.prompts.shown.back().dialog, "TComParamDlg");
  EXPECT_EQ(s.prompts.shown.back().Field("CBBaudRate").text, "9600");
  EXPECT_EQ(s.Lines().back(), "OK : Configuration");
  EXPECT_EQ(s.Comm().Line().baud, TBaudRate::br9600);
  EXPECT_TRUE(s.Comm().Connected());

  s.prompts.Answer("TComParamDlg.CBBaudRate", "57600");
  s.Run("MnSetComPara");
  IniFile ini(s.config.SettingsPath());
  ini.Load();
  EXPECT_EQ(ini.ReadInteger("ComDebug", "BaudRate", 0), 57600);
  Response out{};
  EXPECT_TRUE(s.Comm().Exchange({0x90}, out));  // reopened at the module's speed

  // Cancel: nothing logged or saved, the port reopened all the same.
  const size_t lines = s.Lines().size();
  s.prompts.CancelDialog("TComParamDlg");
  s.Run("MnSetComPara");
  EXPECT_EQ(s.Lines().size(), lines);
  EXPECT_TRUE(s.Comm().Connected());
}

// --- Read-loop mode and the window's items ---

TEST(ReadLoop, ButtonsSwitchModesMenusAndTally) {
  Shell s;
  auto sim = StartSimulator(9, "1100LFS00", 57600, sim::DefaultTags());
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  s.log.Clear();

  s.Run("TB_TEST2");
  EXPECT_TRUE(s.menus.Checked("TB_TEST2"));
  EXPECT_FALSE(s.menus.Checked("TB_TEST3"));
  for (const std::string& n : CommandMenuNames()) EXPECT_FALSE(s.menus.Enabled(n)) << n;
  EXPECT_FALSE(s.menus.Enabled("CBAnimalID"));
  const auto lines = s.Lines();
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Action Mode Set");
  EXPECT_EQ(lines[1], "TX: 02 00 4D 02 00 04 03 58 0D ");
  EXPECT_EQ(lines[3], "Action Mode Set");
  EXPECT_EQ(lines[4], "TX: 02 00 4D 02 00 02 03 56 0D ");
  EXPECT_EQ(lines[6], "OK: Read Loop Mode");

  test_support::PumpUntil([&] { return s.Comm().Tally().Count() == 3; });
  ASSERT_EQ(s.Comm().Tally().Count(), 3);
  std::set<std::string> labels;
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(s.view.grid.Cell(0, row), std::to_string(row));
    labels.insert(s.view.grid.Cell(2, row));
  }
  EXPECT_EQ(labels, (std::set<std::string>{"FDX-B", "EM", "RO"}));
  EXPECT_FALSE(LinesStarting(s.Lines(), "ID: ").empty());

  // Quiet field, then back to command mode.
  ASSERT_TRUE(
      test_rig::EmptyTheField(*sim, [&] { return LinesStarting(s.Lines(), "ID: ").size(); }));
  s.Run("TB_TEST3");
  EXPECT_EQ(s.Lines().back(), "OK: Command Mode");
  EXPECT_FALSE(s.menus.Checked("TB_TEST2"));
  EXPECT_TRUE(s.menus.Checked("TB_TEST3"));
  for (const std::string& n : CommandMenuNames()) EXPECT_TRUE(s.menus.Enabled(n)) << n;
  sim->WithModule([](sim::Module& m) { EXPECT_EQ(m.ActionMode(), 4); });
}

TEST(ReadLoop, AnimalIdBoxSelectsTheAnimalReadMode) {
  Shell s;
  auto sim = StartSimulator(9);
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  s.shell->CBAnimalIDClick(true);
  EXPECT_EQ(s.view.title, "QZH-900AnimalID Tool");
  EXPECT_TRUE(s.app->AnimalIdDisplay());
  s.Run("TB_TEST2");
  sim->WithModule([](sim::Module& m) { EXPECT_EQ(m.ActionMode(), 6); });
  s.shell->CBAnimalIDClick(false);
  EXPECT_EQ(s.view.title, "QZH-900Tool");
}

TEST(ReadLoop, HiddenModeMenuSetsTheActionModeOnly) {
  Shell s;
  auto sim = StartSimulator(9);
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  struct Case {
    const char* item;
    int mode;
    const char* tx;  // 5 and 6 carry the value byte 1
  };
  for (const Case& c : {Case{"MnSetTestMode1", 5, "TX: 02 00 4D 03 00 05 01 03 5B 0D "},
                        Case{"MnSetTestModeFDX", 5, "TX: 02 00 4D 03 00 05 01 03 5B 0D "},
                        Case{"MnSetTestModeAnimalID", 6, "TX: 02 00 4D 03 00 06 01 03 5C 0D "},
                        Case{"MnSetTestMode3", 4, "TX: 02 00 4D 02 00 04 03 58 0D "}}) {
    s.log.Clear();
    s.Run(c.item);
    ASSERT_EQ(s.Lines().size(), 4u) << c.item;
    EXPECT_EQ(s.Lines()[1], c.tx);
    EXPECT_EQ(s.Lines()[3], "OK: Set Action Mode") << c.item;
    sim->WithModule([&](sim::Module& m) { EXPECT_EQ(m.ActionMode(), c.mode) << c.item; });
  }
  EXPECT_FALSE(s.menus.Checked("TB_TEST2"));
  EXPECT_FALSE(s.menus.Checked("TB_TEST3"));
}

TEST(WindowItems, ComPortReplacesTheModuleAndIdentifiesAgain) {
  Shell s;
  auto sim = StartSimulator(9);
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  s.Comm().Tally().TallyId("06", "01 ");
  s.log.Clear();
  s.Run("MnSetCOM");
  EXPECT_EQ(s.Comm().Tally().Count(), 0);
  EXPECT_EQ(s.view.grid.Cell(3, 1), "");
  EXPECT_EQ(s.Lines(), (std::vector<std::string>{"ROM Version: 1100LFS00", "Model Name : QZH-900",
                                                 "OK: Open COM9"}));
  EXPECT_EQ(s.view.closeRequests, 0);
}

TEST(WindowItems, ALostPortIsExplainedAndTheDialogOffersTheDeviceAgainOnceBack) {
  Shell s;
  auto sim = StartSimulator(9);
  s.shell->FormCreate();
  s.OpenCom9At57600();
  s.shell->FormShow();
  SetCommandMenusEnabled(s.menus, true);
  // The device vanishes while the tool waits for nothing.
  sim->HangUp();
  ASSERT_TRUE(test_support::PumpUntil([&] { return s.Comm().PortLost(); }));
  s.log.Clear();
  Response out{};
  s.Comm().SendCommand({0x90});
  EXPECT_FALSE(s.Comm().AwaitResponse(out));
  const std::string why =
      "ポートが閉じられたため送信できません（デバイスが切断されました）。"
      "「COM Port...」でポートを開き直してください";
  EXPECT_EQ(s.Lines(), (std::vector<std::string>{"TX: 02 00 4D 01 90 03 E3 0D ", why}));
  // Said once: the next command fails as quickly, without repeating it.
  s.log.Clear();
  s.Comm().SendCommand({0x93});
  EXPECT_FALSE(s.Comm().AwaitResponse(out));
  EXPECT_EQ(s.Lines(), (std::vector<std::string>{"TX: 02 00 4D 01 93 03 E6 0D "}));

  // Back again (a new pseudo-terminal under the same COM number): the port dialog offers it,
  // selected, and it opens.
  std::string error;
  ASSERT_TRUE(sim->Reopen(&error)) << error;
  s.log.Clear();
  s.prompts.shown.clear();
  s.Run("MnSetCOM");
  ASSERT_EQ(s.prompts.shown.size(), 1u);
  const PromptField& list = s.prompts.shown[0].Field("LBComPort");
  ASSERT_GE(list.index, 0);
  EXPECT_EQ(list.items[static_cast<size_t>(list.index)], "COM9");
  EXPECT_EQ(s.Lines().back(), "OK: Open COM9");
}

TEST(WindowItems, ALostPortIsSaidAtOnceEndsReadLoopModeAndKeepsTheTally) {
  Shell s;
  auto sim = StartSimulator(9, "1100LFS00", 57600, sim::DefaultTags());
  s.shell->FormCreate();
  EXPECT_EQ(ConnectionText(s.shell->Connection()), "未接続");
  s.OpenCom9At57600();
  s.shell->FormShow();
  EXPECT_EQ(ConnectionText(s.shell->Connection()),
            "COM9 \u00B7 57600 bps \u00B7 QZH-900 1100LFS00 \u00B7 コマンドモード");
  s.Run("TB_TEST2");
  ASSERT_TRUE(test_support::PumpUntil([&] { return s.Comm().Tally().Count() >= 2; }));
  EXPECT_EQ(ConnectionText(s.shell->Connection()),
            "COM9 \u00B7 57600 bps \u00B7 QZH-900 1100LFS00 \u00B7 読取ループモード");
  // The module goes away while it streams: said at once, without a command being tried.
  sim->HangUp();
  ASSERT_TRUE(test_support::PumpUntil([&] { return !s.view.portLostNotices.empty(); }));
  const int counted = s.Comm().Tally().Count();
  const std::string notice =
      "COM9 との接続が切れました（デバイスが切断されました）。「COM "
      "Port...」でポートを開き直してください";
  EXPECT_EQ(s.view.portLostNotices, std::vector<std::string>{notice});
  const auto lines = s.Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), notice), lines.end());
  EXPECT_FALSE(s.menus.Checked("TB_TEST2"));  // the button comes up
  EXPECT_EQ(ConnectionText(s.shell->Connection()), "COM9 \u00B7 切断されました");
  EXPECT_TRUE(s.menus.Enabled("MnConfiguration"));
  EXPECT_TRUE(s.menus.Enabled("MnSetCOM"));
  EXPECT_GE(counted, 2);  // what was counted stays
  EXPECT_EQ(s.view.grid.Cell(1, 1).empty(), false);
}

TEST(WindowItems, ClearEmptiesLogAndTally) {
  Shell s;
  s.shell->FormCreate();
  s.app->AddLog("a line");
  s.Comm().Tally().TallyId("06", "01 02 ");
  s.Run("MnGridClear");
  EXPECT_TRUE(s.Lines().empty());
  EXPECT_EQ(s.Comm().Tally().Count(), 0);
  EXPECT_EQ(s.view.grid.Cell(3, 1), "");
  s.Run("MnLastCommand");  // hidden F5 item: does nothing
  EXPECT_TRUE(s.Lines().empty());
}

TEST(WindowItems, DebugMenuShowsAndStoresTheAnimalIdChoices) {
  OptionSettings st;
  st.fReadAnimalID = 2;
  st.fWriteAnimalID = 1;
  PromptForm f = SetConfig2Form(st);
  EXPECT_EQ(f.caption, "デバッグメニュー");
  EXPECT_EQ(f.pageCaptions, std::vector<std::string>{"デバッグ"});  // its one tab
  EXPECT_EQ(f.Field("RGFReadID").page, f.pages[0]);
  EXPECT_EQ(f.Field("RGFWriteID").page, f.pages[0]);
  EXPECT_EQ(f.Field("RGFReadID").label, "動物IDの表示");
  EXPECT_EQ(f.Field("RGFReadID").items,
            (std::vector<std::string>{"IDのみ", "ID+個別情報", "デバッグ表示"}));
  EXPECT_EQ(f.Field("RGFReadID").index, 2);
  EXPECT_EQ(f.Field("RGFWriteID").index, 1);
  f.Field("RGFReadID").index = 0;
  ApplySetConfig2Form(f, st);
  EXPECT_EQ(st.fReadAnimalID, 0);
  EXPECT_EQ(st.fWriteAnimalID, 1);
  // A value out of range shows no choice and survives OK.
  st.fWriteAnimalID = 7;
  f = SetConfig2Form(st);
  EXPECT_EQ(f.Field("RGFWriteID").index, -1);
  ApplySetConfig2Form(f, st);
  EXPECT_EQ(st.fWriteAnimalID, 7);
}
