#include "sim/chips/sic7888.h"

#include <algorithm>

#include "core/hex.h"
#include "link/command_codes.h"
#include "sim/chip_registry.h"
#include "sim/chips/air_codes.h"
#include "sim/chips/fecava.h"

namespace sim {

namespace {

constexpr size_t kConfigBlock = 1;
constexpr size_t kIdBlock = 4;
constexpr size_t kCtBlock = 41;
constexpr uint8_t kMaxMode = 2;
constexpr uint8_t kMaxCt = 31;

bool Bit(uint8_t byte, int bit) {
  return (byte >> bit) & 1;
}

}  // namespace

Sic7888Tag::Sic7888Tag(uint32_t uid)
    : Transponder("sic7888", tag_type::kSic7888, AirInterface::Fdx, TagMemory(kBlocks, 4)) {
  Program(0, {static_cast<uint8_t>(uid >> 24), static_cast<uint8_t>(uid >> 16),
              static_cast<uint8_t>(uid >> 8), static_cast<uint8_t>(uid)});
  Program(kCtBlock, {0x00, 0x00, kFactoryCt << 1, 0x00});
  Program(42, {0x7F, 0x88, static_cast<uint8_t>(uid >> 8), static_cast<uint8_t>(uid)});
  Program(43, {0x20, 0x26, 0x01, 0x15});
}

void Sic7888Tag::Program(size_t block, const Block& bytes) {
  memory_.Program(block, bytes);
}

Sic7888Tag::Block Sic7888Tag::BlockAt(size_t block) const {
  Block b{};
  const auto bytes = memory_.Block(block);
  std::copy(bytes.begin(), bytes.end(), b.begin());
  return b;
}

std::vector<uint8_t> Sic7888Tag::Bytes(size_t first, size_t count) const {
  std::vector<uint8_t> out;
  for (size_t b = first; b < first + count && b < kBlocks; ++b) {
    const auto bytes = memory_.Block(b);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

namespace {
void Lay(Sic7888Tag& tag, size_t first, std::span<const uint8_t> bytes) {
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
    tag.Program(first + i / 4, {bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
}
}  // namespace

void Sic7888Tag::ProgramFdxb(uint64_t code, const Block& config) {
  Program(kConfigBlock, config);
  Lay(*this, kIdBlock, air::BytesMsbFirst(air::FdxbTelegram(code)));
}

void Sic7888Tag::ProgramEm(uint64_t emId) {
  Program(kConfigBlock, kEmConfig);
  Lay(*this, kIdBlock, air::BytesMsbFirst(air::Em4100Frame(emId)));
}

void Sic7888Tag::ProgramFecava(const std::array<uint8_t, 5>& values) {
  Program(kConfigBlock, kFecavaConfig);
  std::array<uint8_t, 5> characters{};
  for (size_t i = 0; i < values.size(); ++i) characters[i] = air::FecavaCharacter(values[i]);
  Lay(*this, kIdBlock, air::FecavaImage(characters));
}

size_t Sic7888Tag::TtfBlocks() const {
  const Block k = BlockAt(kConfigBlock);
  static constexpr size_t kFirstTable[] = {0, 2, 4, 1};
  static constexpr size_t kSecondTable[] = {0, 3, 6, 8};
  const int r = (k[1] >> 2) & 3;
  return Bit(k[0], 2) ? kSecondTable[r] : kFirstTable[r];
}

std::optional<Sic7888Tag::Transmission> Sic7888Tag::Sent() const {
  const size_t blocks = TtfBlocks();
  if (blocks == 0) return std::nullopt;
  const Block k = BlockAt(kConfigBlock);
  const std::vector<uint8_t> bytes = Bytes(kIdBlock, blocks);
  if (Bit(k[0], 5)) {  // FDX-A frequency-shift keying
    const auto characters = air::DecodeFecavaImage(bytes);
    if (!characters) return std::nullopt;
    return Transmission{tag_type::kFecava, {characters->begin(), characters->end()}};
  }
  const air::Bits bits = air::MsbFirst(bytes);
  if (!Bit(k[1], 6)) {  // Manchester: EM4100
    const auto emId = air::DecodeEm4100(bits);
    if (!emId) return std::nullopt;
    std::vector<uint8_t> e;
    for (int shift = 32; shift >= 0; shift -= 8) e.push_back(static_cast<uint8_t>(*emId >> shift));
    return Transmission{tag_type::kEm, e};
  }
  const auto code = air::DecodeFdxbTelegram(bits);
  if (!code) return std::nullopt;
  return Transmission{tag_type::kFdxb, LittleEndianBytes(*code, 8)};
}

std::vector<uint8_t> Sic7888Tag::IdBytes() const {
  const auto sent = Sent();
  return sent ? sent->id : std::vector<uint8_t>{};
}

uint8_t Sic7888Tag::Kind() const {
  const auto sent = Sent();
  return sent ? sent->type : tag_type::kSic7888;
}

bool Sic7888Tag::AnswersIdRead(IdRead read) const {
  const auto sent = Sent();
  if (!sent) return false;
  return (sent->type == tag_type::kFecava) == (read == IdRead::Fecava);
}

bool Sic7888Tag::Writable(size_t block) const {
  const Block k = BlockAt(kConfigBlock);
  if (Bit(k[1], 7)) return false;  // password protection, and no password command to lift it
  if (block == 0 || block >= 42) return false;  // UID and traceability: factory data
  if (block == kConfigBlock) return !Bit(k[1], 1);
  if (block <= 3) return !Bit(k[1], 0);
  // k2 bits 7..0 lock blocks 4-5, 6-7, 8-11, 12-15, 16-23, 24-31, 32-40 and 41.
  static constexpr size_t kLockEnds[] = {5, 7, 11, 15, 23, 31, 40, 41};
  for (int i = 0; i < 8; ++i)
    if (block <= kLockEnds[i]) return !Bit(k[2], 7 - i);
  return false;
}

bool Sic7888Tag::Readable(size_t block) const {
  const Block k = BlockAt(kConfigBlock);
  if (!Bit(k[1], 7)) return true;
  if (block == 2 || block == 3) return false;  // the passwords
  return !(Bit(k[0], 4) && block >= kIdBlock && block <= 40);
}

Sic7888Tag::Block Sic7888Tag::StickyConfig(const Block& next) const {
  const Block old = BlockAt(kConfigBlock);
  Block k = next;
  k[1] |= old[1] & 0x83;  // protection, OTP, lock of blocks 2-3
  k[2] |= old[2];         // the other locks
  return k;
}

std::optional<TagReply> Sic7888Tag::WriteBlocks(uint8_t code, size_t first,
                                                std::span<const uint8_t> bytes) {
  const size_t count = bytes.size() / 4;
  for (size_t i = 0; i < count; ++i)
    if (!Writable(first + i)) return TagReply::Nack(nack::kTagDataReceiveError);
  for (size_t i = 0; i < count; ++i) {
    Block b{bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], bytes[4 * i + 3]};
    if (first + i == kConfigBlock) b = StickyConfig(b);
    Program(first + i, b);
  }
  return TagReply::Ack(code);
}

std::optional<TagReply> Sic7888Tag::Handle(const TagCommand& cmd, const AirContext& ctx) {
  if (IdReadOf(cmd)) return Transponder::Handle(cmd, ctx);
  const uint8_t code = cmd.code;
  // The chip's codes run from GetUid to WriteBlock2, all but the one between WritePage and IdWrite.
  if (code < cmd::Sic7888GetUid || code > cmd::Sic7888WriteBlock2 ||
      code == cmd::Sic7888WritePage + 1)
    return std::nullopt;
  const auto p = cmd.params;
  if (p.empty()) return TagReply::Nack(nack::kNumberOfData);
  if (p[0] > kMaxMode) return TagReply::Nack(nack::kValue);
  auto readable = [this](size_t first, size_t count) {
    for (size_t b = first; b < first + count; ++b)
      if (!Readable(b)) return false;
    return true;
  };
  switch (code) {
    case cmd::Sic7888GetUid:  // GetUID
      if (p.size() != 1) return TagReply::Nack(nack::kNumberOfData);
      return TagReply::Ack(code, Bytes(0, 1));
    case cmd::Sic7888ReadBlock:  // ReadBlock
    case cmd::Sic7888ReadPage:   // ReadPage: the block and the three following
    {
      if (p.size() != 2) return TagReply::Nack(nack::kNumberOfData);
      const size_t count = code == cmd::Sic7888ReadBlock ? 1 : 4;
      if (p[1] + count > kBlocks) return TagReply::Nack(nack::kValue);
      if (!readable(p[1], count)) return TagReply::Nack(nack::kTagDataReceiveError);
      return TagReply::Ack(code, Bytes(p[1], count));
    }
    case cmd::Sic7888WriteBlock:  // WriteBlock
      if (p.size() != 6) return TagReply::Nack(nack::kNumberOfData);
      if (p[1] >= kBlocks) return TagReply::Nack(nack::kValue);
      return WriteBlocks(code, p[1], p.subspan(2));
    case cmd::Sic7888WritePage: {  // WritePage: from the block to the end of its page
      if (p.size() < 2) return TagReply::Nack(nack::kNumberOfData);
      if (p[1] >= kBlocks) return TagReply::Nack(nack::kValue);
      const size_t count = 4 - p[1] % 4;
      if (p.size() != 2 + 4 * count) return TagReply::Nack(nack::kNumberOfData);
      return WriteBlocks(code, p[1], p.subspan(2));
    }
    case cmd::Sic7888IdWrite: {  // IdWrite: the module lays an FDX-B telegram into the blocks the
                                 // chip sends
      if (p.size() != 9) return TagReply::Nack(nack::kNumberOfData);
      const Block k = BlockAt(kConfigBlock);
      if (Bit(k[0], 5) || !Bit(k[1], 6) || TtfBlocks() < 4) return TagReply::Nack(nack::kValue);
      const uint64_t id = FromLittleEndian(p.subspan(1, 8));
      return WriteBlocks(code, kIdBlock, air::BytesMsbFirst(air::FdxbTelegram(id)));
    }
    case cmd::Sic7888ReadCt:  // ReadCt: block 41
      if (p.size() != 1) return TagReply::Nack(nack::kNumberOfData);
      if (!Readable(kCtBlock)) return TagReply::Nack(nack::kTagDataReceiveError);
      return TagReply::Ack(code, Bytes(kCtBlock, 1));
    case cmd::Sic7888WriteCt: {  // WriteCt: answers mode, CT, the new and the old block 41
      if (p.size() != 2) return TagReply::Nack(nack::kNumberOfData);
      if (p[1] > kMaxCt) return TagReply::Nack(nack::kValue);
      if (!Writable(kCtBlock)) return TagReply::Nack(nack::kTagDataReceiveError);
      const Block old = BlockAt(kCtBlock);
      Block next = old;
      next[2] = static_cast<uint8_t>((old[2] & ~0x3E) | p[1] << 1);
      Program(kCtBlock, next);
      std::vector<uint8_t> payload{p[0], p[1]};
      payload.insert(payload.end(), next.begin(), next.end());
      payload.insert(payload.end(), old.begin(), old.end());
      return TagReply::Ack(code, payload);
    }
    case cmd::Sic7888ReadBlock2: {  // ReadBlock2: start, count
      if (p.size() != 3) return TagReply::Nack(nack::kNumberOfData);
      if (p[2] == 0 || p[1] + size_t{p[2]} > kBlocks) return TagReply::Nack(nack::kValue);
      if (!readable(p[1], p[2])) return TagReply::Nack(nack::kTagDataReceiveError);
      return TagReply::Ack(code, Bytes(p[1], p[2]));
    }
    case cmd::Sic7888WriteBlock2: {  // WriteBlock2: start, count, 4 x count bytes
      if (p.size() < 3) return TagReply::Nack(nack::kNumberOfData);
      if (p[2] == 0 || p[1] + size_t{p[2]} > kBlocks) return TagReply::Nack(nack::kValue);
      if (p.size() != 3 + 4 * size_t{p[2]}) return TagReply::Nack(nack::kNumberOfData);
      return WriteBlocks(code, p[1], p.subspan(3));
    }
  }
  return std::nullopt;
}

uint8_t Sic7888Tag::Ct() const {
  return static_cast<uint8_t>((BlockAt(kCtBlock)[2] >> 1) & kMaxCt);
}

int Sic7888Tag::Threshold() const {
  const int off = Ct() > bestCt_ ? Ct() - bestCt_ : bestCt_ - Ct();
  return Transponder::Threshold() + kLevelsPerCtStep * off;
}

bool Sic7888Tag::SetOption(const std::string& key, const std::string& value, std::string& error) {
  if (key != "bestct") return Transponder::SetOption(key, value, error);
  const auto v = ParseDecimalArg(value, kMaxCt);
  if (!v) {
    error = "bestct \"" + value + "\" is not a tuning value 0-31";
    return false;
  }
  bestCt_ = static_cast<uint8_t>(*v);
  return true;
}

std::string Sic7888Tag::Describe() const {
  std::string text = "sic7888 UID " + hex::Bytes(Bytes(0, 1)) + "configuration " +
                     hex::Bytes(Bytes(kConfigBlock, 1));
  const auto sent = Sent();
  if (!sent) return text + "sends nothing";
  return text + "sends type " + std::to_string(sent->type) + ": " + hex::Bytes(sent->id);
}

namespace {
// sic7888[:uid:HEX8][:fdxb:HEX16 | :bde:HEX16 | :em:HEX10 | :fecava:HEX10]
ChipResult MakeSic7888(const std::vector<std::string>& args) {
  if (args.size() % 2 != 0) return {nullptr, {}};
  uint32_t uid = 0x78880001;
  for (size_t i = 0; i < args.size(); i += 2)
    if (args[i] == "uid") {
      const auto v = ParseHexArg(args[i + 1], 8);
      if (!v) return {nullptr, "UID \"" + args[i + 1] + "\" is not 8 hexadecimal digits"};
      uid = static_cast<uint32_t>(*v);
    }
  auto tag = std::make_shared<Sic7888Tag>(uid);
  for (size_t i = 0; i < args.size(); i += 2) {
    const std::string& key = args[i];
    const std::string& value = args[i + 1];
    if (key == "uid") continue;
    if (key == "fdxb" || key == "bde") {
      const auto code = ParseHexArg(value, 16);
      if (!code) return {nullptr, "\"" + value + "\" is not a 64-bit hexadecimal code"};
      tag->ProgramFdxb(*code, key == "bde" ? Sic7888Tag::kBdeConfig : Sic7888Tag::kIsoFdxbConfig);
    } else if (key == "em") {
      const auto id = ParseHexArg(value, 10);
      if (!id) return {nullptr, "\"" + value + "\" is not a 40-bit hexadecimal EM ID"};
      tag->ProgramEm(*id);
    } else if (key == "fecava") {
      const auto values = ParseFecavaValues({value});
      if (!values) return {nullptr, "\"" + value + "\" is not five hexadecimal values 00-7F"};
      tag->ProgramFecava(*values);
    } else {
      return {nullptr, "unknown SIC7888 setting \"" + key + "\""};
    }
  }
  return {tag, {}};
}
}  // namespace

void RegisterSic7888(ChipRegistry& r) {
  r.Add({"sic7888",
         {},
         "sic7888 (blank), sic7888:uid:HEX8, then :fdxb:HEX16, :bde:HEX16, :em:HEX10 or "
         ":fecava:HEX10 to configure and program an ID; bestct=N the tuning value (0-31, "
         "default 16) at which it needs the least LF level",
         &MakeSic7888});
}

}  // namespace sim
