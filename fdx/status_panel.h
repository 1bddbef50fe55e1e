#pragma once
// The coloured status panels of the ID programming dialogs (Panel3, PStatus): a text in the
// panel's normal colour, in green for a success or in red for a failure.
#include <string>

#include "prompts/prompt_form.h"

namespace fdx {

inline constexpr int kStatusNormal = -1;  // the panel's own colour
inline constexpr int kStatusGreen = 0x008000;
inline constexpr int kStatusRed = 0xFF0000;

inline void ShowStatus(PromptField& panel, std::string text, int color = kStatusNormal) {
  panel.text = std::move(text);
  panel.color = color;
}

}  // namespace fdx
