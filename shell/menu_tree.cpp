#include "shell/menu_tree.h"

#include <QtGlobal>
#include <stdexcept>

#include "core/messages.h"
#include "core/ui_text.h"

namespace {

constexpr MenuKind R = MenuKind::Root;
constexpr MenuKind M = MenuKind::Menu;
constexpr MenuKind I = MenuKind::Item;
constexpr MenuKind S = MenuKind::Separator;
constexpr MenuKind B = MenuKind::ToolButton;
constexpr MenuKind C = MenuKind::Check;

// Captions marked T go through the English module; the others read the same in both languages.
constexpr bool T = true;
constexpr bool L = false;

// clang-format off
const std::vector<MenuItemDef> kTable = {
    {"MainMenu1", "", "", L, "", R, false, false},
    {"File1", "MainMenu1", "File", L, "", M, false, false},
    {"FileExitItem", "File1", QT_TRANSLATE_NOOP("TTirisAppForm", "終了(&X)"), T, "", I, false, false},

    {"MnHDXTag", "MainMenu1", "HDX Tag", L, "", M, false, false},
    {"IDRead3", "MnHDXTag", "IDRead(HDX+FDX)", L, "", I, false, false},
    {"MnTIRIS1", "MnHDXTag", "TIRIS", L, "", M, false, false},
    {"MnChargeOnlyReadCmd1", "MnTIRIS1", "ChargeOnlyReadCmd", L, "Ctrl+F1", I, false, false},
    {"MNWriteAndProgramCmd1", "MnTIRIS1", "WriteAndProgramCmd...", L, "Ctrl+F2", I, false, false},
    {"MnGeneralReadPageCmd", "MnTIRIS1", "GeneralReadPageCmd...", L, "", I, false, false},
    {"MnProgramPageCmd", "MnTIRIS1", "ProgramPageCmd...", L, "", I, false, false},
    {"MnLockPageCmd", "MnTIRIS1", "LockPageCmd...", L, "", I, false, false},
    {"MnGeneralReadPageCmd2", "MnTIRIS1", "GeneralReadPageCmd2", L, "", I, false, false},
    {"MnWriteAndProgramCmd2", "MnTIRIS1", "WriteAndProgramCmd2...", L, "", I, false, false},
    {"MPTDataWrite1", "MnTIRIS1", "MPT Data Write", L, "", I, false, false},
    {"SIC2791", "MnHDXTag", "SIC279", L, "", M, false, false},
    {"raceabilitydataRead1", "SIC2791", "TraceabilityDataRead", L, "", I, false, false},
    {"ChipConfigRead1", "SIC2791", "ChipConfigRead", L, "", I, false, false},
    {"Lockbitreadall1", "SIC2791", "LockBitReadAll", L, "", I, false, false},
    {"Lockbitread1", "SIC2791", "LockBitRead...", L, "", I, false, false},
    {"Protecteddirectaccess1", "SIC2791", "ProtectedDirectAccess...", L, "", I, false, false},
    {"Protectedwrite1", "SIC2791", "ProtectedWrite...", L, "", I, false, false},
    {"IDWrite1", "SIC2791", "IDWrite...", L, "", I, false, false},
    {"Directaccess1", "SIC2791", "Direct access", L, "", I, true, false},
    {"Standardwrite1", "SIC2791", "Standard write", L, "", I, true, false},
    {"WriteCtune1", "SIC2791", "WriteCtune", L, "", I, true, false},
    {"MnSIC279_IDSetup", "SIC2791", "ID Config Setup", L, "", M, true, false},
    {"MnSIC279_AnimalIDWrite", "MnSIC279_IDSetup", "AnimalID...", L, "", I, false, false},
    {"ISO142231", "MnHDXTag", "HDX+", L, "", M, false, false},
    {"READMULTIPLEBLOCKS1", "ISO142231", "READ MULTIPLE BLOCKS", L, "", I, false, false},
    {"LockInfomation1", "ISO142231", "Lock Infomation", L, "", I, false, false},
    {"tagData1", "ISO142231", "Tag Data", L, "", I, false, false},
    {"MNHDXP_IDWrite2", "ISO142231", "IDWrite...", L, "", I, false, false},
    {"MnHDXP_CRCWrite1", "ISO142231", "Chip Lock", L, "", I, false, false},
    {"MnHDXP_BlockWrite", "ISO142231", "BlockWrite", L, "", I, true, false},
    {"Inventory1", "ISO142231", "INVENTORY", L, "", I, true, false},
    {"READUID1", "ISO142231", "READ UID", L, "", I, true, false},
    {"STAYQUIET1", "ISO142231", "STAY QUIET", L, "", I, true, false},
    {"WRITESINGLEBLOCK1", "ISO142231", "WRITE SINGLE BLOCK", L, "", I, true, false},
    {"LOCKBLOCK1", "ISO142231", "LOCK BLOCK", L, "", I, true, false},
    {"AnimalIDWrite2", "ISO142231", "Animal ID Write...", L, "", I, false, false},

    {"FDX1", "MainMenu1", "FDX Tag", L, "", M, false, false},
    {"IDRead1", "FDX1", "IDRead(FDX)", L, "", I, false, false},
    {"FecavaIDread1", "FDX1", "IDRead(FECAVA)", L, "", I, false, false},
    {"SIC78881", "FDX1", "SIC7888", L, "", M, false, false},
    {"raceabilityDataRead2", "SIC78881", "TraceabilityDataRead", L, "", I, false, false},
    {"SIC7888GETUID1", "SIC78881", "GetUID", L, "", I, false, false},
    {"SIC7888READBLOCK1", "SIC78881", "ReadBlock...", L, "", I, false, false},
    {"SIC7888READPAGE1", "SIC78881", "ReadPage...", L, "", I, false, false},
    {"SIC7888WRITEBLOCK1", "SIC78881", "WriteBlock...", L, "", I, false, false},
    {"SIC7888WRITEPAGE1", "SIC78881", "WritePage...", L, "", I, false, false},
    {"SIC7888READBLOCK21", "SIC78881", "ReadBlock2...", L, "", I, false, false},
    {"SIC7888WriteBlock21", "SIC78881", "WriteBlock2...", L, "", I, false, false},
    {"SIC7888TagData1", "SIC78881", "TagData", L, "", I, false, false},
    {"SIC7888IDWrite1", "SIC78881", "IDWrite...", L, "", I, false, false},
    // The space before "Configuration" is a no-break space.
    {"ReadSIC7888Configuration1", "SIC78881", "Read SIC7888\u00A0Configuration", L, "", I, false, false},
    {"SIC7888READCT1", "SIC78881", "READ CT", L, "", I, true, false},
    {"SIC7888WRITECT1", "SIC78881", "WRITE CT...", L, "", I, true, false},
    {"IDConfigSetup1", "SIC78881", "ID Config Setup", L, "", M, true, false},
    {"FecavaID1", "IDConfigSetup1", "Fecava ID", L, "", I, false, false},
    {"EMID1", "IDConfigSetup1", "EM ID", L, "", I, false, false},
    {"BDE1", "IDConfigSetup1", "BDE", L, "", I, false, false},
    {"FDXB1", "IDConfigSetup1", "FDX-B", L, "", I, true, false},
    {"EM43051", "FDX1", "EM4305", L, "", M, false, false},
    {"ReadWord1", "EM43051", "ReadWord...", L, "", I, false, false},
    {"WriteWord1", "EM43051", "WriteWord...", L, "", I, false, false},
    {"Login1", "EM43051", "Login...", L, "", I, false, false},
    {"Protect1", "EM43051", "Protect...", L, "", I, false, false},
    {"Disable1", "EM43051", "Disable", L, "", I, false, false},
    {"LFONOFF1", "EM43051", "LF_ONOFF", L, "", M, false, false},
    {"ON1", "LFONOFF1", "ON", L, "", I, false, false},
    {"OFF1", "LFONOFF1", "OFF", L, "", I, false, false},

    {"MnAnimalID", "MainMenu1", "Animal ID", L, "", M, false, false},
    {"IDRead2", "MnAnimalID", "IDRead", L, "", I, false, false},
    {"IDWrite2", "MnAnimalID", "IDWrite...", L, "", M, false, false},
    {"AnimalIDWrite1", "IDWrite2", "SIC279...", L, "", I, false, false},
    {"AnimalIDWrite3", "IDWrite2", "SIC7888...", L, "", I, false, false},
    {"EM43052", "IDWrite2", "EM4305", L, "", I, false, false},

    {"MnCmd3", "MainMenu1", QT_TRANSLATE_NOOP("TTirisAppForm", "コマンド"), T, "", M, false, false},
    {"MnSetMode", "MnCmd3", "モードの選択", L, "", M, false, false},
    {"MnSetTestMode3", "MnSetMode", "Command Mode", L, "", I, false, false},
    {"MnSetTestMode1", "MnSetMode", "Read Loop Mode", L, "", I, false, false},
    {"MnSetTestModeFDX", "MnSetMode", "テスト読取モード(FDX)", L, "", I, false, false},
    {"MnSetTestModeAnimalID", "MnSetMode", "テスト読取モード(Animal ID)", L, "", I, false, false},
    {"N2", "MnCmd3", "-", L, "", S, false, false},
    {"LED1", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "LEDテスト"), T, "", M, false, false},
    {"MnLEDTest1", "LED1", "緑点灯", L, "", I, false, false},
    {"MnLEDTest4", "LED1", "赤点灯", L, "", I, false, false},
    {"MnBlueLED", "LED1", "青点灯", L, "", I, false, false},
    {"MnLEDTest2", "LED1", "消灯", L, "", I, false, false},
    {"MnLEDTest3", "LED1", "点滅", L, "", I, false, false},
    {"MnLEDSet1", "MnCmd3", "設定...", L, "", I, false, false},
    {"MnBuzTest", "MnCmd3", "ブザーテスト", L, "", M, false, false},
    {"BUZTest1", "MnBuzTest", "ブザーテスト...", L, "", I, false, false},
    {"MnBuzContON", "MnBuzTest", "連続ON", L, "", I, false, false},
    {"MnBuzOFF", "MnBuzTest", "OFF", L, "", I, false, false},
    {"MnRestart", "MnCmd3", "リスタート", L, "", I, false, false},
    {"LFON1", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "LFキャリアON..."), T, "", I, false, false},
    {"N1", "MnCmd3", "-", L, "", S, false, false},
    {"MnGetROMVer", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "ROMバージョン"), T, "Ctrl+Shift+F9", I, false, false},
    {"MnGetModelName", "MnCmd3", "モデル名の取得", L, "Ctrl+Shift+F10", I, false, false},
    {"MnSetBuz", "MnCmd3", "ブザー周波数設定...", L, "", I, false, false},
    {"N3", "MnCmd3", "テスト読取モード時のブザー", L, "", M, false, false},
    {"MnDisBuz", "N3", QT_TRANSLATE_NOOP("TTirisAppForm", "鳴らさない"), T, "", I, false, false},
    {"MnEnBuz", "N3", QT_TRANSLATE_NOOP("TTirisAppForm", "鳴らす"), T, "", I, false, false},
    {"N6", "MnCmd3", "通信スピードの設定", L, "", M, false, false},
    {"Mnset9600bps1", "N6", "9600bps", L, "", I, false, false},
    {"Mnset192kbps1", "N6", "19.2kbps", L, "", I, false, false},
    {"Mnset384kbps1", "N6", "38.4kbps", L, "", I, false, false},
    {"Mnset576kbps1", "N6", "57.6kbps", L, "", I, false, false},
    {"Mnset1152kbps1", "N6", "115.2kbps", L, "", I, false, false},
    {"N15", "MnCmd3", "-", L, "", S, false, false},
    {"Flash1", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "EEPROMの初期化"), T, "", I, false, false},
    {"MnParaSet1", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "パラメータ設定..."), T, "Ctrl+Shift+F3", I, false, false},
    {"EEPROMRead1", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "EEPROM読取"), T, "", I, false, false},
    {"EEPROMWrite1", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "EEPROM書込み"), T, "", I, false, false},
    {"RDInfo1", "MnCmd3", "RDInfo", L, "", I, false, false},
    {"STPROGMODE1", "MnCmd3", "ST_PROG_MODE", L, "", I, false, false},
    {"N18", "MnCmd3", "-", L, "", S, false, false},
    {"MnCmdTest", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "コマンドテストダイアログの表示..."), T, "", I, false, false},
    {"MnChkCmd", "MnCmd3", "コマンドテスト", L, "", I, true, false},
    {"MnTgaData", "MnCmd3", QT_TRANSLATE_NOOP("TTirisAppForm", "タグデータの表示..."), T, "", I, false, false},

    {"MnConfiguration", "MainMenu1", QT_TRANSLATE_NOOP("TTirisAppForm", "設定"), T, "", M, false, false},
    {"MnSetCOM", "MnConfiguration", "COM Port...", L, "", I, false, false},
    {"MnSetComPara", "MnConfiguration", "COM Parameter...", L, "", I, false, false},
    {"COMSpeed1", "MnConfiguration", QT_TRANSLATE_NOOP("TTirisAppForm", "COM通信スピード..."), T, "", I, false, false},
    {"ActionMode1", "MnConfiguration", QT_TRANSLATE_NOOP("TTirisAppForm", "動作モード..."), T, "", I, false, false},
    {"PWMDuty1", "MnConfiguration", QT_TRANSLATE_NOOP("TTirisAppForm", "LF送信出力..."), T, "", I, false, false},
    {"SystemParameter1", "MnConfiguration", QT_TRANSLATE_NOOP("TTirisAppForm", "システムパラメータ..."), T, "", I, false, false},

    {"Help1", "MainMenu1", "Help", L, "", M, false, false},
    {"HelpAboutItem", "Help1", "Version(&A)...", L, "", I, false, false},
    {"Language1", "Help1", QT_TRANSLATE_NOOP("TTirisAppForm", "言語"), T, "", M, false, false},
    {"MnSetLanguage_JPN", "Language1", QT_TRANSLATE_NOOP("TTirisAppForm", "日本語"), T, "", I, false, true},
    {"MnSetLanguage_ENU", "Language1", QT_TRANSLATE_NOOP("TTirisAppForm", "英語"), T, "", I, false, true},

    {"PopupMenu1", "", "", L, "", R, false, false},
    {"MnGridClear", "PopupMenu1", QT_TRANSLATE_NOOP("TTirisAppForm", "クリア"), T, "F9", I, false, false},
    // Repeats nothing: kept hidden with its key, as the window always had it.
    {"MnLastCommand", "PopupMenu1", "直前コマンド実行", L, "F5", I, true, false},

    {"ToolBar1", "", "", L, "", R, false, false},
    {"TB_TEST2", "ToolBar1", "Read Loop Mode", L, "", B, false, true},
    {"TB_TEST3", "ToolBar1", "Command Mode", L, "", B, false, true},
    {"ToolButton1", "ToolBar1", "", L, "", B, false, false},
    {"ToolButton2", "ToolBar1", "", L, "", B, false, false},
    {"ToolButton3", "ToolBar1", "-", L, "", S, false, false},
    {"CBAnimalID", "ToolBar1", "Animal ID", L, "", C, false, true},
};
// clang-format on

