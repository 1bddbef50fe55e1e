#pragma once
// TIDWrite1Dlg ("EM ID Config Setup"): a 40-bit EM ID entered in decimal (EdIDData) or as up to 10
// hexadecimal digits (EdIDData_Hex), written as an EM4100 frame into blocks 4 and 5 of a SIC7888
// configured for the EM layout, with an optional increment after each successful write, and read
// back with the FDX read. However the dialog closes, the EM ID of the visible field, the check
// box and the base are handed back.
#include <cstdint>

#include "prompts/prompt_form.h"

class AppCore;

struct EmIdDialogValues {
  uint64_t emId = 0;
  bool autoIncrement = false;
  int base = 0;  // 0 decimal, 1 hexadecimal
};

EmIdDialogValues RunIDWrite1Dlg(AppCore& app, const EmIdDialogValues& in);

// --- The parts of the dialog, for its tests ---
PromptForm MakeIDWrite1Dlg(const EmIdDialogValues& in);
// The EM ID of the visible field.
uint64_t EmIdOfFields(const PromptForm& form);
// Writes an EM ID into the visible field (10 hexadecimal digits or decimal).
void SetEmIdField(PromptForm& form, uint64_t emId);
// After a successful write: the EM ID plus 1, or 1 beyond 1099511627775.
uint64_t NextEmId(uint64_t emId);
