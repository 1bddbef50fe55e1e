#include "hdx/widgets/hdx_renderers.h"

#include "hdx/widgets/mpt_dialog.h"
#include "hdx/widgets/tag_viewer_dialog.h"
#include "prompts/widgets/widget_prompts.h"

void RegisterHdxDialogRenderers() {
  RegisterDialogRenderer("TMPTDataWriteDlg", [](PromptForm& form, QWidget* parent) {
    return std::unique_ptr<PromptDialog>(new TMptDataWriteDialog(form, parent));
  });
  RegisterDialogRenderer("TDispTagDataDlg", [](PromptForm& form, QWidget* parent) {
    return std::unique_ptr<PromptDialog>(new TDispTagDataDialog(form, parent));
  });
}
