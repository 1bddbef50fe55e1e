#include "link/millisecond_timer.h"

#include <time.h>

#include <atomic>
#include <mutex>

namespace {
// The port's worker thread reads the counter too, so the hook is guarded; without a hook (the
// tool itself) no lock is taken.
std::mutex& ClockMutex() {
  static std::mutex m;
  return m;
}
std::atomic<bool>& Hooked() {
  static std::atomic<bool> hooked{false};
  return hooked;
}
std::function<uint32_t()>& Clock() {
  static std::function<uint32_t()> clock;
  return clock;
}
}  // namespace

uint32_t MillisecondTimer::SystemMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void MillisecondTimer::SetClock(std::function<uint32_t()> clock) {
  std::lock_guard<std::mutex> lock(ClockMutex());
  Hooked() = static_cast<bool>(clock);
  Clock() = std::move(clock);
}

uint32_t MillisecondTimer::Now() {
  if (!Hooked()) return SystemMs();
  std::lock_guard<std::mutex> lock(ClockMutex());
  return Clock() ? Clock()() : SystemMs();
}
