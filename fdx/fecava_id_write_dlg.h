#pragma once
// TFecavaIDWrite1Dlg ("Fecava ID Config Setup"): five 7-bit values ID1 .. ID5 (hexadecimal),
// written as a FECAVA image into a SIC7888 configured for the FDX-A layout, and read back with
// the FECAVA read. Any number of writes and reads until the dialog closes; however it closes,
// the five fields are handed back.
#include <array>
#include <cstdint>

#include "prompts/prompt_form.h"

class AppCore;

struct FecavaDialogValues {
  std::array<uint8_t, 5> values{};  // v1 .. v5
  bool autoIncrement = false;       // hidden in this dialog, kept as handed over
  int base = 0;                     // hidden in this dialog, kept as handed over
};

FecavaDialogValues RunFecavaIDWrite1Dlg(AppCore& app, const FecavaDialogValues& in);

// --- The parts of the dialog, for its tests ---
PromptForm MakeFecavaIDWrite1Dlg(const FecavaDialogValues& in);
// The five fields, each modulo 128.
std::array<uint8_t, 5> FecavaFieldValues(const PromptForm& form);
