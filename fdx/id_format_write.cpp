#include "fdx/id_format_write.h"

#include "codec/animal_id.h"
#include "codec/sic7888_layout.h"
#include "codec/tag_type.h"
#include "core/hex.h"
#include "fdx/sic7888_format_config.h"
#include "link/comm_module.h"

namespace fdx {

namespace {

constexpr uint8_t kFirstIdBlock = 4;
constexpr int kTagType = 2;
constexpr int kIdStart = 3;
constexpr uint8_t kTypeEm = static_cast<uint8_t>(TagType::Em);
constexpr uint8_t kTypeFecava = static_cast<uint8_t>(TagType::Fecava);

bool WriteBlock(TTirisC1Dlg& comm, uint8_t block, std::span<const uint8_t, 4> bytes) {
  Response out{};
  return comm.Sic7888WriteBlock(out, sic7888::kProtocolMode, block, bytes);
}

std::array<uint8_t, 4> MsbFirst(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

}  // namespace

bool WriteFecavaCode(TTirisC1Dlg& comm, std::span<const uint8_t, 5> values) {
  if (!SetUpFormatConfig(comm, sic7888::kFecavaConfig)) return false;
  const std::array<uint8_t, 12> image = EncodeFecava(values);
  for (size_t i = 0; i < 3; ++i)
    if (!WriteBlock(comm, static_cast<uint8_t>(kFirstIdBlock + i),
                    std::span<const uint8_t, 4>(image.data() + 4 * i, 4)))
      return false;
  return true;
}

bool WriteEmIdCode(TTirisC1Dlg& comm, uint64_t emId) {
  const uint64_t frame = EncodeEm4100(emId);
  if (!SetUpFormatConfig(comm, sic7888::kEmIdConfig)) return false;
  return WriteBlock(comm, kFirstIdBlock, MsbFirst(static_cast<uint32_t>(frame >> 32))) &&
         WriteBlock(comm, kFirstIdBlock + 1, MsbFirst(static_cast<uint32_t>(frame)));
}

IdWriteOutcome WriteBdeCode(TTirisC1Dlg& comm, uint64_t code) {
  if (!SetUpFormatConfig(comm, sic7888::kBdeConfig)) return IdWriteOutcome::ConfigurationFailed;
  return SendIdWrite(comm, IdChip::Sic7888, code, false) ? IdWriteOutcome::Written
                                                         : IdWriteOutcome::WriteFailed;
}

std::optional<std::array<uint8_t, 5>> ReadFecavaValues(TTirisC1Dlg& comm) {
  Response out{};
  if (!comm.IdReadFecava(out) || out[0] < kIdStart - 1 + 5 || out[kTagType] != kTypeFecava)
    return std::nullopt;
  std::array<uint8_t, 5> values{};
  for (size_t i = 0; i < values.size(); ++i) values[i] = FecavaValue(out[kIdStart + i]);
  return values;
}

std::optional<std::vector<uint8_t>> ReadEmIdBytes(TTirisC1Dlg& comm) {
  Response out{};
  // LEN - 2 ID bytes: none is no ID, more than 8 are no number the tool can show.
  if (!comm.IdReadFdx(out) || out[0] < kIdStart || out[0] > kIdStart - 1 + 8 ||
      out[kTagType] != kTypeEm)
    return std::nullopt;
  return std::vector<uint8_t>(out.data() + kIdStart, out.data() + out[0] + 1);
}

std::optional<uint64_t> ReadBdeCode(TTirisC1Dlg& comm) {
  Response out{};
  if (!comm.IdReadFdx(out) || out[0] < kIdStart - 1 + 8 || out[kTagType] == kTypeEm)
    return std::nullopt;
  return FromIdBytes(std::span<const uint8_t, 8>(out.data() + kIdStart, 8));
}

std::string FecavaReadText(std::span<const uint8_t, 5> values) {
  std::string text = "OK: IDRead[";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += ' ';
    text += hex::Byte(FecavaValue(values[i]));
  }
  return text + "]";
}

std::string EmIdReadText(std::span<const uint8_t> bytes, bool hex) {
  std::string text = "Tag Data: ";
  if (hex) {
    for (uint8_t b : bytes) hex::AppendByte(text, b);
    return text;
  }
  uint64_t v = 0;
  for (uint8_t b : bytes) v = v << 8 | b;
  return text + std::to_string(v);
}

std::string BdeReadText(uint64_t code, bool hex) {
  const BdeIdCode c = BdeIdCode::Decode(code);
  auto field = [hex](uint64_t v, int digits) {
    return hex ? hex::Number(v, digits) : std::to_string(v);
  };
  return "Tag Data: " + field(c.flag, 1) + " " + field(c.typeOfTransponder, 1) + " " +
         field(c.applicationCode, 8) + " " + field(c.supplierCode, 4) + " " +
         field(c.serialNumber, 6);
}

}  // namespace fdx
