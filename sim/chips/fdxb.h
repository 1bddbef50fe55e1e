#pragma once
// A factory-programmed FDX-B transponder carrying one 64-bit ISO 11784 identification code
// (animal or non-animal application).
#include <cstdint>

#include "sim/transponder.h"

namespace sim {

class FdxbTag : public Transponder {
 public:
  explicit FdxbTag(uint64_t code);

  // Animal flag set, the other fields zero.
  static uint64_t AnimalCode(unsigned country, uint64_t nationalId);
  static constexpr uint64_t kAnimalFlag = 1ull << 63;
  static constexpr uint64_t kMaxNationalId = (1ull << 38) - 1;
  static constexpr unsigned kMaxCountry = 1023;

  uint64_t Code() const;
  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
};

}  // namespace sim
