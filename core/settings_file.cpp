#include "core/settings_file.h"

#include "core/ini_file.h"

bool UpdateSettingsFile(const std::string& path, const std::function<void(IniFile&)>& store) {
  if (IniFile::Exists(path)) {
    if (IniFile::IsReadOnly(path)) return false;
  } else if (!IniFile::CreateFolders(IniFile::FolderOf(path))) {
    return false;
  }
  IniFile ini(path);
  // A file that is there but cannot be read (too large, not a regular file) is left alone.
  if (!ini.Load() && ini.LoadError()) return false;
  store(ini);
  return ini.Save();
}
