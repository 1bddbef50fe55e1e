#pragma once
// What the three SIC7888 ID format set-up dialogs (TFecavaIDWrite1Dlg, TIDWrite1Dlg,
// TBDEIdWrite1Dlg) share: the status panel PStatus, "Write" (BtWriteTag) and "Read" (BtReadTag)
// as Return actions, "Close" (CancelBtn), the check box CBAutoIncrement and the base choice
// RGHexDecimal. Escape and the window's close box press the hidden CloseBox, which the BDE
// dialog tells apart from "Close".
#include <string>

#include "prompts/prompt_form.h"

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

inline void AddIdFormatControls(PromptForm& form, const IdFormatTexts& t, bool autoIncrement,
                                int base) {
  form.AddCheck("CBAutoIncrement", t.autoIncrement, autoIncrement).row = 20;
  form.AddRadio("RGHexDecimal", "", {t.decimal, t.hexadecimal}, base, 2).row = 20;
  form.AddPanel("PStatus", "");
  form.AddAction("BtWriteTag", t.write, ActionKind::Return, true);
  form.AddAction("BtReadTag", t.read, ActionKind::Return);
  form.AddAction("CloseBox", "", ActionKind::Cancel).visible = false;
  form.AddAction("CancelBtn", t.close, ActionKind::Cancel);
}
