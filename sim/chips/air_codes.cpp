#include "sim/chips/air_codes.h"

#include <bit>

namespace sim::air {

Bits MsbFirst(std::span<const uint8_t> bytes) {
  Bits bits;
  bits.reserve(bytes.size() * 8);
  for (uint8_t b : bytes)
    for (int i = 7; i >= 0; --i) bits.push_back((b >> i) & 1);
  return bits;
}

std::vector<uint8_t> BytesMsbFirst(const Bits& bits) {
  std::vector<uint8_t> bytes(bits.size() / 8);
  for (size_t i = 0; i < bytes.size() * 8; ++i)
    if (bits[i]) bytes[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
  return bytes;
}

Bits WordsLsbFirst(std::span<const uint8_t> wordBytes) {
  Bits bits;
  for (size_t w = 0; w + 4 <= wordBytes.size(); w += 4) {
    const uint32_t v = uint32_t{wordBytes[w]} << 24 | uint32_t{wordBytes[w + 1]} << 16 |
                       uint32_t{wordBytes[w + 2]} << 8 | wordBytes[w + 3];
    for (int i = 0; i < 32; ++i) bits.push_back((v >> i) & 1);
  }
  return bits;
}

std::vector<uint8_t> WordBytesLsbFirst(const Bits& bits) {
  std::vector<uint8_t> bytes;
  for (size_t w = 0; w + 32 <= bits.size(); w += 32) {
    uint32_t v = 0;
    for (int i = 0; i < 32; ++i)
      if (bits[w + static_cast<size_t>(i)]) v |= uint32_t{1} << i;
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  }
  return bytes;
}

uint16_t FdxbCrc(std::span<const uint8_t> bytes) {
  uint16_t crc = 0;
  for (uint8_t b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i)
      crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : crc >> 1;
  }
  return crc;
}

namespace {

std::array<uint8_t, 8> CodeBytes(uint64_t code) {
  std::array<uint8_t, 8> b{};
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(code >> (8 * i));
  return b;
}

// The telegram after its header: 13 groups of 8 bits (code, CRC, extension), each least
// significant bit first and followed by a 1.
std::array<uint8_t, 13> Groups(uint64_t code) {
  const auto bytes = CodeBytes(code);
  const uint16_t crc = FdxbCrc(bytes);
  std::array<uint8_t, 13> g{};
  for (size_t i = 0; i < 8; ++i) g[i] = bytes[i];
  g[8] = static_cast<uint8_t>(crc);
  g[9] = static_cast<uint8_t>(crc >> 8);
  return g;  // the extension stays zero
}

constexpr size_t kHeaderBits = 11;

}  // namespace

Bits FdxbTelegram(uint64_t code) {
  Bits bits(10, false);
  bits.push_back(true);
  for (uint8_t group : Groups(code)) {
    for (int i = 0; i < 8; ++i) bits.push_back((group >> i) & 1);
    bits.push_back(true);
  }
  return bits;
}

std::optional<uint64_t> DecodeFdxbTelegram(const Bits& bits) {
  if (bits.size() < kFdxbTelegramBits) return std::nullopt;
  for (size_t i = 0; i < 10; ++i)
    if (bits[i]) return std::nullopt;
  if (!bits[10]) return std::nullopt;
  std::array<uint8_t, 13> groups{};
  size_t at = kHeaderBits;
  for (uint8_t& group : groups) {
    for (int i = 0; i < 8; ++i)
      if (bits[at++]) group |= static_cast<uint8_t>(1 << i);
    if (!bits[at++]) return std::nullopt;
  }
  uint64_t code = 0;
  for (int i = 7; i >= 0; --i) code = code << 8 | groups[static_cast<size_t>(i)];
  if (Groups(code) != groups) return std::nullopt;  // CRC (and extension) must match
  return code;
}

Bits Em4100Frame(uint64_t emId) {
  Bits bits(9, true);
  unsigned columns = 0;
  for (int r = 0; r < 10; ++r) {
    const unsigned nibble = static_cast<unsigned>(emId >> (36 - 4 * r)) & 0xF;
    for (int i = 3; i >= 0; --i) bits.push_back((nibble >> i) & 1);
    bits.push_back(std::popcount(nibble) & 1);
    columns ^= nibble;
  }
  for (int i = 3; i >= 0; --i) bits.push_back((columns >> i) & 1);
  bits.push_back(false);
  return bits;
}

std::optional<uint64_t> DecodeEm4100(const Bits& bits) {
  if (bits.size() < kEm4100Bits) return std::nullopt;
  for (size_t i = 0; i < 9; ++i)
    if (!bits[i]) return std::nullopt;
  uint64_t id = 0;
  unsigned columns = 0;
  size_t at = 9;
  for (int r = 0; r < 10; ++r) {
    unsigned nibble = 0;
    for (int i = 0; i < 4; ++i) nibble = nibble << 1 | bits[at++];
    if (static_cast<unsigned>(std::popcount(nibble) & 1) != bits[at++]) return std::nullopt;
    id = id << 4 | nibble;
    columns ^= nibble;
  }
  unsigned parity = 0;
  for (int i = 0; i < 4; ++i) parity = parity << 1 | bits[at++];
  if (parity != columns || bits[at]) return std::nullopt;
  return id;
}

uint8_t FecavaCharacter(uint8_t value) {
  value &= 0x7F;
  return (std::popcount(static_cast<unsigned>(value)) & 1) ? value
                                                           : static_cast<uint8_t>(value | 0x80);
}

namespace {

// Bi-phase: each bit of a nibble, most significant first, as two bits: 1 as 01, 0 as 10.
uint8_t BiPhase(unsigned nibble) {
  unsigned out = 0;
  for (int i = 3; i >= 0; --i) out = out << 2 | (((nibble >> i) & 1) ? 0b01u : 0b10u);
  return static_cast<uint8_t>(out);
}

std::optional<unsigned> FromBiPhase(uint8_t code) {
  unsigned nibble = 0;
  for (int i = 3; i >= 0; --i) {
    const unsigned pair = (code >> (2 * i)) & 3;
    if (pair == 0b01)
      nibble = nibble << 1 | 1;
    else if (pair == 0b10)
      nibble = nibble << 1;
    else
      return std::nullopt;
  }
  return nibble;
}

}  // namespace

std::array<uint8_t, kFecavaImageBytes> FecavaImage(std::span<const uint8_t, 5> characters) {
  std::array<uint8_t, kFecavaImageBytes> image{0xAA, 0xE2};
  for (size_t i = 0; i < characters.size(); ++i) {
    image[2 + 2 * i] = BiPhase(characters[i] >> 4);
    image[3 + 2 * i] = BiPhase(characters[i] & 0x0F);
  }
  return image;
}

std::optional<std::array<uint8_t, 5>> DecodeFecavaImage(std::span<const uint8_t> bytes) {
  if (bytes.size() < kFecavaImageBytes || bytes[0] != 0xAA || bytes[1] != 0xE2) return std::nullopt;
  std::array<uint8_t, 5> characters{};
  for (size_t i = 0; i < characters.size(); ++i) {
    const auto high = FromBiPhase(bytes[2 + 2 * i]);
    const auto low = FromBiPhase(bytes[3 + 2 * i]);
    if (!high || !low) return std::nullopt;
    const uint8_t c = static_cast<uint8_t>(*high << 4 | *low);
    if ((std::popcount(static_cast<unsigned>(c)) & 1) == 0) return std::nullopt;
    characters[i] = c;
  }
  return characters;
}

}  // namespace sim::air
