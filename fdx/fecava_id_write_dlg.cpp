#include "fdx/fecava_id_write_dlg.h"

#include "app/app_core.h"
#include "core/ui_text.h"
#include "fdx/id_format_dialog.h"
#include "fdx/id_format_write.h"
#include "fdx/status_panel.h"
#include "prompts/prompts.h"

using namespace fdx;

namespace {
constexpr const char* kFields[] = {"EdID1", "EdID2", "EdID3", "EdID4", "EdID5"};
}  // namespace

PromptForm MakeFecavaIDWrite1Dlg(const FecavaDialogValues& in) {
  PromptForm form;
  form.dialog = "TFecavaIDWrite1Dlg";
  form.caption = Tr("TFecavaIDWrite1Dlg", "Fecava ID設定");
  for (size_t i = 0; i < 5; ++i) {
    NumberSpec spec = HexSpec(0, 0xFF, true, 2);
    spec.LoMax = false;  // only the lower limit; the value is taken modulo 128
    form.AddNumber(kFields[i], "ID" + std::to_string(i + 1), spec, in.values[i] & 0x7F).row = 0;
  }
  form.AddLabel("Label1", Tr("TFecavaIDWrite1Dlg", "16進数のみ"));
  AddIdFormatControls(
      form,
      {Tr("TFecavaIDWrite1Dlg", "書込み"), Tr("TFecavaIDWrite1Dlg", "読取り"),
       Tr("TFecavaIDWrite1Dlg", "閉じる"), Tr("TFecavaIDWrite1Dlg", "自動インクリメント"),
       Tr("TFecavaIDWrite1Dlg", "10進数"), Tr("TFecavaIDWrite1Dlg", "16進数")},
      in.autoIncrement, BaseIndexOf(in.base));
  form.Field("CBAutoIncrement").visible = false;
  form.Field("RGHexDecimal").visible = false;
  return form;
}

std::array<uint8_t, 5> FecavaFieldValues(const PromptForm& form) {
  std::array<uint8_t, 5> v{};
  for (size_t i = 0; i < 5; ++i) v[i] = static_cast<uint8_t>(form.Field(kFields[i]).Int() & 0x7F);
  return v;
}

FecavaDialogValues RunFecavaIDWrite1Dlg(AppCore& app, const FecavaDialogValues& in) {
  PromptForm form = MakeFecavaIDWrite1Dlg(in);
  const auto write = [&](PromptField& status) {
    const bool ok = WriteFecavaCode(app.Link(), FecavaFieldValues(form));
    ShowStatus(app, form, status, ok ? "OK: IDWriteCmd" : "NG: IDWriteCmd",
               ok ? kStatusGreen : kStatusRed);
  };
  const auto read = [&](PromptField& status) {
    if (const auto values = ReadFecavaValues(app.Link()))
      ShowStatus(app, form, status, FecavaReadText(*values), kStatusGreen);
    else
      ShowStatus(app, form, status, "NG: IDRead", kStatusRed);
  };
  RunIdFormatDialog(app, form, write, read);
  // However the dialog closes, the five fields are kept.
  FecavaDialogValues out = in;
  out.values = FecavaFieldValues(form);
  return out;
}
