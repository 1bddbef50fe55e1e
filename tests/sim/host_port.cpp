#include "tests/sim/host_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/hex.h"

namespace sim_test {

namespace {
speed_t SpeedOf(int baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 115200:
      return B115200;
  }
  return B57600;
}
}  // namespace

HostPort::HostPort(const std::string& path, int baud) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ >= 0) SetBaud(baud);
}

HostPort::~HostPort() {
  if (fd_ >= 0) ::close(fd_);
}

void HostPort::SetBaud(int baud) {
  termios tio{};
  ::tcgetattr(fd_, &tio);
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, SpeedOf(baud));
  ::tcsetattr(fd_, TCSANOW, &tio);
}

void HostPort::Write(const std::vector<uint8_t>& bytes) {
  [[maybe_unused]] ssize_t n = ::write(fd_, bytes.data(), bytes.size());
}

void HostPort::Command(std::initializer_list<uint8_t> data, uint8_t kind) {
  Write(frame::BuildCommandFrame(std::vector<uint8_t>(data), kind));
}

bool HostPort::HasInput() {
  pollfd p{fd_, POLLIN, 0};
  return !buffer_.empty() || ::poll(&p, 1, 0) > 0;
}

std::string HostPort::ReadFrame(sim::Duration timeout) {
  const auto deadline = sim::Clock::now() + timeout;
  while (true) {
    // Skip to an STX; a complete frame is LEN + 7 bytes.
    auto stx = std::find(buffer_.begin(), buffer_.end(), frame::STX);
    buffer_.erase(buffer_.begin(), stx);
    if (buffer_.size() >= 4 && buffer_.size() >= buffer_[3] + 7u) {
      const size_t n = buffer_[3] + 7u;
      std::string text = hex::Bytes(buffer_.data(), n);
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
      return text;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - sim::Clock::now());
    if (left.count() <= 0) return "";
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
    uint8_t chunk[512];
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n > 0) buffer_.insert(buffer_.end(), chunk, chunk + n);
    if (n == 0 || (n < 0 && errno != EAGAIN)) return "";
  }
}

}  // namespace sim_test
