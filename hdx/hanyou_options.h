#pragma once
// Section HanyouDlgOption of the settings file: the multipage editor's own settings, loaded when
// the editor opens and saved when it closes.
#include <string>

struct HanyouDlgOption {
  int DisplayMode = 0;  // 0 ASCII display, 1 HEX display
  bool LockSelect = false;
  bool BitInversion = false;
  int WriteLockNum = 0;  // bit n: page n + 1 selected for locking
  std::string SaveFileName = "datalist.csv";
  int FastMode = 0;  // 1: one command for all pages (reader level 2 or more)
};

// Missing file, section or key: the defaults.
HanyouDlgOption LoadHanyouDlgOption(const std::string& settingsPath);
// A missing file is created (with its folders) first; a read-only file, or one that cannot be
// created, is left alone. Returns whether the section was written.
bool SaveHanyouDlgOption(const std::string& settingsPath, const HanyouDlgOption& o);
