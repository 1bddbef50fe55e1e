#pragma once
// A factory-programmed FECAVA (FDX-A) transponder: five 7-bit values, sent as character bytes
// with odd parity in bit 7. Only the FECAVA read 0x72 finds it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/transponder.h"

namespace sim {

class FecavaTag : public Transponder {
 public:
  // values: v1 .. v5, low 7 bits each.
  explicit FecavaTag(const std::array<uint8_t, 5>& values);

  std::array<uint8_t, 5> Characters() const;
  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
  bool AnswersIdRead(IdRead read) const override { return read == IdRead::Fecava; }
};

// "01:02:03:04:05" or "0102030405": five hexadecimal values 00-7F.
std::optional<std::array<uint8_t, 5>> ParseFecavaValues(const std::vector<std::string>& args);

}  // namespace sim
