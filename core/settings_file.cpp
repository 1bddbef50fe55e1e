#include "core/settings_file.h"

#include "core/ini_file.h"

bool UpdateSettingsFile(const std::string& path, const std::function<void(IniFile&)>& store) {
  if (IniFile::Exists(path)) {
    if (IniFile::IsReadOnly(path)) return false;
  } else if (!IniFile::CreateFolders(IniFile::FolderOf(path))) {
    return false;
  }
  IniFile ini(path);
  ini.Load();
  store(ini);
  return ini.Save();
}
