#pragma once
// The command runner's prompts: the scripted prompts with what a script on the command line
// needs on top. Answers whose key names a dialog class are checked against the dialog's fields
// when it opens, before the handler can send anything for it; dialogs that stay open (the ID
// write dialogs, the tag viewer, the command test dialog) get N presses of their default action
// and are then closed with their own close button, as a user would; confirmations and message
// boxes are echoed on standard error.
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "prompts/scripted_prompts.h"

// What the command line says about the prompts of one run.
struct PromptScript {
  std::vector<std::pair<std::string, std::string>> answers;  // KEY=VALUE, in order
  std::optional<bool> confirm;                               // --yes / --no; unset: not given
  bool cancel = false;                                       // --cancel
  std::optional<int> repeat;                                 // --repeat N (default 1)
  std::vector<std::string> presses;                          // --press ACTION, in order
  std::optional<std::string> file;                           // --file PATH (file-save dialogs)
  bool control = false;                                      // --ctrl
};

class CliPrompts : public ScriptedPrompts {
 public:
  void Configure(const PromptScript& script);
  // A pass whose effects must not count: file-save dialogs are cancelled.
  void SetDry(bool dry) { dry_ = dry; }
  // Where confirmations and message boxes are echoed (nullptr: nowhere).
  void SetEcho(std::FILE* echo) { echo_ = echo; }

  // A confirmation was asked although the script gave neither --yes nor --no (answered No).
  bool UnansweredConfirmation() const { return unansweredConfirm_; }
  // --cancel closed a dialog.
  bool Cancelled() const { return cancelled_; }

  // Answer keys "Dialog.Field" for this form's dialog class must name one of its fields; throws
  // ScriptError naming the key and the fields otherwise.
  static void CheckPrefixedKeys(const PromptForm& form,
                                const std::vector<std::pair<std::string, std::string>>& answers);
  // Whether a form stays open while its handler works (it has actions that return to it).
  static bool IsInteractive(const PromptForm& form);

  bool Show(PromptForm& form) override;
  std::string Interact(PromptForm& form) override;
  void Close(PromptForm& form) override;
  bool Confirm(const std::string& text, const std::string& caption, ConfirmButtons b) override;
  void Message(const std::string& text, const std::string& caption) override;
  std::optional<std::string> SaveFileName(const std::string& initial,
                                          const std::string& filter) override;

 private:
  void Opening(const PromptForm& form);
  PromptScript script_;
  std::set<const PromptForm*> open_;
  bool dry_ = false;
  std::FILE* echo_ = nullptr;
  bool cancelPending_ = false;
  bool cancelled_ = false;
  bool unansweredConfirm_ = false;
};
