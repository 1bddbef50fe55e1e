#include "sim/chips/em4305.h"

#include <algorithm>

#include "core/hex.h"
#include "link/command_codes.h"
#include "sim/chip_registry.h"
#include "sim/chips/air_codes.h"

namespace sim {

namespace {

constexpr size_t kUidWord = 1;
constexpr size_t kFirstSentWord = 5;
constexpr size_t kProtectionWord1 = 14;
constexpr size_t kProtectionWord2 = 15;
constexpr uint32_t kProtectionActive = 0x8000;

Em4305Tag::Word WordOf(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

}  // namespace

Em4305Tag::Em4305Tag(uint32_t uid)
    : Transponder("em4305", tag_type::kFdxb, AirInterface::Fdx, TagMemory(kWords, 4)) {
  // Bits 4-1 of the last byte of word 0 name the chip: 9 is an EM4305.
  Program(0, {0x00, 0x00, 0x01, 9 << 1});
  Program(kUidWord, WordOf(uid));
}

void Em4305Tag::Program(size_t word, const Word& bytes) {
  memory_.Program(word, bytes);
}

Em4305Tag::Word Em4305Tag::WordAt(size_t word) const {
  Word w{};
  const auto bytes = memory_.Block(word);
  std::copy(bytes.begin(), bytes.end(), w.begin());
  return w;
}

uint32_t Em4305Tag::Value(size_t word) const {
  const Word w = WordAt(word);
  return uint32_t{w[0]} << 24 | uint32_t{w[1]} << 16 | uint32_t{w[2]} << 8 | w[3];
}

void Em4305Tag::ProgramFdxb(uint64_t code) {
  Program(kConfigWord, kFdxbConfig);
  const auto bytes = air::WordBytesLsbFirst(air::FdxbTelegram(code));
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
    Program(kFirstSentWord + i / 4, {bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
}

std::optional<Em4305Tag::Transmission> Em4305Tag::Sent() const {
  const uint32_t config = Value(kConfigWord);
  const unsigned encoder = (config >> 6) & 0xF;
  const size_t last = (config >> 14) & 0xF;
  if (last < kFirstSentWord) return std::nullopt;
  std::vector<uint8_t> words;
  for (size_t w = kFirstSentWord; w <= last; ++w) {
    const Word bytes = WordAt(w);
    words.insert(words.end(), bytes.begin(), bytes.end());
  }
  const air::Bits bits = air::WordsLsbFirst(words);
  if (encoder == 2) {
    const auto code = air::DecodeFdxbTelegram(bits);
    if (!code) return std::nullopt;
    return Transmission{tag_type::kFdxb, LittleEndianBytes(*code, 8)};
  }
  if (encoder == 1) {
    const auto emId = air::DecodeEm4100(bits);
    if (!emId) return std::nullopt;
    std::vector<uint8_t> e;
    for (int shift = 32; shift >= 0; shift -= 8) e.push_back(static_cast<uint8_t>(*emId >> shift));
    return Transmission{tag_type::kEm, e};
  }
  return std::nullopt;
}

std::vector<uint8_t> Em4305Tag::IdBytes() const {
  const auto sent = Sent();
  return sent ? sent->id : std::vector<uint8_t>{};
}

uint8_t Em4305Tag::Kind() const {
  const auto sent = Sent();
  return sent ? sent->type : tag_type::kFdxb;
}

bool Em4305Tag::AnswersIdRead(IdRead read) const {
  return !disabled_ && read != IdRead::Fecava && Sent().has_value();
}

uint32_t Em4305Tag::Protection() const {
  for (size_t w : {kProtectionWord1, kProtectionWord2})
    if (Value(w) & kProtectionActive) return Value(w);
  return 0;
}

bool Em4305Tag::LoggedIn(const AirContext& ctx) const {
  return ctx.carrierOn && loginSession_ == ctx.carrierSession;
}

bool Em4305Tag::MayWrite(size_t word, const AirContext& ctx) const {
  if (word == kUidWord || word >= kProtectionWord1) return false;
  const bool protectedWord = (Protection() >> word) & 1;
  return !protectedWord || LoggedIn(ctx);
}

std::optional<TagReply> Em4305Tag::Handle(const TagCommand& cmd, const AirContext& ctx) {
  if (disabled_) return std::nullopt;
  if (IdReadOf(cmd)) return Transponder::Handle(cmd, ctx);
  const uint8_t code = cmd.code;
  if (code < cmd::Em4305WriteWord || code > cmd::Em4305IdWrite) return std::nullopt;
  const auto p = cmd.params;
  switch (code) {
    case cmd::Em4305WriteWord: {  // write word: address, 4 bytes
      if (p.size() != 5) return TagReply::Nack(nack::kNumberOfData);
      if (p[0] >= kWords) return TagReply::Nack(nack::kValue);
      if (!MayWrite(p[0], ctx)) return TagReply::Nack(nack::kTagDataReceiveError);
      Program(p[0], {p[1], p[2], p[3], p[4]});
      return TagReply::Ack(code);
    }
    case cmd::Em4305ReadWord: {  // read word: address; the password is never sent back
      if (p.size() != 1) return TagReply::Nack(nack::kNumberOfData);
      if (p[0] >= kWords) return TagReply::Nack(nack::kValue);
      if (p[0] == kPasswordWord) return TagReply::Nack(nack::kTagDataReceiveError);
      const Word w = WordAt(p[0]);
      return TagReply::Ack(code, w);
    }
    case cmd::Em4305Login: {  // login: the 4 password bytes
      if (p.size() != 4) return TagReply::Nack(nack::kNumberOfData);
      if (!std::equal(p.begin(), p.end(), memory_.Block(kPasswordWord).begin())) {
        loginSession_.reset();
        return TagReply::Nack(nack::kTagDataReceiveError);
      }
      loginSession_ = ctx.carrierSession;
      return TagReply::Ack(code);
    }
    case cmd::Em4305Protect: {  // protect: the new protection word; bits are set, never cleared
      if (p.size() != 4) return TagReply::Nack(nack::kNumberOfData);
      const uint32_t asked = uint32_t{p[2]} << 8 | p[3];
      const size_t target = (Value(kProtectionWord1) & kProtectionActive)   ? kProtectionWord1
                            : (Value(kProtectionWord2) & kProtectionActive) ? kProtectionWord2
                                                                            : kProtectionWord1;
      Program(target, WordOf(Protection() | asked | kProtectionActive));
      return TagReply::Ack(code);
    }
    case cmd::Em4305Disable:  // disable, for good
      if (!p.empty()) return TagReply::Nack(nack::kNumberOfData);
      disabled_ = true;
      return TagReply::Ack(code);
    case cmd::Em4305IdWrite: {  // ID write: 0x01, id0 .. id7
      if (p.size() != 9) return TagReply::Nack(nack::kNumberOfData);
      const uint32_t config = Value(kConfigWord);
      if (p[0] != 0x01 || ((config >> 6) & 0xF) != 2 || ((config >> 14) & 0xF) < 8)
        return TagReply::Nack(nack::kValue);
      const auto bytes =
          air::WordBytesLsbFirst(air::FdxbTelegram(FromLittleEndian(p.subspan(1, 8))));
      for (size_t w = 0; w < 4; ++w)
        if (!MayWrite(kFirstSentWord + w, ctx)) return TagReply::Nack(nack::kTagDataReceiveError);
      for (size_t w = 0; w < 4; ++w)
        Program(kFirstSentWord + w,
                {bytes[4 * w], bytes[4 * w + 1], bytes[4 * w + 2], bytes[4 * w + 3]});
      return TagReply::Ack(code);
    }
  }
  return std::nullopt;
}

std::string Em4305Tag::Describe() const {
  std::string text = "em4305 UID " + hex::Bytes(WordAt(kUidWord)) + "configuration " +
                     hex::Bytes(WordAt(kConfigWord));
  if (disabled_) return text + "disabled";
  const auto sent = Sent();
  if (!sent) return text + "sends nothing";
  return text + "sends type " + std::to_string(sent->type) + ": " + hex::Bytes(sent->id);
}

namespace {
// em4305[:uid:HEX8][:pw:HEX8][:fdxb:HEX16]
ChipResult MakeEm4305(const std::vector<std::string>& args) {
  if (args.size() % 2 != 0) return {nullptr, {}};
  auto tag = std::make_shared<Em4305Tag>();
  for (size_t i = 0; i < args.size(); i += 2) {
    const std::string& key = args[i];
    const std::string& value = args[i + 1];
    const auto v = ParseHexArg(value, key == "fdxb" ? 16 : 8);
    if (!v) return {nullptr, "\"" + value + "\" is not a hexadecimal " + key};
    if (key == "uid")
      tag->Program(kUidWord, WordOf(static_cast<uint32_t>(*v)));
    else if (key == "pw")
      tag->Program(Em4305Tag::kPasswordWord, WordOf(static_cast<uint32_t>(*v)));
    else if (key == "fdxb")
      tag->ProgramFdxb(*v);
    else
      return {nullptr, "unknown EM4305 setting \"" + key + "\""};
  }
  return {tag, {}};
}
}  // namespace

void RegisterEm4305(ChipRegistry& r) {
  r.Add({"em4305",
         {},
         "em4305 (blank), then :uid:HEX8, :pw:HEX8 (password), :fdxb:HEX16 (FDX-B configuration "
         "and code)",
         &MakeEm4305});
}

}  // namespace sim
