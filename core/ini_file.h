#pragma once
// The one INI reader and writer. The whole file is read into memory; a save rewrites the whole
// file atomically (temporary file, then rename), so sections and keys this tool does not know
// survive, and a crash or a full disk never leaves a truncated file. Section and key names
// compare without regard to ASCII case, as INI files always have.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // Reads the file; a missing or unreadable file gives an empty document. Returns whether the
  // file existed and was read.
  bool Load();

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
  // folder is not writable, the disk is full or the rename fails.
  bool Save() const;

  // Called after each piece of a save's temporary file is written, with the bytes written so
  // far and the whole size. The settings crash test stops its saver there, so that every kill
  // lands inside a write. Null in the tool.
  using SaveWriteHook = void (*)(size_t written, size_t total);
  static void SetSaveWriteHookForTests(SaveWriteHook hook);

  // Helpers for the write rules of the settings sections.
  static bool Exists(const std::string& path);
  // A file without the owner's write bit, or one this process cannot write, counts as
  // read-only (root ignores permissions, so the bit is tested as well).
  static bool IsReadOnly(const std::string& path);
  static bool CreateFolders(const std::string& folder);
  static std::string FolderOf(const std::string& path);

 private:
  struct Line {
    std::string raw;      // original text of comment, blank or malformed lines
    std::string section;  // section this line belongs to (name as written)
    std::string key;      // empty for non key lines
    std::string value;
    bool isHeader = false;
  };
  int FindKey(const std::string& section, const std::string& key) const;
  int FindSectionEnd(const std::string& section) const;

  std::string path_;
  std::vector<Line> lines_;
};

// Delphi-style general float format with 15 significant digits ("1.23456789012346E17",
// "123456789012345", "0").
std::string FormatGeneralFloat(double v);
// Reads a number written by FormatGeneralFloat (or any decimal real); nullopt if it is none.
std::optional<double> ParseFloat(const std::string& s);
// Decimal integer with optional sign, or hex with "0x"/"$"; surrounding blanks allowed.
std::optional<int64_t> ParseInteger(const std::string& s);
