#include "fdx/animal_id_write.h"

#include <algorithm>
#include <span>

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "codec/sic7888_layout.h"
#include "fdx/sic7888_format_config.h"
#include "link/comm_module.h"
#include "link/command_codes.h"

namespace fdx {

namespace {

// The tag type the SIC279 ID write gives the chip: it answers as a read-only transponder.
constexpr uint8_t kReadOnlyTagType = 0x01;

// Tag types of the ID read answers (out[2]); the ID follows from out[3].
constexpr uint8_t kTypeReadOnly = 1;
constexpr uint8_t kTypeFdxb = 6;

}  // namespace

bool SetUpEm4305Config(TTirisC1Dlg& comm) {
  Response out{};
  if (!comm.Em4305ReadWord(out, kEm4305ConfigWord)) return false;
  // A read shorter than a word never counts as holding the configuration.
  if (out[0] >= 5 &&
      std::equal(std::begin(kEm4305FdxbConfig), std::end(kEm4305FdxbConfig), out.begin() + 2))
    return true;
  Response written{};
  return comm.Em4305WriteWord(written, kEm4305ConfigWord,
                              std::span<const uint8_t, 4>(kEm4305FdxbConfig));
}

std::vector<uint8_t> IdWriteCommand(IdChip chip, uint64_t code, bool lock) {
  const IdBytes id = ToIdBytes(code);
  const uint8_t lockFlag = lock ? 1 : 0;
  // Built byte by byte: GCC 12 at -O3 takes an insert after a list assignment for an overflow.
  std::vector<uint8_t> cmd;
  cmd.reserve(3 + id.size());
  auto put = [&cmd](std::initializer_list<uint8_t> bytes) {
    for (const uint8_t b : bytes) cmd.push_back(b);
  };
  auto putId = [&cmd, &id] {
    for (const uint8_t b : id) cmd.push_back(b);
  };
  switch (chip) {
    case IdChip::Sic279:
      put({cmd::Sic279IdWrite, lockFlag});
      putId();
      put({kReadOnlyTagType});
      break;
    case IdChip::Sic7888:
      put({cmd::Sic7888IdWrite, sic7888::kProtocolMode});
      putId();
      break;
    case IdChip::HdxPlus:
      put({cmd::HdxPlusIdWrite});
      putId();
      put({lockFlag});
      break;
    case IdChip::Em4305:
      put({cmd::Em4305IdWrite, 0x01});
      putId();
      break;
  }
  return cmd;
}

bool ConfigureForIdWrite(TTirisC1Dlg& comm, IdChip chip, const IdWriteOptions& options) {
  switch (chip) {
    case IdChip::Sic7888:
      return !options.configureSic7888 || SetUpFormatConfig(comm, sic7888::kIsoFdxbConfig);
    case IdChip::Em4305:
      return SetUpEm4305Config(comm);
    case IdChip::Sic279:
    case IdChip::HdxPlus:
      break;
  }
  return true;
}

bool SendIdWrite(TTirisC1Dlg& comm, IdChip chip, uint64_t code, bool lock) {
  Response out{};
  if (chip == IdChip::Sic279)
    return comm.Sic279IdWrite(out, lock ? 1 : 0, ToIdBytes(code), kReadOnlyTagType);
  return comm.Exchange(IdWriteCommand(chip, code, lock), out);
}

IdWriteOutcome WriteIdCode(TTirisC1Dlg& comm, IdChip chip, uint64_t code,
                           const IdWriteOptions& options) {
  if (!ConfigureForIdWrite(comm, chip, options)) return IdWriteOutcome::ConfigurationFailed;
  return SendIdWrite(comm, chip, code, options.lock) ? IdWriteOutcome::Written
                                                     : IdWriteOutcome::WriteFailed;
}

bool WriteAnimalCode(AppCore& app, IdChip chip, uint64_t code, const IdWriteOptions& options,
                     const std::string& resultName) {
  const bool ok = WriteIdCode(app.Link(), chip, code, options) == IdWriteOutcome::Written;
  app.LogResult(ok, resultName);
  return ok;
}

std::optional<uint64_t> ReadIdCode(TTirisC1Dlg& comm, IdChip chip) {
  Response out{};
  const bool hdx = chip == IdChip::Sic279 || chip == IdChip::HdxPlus;
  const bool ok = hdx ? comm.IdReadAnimal(out) : comm.IdReadFdx(out);
  // Echo, tag type and the eight ID bytes.
  if (!ok || out[0] < 10) return std::nullopt;
  if (out[2] != (hdx ? kTypeReadOnly : kTypeFdxb)) return std::nullopt;
  return FromIdBytes(std::span<const uint8_t, 8>(out.data() + 3, 8));
}

}  // namespace fdx
