#pragma once
// What every verb of the command runner shares: the common options, a log pane on standard
// output, the headless main window (AppCore) with scripted prompts, the settings file in a
// private copy, the language of the run, and opening and identifying the module.
#include <QByteArray>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "cli/cli_prompts.h"
#include "core/files.h"
#include "core/log_pane.h"

// Usage or port error: the runner prints the one-line reason on standard error and exits 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Log lines go to standard output as they are written, exactly as the log pane would show them.
// The sink can be switched to standard error or to nowhere (the quiet identification), and the
// lines written since the last Mark() are kept for the result of a handler.
class StdoutLogPane : public LogPane {
 public:
  enum class Sink { Stdout, Stderr, None };

  int LineCount() const override { return count_; }
  void Clear() override { count_ = 0; }
  void Append(const std::string& line) override;

  void SetSink(Sink sink) { sink_ = sink; }
  void Mark() { recent_.clear(); }
  const std::vector<std::string>& Recent() const { return recent_; }

 private:
  int count_ = 0;
  Sink sink_ = Sink::Stdout;
  std::vector<std::string> recent_;
};

// The result of a handler from its lines: the last line that starts with "OK" or "NG" followed by
// ":" or " :" ("OK: IDRead Command", "NG : ProgramPage2Cmd"); nullopt when there is none.
std::optional<bool> ResultOfLines(const std::vector<std::string>& lines);

struct CommonOptions {
  std::string port;  // COMn or a device path; empty: the one of the settings file
  int baud = 0;      // 0: the one of the settings file
  std::string lang;  // "en", "ja" or empty (settings)
  bool animalId = false;
  bool verbose = false;  // identification lines on standard error
  bool save = false;     // write the remembered values back to the settings file at the end
  bool help = false;
};

// Takes the common options out of args (leaving the verb's own); throws UsageError.
CommonOptions ParseCommonOptions(std::vector<std::string>& args);
extern const char* const kCommonOptionsHelp;

// The settings file in a private copy: the run reads and writes the copy, so that the window's
// file changes only when the user asks for it (--save). Handlers that save their own sections
// save them into the copy as well.
class SettingsSandbox {
 public:
  explicit SettingsSandbox(std::string realPath);
  ~SettingsSandbox();
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

  const std::string& RealPath() const { return real_; }
  const std::string& WorkPath() const { return work_; }
  // A second copy of the working file, for a pass whose writes must not count (the dry pass).
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
  std::vector<std::string> scratch_;
};

class Session {
 public:
  explicit Session(const CommonOptions& options);
  ~Session();
  AppCore& App() { return app_; }
  CliPrompts& Prompts() { return prompts_; }
  StdoutLogPane& Log() { return log_; }
  TTirisC1Dlg& Comm() { return *app_.Comm(); }
  SettingsSandbox& Settings() { return sandbox_; }
  const CommonOptions& Options() const { return options_; }
  // The language the settings file is written in (its LanguageFlag), which names some keys.
  Language FileLanguage() const { return fileLanguage_; }

  // Opens the port of the options (or the settings); throws UsageError with the reason.
  void OpenPort();
  const std::string& PortName();
  // Command mode, ROM version (the reader level) and model name, as the window's start-up does;
  // its lines go nowhere, or to standard error with --verbose. Throws UsageError when the module
  // does not answer.
  void Identify();
  // The port was open and has vanished since.
  bool PortLost() { return app_.Comm() && app_.Comm()->PortLost(); }
  // With --save: the remembered values into the settings file (its own language), then the copy
  // over the real file. Returns false with a line on standard error when that failed.
  bool Finish();

 private:
  CommonOptions options_;
  Language fileLanguage_;
  StdoutLogPane log_;
  CliPrompts prompts_;
  SettingsSandbox sandbox_;
  QByteArray englishModule_;
  std::unique_ptr<QTranslator> translator_;
  AppCore app_;
};

// Parses "90", "0D 01 16", "0D0116", "0x0D" into bytes; throws UsageError.
std::vector<uint8_t> ParseHexArgs(const std::vector<std::string>& args);

// Parses a whole decimal (or 0x hexadecimal) number in [min, max]; throws UsageError naming the
// option.
int64_t ParseNumberOption(const std::string& option, const std::string& text, int64_t min,
                          int64_t max);
