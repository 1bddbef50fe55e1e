#include "hdx/widgets/hdx_renderers.h"

#include "hdx/widgets/mpt_editor_window.h"
#include "hdx/widgets/tag_viewer_window.h"
#include "prompts/widgets/widget_prompts.h"

void RegisterHdxDialogRenderers() {
  RegisterDialogRenderer("TMPTDataWriteDlg", [](PromptForm& form, QWidget* parent) {
    return std::unique_ptr<PromptDialog>(new MptEditorWindow(form, parent));
  });
  RegisterDialogRenderer("TDispTagDataDlg", [](PromptForm& form, QWidget* parent) {
    return std::unique_ptr<PromptDialog>(new TagViewerWindow(form, parent));
  });
}
