#pragma once
// A factory-programmed FDX transponder carrying a BDE code: flag (bit 63), type of transponder
// (62), application code (32-61), supplier code (22-31) and serial number (0-21). The module
// reports it with the BDE tag type.
#include <cstdint>

#include "sim/transponder.h"

namespace sim {

class BdeTag : public Transponder {
 public:
  static constexpr uint64_t kApplicationCode = 4194304;  // what BDE transponders carry
  explicit BdeTag(uint64_t code);

  static uint64_t Code(unsigned type, unsigned supplier, uint32_t serial,
                       uint64_t application = kApplicationCode);
  uint64_t Code() const;
  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
};

}  // namespace sim
