#pragma once
// The host's end of the simulator's pty, the way a serial port program opens it.
#include <initializer_list>
#include <string>
#include <vector>

#include "link/frame.h"
#include "sim/sim_time.h"

namespace sim_test {

class HostPort {
 public:
  explicit HostPort(const std::string& path, int baud = 57600);
  ~HostPort();
  HostPort(const HostPort&) = delete;
  HostPort& operator=(const HostPort&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  void SetBaud(int baud);
  void Write(const std::vector<uint8_t>& bytes);
  void Command(std::initializer_list<uint8_t> data, uint8_t kind = frame::KindM);
  // The next whole frame from the module as "02 00 30 ... " text; "" when none comes in time.
  // The default is only how long a test gives up after (tests/support/wait.h).
  std::string ReadFrame(sim::Duration timeout = std::chrono::seconds(60));
  // Whether a byte is waiting right now.
  bool HasInput();

 private:
  int fd_ = -1;
  std::vector<uint8_t> buffer_;
};

}  // namespace sim_test
