#include "sim/chips/ti_hdx.h"

#include "core/hex.h"
#include "link/command_codes.h"
#include "sim/chip_registry.h"

namespace sim {

namespace {

constexpr uint8_t kReadUnlocked = 0;
constexpr uint8_t kProgrammed = 1;
constexpr uint8_t kReadLocked = 2;

// One charge-and-answer cycle, and one that also programs a page.
constexpr auto kReadCycle = std::chrono::milliseconds(70);
constexpr auto kProgramCycle = std::chrono::milliseconds(120);

}  // namespace

TiHdxTag::TiHdxTag(uint8_t kind, uint64_t id)
    : Transponder(kind == tag_type::kMultiPage ? "ti-mpt" : "ti-rw", kind, AirInterface::Hdx,
                  TagMemory(kind == tag_type::kMultiPage ? kMultiPages : 1, 8)) {
  memory_.Program(0, LittleEndianBytes(id, 8));
}

std::array<uint8_t, 8> TiHdxTag::Page(int page) const {
  std::array<uint8_t, 8> out{};
  const auto b = memory_.Block(static_cast<size_t>(page - 1));
  std::copy(b.begin(), b.end(), out.begin());
  return out;
}

void TiHdxTag::SetPage(int page, const std::array<uint8_t, 8>& bytes) {
  memory_.Program(static_cast<size_t>(page - 1), bytes);
}

bool TiHdxTag::PageLocked(int page) const {
  return memory_.Locked(static_cast<size_t>(page - 1));
}

void TiHdxTag::LockPageNow(int page) {
  memory_.Lock(static_cast<size_t>(page - 1));
}

std::vector<uint8_t> TiHdxTag::IdBytes() const {
  const auto b = memory_.Block(0);
  return {b.begin(), b.end()};
}

std::string TiHdxTag::Describe() const {
  return TypeName() + " " + hex::Number(FromLittleEndian(memory_.Block(0)), 16);
}

void TiHdxTag::AppendPage(std::vector<uint8_t>& out, int page, uint8_t state) const {
  const auto b = memory_.Block(static_cast<size_t>(page - 1));
  out.insert(out.end(), b.begin(), b.end());
  out.push_back(Status(page, state));
}

std::optional<TagReply> TiHdxTag::Handle(const TagCommand& cmd, const AirContext& ctx) {
  std::optional<TagReply> reply = Answer(cmd);
  if (!reply) return Transponder::Handle(cmd, ctx);
  Shape.Apply(reply);
  return reply;
}

std::optional<TagReply> TiHdxTag::Answer(const TagCommand& cmd) {
  const auto& p = cmd.params;
  std::vector<uint8_t> out{Kind()};
  auto readState = [&](int page) { return PageLocked(page) ? kReadLocked : kReadUnlocked; };
  switch (cmd.code) {
    case cmd::ChargeOnlyRead:
      if (!p.empty() && !(p.size() == 1 && p[0] == 0x00))
        return TagReply::Nack(nack::kNumberOfData);
      for (uint8_t b : Page(1)) out.push_back(b);
      return TagReply::Ack(cmd.code, out);
    case cmd::WriteAndProgram: {
      if (p.size() != 9 || p[0] != 8) return TagReply::Nack(nack::kNumberOfData);
      if (!memory_.Write(0, p.subspan(1))) return std::nullopt;  // locked: no answer
      for (uint8_t b : Page(1)) out.push_back(b);
      return TagReply::Ack(cmd.code, out);
    }
    default:
      break;
  }
  if (!Multipage()) return std::nullopt;
  switch (cmd.code) {
    case cmd::GeneralReadPage:
    case cmd::LockPage: {
      if (p.size() != 1) return TagReply::Nack(nack::kNumberOfData);
      const int page = p[0];
      if (!ValidPage(page)) return std::nullopt;
      if (cmd.code == cmd::LockPage) LockPageNow(page);
      AppendPage(out, page, readState(page));
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::ProgramPage: {
      if (p.size() != 10 || p[1] != 8) return TagReply::Nack(nack::kNumberOfData);
      const int page = p[0];
      if (!ValidPage(page)) return std::nullopt;
      // A locked page keeps its bytes and reports that it is locked.
      const bool written = memory_.Write(static_cast<size_t>(page - 1), p.subspan(2));
      AppendPage(out, page, written ? kProgrammed : kReadLocked);
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::GeneralReadPageCmd2: {
      if (p.size() != 2) return TagReply::Nack(nack::kNumberOfData);
      const int first = p[0], count = p[1];
      if (count == 0 || !ValidPage(first) || !ValidPage(first + count - 1))
        return TagReply::Nack(nack::kValue);
      for (int page = first; page < first + count; ++page) AppendPage(out, page, readState(page));
      return TagReply::Ack(cmd.code, out);
    }
    case cmd::WriteAndProgramCmd2: {
      if (p.size() < 2) return TagReply::Nack(nack::kNumberOfData);
      const int first = p[0], count = p[1];
      if (p.size() != 2 + 8 * static_cast<size_t>(count))
        return TagReply::Nack(nack::kNumberOfData);
      if (count == 0 || !ValidPage(first) || !ValidPage(first + count - 1))
        return TagReply::Nack(nack::kValue);
      for (int i = 0; i < count; ++i) {
        const int page = first + i;
        const bool written = memory_.Write(static_cast<size_t>(page - 1), p.subspan(2 + 8 * i, 8));
        out.push_back(Status(page, written ? kProgrammed : kReadLocked));
      }
      return TagReply::Ack(cmd.code, out);
    }
    default:
      return std::nullopt;
  }
}

std::map<uint8_t, Duration> TiHdxAirTimes(int pages) {
  return {{cmd::ChargeOnlyRead, kReadCycle},
          {cmd::WriteAndProgram, kProgramCycle},
          {cmd::GeneralReadPage, kReadCycle},
          {cmd::ProgramPage, kProgramCycle},
          {cmd::LockPage, kProgramCycle},
          {cmd::GeneralReadPageCmd2, kReadCycle * pages},
          {cmd::WriteAndProgramCmd2, kProgramCycle * pages}};
}

namespace {
template <uint8_t Kind>
ChipResult MakeTi(const std::vector<std::string>& args) {
  uint64_t id = 1;
  if (args.size() > 1) return {nullptr, {}};
  if (args.size() == 1) {
    auto parsed = ParseHexArg(args[0], 16);
    if (!parsed) return {nullptr, "\"" + args[0] + "\" is not a 64-bit hexadecimal ID"};
    id = *parsed;
  }
  return {std::make_shared<TiHdxTag>(Kind, id), {}};
}
}  // namespace

void RegisterTiHdx(ChipRegistry& r) {
  r.Add({"ti-rw",
         {"tirw", "ti-readwrite"},
         "ti-rw[:HEX16]  TI read/write transponder with that ID (default 1)",
         &MakeTi<tag_type::kReadWrite>});
  r.Add({"ti-mpt",
         {"timpt", "ti-multipage"},
         "ti-mpt[:HEX16]  TI multipage transponder, 17 pages, page 1 the ID (default 1)",
         &MakeTi<tag_type::kMultiPage>});
}

}  // namespace sim
