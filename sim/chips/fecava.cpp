#include "sim/chips/fecava.h"

#include "core/hex.h"
#include "sim/chip_registry.h"
#include "sim/chips/air_codes.h"

namespace sim {

FecavaTag::FecavaTag(const std::array<uint8_t, 5>& values)
    : Transponder("fecava", tag_type::kFecava, AirInterface::Fdx, TagMemory(1, 5)) {
  std::array<uint8_t, 5> characters{};
  for (size_t i = 0; i < values.size(); ++i) characters[i] = air::FecavaCharacter(values[i]);
  memory_.Program(0, characters);
  memory_.Lock(0);
}

std::array<uint8_t, 5> FecavaTag::Characters() const {
  std::array<uint8_t, 5> c{};
  const auto b = memory_.Block(0);
  std::copy(b.begin(), b.end(), c.begin());
  return c;
}

std::vector<uint8_t> FecavaTag::IdBytes() const {
  const auto c = Characters();
  return {c.begin(), c.end()};
}

std::string FecavaTag::Describe() const {
  std::string text = "fecava";
  for (uint8_t c : Characters()) text += " " + hex::Byte(c & 0x7F);
  return text;
}

std::optional<std::array<uint8_t, 5>> ParseFecavaValues(const std::vector<std::string>& args) {
  std::array<uint8_t, 5> values{};
  if (args.size() == 5) {
    for (size_t i = 0; i < 5; ++i) {
      const auto v = ParseHexArg(args[i], 2);
      if (!v || *v > 0x7F) return std::nullopt;
      values[i] = static_cast<uint8_t>(*v);
    }
    return values;
  }
  if (args.size() == 1 && args[0].size() == 10) {
    for (size_t i = 0; i < 5; ++i) {
      const auto v = ParseHexArg(std::string_view(args[0]).substr(2 * i, 2), 2);
      if (!v || *v > 0x7F) return std::nullopt;
      values[i] = static_cast<uint8_t>(*v);
    }
    return values;
  }
  return std::nullopt;
}

namespace {
ChipResult MakeFecava(const std::vector<std::string>& args) {
  const auto values = ParseFecavaValues(args);
  if (!values) return {nullptr, "FECAVA needs five hexadecimal values 00-7F"};
  return {std::make_shared<FecavaTag>(*values), {}};
}
}  // namespace

void RegisterFecava(ChipRegistry& r) {
  r.Add(
      {"fecava", {"fdx-a"}, "fecava:V1:V2:V3:V4:V5 (five 7-bit hexadecimal values)", &MakeFecava});
}

}  // namespace sim