const std::vector<std::string> kCommandMenus = {"MnHDXTag",  "MnTIRIS1",       "SIC2791",
                                                "ISO142231", "FDX1",           "MnAnimalID",
                                                "MnCmd3",    "MnConfiguration"};

const std::vector<std::string> kHiddenAtCreation = {
    "LED1",         "MnParaSet1",  "EEPROMRead1",    "EEPROMWrite1", "RDInfo1",
    "N1",           "STPROGMODE1", "MnSetBuz",       "N18",          "N15",
    "MnSetComPara", "MnBuzTest",   "MnRestart",      "MnGetROMVer",  "MnGetModelName",
    "N3",           "N6",          "WriteCtune1",    "ISO142231",    "ReadSIC7888Configuration1",
    "MnSetMode",    "N2",          "SIC7888TagData1"};

const std::vector<std::string> kReaderLevelItems = {"SIC7888READBLOCK21",
                                                    "FecavaID1",
                                                    "FecavaIDread1",
                                                    "SIC7888WriteBlock21",
                                                    "MnWriteAndProgramCmd2",
                                                    "MnGeneralReadPageCmd2",
                                                    "EM43051"};

std::string StripAccelerator(const std::string& caption) {
  std::string s;
  for (size_t i = 0; i < caption.size(); ++i) {
    // "(&X)" after the text names the key only; "&&" is a literal ampersand.
    if (caption.compare(i, 2, "(&") == 0 && i + 3 < caption.size() && caption[i + 3] == ')') {
      i += 3;
      continue;
    }
    if (caption[i] == '&' && i + 1 < caption.size()) {
      if (caption[i + 1] == '&') {
        s.push_back('&');
        ++i;
      }
      continue;
    }
    s.push_back(caption[i]);
  }
  return s;
}

}  // namespace

