#include "sim/tag_memory.h"

#include <algorithm>

namespace sim {

TagMemory::TagMemory(size_t blocks, size_t blockSize, uint8_t fill)
    : blockSize_(blockSize), bytes_(blocks * blockSize, fill), locked_(blocks, false) {}

std::span<const uint8_t> TagMemory::Block(size_t block) const {
  if (!Valid(block)) return {};
  return {bytes_.data() + block * blockSize_, blockSize_};
}

bool TagMemory::Write(size_t block, std::span<const uint8_t> bytes) {
  if (!Valid(block) || locked_[block] || bytes.size() != blockSize_) return false;
  std::copy(bytes.begin(), bytes.end(),
            bytes_.begin() + static_cast<std::ptrdiff_t>(block * blockSize_));
  return true;
}

void TagMemory::Program(size_t block, std::span<const uint8_t> bytes) {
  if (!Valid(block)) return;
  const size_t n = std::min(bytes.size(), blockSize_);
  std::copy_n(bytes.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(block * blockSize_));
}

bool TagMemory::Lock(size_t block) {
  if (!Valid(block)) return false;
  locked_[block] = true;
  return true;
}

}  // namespace sim
