#pragma once
// The multipage editor's window: the buttons in a column at the left with the "Display Mode"
// group, the grid StringGrid_Hanyou in the middle (centred cells on white, characters in blue,
// the typing filter applied while a cell is typed in), the "Lock page" group check box and
// "All select" at the right, and the menu Configuration > Setting. It renders the editor's form;
// the behaviour stays in TMPTDataWriteDlg.
#include <QPointer>
#include <map>
#include <string>

#include "prompts/widgets/prompt_dialog.h"

class QButtonGroup;
class QPushButton;
class QTableWidget;
class TGroupCheckBoxWidget;

class MptEditorWindow : public PromptDialog {
  Q_OBJECT
 public:
  MptEditorWindow(PromptForm& form, QWidget* parent);

  void Build() override;
  void SyncFromForm() override;

  QTableWidget* Grid() const { return grid_; }
  TGroupCheckBoxWidget* LockGroup() const { return lockGroup_; }
  QPushButton* Button(const std::string& name) const;

 private:
  QPushButton* AddButton(const std::string& action, QWidget* parent);
  void GridEdited(int row, int column);
  bool HexDisplay() const;

  std::map<std::string, QPushButton*> buttons_;
  QTableWidget* grid_ = nullptr;
  TGroupCheckBoxWidget* lockGroup_ = nullptr;
  QButtonGroup* display_ = nullptr;
  class QAction* setting_ = nullptr;
  bool syncing_ = false;
};
