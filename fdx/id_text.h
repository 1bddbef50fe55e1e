#pragma once
// ID numbers typed as text: the industrial ID of the plain animal-ID dialog (decimal, or up to
// 16 hexadecimal digits) and the EM ID of its set-up dialog (up to 10 hexadecimal digits).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fdx {

// Decimal digits only (blanks around them allowed), at most 2^64 - 1; nullopt for anything
// else, so that a mistyped ID is never written as some other number.
std::optional<uint64_t> ParseDecimalId(std::string_view text);
// 1 to 16 hexadecimal digits (blanks around them allowed); nullopt for anything else.
std::optional<uint64_t> ParseHexId(std::string_view text);
// The number in the base given: decimal, or 16 upper-case hexadecimal digits.
std::string FormatId(uint64_t value, bool hex, int hexDigits = 16);

// The EM ID set-up's reading of its hexadecimal field: '0'-'9', 'a'-'f' and 'A'-'F' have their
// value, any other character (a whole UTF-8 sequence) counts as the digit 0; only the low 64
// bits are kept.
uint64_t ParseLenientHex(std::string_view text);

// The text cut to at most `count` characters, UTF-8 sequences kept whole (a field's maximum
// length).
std::string_view FirstCharacters(std::string_view text, size_t count);

}  // namespace fdx
