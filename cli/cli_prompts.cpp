#include "cli/cli_prompts.h"

namespace {

// The tab control of a form with pages answers to this name (the tab in front).
constexpr const char* kTabControl = "PageControl1";

}  // namespace

void CliPrompts::Configure(const PromptScript& script) {
  script_ = script;
  for (const auto& [key, value] : script.answers) Answer(key, value);
  SetConfirm(script.confirm.value_or(false));
  if (script.cancel) {
    CancelFirst();
    cancelPending_ = true;
  }
  for (const std::string& p : script.presses) Press(p);
  if (script.file) SetSaveFileName(*script.file);
  SetControlHeld(script.control);
}

void CliPrompts::CheckPrefixedKeys(
    const PromptForm& form, const std::vector<std::pair<std::string, std::string>>& answers) {
  const std::string prefix = form.dialog + ".";
  for (const auto& [key, value] : answers) {
    if (key.rfind(prefix, 0) != 0) continue;
    const std::string name = key.substr(prefix.size());
    if (form.Find(name) || (!form.pages.empty() && name == kTabControl)) continue;
    std::string fields;
    for (const PromptField& f : form.fields) {
      if (f.kind == FieldKind::Label || f.kind == FieldKind::Panel) continue;
      fields += (fields.empty() ? "" : ", ") + f.name;
    }
    throw ScriptError("unknown field " + key + " (the fields of " + form.dialog + ": " +
                      (fields.empty() ? "none" : fields) + ")");
  }
}

bool CliPrompts::IsInteractive(const PromptForm& form) {
  for (const PromptAction& a : form.actions)
    if (a.kind == ActionKind::Return) return true;
  return false;
}

void CliPrompts::Opening(const PromptForm& form) {
  if (cancelPending_) {
    cancelPending_ = false;
    cancelled_ = true;
    return;
  }
  CheckPrefixedKeys(form, script_.answers);
}

bool CliPrompts::Show(PromptForm& form) {
  Opening(form);
  return ScriptedPrompts::Show(form);
}

std::string CliPrompts::Interact(PromptForm& form) {
  if (!open_.count(&form)) {
    const bool cancelling = cancelPending_;
    Opening(form);
    open_.insert(&form);
    if (!cancelling && script_.presses.empty()) {
      // N presses of the default action, then the dialog's own close button.
      for (const PromptAction& a : form.actions)
        if (a.isDefault && a.kind == ActionKind::Return)
          for (int i = 0; i < script_.repeat.value_or(1); ++i) Press(form.dialog + "." + a.name);
      for (const PromptAction& a : form.actions)
        if (a.kind == ActionKind::Accept && a.visible) {
          Press(form.dialog + "." + a.name);
          break;
        }
    }
  }
  const std::string action = ScriptedPrompts::Interact(form);
  const PromptAction* a = form.FindAction(action);
  if (!a || a->kind == ActionKind::Accept || a->kind == ActionKind::Cancel) open_.erase(&form);
  return action;
}

void CliPrompts::Close(PromptForm& form) {
  open_.erase(&form);
  ScriptedPrompts::Close(form);
}

bool CliPrompts::Confirm(const std::string& text, const std::string& caption, ConfirmButtons b) {
  if (!script_.confirm) unansweredConfirm_ = true;
  const bool yes = ScriptedPrompts::Confirm(text, caption, b);
  if (echo_) {
    const char* answer =
        b == ConfirmButtons::YesNo ? (yes ? "Yes" : "No") : (yes ? "OK" : "Cancel");
    std::fprintf(echo_, "confirm: %s -> %s%s\n", text.c_str(), answer,
                 script_.confirm ? "" : " (neither --yes nor --no given)");
  }
  return yes;
}

void CliPrompts::Message(const std::string& text, const std::string& caption) {
  ScriptedPrompts::Message(text, caption);
  if (echo_)
    std::fprintf(echo_, "message: %s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ",
                 text.c_str());
}

std::optional<std::string> CliPrompts::SaveFileName(const std::string& initial,
                                                    const std::string& filter) {
  if (dry_) return std::nullopt;
  return ScriptedPrompts::SaveFileName(initial, filter);
}
