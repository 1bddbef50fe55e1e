#pragma once
// Wire time of the module's transmitter: what the module sends leaves the line in chunks of up
// to 16 bytes (a UART's FIFO), each released when its last byte would have been sent at 10 bits
// per byte. With wire time off everything is released at once.
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "sim/module.h"
#include "sim/sim_time.h"

namespace sim {

struct LineChunk {
  TimePoint at;
  int baud = 0;
  std::vector<uint8_t> bytes;
};

class LinePacer {
 public:
  static constexpr size_t kChunk = 16;

  explicit LinePacer(bool wireTime = true) : wireTime_(wireTime) {}
  void SetWireTime(bool on) { wireTime_ = on; }
  bool WireTime() const { return wireTime_; }

  void Queue(Emission&& e, TimePoint now);
  std::optional<TimePoint> NextRelease() const;
  // The next chunk whose time has come.
  bool PopDue(TimePoint now, LineChunk& out);
  size_t QueuedBytes() const { return queued_; }
  void Clear();

 private:
  bool wireTime_;
  std::deque<LineChunk> chunks_;
  TimePoint lineFreeAt_{};
  size_t queued_ = 0;
};

}  // namespace sim
