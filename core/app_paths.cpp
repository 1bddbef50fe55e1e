#include "core/app_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace app_paths {

std::string AppDataDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string h = home && *home ? home : "";
  if (h.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid())) h = pw->pw_dir;
  }
  if (h.empty()) h = "/tmp";
  return h + "/.config";
}

std::string NorvikDir() {
  return AppDataDir() + "/norvik";
}

std::string SettingsPath() {
  return NorvikDir() + "/" + kExeBase + "/" + kExeBase + ".ini";
}

std::string PortRegistryPath() {
  return NorvikDir() + "/ports.ini";
}
std::string LocaleOverridePath() {
  return NorvikDir() + "/LocaleOverride.ini";
}
std::string RestartBatchPath() {
  return NorvikDir() + "/r.bat";
}

}  // namespace app_paths
