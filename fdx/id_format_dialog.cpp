#include "fdx/id_format_dialog.h"

#include "app/app_core.h"
#include "fdx/status_panel.h"
#include "prompts/prompts.h"

void AddIdFormatControls(PromptForm& form, const IdFormatTexts& t, bool autoIncrement, int base) {
  form.AddCheck("CBAutoIncrement", t.autoIncrement, autoIncrement).row = 20;
  form.AddRadio("RGHexDecimal", "", {t.decimal, t.hexadecimal}, base, 2).row = 20;
  form.AddPanel("PStatus", "");
  form.AddAction("BtWriteTag", t.write, ActionKind::Return, true);
  form.AddAction("BtReadTag", t.read, ActionKind::Return);
  form.AddAction("CloseBox", "", ActionKind::Cancel).visible = false;
  form.AddAction("CancelBtn", t.close, ActionKind::Cancel);
}

std::string RunIdFormatDialog(AppCore& app, PromptForm& form, const IdFormatStep& write,
                              const IdFormatStep& read) {
  PromptField& status = form.Field("PStatus");
  for (;;) {
    const std::string action = app.Prompt().Interact(form);
    const IdFormatStep* step = action == "BtWriteTag"  ? &write
                               : action == "BtReadTag" ? &read
                                                       : nullptr;
    if (!step) return action;
    // The panel is emptied on the screen before the module is asked.
    fdx::ShowStatus(app, form, status, "");
    app.Prompt().Refresh(form);
    (*step)(status);
    app.Prompt().Refresh(form);
  }
}
