#include "sim/chips/sic279.h"

#include <algorithm>

#include "core/hex.h"
#include "link/command_codes.h"
#include "sim/chip_registry.h"

namespace sim {

namespace {
constexpr int kMaxFurtherBlocks = 3;
}  // namespace

Sic279Tag::Sic279Tag(uint64_t id)
    : Transponder("sic279", tag_type::kSic279, AirInterface::Hdx, TagMemory(kBlocks, 4)) {
  const auto bytes = LittleEndianBytes(id, 8);
  std::copy(bytes.begin(), bytes.end(), id_.begin());
  for (int b = 0; b < kBlocks; ++b) {
    const uint8_t v = static_cast<uint8_t>(b * 0x11);
    const std::array<uint8_t, 4> block{v, static_cast<uint8_t>(v + 1), static_cast<uint8_t>(v + 2),
                                       static_cast<uint8_t>(v + 3)};
    memory_.Program(static_cast<size_t>(b), block);
  }
}

uint16_t Sic279Tag::LockWord() const {
  uint16_t w = 0;
  for (int b = 0; b < kBlocks; ++b)
    if (memory_.Locked(static_cast<size_t>(b))) w = static_cast<uint16_t>(w | 1u << b);
  return w;
}

std::vector<uint8_t> Sic279Tag::IdBytes() const {
  return {id_.begin(), id_.end()};
}

std::string Sic279Tag::Describe() const {
  return "sic279 " + hex::Number(FromLittleEndian(id_), 16) +
         (emulatedType_ == 0 ? " (read/write)" : " (read only)") + (idLocked_ ? " locked" : "");
}

std::optional<TagReply> Sic279Tag::Handle(const TagCommand& cmd, const AirContext& ctx) {
  std::optional<TagReply> reply = Answer(cmd);
  if (!reply) return Transponder::Handle(cmd, ctx);
  Shape.Apply(reply);
  return reply;
}

std::optional<TagReply> Sic279Tag::Answer(const TagCommand& cmd) {
  const auto& p = cmd.params;
  std::vector<uint8_t> out;
  auto traceability = [&] {
    out.insert(out.end(), Traceability.begin(), Traceability.end());
    out.back() &= 0x3F;
    out.push_back(OptionFlags);
  };
  switch (cmd.code) {
    case cmd::ChargeOnlyRead:
      if (!p.empty() && !(p.size() == 1 && p[0] == 0x00))
        return TagReply::Nack(nack::kNumberOfData);
      out.push_back(ChargeReadAsTi ? static_cast<uint8_t>(emulatedType_) : Kind());
      out.insert(out.end(), id_.begin(), id_.end());
      return TagReply::Ack(cmd.code, out);
    case cmd::Sic279TraceabilityDataRead:
      if (!p.empty()) return TagReply::Nack(nack::kNumberOfData);
      traceability();
      return TagReply::Ack(cmd.code, out);
    case cmd::Sic279ChipConfigRead: {
      if (!p.empty()) return TagReply::Nack(nack::kNumberOfData);
      traceability();
      const uint32_t w = (ManufacturerData & 0x1FFFFFF) << 7 | (Ctune & 0x7F);
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
      out.push_back(Revision & 0x0F);
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::Sic279LockBitReadAll: {
      if (!p.empty()) return TagReply::Nack(nack::kNumberOfData);
      const uint16_t w = LockWord();
      out = {static_cast<uint8_t>(w & 0xFF), static_cast<uint8_t>(w >> 8)};
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::Sic279LockBitRead:
      if (p.size() != 1) return TagReply::Nack(nack::kNumberOfData);
      if (p[0] >= kBlocks) return TagReply::Nack(nack::kValue);
      out = {static_cast<uint8_t>(memory_.Locked(p[0]) ? 1 : 0), 0, 0, 0};
      return TagReply::Ack(cmd.code, out);
    case cmd::Sic279ProtectedDirectAccess: {
      if (p.size() != 2) return TagReply::Nack(nack::kNumberOfData);
      if (p[0] >= kBlocks) return TagReply::Nack(nack::kValue);
      const int last = std::min({p[0] + std::min<int>(p[1], kMaxFurtherBlocks), kBlocks - 1});
      for (int b = p[0]; b <= last; ++b) {
        const auto block = memory_.Block(static_cast<size_t>(b));
        out.insert(out.end(), block.begin(), block.end());
      }
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::Sic279ProtectedWrite: {
      if (p.size() != 6) return TagReply::Nack(nack::kNumberOfData);
      if (p[0] >= kBlocks) return TagReply::Nack(nack::kValue);
      if (!memory_.Write(p[0], p.subspan(2, 4))) return std::nullopt;
      if (p[1] == 1) memory_.Lock(p[0]);
      const auto block = memory_.Block(p[0]);
      out.assign(block.begin(), block.end());
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::Sic279IdWrite:
      if (p.size() != 10) return TagReply::Nack(nack::kNumberOfData);
      if (idLocked_) return std::nullopt;
      std::copy(p.begin() + 1, p.begin() + 9, id_.begin());
      emulatedType_ = p[9] == 0 ? 0 : 1;
      if (p[0] == 1) idLocked_ = true;
      return TagReply::Ack(cmd.code);
    case cmd::IdReadAnimal:
      // The animal ID read sees the TI transponder the chip emulates (the tag type of its last
      // ID write); the combined read 0x71 02 and the charge-only read report the chip itself.
      if (!p.empty()) return std::nullopt;
      out.push_back(static_cast<uint8_t>(emulatedType_));
      out.insert(out.end(), id_.begin(), id_.end());
      return TagReply::Ack(cmd.code, out);
    default:
      return std::nullopt;
  }
}

namespace {
ChipResult MakeSic279(const std::vector<std::string>& args) {
  uint64_t id = 0x8000F9E0F20EA701;
  if (args.size() > 2) return {nullptr, {}};
  if (args.size() == 2 && args[1] != "ti") return {nullptr, "\"" + args[1] + "\" is not \"ti\""};
  if (!args.empty()) {
    auto parsed = ParseHexArg(args[0], 16);
    if (!parsed) return {nullptr, "\"" + args[0] + "\" is not a 64-bit hexadecimal ID"};
    id = *parsed;
  }
  auto tag = std::make_shared<Sic279Tag>(id);
  tag->ChargeReadAsTi = args.size() == 2;
  return {tag, {}};
}
}  // namespace

void RegisterSic279(ChipRegistry& r) {
  r.Add({"sic279",
         {},
         "sic279[:HEX16[:ti]]  SIC279 transponder with that ID, 16 blocks of user memory; with "
         ":ti the charge-only read reports the TI type it emulates",
         &MakeSic279});
}

}  // namespace sim
