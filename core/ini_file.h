#pragma once
// The one INI reader and writer. The whole file is read into memory (at most 16 MiB: a larger
// file, or anything but a regular file, is refused and never saved over); a save rewrites the
// whole file atomically through the file unit (core/files.h), so sections and keys this tool
// does not know survive, and a crash or a full disk never leaves a truncated file. Section and
// key names compare without regard to ASCII case, as INI files always have. Reading is linear in
// the file's size: runs of comment and blank lines stay one piece of text, and keys are found
// through a hash index.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/files.h"

class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // Reads the file; a missing file, and one that cannot be read, give an empty document. Returns
  // whether the file existed and was read.
  bool Load();
  // Why the last Load did not read a file that is there (Kind::None when it read it or there was
  // none). Such a document is never saved over the file.
  const files::Error& LoadError() const { return loadError_; }
  // The document from the file's contents (what Load does with them).
  void LoadText(std::string text);

  bool HasKey(const std::string& section, const std::string& key) const;
  std::optional<std::string> Value(const std::string& section, const std::string& key) const;

  // Every key of a section with its value, in file order (a repeated key as often as it is
  // written).
  std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal, or hexadecimal with a "0x" or "$" prefix; anything else yields def.
  int64_t ReadInteger(const std::string& section, const std::string& key, int64_t def) const;
  double ReadFloat(const std::string& section, const std::string& key, double def) const;
  // "1"/"0" and "true"/"false"; anything else yields def.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  // Updates the value in place, or appends the key at the end of its section (the section at
  // the end of the file when it is new).
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int64_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void DeleteKey(const std::string& section, const std::string& key);

  // The document as text, one line per entry, "\n" line ends.
  std::string Text() const;

  // Rewrites the file atomically. Returns false (and leaves the old file untouched) when the
  // file could not be read, the folder is not writable, the disk is full or the rename fails.
  bool Save() const;

  // Helpers for the write rules of the settings sections.
  static bool Exists(const std::string& path);
  // A file without the owner's write bit, or one this process cannot write, counts as
  // read-only (root ignores permissions, so the bit is tested as well).
  static bool IsReadOnly(const std::string& path);
  static bool CreateFolders(const std::string& folder);
  static std::string FolderOf(const std::string& path);

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  enum class Kind : uint8_t { Raw, Header, Key, Deleted };
  // One header or key line, or a run of other lines (comments, blank and malformed lines), in a
  // list in file order. Text read from the file stays in text_; what the tool writes is owned.
  // A line's parts are found once, when it is read: a save writes a header and a key line from
  // them, so only a run keeps its text as it was.
  struct Item {
    uint32_t begin = 0, end = 0;  // in text_: a run's lines with their line ends, a header's
                                  // section name, a key line's key
    uint32_t valueBegin = 0, valueEnd = 0;  // in text_: a key line's value
    uint32_t next = kNone;                  // the next item in file order
    uint32_t header = kNone;  // the header item of the item's section (a header: itself)
    uint32_t owned = kNone;   // in owned_: the name, key and value the tool gave it
    Kind kind = Kind::Raw;
  };
  struct Owned {
    std::string name;  // section name of a header, key of a key line
    std::string value;
  };

  std::string_view View(uint32_t begin, uint32_t end) const;
  std::string_view SectionOf(const Item& item) const;
  std::string_view KeyOf(const Item& item) const;
  std::string_view ValueOf(const Item& item) const;
  bool Matches(const Item& item, std::string_view section, std::string_view key) const;
  uint32_t Append(Item item, uint32_t after);
  uint32_t FindKey(std::string_view section, std::string_view key) const;
  // The last header or key line of a section; `lower` is its name in lower case.
  uint32_t FindSectionEnd(const std::string& section, const std::string& lower) const;
  // The hash index of the first key line of each section and key: `section` and `key` are the
  // item's, `hash` the hash of both.
  void IndexKey(uint32_t item, std::string_view section, std::string_view key, uint64_t hash);
  void Place(uint32_t item, uint64_t hash);
  // The index slot of section and key, or the empty slot where they would go.
  size_t Probe(std::string_view section, std::string_view key, uint64_t hash) const;
  uint32_t* Slot(std::string_view section, std::string_view key, uint64_t hash);
  const uint32_t* Slot(std::string_view section, std::string_view key, uint64_t hash) const;

  std::string path_;
  files::Error loadError_;
  std::string text_;
  std::vector<Item> items_;
  std::vector<Owned> owned_;
  uint32_t head_ = kNone, tail_ = kNone;
  struct IndexSlot {
    uint64_t hash = 0;      // of the item's section and key
    uint32_t item = kNone;  // kNone empty, kNone - 1 a removed entry
  };
  std::vector<IndexSlot> slots_;
  size_t indexed_ = 0;
  // Where each section (lower case) ends: its last header or key line; kept for the writes.
  mutable std::unordered_map<std::string, uint32_t> sectionEnd_;
};

// Delphi-style general float format with 15 significant digits ("1.23456789012346E17",
// "123456789012345", "0").
std::string FormatGeneralFloat(double v);
// Reads a number written by FormatGeneralFloat (or any decimal real); nullopt if it is none.
std::optional<double> ParseFloat(const std::string& s);
// Decimal integer with optional sign, or hex with "0x"/"$"; surrounding blanks allowed.
std::optional<int64_t> ParseInteger(const std::string& s);
