// The INI reader and writer on arbitrary file contents: the text a save writes reads back as the
// same document (the same text again, the same value of every key of the sections looked at),
// and edits read back as made: a key deleted (its next line of the same name counts then), a
// value replaced, a key and a section added. In memory, and only the keys the input holds, so
// that each input costs about its own size: the settings loader has its own target.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ini_file.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The value the first line of `key` in entries gives, skipping the first `skip` such lines.
std::optional<std::string> FirstValue(const Entries& entries, const std::string& key,
                                      int skip = 0) {
  for (const auto& [k, v] : entries)
    if (SameName(k, key) && skip-- <= 0) return v;
  return std::nullopt;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IniFile ini("");
  ini.LoadText(std::string(reinterpret_cast<const char*>(data), size));
  const std::string text = ini.Text();
  IniFile again("");
  again.LoadText(text);
  Check(again.Text() == text);  // a saved file saved again is the same file

  // Keys before the first header and in section Option: each reads as its first line, before
  // and after the save.
  for (const char* section : {"", "Option"}) {
    const Entries entries = ini.Entries(section);
    Check(again.Entries(section) == entries);
    for (const auto& [k, v] : entries) {
      Check(ini.Value(section, k) == FirstValue(entries, k));
      Check(again.Value(section, k) == FirstValue(entries, k));
    }
  }

  const Entries option = ini.Entries("Option");
  std::string deleted;
  if (!option.empty()) {
    deleted = option.front().first;
    ini.DeleteKey("Option", deleted);
    Check(ini.Value("Option", deleted) == FirstValue(option, deleted, 1));
  }
  ini.WriteString("Option", "TirisPage", "7");
  ini.WriteString("Fuzz", "Key", "a value");
  IniFile edited("");
  edited.LoadText(ini.Text());
  Check(edited.Value("Option", "TirisPage") == std::optional<std::string>("7"));
  Check(edited.Value("Fuzz", "Key") == std::optional<std::string>("a value"));
  for (const auto& [k, v] : option)
    if (!SameName(k, deleted) && !SameName(k, "TirisPage"))
      Check(edited.Value("Option", k) == FirstValue(option, k));
  return 0;
}
