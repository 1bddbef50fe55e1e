#include "fdx/em4305_dialog.h"

#include "core/ui_text.h"

namespace {
constexpr int kCols = 4;
constexpr int kPasswordRow = 4;
}  // namespace

std::string WrData1_5Field(int row, int col) {
  return "EdData" + std::to_string(row) + "_" + std::to_string(col);
}

std::string WrData1_5Label(int n) {
  return "ST_" + std::to_string(n);
}

PromptForm MakeWrData1_5Dlg() {
  PromptForm form;
  form.dialog = "TWrData1_5Dlg";
  auto at = [](PromptField& f, int row) -> PromptField& {
    f.row = row;
    return f;
  };
  at(form.AddLabel("ST_Addr", Tr("TWrData1_5Dlg", "アドレス")), 0);
  at(form.AddNumber("EdAddr", "", DecimalSpec(0, 15, true), 0), 0);
  at(form.AddLabel("StaticText1", ""), 0);
  at(form.AddCheck("CB_LoginEn", Tr("TWrData1_5Dlg", "ログイン"), false), 1);
  at(form.AddLabel("ST_Data", Tr("TWrData1_5Dlg", "データ")), 2);
  // Each edit has its label over it; the password row, with its caption, comes last.
  for (int r = 0; r <= kPasswordRow; ++r) {
    if (r == kPasswordRow)
      at(form.AddLabel("ST_SubData", Tr("TWrData1_5Dlg", "サブデータ")), 3 + 2 * r);
    for (int c = 0; c < kCols; ++c) {
      at(form.AddNumber(WrData1_5Field(r, c), "", HexSpec(0, 255, true, 2), 0), 4 + 2 * r);
      form.AddLabel(WrData1_5Label(4 * r + c), "").over = WrData1_5Field(r, c);
    }
  }
  form.AddOkCancel("OK", Tr("TWrData1_5Dlg", "閉じる"));
  form.onChange = [](PromptForm& f, const std::string& field) {
    if (field == "CB_LoginEn") CB_LoginEnClick(f);
  };
  CB_LoginEnClick(form);
  return form;
}

void CB_LoginEnClick(PromptForm& form) {
  const bool login = form.Field("CB_LoginEn").checked;
  for (int c = 0; c < kCols; ++c) form.Field(WrData1_5Field(kPasswordRow, c)).visible = login;
  form.Field("ST_SubData").visible = login;
}

std::array<uint8_t, 4> ReadWordRow(const PromptForm& form, int row) {
  std::array<uint8_t, 4> bytes{};
  for (int c = 0; c < kCols; ++c)
    bytes[static_cast<size_t>(c)] = static_cast<uint8_t>(form.Field(WrData1_5Field(row, c)).Int());
  return bytes;
}

void WriteWordRow(PromptForm& form, int row, std::span<const uint8_t, 4> bytes) {
  for (int c = 0; c < kCols; ++c)
    form.Field(WrData1_5Field(row, c)).number.SetValue(bytes[static_cast<size_t>(c)]);
}
