#pragma once
// A log pane: the main window's Memo1, the command test dialog's Memo1, or standard output in
// the command runner. Every line goes through AppendLogLine, which keeps the 5000-line rule.
#include <string>
#include <vector>

class LogPane {
 public:
  virtual ~LogPane() = default;
  virtual int LineCount() const = 0;
  virtual void Clear() = 0;
  virtual void Append(const std::string& line) = 0;
};

inline constexpr int kLogLineLimit = 5000;

// When the pane already holds `limit` lines or more it is emptied first, then the line is added.
inline void AppendLogLine(LogPane& pane, const std::string& line, int limit = kLogLineLimit) {
  if (pane.LineCount() >= limit) pane.Clear();
  pane.Append(line);
}

// Keeps the lines in memory (tests, and the base of the command runner's output).
class MemoryLogPane : public LogPane {
 public:
  int LineCount() const override { return static_cast<int>(lines_.size()); }
  void Clear() override { lines_.clear(); }
  void Append(const std::string& line) override { lines_.push_back(line); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};
