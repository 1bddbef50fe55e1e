#include "shell/menu_tree.h"

#include <QtGlobal>
#include <stdexcept>

#include "core/messages.h"
#include "core/ui_text.h"

namespace {

// One row per component. Unnamed fields keep their defaults: no translation (the caption reads the
// same in both languages), no shortcut, an item, shown, without a tick.
// clang-format off
const std::vector<MenuItemDef> kTable = {
    {.name = "MainMenu1", .parent = "", .kind = MenuKind::Root},
    {.name = "File1", .parent = "MainMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "ファイル"), .translate = true, .kind = MenuKind::Menu, .mnemonic = 'F'},
    {.name = "FileExitItem", .parent = "File1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "終了(&X)"), .translate = true},

    {.name = "MnHDXTag", .parent = "MainMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "HDXタグ"), .translate = true, .kind = MenuKind::Menu, .mnemonic = 'D'},
    {.name = "IDRead3", .parent = "MnHDXTag", .caption = "IDRead(HDX+FDX)"},
    {.name = "MnTIRIS1", .parent = "MnHDXTag", .caption = "TIRIS", .kind = MenuKind::Menu},
    {.name = "MnChargeOnlyReadCmd1", .parent = "MnTIRIS1", .caption = "ChargeOnlyReadCmd", .shortcut = "Ctrl+F1"},
    {.name = "MNWriteAndProgramCmd1", .parent = "MnTIRIS1", .caption = "WriteAndProgramCmd...", .shortcut = "Ctrl+F2"},
    {.name = "MnGeneralReadPageCmd", .parent = "MnTIRIS1", .caption = "GeneralReadPageCmd..."},
    {.name = "MnProgramPageCmd", .parent = "MnTIRIS1", .caption = "ProgramPageCmd..."},
    {.name = "MnLockPageCmd", .parent = "MnTIRIS1", .caption = "LockPageCmd..."},
    {.name = "MnGeneralReadPageCmd2", .parent = "MnTIRIS1", .caption = "GeneralReadPageCmd2"},
    {.name = "MnWriteAndProgramCmd2", .parent = "MnTIRIS1", .caption = "WriteAndProgramCmd2..."},
    {.name = "MPTDataWrite1", .parent = "MnTIRIS1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "MPT書込み"), .translate = true},
    {.name = "SIC2791", .parent = "MnHDXTag", .caption = "SIC279", .kind = MenuKind::Menu},
    {.name = "raceabilitydataRead1", .parent = "SIC2791", .caption = "TraceabilityDataRead"},
    {.name = "ChipConfigRead1", .parent = "SIC2791", .caption = "ChipConfigRead"},
    {.name = "Lockbitreadall1", .parent = "SIC2791", .caption = "LockBitReadAll"},
    {.name = "Lockbitread1", .parent = "SIC2791", .caption = "LockBitRead..."},
    {.name = "Protecteddirectaccess1", .parent = "SIC2791", .caption = "ProtectedDirectAccess..."},
    {.name = "Protectedwrite1", .parent = "SIC2791", .caption = "ProtectedWrite..."},
    {.name = "IDWrite1", .parent = "SIC2791", .caption = "IDWrite..."},
    {.name = "Directaccess1", .parent = "SIC2791", .caption = "Direct access", .hidden = true},
    {.name = "Standardwrite1", .parent = "SIC2791", .caption = "Standard write", .hidden = true},
    {.name = "WriteCtune1", .parent = "SIC2791", .caption = "WriteCtune", .hidden = true},
    {.name = "MnSIC279_IDSetup", .parent = "SIC2791", .caption = "ID Config Setup", .kind = MenuKind::Menu, .hidden = true},
    {.name = "MnSIC279_AnimalIDWrite", .parent = "MnSIC279_IDSetup", .caption = "AnimalID..."},
    {.name = "ISO142231", .parent = "MnHDXTag", .caption = "HDX+", .kind = MenuKind::Menu},
    {.name = "READMULTIPLEBLOCKS1", .parent = "ISO142231", .caption = "READ MULTIPLE BLOCKS"},
    {.name = "LockInfomation1", .parent = "ISO142231", .caption = "Lock Infomation"},
    {.name = "tagData1", .parent = "ISO142231", .caption = "Tag Data"},
    {.name = "MNHDXP_IDWrite2", .parent = "ISO142231", .caption = "IDWrite..."},
    {.name = "MnHDXP_CRCWrite1", .parent = "ISO142231", .caption = "Chip Lock"},
    {.name = "MnHDXP_BlockWrite", .parent = "ISO142231", .caption = "BlockWrite", .hidden = true},
    {.name = "Inventory1", .parent = "ISO142231", .caption = "INVENTORY", .hidden = true},
    {.name = "READUID1", .parent = "ISO142231", .caption = "READ UID", .hidden = true},
    {.name = "STAYQUIET1", .parent = "ISO142231", .caption = "STAY QUIET", .hidden = true},
    {.name = "WRITESINGLEBLOCK1", .parent = "ISO142231", .caption = "WRITE SINGLE BLOCK", .hidden = true},
    {.name = "LOCKBLOCK1", .parent = "ISO142231", .caption = "LOCK BLOCK", .hidden = true},
    {.name = "AnimalIDWrite2", .parent = "ISO142231", .caption = "Animal ID Write..."},
    {.name = "MnSeriesProgramHDX", .parent = "MnHDXTag", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "連番書込み..."), .translate = true},

    {.name = "FDX1", .parent = "MainMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "FDXタグ"), .translate = true, .kind = MenuKind::Menu, .mnemonic = 'X'},
    {.name = "IDRead1", .parent = "FDX1", .caption = "IDRead(FDX)"},
    {.name = "FecavaIDread1", .parent = "FDX1", .caption = "IDRead(FECAVA)"},
    {.name = "SIC78881", .parent = "FDX1", .caption = "SIC7888", .kind = MenuKind::Menu},
    {.name = "raceabilityDataRead2", .parent = "SIC78881", .caption = "TraceabilityDataRead"},
    {.name = "SIC7888GETUID1", .parent = "SIC78881", .caption = "GetUID"},
    {.name = "SIC7888READBLOCK1", .parent = "SIC78881", .caption = "ReadBlock..."},
    {.name = "SIC7888READPAGE1", .parent = "SIC78881", .caption = "ReadPage..."},
    {.name = "SIC7888WRITEBLOCK1", .parent = "SIC78881", .caption = "WriteBlock..."},
    {.name = "SIC7888WRITEPAGE1", .parent = "SIC78881", .caption = "WritePage..."},
    {.name = "SIC7888READBLOCK21", .parent = "SIC78881", .caption = "ReadBlock2..."},
    {.name = "SIC7888WriteBlock21", .parent = "SIC78881", .caption = "WriteBlock2..."},
    {.name = "SIC7888TagData1", .parent = "SIC78881", .caption = "TagData"},
    {.name = "SIC7888IDWrite1", .parent = "SIC78881", .caption = "IDWrite..."},
    // The space before "Configuration" is a no-break space.
    {.name = "ReadSIC7888Configuration1", .parent = "SIC78881", .caption = "Read SIC7888\u00A0Configuration"},
    {.name = "SIC7888READCT1", .parent = "SIC78881", .caption = "READ CT", .hidden = true},
    {.name = "SIC7888WRITECT1", .parent = "SIC78881", .caption = "WRITE CT...", .hidden = true},
    {.name = "IDConfigSetup1", .parent = "SIC78881", .caption = "ID Config Setup", .kind = MenuKind::Menu, .hidden = true},
    {.name = "FecavaID1", .parent = "IDConfigSetup1", .caption = "Fecava ID"},
    {.name = "EMID1", .parent = "IDConfigSetup1", .caption = "EM ID"},
    {.name = "BDE1", .parent = "IDConfigSetup1", .caption = "BDE"},
    {.name = "FDXB1", .parent = "IDConfigSetup1", .caption = "FDX-B", .hidden = true},
    {.name = "EM43051", .parent = "FDX1", .caption = "EM4305", .kind = MenuKind::Menu},
    {.name = "ReadWord1", .parent = "EM43051", .caption = "ReadWord..."},
    {.name = "WriteWord1", .parent = "EM43051", .caption = "WriteWord..."},
    {.name = "Login1", .parent = "EM43051", .caption = "Login..."},
    {.name = "Protect1", .parent = "EM43051", .caption = "Protect..."},
    {.name = "Disable1", .parent = "EM43051", .caption = "Disable"},
    {.name = "LFONOFF1", .parent = "EM43051", .caption = "LF_ONOFF", .kind = MenuKind::Menu},
    {.name = "ON1", .parent = "LFONOFF1", .caption = "ON"},
    {.name = "OFF1", .parent = "LFONOFF1", .caption = "OFF"},
    {.name = "MnSeriesProgramFDX", .parent = "FDX1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "連番書込み..."), .translate = true},

    {.name = "MnAnimalID", .parent = "MainMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "動物ID"), .translate = true, .kind = MenuKind::Menu, .mnemonic = 'A'},
    {.name = "IDRead2", .parent = "MnAnimalID", .caption = "IDRead"},
    {.name = "IDWrite2", .parent = "MnAnimalID", .caption = "IDWrite...", .kind = MenuKind::Menu},
    {.name = "AnimalIDWrite1", .parent = "IDWrite2", .caption = "SIC279..."},
    {.name = "AnimalIDWrite3", .parent = "IDWrite2", .caption = "SIC7888..."},
    {.name = "EM43052", .parent = "IDWrite2", .caption = "EM4305"},
    {.name = "MnSeriesProgramAnimal", .parent = "MnAnimalID", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "連番書込み..."), .translate = true},

    {.name = "MnCmd3", .parent = "MainMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "コマンド"), .translate = true, .kind = MenuKind::Menu, .mnemonic = 'C'},
    {.name = "MnSetMode", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "モードの選択"), .translate = true, .kind = MenuKind::Menu},
    {.name = "MnSetTestMode3", .parent = "MnSetMode", .caption = "Command Mode"},
    {.name = "MnSetTestMode1", .parent = "MnSetMode", .caption = "Read Loop Mode"},
    {.name = "MnSetTestModeFDX", .parent = "MnSetMode", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "テスト読取モード(FDX)"), .translate = true},
    {.name = "MnSetTestModeAnimalID", .parent = "MnSetMode", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "テスト読取モード(動物ID)"), .translate = true},
    {.name = "N2", .parent = "MnCmd3", .caption = "-", .kind = MenuKind::Separator},
    {.name = "LED1", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "LEDテスト"), .translate = true, .kind = MenuKind::Menu},
    {.name = "MnLEDTest1", .parent = "LED1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "緑点灯"), .translate = true},
    {.name = "MnLEDTest4", .parent = "LED1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "赤点灯"), .translate = true},
    {.name = "MnBlueLED", .parent = "LED1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "青点灯"), .translate = true},
    {.name = "MnLEDTest2", .parent = "LED1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "消灯"), .translate = true},
    {.name = "MnLEDTest3", .parent = "LED1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "点滅"), .translate = true},
    {.name = "MnLEDSet1", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "設定..."), .translate = true},
    {.name = "MnBuzTest", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "ブザーテスト"), .translate = true, .kind = MenuKind::Menu},
    {.name = "BUZTest1", .parent = "MnBuzTest", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "ブザーテスト..."), .translate = true},
    {.name = "MnBuzContON", .parent = "MnBuzTest", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "連続ON"), .translate = true},
    {.name = "MnBuzOFF", .parent = "MnBuzTest", .caption = "OFF"},
    {.name = "MnRestart", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "リスタート"), .translate = true},
    {.name = "LFON1", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "LFキャリアON..."), .translate = true},
    {.name = "N1", .parent = "MnCmd3", .caption = "-", .kind = MenuKind::Separator},
    {.name = "MnGetROMVer", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "ROMバージョン"), .translate = true, .shortcut = "Ctrl+Shift+F9"},
    {.name = "MnGetModelName", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "モデル名の取得"), .translate = true, .shortcut = "Ctrl+Shift+F10"},
    {.name = "MnSetBuz", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "ブザー周波数設定..."), .translate = true},
    {.name = "N3", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "テスト読取モード時のブザー"), .translate = true, .kind = MenuKind::Menu},
    {.name = "MnDisBuz", .parent = "N3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "鳴らさない"), .translate = true},
    {.name = "MnEnBuz", .parent = "N3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "鳴らす"), .translate = true},
    {.name = "N6", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "通信スピードの設定"), .translate = true, .kind = MenuKind::Menu},
    {.name = "Mnset9600bps1", .parent = "N6", .caption = "9600bps"},
    {.name = "Mnset192kbps1", .parent = "N6", .caption = "19.2kbps"},
    {.name = "Mnset384kbps1", .parent = "N6", .caption = "38.4kbps"},
    {.name = "Mnset576kbps1", .parent = "N6", .caption = "57.6kbps"},
    {.name = "Mnset1152kbps1", .parent = "N6", .caption = "115.2kbps"},
    {.name = "N15", .parent = "MnCmd3", .caption = "-", .kind = MenuKind::Separator},
    {.name = "Flash1", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "EEPROMの初期化"), .translate = true},
    {.name = "MnParaSet1", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "パラメータ設定..."), .translate = true, .shortcut = "Ctrl+Shift+F3"},
    {.name = "EEPROMRead1", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "EEPROM読取"), .translate = true},
    {.name = "EEPROMWrite1", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "EEPROM書込み"), .translate = true},
    {.name = "RDInfo1", .parent = "MnCmd3", .caption = "RDInfo"},
    {.name = "STPROGMODE1", .parent = "MnCmd3", .caption = "ST_PROG_MODE"},
    {.name = "N18", .parent = "MnCmd3", .caption = "-", .kind = MenuKind::Separator},
    {.name = "MnCmdTest", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "コマンドテストダイアログの表示..."), .translate = true},
    {.name = "MnChkCmd", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "コマンドテスト"), .translate = true, .hidden = true},
    {.name = "MnTgaData", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "タグデータの表示..."), .translate = true},
    {.name = "MnReaderCheck", .parent = "MnCmd3", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "リーダーチェック..."), .translate = true},

    {.name = "MnConfiguration", .parent = "MainMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "設定"), .translate = true, .kind = MenuKind::Menu, .mnemonic = 'O'},
    {.name = "MnSetCOM", .parent = "MnConfiguration", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "COMポート..."), .translate = true},
    {.name = "MnSetComPara", .parent = "MnConfiguration", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "COMパラメータ..."), .translate = true},
    {.name = "COMSpeed1", .parent = "MnConfiguration", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "COM通信スピード..."), .translate = true},
    {.name = "ActionMode1", .parent = "MnConfiguration", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "動作モード..."), .translate = true},
    {.name = "PWMDuty1", .parent = "MnConfiguration", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "LF送信出力..."), .translate = true},
    {.name = "SystemParameter1", .parent = "MnConfiguration", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "システムパラメータ..."), .translate = true},

    {.name = "Help1", .parent = "MainMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "ヘルプ"), .translate = true, .kind = MenuKind::Menu, .mnemonic = 'H'},
    {.name = "HelpAboutItem", .parent = "Help1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "バージョン情報(&A)..."), .translate = true},
    {.name = "Language1", .parent = "Help1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "言語"), .translate = true, .kind = MenuKind::Menu},
    {.name = "MnSetLanguage_JPN", .parent = "Language1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "日本語"), .translate = true, .checkable = true},
    {.name = "MnSetLanguage_ENU", .parent = "Language1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "英語"), .translate = true, .checkable = true},

    {.name = "PopupMenu1", .parent = "", .kind = MenuKind::Root},
    {.name = "MnGridClear", .parent = "PopupMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "クリア"), .translate = true, .shortcut = "F9"},
    // Repeats nothing: kept hidden with its key, as the window always had it.
    {.name = "MnLastCommand", .parent = "PopupMenu1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "直前コマンド実行"), .translate = true, .shortcut = "F5", .hidden = true},

    {.name = "ToolBar1", .parent = "", .kind = MenuKind::Root},
    {.name = "TB_TEST2", .parent = "ToolBar1", .caption = "Read Loop Mode", .kind = MenuKind::ToolButton, .checkable = true},
    {.name = "TB_TEST3", .parent = "ToolBar1", .caption = "Command Mode", .kind = MenuKind::ToolButton, .checkable = true},
    {.name = "ToolButton1", .parent = "ToolBar1", .kind = MenuKind::ToolButton},
    {.name = "ToolButton2", .parent = "ToolBar1", .kind = MenuKind::ToolButton},
    {.name = "ToolButton3", .parent = "ToolBar1", .caption = "-", .kind = MenuKind::Separator},
    {.name = "CBAnimalID", .parent = "ToolBar1", .caption = QT_TRANSLATE_NOOP("TTirisAppForm", "動物ID"), .translate = true, .kind = MenuKind::Check, .checkable = true},
};
// clang-format on

const std::vector<std::string> kCommandMenus = {"MnHDXTag", "MnTIRIS1",   "SIC2791", "ISO142231",
                                                "FDX1",     "MnAnimalID", "MnCmd3"};
// The items of the Configuration menu that talk to the module. The menu itself stays enabled:
// "COM Port..." is the way to a module whatever state the window is in.
const std::vector<std::string> kModuleConfigurationItems = {"COMSpeed1", "ActionMode1", "PWMDuty1",
                                                            "SystemParameter1"};

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

std::string MenuText(const MenuItemDef& def, const std::string& caption) {
  if (def.mnemonic == 0) return caption;
  const char upper = def.mnemonic;
  const char lower = static_cast<char>(upper >= 'A' && upper <= 'Z' ? upper - 'A' + 'a' : upper);
  const size_t at = caption.find_first_of(std::string{upper, lower});
  if (at != std::string::npos) return caption.substr(0, at) + "&" + caption.substr(at);
  return caption + "(&" + upper + ")";
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
  for (const std::string& n : kModuleConfigurationItems) m.SetEnabled(n, enabled);
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
