#pragma once
// The text forms in which the tool writes IDs to the log pane and to dialog status lines (an ISO
// 11784 code's lines are AnimalIdLines', which AppCore::LogAnimalId writes).
// Hexadecimal is always two upper-case digits per byte.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/animal_id.h"

namespace fdx {

// "Data: " + id7 .. id0, each byte followed by a blank.
std::string IdByteDump(std::span<const uint8_t, 8> id);
// "Version/Customer ID: " + e0 as "%03u", then "ID: " + e4 e3 e2 e1 + "[" + serial "%010lu" + "]".
std::vector<std::string> EmIdLines(std::span<const uint8_t, 5> e);
// "ID: " + Flag, Type of transponder, Application code, Supplier code, Serial number in decimal.
std::string BdeIdLine(std::span<const uint8_t, 8> id);
// "ID: " + v1 .. v5 (bit 7 of each character stripped) in hexadecimal, separated by blanks.
std::string FecavaIdLine(std::span<const uint8_t, 5> characters);

}  // namespace fdx
