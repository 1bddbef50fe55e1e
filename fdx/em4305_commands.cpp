#include "fdx/em4305_commands.h"

#include "app/app_core.h"
#include "app/handler_registry.h"
#include "core/ui_text.h"
#include "fdx/block_write_dialog.h"
#include "fdx/em4305_dialog.h"
#include "fdx/response_bytes.h"
#include "prompts/prompts.h"

namespace {

constexpr uint8_t kLfOff = 0;
constexpr uint8_t kLfOn = 1;
constexpr int kPasswordRow = 4;
constexpr uint8_t kProtectionWord1 = 14;
constexpr uint8_t kProtectionWord2 = 15;
// Bit 15 marks the protection word in use.
constexpr uint32_t kProtectionActive = 0x8000;

// "Data: " + every response byte after the echoed code.
std::string DataLine(const Response& out) {
  return LoadMessage(Msg::dataMsg) + fdx::BytesAfterEcho(out);
}

// TWrData1_5Dlg as ReadWord and WriteWord open it: the address field, "MSB" and "LSB" over the
// first row, the password row under "Passowrd".
PromptForm WordForm(const std::string& caption, uint8_t address,
                    const std::array<uint8_t, 4>& password, bool firstRowShown) {
  PromptForm form = MakeWrData1_5Dlg();
  form.caption = caption;
  form.Field("StaticText1").text = Tr("TWrData1_5Dlg", "ワード(0～15)");
  form.Field("ST_SubData").text = Tr("TWrData1_5Dlg", "パスワード");
  form.Field("EdAddr").number.SetValue(address);
  WriteWordRow(form, kPasswordRow, password);
  // The marks stand over the first row only while it is shown (ReadWord asks for no data).
  for (int n = 0; n < 20; ++n)
    form.Field(WrData1_5Label(n)).visible = firstRowShown && (n == 0 || n == 3);
  form.Field(WrData1_5Label(0)).text = "MSB";
  form.Field(WrData1_5Label(3)).text = "LSB";
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) form.Field(WrData1_5Field(r, c)).visible = firstRowShown && r == 0;
  return form;
}

}  // namespace

Em4305Commands::Em4305Commands(AppCore& app)
    : app_(app), comm_(app.Link()), memory_(app.Memory<Em4305Memory>()) {}

void Em4305Commands::LoginSequence(std::span<const uint8_t, 4> password, CarrierFailure rule,
                                   const std::function<void()>& afterCarrierOn,
                                   const std::function<void()>& operation) {
  Response out{};
  const bool on = comm_.SendLfControl(kLfOn, 0, out);
  app_.LogResult(on, "TX_ONCmd");
  if (on) {
    if (afterCarrierOn) afterCarrierOn();
    const bool in = comm_.Em4305Login(out, password);
    app_.LogResult(in, "Login");
    if (in) operation();
  } else if (rule == CarrierFailure::Stop) {
    return;
  }
  app_.LogResult(comm_.SendLfControl(kLfOff, 0, out), "TX_OFFCmd");
}

void Em4305Commands::ReadWord1Click() {
  PromptForm form = WordForm("EM4305: ReadWord", app_.Settings.WordNo, memory_.password, false);
  form.Field("ST_Data").visible = false;
  if (!app_.Prompt().Show(form)) return;
  const uint8_t address = static_cast<uint8_t>(form.Field("EdAddr").Int());
  app_.Settings.WordNo = address;
  Response out{};
  if (!form.Field("CB_LoginEn").checked) {
    const bool ok = comm_.Em4305ReadWord(out, address);
    app_.LogResult(ok, "ReadWord");
    if (ok) app_.AddLog(DataLine(out));
    return;
  }
  const auto password = ReadWordRow(form, kPasswordRow);
  std::string data;  // stays empty when nothing was read
  LoginSequence(
      password, CarrierFailure::SwitchOff, [&] { memory_.password = password; },
      [&] {
        const bool ok = comm_.Em4305ReadWord(out, address);
        app_.LogResult(ok, "ReadWord");
        if (ok) data = DataLine(out);
      });
  app_.AddLog(data);
}

void Em4305Commands::WriteWord1Click() {
  PromptForm form = WordForm("EM4305: WriteWord", app_.Settings.WordNo, memory_.password, true);
  if (!app_.Prompt().Show(form)) return;
  const uint8_t address = static_cast<uint8_t>(form.Field("EdAddr").Int());
  const auto bytes = ReadWordRow(form, 0);
  const bool login = form.Field("CB_LoginEn").checked;
  const auto password = ReadWordRow(form, kPasswordRow);
  app_.Settings.WordNo = address;
  std::copy(bytes.begin(), bytes.end(), app_.Settings.WriteData.begin());
  if (login) memory_.password = password;
  // Words 0 and 4 hold the chip's settings.
  if ((address == 0 || address == 4) &&
      !app_.Prompt().Confirm(Tr("TWrData1_5Dlg", "設定情報を書き換えます。\nよろしいですか?"),
                             "WriteWord", ConfirmButtons::YesNo)) {
    if (!login) app_.LogResult(false, "WriteWord");
    return;
  }
  Response out{};
  auto write = [&] { app_.LogResult(comm_.Em4305WriteWord(out, address, bytes), "WriteWord"); };
  if (login)
    LoginSequence(password, CarrierFailure::Stop, {}, write);
  else
    write();
}

