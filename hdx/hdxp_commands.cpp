#include "hdx/hdxp_commands.h"

#include <array>
#include <cstdio>
#include <optional>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/hex.h"
#include "core/ui_text.h"
#include "hdx/wr_data_dlgs.h"
#include "link/command_codes.h"
#include "prompts/prompt_dialogs.h"

namespace {

constexpr int kBlocks = 16;

// "Block02: 78, 56, 34, 12": last received byte first; bytes never read show as "--".
std::string SummaryLine(int block, const std::optional<std::array<uint8_t, 4>>& bytes) {
  char text[64];
  if (bytes) {
    const auto& b = *bytes;
    std::snprintf(text, sizeof text, "Block%02d: %02x, %02x, %02x, %02x", block, b[3], b[2], b[1],
                  b[0]);
  } else {
    std::snprintf(text, sizeof text, "Block%02d: --, --, --, --", block);
  }
  return text;
}

}  // namespace

HdxPlusCommands::HdxPlusCommands(AppCore& app) : app_(app), comm_(app.Link()) {}

void HdxPlusCommands::READMULTIPLEBLOCKS1Click() {
  auto a = ShowInp3Data1Dlg(app_.Prompt(), "ReadMultipleBlocks ",
                            {.label = LoadMessage(Msg::flagMsg), .value = 0, .min = 0, .max = 63},
                            {.label = LoadMessage(Msg::StartBlock015Msg),
                             .value = app_.Settings.BlockNo,
                             .min = 0,
                             .max = 31},
                            {.label = LoadMessage(Msg::BlockNumber0Msg),
                             .value = app_.Settings.BlockNum,
                             .min = 0,
                             .max = 15,
                             .limit = true});
  if (!a) return;
  app_.Settings.BlockNo = static_cast<uint8_t>(a->IntEd2 & 0xFF);
  app_.Settings.BlockNum = static_cast<uint8_t>(a->IntEd3 & 0xFF);
  Response out{};
  const bool ok =
      comm_.Exchange({cmd::HdxPlusReadMultipleBlocks, static_cast<uint8_t>(a->IntEd1 & 0xFF),
                      app_.Settings.BlockNo, app_.Settings.BlockNum},
                     out);
  app_.LogResult(ok, "ReadMultipleBlocks");
}

void HdxPlusCommands::LockInfomation1Click() {
  app_.Settings.BlockNo = 3;
  app_.Settings.BlockNum = 0;
  Response out{};
  const bool ack = comm_.Exchange({cmd::HdxPlusReadMultipleBlocks, 0x00, 3, 0}, out);
  // The lock state is data byte 4, the last byte of block 3.
  if (ack && out[0] < 5) app_.LogFailure(LoadMessage(Msg::ResponseFormatErrorMsg));
  if (!ack || out[0] < 5) {
    app_.LogResult(false, "Read multiple blocks");
    return;
  }
  switch (out[5]) {
    case 0:
      app_.AddLog("Chip Locked");
      break;
    case 3:
      app_.AddLog("Chip Unlock");
      break;
    default:
      app_.AddLog("Chip Lock ???");
  }
}

void HdxPlusCommands::tagData1Click() {
  app_.Settings.BlockNo = 0;
  app_.Settings.BlockNum = 0;
  std::array<std::optional<std::array<uint8_t, 4>>, kBlocks> blocks{};
  bool lastRead = false;
  for (int b = 0; b < kBlocks; ++b) {
    Response out{};
    lastRead = comm_.Exchange(
        {cmd::HdxPlusReadMultipleBlocks, 0x00, static_cast<uint8_t>(b), app_.Settings.BlockNum},
        out);
    if (!lastRead) continue;
    const int len = out[0];
    app_.AddLog(LoadMessage(Msg::dataMsg) +
                (len > 1 ? hex::Bytes(&out[2], static_cast<size_t>(len - 1)) : std::string()));
    if (len >= 5)
      blocks[static_cast<size_t>(b)] = std::array<uint8_t, 4>{out[2], out[3], out[4], out[5]};
  }
  if (!lastRead) return;
  for (int b = 0; b < kBlocks; ++b) app_.AddLog(SummaryLine(b, blocks[static_cast<size_t>(b)]));
}

void HdxPlusCommands::MNHDXP_IDWrite2Click() {
  auto a = ShowWrData1_2Dlg(app_.Prompt(), app_.Settings.ANI_ID);
  if (!a) return;
  if (a->lock && !app_.Prompt().Confirm(CannotRewriteQuestion(), Tr("TWrData1_2Dlg", "ID書込み"),
                                        ConfirmButtons::YesNo))
    return;
  app_.Settings.ANI_ID = a->id;
  std::vector<uint8_t> cmd{cmd::HdxPlusIdWrite};
  cmd.insert(cmd.end(), a->id.begin(), a->id.end());
  cmd.push_back(a->lock ? 1 : 0);
  Response out{};
  app_.LogResult(comm_.Exchange(cmd, out), "HDX+ ID Write");
}

void HdxPlusCommands::MnHDXP_CRCWrite1Click() {
  if (!app_.Prompt().Confirm(CannotRewriteQuestion(), Tr("TWrData1_2Dlg", "チップロック"),
                             ConfirmButtons::YesNo))
    return;
  Response out{};
  app_.LogResult(comm_.Exchange({cmd::HdxPlusChipLock}, out), "HDX+ Chip Lock");
}

void RegisterHdxPlusCommands(HandlerRegistry& r) {
  auto add = [&r](const char* item, void (HdxPlusCommands::*handler)()) {
    r.Add(item, [handler](AppCore& a, const std::string&) { (HdxPlusCommands(a).*handler)(); });
  };
  add("READMULTIPLEBLOCKS1", &HdxPlusCommands::READMULTIPLEBLOCKS1Click);
  add("LockInfomation1", &HdxPlusCommands::LockInfomation1Click);
  add("tagData1", &HdxPlusCommands::tagData1Click);
  add("MNHDXP_IDWrite2", &HdxPlusCommands::MNHDXP_IDWrite2Click);
  add("MnHDXP_CRCWrite1", &HdxPlusCommands::MnHDXP_CRCWrite1Click);
}
