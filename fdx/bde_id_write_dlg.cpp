#include "fdx/bde_id_write_dlg.h"

#include "app/app_core.h"
#include "codec/animal_id.h"
#include "core/ui_text.h"
#include "fdx/id_format_dialog.h"
#include "fdx/id_format_write.h"
#include "fdx/status_panel.h"
#include "prompts/prompts.h"

using namespace fdx;

namespace {

constexpr const char* kNumberFields[] = {"EdFlag", "EdTypeOfTransponder", "EdApplicationCode",
                                         "EdManufacturerCode", "EdSerialNumber"};

bool HexBase(const PromptForm& form) {
  return form.Field("RGHexDecimal").index == kBaseHexadecimal;
}

// All five fields follow RGHexDecimal.
void RGHexDecimalClick(PromptForm& form) {
  const TNumberType type = HexBase(form) ? TNumberType::ntHex : TNumberType::ntDecimal;
  for (const char* name : kNumberFields) form.Field(name).number.SetNumberType(type);
}

uint32_t U32(const PromptForm& form, const char* field) {
  return static_cast<uint32_t>(form.Field(field).Int());
}

}  // namespace

uint64_t BdeCodeOfFields(const PromptForm& form) {
  BdeIdCode c;
  c.flag = U32(form, "EdFlag") & 1;
  c.typeOfTransponder = U32(form, "EdTypeOfTransponder") & 1;
  c.applicationCode = U32(form, "EdApplicationCode") & BdeIdCode::kMaxApplicationCode;
  c.supplierCode = U32(form, "EdManufacturerCode") & BdeIdCode::kMaxSupplierCode;
  c.serialNumber = U32(form, "EdSerialNumber") & BdeIdCode::kMaxSerialNumber;
  return c.Encode();
}

PromptForm MakeBDEIdWrite1Dlg(const BdeDialogValues& in) {
  const BdeIdCode code = BdeIdCode::Decode(in.code);
  PromptForm form;
  form.dialog = "TBDEIdWrite1Dlg";
  form.caption = Tr("TBDEIdWrite1Dlg", "BDE設定");
  form.AddNumber("EdFlag", "Flag", DecimalSpec(0, 1, true), 0).enabled = false;
  form.AddNumber("EdTypeOfTransponder", Tr("TBDEIdWrite1Dlg", "トランスポンダの種類"),
                 DecimalSpec(0, 1, true), code.typeOfTransponder);
  form.AddNumber("EdApplicationCode", Tr("TBDEIdWrite1Dlg", "アプリケーションコード"),
                 DecimalSpec(0, BdeIdCode::kMaxApplicationCode, true),
                 BdeIdCode::kDialogApplicationCode)
      .enabled = false;
  form.AddNumber("EdManufacturerCode", Tr("TBDEIdWrite1Dlg", "供給者コード"),
                 DecimalSpec(0, BdeIdCode::kMaxSupplierCode, true), code.supplierCode);
  form.AddNumber("EdSerialNumber", Tr("TBDEIdWrite1Dlg", "シリアル番号"),
                 DecimalSpec(0, BdeIdCode::kMaxSerialNumber, true), code.serialNumber);
  AddIdFormatControls(form,
                      {Tr("TBDEIdWrite1Dlg", "書込み"), Tr("TBDEIdWrite1Dlg", "読取り"),
                       Tr("TBDEIdWrite1Dlg", "閉じる"), Tr("TBDEIdWrite1Dlg", "自動インクリメント"),
                       Tr("TBDEIdWrite1Dlg", "10進数"), Tr("TBDEIdWrite1Dlg", "16進数")},
                      in.autoIncrement, BaseIndexOf(in.base));
  RGHexDecimalClick(form);
  form.onChange = [shown = BaseIndexOf(in.base)](PromptForm& f, const std::string& field) mutable {
    if (field != "RGHexDecimal" || f.Field(field).index == shown) return;
    shown = f.Field(field).index;
    RGHexDecimalClick(f);
  };
  return form;
}

BdeDialogValues RunBDEIdWrite1Dlg(AppCore& app, const BdeDialogValues& in) {
  PromptForm form = MakeBDEIdWrite1Dlg(in);
  uint64_t kept = in.code;
  const auto write = [&](PromptField& status) {
    const uint64_t code = BdeCodeOfFields(form);
    const IdWriteOutcome outcome = WriteBdeCode(app.Link(), code);
    if (outcome != IdWriteOutcome::ConfigurationFailed) kept = code;
    const bool ok = outcome == IdWriteOutcome::Written;
    ShowStatus(app, form, status, ok ? "OK: IDWriteCmd" : "NG: IDWriteCmd",
               ok ? kStatusGreen : kStatusRed);
    if (ok && form.Field("CBAutoIncrement").checked) {
      BdeIdCode next = BdeIdCode::Decode(kept);
      next.serialNumber = (next.serialNumber + 1) % (BdeIdCode::kMaxSerialNumber + 1);
      kept = next.Encode();
      // The field skips the serial number 0 after a wrap.
      form.Field("EdSerialNumber").number.SetValue(next.serialNumber == 0 ? 1 : next.serialNumber);
    }
  };
  const auto read = [&](PromptField& status) {
    if (const auto code = ReadBdeCode(app.Link()))
      ShowStatus(app, form, status, BdeReadText(*code, HexBase(form)));
    else
      ShowStatus(app, form, status, "NG: Read Tag", kStatusRed);
  };
  const std::string action = RunIdFormatDialog(app, form, write, read);
  if (action == "CancelBtn") kept = BdeCodeOfFields(form);  // "Close"
  return {kept, form.Field("CBAutoIncrement").checked, form.Field("RGHexDecimal").index};
}
