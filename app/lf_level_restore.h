#pragma once
// The LF transmission level a reader check must give back. The check lowers the module's level
// step by step; before the first change it notes the level it found (and the port) in a small
// state file, and removes the file once that level is set again. When the check could not set
// it back (the port vanished, the process was killed), the next identification of a module on
// the same port sets it back and removes the file.
#include <optional>
#include <string>

class AppCore;

namespace lf_level_restore {

struct Pending {
  std::string port;  // the port name the module was opened by (COM9, /dev/ttyUSB0)
  int level = 0;
};

// <appdata>/norvik/QZH900Tool/LfLevelRestore.ini
std::string StatePath();
// Notes the level to give back; false with the reason in *error when the file cannot be written.
bool Remember(const Pending& pending, std::string* error);
// The level still to give back; nullopt when there is none (or the file makes no sense).
std::optional<Pending> Load();
void Forget();

// After a module on `port` was identified: gives a level noted for that port back (04 02) and
// writes a line saying so. True when there was nothing to do or it was done.
bool RestoreAfterOpen(AppCore& app);

}  // namespace lf_level_restore
