#pragma once
// A read-only EM4100 transponder: a 40-bit EM ID, 8 bits of version/customer ID above a 32-bit
// serial number. Its ID bytes e0..e4 are the version first, then the serial, most significant
// byte first.
#include <cstdint>

#include "sim/transponder.h"

namespace sim {

class EmTag : public Transponder {
 public:
  static constexpr uint64_t kMaxId = (1ull << 40) - 1;
  explicit EmTag(uint64_t emId);

  uint64_t EmId() const;
  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
};

}  // namespace sim
