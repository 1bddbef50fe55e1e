#include "prompts/scripted_prompts.h"

#include <algorithm>
#include <optional>

namespace {

bool KeyMatches(const std::string& key, const PromptForm& form, const std::string& name) {
  return key == name || key == form.dialog + "." + name;
}

// An item index written as a number (-1: none), or nullopt.
std::optional<int> ItemIndex(const std::string& value, size_t count) {
  try {
    size_t used = 0;
    const int i = std::stoi(value, &used);
    if (used == value.size() && i >= -1 && i < static_cast<int>(count)) return i;
  } catch (const std::logic_error&) {
  }
  return std::nullopt;
}

class ScriptedProgress : public ProgressDialog {
 public:
  explicit ScriptedProgress(int cancelAfter) : cancelAfter_(cancelAfter) {}
  void SetCaption(const std::string&) override {}
  void SetLabel(const std::string&) override {}
  void SetCancelVisible(bool) override {}
  void SetBarVisible(bool) override {}
  void SetProgress(int, int) override {}
  void Show() override { continue_ = true; }
  void Close() override {}
  bool Continue() const override {
    if (cancelAfter_ >= 0 && polls_++ >= cancelAfter_) continue_ = false;
    return continue_;
  }

 private:
  int cancelAfter_;
  mutable int polls_ = 0;
  mutable bool continue_ = true;
};

}  // namespace

void ScriptedPrompts::Answer(const std::string& key, const std::string& value) {
  answers_.emplace_back(key, value);
}

void ScriptedPrompts::Press(const std::string& key) {
  presses_.push_back(key);
}

std::vector<std::string> ScriptedPrompts::UnusedAnswers() const {
  std::vector<std::string> out;
  for (const auto& [k, v] : answers_)
    if (!used_.count(k)) out.push_back(k);
  return out;
}

void ScriptedPrompts::ApplyValue(PromptForm& form, PromptField& f, const std::string& value) {
  auto bad = [&] {
    throw ScriptError("bad value for " + form.dialog + "." + f.name + ": \"" + value + "\"");
  };
  switch (f.kind) {
    case FieldKind::Number:
      if (!f.number.SetText(value)) bad();
      f.number.Commit();
      break;
    case FieldKind::Text:
    case FieldKind::Label:
    case FieldKind::Panel:
      f.text = value;
      break;
    case FieldKind::Choice:
    case FieldKind::Radio: {
      auto it = std::find(f.items.begin(), f.items.end(), value);
      if (it != f.items.end()) {
        f.index = static_cast<int>(it - f.items.begin());
      } else if (auto i = ItemIndex(value, f.items.size())) {
        f.index = *i;
      } else if (f.kind == FieldKind::Choice && f.choiceStyle == ChoiceStyle::DropDown) {
        f.index = -1;  // typed into the editable drop-down: no item selected
        f.text = value;
        break;
      } else {
        bad();
      }
      if (f.kind == FieldKind::Choice)
        f.text = f.index >= 0 ? f.items[static_cast<size_t>(f.index)] : "";
      break;
    }
    case FieldKind::Check:
      if (value == "1" || value == "true" || value == "yes" || value == "on")
        f.checked = true;
      else if (value == "0" || value == "false" || value == "no" || value == "off")
        f.checked = false;
      else
        bad();
      break;
    case FieldKind::Memo:
      f.lines = {value};
      break;
    case FieldKind::Table:
      bad();
  }
  form.Changed(f.name);
}

