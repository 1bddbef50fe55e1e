// The settings loader on arbitrary file contents, then the text a save writes, which must read
// back the same values. In memory: the file unit that reads and writes the text has tests of its
// own. The INI reader and writer alone are the target ini_fuzz, which runs far more inputs a
// second than this one with its seventy keys read, written and read again for every input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/ini_file.h"
#include "core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IniFile ini("");
  ini.LoadText(std::string(reinterpret_cast<const char*>(data), size));
  const OptionSettings s = LoadOptionSettings(ini, Language::English);
  StoreOptionSettings(ini, s, Language::English);
  // The settings also come back from a foreign section and a key written twice.
  ini.WriteString("Fuzz", "Key", "value");
  ini.DeleteKey("Fuzz", "Key");
  const std::string text = ini.Text();
  IniFile again("");
  again.LoadText(text);
  const OptionSettings r = LoadOptionSettings(again, Language::English);
  if (r.TirisPage != s.TirisPage || r.BDEId2 != s.BDEId2 || r.WriteData != s.WriteData ||
      r.IDKey != s.IDKey || r.LanguageFlag != s.LanguageFlag)
    std::abort();
  return 0;
}
