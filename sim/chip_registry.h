#pragma once
// Chip types by name, for --tag options and scenario files: "fdxb:392:123456789012" names the
// type "fdxb" and hands the rest, split at ':', to its factory. See transponder.h for how a
// chip registers itself.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/field.h"

namespace sim {

struct ChipResult {
  TagPtr tag;         // set on success
  std::string error;  // why the arguments were refused
};

using ChipFactory = ChipResult (*)(const std::vector<std::string>& args);

struct ChipType {
  std::string name;
  std::vector<std::string> aliases;
  std::string usage;  // "fdxb:COUNTRY:NATIONAL  FDX-B animal code", one line per form
  ChipFactory make = nullptr;
};

class ChipRegistry {
 public:
  void Add(ChipType type);
  // By name or alias, ignoring ASCII case; nullptr when unknown.
  const ChipType* Find(std::string_view name) const;
  const std::vector<ChipType>& Types() const { return types_; }

  // "name:arg:arg..." to a transponder, or the reason it cannot be made. Arguments of the form
  // key=value, anywhere after the name, are the tag's settings (Transponder::SetOption):
  // "fdxb:392:1:threshold=18".
  ChipResult Make(std::string_view spec) const;

  // Every chip of sim/chips.
  static const ChipRegistry& Builtin();

 private:
  std::vector<ChipType> types_;
};

// Argument helpers for chip factories. Each accepts the whole text or nothing.
// Hexadecimal, 1 to maxDigits digits, an optional "0x" prefix.
std::optional<uint64_t> ParseHexArg(std::string_view text, int maxDigits = 16);
// Decimal digits only, at most max.
std::optional<uint64_t> ParseDecimalArg(std::string_view text, uint64_t max);
// value as `count` bytes, least significant first.
std::vector<uint8_t> LittleEndianBytes(uint64_t value, size_t count);
uint64_t FromLittleEndian(std::span<const uint8_t> bytes);

}  // namespace sim
