#include "hdx/mpt_grid.h"

#include <vector>

#include "core/csv.h"
#include "core/hex.h"
#include "hdx/ti_lines.h"

namespace {

bool IsHexDigit(uint32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(uint32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return 0;
}

bool IsAlnum(uint8_t b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9');
}

// Byte length of the UTF-8 sequence starting with lead byte b (1 for a stray byte).
size_t SequenceLength(unsigned char b) {
  if (b >= 0xF0 && b < 0xF8) return 4;
  if (b >= 0xE0) return b < 0xF0 ? 3 : 1;
  if (b >= 0xC0) return 2;
  return 1;
}

// The code points of a short text.
std::vector<uint32_t> CodePoints(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t n = SequenceLength(lead);
    if (i + n > text.size()) n = 1;
    uint32_t c = n == 1 ? lead : lead & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out.push_back(c);
    i += n;
  }
  return out;
}

std::string Character(uint8_t b) {
  return std::string(1, static_cast<char>(b));
}

}  // namespace

size_t Utf8Length(const std::string& text) {
  return CodePoints(text).size();
}

std::string Utf8Prefix(const std::string& text, size_t characters) {
  size_t i = 0;
  for (size_t k = 0; k < characters && i < text.size(); ++k) {
    size_t n = SequenceLength(static_cast<unsigned char>(text[i]));
    i += i + n > text.size() ? 1 : n;
  }
  return text.substr(0, i);
}

uint32_t Utf8First(const std::string& text) {
  const auto cps = CodePoints(Utf8Prefix(text, 1));
  return cps.empty() ? 0 : cps[0];
}

void MptGrid::Clear() {
  for (auto& c : cells_) c.clear();
  kinds_.fill(0);
}

void MptGrid::SetCell(int column, int row, std::string text) {
  cells_[Index(column, row)] = std::move(text);
}

int MptGrid::ByteOfColumn(int column, bool bitInversion) {
  return bitInversion ? column : kByteColumns - 1 - column;
}

std::string MptGrid::ColumnNumber(int column, bool bitInversion) {
  return std::to_string(bitInversion ? kByteColumns - column : column + 1);
}

void MptGrid::FillRow(int row, std::span<const uint8_t, 8> page, uint8_t status, bool bitInversion,
                      MptDisplay display) {
  for (int c = 0; c < kByteColumns; ++c) {
    const uint8_t b = page[static_cast<size_t>(ByteOfColumn(c, bitInversion))];
    const bool character = display == MptDisplay::Ascii && IsAlnum(b);
    cells_[Index(c, row)] = character ? Character(b) : hex::Byte(b);
    kinds_[Index(c, row)] = character ? 1 : 0;
  }
  cells_[Index(kLockColumn, row)] = PageLockMark(status);
  kinds_[Index(kLockColumn, row)] = 0;
}

std::array<uint8_t, 8> MptGrid::RowBytes(int row, bool bitInversion, MptDisplay display) const {
  std::array<uint8_t, 8> out{};
  for (int c = 0; c < kByteColumns; ++c)
    out[static_cast<size_t>(ByteOfColumn(c, bitInversion))] =
        CellToByte(cells_[Index(c, row)], display);
  return out;
}

void MptGrid::SwitchToAscii() {
  for (int row = 0; row < kPages; ++row) {
    for (int c = 0; c < kByteColumns; ++c) {
      std::string& cell = cells_[Index(c, row)];
      int& kind = kinds_[Index(c, row)];
      kind = 0;
      const auto cps = CodePoints(cell);
      if (cps.empty() || cps.size() > 2) continue;
      bool hexDigits = true;
      for (uint32_t cp : cps) hexDigits = hexDigits && IsHexDigit(cp);
      // A cell that is not hexadecimal has no byte to show; it stays for correction.
      if (!hexDigits) continue;
      const int v = cps.size() == 1 ? HexValue(cps[0]) : HexValue(cps[0]) * 16 + HexValue(cps[1]);
      if (v >= 0x21 && v <= 0x7E) {
        cell = Character(static_cast<uint8_t>(v));
        kind = 1;
      } else {
        cell = hex::Byte(static_cast<uint8_t>(v));
      }
    }
  }
}

void MptGrid::SwitchToHex() {
  for (int row = 0; row < kPages; ++row) {
    for (int c = 0; c < kByteColumns; ++c) {
      std::string& cell = cells_[Index(c, row)];
      if (Utf8Length(cell) == 1) cell = hex::Byte(static_cast<uint8_t>(Utf8First(cell) & 0xFF));
      kinds_[Index(c, row)] = 0;
    }
  }
}

std::string MptGrid::FilterEditText(const std::string& text, MptDisplay display) {
  if (display == MptDisplay::Ascii) return Utf8Prefix(text, 1);
  std::string t = Utf8Prefix(text, 2);
  const auto cps = CodePoints(t);
  if (cps.size() == 1 && !IsHexDigit(cps[0])) return "";
  if (cps.size() == 2 && !IsHexDigit(cps[1])) return Utf8Prefix(t, 1);
  return t;
}

bool MptGrid::CellValid(const std::string& cell, MptDisplay display) {
  const auto cps = CodePoints(cell);
  if (cps.empty() || cps.size() > 2) return false;
  if (display == MptDisplay::Ascii && cps.size() == 1) return true;
  for (uint32_t cp : cps)
    if (!IsHexDigit(cp)) return false;
  return true;
}

bool MptGrid::AllByteCellsValid(MptDisplay display) const {
  for (int row = 0; row < kPages; ++row)
    for (int c = 0; c < kByteColumns; ++c)
      if (!CellValid(cells_[Index(c, row)], display)) return false;
  return true;
}

uint8_t MptGrid::CellToByte(const std::string& cell, MptDisplay display) {
  const auto cps = CodePoints(cell);
  if (cps.empty()) return 0;
  if (cps.size() == 1)
    return display == MptDisplay::Ascii ? static_cast<uint8_t>(cps[0] & 0xFF)
                                        : static_cast<uint8_t>(HexValue(cps[0]));
  return static_cast<uint8_t>(HexValue(cps[0]) * 16 + HexValue(cps[1]));
}

std::string MptGrid::CsvText(const std::string& dateLine, bool bitInversion) const {
  const std::string eol = "\r\n";
  std::string out = eol + dateLine + eol + "Page＼Byte,";
  for (int c = 0; c < kByteColumns; ++c) out += ColumnNumber(c, bitInversion) + ",";
  out += "Lock" + eol;
  for (int row = 0; row < kPages; ++row) {
    out += "Page : " + std::to_string(row + 1) + ",";
    for (int c = 0; c < kColumns; ++c) {
      const std::string& cell = cells_[Index(c, row)];
      if (c > 0) out += ",";
      // A cell shows a byte of the tag as a character: a comma or a quote is quoted, a formula
      // character made text (core/csv.h); every other cell is written as it is.
      out += csv::TextField(Utf8Length(cell) == 2 ? "0x" + cell : cell);
    }
    out += eol;
  }
  return out;
}
