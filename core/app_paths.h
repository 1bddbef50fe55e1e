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

// The per-user data folder: $XDG_DATA_HOME, else ~/.local/share.
std::string DataDir();
// <data>/norvik/QZH900Tool/ledger.sqlite, the code ledger of series programming on one machine.
std::string DefaultLedgerPath();

}  // namespace app_paths
