#include "codec/sic7888_layout.h"

#include <cstdio>

#include "core/hex.h"

namespace fdx {

namespace {

bool Bit(uint8_t byte, int bit) {
  return (byte >> bit) & 1;
}

// Blocks sent in the tag-talks-first state, by range code r and k0 bit 2.
const char* TtfBlocks(int r, bool secondTable) {
  static const char* const kFirst[] = {"Disabled TTF Mode", "Block4 and 5", "Block4 to 7",
                                       "Block4 only"};
  static const char* const kSecond[] = {"Disabled TTF Mode", "Block4 to 6", "Block4 to 9",
                                        "Block4 to 11"};
  return secondTable ? kSecond[r] : kFirst[r];
}

}  // namespace

std::vector<std::string> Sic7888ConfigurationLines(std::span<const uint8_t, 4> k) {
  const uint8_t k0 = k[0], k1 = k[1], k2 = k[2];
  std::vector<std::string> lines;
  lines.push_back(std::string("Blocks, which is transmitted in TTF state : ") +
                  TtfBlocks((k1 >> 2) & 3, Bit(k0, 2)));
  // The hyphens of "FDX‐A", "Frequency‐Shifted‐Keying", "Bi‐phase" and "Write‐Protected" are
  // U+2010.
  if (Bit(k0, 5))
    lines.push_back(
        "FDX\u2010A animal identification standard : Frequency\u2010Shifted\u2010Keying coding");
  else if (Bit(k1, 6))
    lines.push_back("Coding In TTF State    : Differential Bi\u2010phase");
  else
    lines.push_back("Coding In TTF State    : Manchester");
  if (!Bit(k1, 7))
    lines.push_back("protection             : No protection");
  else if (!Bit(k0, 4))
    lines.push_back("protection             : Write\u2010Protected Password Mode");
  else
    lines.push_back("protection             : Read/Write Protected Password Mode");
  static const char* const kRates[] = {"RF/32", "RF/16", "RF/64", "RF/50"};
  lines.push_back(std::string("Data Rate In TTF State : ") + kRates[(k1 >> 4) & 3]);
  lines.push_back(std::string("OTP       : ") + (Bit(k1, 1) ? "1" : "0"));
  auto lock = [](bool set) { return set ? "Read Only" : "Read/Write"; };
  lines.push_back(std::string("LOCK2 - 3 : ") + lock(Bit(k1, 0)));
  static const char* const kLocks[] = {
      "LOCK4 - 5 : ", "LOCK6 - 7 : ", "LOCK8-11  : ", "LOCK12-15 : ",
      "LOCK16-23 : ", "LOCK24-31 : ", "LOCK32-40 : ", "LOCK41(CT): "};
  for (int i = 0; i < 8; ++i) lines.push_back(std::string(kLocks[i]) + lock(Bit(k2, 7 - i)));
  return lines;
}

std::string Sic7888CtLine(unsigned ct) {
  return "CT  : " + std::to_string(ct) + "[" + hex::Byte(static_cast<uint8_t>(ct)) + "]";
}

uint8_t ReverseBits(uint8_t b) {
  uint8_t r = 0;
  for (int i = 0; i < 8; ++i) r = static_cast<uint8_t>(r << 1 | ((b >> i) & 1));
  return r;
}

std::string Sic7888TraceabilityBytes(std::span<const uint8_t, 4> block) {
  std::string text;
  for (size_t i = block.size(); i-- > 0;) {
    hex::AppendByte(text, ReverseBits(block[i]));
    text.push_back(' ');
  }
  return text;
}

std::vector<std::string> Sic7888DumpLines(std::span<const uint8_t> memory) {
  std::vector<std::string> lines;
  for (size_t i = 0; i + 4 <= memory.size(); i += 4) {
    char line[40];
    std::snprintf(line, sizeof line, "BADR%02d: %02x, %02x, %02x, %02x", static_cast<int>(i / 4),
                  memory[i], memory[i + 1], memory[i + 2], memory[i + 3]);
    lines.emplace_back(line);
  }
  return lines;
}

}  // namespace fdx
