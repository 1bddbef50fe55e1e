#pragma once
// What every verb of the command runner shares: the common options, a log pane on standard
// output, the headless main window (AppCore) with scripted prompts, and opening the port.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "maintenance/scripted_prompts.h"
#include "shell/app_core.h"
#include "shell/log_pane.h"

// Usage or port error: the runner prints the one-line reason on standard error and exits 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Log lines go to standard output as they are written, exactly as the log pane would show them.
class StdoutLogPane : public LogPane {
 public:
  int LineCount() const override { return count_; }
  void Clear() override { count_ = 0; }
  void Append(const std::string& line) override {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    ++count_;
  }

 private:
  int count_ = 0;
};

struct CommonOptions {
  std::string port;  // COMn or a device path; empty: the one of the settings file
  int baud = 0;      // 0: the one of the settings file
  std::string lang;  // "en", "ja" or empty (settings)
  bool animalId = false;
  bool help = false;
};

// Takes the common options out of args (leaving the verb's own); throws UsageError.
CommonOptions ParseCommonOptions(std::vector<std::string>& args);
extern const char* const kCommonOptionsHelp;

class Session {
 public:
  explicit Session(const CommonOptions& options);
  AppCore& App() { return app_; }
  ScriptedPrompts& Prompts() { return prompts_; }
  TTirisC1Dlg& Comm() { return *app_.Comm(); }
  // Opens the port of the options (or the settings); throws UsageError with the reason.
  void OpenPort();
  const std::string& PortName();

 private:
  CommonOptions options_;
  StdoutLogPane log_;
  ScriptedPrompts prompts_;
  AppCore app_;
};

// Parses "90", "0D 01 16", "0D0116", "0x0D" into bytes; throws UsageError.
std::vector<uint8_t> ParseHexArgs(const std::vector<std::string>& args);
