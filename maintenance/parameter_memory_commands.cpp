#include "maintenance/parameter_memory_commands.h"

#include <algorithm>
#include <vector>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "link/command_codes.h"
#include "maintenance/flash_set_dlg.h"
#include "maintenance/module_words.h"
#include "maintenance/reader_commands.h"
#include "prompts/prompt_dialogs.h"

namespace mw = module_words;

namespace {

constexpr int kParameterWords = 22;
constexpr int kWriteTestRounds = 100;

// Start and count of the EEPROM prompts: each travels as one byte.
bool FitsByte(int64_t v) {
  return v >= 0 && v <= 0xFF;
}

}  // namespace

ParameterMemoryCommands::ParameterMemoryCommands(AppCore& app) : app_(app) {
  app.Link();  // no module, no command: refused before any dialog opens
}

void ParameterMemoryCommands::MnParaSet1Click() {
  std::vector<uint16_t> read;
  if (!ReadModuleWords(app_, 1, kParameterWords, read)) return;
  ParameterWords words{};
  std::copy(read.begin(), read.end(), words.begin());
  PromptForm form = MakeFlashSet1Dlg(app_.Settings.IDKey);
  SetParameterWords(form, words);
  if (!app_.Prompt().Show(form)) return;
  const ParameterWords out = GetParameterWords(form, words);
  std::vector<uint8_t> data = {cmd::ParameterWordWrite, 0x01, kParameterWords};
  for (uint16_t w : out) {
    data.push_back(mw::Lo(w));
    data.push_back(mw::Hi(w));
  }
  // Not awaited: the answer shows only in the link's frame log.
  app_.Link().SendCommand(data);
}

void ParameterMemoryCommands::SystemParameter1Click() {
  TTirisC1Dlg& comm = app_.Link();
  Response out{};
  if (!comm.Exchange({cmd::SystemParameterRead, 0x00}, out)) return;
  if (!mw::HasBytes(out, 2)) {
    LogShortResponse(app_);
    return;
  }
  PromptForm form = MakeFlashSet1Dlg(app_.Settings.IDKey);
  SetSystemFlags(form, mw::Byte(out, 2));
  ShowSystemFlagsOnly(form);
  if (!app_.Prompt().Show(form)) return;
  app_.LogOkNg(comm.Exchange({cmd::SystemParameterWrite, 0x00, GetSystemFlags(form)}, out),
               LoadMessage(Msg::SetSystemParameterMsg));
}

namespace {
std::optional<Inp3Data1Answer> AskStartAndCount(AppCore& app, int64_t count) {
  return ShowInp3Data1Dlg(app.Prompt(), LoadMessage(Msg::ReadEEPROMDataMsg),
                          {.label = LoadMessage(Msg::StartMsg), .value = 1, .min = 0, .max = 255},
                          {.label = LoadMessage(Msg::EndMsg), .value = count, .min = 0, .max = 255},
                          {.visible = false});
}
}  // namespace

void ParameterMemoryCommands::EEPROMRead1Click() {
  auto r = AskStartAndCount(app_, kParameterWords);
  if (!r) return;
  if (!FitsByte(r->IntEd1) || !FitsByte(r->IntEd2)) {
    LogInvalidValue(app_);
    return;
  }
  Response out{};
  // The "End" value is the number of words; the answer shows only in the frame log.
  app_.Link().Exchange(
      {cmd::ParameterWordRead, static_cast<uint8_t>(r->IntEd1), static_cast<uint8_t>(r->IntEd2)},
      out);
}

void ParameterMemoryCommands::EEPROMWrite1Click() {
  TTirisC1Dlg& comm = app_.Link();
  auto r = AskStartAndCount(app_, 4);
  if (!r) return;
  if (!FitsByte(r->IntEd1) || !FitsByte(r->IntEd2)) {
    LogInvalidValue(app_);
    return;
  }
  const uint8_t start = static_cast<uint8_t>(r->IntEd1);
  // One write carries at most kMaxWordsPerWrite words; a larger count is cut to that.
  const uint8_t count = static_cast<uint8_t>(std::min<int64_t>(r->IntEd2, mw::kMaxWordsPerWrite));
  const std::vector<uint8_t> pattern = mw::WriteTestBytes(count);
  std::vector<uint8_t> write = {cmd::ParameterWordWrite, start, count};
  write.insert(write.end(), pattern.begin(), pattern.end());

  const std::string error = LoadMessage(Msg::ErrorMsg);
  int succeeded = 0;
  std::vector<int> failedRounds;
  for (int round = 0; succeeded < kWriteTestRounds; ++round) {
    Response out{};
    if (!comm.Exchange(write, out)) {
      app_.LogFailure(error + LoadMessage(Msg::WriteMsg));
      break;
    }
    if (!comm.Exchange({cmd::ParameterWordRead, start, count}, out)) {
      app_.LogFailure(error + LoadMessage(Msg::ReadMsg));
      break;
    }
    // The words follow from response byte 3 on; an answer without all of them differs too.
    bool same = mw::HasBytes(out, 2 + 2 * count);
    for (size_t i = 0; same && i < pattern.size(); ++i)
      same = mw::Byte(out, 3 + static_cast<int>(i)) == pattern[i];
    if (!same) {
      failedRounds.push_back(round);
      app_.LogFailure(error + LoadMessage(Msg::CompareMsg));
      break;
    }
    ReaderCommands(app_).RDInfo1Click();
    ++succeeded;
  }
  app_.AddLog(LoadMessage(Msg::NumberOfTimesMsg) + std::to_string(succeeded));
  for (int round : failedRounds) app_.AddLog(error + std::to_string(round));
}

void RegisterParameterMemoryCommands(HandlerRegistry& r) {
  using PM = ParameterMemoryCommands;
  r.Add("MnParaSet1", [](AppCore& a, const std::string&) { PM(a).MnParaSet1Click(); });
  r.Add("SystemParameter1", [](AppCore& a, const std::string&) { PM(a).SystemParameter1Click(); });
  r.Add("EEPROMRead1", [](AppCore& a, const std::string&) { PM(a).EEPROMRead1Click(); });
  r.Add("EEPROMWrite1", [](AppCore& a, const std::string&) { PM(a).EEPROMWrite1Click(); });
}
