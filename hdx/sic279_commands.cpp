#include "hdx/sic279_commands.h"

#include <algorithm>
#include <array>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/hex.h"
#include "hdx/id_write_dialog.h"
#include "hdx/wr_data_dlgs.h"
#include "prompts/prompt_dialogs.h"

namespace {

// The four ProtectedWrite bytes, kept for the life of the program.
struct Sic279Memory {
  std::array<uint8_t, 4> protectedData{};
};

constexpr std::array<uint8_t, 256> MakeReverseTable() {
  std::array<uint8_t, 256> t{};
  for (int v = 0; v < 256; ++v) {
    uint8_t r = 0;
    for (int bit = 0; bit < 8; ++bit)
      if (v & (1 << bit)) r = static_cast<uint8_t>(r | (0x80 >> bit));
    t[static_cast<size_t>(v)] = r;
  }
  return t;
}
constexpr std::array<uint8_t, 256> kReverse = MakeReverseTable();

// Data byte n of the answer (byte 0 is the echoed code).
uint8_t D(const Response& out, int n) {
  return out[static_cast<size_t>(n + 1)];
}

std::string Flag(const char* name, uint8_t flags, int bit) {
  return std::string(name) + ((flags >> bit) & 1 ? "1" : "0");
}

PromptNumber Hidden() {
  return {.label = "", .visible = false};
}

}  // namespace

uint8_t ReverseBits(uint8_t b) {
  return kReverse[b];
}

Sic279Commands::Sic279Commands(AppCore& app) : app_(app), comm_(app.Link()) {}

bool Sic279Commands::Result(bool ack, const Response& out, int minLen, const std::string& name) {
  if (ack && out[0] < minLen) app_.LogFailure(LoadMessage(Msg::ResponseFormatErrorMsg));
  const bool ok = ack && out[0] >= minLen;
  app_.LogResult(ok, name);
  return ok;
}

void Sic279Commands::LogTraceability(const Response& out) {
  std::string line = "TRACEABILITY0+1(54): ";
  for (int n = 1; n <= 6; ++n) line += hex::Byte(ReverseBits(D(out, n))) + " ";
  line += hex::Byte(ReverseBits(D(out, 7) & 0x3F)) + " ";
  app_.AddLog(line);
  const uint8_t flags = D(out, 8);
  app_.AddLog(Flag("OPT: ", flags, 2));
  app_.AddLog(Flag("PWD: ", flags, 3));
  app_.AddLog(Flag("CRC: ", flags, 5));
}

void Sic279Commands::raceabilitydataRead1Click() {
  Response out{};
  const bool ack = comm_.Sic279TraceabilityDataRead(out);
  if (Result(ack, out, 9, "TraceabilityDataRead")) LogTraceability(out);
}

void Sic279Commands::ChipConfigRead1Click() {
  Response out{};
  const bool ack = comm_.Sic279ChipConfigRead(out);
  if (!Result(ack, out, 14, "ChipConfigRead")) return;
  LogTraceability(out);
  const uint32_t w = static_cast<uint32_t>(D(out, 9)) | static_cast<uint32_t>(D(out, 10)) << 8 |
                     static_cast<uint32_t>(D(out, 11)) << 16 |
                     static_cast<uint32_t>(D(out, 12)) << 24;
  app_.AddLog("Ctune: 0x" + hex::Number(D(out, 9) & 0x7F, 2));
  app_.AddLog("MFG_DATA: 0x" + hex::Number(w >> 7, 8));
  app_.AddLog("Rev: 0x" + hex::Number(D(out, 13) & 0x0F, 2));
}

void Sic279Commands::Lockbitreadall1Click() {
  Response out{};
  const bool ack = comm_.Sic279LockBitReadAll(out);
  if (!Result(ack, out, 3, "LockBitReadAll")) return;
  app_.AddLog("L(15:0) : 0x" + hex::Number(D(out, 1) | D(out, 2) << 8, 4));
}

