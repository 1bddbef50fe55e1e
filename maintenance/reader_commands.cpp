#include "maintenance/reader_commands.h"

#include <array>
#include <map>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/hex.h"
#include "core/ui_text.h"
#include "link/command_codes.h"
#include "maintenance/action_mode_dlg.h"
#include "maintenance/led_set_dlg.h"
#include "maintenance/module_words.h"
#include "prompts/prompt_dialogs.h"
#include "prompts/prompts.h"

namespace mw = module_words;

namespace {

// Fixed lines of the older commands; not translated.
constexpr const char* kBuzzerTestLine = "ブザー用テストコマンド : ";
constexpr const char* kGetSwInfo = " : GETSWINFO_CMD";

}  // namespace

ReaderCommands::ReaderCommands(AppCore& app) : app_(app), comm_(app.Link()) {}

bool ReadModuleWords(AppCore& app, uint8_t start, uint8_t count, std::vector<uint16_t>& words) {
  Response out{};
  if (!app.Link().Exchange({cmd::ParameterWordRead, start, count}, out)) return false;
  // Bytes 1-2 repeat start and count; the words follow from byte 3 on.
  if (!mw::HasBytes(out, 2 + 2 * count)) {
    LogShortResponse(app);
    return false;
  }
  words.clear();
  for (int i = 0; i < count; ++i) words.push_back(mw::Word(out, 3 + 2 * i));
  return true;
}

void LogShortResponse(AppCore& app) {
  app.LogFailure(LoadMessage(Msg::ResponseFormatErrorMsg));
}

void LogInvalidValue(AppCore& app) {
  app.LogInputError(LoadMessage(Msg::InvalidValueMsg));
}

// --- LED and buzzer ---

