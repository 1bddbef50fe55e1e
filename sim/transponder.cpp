#include "sim/transponder.h"

#include <utility>

#include "link/command_codes.h"
#include "sim/chip_registry.h"

namespace sim {

TagReply TagReply::Ack(uint8_t code, std::span<const uint8_t> payload) {
  TagReply r;
  r.data.reserve(payload.size() + 1);
  r.data.push_back(code);
  r.data.insert(r.data.end(), payload.begin(), payload.end());
  return r;
}

Transponder::Transponder(std::string typeName, uint8_t kind, AirInterface air, TagMemory memory)
    : memory_(std::move(memory)), typeName_(std::move(typeName)), kind_(kind), air_(air) {}

bool Transponder::AnswersIdRead(IdRead read) const {
  switch (read) {
    case IdRead::Fdx:
      return air_ == AirInterface::Fdx;
    case IdRead::Animal:
    case IdRead::HdxFdx:
      return true;
    case IdRead::Fecava:
      return false;
  }
  return false;
}

std::optional<TagReply> Transponder::Handle(const TagCommand& cmd, const AirContext&) {
  const auto read = IdReadOf(cmd);
  if (!read || !AnswersIdRead(*read)) return std::nullopt;
  std::vector<uint8_t> payload = IdBytes();
  payload.insert(payload.begin(), Kind());
  return TagReply::Ack(cmd.code, payload);
}

namespace {
// splitmix64: a well-mixed 64-bit value from any input, the same on every platform.
uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}
}  // namespace

double AnswerChance(const FieldResponse& r, int level) {
  if (level >= r.threshold) return 1.0;
  const int below = r.threshold - level;
  if (r.width <= 0 || below >= r.width) return 0.0;
  return 1.0 - static_cast<double>(below) / r.width;
}

bool DrawAnswer(const FieldResponse& r, int level, uint64_t draw) {
  const double chance = AnswerChance(r, level);
  if (chance >= 1.0) return true;
  if (chance <= 0.0) return false;
  const double u = static_cast<double>(Mix(r.seed * 0x100000001B3ULL ^ Mix(draw)) >> 11) * 0x1p-53;
  return u < chance;
}

bool Transponder::Powered(int level) {
  FieldResponse r = response_;
  r.threshold = Threshold();
  return DrawAnswer(r, level, draws_++);
}

bool Transponder::SetOption(const std::string& key, const std::string& value, std::string& error) {
  const uint64_t max = key == "seed" ? UINT64_MAX : 1000;
  const auto v = ParseDecimalArg(value, max);
  if (key != "threshold" && key != "width" && key != "seed") {
    error = "unknown setting \"" + key + "\" (threshold=LEVEL, width=LEVELS, seed=N)";
    return false;
  }
  if (!v) {
    error = key + " \"" + value + "\" is not a decimal number 0-" + std::to_string(max);
    return false;
  }
  if (key == "threshold") response_.threshold = static_cast<int>(*v);
  if (key == "width") response_.width = static_cast<int>(*v);
  if (key == "seed") response_.seed = *v;
  return true;
}

std::optional<IdRead> IdReadOf(const TagCommand& cmd) {
  const auto& p = cmd.params;
  switch (cmd.code) {
    case cmd::IdReadFdx:
      if (p.empty() || (p.size() == 1 && p[0] == 0x01)) return IdRead::Fdx;
      break;
    case cmd::IdReadAnimal:
      if (p.empty()) return IdRead::Animal;
      if (p.size() == 1 && p[0] == 0x02) return IdRead::HdxFdx;
      break;
    case cmd::IdReadFecava:
      if (p.empty()) return IdRead::Fecava;
      break;
  }
  return std::nullopt;
}

}  // namespace sim
