#pragma once
// Elapsed time on a 32-bit millisecond counter; the difference is taken modulo 2^32, so the
// counter's wrap (every 49.7 days) never disturbs a wait.
#include <cstdint>
#include <functional>

class MillisecondTimer {
 public:
  // The system's millisecond counter (monotonic clock, low 32 bits).
  static uint32_t SystemMs();
  // Test hook: replaces the counter (nullptr restores the system's). Now() may be called from
  // any thread, so a replacement must be safe to call from any thread.
  static void SetClock(std::function<uint32_t()> clock);
  static uint32_t Now();

  void start() { start_ = Now(); }
  uint32_t elapsed() const { return Now() - start_; }
  bool expired(uint32_t ms) const { return elapsed() >= ms; }
  uint32_t startMark() const { return start_; }

 private:
  uint32_t start_ = 0;
};
