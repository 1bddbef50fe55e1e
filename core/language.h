#pragma once
// Language switching: the per-user locale override of the executable, the English resource module
// written out beside the executable, and restarting the program through the batch file r.bat.
// The language of a process is decided once at start-up: an override of "ENU" for the running
// executable installs the English module (a Qt translation catalogue); anything else keeps the
// Japanese texts written in the sources.
//
// Start-up, in this order:
//   args = the arguments without argv[0]
//   restartCounter = RestartCounterFromArgs(args)          // on every start, "REBOOT" included
//   InstallLanguage(app, ReadLocaleOverride(exe) == kEnglishOverride);
//   create the main window
//   if (!FirstArgumentIs(args, kRebootArgument))
//     d = ModuleCheckAtEntry(exe, args, restartCounter)   // d.restart: clear show-allowed, close
//   when the window is first shown:
//     d = LanguageCheckAtShow(exe, LanguageFlag, restartCounter)   // d.restart: close
// Every automatic restart passes the counter + 1 to the next process, and none is started once
// the counter has reached kMaxRestartsInARow, so a persistently mismatched override (an
// unwritable store) cannot restart the program endlessly. A restart chosen in the menu starts
// again from 0.
//
// The embedded module is the Qt resource ":/i18n/QZH900Tool.ENU" of the target qzh_resources:
// link it into the executable.
#include <string>
#include <vector>

class QCoreApplication;

namespace language {

inline constexpr const char* kJapaneseOverride = "ja-JP";
inline constexpr const char* kEnglishOverride = "ENU";
inline constexpr const char* kRebootArgument = "REBOOT";
inline constexpr const char* kRecopyArgument = "RECOPY";
inline constexpr int kMaxRestartsInARow = 3;

// Absolute path of the running executable ("/./" collapsed to "/").
std::string ExecutablePath();
// Every "/./" of path collapsed to "/".
std::string CollapseDotSegments(std::string path);
// Whether the executable lives in a folder of the system's packages (/usr, /bin, /sbin, /lib),
// where nothing is written at run time: the English module is then never placed beside it.
bool InSystemFolder(const std::string& exePath);
// The executable's folder + its base name + ".ENU" ("/opt/qzh/QZH900Tool.ENU").
std::string EnglishModulePath(const std::string& exePath);

// The override value for exePath ("ja-JP", "ENU") or "" when there is none. A path containing
// "/./" is also looked up in its collapsed form.
std::string ReadLocaleOverride(const std::string& exePath);
// Writes the override under exePath, and also under the path with every "/./" collapsed when it
// contains that sequence. Returns false when the store cannot be written (it is then left as it
// was, other executables' entries included).
bool WriteLocaleOverride(const std::string& exePath, const std::string& value);
// Makes the override `value` when it is not already. Returns whether it differed.
bool EnsureLocaleOverride(const std::string& exePath, const std::string& value);

// r.bat in <appdata>/norvik: the quoted executable path, the argument and the counter, then
// "exit". Safe for paths with spaces, quotes, backslashes, back quotes and '$'.
std::string RestartBatchText(const std::string& exePath, const std::string& argument, int counter);
// Writes r.bat (atomically: a shell still reading an older r.bat keeps its own copy).
bool WriteRestartBatch(const std::string& exePath, const std::string& argument, int counter);
// Writes and starts the batch file as /bin/sh r.bat in a new session with its standard streams on
// /dev/null, in the batch file's folder, without waiting and without leaving a child behind.
// Returns false when it could not be written or started.
bool RestartProgram(const std::string& exePath, const std::string& argument, int counter);
// Deletes a left-over batch file (done when the settings path is computed at start-up).
void DeleteRestartBatch();

// Writes the English module (embedded in the executable) to EnglishModulePath and sets its file
// time to the executable's. Returns false when writing failed.
bool WriteEnglishModule(const std::string& exePath);
// Whether the module file exists and its modification date (calendar day, local time) equals
// the executable's.
bool EnglishModuleIsCurrent(const std::string& exePath);
// The module embedded in the executable; empty when the executable carries none.
std::string EmbeddedEnglishModule();

// Installs the English translation catalogue into the application when `english` is set: from
// the module file beside the executable when it is current and valid, else from the copy
// embedded in the executable. Also fixes the message catalogue's language. Call once, before any
// window exists. The second form names the executable and returns whether a catalogue was
// installed.
void InstallLanguage(QCoreApplication& app, bool english);
bool InstallLanguage(QCoreApplication& app, bool english, const std::string& exePath);
// Qt's own texts (file dialog, standard buttons) in Japanese: Qt's catalogue qtbase_ja from Qt's
// translations folder (Debian qt6-translations-l10n). Part of InstallLanguage; returns whether
// it was installed (never for English, which Qt speaks by itself).
bool InstallQtCatalogue(QCoreApplication& app, bool english);

// What the module check at program entry or the language check decided.
struct EntryDecision {
  bool restart = false;         // a restart was started; the window must close at once
  std::string restartArgument;  // "RECOPY" or "REBOOT"
  int restartCounter = 0;       // counter carried to the next process
};
// The module check at program entry (skipped by the caller when the first argument is
// "REBOOT"): rewrites the English module when it is missing or out of date, restarting through
// "RECOPY" and "REBOOT" as needed. args are the program's arguments without argv[0]. When the
// module cannot be written beside the executable (read-only folder) no restart is made for it:
// the embedded copy serves. When a restart cannot be started the process goes on.
EntryDecision ModuleCheckAtEntry(const std::string& exePath, const std::vector<std::string>& args,
                                 int restartCounter);
// The language check when the main window is first shown: makes the override match LanguageFlag
// (1 "ja-JP", otherwise "ENU"); when it did not match, restarts with "REBOOT" and the counter + 1
// while MayRestart(restartCounter).
EntryDecision LanguageCheckAtShow(const std::string& exePath, int languageFlag, int restartCounter);

// The restart counter given on the command line (second argument, when there are at least two),
// or 0. Negative or malformed values give 0.
int RestartCounterFromArgs(const std::vector<std::string>& args);
// Whether the first argument is `word`, compared without regard to case.
bool FirstArgumentIs(const std::vector<std::string>& args, const char* word);
// Whether one more automatic restart may follow the restarts the counter has counted.
bool MayRestart(int restartCounter);

}  // namespace language
