#pragma once
// The verbs of qzh900ctl. Each takes its own arguments (the common options already removed) and
// returns the exit status: 0 success, 1 NG or time-out; usage and port errors throw UsageError.
#include <string>
#include <vector>

#include "cli/session.h"

struct Verb {
  const char* name;
  const char* synopsis;
  const char* help;     // one line for the verb list
  const char* details;  // the verb's own options and behaviour, for "VERB --help"
  int (*run)(const CommonOptions& options, std::vector<std::string>& args);
};

// Every verb, in the order of the usage text.
const std::vector<Verb>& AllVerbs();

int RunPorts(const CommonOptions&, std::vector<std::string>& args);
int RunIdentify(const CommonOptions&, std::vector<std::string>& args);
int RunSend(const CommonOptions&, std::vector<std::string>& args);
int RunListen(const CommonOptions&, std::vector<std::string>& args);
int RunRun(const CommonOptions&, std::vector<std::string>& args);
int RunList(const CommonOptions&, std::vector<std::string>& args);
int RunDump(const CommonOptions&, std::vector<std::string>& args);
int RunProgram(const CommonOptions&, std::vector<std::string>& args);

// The program's entry without the process around it (tests call it in-process).
int CliMain(std::vector<std::string> args);
