#include "sim/command_assembler.h"

#include "link/frame.h"

namespace sim {

void CommandAssembler::Hunt(uint8_t b) {
  if (b == frame::STX) {
    buf_[0] = b;
    count_ = 1;
  } else {
    ++skipped_;
  }
}

bool CommandAssembler::Abandon() {
  const bool had = count_ > 0;
  skipped_ += count_;
  count_ = 0;
  return had;
}

std::optional<AssembledFrame> CommandAssembler::Push(uint8_t b) {
  switch (count_) {
    case 0:
      Hunt(b);
      return std::nullopt;
    case 1:
      if (b != 0x00) {
        Abandon();
        Hunt(b);
        return std::nullopt;
      }
      break;
    case 2:
      if (b != frame::KindM && b != frame::KindN) {
        Abandon();
        Hunt(b);
        return std::nullopt;
      }
      break;
    case 3:
      expected_ = static_cast<size_t>(b) + 7;
      break;
  }
  buf_[count_++] = b;
  if (count_ < 4 || count_ < expected_) return std::nullopt;

  count_ = 0;
  const size_t len = buf_[3];
  AssembledFrame f;
  f.kind = buf_[2];
  f.data = std::span<const uint8_t>(buf_.data() + 4, len);
  if (buf_[4 + len] != frame::ETX || buf_[6 + len] != frame::CR) {
    f.status = AssembledFrame::Status::BadLength;
  } else if (buf_[5 + len] != frame::FrameSum(buf_.data())) {
    f.status = AssembledFrame::Status::BadSum;
  }
  return f;
}

}  // namespace sim
