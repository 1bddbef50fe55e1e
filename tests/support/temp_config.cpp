#include "tests/support/temp_config.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/app_paths.h"

TempConfig::TempConfig() {
  char tmpl[] = "/tmp/qzh-test-XXXXXX";
  if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  for (Saved& s : saved_) {
    if (const char* old = ::getenv(s.name)) {
      s.had = true;
      s.value = old;
    }
  }
  ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (dir_ + "/share").c_str(), 1);
}

TempConfig::~TempConfig() {
  for (const Saved& s : saved_) {
    if (s.had)
      ::setenv(s.name, s.value.c_str(), 1);
    else
      ::unsetenv(s.name);
  }
  std::error_code ec;
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(dir_, ec);
}

std::string TempConfig::SettingsPath() const {
  return app_paths::SettingsPath();
}

std::string TempConfig::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void TempConfig::WriteFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}
