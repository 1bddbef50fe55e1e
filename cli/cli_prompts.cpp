#include "cli/cli_prompts.h"

#include <QJsonObject>

#include "cli/output.h"

namespace {

// The tab control of a form with pages answers to this name (the tab in front).
constexpr const char* kTabControl = "PageControl1";

// A progress dialog whose Cancel is pressed as soon as the run must stop.
class StoppableProgress : public ProgressDialog {
 public:
  StoppableProgress(std::unique_ptr<ProgressDialog> inner, std::function<bool()> stop)
      : inner_(std::move(inner)), stop_(std::move(stop)) {}
  void SetCaption(const std::string& c) override { inner_->SetCaption(c); }
  void SetLabel(const std::string& t) override { inner_->SetLabel(t); }
  void SetCancelVisible(bool v) override { inner_->SetCancelVisible(v); }
  void SetBarVisible(bool v) override { inner_->SetBarVisible(v); }
  void SetProgress(int position, int max) override { inner_->SetProgress(position, max); }
  void Show() override { inner_->Show(); }
  void Close() override { inner_->Close(); }
  bool Continue() const override { return !(stop_ && stop_()) && inner_->Continue(); }

 private:
  std::unique_ptr<ProgressDialog> inner_;
  std::function<bool()> stop_;
};

bool PressNames(const std::string& press, const PromptForm& form, const PromptAction& a) {
  return press == a.name || press == form.dialog + "." + a.name;
}

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

std::vector<std::string> CliPrompts::UnknownPresses(const std::vector<std::string>& presses,
                                                    const std::vector<PromptForm>& forms) {
  std::vector<std::string> unknown;
  for (const std::string& p : presses) {
    bool known = false;
    for (const PromptForm& f : forms) {
      if (!IsInteractive(f)) continue;
      for (const PromptAction& a : f.actions) known = known || PressNames(p, f, a);
    }
    if (!known) unknown.push_back(p);
  }
  return unknown;
}

std::string CliPrompts::CloseAction(const PromptForm& form) {
  for (const PromptAction& a : form.actions)
    if (a.kind == ActionKind::Accept && a.visible) return a.name;
  for (const PromptAction& a : form.actions)
    if (a.kind == ActionKind::Cancel) return a.name;
  return "CancelBtn";
}

void CliPrompts::Closed(const PromptForm& form) {
  if (open_.erase(&form)) closed_.push_back(form);
}

bool CliPrompts::Show(PromptForm& form) {
  if (Stopping()) {
    stoppedDialog_ = true;
    return false;
  }
  Opening(form);
  return ScriptedPrompts::Show(form);
}

std::string CliPrompts::Interact(PromptForm& form) {
  if (Stopping()) {
    // Closed as a user closes it: a dialog that is open with its own close button, which keeps
    // what it keeps on closing; one not yet shown is cancelled before it opens.
    stoppedDialog_ = true;
    const bool wasOpen = open_.count(&form) > 0;
    ScriptedPrompts::Close(form);
    if (!wasOpen) {
      for (const PromptAction& a : form.actions)
        if (a.kind == ActionKind::Cancel) return a.name;
      return "CancelBtn";
    }
    const std::string action = CloseAction(form);
    Closed(form);
    return action;
  }
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
  if (!a || a->kind == ActionKind::Accept || a->kind == ActionKind::Cancel) Closed(form);
  return action;
}

void CliPrompts::Close(PromptForm& form) {
  Closed(form);
  ScriptedPrompts::Close(form);
}

bool CliPrompts::Confirm(const std::string& text, const std::string& caption, ConfirmButtons b) {
  if (Stopping()) return false;
  if (!script_.confirm) unansweredConfirm_ = true;
  const bool yes = ScriptedPrompts::Confirm(text, caption, b);
  if (echo_) {
    const char* answer =
        b == ConfirmButtons::YesNo ? (yes ? "Yes" : "No") : (yes ? "OK" : "Cancel");
    Output::Get().Note("confirm: " + text + " -> " + answer +
                           (script_.confirm ? "" : " (neither --yes nor --no given)"),
                       "confirm", {{"question", QString::fromStdString(text)}, {"yes", yes}});
  }
  return yes;
}

void CliPrompts::Message(const std::string& text, const std::string& caption) {
  ScriptedPrompts::Message(text, caption);
  if (echo_)
    Output::Get().Note(
        "message: " + caption + (caption.empty() ? "" : ": ") + text, "message",
        {{"caption", QString::fromStdString(caption)}, {"message", QString::fromStdString(text)}});
}

std::optional<std::string> CliPrompts::SaveFileName(const std::string& initial,
                                                    const std::string& filter) {
  if (dry_ || Stopping()) return std::nullopt;
  return ScriptedPrompts::SaveFileName(initial, filter);
}

std::unique_ptr<ProgressDialog> CliPrompts::CreateProgress() {
  return std::make_unique<StoppableProgress>(ScriptedPrompts::CreateProgress(), stop_);
}
