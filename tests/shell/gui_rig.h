#pragma once
// What the window's tests share: a line that refuses every command, prompts that record the
// progress dialog, a window-less view, and the set-up of a private configuration.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "prompts/scripted_prompts.h"
#include "shell/shell_handlers.h"
#include "tests/support/canned_line.h"

namespace gui_test {

// A port where no module listens: every command is refused with "Invalid Command".
struct NackLine : test_rig::CannedLine {
  NackLine() { SetDefaultNack(0x44); }
  int Probes() const { return CountOf(0x90); }
};

// Scripted answers, plus what the progress dialog was told.
class RecordingPrompts : public ScriptedPrompts {
 public:
  struct Progress {
    std::string caption;
    std::vector<std::string> labels;
    bool cancelVisible = true, barVisible = true, shown = false, closed = false;
  };
  std::unique_ptr<ProgressDialog> CreateProgress() override;
  std::vector<std::shared_ptr<Progress>> progress;
};

// A string grid in memory.
class MemoryGrid : public TallyGrid {
 public:
  MemoryGrid() : rows_(20, std::vector<std::string>(4)) {}
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  void SetRowCount(int rows) override {
    rows_.resize(static_cast<size_t>(rows), std::vector<std::string>(4));
  }
  void SetCell(int col, int row, const std::string& text) override {
    if (row < RowCount()) rows_[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
  }
  void Repaint() override {}
  const std::string& Cell(int col, int row) const {
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
  }

 private:
  std::vector<std::vector<std::string>> rows_;
};

// The window without widgets.
class FakeView : public ShellView {
 public:
  TallyGrid& Grid() override { return grid; }
  void SetTitle(const std::string& t) override { title = t; }
  void SetTimer1Interval(int ms) override { timer1 = ms; }
  void ShowLogPage() override { logPageShown = true; }
  void CloseWindow() override { ++closeRequests; }
  void ShowAbout() override { ++aboutShown; }
  void ShowPortLost(const std::string& text) override { portLostNotices.push_back(text); }
  MemoryGrid grid;
  std::vector<std::string> portLostNotices;
  std::string title;
  int timer1 = -1;
  bool logPageShown = false;
  int closeRequests = 0;
  int aboutShown = 0;
};

// A path for the executable that does not exist, with the language override already matching the
// settings, so that the language check at showing never restarts anything.
std::string QuietExePath(const std::string& configDir);

// Lines of a log that start with prefix.
std::vector<std::string> LinesStarting(const std::vector<std::string>& lines,
                                       const std::string& prefix);

}  // namespace gui_test
