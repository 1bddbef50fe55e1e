#pragma once
// TBDEIdWrite1Dlg ("BDE Config Setup"): the five fields of a BDE code, switched together between
// decimal and hexadecimal, written with IdWrite into a SIC7888 configured for the BDE layout,
// with an optional increment of the serial number after each successful write, and read back
// with the FDX read. "Close" composes the fields into the code handed back; Escape and the close
// box hand back the code of the last write (or the one handed in).
#include <cstdint>

#include "prompts/prompt_form.h"

class AppCore;

struct BdeDialogValues {
  uint64_t code = 0;  // a BdeIdCode
  bool autoIncrement = false;
  int base = 0;  // 0 decimal, 1 hexadecimal
};

BdeDialogValues RunBDEIdWrite1Dlg(AppCore& app, const BdeDialogValues& in);

// --- The parts of the dialog, for its tests ---
// Flag 0 and application code 4194304 whatever the code holds; type, supplier and serial from it.
PromptForm MakeBDEIdWrite1Dlg(const BdeDialogValues& in);
// The code of the five fields, each cut to its width.
uint64_t BdeCodeOfFields(const PromptForm& form);
