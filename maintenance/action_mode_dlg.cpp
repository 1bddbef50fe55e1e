#include "maintenance/action_mode_dlg.h"

#include "core/ui_text.h"

PromptForm MakeSetDousaModeDlg() {
  PromptForm form;
  form.dialog = "TSetDousaModeDlg";
  form.caption = Tr("TSetDousaModeDlg", "動作モードの設定");
  form.AddChoice(
      "ComboBox1", "",
      {Tr("TSetDousaModeDlg", "コマンドモード"), Tr("TSetDousaModeDlg", "連続ID読み取りモード")},
      0);
  form.AddCheck("CheckBox1", Tr("TSetDousaModeDlg", "EEPROMに保存"), false);
  form.AddOkCancel("OK", Tr("TSetDousaModeDlg", "キャンセル"));
  return form;
}

std::optional<ActionModeChoice> ShowSetDousaModeDlg(Prompts& prompts) {
  PromptForm form = MakeSetDousaModeDlg();
  if (!prompts.Show(form)) return std::nullopt;
  ActionModeChoice c;
  c.mode = form.Field("ComboBox1").index == 1 ? 2 : 4;
  c.save = form.Field("CheckBox1").checked ? 1 : 0;
  return c;
}
