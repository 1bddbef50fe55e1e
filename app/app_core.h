#pragma once
// The main window without widgets: what every handler reaches. It owns the remembered values
// (settings section Option and the per-family memories), the current communication module, the
// log writers and the reader level, and it talks to the user only through the prompt interface.
// TTirisAppForm (the window) and the command runner each own one.
#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <typeindex>

#include "app/outcome.h"
#include "codec/tag_type.h"
#include "core/log_pane.h"
#include "core/messages.h"
#include "core/settings.h"
#include "link/comm_module.h"
#include "link/millisecond_timer.h"

class Prompts;

// The icon of a message box: warnings for what the user can retry, errors for failed writes.
enum class MessageIcon { Information, Warning, Error };

class AppCore {
 public:
  AppCore(LogPane& log, Prompts& prompts, std::string settingsPath);
  ~AppCore();

  // --- Remembered values ---
  OptionSettings Settings;  // section Option
  const std::string& SettingsPath() const { return settingsPath_; }
  // Section Option into Settings; the reason when the file is there but cannot be read (the
  // defaults are used then, and the file is never written).
  files::Error LoadSettings();
  // Write rules of section Option; returns whether the file was written.
  bool SaveSettings();
  // Values kept for the life of the program by one family (command test fields, ...): one
  // default-constructed instance per type.
  template <class T>
  T& Memory() {
    auto& slot = memories_[std::type_index(typeid(T))];
    if (!slot.has_value()) slot = std::make_shared<T>();
    return *std::any_cast<std::shared_ptr<T>&>(slot);
  }

  // --- Communication module ---
  TTirisC1Dlg* Comm() { return comm_.get(); }
  // The module for handlers; throws std::runtime_error when there is none (shown as a message).
  TTirisC1Dlg& Link();
  // Creates a new module (loading ComDebug and clearing the tally) with the main log pane.
  TTirisC1Dlg& CreateComm();
  // Saves the link settings, closes the port and frees the module.
  void CloseComm();
  // Replaces the module with one created elsewhere (tests).
  void SetComm(std::unique_ptr<TTirisC1Dlg> comm);
  // Hands the module back without closing it (the handlers fuzzer keeps one for every input).
  std::unique_ptr<TTirisC1Dlg> ReleaseComm() { return std::move(comm_); }

  // --- Log writers ---
  LogPane& Log() { return log_; }
  void AddLog(const std::string& line);
  // "OK: <name> Command" / "NG: <name> Command"; written and returned.
  std::string LogResult(bool ok, const std::string& name);
  // "Tag Type: " + the label of the tag type byte (codec/tag_type.h).
  void LogTagType(uint8_t typeByte);
  void LogTagType(TagType type) { LogTagType(static_cast<uint8_t>(type)); }
  // The lines of an ISO 11784 code (fdx::AnimalIdLines) in the display mode of the setting
  // fReadAnimalID.
  void LogAnimalId(std::span<const uint8_t, 8> id);
  // "OK: " + text or "NG: " + text.
  void LogOkNg(bool ok, const std::string& text);
  // Result lines of the other forms, written exactly as given: "OK : Set Buzzer",
  // "ブザー用テストコマンド : NG", "NG : GeneralReadPageCmd".
  void LogResultLine(bool ok, const std::string& line);
  // A failure line that is no OK/NG line ("Error: Write", a short answer's format error).
  void LogFailure(const std::string& line);
  // A line refusing what was entered ("Input Error!! [NO Hex Data]", "Invalid value").
  void LogInputError(const std::string& line);

  // --- Outcome of the running handler (app/outcome.h) ---
  OutcomeRecorder& Outcome() { return outcome_; }
  // A status panel of a dialog shows `text`; ok when the text is a result.
  void ReportStatus(const std::string& dialog, const std::string& panel, const std::string& text,
                    std::optional<bool> ok);
  // A message box that reports a result: shown, and recorded as an OK or NG result.
  void ReportMessage(const std::string& text, const std::string& caption, bool ok,
                     MessageIcon icon = MessageIcon::Information);
  // While the returned object lives the handler probes: its failures are answers (outcome.h).
  [[nodiscard]] OutcomeRecorder::Probe Probing() { return OutcomeRecorder::Probe(outcome_); }

  // --- Reader ---
  int ReaderLevel = 0;
  // Puts the module in command mode, reads its ROM version (sets the level) and model name.
  bool IdentifyReader();
  // Called when the reader level has been set (the window shows and hides menu items).
  std::function<void(int level)> OnReaderLevel;
  // What the latest identification of the current module read ("" until one succeeds, and
  // again for a new communication module).
  std::string RomVersion;
  std::string ModelName;
  // Called at once when the open port of the current module vanishes, with the port's name.
  std::function<void(const std::string& port)> OnPortLost;

  // The "Animal ID" check box: decorates ID lines.
  bool AnimalIdDisplay() const { return animalId_; }
  void SetAnimalIdDisplay(bool on);

  // --- Execution timer (active when fTimeOut is non-zero) ---
  void StartExecutionTimer();
  void LogExecutionTime();

  Prompts& Prompt() { return prompts_; }

  // Pumps the event loop for ms milliseconds (the wait between commands of long jobs).
  void Sleep(uint32_t ms);
  // Replaces what Sleep does (null restores the event-loop wait): the handlers fuzzer, whose
  // module answers from memory at once, lets the time pass on the link's clock instead.
  void SetSleeper(std::function<void(uint32_t ms)> sleeper) { sleeper_ = std::move(sleeper); }

  // Set while a handler runs, and while the start-up waits for the module: a second handler is
  // refused meanwhile and the window does not close under it.
  bool Busy() const { return busy_; }
  // Holds Busy set for its lifetime; the state before it comes back at its end, however it ends.
  class BusyScope {
   public:
    explicit BusyScope(AppCore& app) : app_(app), was_(app.busy_) { app_.busy_ = true; }
    ~BusyScope() { app_.busy_ = was_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    AppCore& app_;
    bool was_;
  };

 private:
  LogPane& log_;
  Prompts& prompts_;
  std::string settingsPath_;
  std::unique_ptr<TTirisC1Dlg> comm_;
  OutcomeRecorder outcome_;
  std::map<std::type_index, std::any> memories_;
  bool animalId_ = false;
  bool busy_ = false;
  MillisecondTimer execTimer_;
  std::function<void(uint32_t ms)> sleeper_;
};

// Response bytes as text, one character per byte (ROM version, model name).
std::string ResponseText(const Response& r, int first, int last);
