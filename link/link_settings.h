#pragma once
// The link settings of section ComDebug as one value: the port's name, its line settings and the
// values the module keeps without using them. Read from and saved to the settings file here and
// nowhere else.
#include <string>

#include "link/line_settings.h"

class IniFile;

// Values of section ComDebug that the module keeps without using them.
struct LinkExtras {
  int CharWaitTime = 80;
  int RWPower = 1;
  int CardType = 0;
  int MAX_REC_NO = 100;
  // The number of the last port on which the module answered its identification (0: none yet);
  // the open-port dialog preselects it and guesses nothing else.
  int LastWorkingPort = 0;
};

struct LinkSettings {
  // "COMn" or a device path (or any name the link factory knows).
  std::string port = "COM1";
  LineSettings line;
  LinkExtras extras;
};

// Section ComDebug of the document; keys that are missing or out of range give the defaults.
LinkSettings ReadLinkSettings(const IniFile& ini);
// Section ComDebug of the settings file at path (a missing file gives the defaults).
LinkSettings LoadLinkSettingsFile(const std::string& path);
// Writes the settings into the file's section ComDebug under the settings file's write rule.
// A port given as a device path has no number: the stored number then stays as it was.
bool SaveLinkSettingsFile(const std::string& path, const LinkSettings& settings);
