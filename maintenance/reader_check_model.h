#pragma once
// The "Reader check..." window (ShowReaderCheck), as a form: the reads per level, whether to
// count link and noise and whether the field is empty, a table of the levels measured, the
// threshold, a progress text ("done/total") and a status line; "Start", "Cancel" (stops a running
// check: the start level is still set back), "Save..." (the report and its plot) and "Close".
// It stays open while the check runs and refreshes after every level; the window draws the
// table as a live plot (maintenance/widgets/reader_check_window.h).
#include <optional>
#include <string>

#include "maintenance/reader_check.h"
#include "prompts/prompt_form.h"

class AppCore;

class ReaderCheckModel {
 public:
  explicit ReaderCheckModel(AppCore& app);
  // Interacts until the window is closed.
  void Run();
  PromptForm& Form() { return form_; }

  // Field and action names.
  static constexpr const char* kReads = "IntEdReads";
  static constexpr const char* kLink = "CBLink";
  static constexpr const char* kNoTag = "CBNoTag";
  static constexpr const char* kGrid = "SGLevels";
  static constexpr const char* kThreshold = "EdThreshold";  // the level, or empty
  static constexpr const char* kProgress = "STProgress";    // "done/total"
  static constexpr const char* kStatus = "STStatus";
  static constexpr const char* kStart = "BtStart";
  static constexpr const char* kCancel = "BtCancel";
  static constexpr const char* kSave = "BtSave";
  static constexpr const char* kClose = "BtClose";

 private:
  void Start();
  void Save();
  void ShowLevels();
  void Sync();
  void Refresh();

  AppCore& app_;
  PromptForm form_;
  std::optional<CheckResult> result_;
  std::vector<LevelResult> live_;  // levels of the running check, as measured
  bool running_ = false;
  bool closeAfter_ = false;
};

void ShowReaderCheck(AppCore& app);
