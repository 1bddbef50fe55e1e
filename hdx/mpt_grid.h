#pragma once
// The multipage editor's grid StringGrid_Hanyou without a widget: 17 rows (pages 1-17) of 8 byte
// cells and a Lock cell, the CellKind flags that select the blue drawing, the byte order of
// BitInversion, the ASCII and HEX displays, the typing filter, the cell check and the CSV text.
// Cell texts are UTF-8; "characters" are code points.
#include <array>
#include <cstdint>
#include <span>
#include <string>

enum class MptDisplay { Ascii = 0, Hex = 1 };

class MptGrid {
 public:
  static constexpr int kPages = 17;
  static constexpr int kByteColumns = 8;
  static constexpr int kLockColumn = 8;
  static constexpr int kColumns = 9;

  MptGrid() { Clear(); }

  // All cells empty, every CellKind 0.
  void Clear();
  // Row r (page r + 1) from the page's bytes p0 .. p7 and its status byte, as a read shows it:
  // ASCII display shows letters and digits as characters, anything else as two digits.
  void FillRow(int row, std::span<const uint8_t, 8> page, uint8_t status, bool bitInversion,
               MptDisplay display);
  // The page bytes d0 .. d7 of row r under the byte order; every cell must pass CellValid.
  std::array<uint8_t, 8> RowBytes(int row, bool bitInversion, MptDisplay display) const;

  // Column c (0-7) holds byte p7 - c without inversion, p c with it.
  static int ByteOfColumn(int column, bool bitInversion);

  const std::string& Cell(int column, int row) const { return cells_[Index(column, row)]; }
  void SetCell(int column, int row, std::string text);
  // 1 where the cell shows a character in ASCII display.
  int CellKind(int column, int row) const { return kinds_[Index(column, row)]; }

  // Display switches: to ASCII every byte cell read as hex becomes a character when 0x21-0x7E;
  // to HEX every one-character cell becomes the two digits of its character code.
  void SwitchToAscii();
  void SwitchToHex();

  // What the cell keeps of a text being typed into it (StringGrid_HanyouSetEditText).
  static std::string FilterEditText(const std::string& text, MptDisplay display);
  // One or two characters; in HEX display hexadecimal digits. In ASCII display a two-character
  // cell must be hexadecimal digits too, since it is written as such.
  static bool CellValid(const std::string& cell, MptDisplay display);
  bool AllByteCellsValid(MptDisplay display) const;
  // A valid cell's byte.
  static uint8_t CellToByte(const std::string& cell, MptDisplay display);

  // The grid file text (CR LF line ends): an empty line, the date line, the header and 17 rows.
  // A cell holding a comma or a quote is quoted, one a spreadsheet would run as a formula gets a
  // leading apostrophe (csv::TextField); every other cell is written as it is.
  std::string CsvText(const std::string& dateLine, bool bitInversion) const;
  // "1".."8", or "8".."1" with inversion: the number shown above byte column c.
  static std::string ColumnNumber(int column, bool bitInversion);

 private:
  static size_t Index(int column, int row) {
    return static_cast<size_t>(row) * kColumns + static_cast<size_t>(column);
  }
  std::array<std::string, kPages * kColumns> cells_;
  std::array<int, kPages * kColumns> kinds_{};
};

// UTF-8 helpers of the grid.
size_t Utf8Length(const std::string& text);
std::string Utf8Prefix(const std::string& text, size_t characters);
// The code point of the first character (0 for an empty text).
uint32_t Utf8First(const std::string& text);
