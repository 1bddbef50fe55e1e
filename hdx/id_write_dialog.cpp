#include "hdx/id_write_dialog.h"

#include "app/app_core.h"
#include "core/ui_text.h"
#include "hdx/byte_fields.h"
#include "hdx/wr_data_dlgs.h"
#include "link/command_codes.h"
#include "prompts/prompts.h"

namespace {

const ByteFieldRow kIdFields{.prefix = "EdData", .firstNumber = 0, .count = 8, .row = 2};

// The increment field and its label follow the check box.
void CBAutoIncClick(PromptForm& form) {
  const bool on = form.Field("CBAutoInc").checked;
  form.Field("EdIncValue").enabled = on;
  form.Field("StaticText1").enabled = on;
}

class IdWriteDialog {
 public:
  IdWriteDialog(AppCore& app, IdWriteMode mode)
      : app_(app),
        mode_(mode),
        form_(MakeWrData1_3Dlg(mode, app.Settings.ANI_ID, app.Settings.fIncValue,
                               app.Settings.IncValue)) {}

  void Run() {
    for (;;) {
      const std::string action = app_.Prompt().Interact(form_);
      if (action == "OKBtn") {
        OKBtnClick();
        continue;
      }
      if (action == "CancelBtn") {  // "Close": the increment settings are kept
        app_.Settings.fIncValue = form_.Field("CBAutoInc").checked ? 1 : 0;
        app_.Settings.IncValue = static_cast<int>(form_.Field("EdIncValue").Int());
        app_.SaveSettings();
      }
      return;  // "Close" or the window's close box
    }
  }

 private:
  void OKBtnClick() {
    form_.Field("Panel3").text.clear();
    const std::array<uint8_t, 8> id = IdFromFields(form_);
    app_.Settings.ANI_ID = id;
    const bool lock = mode_ == IdWriteMode::Sic279 && form_.Field("CBLock").checked;
    if (lock &&
        !app_.Prompt().Confirm(CannotRewriteQuestion(), form_.caption, ConfirmButtons::YesNo))
      return;

    // No second Write while this one waits for its answer.
    form_.Action("OKBtn").enabled = false;
    app_.Prompt().Refresh(form_);
    Response out{};
    bool ok = false;
    if (mode_ == IdWriteMode::Sic279) {
      const int tagType = form_.Field("RGTagType").index == 0 ? 0 : 1;
      ok = app_.Link().Sic279IdWrite(out, lock ? 1 : 0, id, static_cast<uint8_t>(tagType));
    } else {
      std::vector<uint8_t> cmd{cmd::Sic7888IdWrite, 0x01};
      cmd.insert(cmd.end(), id.begin(), id.end());
      ok = app_.Link().Exchange(cmd, out);
    }
    form_.Action("OKBtn").enabled = true;
    form_.Field("Panel3").text = app_.LogResult(ok, form_.caption);
    app_.ReportStatus(form_.dialog, "Panel3", form_.Field("Panel3").text, ok);
    if (ok && form_.Field("CBAutoInc").checked) {
      const auto step = static_cast<uint64_t>(form_.Field("EdIncValue").Int());
      IdToFields(form_, AddToId(id, step));
    }
    app_.Prompt().Refresh(form_);
  }

  AppCore& app_;
  IdWriteMode mode_;
  PromptForm form_;
};

}  // namespace

std::string IdWriteCaption(IdWriteMode mode) {
  return mode == IdWriteMode::Sic279 ? "IDWrite[SIC279]" : "IDWrite[SIC7888]";
}

PromptForm MakeWrData1_3Dlg(IdWriteMode mode, const std::array<uint8_t, 8>& id, int fIncValue,
                            int IncValue) {
  PromptForm form;
  form.dialog = "TWrData1_3Dlg";
  form.caption = IdWriteCaption(mode);
  form.AddLabel("Label2", Tr("TWrData1_3Dlg", "データ(HEX)")).row = 0;
  form.AddLabel("Label3", "MSB");
  form.AddLabel("Label4", "LSB");
  AddByteFields(form, kIdFields, id);
  MarkByteRowEnds(form, kIdFields, "Label3", "Label4");
  form.AddCheck("CBAutoInc", Tr("TWrData1_3Dlg", "自動: データの加算"), fIncValue != 0).row = 3;
  form.AddLabel("StaticText1", Tr("TWrData1_3Dlg", "加算値")).row = 3;
  form.AddNumber("EdIncValue", "", DecimalSpec(0, 255, true), IncValue).row = 3;
  PromptField& type =
      form.AddRadio("RGTagType", Tr("TWrData1_3Dlg", "タグの種類"),
                    {Tr("TWrData1_3Dlg", "読み書き"), Tr("TWrData1_3Dlg", "読取り専用")}, 1);
  type.visible = mode == IdWriteMode::Sic279;
  form.AddCheck("CBLock", Tr("TWrData1_3Dlg", "ロック"), false).visible =
      mode == IdWriteMode::Sic279;
  form.AddPanel("Panel3", "");
  form.AddAction("OKBtn", Tr("TWrData1_3Dlg", "書込み"), ActionKind::Return, true);
  form.AddAction("CancelBtn", Tr("TWrData1_3Dlg", "閉じる"), ActionKind::Accept);
  // The window's close box and Escape: closes without keeping the increment settings.
  form.AddAction("CloseBox", "", ActionKind::Cancel).visible = false;
  form.onChange = [](PromptForm& f, const std::string& field) {
    if (field == "CBAutoInc") CBAutoIncClick(f);
  };
  CBAutoIncClick(form);
  return form;
}

std::array<uint8_t, 8> IdFromFields(const PromptForm& form) {
  const std::vector<uint8_t> bytes = ReadByteFields(form, kIdFields);
  std::array<uint8_t, 8> id{};
  std::copy(bytes.begin(), bytes.end(), id.begin());
  return id;
}

void IdToFields(PromptForm& form, const std::array<uint8_t, 8>& id) {
  WriteByteFields(form, kIdFields, id);
}

std::array<uint8_t, 8> AddToId(const std::array<uint8_t, 8>& id, uint64_t step) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | id[static_cast<size_t>(i)];
  v += step;  // unsigned: wraps beyond 64 bits
  std::array<uint8_t, 8> out{};
  for (size_t i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
  return out;
}

void RunIdWriteDialog(AppCore& app, IdWriteMode mode) {
  IdWriteDialog(app, mode).Run();
}
