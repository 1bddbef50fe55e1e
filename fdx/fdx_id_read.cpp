#include "fdx/fdx_id_read.h"

#include <algorithm>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "codec/id_display.h"
#include "codec/sic7888_layout.h"

using namespace fdx;

namespace {

// Response layout of the ID reads: out[1] the echo, out[2] the tag type, the ID from out[3].
constexpr int kTagType = 2;
constexpr int kIdStart = 3;
constexpr int kEmBytes = 5;
constexpr int kFdxBytes = 8;
constexpr int kFecavaBytes = 5;

// An ID read answer that holds the type and n ID bytes. A shorter answer is no ID: reading on
// would show bytes the module never sent.
bool Holds(const Response& out, int n) {
  return out[0] >= kIdStart - 1 + n;
}

template <size_t N>
std::span<const uint8_t, N> IdAt(const Response& out) {
  return std::span<const uint8_t, N>(out.data() + kIdStart, N);
}

// An answer too short to hold the tag type is no EM ID either.
bool IsEm(const Response& out) {
  return out[0] >= kTagType && out[kTagType] == static_cast<uint8_t>(TagType::Em);
}

// The ID bytes the tag type calls for.
bool HoldsIdOfItsType(const Response& out) {
  return Holds(out, IsEm(out) ? kEmBytes : kFdxBytes);
}

}  // namespace

FdxIdRead::FdxIdRead(AppCore& app) : app_(app), comm_(app.Link()) {}

// An ID read that tries one layout and then another, or asks a chip whether it is a SIC7888 in
// BDE layout: the failures of the tries are answers (the outcome's probes); the result line that
// follows says how the read went.
bool FdxIdRead::TryFdxRead(Response& out) {
  const auto probe = app_.Probing();
  return comm_.IdReadFdx(out) && HoldsIdOfItsType(out);
}

bool FdxIdRead::IsBdeSic7888() {
  const auto probe = app_.Probing();
  Response block{};
  return comm_.Sic7888ReadBlock(block, sic7888::kProtocolMode, sic7888::kConfigBlock) &&
         block[0] >= 5 &&
         std::equal(sic7888::kBdeConfig.begin(), sic7888::kBdeConfig.end(), block.begin() + 2);
}

void FdxIdRead::IDRead1Click() {
  Response out{};
  if (TryFdxRead(out)) {
    app_.LogResult(true, "IDRead");
    if (IsEm(out)) {
      for (const auto& line : EmIdLines(IdAt<kEmBytes>(out))) app_.AddLog(line);
      return;
    }
    const auto id = IdAt<kFdxBytes>(out);
    const std::string dump = IdByteDump(id);
    // A SIC7888 configured for the BDE layout is recognised by its configuration block.
    const bool bde = IsBdeSic7888();
    if (bde)
      app_.LogTagType(TagType::Bde);
    else
      app_.LogTagType(out[kTagType]);
    app_.AddLog(dump);
    if (bde) app_.AddLog(BdeIdLine(id));
    return;
  }
  if (app_.ReaderLevel < 2) {
    app_.LogResult(false, "IDRead");
    return;
  }
  const bool ok = comm_.IdReadFecava(out) && Holds(out, kFecavaBytes);
  app_.LogResult(ok, "IDRead");
  if (!ok) return;
  app_.LogTagType(out[kTagType]);
  app_.AddLog(FecavaIdLine(IdAt<kFecavaBytes>(out)));
}

void FdxIdRead::FecavaIDread1Click() {
  Response out{};
  const bool ok = comm_.IdReadFecava(out) && Holds(out, kFecavaBytes);
  app_.LogResult(ok, "IDRead(FECAVA)");
  if (!ok) return;
  app_.LogTagType(out[kTagType]);
  app_.AddLog(FecavaIdLine(IdAt<kFecavaBytes>(out)));
}

void FdxIdRead::IDRead2Click() {
  Response out{};
  if (!comm_.IdReadAnimal(out) || !HoldsIdOfItsType(out)) {
    app_.LogResult(false, "IDRead");
    return;
  }
  if (IsEm(out)) {
    for (const auto& line : EmIdLines(IdAt<kEmBytes>(out))) app_.AddLog(line);
    return;
  }
  app_.LogTagType(out[kTagType]);
  app_.LogAnimalId(IdAt<kFdxBytes>(out));
}

void FdxIdRead::IDRead3Click() {
  Response out{};
  const bool ok = comm_.IdReadHdxFdx(out) && Holds(out, kFdxBytes);
  app_.LogResult(ok, "IDRead");
  if (!ok) return;
  app_.LogTagType(out[kTagType]);
  app_.AddLog(IdByteDump(IdAt<kFdxBytes>(out)));
}

void RegisterFdxIdRead(HandlerRegistry& r) {
  r.Add("IDRead1", [](AppCore& a, const std::string&) { FdxIdRead(a).IDRead1Click(); });
  r.Add("FecavaIDread1", [](AppCore& a, const std::string&) { FdxIdRead(a).FecavaIDread1Click(); });
  r.Add("IDRead2", [](AppCore& a, const std::string&) { FdxIdRead(a).IDRead2Click(); });
  r.Add("IDRead3", [](AppCore& a, const std::string&) { FdxIdRead(a).IDRead3Click(); });
}
