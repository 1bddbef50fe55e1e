#pragma once
// Helpers of the robustness tests: a pty on which the test itself plays the module byte by byte,
// event-loop pumping bounded by a deadline, and counts of the process's descriptors and threads.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/pty_link.h"

namespace robust {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// Open file descriptors and threads of this process.
int OpenDescriptors();
int Threads();

// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds();

// The module's end of a pty, driven by the test: the host opens Path() as its serial port.
class RawModule {
 public:
  RawModule();
  const std::string& Path() const { return link_.SlavePath(); }
  // One whole command frame the host has written (STX 00 kind LEN ... CR); empty when none
  // comes within the tests' patience.
  Bytes ReadCommand();
  // Writes every byte (waiting while the pty is full, within the tests' patience); false when it
  // could not.
  bool Write(const Bytes& bytes);
  bool Write(const uint8_t* bytes, size_t count);
  // Closes the module's end: the host's port is hung up, as when a USB adapter is pulled.
  void HangUp() { link_.Close(); }

 private:
  sim::PtyLink link_;
};

// Response frames as the module builds them.
Bytes Ack(const Bytes& data);
Bytes Nack(uint8_t code);

// The millisecond counter of the link (receiver and waits) made adjustable: the system's counter
// plus an offset the test moves forward, or frozen at a fixed value. Restores the system's
// counter when destroyed. The port's worker reads the clock too, hence the atomics.
class ClockOverride {
 public:
  ClockOverride();
  ~ClockOverride();
  ClockOverride(const ClockOverride&) = delete;
  ClockOverride& operator=(const ClockOverride&) = delete;
  // Moves the clock forward, frozen or not.
  void Advance(uint32_t ms) {
    offset_ += ms;
    frozenAt_ += ms;
  }
  void Freeze(bool on);

 private:
  std::atomic<uint32_t> offset_ = 0;
  std::atomic<bool> frozen_ = false;
  std::atomic<uint32_t> frozenAt_ = 0;
};

}  // namespace robust
