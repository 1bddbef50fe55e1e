#pragma once
// One small class per field kind: it creates the field's widget, brings the widget in step with
// the field and writes the user's changes into the field. A dialog keeps one view per field; a
// new kind of field is one more view class and one more line in MakeFieldView.
#include <memory>
#include <string>

#include "prompts/prompt_form.h"

class QWidget;

// What a view needs from the dialog it stands in.
class FieldHost {
 public:
  virtual ~FieldHost() = default;
  // The form's field of that name, looked up afresh (a behaviour may have added fields).
  virtual PromptField& FormField(const std::string& name) = 0;
  // Called after a user's change was written into the field: raises the form's behaviour.
  virtual void FieldEdited(const std::string& name) = 0;
  // While the dialog writes the form into its widgets, their signals are no user's edits.
  virtual bool Syncing() const = 0;
};

class FieldView {
 public:
  virtual ~FieldView() = default;
  // Creates the widget under `parent` and connects the user's edits to `host`.
  virtual QWidget* Create(const PromptField& field, QWidget* parent, FieldHost& host) = 0;
  // Pushes the field's value into the widget (its visibility and enabled state are the
  // dialog's).
  virtual void Sync(const PromptField& field) = 0;
  // Whether the field's `label` is shown by a label of its own beside or above the widget (a
  // check box and a radio group show it themselves).
  virtual bool CaptionBeside() const { return false; }
  // Takes the keyboard focus as a dialog opens: an edit with its text selected (typing replaces
  // it), a list or group on its selected entry. False for fields that take no input.
  virtual bool TakeFocus() { return false; }
  // Whether the field is one that text is typed into (it takes the focus before the others).
  virtual bool TypedInto() const { return false; }
};

// The view of the field's kind (and, for a Choice, its style).
std::unique_ptr<FieldView> MakeFieldView(const PromptField& field);
