#include "fdx/sic7888_commands.h"

#include <algorithm>
#include <vector>

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "codec/sic7888_layout.h"
#include "core/hex.h"
#include "core/ui_text.h"
#include "fdx/block_write_dialog.h"
#include "fdx/response_bytes.h"
#include "hdx/id_write_dialog.h"
#include "link/command_codes.h"
#include "prompts/prompt_dialogs.h"

using namespace fdx;
using namespace fdx::sic7888;

namespace {

// A block read that returned its four bytes.
bool HasBlock(const Response& out) {
  return out[0] >= 5;
}

std::span<const uint8_t, 4> BlockOf(const Response& out) {
  return std::span<const uint8_t, 4>(out.data() + 2, 4);
}

// Text cut to at most `count` characters (UTF-8 sequences kept whole).
std::string_view FirstCharacters(std::string_view text, size_t count) {
  size_t at = 0;
  for (size_t n = 0; at < text.size() && n < count; ++n) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  }
  return text.substr(0, at);
}

// TWrData1_4Dlg as the SIC7888 writes open it: block number under "Block Address(0-43)", the
// protocol mode hidden.
PromptForm BlockWriteForm(const std::string& caption, uint8_t block) {
  PromptForm form = MakeWrData1_4Dlg();
  form.caption = caption;
  form.Field("AddrStr").text = LoadMessage(Msg::BlockAddress043Msg);
  form.Field("EdAddr").number.SetValue(block);
  for (const char* name : {"Label5", "CBMode"}) {
    form.Field(name).visible = false;
    form.Field(name).enabled = false;
  }
  return form;
}

}  // namespace

Sic7888Commands::Sic7888Commands(AppCore& app) : app_(app), comm_(app.Link()) {}

std::optional<uint8_t> Sic7888Commands::ResponseProtocolMode(const std::string& caption) {
  if (app_.Settings.SIC7888Mode1 != 0) return kProtocolMode;
  const auto mode = ShowInputIntDlg(
      app_.Prompt(), caption,
      {.label = LoadMessage(Msg::ResponseProtocolModeMsg), .value = 1, .min = 0, .max = 2});
  if (!mode) return std::nullopt;
  return static_cast<uint8_t>(*mode);
}

void Sic7888Commands::raceabilityDataRead2Click() {
  Response out{};
  std::string text = "TRACEABILITY0+1(64): ";
  for (uint8_t block : {kTraceabilityBlock0, kTraceabilityBlock1}) {
    app_.Settings.BlockNo = block;
    const bool ok = comm_.Sic7888ReadBlock(out, kProtocolMode, block) && HasBlock(out);
    app_.LogResult(ok, "ReadBlock");
    if (!ok) return;
    text += Sic7888TraceabilityBytes(BlockOf(out));
  }
  app_.AddLog(text);
}

void Sic7888Commands::SIC7888GETUID1Click() {
  const auto mode = ResponseProtocolMode(LoadMessage(Msg::SIC7888GETUIDCommandMsg));
  if (!mode) return;
  Response out{};
  const bool ok = comm_.Sic7888GetUid(out, *mode);
  app_.LogResult(ok, "GetUID");
  if (ok) app_.AddLog("UID: " + BytesAfterEcho(out));
}

void Sic7888Commands::ReadBlockOrPage(bool page) {
  const std::string caption =
      LoadMessage(page ? Msg::SIC7888READPAGECommandMsg : Msg::SIC7888READBLOCKCommandMsg);
  const auto answer = ShowInp3Data1Dlg(
      app_.Prompt(), caption,
      {.label = LoadMessage(Msg::ProtocolModeMsg),
       .value = 1,
       .max = 2,
       .visible = false,
       .enabled = false},
      {.label = LoadMessage(Msg::BlockAddress043Msg), .value = app_.Settings.BlockNo, .max = 63},
      {.visible = false});
  if (!answer) return;
  const uint8_t block = static_cast<uint8_t>(answer->IntEd2);
  app_.Settings.BlockNo = block;
  Response out{};
  const bool ok = page ? comm_.Sic7888ReadPage(out, kProtocolMode, block)
                       : comm_.Sic7888ReadBlock(out, kProtocolMode, block);
  app_.LogResult(ok, page ? "ReadPage" : "ReadBlock");
  if (ok) app_.AddLog(LoadMessage(Msg::dataMsg) + BytesAfterEcho(out));
}

void Sic7888Commands::SIC7888READBLOCK1Click() {
  ReadBlockOrPage(false);
}

void Sic7888Commands::SIC7888READPAGE1Click() {
  ReadBlockOrPage(true);
}

