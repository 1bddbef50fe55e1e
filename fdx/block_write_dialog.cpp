#include "fdx/block_write_dialog.h"

#include "codec/sic7888_layout.h"
#include "core/ui_text.h"

namespace {
constexpr int kRows = 4;
constexpr int kCols = 4;
}  // namespace

std::string WrData1_4Field(int row, int col) {
  return "EdData" + std::to_string(row) + "_" + std::to_string(col);
}

PromptForm MakeWrData1_4Dlg() {
  PromptForm form;
  form.dialog = "TWrData1_4Dlg";
  // The controls stand on a plain panel (Panel1), which has no caption of its own.
  auto at = [](PromptField& f, int row) -> PromptField& {
    f.row = row;
    return f;
  };
  // Label1 stays empty and hidden: the address caption (AddrStr) names the block already.
  at(form.AddLabel("Label1", ""), 0).visible = false;
  at(form.AddLabel("AddrStr", ""), 0);
  at(form.AddNumber("EdAddr", "", DecimalSpec(0, 255, true), 0), 0);
  at(form.AddLabel("Label2", Tr("TWrData1_4Dlg", "データ(HEX)")), 1);
  // In every row the first field is the block's first byte, under "MSB".
  form.AddLabel("Label3", "MSB").over = WrData1_4Field(0, 0);
  form.AddLabel("Label4", "LSB").over = WrData1_4Field(0, kCols - 1);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c)
      at(form.AddNumber(WrData1_4Field(r, c), "", HexSpec(0, 255, true, 2), 0), 3 + r);
  at(form.AddLabel("Label5", Tr("TWrData1_4Dlg", "読取モード")), 7);
  // "Fast Advanced" carries a no-break space.
  at(form.AddChoice("CBMode", "",
                    {Tr("TWrData1_4Dlg", "標準"), Tr("TWrData1_4Dlg", "アドバンスト"),
                     Tr("TWrData1_4Dlg", "高速アドバンスト")},
                    1),
     7);
  form.AddOkCancel("OK", Tr("TWrData1_4Dlg", "閉じる"));
  return form;
}

std::array<uint8_t, 4> ReadDataRow(const PromptForm& form, int row) {
  std::array<uint8_t, 4> bytes{};
  for (int c = 0; c < kCols; ++c)
    bytes[static_cast<size_t>(c)] = static_cast<uint8_t>(form.Field(WrData1_4Field(row, c)).Int());
  return bytes;
}

void WriteDataRow(PromptForm& form, int row, std::span<const uint8_t, 4> bytes) {
  for (int c = 0; c < kCols; ++c)
    form.Field(WrData1_4Field(row, c)).number.SetValue(bytes[static_cast<size_t>(c)]);
}

void ShowDataRow(PromptForm& form, int row, bool visible) {
  for (int c = 0; c < kCols; ++c) form.Field(WrData1_4Field(row, c)).visible = visible;
}

void ApplyPageRows(PromptForm& form) {
  const int shown = fdx::PageRows(static_cast<int>(form.Field("EdAddr").Int()));
  for (int r = 1; r < kRows; ++r) ShowDataRow(form, r, r < shown);
}

void SetPageMode(PromptForm& form, bool on) {
  if (!on) {
    form.onChange = nullptr;
    return;
  }
  form.onChange = [](PromptForm& f, const std::string& field) {
    if (field == "EdAddr") ApplyPageRows(f);
  };
  ApplyPageRows(form);
}
