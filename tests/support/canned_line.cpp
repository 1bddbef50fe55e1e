#include "tests/support/canned_line.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <stdexcept>

#include "link/frame.h"

namespace test_rig {

CannedLine::CannedLine() {
  std::string error;
  if (!pty_.Open(57600, &error)) throw std::runtime_error("no pseudo-terminal: " + error);
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  thread_ = std::thread([this] { Run(); });
}

CannedLine::~CannedLine() {
  const char c = 0;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &c, 1);
  thread_.join();
  ::close(wake_[0]);
  ::close(wake_[1]);
}

void CannedLine::QueueAck(std::vector<uint8_t> data) {
  std::lock_guard lock(mutex_);
  replies_.push_back(frame::BuildResponseFrame(frame::TypeAck, data));
}

void CannedLine::QueueNack(uint8_t code) {
  std::lock_guard lock(mutex_);
  const std::vector<uint8_t> data{code};
  replies_.push_back(frame::BuildResponseFrame(frame::TypeNack, data));
}

void CannedLine::SetDefaultNack(uint8_t code) {
  std::lock_guard lock(mutex_);
  defaultNack_ = code;
}

std::vector<std::vector<uint8_t>> CannedLine::Commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

int CannedLine::CountOf(uint8_t code) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const auto& c : commands_) n += !c.empty() && c[0] == code;
  return n;
}

void CannedLine::Run() {
  std::vector<uint8_t> frame;
  for (;;) {
    pollfd fds[2] = {{pty_.MasterFd(), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    uint8_t buf[512];
    const ssize_t n = pty_.Read(buf, sizeof buf);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      if (frame.empty() && buf[i] != frame::STX) continue;
      frame.push_back(buf[i]);
      // STX 00 kind LEN data ETX SUM CR
      if (frame.size() < 4 || frame.size() != static_cast<size_t>(frame[3]) + 7u) continue;
      std::vector<uint8_t> reply;
      {
        std::lock_guard lock(mutex_);
        commands_.emplace_back(frame.begin() + 4, frame.end() - 3);
        if (!replies_.empty()) {
          reply = std::move(replies_.front());
          replies_.pop_front();
        } else if (defaultNack_) {
          const std::vector<uint8_t> data{*defaultNack_};
          reply = frame::BuildResponseFrame(frame::TypeNack, data);
        }
      }
      if (!reply.empty()) pty_.Write(reply.data(), reply.size());
      frame.clear();
    }
  }
}

}  // namespace test_rig
