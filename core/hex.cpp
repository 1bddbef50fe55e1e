#include "core/hex.h"

namespace hex {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}

void AppendByte(std::string& out, uint8_t b) {
  out.push_back(kDigits[b >> 4]);
  out.push_back(kDigits[b & 0x0F]);
}

std::string Byte(uint8_t b) {
  std::string s;
  AppendByte(s, b);
  return s;
}

void AppendBytes(std::string& out, const uint8_t* bytes, size_t count) {
  out.reserve(out.size() + count * 3);
  for (size_t i = 0; i < count; ++i) {
    AppendByte(out, bytes[i]);
    out.push_back(' ');
  }
}

std::string Bytes(const uint8_t* bytes, size_t count) {
  std::string s;
  AppendBytes(s, bytes, count);
  return s;
}

std::string Bytes(std::span<const uint8_t> bytes) {
  return Bytes(bytes.data(), bytes.size());
}

std::string Number(uint64_t value, int digits) {
  std::string s;
  do {
    s.insert(s.begin(), kDigits[value & 0x0F]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), '0');
  return s;
}

namespace {
uint8_t Digit(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  return 0;
}
}  // namespace

std::vector<uint8_t> HexTextToBytes(std::string_view text) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (text.size() - i >= 2) {
    out.push_back(static_cast<uint8_t>(Digit(text[i]) << 4 | Digit(text[i + 1])));
    i += 2;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 0x20) ++i;
  }
  return out;
}

}  // namespace hex
