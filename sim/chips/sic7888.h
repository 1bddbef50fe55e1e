#pragma once
// A SIC7888 programmable FDX transponder: 44 blocks of 4 bytes, shown and written first byte
// first. Block 0 is the UID, block 1 the configuration word k0 k1 k2 k3, blocks 2-3 the
// passwords, 4-40 user memory (from block 4 the ID the chip sends), 41 the tuning value CT (bits
// 1-5 of its third byte), 42-43 the traceability data. UID and traceability are factory data.
//
// The configuration decides what the chip sends in its tag-talks-first state, and so what the
// module's ID reads find:
//   k1 bits 3-2 (r) with k0 bit 2: the blocks sent from block 4 (none when r = 0);
//   k0 bit 5: FDX-A frequency-shift keying, a FECAVA image, found by the FECAVA read 0x72;
//   else k1 bit 6 = 0: Manchester, an EM4100 frame in two blocks, reported as an EM tag;
//   else differential bi-phase, an FDX-B telegram in four blocks, reported as an FDX-B tag.
// Locks (k1 bit 0, k2 bits 7-0), OTP (k1 bit 1, locks block 1) and password protection (k1 bit
// 7; with k0 bit 4 reads are protected too) refuse writes and reads for good: once set, a lock
// bit stays set. The command set has no password command, so protection cannot be lifted.
//
// Commands (the first parameter is the response protocol mode 0-2): 0x80 GetUID, 0x81 ReadBlock,
// 0x82 ReadPage, 0x83 WriteBlock, 0x84 WritePage, 0x86 IdWrite, 0x87 ReadCt, 0x88 WriteCt,
// 0x89 ReadBlock2, 0x8A WriteBlock2. A wrong parameter count is NACK 0x41, a value out of range
// 0x43, an access the chip refuses 0x03.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "sim/transponder.h"

namespace sim {

class Sic7888Tag : public Transponder {
 public:
  static constexpr size_t kBlocks = 44;
  using Block = std::array<uint8_t, 4>;
  static constexpr Block kIsoFdxbConfig{0xCA, 0x48, 0x00, 0x00};
  static constexpr Block kBdeConfig{0xC0, 0x48, 0x00, 0x00};
  static constexpr Block kEmConfig{0xC0, 0x34, 0x00, 0x00};
  static constexpr Block kFecavaConfig{0xE4, 0x74, 0x00, 0x00};

  // A blank chip: UID and traceability data from `uid`, configuration 00 00 00 00 (sends
  // nothing), CT 16, everything else zero.
  explicit Sic7888Tag(uint32_t uid = 0x78880001);

  // Factory programming: any block, locks ignored.
  void Program(size_t block, const Block& bytes);
  Block BlockAt(size_t block) const;
  // Configures the chip for a layout and lays the code into its ID blocks.
  void ProgramFdxb(uint64_t code, const Block& config = kIsoFdxbConfig);
  void ProgramEm(uint64_t emId);
  void ProgramFecava(const std::array<uint8_t, 5>& values);

  std::vector<uint8_t> IdBytes() const override;
  uint8_t Kind() const override;
  bool AnswersIdRead(IdRead read) const override;
  bool Streams() const override { return Sent().has_value(); }
  std::string Describe() const override;
  std::optional<TagReply> Handle(const TagCommand& cmd, const AirContext& ctx) override;

  // The antenna tuning: the chip needs kLevelsPerCtStep more LF levels for every step its CT is
  // away from the best value of its coil (default 16, settable as "bestct=N").
  static constexpr int kLevelsPerCtStep = 1;
  static constexpr uint8_t kFactoryCt = 16;
  uint8_t Ct() const;
  uint8_t BestCt() const { return bestCt_; }
  int Threshold() const override;
  bool SetOption(const std::string& key, const std::string& value, std::string& error) override;

 private:
  uint8_t bestCt_ = kFactoryCt;
  struct Transmission {
    uint8_t type = 0;
    std::vector<uint8_t> id;
  };
  // What the configuration makes the chip send; nullopt when it sends nothing readable.
  std::optional<Transmission> Sent() const;
  // Blocks sent in the tag-talks-first state, from block 4.
  size_t TtfBlocks() const;
  std::vector<uint8_t> Bytes(size_t first, size_t count) const;
  bool Writable(size_t block) const;
  bool Readable(size_t block) const;
  // Writes whole blocks from `first`, all or none.
  std::optional<TagReply> WriteBlocks(uint8_t code, size_t first, std::span<const uint8_t> bytes);
  // A configuration write keeps every lock, OTP and protection bit that is set.
  Block StickyConfig(const Block& next) const;
};

}  // namespace sim