const std::vector<MenuItemDef>& MenuTable() {
  return kTable;
}

std::string MenuCaption(const MenuItemDef& def) {
  return def.translate ? Tr("TTirisAppForm", def.caption) : std::string(def.caption);
}

MenuModel::MenuModel() {
  items_.reserve(kTable.size());
  for (const MenuItemDef& d : kTable) {
    State s;
    s.def = &d;
    s.caption = MenuCaption(d);
    s.visible = !d.hidden;
    index_[d.name] = items_.size();
    items_.push_back(std::move(s));
  }
  // The tool buttons' captions and hints come from the message catalogue.
  SetCaption("TB_TEST2", LoadMessage(Msg::ReadLoopModeMsg));
  SetHint("TB_TEST2", LoadMessage(Msg::ReadLoopModeMsg));
  SetCaption("TB_TEST3", LoadMessage(Msg::CommandModeMsg));
  SetHint("TB_TEST3", LoadMessage(Msg::CommandModeMsg));
}

const MenuModel::State& MenuModel::Get(const std::string& name) const {
  auto it = index_.find(name);
  if (it == index_.end()) throw std::logic_error("no menu component named " + name);
  return items_[it->second];
}

MenuModel::State& MenuModel::Mutable(const std::string& name) {
  return const_cast<State&>(static_cast<const MenuModel*>(this)->Get(name));
}

