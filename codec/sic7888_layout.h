#pragma once
// The SIC7888 memory as the tool reads it, in plain C++: the configuration word of block 1 and
// its decoded lines, the tuning value CT of block 41, the bit-reversed traceability text of
// blocks 42-43, the page rule of the page write and the lines of the memory dump.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace fdx {

namespace sic7888 {
inline constexpr int kBlocks = 44;
inline constexpr int kBlocksPerPage = 4;
inline constexpr uint8_t kConfigBlock = 1;
inline constexpr uint8_t kCtBlock = 41;
inline constexpr uint8_t kTraceabilityBlock0 = 42;
inline constexpr uint8_t kTraceabilityBlock1 = 43;
// Every command carries the response protocol mode; the tool sends "Advanced".
inline constexpr uint8_t kProtocolMode = 1;

using Word = std::array<uint8_t, 4>;
// Configuration words of the ID layouts.
inline constexpr Word kIsoFdxbConfig{0xCA, 0x48, 0x00, 0x00};
inline constexpr Word kBdeConfig{0xC0, 0x48, 0x00, 0x00};
inline constexpr Word kEmIdConfig{0xC0, 0x34, 0x00, 0x00};
inline constexpr Word kFecavaConfig{0xE4, 0x74, 0x00, 0x00};
}  // namespace sic7888

// The lines that describe the configuration word k0 k1 k2 k3, in order: TTF blocks, coding,
// protection, data rate, OTP and the nine lock lines.
std::vector<std::string> Sic7888ConfigurationLines(std::span<const uint8_t, 4> k);

// CT: bits 1-5 of the third byte of block 41.
inline unsigned Sic7888Ct(uint8_t thirdByte) {
  return (thirdByte >> 1) & 0x1F;
}
// "CT  : " + CT in decimal + "[" + CT as two hexadecimal digits + "]".
std::string Sic7888CtLine(unsigned ct);

// A byte with its bits in reverse order (bit 7 becomes bit 0).
uint8_t ReverseBits(uint8_t b);
// Each byte of a block from the last to the first, bit-reversed, as two hexadecimal digits and a
// blank: the traceability text appends block 42, then block 43.
std::string Sic7888TraceabilityBytes(std::span<const uint8_t, 4> block);

// Rows of the page write dialog that hold the blocks from `block` to the end of its page: 4, 3,
// 2 or 1.
inline int PageRows(int block) {
  return sic7888::kBlocksPerPage - block % sic7888::kBlocksPerPage;
}

// "BADR%02d: %02x, %02x, %02x, %02x" for block i of the whole memory (44 × 4 bytes).
std::vector<std::string> Sic7888DumpLines(std::span<const uint8_t> memory);

}  // namespace fdx
