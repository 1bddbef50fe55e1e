#include "hdx/ti_commands.h"

#include <algorithm>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/hex.h"
#include "core/ui_text.h"
#include "hdx/ti_lines.h"
#include "hdx/write_data2_dlg.h"
#include "link/command_codes.h"
#include "prompts/prompt_dialogs.h"

namespace {

// A page command's answer: echo, tag type, p0 .. p7, page status.
constexpr int kTypeIndex = 2;
constexpr int kFirstDataIndex = 3;
constexpr int kStatusIndex = 11;

// Longest hex text taken from the data field, in bytes.
constexpr size_t kMaxHexText = 511;
// Start page + page count may reach this: pages 0 .. 17.
constexpr int64_t kPageLimit = 18;

// The two fields of the multi-page commands' dialog: the first page and how many pages.
PromptNumber StartPage(int value) {
  return {.label = Tr("TInp3Data2Dlg", "開始ページ"),
          .value = value,
          .min = 0,
          .max = 43,
          .limit = true};
}
PromptNumber PageCount(int value) {
  return {
      .label = Tr("TInp3Data2Dlg", "ページ数"), .value = value, .min = 1, .max = 43, .limit = true};
}

std::array<uint8_t, 8> FirstEight(const std::array<uint8_t, 16>& data) {
  std::array<uint8_t, 8> out{};
  std::copy_n(data.begin(), 8, out.begin());
  return out;
}

void StoreFirstEight(std::array<uint8_t, 16>& data, const std::array<uint8_t, 8>& bytes) {
  std::copy(bytes.begin(), bytes.end(), data.begin());
}

}  // namespace

TiHdxCommands::TiHdxCommands(AppCore& app) : app_(app), comm_(app.Link()) {}

void TiHdxCommands::LogTiAnswer(const std::string& name, bool ok, const Response& out,
                                bool pageStatus) {
  app_.LogResult(ok, name);
  if (!ok) return;
  // The LEN checks before this make every byte read here part of the answer.
  app_.LogTagType(out[kTypeIndex]);
  app_.AddLog(TiDataLine(out, kFirstDataIndex));
  if (pageStatus) app_.AddLog(PageStatusLine(out[kStatusIndex]));
}

void TiHdxCommands::MnChargeOnlyReadCmd1Click() {
  app_.StartExecutionTimer();
  Response out{};
  const bool ok = comm_.ChargeOnlyRead(out, 1);
  app_.LogExecutionTime();
  LogTiAnswer("ChargeOnlyRead", ok, out, false);
}

void TiHdxCommands::MNWriteAndProgramCmd1Click() {
  auto answer = ShowWriteData2Dlg(app_.Prompt(), "WriteAndProgram",
                                  FirstEight(app_.Settings.WriteData), std::nullopt, 0);
  if (!answer) return;
  StoreFirstEight(app_.Settings.WriteData, answer->bytes);
  Response out{};
  const bool ok = comm_.WriteAndProgram(out, answer->bytes);
  LogTiAnswer("WriteAndProgram", ok, out, false);
}

bool TiHdxCommands::AskPage(const std::string& caption, Msg label) {
  auto page = ShowInputIntDlg(
      app_.Prompt(), caption,
      {.label = LoadMessage(label), .value = app_.Settings.TirisPage, .min = 0, .max = 255});
  if (!page) return false;
  app_.Settings.TirisPage = static_cast<uint8_t>(*page & 0xFF);
  return true;
}

void TiHdxCommands::MnGeneralReadPageCmdClick() {
  if (!AskPage("GeneralReadPage", Msg::EnterPageNumberMsg)) return;
  Response out{};
  const bool ok = comm_.GeneralReadPage(out, app_.Settings.TirisPage);
  LogTiAnswer("GeneralReadPage", ok, out, true);
}

void TiHdxCommands::MnProgramPageCmdClick() {
  auto answer = ShowWriteData2Dlg(app_.Prompt(), "ProgramPage", FirstEight(app_.Settings.WriteData),
                                  LoadMessage(Msg::Page117Msg), app_.Settings.TirisPage);
  if (!answer) return;
  app_.Settings.TirisPage = answer->page;
  StoreFirstEight(app_.Settings.WriteData, answer->bytes);
  Response out{};
  const bool ok = comm_.ProgramPage(out, answer->page, answer->bytes);
  LogTiAnswer("ProgramPage", ok, out, true);
}

