#include "hdx/hanyou_options.h"

#include "core/ini_file.h"
#include "core/settings_file.h"

namespace {
const char* const kSection = "HanyouDlgOption";
}

HanyouDlgOption LoadHanyouDlgOption(const std::string& settingsPath) {
  IniFile ini(settingsPath);
  ini.Load();
  HanyouDlgOption o;
  o.DisplayMode = static_cast<int>(ini.ReadInteger(kSection, "DisplayMode", o.DisplayMode));
  o.LockSelect = ini.ReadBool(kSection, "LockSelect", o.LockSelect);
  o.BitInversion = ini.ReadBool(kSection, "BitInversion", o.BitInversion);
  o.WriteLockNum = static_cast<int>(ini.ReadInteger(kSection, "WriteLockNum", o.WriteLockNum));
  o.SaveFileName = ini.ReadString(kSection, "SaveFileName", o.SaveFileName);
  o.FastMode = static_cast<int>(ini.ReadInteger(kSection, "FastMode", o.FastMode));
  return o;
}

bool SaveHanyouDlgOption(const std::string& settingsPath, const HanyouDlgOption& o) {
  return UpdateSettingsFile(settingsPath, [&](IniFile& ini) {
    ini.WriteInteger(kSection, "DisplayMode", o.DisplayMode);
    ini.WriteBool(kSection, "LockSelect", o.LockSelect);
    ini.WriteBool(kSection, "BitInversion", o.BitInversion);
    ini.WriteInteger(kSection, "WriteLockNum", o.WriteLockNum);
    ini.WriteString(kSection, "SaveFileName", o.SaveFileName);
    ini.WriteInteger(kSection, "FastMode", o.FastMode);
  });
}
