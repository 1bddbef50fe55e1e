#include "sim/chips/fdxb.h"

#include <cstdio>

#include "sim/chip_registry.h"

namespace sim {

FdxbTag::FdxbTag(uint64_t code)
    : Transponder("fdxb", tag_type::kFdxb, AirInterface::Fdx, TagMemory(1, 8)) {
  memory_.Program(0, LittleEndianBytes(code, 8));
  memory_.Lock(0);
}

uint64_t FdxbTag::AnimalCode(unsigned country, uint64_t nationalId) {
  return kAnimalFlag | (static_cast<uint64_t>(country & kMaxCountry) << 38) |
         (nationalId & kMaxNationalId);
}

uint64_t FdxbTag::Code() const {
  return FromLittleEndian(memory_.Block(0));
}

std::vector<uint8_t> FdxbTag::IdBytes() const {
  const auto b = memory_.Block(0);
  return {b.begin(), b.end()};
}

std::string FdxbTag::Describe() const {
  const uint64_t code = Code();
  char text[80];
  if (code & kAnimalFlag) {
    std::snprintf(text, sizeof text, "fdxb %03u %012llu (animal)",
                  static_cast<unsigned>((code >> 38) & kMaxCountry),
                  static_cast<unsigned long long>(code & kMaxNationalId));
  } else {
    std::snprintf(text, sizeof text, "fdxb %llu (non-animal)",
                  static_cast<unsigned long long>(code & ~kAnimalFlag));
  }
  return text;
}

namespace {
ChipResult MakeFdxb(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "hex") {
    auto code = ParseHexArg(args[1], 16);
    if (!code) return {nullptr, "\"" + args[1] + "\" is not a 64-bit hexadecimal code"};
    return {std::make_shared<FdxbTag>(*code), {}};
  }
  if (args.size() == 2 && args[0] == "na") {
    auto id = ParseDecimalArg(args[1], ~FdxbTag::kAnimalFlag);
    if (!id) return {nullptr, "non-animal ID \"" + args[1] + "\" is not 0 to 9223372036854775807"};
    return {std::make_shared<FdxbTag>(*id), {}};
  }
  if (args.size() == 2) {
    auto country = ParseDecimalArg(args[0], FdxbTag::kMaxCountry);
    if (!country) return {nullptr, "country \"" + args[0] + "\" is not 0 to 1023"};
    auto national = ParseDecimalArg(args[1], FdxbTag::kMaxNationalId);
    if (!national) return {nullptr, "national ID \"" + args[1] + "\" is not 0 to 274877906943"};
    return {
        std::make_shared<FdxbTag>(FdxbTag::AnimalCode(static_cast<unsigned>(*country), *national)),
        {}};
  }
  return {nullptr, {}};
}
}  // namespace

void RegisterFdxb(ChipRegistry& r) {
  r.Add({"fdxb",
         {"fdx-b"},
         "fdxb:COUNTRY:NATIONAL (animal code), fdxb:na:DECIMAL (non-animal), fdxb:hex:HEX16 "
         "(any 64-bit ISO 11784 code)",
         &MakeFdxb});
}

}  // namespace sim
