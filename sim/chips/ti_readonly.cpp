#include "sim/chips/ti_readonly.h"

#include "core/hex.h"
#include "link/command_codes.h"
#include "sim/chip_registry.h"

namespace sim {

namespace {}

TiReadOnlyTag::TiReadOnlyTag(uint64_t id)
    : Transponder("ti-ro", tag_type::kReadOnly, AirInterface::Hdx, TagMemory(1, 8)) {
  memory_.Program(0, LittleEndianBytes(id, 8));
  memory_.Lock(0);
}

uint64_t TiReadOnlyTag::Id() const {
  return FromLittleEndian(memory_.Block(0));
}

std::vector<uint8_t> TiReadOnlyTag::IdBytes() const {
  const auto b = memory_.Block(0);
  return {b.begin(), b.end()};
}

std::string TiReadOnlyTag::Describe() const {
  return "ti-ro " + hex::Number(Id(), 16);
}

std::optional<TagReply> TiReadOnlyTag::Handle(const TagCommand& cmd, const AirContext& ctx) {
  // Charged, a read-only tag answers with its page whatever the module asked for; the module
  // only accepts the plain charge-only read and its form with the extra 0x00.
  if (cmd.code == cmd::ChargeOnlyRead &&
      (cmd.params.empty() || (cmd.params.size() == 1 && cmd.params[0] == 0x00))) {
    std::vector<uint8_t> payload = IdBytes();
    payload.insert(payload.begin(), Kind());
    return TagReply::Ack(cmd.code, payload);
  }
  return Transponder::Handle(cmd, ctx);
}

namespace {
ChipResult MakeTiReadOnly(const std::vector<std::string>& args) {
  if (args.size() != 1) return {nullptr, {}};
  auto id = ParseHexArg(args[0], 16);
  if (!id) return {nullptr, "\"" + args[0] + "\" is not a 64-bit hexadecimal ID"};
  return {std::make_shared<TiReadOnlyTag>(*id), {}};
}
}  // namespace

void RegisterTiReadOnly(ChipRegistry& r) {
  r.Add({"ti-ro",
         {"tiro", "ti-readonly"},
         "ti-ro:HEX16 (64-bit ID, most significant digit first)",
         &MakeTiReadOnly});
}

}  // namespace sim
