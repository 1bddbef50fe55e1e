#pragma once
// Where the tool keeps its files on Linux: the per-user configuration folder stands for the
// roaming application-data folder.
#include <string>

namespace app_paths {

inline constexpr const char* kExeBase = "QZH900Tool";

// $XDG_CONFIG_HOME, else ~/.config.
std::string AppDataDir();
// <appdata>/norvik
std::string NorvikDir();
// <appdata>/norvik/QZH900Tool/QZH900Tool.ini
std::string SettingsPath();
// <appdata>/norvik/ports.ini
std::string PortRegistryPath();
// <appdata>/norvik/LocaleOverride.ini
std::string LocaleOverridePath();
// <appdata>/norvik/r.bat
std::string RestartBatchPath();

}  // namespace app_paths
