#pragma once
// A SIC279 HDX transponder: an 8-byte ID that the ID write (0x59) lays into the chip (the
// charge-only read and the HDX ID reads return it), 16 blocks of 4 bytes of user memory with one
// lock bit each, 54 bits of traceability data with three option flags, and the chip
// configuration (7-bit Ctune, 25 bits of manufacturer data, 4-bit revision).
//
// Answers (data bytes after the echoed code):
//   0x50  t0 .. t5, t6 (bits 5-0), flags (bit 2 OPT, bit 3 PWD, bit 5 CRC)
//   0x51  as 0x50, then W (little-endian: bits 6-0 Ctune, bits 31-7 manufacturer data), revision
//   0x52  L(15:0) little-endian
//   0x55  block: lock bit, 0, 0, 0
//   0x57  block n: the bytes of blocks block .. block + n (at most four blocks, not past 15)
//   0x58  block lock d0..d3: the block read back; lock 1 locks it after writing
//   0x59  lock id0..id7 type: nothing; lock 1 locks the ID, type 0 read/write, 1 read only
//   0x71  (animal ID read) the emulated type (0 read/write, 1 read only, 1 before any ID
//         write), id0..id7; the other ID reads report the type SIC279
// A locked block or ID is not written and the chip stays silent.
// "sic279:HEX16:ti" makes the charge-only read report the emulated TI type (ChargeReadAsTi).
#include <array>
#include <cstdint>

#include "sim/chips/reply_shape.h"
#include "sim/transponder.h"

namespace sim {

class Sic279Tag : public Transponder {
 public:
  static constexpr int kBlocks = 16;

  explicit Sic279Tag(uint64_t id);

  std::array<uint8_t, 8> Id() const { return id_; }
  bool IdLocked() const { return idLocked_; }
  int EmulatedType() const { return emulatedType_; }  // 0 read/write, 1 read only
  uint16_t LockWord() const;

  std::array<uint8_t, 7> Traceability{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x15};
  uint8_t OptionFlags = 0x24;  // OPT and CRC set
  uint8_t Ctune = 0x45;
  uint32_t ManufacturerData = 0x1ABCDEF;  // 25 bits
  uint8_t Revision = 0x3;

  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
  std::optional<TagReply> Handle(const TagCommand& cmd, const AirContext& ctx) override;

  // A SIC279 stands in for a TI transponder: when set, the charge-only read reports the type the
  // ID write chose (0 read/write, 1 read only) instead of the SIC279 type 4.
  bool ChargeReadAsTi = false;

  ReplyShape Shape;

 private:
  std::optional<TagReply> Answer(const TagCommand& cmd);
  std::array<uint8_t, 8> id_{};
  bool idLocked_ = false;
  int emulatedType_ = 1;
};

}  // namespace sim
