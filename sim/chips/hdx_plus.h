#pragma once
// An HDX+ transponder: 16 blocks of 4 bytes, read least significant byte first. Blocks 0-2 hold
// the chip ID, block 3 the CRC (bytes 1-2), configuration byte 1 and configuration byte 2, whose
// value is the chip lock state (3 unlocked, 0 locked); blocks 4-13 are user memory and blocks
// 14-15 the 8-byte animal ID (id0 first), which the HDX ID reads return.
//
//   0x10 [00]                ->  0x10, the tag type, id0 .. id7 (the charge-only read)
//   0x36 flag start further  ->  0x36, the bytes of blocks start .. start + further
//   0x3B id0 .. id7 lock     ->  0x3B; writes blocks 14-15, lock 1 locks them
//   0x3C                     ->  0x3C; locks the chip (configuration byte 2 becomes 0)
// Blocks that do not exist, and writes to a locked chip or ID, get no answer.
#include <cstdint>

#include "sim/chips/reply_shape.h"
#include "sim/transponder.h"

namespace sim {

class HdxPlusTag : public Transponder {
 public:
  static constexpr int kBlocks = 16;
  static constexpr int kConfigBlock = 3;
  static constexpr uint8_t kUnlocked = 3;
  static constexpr uint8_t kLocked = 0;

  explicit HdxPlusTag(uint64_t animalId);

  uint8_t LockState() const { return memory_.Block(kConfigBlock)[3]; }
  // Writes configuration byte 2 directly (tests of odd states).
  void SetLockState(uint8_t state);

  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
  std::optional<TagReply> Handle(const TagCommand& cmd, const AirContext& ctx) override;

  ReplyShape Shape;

 private:
  std::optional<TagReply> Answer(const TagCommand& cmd);
};

}  // namespace sim
