#include "tests/gui/gui_rig.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "link/frame.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace gui_test {

NackLine::NackLine() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
    throw std::runtime_error("no pseudo-terminal");
  slavePath_ = ::ptsname(master_);
  // Our own slave descriptor, raw, so the line stays up while the tool opens and closes it.
  slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios t{};
  ::tcgetattr(slave_, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(slave_, TCSANOW, &t);
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  thread_ = std::thread([this] { Run(); });
}

NackLine::~NackLine() {
  const char c = 0;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &c, 1);
  thread_.join();
  for (int fd : {master_, slave_, wake_[0], wake_[1]}) ::close(fd);
}

void NackLine::Run() {
  std::vector<uint8_t> frame;
  const std::vector<uint8_t> data{0x44};
  const std::vector<uint8_t> nack = frame::BuildResponseFrame(frame::TypeNack, data);
  for (;;) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    uint8_t buf[256];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      const uint8_t c = buf[i];
      if (frame.empty() && c != frame::STX) continue;
      frame.push_back(c);
      // STX 00 kind LEN data ETX SUM CR
      if (frame.size() >= 4 && frame.size() == static_cast<size_t>(frame[3]) + 7u) {
        if (frame[3] >= 1 && frame[4] == 0x90) ++probes_;
        [[maybe_unused]] ssize_t w = ::write(master_, nack.data(), nack.size());
        frame.clear();
      }
    }
  }
}

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
