#pragma once
// Prompts answered from a script: tests and the command runner. An answer is keyed by the field's
// control name ("IntEd1") or by dialog class and control name ("TInp3Data1Dlg.IntEd2"); a field
// without an answer keeps the initial value the dialog would show, exactly as pressing OK at once.
// Numbers go through the numeric edit model as if typed and the field then left.
#include <deque>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "prompts/prompts.h"

class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScriptedPrompts : public Prompts {
 public:
  // KEY=VALUE answer; VALUE of a choice or radio group is the item index or the item text, of a
  // check box 1/0/true/false/yes/no.
  void Answer(const std::string& key, const std::string& value);
  // Answers every confirmation with Yes/OK (default) or No/Cancel.
  void SetConfirm(bool yes) { confirm_ = yes; }
  // Queues one confirmation answer ahead of the default.
  void QueueConfirm(bool yes) { confirmQueue_.push_back(yes); }
  // The next Show or Interact is cancelled (and nothing after it is asked).
  void CancelFirst() { cancelFirst_ = true; }
  // Cancels every Show of this dialog class.
  void CancelDialog(const std::string& dialog) { cancelDialogs_.insert(dialog); }
  // Queues an action press for an interactive dialog ("Dialog.Action" or "Action"); when the
  // queue of a dialog is empty, Interact answers with its Cancel action.
  void Press(const std::string& key);
  // Queues an action pressed while the handler works ("Dialog.Action" or "Action"): TakePress
  // hands it out at the handler's `afterPolls`+1-th question for that dialog.
  void PressWhileWorking(const std::string& key, int afterPolls = 0);
  // File name answered by SaveFileName (nullopt: cancelled).
  void SetSaveFileName(std::optional<std::string> name) { saveFileName_ = std::move(name); }
  void SetControlHeld(bool held) { control_ = held; }
  // Progress dialogs report Cancel after this many polls of their continue flag (-1: never).
  void SetProgressCancelAfter(int polls) { progressCancelAfter_ = polls; }

  // What was shown, for tests.
  std::vector<PromptForm> shown;
  std::vector<std::string> messages;
  std::vector<std::string> confirmations;
  std::vector<std::string> warnings;  // the Warning boxes among `messages`

  // Answer keys that matched no field of any form shown (unknown fields).
  std::vector<std::string> UnusedAnswers() const;

  bool Show(PromptForm& form) override;
  std::string Interact(PromptForm& form) override;
  void Refresh(PromptForm&) override {}
  void Close(PromptForm& form) override;
  bool Confirm(const std::string& text, const std::string& caption, ConfirmButtons b) override;
  void Message(const std::string& text, const std::string& caption) override;
  void Warning(const std::string& text, const std::string& caption) override;
  std::string TakePress(PromptForm& form) override;
  std::optional<std::string> SaveFileName(const std::string& initial,
                                          const std::string& filter) override;
  std::unique_ptr<ProgressDialog> CreateProgress() override;
  bool ControlHeld() const override { return control_; }

  // Applies one answer to a field, as the user would (throws ScriptError on a bad value).
  static void ApplyValue(PromptForm& form, PromptField& field, const std::string& value);

 private:
  void ApplyAnswers(PromptForm& form);
  std::vector<std::pair<std::string, std::string>> answers_;
  std::set<std::string> used_;
  std::deque<std::string> presses_;
  struct WorkPress {
    std::string key;
    int polls = 0;  // questions still answered with ""
  };
  std::deque<WorkPress> workPresses_;
  std::set<const PromptForm*> open_;
  bool confirm_ = true;
  std::deque<bool> confirmQueue_;
  bool cancelFirst_ = false;
  std::set<std::string> cancelDialogs_;
  std::optional<std::string> saveFileName_;
  bool control_ = false;
  int progressCancelAfter_ = -1;
};
