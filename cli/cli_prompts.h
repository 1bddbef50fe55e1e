#pragma once
// The command runner's prompts: the scripted prompts with what a script on the command line
// needs on top. Answers whose key names a dialog class are checked against the dialog's fields
// when it opens, before the handler can send anything for it; dialogs that stay open (the ID
// write dialogs, the tag viewer, the command test dialog) get N presses of their default action
// and are then closed with their own close button, as a user would; confirmations and message
// boxes are echoed on standard error (and as events with --json). When the run must stop (a
// signal, a vanished port) every dialog ends the way a user would end it: a dialog that stays
// open is closed with its own close button, a modal one cancelled, a progress dialog cancelled.
#include <functional>
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
  // Whether confirmations and message boxes are echoed (cli/output.h).
  void SetEcho(bool echo) { echo_ = echo; }
  // The run must stop when this holds (cli/session.h).
  void SetStop(std::function<bool()> stop) { stop_ = std::move(stop); }
  // The dialog closed by a stop, if one was (its form as it was then).
  bool StoppedADialog() const { return stoppedDialog_; }
  // Interactive forms as they were when they closed, in order (what the fields held then).
  const std::vector<PromptForm>& ClosedForms() const { return closed_; }

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
  std::unique_ptr<ProgressDialog> CreateProgress() override;

  // Press names the script gives that name no action of these forms; empty when all do.
  static std::vector<std::string> UnknownPresses(const std::vector<std::string>& presses,
                                                 const std::vector<PromptForm>& forms);

 private:
  void Opening(const PromptForm& form);
  bool Stopping() const { return stop_ && stop_(); }
  // The action a user closes the dialog with: its visible close button, else its Cancel.
  static std::string CloseAction(const PromptForm& form);
  void Closed(const PromptForm& form);
  PromptScript script_;
  std::set<const PromptForm*> open_;
  bool dry_ = false;
  bool echo_ = false;
  std::function<bool()> stop_;
  bool stoppedDialog_ = false;
  std::vector<PromptForm> closed_;
  bool cancelPending_ = false;
  bool cancelled_ = false;
  bool unansweredConfirm_ = false;
};
