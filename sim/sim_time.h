#pragma once
// Time as the simulator sees it. The pure module never reads a clock: every call carries "now",
// so tests drive it with a clock of their own and the runner with the steady clock.
#include <chrono>
#include <cstddef>

namespace sim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Duration = Clock::duration;

// One byte on the line: start bit, 8 data bits, stop bit.
inline Duration ByteTime(int baud) {
  if (baud <= 0) return Duration::zero();
  return std::chrono::duration_cast<Duration>(std::chrono::nanoseconds(10'000'000'000LL / baud));
}
inline Duration WireTime(size_t bytes, int baud) {
  return ByteTime(baud) * static_cast<Duration::rep>(bytes);
}

}  // namespace sim
