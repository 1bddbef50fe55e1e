#pragma once
// A dry pass of a handler: the same handler on a twin of the main window whose module answers
// every command at once with an acknowledgement (the code echoed, then bytes of one value), over
// a private copy of the settings. Two passes, one answering zeros and one 0xFF bytes, find the
// dialogs that handlers show only after a read found something set or clear. It shows which dialogs
// the handler opens, with which fields, ranges and initial values, which answers fit them and
// whether it sends at all, before the real module hears anything. `run` checks the script with it;
// `list` prints the dialogs it found.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/handler_registry.h"
#include "cli/cli_prompts.h"
#include "core/settings.h"

struct DryRunContext {
  std::string settingsPath;  // a scratch copy: the pass may write it
  OptionSettings settings;   // the remembered values at the start of the run
  int readerLevel = 3;
  bool animalId = false;
};

struct DryRunResult {
  std::vector<PromptForm> forms;   // every dialog shown, as shown (answers applied)
  std::vector<bool> afterCommand;  // per form: shown after the handler's first command
  size_t formsBeforeFirstCommand = 0;
  int commands = 0;          // commands the handler sent (answered by the twin)
  bool interactive = false;  // a dialog that stays open was shown
  std::vector<std::string> confirmations;
  bool unansweredConfirmation = false;
  std::vector<std::string> unusedAnswers;  // answer keys applied to no field
  std::optional<std::string> scriptError;  // a bad value or an unknown prefixed field
  std::optional<std::string> error;        // anything else the handler threw
};

class Session;

// The context of the run's session: its remembered values in its scratch settings copy, at a
// reader level.
DryRunContext DryContextOf(Session& session, int level);

// One pass with answers filled with `fill`.
DryRunResult RunDry(const Handler& handler, const std::string& item, const DryRunContext& context,
                    const PromptScript& script, uint8_t fill);
// Both passes, merged: the dialogs of either, the answers neither used, the first pass's count of
// dialogs before the first command.
DryRunResult RunDryPasses(const Handler& handler, const std::string& item,
                          const DryRunContext& context, const PromptScript& script);

// Whether an answer key names a field (or the tab control) of one of the forms.
bool KeyNamesAField(const std::string& key, const std::vector<PromptForm>& forms);
// Whether the key names a field of the forms that was disabled or read-only when shown.
bool KeyNamesALockedField(const std::string& key, const std::vector<PromptForm>& forms);
