// Every viewer read against answers of every length: each command gets an ACK that echoes its
// code and fills the rest with one byte value, so any byte the viewer shows must be that value.
// A "00" (the zeros past LEN) or more bytes than an answer held would be a read past the response.
#include <gtest/gtest.h>

#include <sstream>

#include "app/app_core.h"
#include "core/hex.h"
#include "core/log_pane.h"
#include "hdx/tag_viewer.h"
#include "link/frame.h"
#include "link/memory_link.h"
#include "prompts/scripted_prompts.h"
#include "tests/support/temp_config.h"

namespace {

struct Answers {
  int len = 0;
  uint8_t fill = 0;
  bool nackChargeOnlyRead = false;  // leads the identification to the FDX side
};

// Runs one read against the answers and checks every cell of the data column.
void ReadAgainst(const Answers& a, int fixedTagType) {
  TempConfig cfg;
  MemoryLogPane log;
  ScriptedPrompts prompts;
  AppCore app(log, prompts, cfg.SettingsPath());
  app.ReaderLevel = 3;
  TTirisC1Dlg& comm = app.CreateComm();
  MemoryLink& link = comm.UseLink(std::make_unique<MemoryLink>());
  link.OnWrite = [&](std::span<const uint8_t> bytes) {
    const uint8_t code = bytes.size() > 4 ? bytes[4] : 0;
    if (code == 0x10 && a.nackChargeOnlyRead) {
      link.Deliver(frame::BuildResponseFrame(frame::TypeNack, std::vector<uint8_t>{0x04}));
      return;
    }
    std::vector<uint8_t> payload;
    if (a.len > 0) payload.push_back(code);
    payload.resize(static_cast<size_t>(a.len), a.fill);
    link.Deliver(frame::BuildResponseFrame(frame::TypeAck, payload));
  };
  const TagData d = ReadTagData(app, {.fixedTagType = fixedTagType, .fastMode = true});
  const std::string where = "len " + std::to_string(a.len) + " fill " + hex::Byte(a.fill) +
                            (a.nackChargeOnlyRead ? " (FDX)" : "") + " fixed " +
                            std::to_string(fixedTagType);
  for (const TagData::Row& row : d.StringGrid1) {
    const std::string& cell = row[1];
    if (cell.empty() || cell == "-" || cell == "-  -  -  -" || cell == "Data") continue;
    std::istringstream tokens(cell);
    int n = 0;
    for (std::string t; tokens >> t; ++n) EXPECT_EQ(t, hex::Byte(a.fill)) << where << ": " << cell;
    EXPECT_LE(n, a.len - 1) << where << ": " << cell;
  }
  // An HDX identification shows the ID bytes of the charge-only read (which needs LEN 10).
  if (!a.nackChargeOnlyRead && a.len >= 10 && fixedTagType == kIdentifyTag) {
    std::istringstream tokens(d.EdUID);
    int n = 0;
    for (std::string t; tokens >> t; ++n) EXPECT_EQ(t, hex::Byte(a.fill)) << where;
    EXPECT_EQ(n, 8) << where;
  }
}

}  // namespace

TEST(ViewerShortAnswers, NothingIsShownFromPastAnAnswer) {
  // Fill values that steer the tag type byte: R/W, multipage, EM ID, FDX-B, EM4305 word 0 (9),
  // an unknown type.
  const uint8_t fills[] = {0x01, 0x02, 0x05, 0x06, 0x12, 0xAB};
  const int lens[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 20, 150, 153, 154, 155, 176, 177};
  for (bool fdx : {false, true})
    for (uint8_t fill : fills)
      for (int len : lens)
        for (int fixed = kIdentifyTag; fixed <= kFixedEm4305; ++fixed) {
          if (fdx && fixed != kIdentifyTag) continue;
          ReadAgainst({len, fill, fdx}, fixed);
        }
}
