// The INI reader and the settings loader on arbitrary file contents, then a rewrite that must read
// back the same values.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/ini_file.h"
#include "core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/qzh-ini-fuzz-" + std::to_string(::getpid()) + ".ini";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  IniFile ini(path);
  ini.Load();
  const OptionSettings s = LoadOptionSettings(ini, Language::English);
  StoreOptionSettings(ini, s, Language::English);
  if (!ini.Save()) return 0;
  IniFile again(path);
  again.Load();
  const OptionSettings r = LoadOptionSettings(again, Language::English);
  if (r.TirisPage != s.TirisPage || r.BDEId2 != s.BDEId2 || r.WriteData != s.WriteData ||
      r.IDKey != s.IDKey || r.LanguageFlag != s.LanguageFlag)
    std::abort();
  return 0;
}
