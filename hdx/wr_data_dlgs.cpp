#include "hdx/wr_data_dlgs.h"

#include <algorithm>

#include "core/messages.h"
#include "core/ui_text.h"
#include "hdx/byte_fields.h"

namespace {
const ByteFieldRow kBlockBytes{.prefix = "EdData", .firstNumber = 0, .count = 4, .row = 3};
const ByteFieldRow kIdBytes{.prefix = "EdData", .firstNumber = 0, .count = 8, .row = 3};

// The block field and its caption; TWrData1_2Dlg keeps them hidden. Label1 stays empty and
// hidden: the address caption names the block already ("Block(0-15)").
void AddBlockField(PromptForm& form, int block, bool visible) {
  PromptField& label1 = form.AddLabel("Label1", "");
  label1.row = 0;
  label1.visible = false;
  form.AddLabel("AddrStr", LoadMessage(Msg::Block015Msg)).row = 0;
  form.AddNumber("EdAddr", "", DecimalSpec(0, 255, true), block).row = 0;
  for (const char* name : {"AddrStr", "EdAddr"}) form.Field(name).visible = visible;
}
}  // namespace

std::string CannotRewriteQuestion() {
  return Tr("TWrData1Dlg", "データは書き換えられなくなりますが、よろしいですか?");
}

PromptForm MakeWrData1Dlg(const std::string& caption, int block,
                          const std::array<uint8_t, 4>& bytes) {
  PromptForm form;
  form.dialog = "TWrData1Dlg";
  form.caption = caption;
  AddBlockField(form, block, true);
  form.AddLabel("Label2", Tr("TWrData1Dlg", "データ(HEX)")).row = 1;
  form.AddLabel("Label3", "MSB");
  form.AddLabel("Label4", "LSB");
  AddByteFields(form, kBlockBytes, bytes);
  MarkByteRowEnds(form, kBlockBytes, "Label3", "Label4");
  form.AddCheck("CBLock", Tr("TWrData1Dlg", "ロック"), false);
  form.AddOkCancel("OK", Tr("TWrData1Dlg", "キャンセル"));
  return form;
}

std::optional<WrData1Answer> ShowWrData1Dlg(Prompts& prompts, const std::string& caption, int block,
                                            const std::array<uint8_t, 4>& bytes) {
  PromptForm form = MakeWrData1Dlg(caption, block, bytes);
  if (!prompts.Show(form)) return std::nullopt;
  WrData1Answer a;
  a.block = static_cast<uint8_t>(form.Field("EdAddr").Int() & 0xFF);
  const auto b = ReadByteFields(form, kBlockBytes);
  std::copy(b.begin(), b.end(), a.bytes.begin());
  a.lock = form.Field("CBLock").checked;
  return a;
}

PromptForm MakeWrData1_2Dlg(const std::array<uint8_t, 8>& id) {
  PromptForm form;
  form.dialog = "TWrData1_2Dlg";
  form.caption = Tr("TWrData1Dlg", "ID書込み");
  AddBlockField(form, 0, false);
  form.AddLabel("Label2", Tr("TWrData1Dlg", "データ(HEX)")).row = 1;
  form.AddLabel("Label3", "MSB");
  form.AddLabel("Label4", "LSB");
  AddByteFields(form, kIdBytes, id);
  MarkByteRowEnds(form, kIdBytes, "Label3", "Label4");
  form.AddRadio("RGTagType", Tr("TWrData1Dlg", "タグの種類"),
                {Tr("TWrData1Dlg", "読み書き"), Tr("TWrData1Dlg", "読取り専用")}, 0)
      .visible = false;
  form.AddCheck("CBLock", Tr("TWrData1Dlg", "ロック"), false);
  form.AddOkCancel(Tr("TWrData1Dlg", "書込み"), Tr("TWrData1Dlg", "キャンセル"));
  return form;
}

std::optional<WrData1_2Answer> ShowWrData1_2Dlg(Prompts& prompts,
                                                const std::array<uint8_t, 8>& id) {
  PromptForm form = MakeWrData1_2Dlg(id);
  if (!prompts.Show(form)) return std::nullopt;
  WrData1_2Answer a;
  const auto b = ReadByteFields(form, kIdBytes);
  std::copy(b.begin(), b.end(), a.id.begin());
  a.lock = form.Field("CBLock").checked;
  return a;
}
