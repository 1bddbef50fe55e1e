#include "fdx/id_text.h"

#include <charconv>

#include "core/hex.h"

namespace fdx {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::optional<uint64_t> Parse(std::string_view text, int base, size_t maxDigits) {
  text = Trimmed(text);
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  uint64_t v = 0;
  const char* end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, v, base);
  if (ec != std::errc() || at != end) return std::nullopt;  // a sign, a stray letter, overflow
  return v;
}

}  // namespace

std::optional<uint64_t> ParseDecimalId(std::string_view text) {
  return Parse(text, 10, 20);
}

std::optional<uint64_t> ParseHexId(std::string_view text) {
  return Parse(text, 16, 16);
}

std::string FormatId(uint64_t value, bool hex, int hexDigits) {
  return hex ? hex::Number(value, hexDigits) : std::to_string(value);
}

namespace {
bool Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
}  // namespace

uint64_t ParseLenientHex(std::string_view text) {
  uint64_t v = 0;
  for (char c : text) {
    if (Continuation(c)) continue;  // the rest of a character already counted
    unsigned digit = 0;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    v = v << 4 | digit;
  }
  return v;
}

std::string_view FirstCharacters(std::string_view text, size_t count) {
  size_t at = 0;
  for (size_t n = 0; at < text.size() && n < count; ++n) {
    ++at;
    while (at < text.size() && Continuation(text[at])) ++at;
  }
  return text.substr(0, at);
}

}  // namespace fdx
