#pragma once
// TSetID2Dlg, the plain animal-ID dialog of the HDX+: flag, country code 999 and national ID, one
// write per opening (0x3B, the 8 bytes, no lock). "Write" stores the composed code as the stored
// animal ID before sending it; "Cancel" changes nothing.
#include <cstdint>

#include "prompts/prompt_form.h"

class AppCore;

void RunSetID2Dlg(AppCore& app);

// The form: RGFlag "Animal", EdCountryCode 999 (disabled), EdNationalCode the national ID of
// `storedId` (limited to the 38 bits of the field, so nothing typed is cut unseen).
PromptForm MakeSetID2Dlg(uint64_t storedId);
// The code of the fields: every field cleared, then national ID, country code and the flag.
uint64_t SetId2Code(const PromptForm& form);
