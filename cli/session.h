#pragma once
// What every verb of the command runner shares: the common options, a log pane on standard
// output, the headless main window (AppCore) with scripted prompts and the outcome of its
// handlers, the settings file in a private copy, the language of the run, and opening and
// identifying the module.
#include <QByteArray>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "cli/cli_prompts.h"
#include "cli/options.h"
#include "cli/usage_error.h"
#include "core/files.h"
#include "core/log_pane.h"

// Log lines go to standard output as they are written, exactly as the log pane would show them
// (as "log" events with --json). The sink can be switched to standard error or to nowhere (the
// quiet identification and the presence polls of series programming); the handlers' outcome
// events are reported only while the sink is not nowhere.
class StdoutLogPane : public LogPane {
 public:
  enum class Sink { Stdout, Stderr, None };

  int LineCount() const override { return count_; }
  void Clear() override { count_ = 0; }
  void Append(const std::string& line) override;

  void SetSink(Sink sink) { sink_ = sink; }
  Sink CurrentSink() const { return sink_; }

 private:
  int count_ = 0;
  Sink sink_ = Sink::Stdout;
};

struct CommonOptions {
  std::string port;  // COMn or a device path; empty: the one of the settings file
  int baud = 0;      // 0: the one of the settings file
  std::string lang;  // "en", "ja" or empty (settings)
  bool animalId = false;
  bool verbose = false;  // identification lines on standard error
  bool save = false;     // write the remembered values back to the settings file at the end
  bool json = false;     // JSON Lines on standard output
  bool help = false;
};

// The options every verb takes.
const std::vector<OptionDef>& CommonOptionDefs();
// Takes the common options out of args (leaving the verb's own); throws UsageError.
CommonOptions ParseCommonOptions(std::vector<std::string>& args);

// The settings file in a private copy: the run reads and writes the copy, so that the window's
// file changes only when the user asks for it (--save). Handlers that save their own sections
// save them into the copy as well. One folder per process holds the copy and at most one scratch
// copy for the dry passes; it is removed on every way out, a second Ctrl+C included.
// Where the private copy lives: the temporary folder, or memory (a tmpfs folder, /dev/shm) for a
// run that must not write to disk.
enum class SettingsPlace { TempFolder, Memory };

class SettingsSandbox {
 public:
  explicit SettingsSandbox(std::string realPath, SettingsPlace place = SettingsPlace::TempFolder);
  ~SettingsSandbox();
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

  const std::string& RealPath() const { return real_; }
  const std::string& WorkPath() const { return work_; }
  // The scratch copy, refreshed from the working file, for a pass whose writes must not count
  // (the dry pass); copied again only when either file changed since. Every call returns the
  // same path.
  std::string ScratchCopy();
  // Writes the working copy over the real file (atomically); false with the reason when the real
  // file is read-only or cannot be written.
  bool SaveBack(std::string* error);
  // Why the real file could not be read (it is then never written).
  const files::Error& RealFileError() const { return realError_; }

 private:
  std::string real_;
  files::Error realError_;
  std::string dir_;
  std::string work_;
  std::string scratch_;
  // Inode, size and modification time of both files right after the last refresh.
  std::string scratchStamp_;
};

class Session {
 public:
  explicit Session(const CommonOptions& options, SettingsPlace place = SettingsPlace::TempFolder);
  ~Session();
  AppCore& App() { return app_; }
  CliPrompts& Prompts() { return prompts_; }
  StdoutLogPane& Log() { return log_; }
  TTirisC1Dlg& Comm() { return *app_.Comm(); }
  SettingsSandbox& Settings() { return sandbox_; }
  const CommonOptions& Options() const { return options_; }
  OutcomeRecorder& Outcome() { return app_.Outcome(); }

  // Opens the port of the options (or the settings); throws UsageError with the reason.
  void OpenPort();
  const std::string& PortName();
  // Command mode, ROM version (the reader level) and model name, as the window's start-up does;
  // its lines go nowhere, or to standard error with --verbose, and are no part of the outcome.
  // Throws UsageError when the module does not answer, refuses, or the port vanishes. Shown: the
  // lines go to standard output and count for the verdict; then only "no answer" throws.
  void Identify(bool shown = false);
  // The port was open and has vanished since.
  bool PortLost() { return app_.Comm() && app_.Comm()->PortLost(); }
  // Throws UsageError ("the port ... has vanished") when it has.
  void CheckPort();
  // A signal asked the run to end, or the port has vanished: every wait of the run ends.
  bool StopRequested();
  // With --save: the remembered values into the settings file (in the run's language, as the
  // window of that language does), then the copy over the real file. Returns false with a line on
  // standard error when that failed.
  bool Finish();

 private:
  CommonOptions options_;
  Language language_;
  StdoutLogPane log_;
  CliPrompts prompts_;
  SettingsSandbox sandbox_;
  QByteArray englishModule_;
  std::unique_ptr<QTranslator> translator_;
  AppCore app_;
};

// Parses "90", "0D 01 16", "0D0116", "0x0D" into bytes; throws UsageError.
std::vector<uint8_t> ParseHexArgs(const std::vector<std::string>& args);