std::string MenuModel::Hint(const std::string& name) const {
  const State& s = Get(name);
  return s.hint.empty() ? StripAccelerator(s.caption) : s.hint;
}

bool MenuModel::Enabled(const std::string& name) const {
  const State& s = Get(name);
  const bool needsHandler = s.def->kind == MenuKind::Item || s.def->kind == MenuKind::ToolButton;
  return s.enabled && (!needsHandler || s.hasHandler);
}

void MenuModel::SetVisible(const std::string& name, bool visible) {
  State& s = Mutable(name);
  if (s.visible == visible) return;
  s.visible = visible;
  Notify(name);
}

void MenuModel::SetEnabled(const std::string& name, bool enabled) {
  State& s = Mutable(name);
  if (s.enabled == enabled) return;
  s.enabled = enabled;
  Notify(name);
}

void MenuModel::SetChecked(const std::string& name, bool checked) {
  State& s = Mutable(name);
  if (s.checked == checked) return;
  s.checked = checked;
  Notify(name);
}

void MenuModel::SetCaption(const std::string& name, const std::string& caption) {
  State& s = Mutable(name);
  if (s.caption == caption) return;
  s.caption = caption;
  Notify(name);
}

void MenuModel::SetHint(const std::string& name, const std::string& hint) {
  State& s = Mutable(name);
  if (s.hint == hint) return;
  s.hint = hint;
  Notify(name);
}

