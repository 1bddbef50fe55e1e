#pragma once
// The module's own numbers, without a dialog or a port: response byte access, the configuration
// word (word 1) and its speed code, the buzzer setting of word 11, the serial speeds and the
// EEPROM write-test pattern.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/comm_module.h"
#include "link/line_settings.h"

namespace module_words {

// Response byte n counts the ACK data with the echoed code as byte 0; it is out[n + 1].
inline bool HasBytes(const Response& out, int lastByte) {
  return out[0] > lastByte;
}
inline uint8_t Byte(const Response& out, int n) {
  return out[static_cast<size_t>(n) + 1];
}
// Two bytes from response byte n on, low byte first.
inline uint16_t Word(const Response& out, int n) {
  return static_cast<uint16_t>(Byte(out, n) | (Byte(out, n + 1) << 8));
}
inline uint8_t Lo(uint16_t w) {
  return static_cast<uint8_t>(w & 0xFF);
}
inline uint8_t Hi(uint16_t w) {
  return static_cast<uint8_t>(w >> 8);
}

inline constexpr int kConfigWord = 1;
inline constexpr int kBuzzerWord = 11;
inline constexpr uint16_t kTestModeBuzzerBit = 0x0002;  // word 1 bit 1

// Speed code (bits 13-15 of word 1, and system parameter 1): 0 9600, 1 19200, 2 38400,
// 3 57600, 4 115200 bit/s.
inline constexpr int kSpeedCodes = 5;
const std::array<std::string, kSpeedCodes>& SpeedItems();  // "9600bps" .. "115.2kbps"
// The local port rate of a speed code; any other code gives 19200.
TBaudRate RateOfSpeedCode(int code);
inline int SpeedCodeOf(uint16_t word1) {
  return word1 >> 13;
}
inline uint16_t WithSpeedCode(uint16_t word1, int code) {
  return static_cast<uint16_t>((word1 & 0x1FFF) | ((code & 7) << 13));
}
inline uint16_t WithTestModeBuzzer(uint16_t word1, bool on) {
  return static_cast<uint16_t>(on ? word1 | kTestModeBuzzerBit : word1 & ~kTestModeBuzzerBit);
}

// Word 11 as the parameter dialog shows it, in Hz: 24000000 / (2w + 2) + 0.5, truncated, in
// single precision.
int64_t BuzzerHzOfWord(uint16_t w);
// The word stored for F Hz: 24000000 / (2F + 1) + 0.5, truncated, in single precision. Not the
// exact inverse (1500 Hz stores 7997). Frequencies below 183 Hz would need more than 16 bits:
// they store 65535 instead of a wrapped value.
uint16_t WordOfBuzzerHz(int64_t hz);

// EEPROM write test: the 22 words written from the start word on.
inline constexpr std::array<uint16_t, 22> kWriteTestPattern = {
    0x0230, 0x0405, 0x041E, 0x01F4, 0x00C8, 0x1E14, 0x2039, 0x2039, 0x0BB8, 0x0698, 0x1F40,
    0x0002, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0003, 0x00FF};
// Words one write command can carry: code, start and count plus two bytes a word must fit the
// 249 data bytes of a command frame.
inline constexpr int kMaxWordsPerWrite = (249 - 3) / 2;  // 123
// The first `count` words of the test pattern as bytes, low byte first; past the 22nd word the
// pattern starts again from its first word.
std::vector<uint8_t> WriteTestBytes(int count);

}  // namespace module_words