void ScriptedPrompts::ApplyAnswers(PromptForm& form) {
  for (const auto& [key, value] : answers_) {
    // "PageControl1": the tab in front, by page name, tab text or index.
    if (!form.pages.empty() && KeyMatches(key, form, kPageControl)) {
      const auto& captions = form.pageCaptions;
      auto page = std::find(form.pages.begin(), form.pages.end(), value);
      auto caption = std::find(captions.begin(), captions.end(), value);
      if (page == form.pages.end() && caption != captions.end())
        page = form.pages.begin() + (caption - captions.begin());
      if (page == form.pages.end())
        if (auto i = ItemIndex(value, form.pages.size()); i && *i >= 0)
          page = form.pages.begin() + *i;
      if (page == form.pages.end())
        throw ScriptError("bad value for " + form.dialog + "." + kPageControl + ": \"" + value +
                          "\"");
      form.activePage = *page;
      used_.insert(key);
      form.Changed(kPageControl);
      continue;
    }
    for (PromptField& f : form.fields) {
      if (!KeyMatches(key, form, f.name)) continue;
      if (!f.enabled || f.readOnly) continue;
      ApplyValue(form, f, value);
      used_.insert(key);
    }
  }
}

bool ScriptedPrompts::Show(PromptForm& form) {
  if (cancelFirst_ || cancelDialogs_.count(form.dialog)) {
    cancelFirst_ = false;
    shown.push_back(form);
    return false;
  }
  ApplyAnswers(form);
  shown.push_back(form);
  return true;
}

std::string ScriptedPrompts::Interact(PromptForm& form) {
  const bool first = !open_.count(&form);
  auto cancelName = [&] {
    for (const auto& a : form.actions)
      if (a.kind == ActionKind::Cancel) return a.name;
    return std::string("CancelBtn");
  };
  if (first) {
    if (cancelFirst_ || cancelDialogs_.count(form.dialog)) {
      cancelFirst_ = false;
      shown.push_back(form);
      return cancelName();
    }
    open_.insert(&form);
    ApplyAnswers(form);
    shown.push_back(form);
  }
  while (!presses_.empty()) {
    const std::string key = presses_.front();
    PromptAction* action = nullptr;
    for (auto& a : form.actions)
      if (KeyMatches(key, form, a.name)) action = &a;
    if (!action) break;  // meant for another dialog
    presses_.pop_front();
    if (!action->enabled || !action->visible) continue;
    if (action->kind == ActionKind::Local) {
      if (form.onAction) form.onAction(form, action->name);
      continue;
    }
    if (action->kind == ActionKind::Accept || action->kind == ActionKind::Cancel)
      open_.erase(&form);
    return action->name;
  }
  open_.erase(&form);
  return cancelName();
}

void ScriptedPrompts::Close(PromptForm& form) {
  open_.erase(&form);
}

bool ScriptedPrompts::Confirm(const std::string& text, const std::string&, ConfirmButtons) {
  confirmations.push_back(text);
  if (!confirmQueue_.empty()) {
    bool yes = confirmQueue_.front();
    confirmQueue_.pop_front();
    return yes;
  }
  return confirm_;
}

void ScriptedPrompts::Message(const std::string& text, const std::string&) {
  messages.push_back(text);
}

void ScriptedPrompts::Warning(const std::string& text, const std::string& caption) {
  warnings.push_back(text);
  Message(text, caption);
}

void ScriptedPrompts::PressWhileWorking(const std::string& key, int afterPolls) {
  workPresses_.push_back({key, afterPolls});
}

std::string ScriptedPrompts::TakePress(PromptForm& form) {
  for (auto it = workPresses_.begin(); it != workPresses_.end(); ++it) {
    const PromptAction* action = nullptr;
    for (const auto& a : form.actions)
      if (KeyMatches(it->key, form, a.name)) action = &a;
    if (!action) continue;
    if (it->polls-- > 0) return "";
    workPresses_.erase(it);
    return action->name;
  }
  return "";
}

std::optional<std::string> ScriptedPrompts::SaveFileName(const std::string& initial,
                                                         const std::string&) {
  if (saveFileName_) return saveFileName_;
  return initial.empty() ? std::nullopt : std::optional<std::string>(initial);
}

std::unique_ptr<ProgressDialog> ScriptedPrompts::CreateProgress() {
  return std::make_unique<ScriptedProgress>(progressCancelAfter_);
}
