// The measurements every benchmark takes the same way: CPU time of this process, percentiles of
// a sample, and figures of /proc/self/status.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace measure {

// User plus system CPU of this process, in seconds.
inline double CpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(u.ru_utime) + s(u.ru_stime);
}

// The p-th percentile (0 to 100) of a sample, 0 for none.
inline double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(v.size())))];
}

// A "kB" line of /proc/self/status ("VmRSS", "VmHWM") in MiB, 0 when absent.
inline double StatusMiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::atof(line.c_str() + prefix.size()) / 1024.0;
  return 0;
}

}  // namespace measure
