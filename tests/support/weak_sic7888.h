#pragma once
// A SIC7888 whose memory takes the ID write badly: it acknowledges the write but then sends a
// code 1000 higher, so the read back differs from the code written (a failed verification).
#include <optional>
#include <span>

#include "codec/animal_id.h"
#include "sim/chips/sic7888.h"

class WeakSic7888 : public sim::Sic7888Tag {
 public:
  using Sic7888Tag::Sic7888Tag;
  std::optional<sim::TagReply> Handle(const sim::TagCommand& cmd,
                                      const sim::AirContext& ctx) override {
    auto reply = Sic7888Tag::Handle(cmd, ctx);
    if (cmd.code == 0x86 && reply && reply->ack && cmd.params.size() == 9) {
      const uint64_t code = fdx::FromIdBytes(std::span<const uint8_t, 8>(cmd.params.data() + 1, 8));
      ProgramFdxb(code + 1000);
    }
    return reply;
  }
};
