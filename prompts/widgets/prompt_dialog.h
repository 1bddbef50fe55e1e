#pragma once
// A PromptForm rendered as a QDialog. The dialog's objectName is the form's class name and every
// field and action widget carries its name, so tests and the window find them as the form names
// them. A user's change is written into the form at once and raises form.Changed(name); after
// every behaviour callback the widgets are brought back in step with the form, so the form's
// callbacks drive what the dialog shows.
//
// A dialog with a bespoke look subclasses PromptDialog, overrides CreateField/SyncField for its
// own fields (calling FieldEdited after writing a user's change into the form) and registers a
// factory with RegisterDialogRenderer (widget_prompts.h).
#include <QDialog>
#include <map>
#include <string>

#include "prompts/prompt_form.h"

class QLabel;
class QPushButton;
class QTabWidget;

class PromptDialog : public QDialog {
  Q_OBJECT
 public:
  PromptDialog(PromptForm& form, QWidget* parent);

  PromptForm& Form() { return form_; }
  // Creates the widgets; called once, right after construction, by whoever shows the dialog.
  virtual void Build();
  // Brings every widget in step with the form (caption, fields, pages, actions).
  virtual void SyncFromForm();

  QWidget* FieldWidget(const std::string& name) const;
  QPushButton* ActionButton(const std::string& name) const;
  // The name of the form's first Cancel action ("" when it has none).
  std::string CancelName() const;

 signals:
  // An Accept, Cancel or Return action was pressed; Escape and the close box press the Cancel
  // action. What follows (closing, returning to the handler) is the caller's business.
  void ActionPressed(const QString& name);

 protected:
  // The widget of one field, parented to `parent`; override for a bespoke look.
  virtual QWidget* CreateField(PromptField& field, QWidget* parent);
  // Pushes one field's value (not its visibility or enabled state) into its widget.
  virtual void SyncField(const PromptField& field, QWidget* widget);
  // After a user's change was written into the form: raises the form's behaviour and re-syncs.
  void FieldEdited(const std::string& name);
  // A button: Local actions run the form's onAction here; the others are signalled.
  void Press(const std::string& action);
  bool Syncing() const { return syncing_; }

  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddField(PromptField& field, QWidget* owner, class QBoxLayout* layout);
  PromptForm& form_;
  std::map<std::string, QWidget*> fields_;
  std::map<std::string, QLabel*> captions_;  // labels of labelled fields
  std::map<std::string, QPushButton*> actions_;
  std::map<std::string, size_t> memoShown_;  // lines of a memo already in its widget
  QTabWidget* tabs_ = nullptr;
  bool syncing_ = false;
};
