#include "hdx/hanyou_options.h"

#include <fcntl.h>
#include <unistd.h>

#include "core/ini_file.h"

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
  if (IniFile::Exists(settingsPath)) {
    if (IniFile::IsReadOnly(settingsPath)) return false;
  } else {
    if (!IniFile::CreateFolders(IniFile::FolderOf(settingsPath))) return false;
    const int fd = ::open(settingsPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
  }
  IniFile ini(settingsPath);
  ini.Load();
  ini.WriteInteger(kSection, "DisplayMode", o.DisplayMode);
  ini.WriteBool(kSection, "LockSelect", o.LockSelect);
  ini.WriteBool(kSection, "BitInversion", o.BitInversion);
  ini.WriteInteger(kSection, "WriteLockNum", o.WriteLockNum);
  ini.WriteString(kSection, "SaveFileName", o.SaveFileName);
  ini.WriteInteger(kSection, "FastMode", o.FastMode);
  return ini.Save();
}
