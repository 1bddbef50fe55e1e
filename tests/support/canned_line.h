#pragma once
// A serial line whose far end answers every command frame with the next queued answer (or a
// default NACK, or nothing): for the cases the simulated module would not produce by itself — an
// answer too short, a reply nobody waits for, a port where no module listens.
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/pty_link.h"

namespace test_rig {

class CannedLine {
 public:
  CannedLine();
  ~CannedLine();
  CannedLine(const CannedLine&) = delete;
  CannedLine& operator=(const CannedLine&) = delete;

  const std::string& DevicePath() const { return pty_.SlavePath(); }
  void QueueAck(std::vector<uint8_t> data);
  void QueueNack(uint8_t code);
  // The answer to a command when nothing is queued (default: none).
  void SetDefaultNack(uint8_t code);
  // The data bytes of every command frame received so far.
  std::vector<std::vector<uint8_t>> Commands() const;
  // How many commands with this code were received.
  int CountOf(uint8_t code) const;

 private:
  void Run();
  sim::PtyLink pty_;
  int wake_[2] = {-1, -1};
  mutable std::mutex mutex_;
  std::deque<std::vector<uint8_t>> replies_;
  std::optional<uint8_t> defaultNack_;
  std::vector<std::vector<uint8_t>> commands_;
  std::thread thread_;
};

}  // namespace test_rig