void Sic279Commands::Lockbitread1Click() {
  auto a = ShowInp3Data1Dlg(app_.Prompt(), "LockBitRead",
                            {.label = LoadMessage(Msg::Block015Msg),
                             .value = app_.Settings.BlockNo,
                             .min = 0,
                             .max = 255},
                            Hidden(), Hidden());
  if (!a) return;
  app_.Settings.BlockNo = static_cast<uint8_t>(a->IntEd1 & 0xFF);
  Response out{};
  const bool ack = comm_.Sic279LockBitRead(out, app_.Settings.BlockNo);
  if (!Result(ack, out, 5, "LockBitRead")) return;
  std::string line = "Lock Bit: ";
  line += D(out, 1) != 0 ? "1 " : "0 ";
  line += "[" + LoadMessage(Msg::dataMsg);
  for (int n = 4; n >= 1; --n) line += hex::Byte(D(out, n)) + (n > 1 ? " " : "");
  app_.AddLog(line + "]");
}

void Sic279Commands::Protecteddirectaccess1Click() {
  auto a = ShowInp3Data1Dlg(app_.Prompt(), "ProtectedDirectAccess",
                            {.label = LoadMessage(Msg::Block015Msg),
                             .value = app_.Settings.BlockNo,
                             .min = 0,
                             .max = 255},
                            {.label = LoadMessage(Msg::BlockNo03Msg),
                             .value = app_.Settings.BlockNum,
                             .min = 0,
                             .max = 255},
                            Hidden());
  if (!a) return;
  app_.Settings.BlockNo = static_cast<uint8_t>(a->IntEd1 & 0xFF);
  app_.Settings.BlockNum = static_cast<uint8_t>(a->IntEd2 & 0xFF);
  Response out{};
  const bool ok =
      comm_.Sic279ProtectedDirectAccess(out, app_.Settings.BlockNo, app_.Settings.BlockNum);
  app_.LogResult(ok, "ProtectedDirectAccess");
  if (!ok) return;
  // 4(n+1) bytes asked for; only those the answer holds are shown.
  const int asked = 4 * (app_.Settings.BlockNum + 1);
  const int held = std::max(0, out[0] - 1);
  std::string line = LoadMessage(Msg::dataMsg);
  for (int n = std::min(asked, held); n >= 1; --n) line += hex::Byte(D(out, n)) + " ";
  app_.AddLog(line);
}

void Sic279Commands::Protectedwrite1Click() {
  auto& memory = app_.Memory<Sic279Memory>();
  auto a =
      ShowWrData1Dlg(app_.Prompt(), "ProtectedWrite", app_.Settings.BlockNo, memory.protectedData);
  if (!a) return;
  if (a->lock &&
      !app_.Prompt().Confirm(CannotRewriteQuestion(), "ProtectedWrite", ConfirmButtons::YesNo))
    return;
  memory.protectedData = a->bytes;
  app_.Settings.BlockNo = a->block;
  Response out{};
  const bool ack = comm_.Sic279ProtectedWrite(out, a->block, a->lock ? 1 : 0, a->bytes);
  if (!Result(ack, out, 5, "ProtectedWrite")) return;
  std::string line = LoadMessage(Msg::dataMsg);
  for (int n = 4; n >= 1; --n) line += hex::Byte(D(out, n)) + " ";
  app_.AddLog(line);
}

void Sic279Commands::IDWrite1Click() {
  RunIdWriteDialog(app_, IdWriteMode::Sic279);
}

void RegisterSic279Commands(HandlerRegistry& r) {
  auto add = [&r](const char* item, void (Sic279Commands::*handler)()) {
    r.Add(item, [handler](AppCore& a, const std::string&) { (Sic279Commands(a).*handler)(); });
  };
  add("raceabilitydataRead1", &Sic279Commands::raceabilitydataRead1Click);
  add("ChipConfigRead1", &Sic279Commands::ChipConfigRead1Click);
  add("Lockbitreadall1", &Sic279Commands::Lockbitreadall1Click);
  add("Lockbitread1", &Sic279Commands::Lockbitread1Click);
  add("Protecteddirectaccess1", &Sic279Commands::Protecteddirectaccess1Click);
  add("Protectedwrite1", &Sic279Commands::Protectedwrite1Click);
  add("IDWrite1", &Sic279Commands::IDWrite1Click);
}
