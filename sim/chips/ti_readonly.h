#pragma once
// A TI HDX read-only transponder: one factory-locked 64-bit page, sent least significant byte
// first. It answers the charge-only read and the HDX ID reads.
#include <cstdint>

#include "sim/transponder.h"

namespace sim {

class TiReadOnlyTag : public Transponder {
 public:
  explicit TiReadOnlyTag(uint64_t id);

  uint64_t Id() const;
  std::vector<uint8_t> IdBytes() const override;
  std::string Describe() const override;
  std::optional<TagReply> Handle(const TagCommand& cmd, const AirContext& ctx) override;
};

}  // namespace sim
