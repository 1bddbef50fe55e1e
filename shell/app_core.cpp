#include "shell/app_core.h"

#include <stdexcept>

#include "link/hex.h"
#include "shell/ini_file.h"

AppCore::AppCore(LogPane& log, Prompts& prompts, std::string settingsPath)
    : log_(log), prompts_(prompts), settingsPath_(std::move(settingsPath)) {}

AppCore::~AppCore() = default;

void AppCore::LoadSettings() {
  Settings = LoadOptionSettingsFile(settingsPath_, MessageLanguage());
}

bool AppCore::SaveSettings() {
  return SaveOptionSettings(settingsPath_, Settings, MessageLanguage());
}

TTirisC1Dlg& AppCore::CreateComm() {
  comm_ = std::make_unique<TTirisC1Dlg>(settingsPath_, &log_);
  comm_->AnimalIdDisplay = animalId_;
  return *comm_;
}

TTirisC1Dlg& AppCore::Link() {
  if (!comm_) throw std::runtime_error("No communication module: open a port first (COM Port...)");
  return *comm_;
}

void AppCore::CloseComm() {
  if (!comm_) return;
  comm_->CloseModule();
  comm_.reset();
}

void AppCore::SetComm(std::unique_ptr<TTirisC1Dlg> comm) {
  comm_ = std::move(comm);
  if (comm_) comm_->AnimalIdDisplay = animalId_;
}

void AppCore::AddLog(const std::string& line) {
  AppendLogLine(log_, line);
}

std::string AppCore::LogResult(bool ok, const std::string& name) {
  const std::string text = (ok ? std::string("OK") : LoadMessage(Msg::NGMsg)) + ": " + name + " " +
                           LoadMessage(Msg::commandMsg);
  AddLog(text);
  return text;
}

void AppCore::LogOkNg(bool ok, const std::string& text) {
  AddLog((ok ? std::string("OK") : LoadMessage(Msg::NGMsg)) + ": " + text);
}

std::string AppCore::TagTypeLabel(int code) {
  switch (code) {
    case 0:
      return LoadMessage(Msg::RWTagMsg);
    case 1:
      return LoadMessage(Msg::ReadOnlyTagMsg);
    case 2:
      return LoadMessage(Msg::MultiPageTagMsg);
    case 3:
      return LoadMessage(Msg::AESTagMsg);
    case 4:
      return LoadMessage(Msg::SIC279TagMsg);
    case 5:
      return LoadMessage(Msg::EMTagMsg);
    case 6:
      return LoadMessage(Msg::FDXBTagMsg);
    case 7:
      return LoadMessage(Msg::SIC7888TagMsg);
    case 8:
      return "FECAVA Tag";
    case 9:
      return "BDE Tag";
    default:
      return LoadMessage(Msg::UnkownTagMsg);
  }
}

void AppCore::LogTagType(int code) {
  AddLog("Tag Type: " + TagTypeLabel(code));
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
  const bool tx = comm->LogTxFrames, rx = comm->LogRxFrames();
  comm->LogTxFrames = false;
  comm->SetLogRxFrames(false);
  auto restore = [&] {
    comm->LogTxFrames = tx;
    comm->SetLogRxFrames(rx);
  };
  Response out{};
  comm->SendActionModeSet(4, 0);
  if (!comm->AwaitResponse(out)) {
    restore();
    return false;
  }
  if (!comm->Exchange({0x90}, out)) {
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
  const bool model = comm->Exchange({0x93}, out);
  if (model) AddLog(LoadMessage(Msg::ModelNameMsg) + ResponseText(out, 2, out[0]));
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
