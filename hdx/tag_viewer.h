#pragma once
// The tag memory viewer's "Read" without a window: identifies the transponder in the module's
// field (HDX by the charge-only read, else FDX by the ID reads), shows its ID, tag type and chip,
// and reads its whole memory into a three-column table: the pages of a TI multipage transponder,
// the blocks of a SIC279, HDX+ or SIC7888 transponder, or the words of an EM4205/EM4305. The
// viewer window (TDispTagDataDlg) and the command runner's `dump` share this code path.
//
// Headless use (what `qzh900ctl dump` calls):
//
//   const DispTagDataOption o = LoadDispTagDataOption(app.SettingsPath());
//   TagData data = ReadTagData(app, {.fixedTagType = 0, .fastMode = o.FastMode == 1});
//   data.EdUID, data.EdChip, data.EdManufacturer, data.StringGrid1[row][col] (row 0 the header)
//   files::Error error;
//   if (!AppendTagDataCsv(CsvFileName(path), data, std::time(nullptr), &error)) ...
//
// The exchange's lines and the viewer's own few lines ("OK: ChargeOnlyReadCmd", the ID line,
// the FDX ID lines) go to app's log pane, as in the window. Nothing throws for a missing or
// silent transponder: fields and cells the reads could not fill stay empty.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/comm_module.h"

class AppCore;

// What the viewer shows: the three fields of its top panel and the grid StringGrid1 (three
// columns; row 0 the header, used like any other row).
struct TagData {
  static constexpr int kColumns = 3;
  static constexpr int kInitialRows = 18;
  using Row = std::array<std::string, kColumns>;

  std::string EdUID;           // "ID(Hex)"
  std::string EdChip;          // "Tag Type"
  std::string EdManufacturer;  // "Chip/Manufacture"
  std::vector<Row> StringGrid1 = std::vector<Row>(kInitialRows);

  // Empties the three fields and every cell; the row count stays.
  void Clear();
  // Sets the row count (header included), keeping the cells of the rows that stay.
  void SetRowCount(int rows) { StringGrid1.resize(static_cast<size_t>(rows)); }
  int RowCount() const { return static_cast<int>(StringGrid1.size()); }
};

// FixedTagType of the viewer (not stored; 0 when the viewer opens).
enum FixedTagTypes : int {
  kIdentifyTag = 0,
  kFixedMultipage = 1,
  kFixedSic279 = 2,
  kFixedSic7888 = 3,
  kFixedEm4305 = 4,
};

struct TagReadOptions {
  int fixedTagType = kIdentifyTag;
  // Setting FastMode 1: TI pages and SIC7888 blocks with one command each. Takes effect only at
  // reader level 2 or more.
  bool fastMode = false;
};

// One "Read" of the viewer over the data it fills. `onChange` runs after every filled row or
// field, so a window can show the rows as they arrive (may be empty).
class TagMemoryReader {
 public:
  TagMemoryReader(AppCore& app, TagData& data, std::function<void()> onChange = {});

  // Empties the data, then reads by the fixed tag type (0: identify HDX, then FDX). Identifying
  // asks the tag what it is, so the failures on the way are the outcome's probes; the read ends
  // with the conclusion whether a tag was identified, and failed memory reads count.
  void Read(const TagReadOptions& options);

  // The parts of a read, as the fixed tag types and the identifications use them.
  // False when no HDX transponder answered the charge-only read or its HDX+ blocks could not be
  // read (what was filled stays).
  bool IdentifyHdx();
  void IdentifyFdx();
  void ReadTiPages();
  void ReadSic279Blocks();
  // The 16 HDX+ blocks; false (with the NG line) at the first block that does not answer.
  bool ReadHdxPlusBlocks();
  void ReadSic7888Blocks();
  // Word 0 names the chip (bits 4-1 of its last byte: 1 EM4205, 9 EM4305); then its words.
  // `probing`: the word 0 read asks whether the chip is an EM one at all.
  void ReadEmWordsOfChip(bool probing = false);
  void ReadEmWords(bool em4305);

 private:
  bool Fast() const;
  void Changed();
  TagData::Row& RowAt(int row) { return data_.StringGrid1.at(static_cast<size_t>(row)); }
  void SetHeader(const char* c0, const char* c1, const char* c2);

  AppCore& app_;
  TTirisC1Dlg& comm_;
  TagData& data_;
  std::function<void()> onChange_;
  bool fastMode_ = false;
};

// "Read" headless: a fresh TagData (18 empty rows) read as the viewer's Read button does.
TagData ReadTagData(AppCore& app, const TagReadOptions& options);

// Labels of the third column, by block or word.
std::string HdxPlusBlockLabel(int block);
std::string Sic7888BlockLabel(int block);
std::string Em4305WordLabel(int word);
