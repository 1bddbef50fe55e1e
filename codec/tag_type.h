#pragma once
// The tag type byte that HDX responses, ID read answers and 'I' frames carry, with its labels in
// one table: the "Tag Type: " line of the log, the short label of the tag tally and the maker the
// tag memory viewer names for it.
#include <cstdint>
#include <optional>
#include <string>

enum class TagType : uint8_t {
  ReadWrite = 0,
  ReadOnly = 1,
  MultiPage = 2,
  Aes = 3,
  Sic279 = 4,
  Em = 5,
  FdxB = 6,
  Sic7888 = 7,
  Fecava = 8,
  Bde = 9,
};

// The type a byte names; nullopt for a byte no type has.
std::optional<TagType> TagTypeOf(uint8_t byte);

// The label of the "Tag Type: " line ("R/W Tag", "FECAVA Tag", ...); a byte that names no type
// gets "Unknown Tag".
std::string TagTypeLabel(uint8_t byte);
inline std::string TagTypeLabel(TagType type) {
  return TagTypeLabel(static_cast<uint8_t>(type));
}

// The tally's column text for the kind of an 'I' frame, as two hexadecimal digits ("06"): "RW",
// "RO", "MPT", "AES", "SIC279", "EM" or "FDX-B"; "??" for any other kind.
const char* TallyTagLabel(const std::string& kindText);

// The maker of the chip that the type alone names ("EM", "SIC7888", "FECAVA"; "" for FDX-B and
// for the HDX types, whose maker needs a read of its own).
const char* TagTypeMaker(TagType type);
