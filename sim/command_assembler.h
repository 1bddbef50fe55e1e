#pragma once
// Assembles command frames (STX 00 kind LEN data ETX SUM CR) from the bytes the host sends.
// Bytes outside a frame are skipped, so garbage between frames costs nothing but itself; a frame
// start that turns out not to be one (byte 1 not 00, kind neither 'M' nor 'N') is dropped and
// its bytes examined again for the next STX.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace sim {

struct AssembledFrame {
  enum class Status { Ok, BadSum, BadLength };
  Status status = Status::Ok;
  uint8_t kind = 0;
  std::span<const uint8_t> data;  // valid until the next Push
};

class CommandAssembler {
 public:
  // Feeds one byte; a result when it completes a frame (good or bad).
  std::optional<AssembledFrame> Push(uint8_t b);
  bool InFrame() const { return count_ > 0; }
  // Drops a frame in progress; true when there was one.
  bool Abandon();
  uint64_t SkippedBytes() const { return skipped_; }

 private:
  void Hunt(uint8_t b);

  std::array<uint8_t, 255 + 7> buf_{};
  size_t count_ = 0;
  size_t expected_ = 0;
  uint64_t skipped_ = 0;
};

}  // namespace sim
