#include "hdx/write_data2_dlg.h"

#include "core/ui_text.h"
#include "hdx/byte_fields.h"

namespace {
const ByteFieldRow kBytes{.prefix = "IntEdit", .firstNumber = 1, .count = 8, .row = 2};
}

PromptForm MakeWriteData2Dlg(const std::string& caption, const std::array<uint8_t, 8>& bytes,
                             const std::optional<std::string>& pageLabel, int page) {
  PromptForm form;
  form.dialog = "TWriteData2Dlg";
  form.caption = caption;
  PromptField& title1 = form.AddLabel("STTitle1", pageLabel.value_or(""));
  PromptField& pageField = form.AddNumber("IntEd1", "", DecimalSpec(0, 255, true), page);
  title1.visible = pageField.visible = pageLabel.has_value();
  title1.row = pageField.row = 0;
  form.AddLabel("STTitle3", Tr("TWriteData2Dlg", "プログラムデータ（HEX）"));
  AddByteFields(form, kBytes, bytes);
  for (int i = 0; i < 8; ++i) {
    std::string label = std::to_string(i);
    if (i == 7) label = "(MSB)7";
    if (i == 0) label = "0(LSB)";
    PromptField& byte = form.Field(kBytes.Name(i));
    byte.label = label;
    byte.labelOver = true;
  }
  // The byte count travels in a hidden field; the callers always write 8 bytes.
  form.AddLabel("StaticText1", "Size of Program Data(8 fix)").visible = false;
  form.AddNumber("EdWrSize", "", DecimalSpec(0, 255, false), 8).visible = false;
  form.AddAction("Button1", Tr("TWriteData2Dlg", "データ1をセット"), ActionKind::Local);
  form.AddAction("Button2", Tr("TWriteData2Dlg", "データ2をセット"), ActionKind::Local);
  form.AddAction("BtKeySet", Tr("TWriteData2Dlg", "データ3をセット"), ActionKind::Local);
  form.AddOkCancel(Tr("TWriteData2Dlg", "書込み"), Tr("TWriteData2Dlg", "キャンセル"));
  form.onAction = WriteData2FillClick;
  return form;
}

void WriteData2FillClick(PromptForm& form, const std::string& button) {
  std::array<uint8_t, 8> fill{};
  if (button == "Button2") fill.fill(0xFF);
  if (button == "BtKeySet")
    for (size_t k = 0; k < fill.size(); ++k) fill[k] = static_cast<uint8_t>(k);
  if (button == "Button1" || button == "Button2" || button == "BtKeySet")
    WriteByteFields(form, kBytes, fill);
}

std::optional<WriteData2Answer> ShowWriteData2Dlg(Prompts& prompts, const std::string& caption,
                                                  const std::array<uint8_t, 8>& bytes,
                                                  const std::optional<std::string>& pageLabel,
                                                  int page) {
  PromptForm form = MakeWriteData2Dlg(caption, bytes, pageLabel, page);
  if (!prompts.Show(form)) return std::nullopt;
  WriteData2Answer a;
  a.page = static_cast<uint8_t>(form.Field("IntEd1").Int() & 0xFF);
  const std::vector<uint8_t> b = ReadByteFields(form, kBytes);
  std::copy(b.begin(), b.end(), a.bytes.begin());
  return a;
}
