#include "prompts/prompt_form.h"

#include <stdexcept>

PromptField* PromptForm::Find(const std::string& name) {
  for (auto& f : fields)
    if (f.name == name) return &f;
  return nullptr;
}

const PromptField* PromptForm::Find(const std::string& name) const {
  for (const auto& f : fields)
    if (f.name == name) return &f;
  return nullptr;
}

PromptField& PromptForm::Field(const std::string& name) {
  if (PromptField* f = Find(name)) return *f;
  throw std::logic_error(dialog + ": no field " + name);
}

const PromptField& PromptForm::Field(const std::string& name) const {
  if (const PromptField* f = Find(name)) return *f;
  throw std::logic_error(dialog + ": no field " + name);
}

PromptAction* PromptForm::FindAction(const std::string& name) {
  for (auto& a : actions)
    if (a.name == name) return &a;
  return nullptr;
}

PromptAction& PromptForm::Action(const std::string& name) {
  if (PromptAction* a = FindAction(name)) return *a;
  throw std::logic_error(dialog + ": no action " + name);
}

namespace {
PromptField& Add(PromptForm& form, const std::string& name, FieldKind kind,
                 const std::string& label) {
  PromptField f;
  f.name = name;
  f.kind = kind;
  f.label = label;
  form.fields.push_back(std::move(f));
  return form.fields.back();
}
}  // namespace

PromptField& PromptForm::AddLabel(const std::string& name, const std::string& text) {
  PromptField& f = Add(*this, name, FieldKind::Label, "");
  f.text = text;
  return f;
}

PromptField& PromptForm::AddNumber(const std::string& name, const std::string& label,
                                   const NumberSpec& spec, double value) {
  PromptField& f = Add(*this, name, FieldKind::Number, label);
  f.number = NumberEditModel(spec, value);
  return f;
}

PromptField& PromptForm::AddText(const std::string& name, const std::string& label,
                                 const std::string& text) {
  PromptField& f = Add(*this, name, FieldKind::Text, label);
  f.text = text;
  return f;
}

PromptField& PromptForm::AddChoice(const std::string& name, const std::string& label,
                                   std::vector<std::string> items, int index) {
  PromptField& f = Add(*this, name, FieldKind::Choice, label);
  f.items = std::move(items);
  f.index = index;
  return f;
}

PromptField& PromptForm::AddRadio(const std::string& name, const std::string& label,
                                  std::vector<std::string> items, int index, int columns) {
  PromptField& f = Add(*this, name, FieldKind::Radio, label);
  f.items = std::move(items);
  f.index = index;
  f.columns = columns;
  return f;
}

PromptField& PromptForm::AddCheck(const std::string& name, const std::string& label, bool checked) {
  PromptField& f = Add(*this, name, FieldKind::Check, label);
  f.checked = checked;
  return f;
}

PromptField& PromptForm::AddTable(const std::string& name, int rows, int cols) {
  PromptField& f = Add(*this, name, FieldKind::Table, "");
  f.cells.assign(static_cast<size_t>(rows), std::vector<std::string>(static_cast<size_t>(cols)));
  f.cellColors.assign(static_cast<size_t>(rows), std::vector<int>(static_cast<size_t>(cols), -1));
  return f;
}

PromptField& PromptForm::AddMemo(const std::string& name) {
  return Add(*this, name, FieldKind::Memo, "");
}

PromptField& PromptForm::AddPanel(const std::string& name, const std::string& text) {
  PromptField& f = Add(*this, name, FieldKind::Panel, "");
  f.text = text;
  return f;
}

PromptAction& PromptForm::AddAction(const std::string& name, const std::string& caption,
                                    ActionKind kind, bool isDefault) {
  PromptAction a;
  a.name = name;
  a.caption = caption;
  a.kind = kind;
  a.isDefault = isDefault;
  actions.push_back(std::move(a));
  return actions.back();
}

void PromptForm::AddPage(const std::string& name, const std::string& caption) {
  pageCaptions.resize(pages.size());
  pages.push_back(name);
  pageCaptions.push_back(caption);
}

void PromptForm::AddOkCancel(const std::string& okCaption, const std::string& cancelCaption) {
  AddAction("OKBtn", okCaption, ActionKind::Accept, true);
  AddAction("CancelBtn", cancelCaption, ActionKind::Cancel);
}

NumberSpec DecimalSpec(double min, double max, bool limit) {
  NumberSpec s;
  s.Min = min;
  s.Max = max;
  s.Limit = limit;
  return s;
}

NumberSpec HexSpec(double min, double max, bool limit, int figure) {
  NumberSpec s = DecimalSpec(min, max, limit);
  s.NumberType = TNumberType::ntHex;
  s.Figure = figure;
  return s;
}
