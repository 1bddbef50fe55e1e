#pragma once
// Language switching: the per-user locale override of the executable, the English resource module
// written out beside the executable, and restarting the program through the batch file r.bat.
// The language of a process is decided once at start-up: an override of "ENU" for the running
// executable installs the English module (a Qt translation catalogue); anything else keeps the
// Japanese texts written in the sources.
#include <string>
#include <vector>

class QCoreApplication;

namespace language {

// Absolute path of the running executable ("/./" collapsed to "/").
std::string ExecutablePath();
// The executable's folder + its base name + ".ENU" ("/opt/qzh/QZH900Tool.ENU").
std::string EnglishModulePath(const std::string& exePath);

// The override value for exePath ("ja-JP", "ENU") or "" when there is none.
std::string ReadLocaleOverride(const std::string& exePath);
// Writes the override under exePath, and also under the path with every "/./" collapsed when it
// contains that sequence. Returns false when the store cannot be written.
bool WriteLocaleOverride(const std::string& exePath, const std::string& value);

// r.bat in <appdata>/norvik: the quoted executable path, the argument and the counter, then
// "exit". Safe for paths with spaces, quotes and '$'.
std::string RestartBatchText(const std::string& exePath, const std::string& argument, int counter);
bool WriteRestartBatch(const std::string& exePath, const std::string& argument, int counter);
// Writes and starts the batch file as /bin/sh r.bat in a new session with its standard streams on
// /dev/null, without waiting. Returns false when it could not be written or started.
bool RestartProgram(const std::string& exePath, const std::string& argument, int counter);
// Deletes a left-over batch file (done when the settings path is computed at start-up).
void DeleteRestartBatch();

// Writes the English module (embedded in the executable) to EnglishModulePath and sets its file
// time to the executable's. Returns false when writing failed.
bool WriteEnglishModule(const std::string& exePath);
// Whether the module file exists and its modification date (calendar day) equals the
// executable's.
bool EnglishModuleIsCurrent(const std::string& exePath);

// Installs the English translation catalogue into the application when `english` is set: from
// the module file beside the executable when it is there, else from the copy embedded in the
// executable. Also fixes the message catalogue's language. Call once, before any window exists.
void InstallLanguage(QCoreApplication& app, bool english);

// What the module check at program entry decided.
struct EntryDecision {
  bool restart = false;          // a restart was started; the window must close at once
  std::string restartArgument;   // "RECOPY" or "REBOOT"
  int restartCounter = 0;        // counter carried to the next process
};
// The module check at program entry (skipped by the caller when the first argument is
// "REBOOT"): rewrites the English module when it is missing or out of date, restarting through
// "RECOPY" and "REBOOT" as needed. args are the program's arguments without argv[0].
EntryDecision ModuleCheckAtEntry(const std::string& exePath, const std::vector<std::string>& args,
                                 int restartCounter);

// The restart counter given on the command line (second argument), or 0.
int RestartCounterFromArgs(const std::vector<std::string>& args);

}  // namespace language