void Em4305Commands::Login1Click() {
  PromptForm form = MakeWrData1_4Dlg();
  form.caption = "EM4305: Login";
  form.Field("AddrStr").text = Tr("TWrData1_5Dlg", "パスワード(4バイト)");
  for (const char* name : {"Label1", "Label5", "CBMode", "EdAddr"})
    form.Field(name).visible = false;
  for (int r = 1; r < 4; ++r) ShowDataRow(form, r, false);
  WriteDataRow(form, 0, memory_.password);
  if (!app_.Prompt().Show(form)) return;
  memory_.password = ReadDataRow(form, 0);
  Response out{};
  app_.LogResult(comm_.Em4305Login(out, memory_.password), "Login");
}

std::optional<uint32_t> Em4305Commands::ReadProtectionWord(uint8_t address) {
  Response out{};
  const bool ok = comm_.Em4305ReadWord(out, address);
  app_.LogResult(ok, "ReadWord");
  if (!ok) return std::nullopt;
  app_.AddLog(DataLine(out));
  // Only a whole word can be used; a shorter answer counts as a word not in use.
  if (out[0] < 5) return 0;
  return uint32_t{out[2]} << 24 | uint32_t{out[3]} << 16 | uint32_t{out[4]} << 8 | out[5];
}

void Em4305Commands::Protect1Click() {
  // The first of the two protection words whose bit 15 is set; a failed read ends the search.
  std::optional<uint32_t> word = ReadProtectionWord(kProtectionWord1);
  if (word && !(*word & kProtectionActive)) word = ReadProtectionWord(kProtectionWord2);
  if (!word || !(*word & kProtectionActive)) {
    app_.LogResult(false, "Protect");
    return;
  }
  const uint32_t value = *word;

  PromptForm form = MakeWrData1_5Dlg();
  form.caption = "EM4305: Protect";
  WriteWordRow(form, kPasswordRow, memory_.password);
  for (const char* name : {"EdAddr", "ST_Addr", "StaticText1", "ST_SubData"})
    form.Field(name).visible = false;
  for (int n = 16; n < 20; ++n) form.Field(WrData1_5Label(n)).visible = false;
  // pr0 .. pr15: one edit per bit, EdData0_0 bit 0 through EdData3_3 bit 15.
  for (int bit = 0; bit < 16; ++bit) {
    form.Field(WrData1_5Label(bit)).text = "pr" + std::to_string(bit);
    NumberEditModel& edit = form.Field(WrData1_5Field(bit / 4, bit % 4)).number;
    edit.SetMin(0);
    edit.SetMax(1);
    edit.SetValue((value >> bit) & 1);
  }
  // What the bits mean, over the rows of pr0 .. pr15.
  form.Field("ST_Data").text =
      Tr("TWrData1_5Dlg", "保護ビット prN: 1 でワード N を書込み禁止 (0 には戻せません)");
  form.Field(WrData1_5Label(15)).enabled = false;
  form.Field(WrData1_5Field(3, 3)).enabled = false;
  if (!app_.Prompt().Show(form)) return;
  if (!app_.Prompt().Confirm(
          Tr("TWrData1_5Dlg", "Protectビットは1から0に戻せません。よろしいですか?"), "Protect",
          ConfirmButtons::YesNo))
    return;

  unsigned bits = 0;
  for (int bit = 0; bit < 16; ++bit)
    if (form.Field(WrData1_5Field(bit / 4, bit % 4)).Int() & 1) bits |= 1u << bit;
  memory_.protection = {0x00, 0x00, static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits)};
  const bool login = form.Field("CB_LoginEn").checked;
  const auto password = ReadWordRow(form, kPasswordRow);
  if (login) memory_.password = password;
  Response out{};
  auto protect = [&] { app_.LogResult(comm_.Em4305Protect(out, memory_.protection), "Protect"); };
  if (login)
    LoginSequence(password, CarrierFailure::Stop, {}, protect);
  else
    protect();
}

void Em4305Commands::Disable1Click() {
  comm_.Em4305Disable();
}

void RegisterEm4305Commands(HandlerRegistry& r) {
  auto add = [&r](const char* item, void (Em4305Commands::*click)()) {
    r.Add(item, [click](AppCore& a, const std::string&) { (Em4305Commands(a).*click)(); });
  };
  add("ReadWord1", &Em4305Commands::ReadWord1Click);
  add("WriteWord1", &Em4305Commands::WriteWord1Click);
  add("Login1", &Em4305Commands::Login1Click);
  add("Protect1", &Em4305Commands::Protect1Click);
  add("Disable1", &Em4305Commands::Disable1Click);
}
