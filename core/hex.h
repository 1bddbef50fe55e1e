#pragma once
// The one hexadecimal formatter: every byte dump of the log ("TX: ", "RX: ", "ID: ") and every
// fixed-width hex number goes through here.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hex {

// Two upper-case digits of one byte.
void AppendByte(std::string& out, uint8_t b);
std::string Byte(uint8_t b);

// Each byte as two upper-case digits followed by one space ("02 00 4D ").
std::string Bytes(std::span<const uint8_t> bytes);
std::string Bytes(const uint8_t* bytes, size_t count);
void AppendBytes(std::string& out, const uint8_t* bytes, size_t count);

// Upper-case hex digits of value, zero-padded to at least `digits` digits.
std::string Number(uint64_t value, int digits = 0);

// Hexadecimal text to bytes, two characters per byte, for the hex text fields of the dialogs:
// '0'-'9', 'a'-'f', 'A'-'F' have their value and any other character counts as digit 0 (so "G1"
// gives 0x01); after each pair, leading characters of code 0x20 or below are skipped (but not
// before the first pair: a leading blank is the high digit of the first byte); a single
// character left at the end is ignored.
std::vector<uint8_t> HexTextToBytes(std::string_view text);

}  // namespace hex
