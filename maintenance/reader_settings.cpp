// The module settings that are read, changed and written back: buzzer frequency, the buzzer in
// test read mode, the serial speed (through the configuration word or the system parameter)
// and the LF transmission level.
#include <map>

#include "app/app_core.h"
#include "core/ui_text.h"
#include "link/command_codes.h"
#include "maintenance/module_words.h"
#include "maintenance/reader_commands.h"
#include "prompts/prompt_dialogs.h"

namespace mw = module_words;

namespace {

// Fixed lines of the older commands; not translated.
constexpr const char* kFrequencySet = "周波数設定 : ";
constexpr const char* kSetBuzzer = " : Set Buzzer";
constexpr const char* kSetComSpeed = " : Set COM Speed";

// Writes one word with 0E address 01 lo hi; true on ACK.
bool WriteWord(TTirisC1Dlg& comm, uint8_t address, uint16_t value) {
  Response out{};
  return comm.Exchange({cmd::ParameterWordWrite, address, 0x01, mw::Lo(value), mw::Hi(value)}, out);
}

bool FitsWord(int64_t v) {
  return v >= 0 && v <= 0xFFFF;
}

}  // namespace

void ReaderCommands::MnSetBuzClick() {
  std::vector<uint16_t> words;
  if (!ReadModuleWords(app_, mw::kBuzzerWord, 1, words)) return;
  const uint16_t frequency = words[0];
  app_.AddLog(std::to_string(frequency) + "Hz");
  auto value =
      ShowInputIntDlg(app_.Prompt(), Tr("TInputIntDlg", "周波数の設定"),
                      {.label = Tr("TInputIntDlg", "周波数を設定してください。(1500Hz or 4000Hz)"),
                       .value = frequency,
                       .min = 0,
                       .max = 65535});
  if (!value) return;
  if (!FitsWord(*value)) {
    LogInvalidValue(app_);
    return;
  }
  if (WriteWord(comm_, mw::kBuzzerWord, static_cast<uint16_t>(*value))) {
    MnRestartClick();
    app_.LogResultLine(true, std::string(kFrequencySet) + "OK");
  } else {
    app_.LogResultLine(false, std::string(kFrequencySet) + LoadMessage(Msg::NGMsg));
  }
}

void ReaderCommands::MnEnBuzClick(const std::string& sender) {
  if (sender != "MnEnBuz" && sender != "MnDisBuz") return;
  std::vector<uint16_t> words;
  if (!ReadModuleWords(app_, mw::kConfigWord, 1, words)) return;
  const uint16_t w = mw::WithTestModeBuzzer(words[0], sender == "MnEnBuz");
  if (WriteWord(comm_, mw::kConfigWord, w)) {
    MnRestartClick();
    app_.LogResultLine(true, std::string("OK") + kSetBuzzer);
  } else {
    app_.LogResultLine(false, LoadMessage(Msg::NGMsg) + kSetBuzzer);
  }
}

void ReaderCommands::Mnset9600bps1Click(const std::string& sender) {
  static const std::map<std::string, int> kCodes = {{"Mnset9600bps1", 0},
                                                    {"Mnset192kbps1", 1},
                                                    {"Mnset384kbps1", 2},
                                                    {"Mnset576kbps1", 3},
                                                    {"Mnset1152kbps1", 4}};
  auto it = kCodes.find(sender);
  if (it == kCodes.end()) return;
  const int code = it->second;
  std::vector<uint16_t> words;
  if (!ReadModuleWords(app_, mw::kConfigWord, 1, words)) return;
  if (!WriteWord(comm_, mw::kConfigWord, mw::WithSpeedCode(words[0], code))) {
    app_.LogResultLine(false, LoadMessage(Msg::NGMsg) + kSetComSpeed);
    return;
  }
  MnRestartClick();
  app_.Sleep(500);  // the module comes back at its new speed
  comm_.SetBaudRate(mw::RateOfSpeedCode(code));
  app_.LogResultLine(true, std::string("OK") + kSetComSpeed);
}

void ReaderCommands::COMSpeed1Click() {
  Response out{};
  if (!comm_.Exchange({cmd::SystemParameterRead, 0x01}, out)) return;
  if (!mw::HasBytes(out, 2)) {
    LogShortResponse(app_);
    return;
  }
  const int current = mw::Byte(out, 2);
  const auto& items = mw::SpeedItems();
  auto chosen = ShowSelInp1Dlg(app_.Prompt(), LoadMessage(Msg::SelectCOMSpeedMsg),
                               LoadMessage(Msg::COMSpeedMsg),
                               std::vector<std::string>(items.begin(), items.end()), current);
  if (!chosen) return;
  // OK with no item selected (a text typed into the list that is no speed) names no speed.
  if (*chosen < 0 || *chosen >= mw::kSpeedCodes) {
    LogInvalidValue(app_);
    return;
  }
  const uint8_t index = static_cast<uint8_t>(*chosen);
  if (!comm_.Exchange({cmd::SystemParameterWrite, 0x01, index}, out)) {
    app_.LogOkNg(false, LoadMessage(Msg::SetCOMSpeedMsg));
    return;
  }
  TTirisC1Dlg::ProcessPendingEvents();
  const bool restarted = comm_.Exchange({cmd::Restart}, out);
  TTirisC1Dlg::ProcessPendingEvents();
  if (restarted) comm_.SetBaudRate(mw::RateOfSpeedCode(index));
  app_.LogOkNg(restarted, LoadMessage(Msg::SetCOMSpeedMsg));
}

void ReaderCommands::PWMDuty1Click() {
  Response out{};
  if (!comm_.Exchange({cmd::SystemParameterRead, 0x02}, out)) return;
  if (!mw::HasBytes(out, 3)) {
    LogShortResponse(app_);
    return;
  }
  auto level = ShowInputIntDlg(app_.Prompt(), LoadMessage(Msg::PWMDutyMsg),
                               {.label = LoadMessage(Msg::PleaseSetPWMDutyMsg),
                                .value = mw::Word(out, 2),
                                .min = 1,
                                .max = 50,
                                .limit = false});
  if (!level) return;
  // Values above 50 go to the module as typed; only what 16 bits cannot hold is refused.
  if (!FitsWord(*level)) {
    LogInvalidValue(app_);
    return;
  }
  const uint16_t v = static_cast<uint16_t>(*level);
  app_.LogOkNg(comm_.Exchange({cmd::SystemParameterWrite, 0x02, mw::Lo(v), mw::Hi(v)}, out),
               LoadMessage(Msg::SetPWMDutyMsg));
}
