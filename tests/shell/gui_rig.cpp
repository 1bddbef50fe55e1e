#include "tests/shell/gui_rig.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "core/language.h"
#include "core/settings.h"
#include "link/frame.h"

namespace gui_test {

namespace {

class RecordingProgress : public ProgressDialog {
 public:
  explicit RecordingProgress(std::shared_ptr<RecordingPrompts::Progress> p) : p_(std::move(p)) {}
  void SetCaption(const std::string& c) override { p_->caption = c; }
  void SetLabel(const std::string& t) override { p_->labels.push_back(t); }
  void SetCancelVisible(bool v) override { p_->cancelVisible = v; }
  void SetBarVisible(bool v) override { p_->barVisible = v; }
  void SetProgress(int, int) override {}
  void Show() override { p_->shown = true; }
  void Close() override { p_->closed = true; }
  bool Continue() const override { return true; }

 private:
  std::shared_ptr<RecordingPrompts::Progress> p_;
};

}  // namespace

std::unique_ptr<ProgressDialog> RecordingPrompts::CreateProgress() {
  progress.push_back(std::make_shared<Progress>());
  return std::make_unique<RecordingProgress>(progress.back());
}

std::string QuietExePath(const std::string& configDir) {
  const std::string exe = configDir + "/no-such-bin/QZH900Tool";
  language::WriteLocaleOverride(
      exe, DefaultLanguageFlag() == 1 ? language::kJapaneseOverride : language::kEnglishOverride);
  return exe;
}

std::vector<std::string> LinesStarting(const std::vector<std::string>& lines,
                                       const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

}  // namespace gui_test