void TiHdxCommands::MnLockPageCmdClick() {
  if (!AskPage("LockPage", Msg::EnterThePageNumberToLockMsg)) return;
  Response out{};
  const bool ok =
      comm_.LockPage(out, app_.Settings.TirisPage) && out[0] == 11 && out[1] == cmd::LockPage;
  LogTiAnswer("LockPage", ok, out, true);
}

void TiHdxCommands::MnGeneralReadPageCmd2Click() {
  auto a = ShowInp3Data2Dlg(app_.Prompt(), "GeneralReadPage2", StartPage(app_.Settings.TirisPage),
                            PageCount(app_.Settings.BlockNum),
                            {.label = "", .text = "", .visible = false});
  if (!a) return;
  app_.Settings.TirisPage = static_cast<uint8_t>(a->IntEd1 & 0xFF);
  app_.Settings.BlockNum = static_cast<uint8_t>(a->IntEd2 & 0xFF);
  Response out{};
  // The tag type is data byte 1: an answer without it is not taken.
  const bool ok = comm_.GeneralReadPageCmd2(out, app_.Settings.TirisPage, app_.Settings.BlockNum) &&
                  out[0] >= 2;
  if (!ok) {
    app_.LogResultLine(false, "NG : GeneralReadPageCmd");
    return;
  }
  app_.LogResultLine(true, "OK : GeneralReadPageCmd");
  app_.LogTagType(out[kTypeIndex]);
}

void TiHdxCommands::MnWriteAndProgramCmd2Click() {
  auto a = ShowInp3Data2Dlg(app_.Prompt(), "WriteAndProgram2", StartPage(app_.Settings.BlockNo),
                            PageCount(app_.Settings.BlockNum),
                            {.label = LoadMessage(Msg::DataHexMsg), .text = ""});
  if (!a) return;
  app_.Settings.BlockNo = static_cast<uint8_t>(a->IntEd1 & 0xFF);
  app_.Settings.BlockNum = static_cast<uint8_t>(a->IntEd2 & 0xFF);
  const std::string text = a->EdString.substr(0, std::min(a->EdString.size(), kMaxHexText));
  const std::vector<uint8_t> bytes = hex::HexTextToBytes(text);
  const int64_t pages = a->IntEd2;
  app_.AddLog(std::to_string(bytes.size()));
  app_.AddLog(std::to_string(pages));
  if (static_cast<int64_t>(bytes.size()) != pages * 8 || a->IntEd1 + pages > kPageLimit) {
    app_.LogInputError("Input Error!! [NO Hex Data]");
    return;
  }
  app_.StartExecutionTimer();
  Response out{};
  const bool ok =
      comm_.WriteAndProgramCmd2(out, app_.Settings.BlockNo, app_.Settings.BlockNum, bytes);
  app_.LogResultLine(ok, ok ? "OK : ProgramPage2Cmd" : "NG : ProgramPage2Cmd");
  app_.LogExecutionTime();
}

void RegisterTiHdxCommands(HandlerRegistry& r) {
  auto add = [&r](const char* item, void (TiHdxCommands::*handler)()) {
    r.Add(item, [handler](AppCore& a, const std::string&) { (TiHdxCommands(a).*handler)(); });
  };
  add("MnChargeOnlyReadCmd1", &TiHdxCommands::MnChargeOnlyReadCmd1Click);
  add("MNWriteAndProgramCmd1", &TiHdxCommands::MNWriteAndProgramCmd1Click);
  add("MnGeneralReadPageCmd", &TiHdxCommands::MnGeneralReadPageCmdClick);
  add("MnProgramPageCmd", &TiHdxCommands::MnProgramPageCmdClick);
  add("MnLockPageCmd", &TiHdxCommands::MnLockPageCmdClick);
  add("MnGeneralReadPageCmd2", &TiHdxCommands::MnGeneralReadPageCmd2Click);
  add("MnWriteAndProgramCmd2", &TiHdxCommands::MnWriteAndProgramCmd2Click);
}
