#pragma once
// Byte layouts of the frames exchanged with the QZH-900 and their two checks.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace frame {

inline constexpr uint8_t STX = 0x02;
inline constexpr uint8_t ETX = 0x03;
inline constexpr uint8_t CR = 0x0D;
inline constexpr uint8_t KindM = 0x4D;  // every command except LF carrier control
inline constexpr uint8_t KindN = 0x4E;  // LF carrier control (0x9E)

inline constexpr uint8_t TypeAck = 0x30;   // '0'
inline constexpr uint8_t TypeNack = 0x31;  // '1'
inline constexpr uint8_t TypeId = 0x49;    // 'I'

// A command frame is built in a 256-byte buffer: LEN + 7 bytes, so LEN <= 249.
inline constexpr size_t kMaxCommandData = 249;

// 8-bit additive sum over offsets 0 .. LEN+4 of a command or response frame, LEN taken from
// offset 3. The caller guarantees that the frame holds at least LEN + 5 bytes.
uint8_t FrameSum(const uint8_t* frame);

// Reflected CRC-16/CCITT (poly 0x8408, register starts at 0), ones' complement of the result.
uint16_t RaccessCheck(const uint8_t* bytes, size_t count);

// STX 00 kind LEN data ETX SUM CR. Data longer than kMaxCommandData is cut to that length.
std::vector<uint8_t> BuildCommandFrame(std::span<const uint8_t> data, uint8_t kind = KindM);

// Builds a response frame the way the module does (used by the simulator and tests).
std::vector<uint8_t> BuildResponseFrame(uint8_t type, std::span<const uint8_t> data,
                                        uint8_t byte1 = 0);

// True when a complete response frame of LEN + 7 bytes passes the CR, SUM and ETX tests.
bool ResponseFrameValid(std::span<const uint8_t> frame);

}  // namespace frame
