#include "sim/chips/em4100.h"

#include <cstdio>

#include "sim/chip_registry.h"

namespace sim {

EmTag::EmTag(uint64_t emId) : Transponder("em", tag_type::kEm, AirInterface::Fdx, TagMemory(1, 5)) {
  uint8_t bytes[5];
  for (int i = 0; i < 5; ++i) bytes[i] = static_cast<uint8_t>(emId >> (8 * (4 - i)));
  memory_.Program(0, bytes);
  memory_.Lock(0);
}

uint64_t EmTag::EmId() const {
  uint64_t v = 0;
  for (uint8_t b : memory_.Block(0)) v = (v << 8) | b;
  return v;
}

std::vector<uint8_t> EmTag::IdBytes() const {
  const auto b = memory_.Block(0);
  return {b.begin(), b.end()};
}

std::string EmTag::Describe() const {
  const uint64_t id = EmId();
  char text[80];
  std::snprintf(text, sizeof text, "em %010llX (version %03u, serial %010lu)",
                static_cast<unsigned long long>(id), static_cast<unsigned>(id >> 32),
                static_cast<unsigned long>(id & 0xFFFFFFFFu));
  return text;
}

namespace {
ChipResult MakeEm(const std::vector<std::string>& args) {
  if (args.size() != 1) return {nullptr, {}};
  auto id = ParseHexArg(args[0], 10);
  if (!id) return {nullptr, "\"" + args[0] + "\" is not a 40-bit hexadecimal EM ID"};
  return {std::make_shared<EmTag>(*id), {}};
}
}  // namespace

void RegisterEm4100(ChipRegistry& r) {
  r.Add({"em", {"em4100", "emid"}, "em:HEX10 (40-bit EM ID, version byte first)", &MakeEm});
}

}  // namespace sim
