#include "sim/chips/hdx_plus.h"

#include "core/hex.h"
#include "link/command_codes.h"
#include "sim/chip_registry.h"

namespace sim {

namespace {
constexpr size_t kHdxPlusIdBlock = 14;
}  // namespace

HdxPlusTag::HdxPlusTag(uint64_t animalId)
    : Transponder("hdxp", tag_type::kReadOnly, AirInterface::Hdx, TagMemory(kBlocks, 4)) {
  // A chip ID, the configuration block of an unlocked chip, patterned user memory, the ID.
  memory_.Program(0, std::array<uint8_t, 4>{0x78, 0x56, 0x34, 0x12});
  memory_.Program(1, std::array<uint8_t, 4>{0xF0, 0xDE, 0xBC, 0x9A});
  memory_.Program(2, std::array<uint8_t, 4>{0x04, 0x03, 0x02, 0x01});
  memory_.Program(kConfigBlock, std::array<uint8_t, 4>{0x5A, 0xC3, 0x01, kUnlocked});
  for (size_t b = 4; b < kHdxPlusIdBlock; ++b) {
    const uint8_t v = static_cast<uint8_t>(b << 4);
    memory_.Program(
        b, std::array<uint8_t, 4>{v, static_cast<uint8_t>(v | 1), static_cast<uint8_t>(v | 2),
                                  static_cast<uint8_t>(v | 3)});
  }
  const auto id = LittleEndianBytes(animalId, 8);
  memory_.Program(kHdxPlusIdBlock, std::span<const uint8_t>(id).first(4));
  memory_.Program(kHdxPlusIdBlock + 1, std::span<const uint8_t>(id).subspan(4));
}

void HdxPlusTag::SetLockState(uint8_t state) {
  const auto b = memory_.Block(kConfigBlock);
  memory_.Program(kConfigBlock, std::array<uint8_t, 4>{b[0], b[1], b[2], state});
}

std::vector<uint8_t> HdxPlusTag::IdBytes() const {
  std::vector<uint8_t> id;
  for (size_t b = kHdxPlusIdBlock; b < kHdxPlusIdBlock + 2; ++b) {
    const auto block = memory_.Block(b);
    id.insert(id.end(), block.begin(), block.end());
  }
  return id;
}

std::string HdxPlusTag::Describe() const {
  return "hdxp " + hex::Number(FromLittleEndian(IdBytes()), 16) +
         (LockState() == kLocked ? " (chip locked)" : "");
}

std::optional<TagReply> HdxPlusTag::Handle(const TagCommand& cmd, const AirContext& ctx) {
  std::optional<TagReply> reply = Answer(cmd);
  if (!reply) return Transponder::Handle(cmd, ctx);
  Shape.Apply(reply);
  return reply;
}

std::optional<TagReply> HdxPlusTag::Answer(const TagCommand& cmd) {
  const auto& p = cmd.params;
  switch (cmd.code) {
    case cmd::ChargeOnlyRead: {  // as a TI transponder answers it: the type, then the animal ID
      if (!p.empty() && !(p.size() == 1 && p[0] == 0x00))
        return TagReply::Nack(nack::kNumberOfData);
      std::vector<uint8_t> out = IdBytes();
      out.insert(out.begin(), Kind());
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::HdxPlusReadMultipleBlocks: {
      if (p.size() != 3) return TagReply::Nack(nack::kNumberOfData);
      const int first = p[1], last = p[1] + p[2];
      if (last >= kBlocks) return std::nullopt;
      std::vector<uint8_t> out;
      for (int b = first; b <= last; ++b) {
        const auto block = memory_.Block(static_cast<size_t>(b));
        out.insert(out.end(), block.begin(), block.end());
      }
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::HdxPlusIdWrite: {
      if (p.size() != 9) return TagReply::Nack(nack::kNumberOfData);
      if (LockState() == kLocked || memory_.Locked(kHdxPlusIdBlock)) return std::nullopt;
      memory_.Write(kHdxPlusIdBlock, p.first(4));
      memory_.Write(kHdxPlusIdBlock + 1, p.subspan(4, 4));
      if (p[8] == 1) {
        memory_.Lock(kHdxPlusIdBlock);
        memory_.Lock(kHdxPlusIdBlock + 1);
      }
      return TagReply::Ack(cmd.code);
    }
    case cmd::HdxPlusChipLock:
      if (!p.empty()) return TagReply::Nack(nack::kNumberOfData);
      if (LockState() == kLocked) return std::nullopt;
      SetLockState(kLocked);
      for (size_t b = 0; b < kBlocks; ++b) memory_.Lock(b);
      return TagReply::Ack(cmd.code);
    default:
      return std::nullopt;
  }
}

namespace {
ChipResult MakeHdxPlus(const std::vector<std::string>& args) {
  uint64_t id = 0x8000F9E0F20EA701;
  if (args.size() > 1) return {nullptr, {}};
  if (args.size() == 1) {
    auto parsed = ParseHexArg(args[0], 16);
    if (!parsed) return {nullptr, "\"" + args[0] + "\" is not a 64-bit hexadecimal ID"};
    id = *parsed;
  }
  return {std::make_shared<HdxPlusTag>(id), {}};
}
}  // namespace

void RegisterHdxPlus(ChipRegistry& r) {
  r.Add({"hdxp",
         {"hdx+", "hdxplus"},
         "hdxp[:HEX16]  HDX+ transponder with that animal ID, chip unlocked",
         &MakeHdxPlus});
}

}  // namespace sim
