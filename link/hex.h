#pragma once
// The one hexadecimal formatter: every byte dump of the log ("TX: ", "RX: ", "ID: ") and every
// fixed-width hex number goes through here.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

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

}  // namespace hex
