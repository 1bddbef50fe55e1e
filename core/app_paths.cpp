#include "core/app_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace app_paths {

namespace {

// An XDG base folder: the variable when it holds an absolute path, else `fallback` in the home
// folder.
std::string XdgDir(const char* variable, const char* fallback) {
  const char* xdg = std::getenv(variable);
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string h = home && *home ? home : "";
  if (h.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid())) h = pw->pw_dir;
  }
  if (h.empty()) h = "/tmp";
  return h + "/" + fallback;
}

}  // namespace

std::string AppDataDir() {
  return XdgDir("XDG_CONFIG_HOME", ".config");
}

std::string DataDir() {
  return XdgDir("XDG_DATA_HOME", ".local/share");
}

std::string DefaultLedgerPath() {
  return DataDir() + "/norvik/" + kExeBase + "/ledger.sqlite";
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
