#include "link/frame.h"

#include <array>

namespace frame {

uint8_t FrameSum(const uint8_t* frame) {
  const size_t len = frame[3];
  unsigned total = 0;
  for (size_t i = 0; i < len + 5; ++i) total += frame[i];
  return static_cast<uint8_t>(total & 0xFF);
}

namespace {
constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t reg = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) reg = (reg & 1) ? (reg >> 1) ^ 0x8408 : reg >> 1;
    table[i] = reg;
  }
  return table;
}
constexpr auto kCrcTable = MakeTable();
static_assert(kCrcTable[1] == 0x1189);
}  // namespace

uint16_t RaccessCheck(const uint8_t* bytes, size_t count) {
  uint16_t reg = 0;
  for (size_t i = 0; i < count; ++i) reg = kCrcTable[(reg ^ bytes[i]) & 0xFF] ^ (reg >> 8);
  return static_cast<uint16_t>(~reg);
}

namespace {
// STX byte1 byte2 LEN data ETX SUM CR, with at most maxData data bytes: the one layout of command
// and response frames.
std::vector<uint8_t> BuildFrame(uint8_t byte1, uint8_t byte2, std::span<const uint8_t> data,
                                size_t maxData) {
  const size_t len = data.size() < maxData ? data.size() : maxData;
  std::vector<uint8_t> f;
  f.reserve(len + 7);
  f.push_back(STX);
  f.push_back(byte1);
  f.push_back(byte2);
  f.push_back(static_cast<uint8_t>(len));
  f.insert(f.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(len));
  f.push_back(ETX);
  f.push_back(FrameSum(f.data()));
  f.push_back(CR);
  return f;
}
}  // namespace

std::vector<uint8_t> BuildCommandFrame(std::span<const uint8_t> data, uint8_t kind) {
  return BuildFrame(0x00, kind, data, kMaxCommandData);
}

std::vector<uint8_t> BuildResponseFrame(uint8_t type, std::span<const uint8_t> data,
                                        uint8_t byte1) {
  return BuildFrame(byte1, type, data, 255);
}

bool ResponseFrameValid(std::span<const uint8_t> f) {
  if (f.size() < 7) return false;
  const size_t len = f[3];
  if (f.size() != len + 7) return false;
  return f[6 + len] == CR && f[5 + len] == FrameSum(f.data()) && f[4 + len] == ETX;
}

}  // namespace frame
