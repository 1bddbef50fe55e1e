#pragma once
// An EM4305 transponder: 16 words of 32 bits, each travelling most significant byte first.
// Word 0 chip type and customer code, word 1 the UID (factory), word 2 the password (written,
// never read back), word 4 the configuration, words 3 and 5-13 user data, words 14 and 15 the
// protection words.
//
// Configuration word (value bits, least significant = bit 0): bits 6-9 the encoder (1 Manchester,
// 2 bi-phase), bits 14-17 the last word sent (LWR). The chip sends words 5 .. LWR, each least
// significant bit first: bi-phase with four words an FDX-B telegram (an FDX-B tag to the ID
// reads), Manchester with two words an EM4100 frame (an EM tag). 00 02 00 8F is FDX-B.
//
// Protection: the first of words 14 and 15 with bit 15 set is in force; its bit n (n < 14)
// protects word n. A protected word is written only after a login. Protect (0xE3) sets bits and
// never clears one. Login (0xE2) with the password lasts while the carrier stays on: a command
// sent with the carrier off powers the chip for that command only.
//
// Commands: 0xE0 write word, 0xE1 read word, 0xE2 login, 0xE3 protect, 0xE4 disable (for good:
// the chip is silent from then on), 0xE5 ID write (0x01, then an 8-byte ISO 11784 code laid as an
// FDX-B telegram into words 5-8). A wrong parameter count is NACK 0x41, a value out of range or a
// configuration that cannot carry the ID 0x43, an access the chip refuses 0x03.
#include <array>
#include <cstdint>
#include <optional>

#include "sim/transponder.h"

namespace sim {

class Em4305Tag : public Transponder {
 public:
  static constexpr size_t kWords = 16;
  using Word = std::array<uint8_t, 4>;
  static constexpr Word kFdxbConfig{0x00, 0x02, 0x00, 0x8F};
  static constexpr uint8_t kPasswordWord = 2;
  static constexpr uint8_t kConfigWord = 4;

  // A blank chip: word 0 names an EM4305, word 1 holds `uid`, everything else zero (configuration
  // 0: it sends nothing).
  explicit Em4305Tag(uint32_t uid = 0x43050001);

  // Factory programming: any word, protection ignored.
  void Program(size_t word, const Word& bytes);
  Word WordAt(size_t word) const;
  // FDX-B configuration and the code's telegram in words 5-8.
  void ProgramFdxb(uint64_t code);
  bool Disabled() const { return disabled_; }

  std::vector<uint8_t> IdBytes() const override;
  uint8_t Kind() const override;
  bool AnswersIdRead(IdRead read) const override;
  bool Streams() const override { return !disabled_ && Sent().has_value(); }
  std::string Describe() const override;
  std::optional<TagReply> Handle(const TagCommand& cmd, const AirContext& ctx) override;

 private:
  struct Transmission {
    uint8_t type = 0;
    std::vector<uint8_t> id;
  };
  std::optional<Transmission> Sent() const;
  uint32_t Value(size_t word) const;
  // The protection word in force (0 when neither has bit 15 set).
  uint32_t Protection() const;
  bool LoggedIn(const AirContext& ctx) const;
  // A write over the air to a user word: refused for factory and protection words, and for a
  // protected word without login.
  bool MayWrite(size_t word, const AirContext& ctx) const;

  bool disabled_ = false;
  std::optional<uint64_t> loginSession_;  // carrier session of the last good login
};

}  // namespace sim
