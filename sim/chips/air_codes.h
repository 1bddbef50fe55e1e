#pragma once
// What programmable FDX chips (SIC7888, EM4305) send in their tag-talks-first state, bit by bit:
// the ISO 11785 FDX-B telegram, the EM4100 frame and the FECAVA (FDX-A) character image. The
// module's receiver decodes them back into the ID bytes of its ID read answers; a stream that
// does not decode (a broken header, parity or CRC) is no ID at all.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim::air {

// Bits in the order they go on the air.
using Bits = std::vector<bool>;

// Bytes sent first byte first, most significant bit first (SIC7888 blocks), and back.
Bits MsbFirst(std::span<const uint8_t> bytes);
std::vector<uint8_t> BytesMsbFirst(const Bits& bits);
// 32-bit words (given as 4 bytes, most significant first) sent least significant bit first
// (EM4305 words), and back.
Bits WordsLsbFirst(std::span<const uint8_t> wordBytes);
std::vector<uint8_t> WordBytesLsbFirst(const Bits& bits);

// The 128-bit FDX-B telegram of a 64-bit ISO 11784 code: header 0000000000 1, the code least
// significant bit first, the CRC-CCITT of its 8 bytes and 24 extension bits (all zero), every 8
// bits followed by a 1.
inline constexpr size_t kFdxbTelegramBits = 128;
Bits FdxbTelegram(uint64_t code);
// The code of the first 128 bits; nullopt when header, stuffing bits or CRC do not match.
std::optional<uint64_t> DecodeFdxbTelegram(const Bits& bits);
// CRC-CCITT as ISO 11785 computes it over the code bytes (reflected, initial value 0).
uint16_t FdxbCrc(std::span<const uint8_t> bytes);

// The 64-bit EM4100 frame of a 40-bit EM ID, bit 63 first: nine 1s, ten rows of a nibble and its
// even parity, four column parities, a stop bit 0.
inline constexpr size_t kEm4100Bits = 64;
Bits Em4100Frame(uint64_t emId);
// The EM ID of the first 64 bits; nullopt when the frame does not check.
std::optional<uint64_t> DecodeEm4100(const Bits& bits);

// The FECAVA image: 0xAA, 0xE2, then the five character bytes (odd parity in bit 7) as the
// bi-phase code of their high and low nibbles.
inline constexpr size_t kFecavaImageBytes = 12;
std::array<uint8_t, kFecavaImageBytes> FecavaImage(std::span<const uint8_t, 5> characters);
// The five character bytes of the first 12 bytes; nullopt when header, bi-phase code or a
// character's parity do not check.
std::optional<std::array<uint8_t, 5>> DecodeFecavaImage(std::span<const uint8_t> bytes);
// The character byte of a 7-bit value: bit 7 makes the number of 1 bits odd.
uint8_t FecavaCharacter(uint8_t value);

}  // namespace sim::air
