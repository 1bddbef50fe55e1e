#include "app/app_core.h"

#include "app/lf_level_restore.h"

#include <stdexcept>

#include "codec/animal_id.h"
#include "core/hex.h"
#include "core/ini_file.h"
#include "core/ui_text.h"
#include "link/command_codes.h"
#include "prompts/prompts.h"

AppCore::AppCore(LogPane& log, Prompts& prompts, std::string settingsPath)
    : log_(log), prompts_(prompts), settingsPath_(std::move(settingsPath)) {}

AppCore::~AppCore() = default;

files::Error AppCore::LoadSettings() {
  files::Error error;
  Settings = LoadOptionSettingsFile(settingsPath_, MessageLanguage(), &error);
  return error;
}

bool AppCore::SaveSettings() {
  return SaveOptionSettings(settingsPath_, Settings, MessageLanguage());
}

TTirisC1Dlg& AppCore::CreateComm() {
  SetComm(std::make_unique<TTirisC1Dlg>(settingsPath_, &log_));
  return *comm_;
}

TTirisC1Dlg& AppCore::Link() {
  if (!comm_)
    throw std::runtime_error(
        Tr("AppCore", "ポートが開いていません。「COM Port...」でポートを開いてください"));
  return *comm_;
}

void AppCore::CloseComm() {
  if (!comm_) return;
  comm_->CloseModule();
  comm_.reset();
  RomVersion.clear();
  ModelName.clear();
}

void AppCore::SetComm(std::unique_ptr<TTirisC1Dlg> comm) {
  comm_ = std::move(comm);
  RomVersion.clear();
  ModelName.clear();
  if (!comm_) return;
  comm_->OnPortLost = [this](const std::string& port) {
    if (OnPortLost) OnPortLost(port);
  };
  comm_->AnimalIdDisplay = animalId_;
  comm_->OnFault = [this](LinkFault fault, const std::string& line) {
    outcome_.Fault(fault, line);
  };
}

void AppCore::AddLog(const std::string& line) {
  AppendLogLine(log_, line);
}

std::string AppCore::LogResult(bool ok, const std::string& name) {
  const std::string text = (ok ? std::string("OK") : LoadMessage(Msg::NGMsg)) + ": " + name + " " +
                           LoadMessage(Msg::commandMsg);
  LogResultLine(ok, text);
  return text;
}

void AppCore::LogOkNg(bool ok, const std::string& text) {
  LogResultLine(ok, (ok ? std::string("OK") : LoadMessage(Msg::NGMsg)) + ": " + text);
}

void AppCore::LogResultLine(bool ok, const std::string& line) {
  AddLog(line);
  outcome_.Result(ok, line);
}

void AppCore::LogFailure(const std::string& line) {
  AddLog(line);
  outcome_.Result(false, line);
}

void AppCore::LogInputError(const std::string& line) {
  AddLog(line);
  outcome_.InputError(line);
}

void AppCore::ReportStatus(const std::string& dialog, const std::string& panel,
                           const std::string& text, std::optional<bool> ok) {
  outcome_.Status(dialog, panel, text, ok);
}

void AppCore::ReportMessage(const std::string& text, const std::string& caption, bool ok,
                            MessageIcon icon) {
  outcome_.Result(ok, text);
  switch (icon) {
    case MessageIcon::Information:
      prompts_.Message(text, caption);
      return;
    case MessageIcon::Warning:
      prompts_.Warning(text, caption);
      return;
    case MessageIcon::Error:
      prompts_.Error(text, caption);
      return;
  }
}

void AppCore::LogTagType(uint8_t typeByte) {
  AddLog("Tag Type: " + TagTypeLabel(typeByte));
}

void AppCore::LogAnimalId(std::span<const uint8_t, 8> id) {
  for (const std::string& line : fdx::AnimalIdLines(id, fdx::DisplayModeOf(Settings.fReadAnimalID)))
    AddLog(line);
}

void AppCore::SetAnimalIdDisplay(bool on) {
  animalId_ = on;
  if (comm_) comm_->AnimalIdDisplay = on;
}

std::string ResponseText(const Response& r, int first, int last) {
  std::string s;
  for (int i = first; i <= last && i >= 1 && i <= r[0]; ++i) {
    const uint8_t c = r[static_cast<size_t>(i)];
    // One character per byte; bytes above 0x7F are taken as Latin-1 so the text stays UTF-8.
    if (c < 0x80) {
      s.push_back(static_cast<char>(c));
    } else {
      s.push_back(static_cast<char>(0xC0 | (c >> 6)));
      s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return s;
}

bool AppCore::IdentifyReader() {
  TTirisC1Dlg* comm = Comm();
  if (!comm) return false;
  const bool tx = comm->LogTxFrames(), rx = comm->LogRxFrames();
  comm->SetLogTxFrames(false);
  comm->SetLogRxFrames(false);
  auto restore = [&] {
    comm->SetLogTxFrames(tx);
    comm->SetLogRxFrames(rx);
  };
  Response out{};
  comm->SendActionModeSet(4, 0);
  if (!comm->AwaitResponse(out)) {
    restore();
    return false;
  }
  if (!comm->Exchange({cmd::RomVersion}, out)) {
    restore();
    return false;
  }
  // Response data byte 0 is the echo; the version follows (out[2] .. out[LEN]).
  const std::string version = ResponseText(out, 2, out[0]);
  const std::string text = "ROM Version: " + version;
  if (text == "ROM Version: 1010LFS00") ReaderLevel = 1;
  if (text == "ROM Version: 1020LFS00") ReaderLevel = 2;
  if (text == "ROM Version: 1100LFS00") ReaderLevel = 3;
  if (OnReaderLevel) OnReaderLevel(ReaderLevel);
  AddLog(text);
  RomVersion = version;
  ModelName.clear();
  const bool model = comm->Exchange({cmd::ModelName}, out);
  if (model) ModelName = ResponseText(out, 2, out[0]);
  if (model) AddLog(LoadMessage(Msg::ModelNameMsg) + ModelName);
  // A reader check that could not give the LF level back (the port vanished) does it now.
  if (model) lf_level_restore::RestoreAfterOpen(*this);
  restore();
  return model;
}

void AppCore::StartExecutionTimer() {
  if (Settings.fTimeOut != 0) execTimer_.start();
}

void AppCore::LogExecutionTime() {
  if (Settings.fTimeOut == 0) return;
  AddLog(LoadMessage(Msg::ExecutionTimeMsg) + std::to_string(execTimer_.elapsed()) + "ms");
}

void AppCore::Sleep(uint32_t ms) {
  if (sleeper_) return sleeper_(ms);
  TTirisC1Dlg::PumpFor(ms);
}
