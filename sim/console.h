#pragma once
// Commands typed into a running qzh900-sim: change the field and the faults, hang up, re-open.
#include <string>

#include "sim/simulator.h"

namespace sim {

struct ConsoleResult {
  std::string output;  // lines to print, each ending in '\n'
  bool quit = false;
};

ConsoleResult RunConsoleCommand(Simulator& simulator, const std::string& line);

}  // namespace sim
