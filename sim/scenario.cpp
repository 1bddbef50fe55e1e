#include "sim/scenario.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/chip_registry.h"

namespace sim {

namespace {
std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}
}  // namespace

void ParseScenarioText(const std::string& text, const std::string& source, Scenario& scenario) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string spec = Trim(line.substr(0, line.find('#')));
    if (spec.empty()) continue;
    ChipResult r = ChipRegistry::Builtin().Make(spec);
    if (r.tag) {
      scenario.tags.push_back(std::move(r.tag));
    } else {
      scenario.warnings.push_back(source + ":" + std::to_string(number) + ": " + r.error);
    }
  }
}

bool LoadScenarioFile(const std::string& path, Scenario& scenario, std::string& error) {
  std::error_code ec;
  std::ifstream in(path, std::ios::binary);
  if (!in || !std::filesystem::is_regular_file(path, ec)) {
    error = "cannot read scenario file " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = "cannot read scenario file " + path;
    return false;
  }
  ParseScenarioText(text.str(), path, scenario);
  return true;
}

std::vector<std::string> DefaultTagSpecs() {
  return {"fdxb:392:123456789012", "em:0504030201", "ti-ro:0123456789ABCDEF"};
}

std::vector<TagPtr> DefaultTags() {
  std::vector<TagPtr> tags;
  for (const auto& spec : DefaultTagSpecs()) tags.push_back(ChipRegistry::Builtin().Make(spec).tag);
  return tags;
}

}  // namespace sim