void ReaderCommands::MnLEDTest1Click(const std::string& sender) {
  // Three (mode, time) pairs after the code; the item picks the pattern.
  static const std::map<std::string, std::array<uint8_t, 7>> kPatterns = {
      {"MnLEDTest1", {cmd::LedControl, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}},  // green on
      {"MnLEDTest4", {cmd::LedControl, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}},  // red on
      {"MnBlueLED", {cmd::LedControl, 0x03, 0x14, 0x00, 0x00, 0x00, 0x00}},   // blue on
      {"MnLEDTest2", {cmd::LedControl, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},  // all off
      {"MnLEDTest3", {cmd::LedControl, 0x02, 0x19, 0x02, 0x19, 0x02, 0x19}},  // blink
  };
  auto it = kPatterns.find(sender);
  if (it == kPatterns.end()) return;  // not one of the five items
  Response out{};
  app_.LogOkNg(comm_.Exchange(it->second, out), LoadMessage(Msg::LEDTestCommandMsg));
}

void ReaderCommands::MnLEDSet1Click() {
  auto leds = ShowLDESet1Dlg(app_.Prompt());
  if (!leds) return;
  const auto& l = *leds;
  Response out{};
  app_.LogOkNg(comm_.Exchange({cmd::LedControl, l[0], l[1], l[2], l[3]}, out),
               LoadMessage(Msg::LEDTestCommandMsg));
}

void ReaderCommands::Buzzer(uint8_t reply, uint8_t sound) {
  if (reply == 0) {
    comm_.SendCommand({cmd::Buzzer, reply, sound});  // the module does not answer
    return;
  }
  Response out{};
  const bool ok = comm_.Exchange({cmd::Buzzer, reply, sound}, out);
  app_.LogResultLine(ok, std::string(kBuzzerTestLine) + (ok ? "OK" : LoadMessage(Msg::NGMsg)));
}

void ReaderCommands::BUZTest1Click() {
  auto r = ShowInp3Data2Dlg(
      app_.Prompt(), Tr("TInp3Data2Dlg", "ブザー音の指定(0:OFF,255:連続)"),
      {.label = Tr("TInp3Data2Dlg", "返信(1:あり)"), .value = 1, .min = 0, .max = 1},
      {.label = Tr("TInp3Data2Dlg", "ブザー音(0-8, 255)"), .value = 1, .min = 0, .max = 255},
      {.label = "", .text = "", .visible = false});
  if (!r) return;
  // Each value goes out as its low byte.
  Buzzer(static_cast<uint8_t>(r->IntEd1 & 0xFF), static_cast<uint8_t>(r->IntEd2 & 0xFF));
}

void ReaderCommands::MnBuzContONClick() {
  Buzzer(1, 0xFF);
}

void ReaderCommands::MnBuzOFFClick() {
  Buzzer(1, 0x00);
}

// --- Queries and plain commands ---

void ReaderCommands::MnGetROMVerClick() {
  Response out{};
  if (!comm_.Exchange({cmd::RomVersion}, out)) {
    app_.LogOkNg(false, LoadMessage(Msg::GetROMVersionCommandMsg));
    return;
  }
  app_.LogOkNg(true, LoadMessage(Msg::GetROMVersionCommandMsg));
  app_.AddLog(LoadMessage(Msg::ROMVersion) + ResponseText(out, 2, out[0]));
}

void ReaderCommands::MnGetModelNameClick() {
  Response out{};
  if (!comm_.Exchange({cmd::ModelName}, out)) {
    app_.LogOkNg(false, LoadMessage(Msg::GetModelNameCommandMsg));
    return;
  }
  app_.LogOkNg(true, LoadMessage(Msg::GetModelNameCommandMsg));
  app_.AddLog(LoadMessage(Msg::ModelNameMsg) + ResponseText(out, 2, out[0]));
}

bool ReaderCommands::MnRestartClick() {
  Response out{};
  const bool ok = comm_.Exchange({cmd::Restart}, out);
  app_.LogOkNg(ok, LoadMessage(Msg::RestartCommandMsg));
  return ok;
}

void ReaderCommands::Flash1Click() {
  // The module's whole parameter memory goes back to its factory values: asked first, No the
  // default.
  if (!app_.Prompt().Confirm(Tr("TTirisAppForm",
                                "モジュールのEEPROMの設定をすべて初期値に戻します。元には戻せません"
                                "。よろしいですか？"),
                             LoadMessage(Msg::FlashDataInitializationCommandMsg),
                             ConfirmButtons::YesNo))
    return;
  Response out{};
  app_.LogOkNg(comm_.Exchange({cmd::EepromInitialisation}, out),
               LoadMessage(Msg::FlashDataInitializationCommandMsg));
}

void ReaderCommands::RDInfo1Click() {
  Response out{};
  // Bytes 1-2 the flash write position, byte 3 the initialisation flag: an ACK without them
  // is a failure too.
  if (!comm_.Exchange({cmd::SoftwareInfo}, out) || !mw::HasBytes(out, 3)) {
    app_.LogResultLine(false, LoadMessage(Msg::NGMsg) + kGetSwInfo);
    return;
  }
  app_.AddLog(LoadMessage(Msg::FlashWrPos0xmsg) + hex::Number(mw::Word(out, 1), 4));
  app_.AddLog(LoadMessage(Msg::FlashInitFlagMsg) + std::to_string(mw::Byte(out, 3)));
  app_.LogResultLine(true, std::string("OK") + kGetSwInfo);
}

void ReaderCommands::STPROGMODE1Click() {
  Response out{};
  if (!comm_.Exchange({cmd::StProgMode}, out)) return;
  // The text ends one byte before the end of the data (the module's terminator).
  app_.AddLog(ResponseText(out, 2, out[0] - 1));
}

void ReaderCommands::ActionMode1Click() {
  auto choice = ShowSetDousaModeDlg(app_.Prompt());
  if (!choice) return;
  comm_.SendActionModeSet(choice->mode, choice->save);  // not awaited
}

// --- LF carrier ---

void ReaderCommands::LFON1Click() {
  auto r = ShowInputIntDlg2(app_.Prompt(), LoadMessage(Msg::LFONCommandMsg),
                            {.label = LoadMessage(Msg::EnterLFONTimeMax5000msMsg),
                             .value = 3000,
                             .min = 0,
                             .max = 10000,
                             .limit = false},
                            LoadMessage(Msg::EnterLFONTimeMax5000msMsg2));
  if (!r) return;
  uint8_t mode = 0;
  uint16_t time = 0;
  if (r->mode == 1) mode = 1;
  if (r->mode == 2) {
    // The time travels in 16 bits; a typed value beyond them is refused, not wrapped.
    if (r->value < 0 || r->value > 0xFFFF) {
      LogInvalidValue(app_);
      return;
    }
    mode = 3;
    time = static_cast<uint16_t>(r->value);
  }
  Response out{};
  app_.LogResult(comm_.SendLfControl(mode, time, out), "LF ON");
}

void ReaderCommands::ON1Click() {
  Response out{};
  app_.LogResult(comm_.SendLfControl(1, 0, out), "LF_ON");
}

void ReaderCommands::OFF1Click() {
  Response out{};
  app_.LogResult(comm_.SendLfControl(0, 0, out), "LF_OFF");
}

// --- Registration ---

void RegisterReaderCommands(HandlerRegistry& r) {
  using RC = ReaderCommands;
  auto add = [&r](const char* item, void (RC::*fn)()) {
    r.Add(item, [fn](AppCore& a, const std::string&) { (RC(a).*fn)(); });
  };
  auto addSender = [&r](const char* item, void (RC::*fn)(const std::string&)) {
    r.Add(item, [fn](AppCore& a, const std::string& sender) { (RC(a).*fn)(sender); });
  };
  for (const char* item : {"MnLEDTest1", "MnLEDTest4", "MnBlueLED", "MnLEDTest2", "MnLEDTest3"})
    addSender(item, &RC::MnLEDTest1Click);
  add("MnLEDSet1", &RC::MnLEDSet1Click);
  add("BUZTest1", &RC::BUZTest1Click);
  add("MnBuzContON", &RC::MnBuzContONClick);
  add("MnBuzOFF", &RC::MnBuzOFFClick);
  r.Add("MnRestart", [](AppCore& a, const std::string&) { RC(a).MnRestartClick(); });
  add("LFON1", &RC::LFON1Click);
  add("MnGetROMVer", &RC::MnGetROMVerClick);
  add("MnGetModelName", &RC::MnGetModelNameClick);
  add("MnSetBuz", &RC::MnSetBuzClick);
  for (const char* item : {"MnDisBuz", "MnEnBuz"}) addSender(item, &RC::MnEnBuzClick);
  for (const char* item :
       {"Mnset9600bps1", "Mnset192kbps1", "Mnset384kbps1", "Mnset576kbps1", "Mnset1152kbps1"})
    addSender(item, &RC::Mnset9600bps1Click);
  add("Flash1", &RC::Flash1Click);
  add("RDInfo1", &RC::RDInfo1Click);
  add("STPROGMODE1", &RC::STPROGMODE1Click);
  add("COMSpeed1", &RC::COMSpeed1Click);
  add("ActionMode1", &RC::ActionMode1Click);
  add("PWMDuty1", &RC::PWMDuty1Click);
  add("ON1", &RC::ON1Click);
  add("OFF1", &RC::OFF1Click);
  add("ToolButton1", &RC::ToolButton1Click);
  add("ToolButton2", &RC::ToolButton2Click);
}
