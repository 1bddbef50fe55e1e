#include "shell/decoded_id.h"

#include <cstdint>

#include "codec/animal_id.h"
#include "codec/country_names.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string DecodedIdText(const std::string& tagLabel, const std::string& idText, bool japanese) {
  const bool fdxb = tagLabel == "FDX-B";
  if (!fdxb && tagLabel != "RO") return "";
  // The leading "HH " groups are the bytes, most significant first.
  uint64_t value = 0;
  int bytes = 0;
  for (size_t at = 0; at + 1 < idText.size() && bytes <= 8; at += 3) {
    const int hi = HexDigit(idText[at]), lo = HexDigit(idText[at + 1]);
    if (hi < 0 || lo < 0 || (at + 2 < idText.size() && idText[at + 2] != ' ')) break;
    value = value << 8 | static_cast<uint64_t>(hi << 4 | lo);
    ++bytes;
  }
  // An FDX-B ID holds at least the country and national ID (six bytes); a read-only HDX ID is an
  // animal code only when it has all eight bytes and the animal flag.
  if (bytes > 8 || (fdxb && bytes < 6)) return "";
  const fdx::AnimalIdCode code = fdx::AnimalIdCode::Decode(value);
  if (!fdxb && (bytes != 8 || !code.animal)) return "";
  std::string text = code.CountryText() + " " + code.NationalText();
  const std::string name = fdx::CountryName(code.countryCode, japanese);
  if (!name.empty()) text += " (" + name + ")";
  return text;
}
