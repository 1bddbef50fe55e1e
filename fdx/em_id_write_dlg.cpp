#include "fdx/em_id_write_dlg.h"

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "core/ui_text.h"
#include "fdx/id_format_dialog.h"
#include "fdx/id_format_write.h"
#include "fdx/id_text.h"
#include "fdx/status_panel.h"
#include "prompts/prompts.h"

using namespace fdx;

namespace {

constexpr size_t kHexDigits = 10;

bool HexBase(const PromptForm& form) {
  return form.Field("RGHexDecimal").index == kBaseHexadecimal;
}

// RGHexDecimal shows one of the two fields.
void ShowBaseField(PromptForm& form) {
  form.Field("EdIDData").visible = !HexBase(form);
  form.Field("EdIDData_Hex").visible = HexBase(form);
}

// Switching the base carries the number over into the field that becomes visible.
void RGHexDecimalClick(PromptForm& form) {
  if (HexBase(form))
    form.Field("EdIDData_Hex").text =
        FormatId(static_cast<uint64_t>(form.Field("EdIDData").Int()), true, kHexDigits);
  else
    form.Field("EdIDData")
        .number.SetValue(static_cast<double>(ParseLenientHex(form.Field("EdIDData_Hex").text)));
  ShowBaseField(form);
}

}  // namespace

uint64_t EmIdOfFields(const PromptForm& form) {
  return HexBase(form) ? ParseLenientHex(form.Field("EdIDData_Hex").text)
                       : static_cast<uint64_t>(form.Field("EdIDData").Int());
}

void SetEmIdField(PromptForm& form, uint64_t emId) {
  if (HexBase(form))
    form.Field("EdIDData_Hex").text = FormatId(emId, true, kHexDigits);
  else
    form.Field("EdIDData").number.SetValue(static_cast<double>(emId));
}

uint64_t NextEmId(uint64_t emId) {
  return emId + 1 > EmId::kMax ? 1 : emId + 1;
}

PromptForm MakeIDWrite1Dlg(const EmIdDialogValues& in) {
  PromptForm form;
  form.dialog = "TIDWrite1Dlg";
  form.caption = Tr("TIDWrite1Dlg", "EM ID設定");
  const double max = static_cast<double>(EmId::kMax);
  // The field says what it holds; the hexadecimal one takes its place under the same caption.
  form.AddLabel("STIDData", "EM ID").row = 0;
  form.AddNumber("EdIDData", "", DecimalSpec(0, max, true), static_cast<double>(in.emId)).row = 0;
  form.AddText("EdIDData_Hex", "", "").row = 0;
  AddIdFormatControls(form,
                      {Tr("TIDWrite1Dlg", "書込み"), Tr("TIDWrite1Dlg", "読取り"),
                       Tr("TIDWrite1Dlg", "閉じる"), Tr("TIDWrite1Dlg", "自動インクリメント"),
                       Tr("TIDWrite1Dlg", "10進数"), Tr("TIDWrite1Dlg", "16進数")},
                      in.autoIncrement, BaseIndexOf(in.base));
  // The conversion runs when the dialog is shown, too.
  form.Field("EdIDData_Hex").text =
      FormatId(static_cast<uint64_t>(form.Field("EdIDData").Int()), true, kHexDigits);
  ShowBaseField(form);
  form.onChange = [shown = BaseIndexOf(in.base)](PromptForm& f, const std::string& field) mutable {
    if (field == "EdIDData_Hex") {  // a field of at most 10 characters
      std::string& text = f.Field(field).text;
      text = std::string(FirstCharacters(text, kHexDigits));
    } else if (field == "RGHexDecimal" && f.Field(field).index != shown) {
      shown = f.Field(field).index;
      RGHexDecimalClick(f);
    }
  };
  return form;
}

EmIdDialogValues RunIDWrite1Dlg(AppCore& app, const EmIdDialogValues& in) {
  PromptForm form = MakeIDWrite1Dlg(in);
  const auto write = [&](PromptField& status) {
    const uint64_t emId = EmIdOfFields(form);
    const bool ok = WriteEmIdCode(app.Link(), emId);
    ShowStatus(app, form, status, ok ? "OK: Write Tag" : "NG: Write Tag",
               ok ? kStatusGreen : kStatusRed);
    if (ok && form.Field("CBAutoIncrement").checked) SetEmIdField(form, NextEmId(emId));
  };
  const auto read = [&](PromptField& status) {
    if (const auto bytes = ReadEmIdBytes(app.Link()))
      ShowStatus(app, form, status, EmIdReadText(*bytes, HexBase(form)));
    else
      ShowStatus(app, form, status, "NG: Read Tag", kStatusRed);
  };
  RunIdFormatDialog(app, form, write, read);
  return {EmIdOfFields(form), form.Field("CBAutoIncrement").checked,
          form.Field("RGHexDecimal").index};
}