void MenuModel::SetHandlerPresent(const std::string& name, bool present) {
  State& s = Mutable(name);
  if (s.hasHandler == present) return;
  s.hasHandler = present;
  Notify(name);
}

bool MenuModel::ShortcutLive(const std::string& name) const {
  if (!Has(name) || !Enabled(name)) return false;
  for (std::string p = Get(name).def->parent; !p.empty(); p = Get(p).def->parent)
    if (!Enabled(p)) return false;
  return true;
}

const std::vector<std::string>& CommandMenuNames() {
  return kCommandMenus;
}
const std::vector<std::string>& ReaderLevelItemNames() {
  return kReaderLevelItems;
}

void SetCommandMenusEnabled(MenuModel& m, bool enabled) {
  for (const std::string& n : kCommandMenus) m.SetEnabled(n, enabled);
  m.SetEnabled("CBAnimalID", enabled);
}

void ApplyReaderLevel(MenuModel& m, int level) {
  const bool shown = level == 2 || level == 3;
  for (const std::string& n : kReaderLevelItems) m.SetVisible(n, shown);
  if (level == 2) m.SetVisible("EM43051", false);
}

void ApplyAnimalIdBox(MenuModel& m, bool ticked, int fHDXP) {
  if (ticked) {
    for (const char* n : {"MnHDXTag", "MnTIRIS1", "SIC2791", "ISO142231", "FDX1", "MnCmdTest",
                          "PWMDuty1", "SystemParameter1", "EM43051", "LFON1"})
      m.SetVisible(n, false);
    m.SetVisible("MnAnimalID", true);
  } else {
    // MnCmdTest, PWMDuty1 and SystemParameter1 are not shown again.
    for (const char* n : {"MnHDXTag", "MnTIRIS1", "SIC2791", "FDX1", "EM43051", "LFON1"})
      m.SetVisible(n, true);
    m.SetVisible("ISO142231", fHDXP != 0);
    m.SetVisible("MnAnimalID", false);
  }
}

void SetModeButtons(MenuModel& m, bool readLoopDown, bool commandDown) {
  m.SetChecked("TB_TEST2", readLoopDown);
  m.SetChecked("TB_TEST3", commandDown);
}

void ApplyCreationRules(MenuModel& m, int fHDXP) {
  // Step 8: the check box cleared and applied, then hidden.
  m.SetChecked("CBAnimalID", false);
  ApplyAnimalIdBox(m, false, fHDXP);
  m.SetVisible("CBAnimalID", false);
  // Step 9.
  SetModeButtons(m, false, false);
  SetCommandMenusEnabled(m, false);
  // Step 10.
  for (const std::string& n : kHiddenAtCreation) m.SetVisible(n, false);
  m.SetEnabled("ISO142231", false);
  m.SetCaption("MnSetTestMode1", LoadMessage(Msg::ReadLoopModeMsg));
  m.SetCaption("MnSetTestMode3", LoadMessage(Msg::CommandModeMsg));
  for (const char* n : {"ToolButton1", "ToolButton2", "ToolButton3"}) m.SetVisible(n, false);
}
