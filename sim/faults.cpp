#include "sim/faults.h"

#include "core/ini_file.h"
#include "link/frame.h"

namespace sim {

bool TakeFault(int& count) {
  if (count == FaultPlan::kAlways) return true;
  if (count <= 0) return false;
  --count;
  return true;
}

void CorruptSum(std::vector<uint8_t>& f) {
  if (f.size() >= 7) ++f[f.size() - 2];
}

void DropMiddleByte(std::vector<uint8_t>& f) {
  if (!f.empty()) f.erase(f.begin() + static_cast<std::ptrdiff_t>(f.size() / 2));
}

void InsertMiddleByte(std::vector<uint8_t>& f) {
  f.insert(f.begin() + static_cast<std::ptrdiff_t>(f.size() / 2), 0x5A);
}

std::vector<uint8_t> NoiseBytes(size_t count) {
  static constexpr uint8_t kNoise[] = {0xFF, 0x7E, 0x00, 0xE0, 0x0D, 0x31, 0xAA, 0x03, 0xFC};
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = kNoise[i % sizeof kNoise];
  return bytes;
}

std::vector<uint8_t> BuildRaccessFrame(uint8_t type, std::span<const uint8_t> data) {
  const size_t len = data.size() < 251 ? data.size() : 251;
  const size_t l = len + 2 < 4 ? 4 : len + 2;
  std::vector<uint8_t> f;
  f.reserve(l + 5);
  f.push_back(frame::STX);
  f.push_back(static_cast<uint8_t>(l));
  f.push_back(type);
  f.push_back(static_cast<uint8_t>(len));
  f.insert(f.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(len));
  f.resize(2 + l, 0x00);
  // The CRC of what precedes, low byte first: the check over the whole then ends at the
  // CRC's constant residue, which is not zero.
  const uint16_t crc = frame::RaccessCheck(f.data() + 1, l + 1);
  f.push_back(static_cast<uint8_t>(crc & 0xFF));
  f.push_back(static_cast<uint8_t>(crc >> 8));
  f.push_back(frame::ETX);
  return f;
}

namespace {

bool ParseCount(const std::string& text, int& count) {
  if (text == "all") {
    count = FaultPlan::kAlways;
    return true;
  }
  if (text == "off") {
    count = 0;
    return true;
  }
  auto v = ParseInteger(text);
  if (!v || *v < 0 || *v > 1000000) return false;
  count = static_cast<int>(*v);
  return true;
}

// "VALUE" or "VALUE:N"; the count defaults to all.
bool SplitValueCount(const std::string& text, int64_t& value, int& count) {
  const size_t colon = text.find(':');
  auto v = ParseInteger(text.substr(0, colon));
  if (!v) return false;
  value = *v;
  count = FaultPlan::kAlways;
  return colon == std::string::npos || ParseCount(text.substr(colon + 1), count);
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& FaultSettingHelp() {
  static const std::vector<std::pair<std::string, std::string>> help = {
      {"bad-sum N", "the next N answers carry a wrong SUM"},
      {"drop-byte N", "the next N answers lose a byte"},
      {"extra-byte N", "the next N answers carry a stray byte"},
      {"raccess N", "the next N answers come as Raccess frames"},
      {"garbage N", "line noise before each of the next N answers"},
      {"no-answer N", "the next N commands are not answered"},
      {"nack CODE[:N]", "the next N commands (default all) get NACK CODE"},
      {"late MS[:N]", "the next N answers (default all) come MS ms late"},
      {"hangup-after N", "the N-th command from now hangs the line up"},
      {"spare N", "the next N commands escape the faults above"},
      {"noise RATE",
       "read-loop mode: RATE noise events a second (stray bytes, a bad SUM frame, "
       "an unknown frame type, in turn)"},
  };
  return help;
}

bool ApplyFaultSetting(FaultPlan& plan, const std::string& name, const std::string& value,
                       std::string& error) {
  struct Counted {
    const char* name;
    int FaultPlan::*field;
  };
  static constexpr Counted kCounted[] = {
      {"bad-sum", &FaultPlan::badSum},       {"drop-byte", &FaultPlan::dropByte},
      {"extra-byte", &FaultPlan::extraByte}, {"raccess", &FaultPlan::raccess},
      {"garbage", &FaultPlan::garbage},      {"no-answer", &FaultPlan::missing},
  };
  for (const auto& c : kCounted) {
    if (name != c.name) continue;
    if (ParseCount(value, plan.*c.field)) return true;
    error = name + ": \"" + value + "\" is not a count, \"all\" or \"off\"";
    return false;
  }
  if (name == "noise") {
    const auto v = value == "off" ? std::optional<int64_t>(0) : ParseInteger(value);
    if (!v || *v < 0 || *v > 1000) {
      error = "noise: \"" + value + "\" is not a rate 0 to 1000 a second, or \"off\"";
      return false;
    }
    plan.noiseRate = static_cast<int>(*v);
    return true;
  }
  if (name == "nack") {
    int64_t code = 0;
    int count = 0;
    if (value == "off") {
      plan.nack = 0;
      return true;
    }
    if (!SplitValueCount(value, code, count) || code < 0 || code > 255) {
      error = "nack: \"" + value + "\" is not CODE[:N] with CODE 0 to 255 (0x44 works too)";
      return false;
    }
    plan.nackCode = static_cast<uint8_t>(code);
    plan.nack = count;
    return true;
  }
  if (name == "late") {
    int64_t ms = 0;
    int count = 0;
    if (value == "off") {
      plan.late = 0;
      return true;
    }
    if (!SplitValueCount(value, ms, count) || ms < 0 || ms > 600000) {
      error = "late: \"" + value + "\" is not MS[:N] with MS 0 to 600000";
      return false;
    }
    plan.lateBy = std::chrono::milliseconds(ms);
    plan.late = count;
    return true;
  }
  if (name == "spare") {
    int count = 0;
    if (!ParseCount(value, count) || count == FaultPlan::kAlways) {
      error = "spare: \"" + value + "\" is not a count of commands";
      return false;
    }
    plan.spare = count;
    return true;
  }
  if (name == "hangup-after") {
    int count = 0;
    if (!ParseCount(value, count) || count == FaultPlan::kAlways) {
      error = "hangup-after: \"" + value + "\" is not a count of commands";
      return false;
    }
    plan.hangupAfter = count;
    return true;
  }
  error = "unknown fault \"" + name + "\"";
  return false;
}

}  // namespace sim
