#pragma once
// The command line of qzh900-sim.
#include <optional>
#include <string>
#include <vector>

#include "sim/feed.h"
#include "sim/simulator.h"

namespace sim {

struct CommandLine {
  SimulatorOptions sim;  // module settings, wire time, COM number (default 9)
  FaultPlan faults;
  std::vector<std::string> tagSpecs;
  std::vector<std::string> scenarioFiles;
  bool feed = false;  // --feed: feedPlan feeds the field
  FeedPlan feedPlan;
  bool feedUidGiven = false;  // else the first UID is drawn at random at the start
  bool feedGapGiven = false;
  bool noTags = false;
  bool help = false;
  bool version = false;
};

struct ParsedCommandLine {
  bool ok = false;
  std::string error;  // what was wrong, for exit status 2
  CommandLine cl;
};

// args without the program name. Options take their value as the next argument or after '='.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace sim
