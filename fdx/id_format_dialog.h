#pragma once
// What the three SIC7888 ID format set-up dialogs (TFecavaIDWrite1Dlg, TIDWrite1Dlg,
// TBDEIdWrite1Dlg) share: the status panel PStatus, "Write" (BtWriteTag) and "Read" (BtReadTag)
// as Return actions, "Close" (CancelBtn), the check box CBAutoIncrement and the base choice
// RGHexDecimal. Escape and the window's close box press the hidden CloseBox, which the BDE
// dialog tells apart from "Close".
#include <functional>
#include <string>

#include "prompts/prompt_form.h"

class AppCore;

// The captions in the dialog's language (each dialog has its own translation context).
struct IdFormatTexts {
  std::string write, read, close, autoIncrement, decimal, hexadecimal;
};

inline constexpr int kBaseDecimal = 0;
inline constexpr int kBaseHexadecimal = 1;

// A base kept in the settings: 1 hexadecimal, anything else decimal.
inline int BaseIndexOf(int setting) {
  return setting == 1 ? kBaseHexadecimal : kBaseDecimal;
}

void AddIdFormatControls(PromptForm& form, const IdFormatTexts& t, bool autoIncrement, int base);

// What "Write" and "Read" do: the step writes its outcome into the status panel PStatus.
using IdFormatStep = std::function<void(PromptField& status)>;

// Runs the dialog until it closes: "Write" and "Read" each empty the status panel, show that,
// run their step and show its outcome. Returns the action that closed the dialog ("CancelBtn"
// for "Close", "CloseBox" for Escape and the window's close box).
std::string RunIdFormatDialog(AppCore& app, PromptForm& form, const IdFormatStep& write,
                              const IdFormatStep& read);
