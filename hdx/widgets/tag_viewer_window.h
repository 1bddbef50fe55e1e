#pragma once
// The tag memory viewer's window: the menu bar "File" > "Save" (MnSavelog) and "Configuration"
// (MnConfiguration) > "Operating environment" (MnSetting), the top panel with the "ID(Hex)"
// label Label3 (a click on it is the form's Label3 action), "Tag Type" (Label6) and
// "Chip/Manufacture" (Label7) with their fields, the table StringGrid1, and "Read" and "Close"
// at the foot. It renders TDispTagDataDlg's form; the behaviour stays in TDispTagDataDlg.
#include "prompts/widgets/prompt_dialog.h"

class QAction;
class QMenu;

class TagViewerWindow : public PromptDialog {
  Q_OBJECT
 public:
  TagViewerWindow(PromptForm& form, QWidget* parent);

  void Build() override;
  void SyncFromForm() override;

  QMenu* ConfigurationMenu() const { return configuration_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* AddMenuItem(QMenu* menu, const std::string& action);

  QMenu* configuration_ = nullptr;
  QLabel* idLabel_ = nullptr;
  std::map<std::string, QAction*> items_;
};
