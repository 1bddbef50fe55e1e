#include "hdx/disp_tag_data_settings.h"

#include "core/ini_file.h"
#include "core/settings_file.h"

namespace {
const char* const kSection = "DispTagData";
}

DispTagDataOption LoadDispTagDataOption(const std::string& settingsPath) {
  IniFile ini(settingsPath);
  ini.Load();
  DispTagDataOption o;
  o.SaveFileName = ini.ReadString(kSection, "SaveFileName", o.SaveFileName);
  o.FastMode = static_cast<int>(ini.ReadInteger(kSection, "FastMode", o.FastMode));
  return o;
}

bool SaveDispTagDataOption(const std::string& settingsPath, const DispTagDataOption& o) {
  return UpdateSettingsFile(settingsPath, [&](IniFile& ini) {
    ini.WriteString(kSection, "SaveFileName", o.SaveFileName);
    ini.WriteInteger(kSection, "FastMode", o.FastMode);
  });
}
