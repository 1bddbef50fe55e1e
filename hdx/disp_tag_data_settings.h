#pragma once
// Section DispTagData of the settings file: the tag memory viewer's own settings, loaded when the
// viewer opens and written when it closes.
#include <string>

struct DispTagDataOption {
  std::string SaveFileName = "DispTagData.csv";  // offered by "Save"
  int FastMode = 0;  // 1: TI pages and SIC7888 blocks with one command (reader level 2 or more)
};

// Missing file, section or key: the defaults.
DispTagDataOption LoadDispTagDataOption(const std::string& settingsPath);
// The write rules of the settings file: a read-only file is left alone; a missing one gets its
// folders first. Returns whether the section was written.
bool SaveDispTagDataOption(const std::string& settingsPath, const DispTagDataOption& o);
