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

// Whether entries[i] is the first line of its name (the one a lookup gives).
bool FirstOfName(const Entries& entries, size_t i) {
  for (size_t j = 0; j < i; ++j)
    if (SameName(entries[j].first, entries[i].first)) return false;
  return true;
}

// The value of the line of `key` after the first, if there is one.
std::optional<std::string> SecondValue(const Entries& entries, const std::string& key) {
  bool first = true;
  for (const auto& [k, v] : entries)
    if (SameName(k, key) && !std::exchange(first, false)) return v;
  return std::nullopt;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The documents live from input to input, as the settings do in the tool: a load forgets all
  // that the previous one held.
  static IniFile ini(""), again(""), edited("");
  ini.LoadText(std::string(reinterpret_cast<const char*>(data), size));
  const std::string text = ini.Text();
  again.LoadText(text);
  Check(again.Text() == text);  // a saved file saved again is the same file

  // Keys before the first header and in section Option: the same before and after the save, and
  // each reads as its first line (after the save: below, with the edits).
  Entries option;
  for (const char* section : {"", "Option"}) {
    Entries entries = ini.Entries(section);
    Check(again.Entries(section) == entries);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!FirstOfName(entries, i)) continue;
      const auto& [k, v] = entries[i];
      Check(ini.Value(section, k) == v);
    }
    if (*section) option = std::move(entries);
  }

  std::string deleted;
  if (!option.empty()) {
    deleted = option.front().first;
    ini.DeleteKey("Option", deleted);
    Check(ini.Value("Option", deleted) == SecondValue(option, deleted));
  }
  ini.WriteString("Option", "TirisPage", "7");
  ini.WriteString("Fuzz", "Key", "a value");
  edited.LoadText(ini.Text());
  Check(edited.Value("Option", "TirisPage") == std::optional<std::string>("7"));
  Check(edited.Value("Fuzz", "Key") == std::optional<std::string>("a value"));
  for (size_t i = 0; i < option.size(); ++i) {
    const auto& [k, v] = option[i];
    if (FirstOfName(option, i) && !SameName(k, deleted) && !SameName(k, "TirisPage"))
      Check(edited.Value("Option", k) == v);
  }
  return 0;
}
