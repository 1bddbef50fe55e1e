#pragma once
// A private configuration folder for one test: XDG_CONFIG_HOME points at a fresh temporary
// folder for the life of the object, and XDG_DATA_HOME at its subfolder "share" (the default code
// ledger), so nothing leaks into the user's files or between tests.
#include <string>

class TempConfig {
 public:
  TempConfig();
  ~TempConfig();
  TempConfig(const TempConfig&) = delete;
  TempConfig& operator=(const TempConfig&) = delete;

  const std::string& Dir() const { return dir_; }
  std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }
  // Settings file of the tool inside this folder.
  std::string SettingsPath() const;

  static std::string ReadFile(const std::string& path);
  static void WriteFile(const std::string& path, const std::string& text);

 private:
  struct Saved {
    const char* name;
    bool had = false;
    std::string value;
  };
  std::string dir_;
  Saved saved_[2] = {{"XDG_CONFIG_HOME", false, {}}, {"XDG_DATA_HOME", false, {}}};
};
