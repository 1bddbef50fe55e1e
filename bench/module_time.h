// What the module itself needs for the frames of a job, from the job's logged frame lines: every
// command and answer on the line at the link's speed, plus the air time of each command. The
// benchmarks compare a job's wall-clock time with it.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sim/sim_time.h"

namespace module_time {

using Ms = std::chrono::duration<double, std::milli>;

// Bytes of a logged frame line ("TX: 02 00 4D ... ").
inline int FrameBytes(const std::string& line) {
  std::istringstream in(line.substr(4));
  std::string token;
  int n = 0;
  while (in >> token) ++n;
  return n;
}

// The command code of a "TX: " line.
inline int CodeOf(const std::string& txLine) {
  return std::stoi(txLine.substr(16, 2), nullptr, 16);
}

// Wire time both ways and the air time of each command (airByCode, else air), in ms.
inline double ModuleMs(const std::vector<std::string>& lines, int baud,
                       const std::map<uint8_t, sim::Duration>& airByCode,
                       sim::Duration air = sim::Duration{}) {
  double ms = 0;
  const double byteMs = Ms(sim::ByteTime(baud)).count();
  for (const auto& l : lines) {
    if (l.rfind("TX: ", 0) == 0) {
      ms += FrameBytes(l) * byteMs;
      auto it = airByCode.find(static_cast<uint8_t>(CodeOf(l)));
      ms += Ms(it != airByCode.end() ? it->second : air).count();
    } else if (l.rfind("RX: ", 0) == 0) {
      ms += FrameBytes(l) * byteMs;
    }
  }
  return ms;
}

}  // namespace module_time
