#pragma once
// The prompt interface: every dialog and message box a handler needs. The window implements it
// with real dialogs; tests and the command runner implement it with scripted answers.
#include <memory>
#include <optional>
#include <string>

#include "prompts/prompt_form.h"

// The progress dialog TGuage1Dlg: caption, a centred label, a progress bar in a panel and a
// Cancel button. The continue flag is set when created and shown, cleared by Cancel.
class ProgressDialog {
 public:
  virtual ~ProgressDialog() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetLabel(const std::string& text) = 0;
  virtual void SetCancelVisible(bool visible) = 0;
  virtual void SetBarVisible(bool visible) = 0;  // the bar and its panel
  virtual void SetProgress(int position, int max) = 0;
  virtual void Show() = 0;  // non-modal, brought to the front; sets the continue flag
  virtual void Close() = 0;
  virtual bool Continue() const = 0;
};

// The buttons of a confirmation. Those before what cannot be undone (a lock, a protect bit, a
// write over data) make No or Cancel the default, so that Enter never does it; only an
// instruction that the user carries out first (take the tag away, then OK) defaults to OK.
enum class ConfirmButtons { YesNo, OkCancel, InstructionOkCancel };

class Prompts {
 public:
  virtual ~Prompts() = default;

  // Shows the form as a modal dialog; true when it closed with an Accept action, the fields then
  // holding the answers. On Cancel the fields are unspecified and must not be read.
  virtual bool Show(PromptForm& form) = 0;

  // Interactive dialogs that stay open while the handler works: the first call opens the dialog,
  // every call returns the name of the Return, Accept or Cancel action the user pressed (the
  // fields updated). After an Accept or Cancel action, or after Close(form), the dialog is gone.
  virtual std::string Interact(PromptForm& form) = 0;
  // Pushes the form's current state to an open interactive dialog (counters, grid, log).
  virtual void Refresh(PromptForm& form) = 0;
  virtual void Close(PromptForm& form) = 0;
  // An action pressed on an open interactive dialog while its handler worked, taken from the
  // queue ("" when none): a long job that asks this between its commands reacts to Close at
  // once instead of after it has ended.
  virtual std::string TakePress(PromptForm& form) {
    (void)form;
    return "";
  }

  // Yes/No or OK/Cancel; true for Yes or OK. The default button is No or Cancel, but for an
  // instruction.
  virtual bool Confirm(const std::string& text, const std::string& caption,
                       ConfirmButtons buttons) = 0;
  // A message box with OK.
  virtual void Message(const std::string& text, const std::string& caption) = 0;
  // A message box with OK and a warning icon ("Not MPT", "Read error").
  virtual void Warning(const std::string& text, const std::string& caption) {
    Message(text, caption);
  }
  // A message box with OK and an error icon ("Write error").
  virtual void Error(const std::string& text, const std::string& caption) {
    Message(text, caption);
  }
  // File-save dialog; nullopt when cancelled.
  virtual std::optional<std::string> SaveFileName(const std::string& initial,
                                                  const std::string& filter) = 0;
  virtual std::unique_ptr<ProgressDialog> CreateProgress() = 0;
  // State of the Control key (Ctrl-click behaviours).
  virtual bool ControlHeld() const = 0;
};
