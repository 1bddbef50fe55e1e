#pragma once
// Which transponders are in the field at start. A scenario file is plain text, one tag per line
// in the --tag form, with '#' starting a comment:
//
//   # two cows and a key fob
//   fdxb:392:123456789012
//   fdxb:392:123456789013   # the neighbour
//   em:0504030201
//
// Lines that cannot be read are reported and skipped; the rest still count.
#include <string>
#include <vector>

#include "sim/field.h"

namespace sim {

struct Scenario {
  std::vector<TagPtr> tags;
  std::vector<std::string> warnings;  // "file:line: reason"
};

// Adds the tags of text to scenario; source names it in warnings.
void ParseScenarioText(const std::string& text, const std::string& source, Scenario& scenario);
// False (with the reason) only when the file cannot be read.
bool LoadScenarioFile(const std::string& path, Scenario& scenario, std::string& error);

// Without any other choice: an FDX-B animal tag (392 123456789012), an EM tag and a TI
// read-only tag.
std::vector<std::string> DefaultTagSpecs();
std::vector<TagPtr> DefaultTags();

}  // namespace sim
