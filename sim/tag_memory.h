#pragma once
// The memory of a transponder: equal blocks (pages, words) of bytes, each of which can be
// locked. Chips map their own addressing onto block numbers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sim {

class TagMemory {
 public:
  TagMemory() = default;
  TagMemory(size_t blocks, size_t blockSize, uint8_t fill = 0);

  size_t BlockCount() const { return locked_.size(); }
  size_t BlockSize() const { return blockSize_; }
  bool Valid(size_t block) const { return block < BlockCount(); }

  // Empty span for a block that does not exist.
  std::span<const uint8_t> Block(size_t block) const;

  // A write over the air: refused (false) for a locked or missing block or a wrong size.
  bool Write(size_t block, std::span<const uint8_t> bytes);
  // Factory programming: ignores the lock; copies at most one block's bytes.
  void Program(size_t block, std::span<const uint8_t> bytes);

  bool Lock(size_t block);
  bool Locked(size_t block) const { return Valid(block) && locked_[block]; }

 private:
  size_t blockSize_ = 0;
  std::vector<uint8_t> bytes_;
  std::vector<bool> locked_;
};

}  // namespace sim
