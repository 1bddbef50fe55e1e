#include "sim/chips/bde.h"

#include "sim/chip_registry.h"

namespace sim {

BdeTag::BdeTag(uint64_t code)
    : Transponder("bde", tag_type::kBde, AirInterface::Fdx, TagMemory(1, 8)) {
  memory_.Program(0, LittleEndianBytes(code, 8));
  memory_.Lock(0);
}

uint64_t BdeTag::Code(unsigned type, unsigned supplier, uint32_t serial, uint64_t application) {
  return uint64_t{type & 1u} << 62 | (application & ((uint64_t{1} << 30) - 1)) << 32 |
         uint64_t{supplier & 0x3FFu} << 22 | (serial & 0x3FFFFFu);
}

uint64_t BdeTag::Code() const {
  return FromLittleEndian(memory_.Block(0));
}

std::vector<uint8_t> BdeTag::IdBytes() const {
  const auto b = memory_.Block(0);
  return {b.begin(), b.end()};
}

std::string BdeTag::Describe() const {
  const uint64_t c = Code();
  return "bde flag " + std::to_string(c >> 63) + " type " + std::to_string((c >> 62) & 1) +
         " application " + std::to_string((c >> 32) & 0x3FFFFFFF) + " supplier " +
         std::to_string((c >> 22) & 0x3FF) + " serial " + std::to_string(c & 0x3FFFFF);
}

namespace {
ChipResult MakeBde(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "hex") {
    auto code = ParseHexArg(args[1], 16);
    if (!code) return {nullptr, "\"" + args[1] + "\" is not a 64-bit hexadecimal code"};
    return {std::make_shared<BdeTag>(*code), {}};
  }
  if (args.size() != 3) return {nullptr, {}};
  auto type = ParseDecimalArg(args[0], 1);
  auto supplier = ParseDecimalArg(args[1], 1023);
  auto serial = ParseDecimalArg(args[2], 4194303);
  if (!type || !supplier || !serial)
    return {nullptr, "BDE needs type 0-1, supplier 0-1023 and serial 0-4194303"};
  return {std::make_shared<BdeTag>(BdeTag::Code(static_cast<unsigned>(*type),
                                                static_cast<unsigned>(*supplier),
                                                static_cast<uint32_t>(*serial))),
          {}};
}
}  // namespace

void RegisterBde(ChipRegistry& r) {
  r.Add(
      {"bde", {}, "bde:TYPE:SUPPLIER:SERIAL (application code 4194304), bde:hex:HEX16", &MakeBde});
}

}  // namespace sim