void Sic7888Commands::SIC7888WRITEBLOCK1Click() {
  auto& s = app_.Settings;
  PromptForm form = BlockWriteForm("SIC7888: WriteBlock", s.BlockNo);
  WriteDataRow(form, 0, std::span<const uint8_t, 4>(s.WriteData.data(), 4));
  for (int r = 1; r < 4; ++r) ShowDataRow(form, r, false);
  if (!app_.Prompt().Show(form)) return;
  s.BlockNo = static_cast<uint8_t>(form.Field("EdAddr").Int());
  const auto row = ReadDataRow(form, 0);
  std::copy(row.begin(), row.end(), s.WriteData.begin());
  Response out{};
  app_.LogResult(comm_.Sic7888WriteBlock(out, kProtocolMode, s.BlockNo, row), "WriteBlock");
}

void Sic7888Commands::SIC7888WRITEPAGE1Click() {
  auto& s = app_.Settings;
  PromptForm form = BlockWriteForm("WritePage", s.BlockNo);
  for (int r = 0; r < 4; ++r)
    WriteDataRow(form, r, std::span<const uint8_t, 4>(s.WriteData.data() + 4 * r, 4));
  SetPageMode(form, true);
  if (!app_.Prompt().Show(form)) return;
  s.BlockNo = static_cast<uint8_t>(form.Field("EdAddr").Int());
  // Only the rows shown are read: the blocks from the chosen one to the end of its page.
  const int rows = PageRows(s.BlockNo);
  std::vector<uint8_t> bytes;
  for (int r = 0; r < rows; ++r) {
    const auto row = ReadDataRow(form, r);
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  std::copy(bytes.begin(), bytes.end(), s.WriteData.begin());
  Response out{};
  app_.LogResult(comm_.Sic7888WritePage(out, kProtocolMode, s.BlockNo, bytes), "WritePage");
}

void Sic7888Commands::SIC7888READCT1Click() {
  const std::string name = "SIC7888: READ CT Command";
  const auto mode = ResponseProtocolMode(name);
  if (!mode) return;
  Response out{};
  // CT sits in the third byte of the block.
  if (!comm_.Sic7888ReadCt(out, *mode) || !HasBlock(out)) {
    app_.LogResultLine(false, LoadMessage(Msg::NGMsg) + " : " + name);
    return;
  }
  app_.AddLog("DATA: " + BytesAfterEcho(out));
  app_.AddLog(Sic7888CtLine(Sic7888Ct(out[4])));
  app_.LogResultLine(true, "OK : " + name);
}

void Sic7888Commands::SIC7888WRITECT1Click() {
  auto& ct = app_.Memory<Sic7888Memory>().ctValue;
  const auto value = ShowInputIntDlg(
      app_.Prompt(), "WRITE CT", {.label = Tr("TInp3Data2Dlg", "CT値"), .value = ct, .max = 31});
  if (!value) return;
  ct = *value;
  comm_.SendCommand({cmd::Sic7888WriteCt, kProtocolMode, static_cast<uint8_t>(*value)});
  Response out{};
  const bool ok = comm_.AwaitResponse(out) && out[0] == 11 && out[1] == cmd::Sic7888WriteCt;
  app_.LogResultLine(ok,
                     ok ? "OK : SIC7888 WRITECT" : LoadMessage(Msg::NGMsg) + " : SIC7888 WRITECT");
}

void Sic7888Commands::SIC7888READBLOCK21Click() {
  auto& s = app_.Settings;
  const auto answer = ShowInp3Data1Dlg(
      app_.Prompt(), "SIC7888: ReadBlock2",
      {.label = LoadMessage(Msg::ProtocolModeMsg), .value = 1, .max = 2, .enabled = false},
      {.label = Tr("TInp3Data2Dlg", "開始ブロックアドレス(0-43)"), .value = s.BlockNo, .max = 43},
      {.label = Tr("TInp3Data2Dlg", "ブロック数(1-44)"),
       .value = s.BlockNum,
       .min = 1,
       .max = 44,
       .type = TNumberType::ntDecimal});
  if (!answer) return;
  s.BlockNo = static_cast<uint8_t>(answer->IntEd2);
  s.BlockNum = static_cast<uint8_t>(answer->IntEd3);
  Response out{};
  const std::string name = "SIC7888: READ PAGE Command2";
  if (!comm_.Sic7888ReadBlock2(out, kProtocolMode, s.BlockNo, s.BlockNum)) {
    app_.LogResultLine(false, LoadMessage(Msg::NGMsg) + " : " + name);
    return;
  }
  app_.AddLog("data: " + BytesAfterEcho(out));
  app_.LogResultLine(true, "OK : " + name);
}

void Sic7888Commands::SIC7888WriteBlock21Click() {
  auto& s = app_.Settings;
  const auto answer = ShowInp3Data2Dlg(
      app_.Prompt(), "SIC7888: WriteBlock2",
      {.label = Tr("TInp3Data2Dlg", "開始ブロックアドレス(0-43)"), .value = s.BlockNo, .max = 43},
      {.label = Tr("TInp3Data2Dlg", "ブロック数(1-44)"), .value = s.BlockNum, .min = 1, .max = 44},
      {.label = LoadMessage(Msg::DataHexMsg), .text = ""});
  if (!answer) return;
  s.BlockNo = static_cast<uint8_t>(answer->IntEd1);
  s.BlockNum = static_cast<uint8_t>(answer->IntEd2);
  const std::vector<uint8_t> bytes = hex::HexTextToBytes(FirstCharacters(answer->EdString, 511));
  // The count as entered: a count beyond one byte never matches the text.
  if (static_cast<int64_t>(bytes.size()) != answer->IntEd2 * 4) {
    app_.LogInputError("Input Error!! [NO Hex Data]");
    return;
  }
  app_.StartExecutionTimer();
  Response out{};
  const bool ok = comm_.Sic7888WriteBlock2(out, kProtocolMode, s.BlockNo, s.BlockNum, bytes);
  app_.LogResultLine(
      ok, (ok ? std::string("OK") : LoadMessage(Msg::NGMsg)) + " : SIC7888: WRITE BLOCK Command");
  app_.LogExecutionTime();
}

void Sic7888Commands::SIC7888TagData1Click() {
  std::vector<uint8_t> memory(kBlocks * 4);
  bool all = true;
  for (int block = 0; block < kBlocks; block += kBlocksPerPage) {
    app_.AddLog("BADR" + std::to_string(block));
    Response out{};
    if (comm_.Sic7888ReadPage(out, kProtocolMode, static_cast<uint8_t>(block)) && out[0] == 17)
      std::copy_n(out.begin() + 2, 16, memory.begin() + 4 * block);
    else
      all = false;
  }
  // A page answered with an ACK of the wrong length writes no line; the dump is missing all the
  // same.
  if (!all) {
    app_.Outcome().Conclusion(false, "SIC7888 TagData: not every page was read");
    return;
  }
  for (const std::string& line : Sic7888DumpLines(memory)) app_.AddLog(line);
}

void Sic7888Commands::SIC7888IDWrite1Click() {
  RunIdWriteDialog(app_, IdWriteMode::Sic7888);
}

void Sic7888Commands::ReadSIC7888Configuration1Click() {
  Response out{};
  if (!comm_.Sic7888ReadBlock(out, kProtocolMode, kConfigBlock) || !HasBlock(out)) {
    app_.LogResult(false, LoadMessage(Msg::SIC7888READBLOCKCommandMsg));
    return;
  }
  app_.AddLog(LoadMessage(Msg::dataMsg) + BytesAfterEcho(out));
  for (const std::string& line : Sic7888ConfigurationLines(BlockOf(out))) app_.AddLog(line);
}

void RegisterSic7888Commands(HandlerRegistry& r) {
  auto add = [&r](const char* item, void (Sic7888Commands::*click)()) {
    r.Add(item, [click](AppCore& a, const std::string&) { (Sic7888Commands(a).*click)(); });
  };
  add("raceabilityDataRead2", &Sic7888Commands::raceabilityDataRead2Click);
  add("SIC7888GETUID1", &Sic7888Commands::SIC7888GETUID1Click);
  add("SIC7888READBLOCK1", &Sic7888Commands::SIC7888READBLOCK1Click);
  add("SIC7888READPAGE1", &Sic7888Commands::SIC7888READPAGE1Click);
  add("SIC7888WRITEBLOCK1", &Sic7888Commands::SIC7888WRITEBLOCK1Click);
  add("SIC7888WRITEPAGE1", &Sic7888Commands::SIC7888WRITEPAGE1Click);
  add("SIC7888READCT1", &Sic7888Commands::SIC7888READCT1Click);
  add("SIC7888WRITECT1", &Sic7888Commands::SIC7888WRITECT1Click);
  add("SIC7888READBLOCK21", &Sic7888Commands::SIC7888READBLOCK21Click);
  add("SIC7888WriteBlock21", &Sic7888Commands::SIC7888WriteBlock21Click);
  add("SIC7888TagData1", &Sic7888Commands::SIC7888TagData1Click);
  add("SIC7888IDWrite1", &Sic7888Commands::SIC7888IDWrite1Click);
  add("ReadSIC7888Configuration1", &Sic7888Commands::ReadSIC7888Configuration1Click);
}
