#pragma once
// The coloured status panels of the ID programming dialogs (Panel3, PStatus): a text in the
// panel's normal colour, in green for a success or in red for a failure. What a panel shows is
// part of the handler's outcome: a green text is an OK result, a red one an NG result, a text in
// the normal colour information, unless the caller says what it is.
#include <optional>
#include <string>

#include "app/app_core.h"
#include "prompts/prompt_form.h"

namespace fdx {

inline constexpr int kStatusNormal = -1;  // the panel's own colour
inline constexpr int kStatusGreen = 0x008000;
inline constexpr int kStatusRed = 0xFF0000;

inline void ShowStatus(AppCore& app, const PromptForm& form, PromptField& panel, std::string text,
                       int color = kStatusNormal, std::optional<bool> ok = std::nullopt) {
  panel.text = std::move(text);
  panel.color = color;
  if (!ok && color == kStatusGreen) ok = true;
  if (!ok && color == kStatusRed) ok = false;
  // Emptying the panel before a command is no report.
  if (!panel.text.empty()) app.ReportStatus(form.dialog, panel.name, panel.text, ok);
}

}  // namespace fdx
