#pragma once
// A log pane backed by a Memo field of a form: the command test dialog's Memo1, where its own
// lines and, while it is open, the communication module's lines go.
#include <string>

#include "core/log_pane.h"
#include "prompts/prompt_form.h"

class FormMemoLogPane : public LogPane {
 public:
  FormMemoLogPane(PromptForm& form, std::string field) : form_(form), field_(std::move(field)) {}
  int LineCount() const override { return static_cast<int>(Lines().size()); }
  void Clear() override { Lines().clear(); }
  void Append(const std::string& line) override { Lines().push_back(line); }

 private:
  std::vector<std::string>& Lines() const { return form_.Field(field_).lines; }
  PromptForm& form_;
  std::string field_;
};
