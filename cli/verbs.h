#pragma once
// The verbs of qzh900ctl. Each takes its own arguments (the common options already removed) and
// returns the exit status by the verdict rule (kVerdictRule); usage and port errors throw
// UsageError.
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/session.h"

struct Verb {
  const char* name;
  const char* synopsis;
  const char* help;   // one line for the verb list
  const char* intro;  // what the verb does, for "VERB --help"
  // The verb's own options (the parser reads them by these definitions).
  const std::vector<OptionDef>* options;
  const char* outro;  // after the options: behaviour, the verb's own exit status
  int (*run)(const CommonOptions& options, std::vector<std::string>& args);
};

// The verdict rule, as every verb's help states it.
extern const char* const kVerdictRule;

// Every verb, in the order of the usage text.
const std::vector<Verb>& AllVerbs();
// "qzh900ctl VERB --help".
std::string VerbHelp(const Verb& verb);

// The verbs' own options.
extern const std::vector<OptionDef> kRunOptions;
extern const std::vector<OptionDef> kListOptions;
extern const std::vector<OptionDef> kDumpOptions;
extern const std::vector<OptionDef> kProgramOptions;
extern const std::vector<OptionDef> kListenOptions;
extern const std::vector<OptionDef> kLedgerOptions;
extern const std::vector<OptionDef> kCheckOptions;
extern const std::vector<OptionDef> kReadOptions;
extern const std::vector<OptionDef> kNoOptions;

int RunPorts(const CommonOptions&, std::vector<std::string>& args);
int RunIdentify(const CommonOptions&, std::vector<std::string>& args);
int RunSend(const CommonOptions&, std::vector<std::string>& args);
int RunListen(const CommonOptions&, std::vector<std::string>& args);
int RunRead(const CommonOptions&, std::vector<std::string>& args);
int RunRun(const CommonOptions&, std::vector<std::string>& args);
int RunList(const CommonOptions&, std::vector<std::string>& args);
int RunDump(const CommonOptions&, std::vector<std::string>& args);
int RunProgram(const CommonOptions&, std::vector<std::string>& args);
int RunLedger(const CommonOptions&, std::vector<std::string>& args);
int RunCheck(const CommonOptions&, std::vector<std::string>& args);

// The verdict of a run that ends now: 1 when a signal interrupted it, else `verdict`.
int VerdictOf(int verdict);
// The end of a verb that talked to the module: the port check (UsageError when it vanished),
// --save, the summary. Returns the exit status.
int EndRun(Session& s, int verdict);

// The program's entry without the process around it (tests call it in-process).
int CliMain(std::vector<std::string> args);
