#pragma once
// TSetAnimalID1Dlg, the detailed animal-ID dialog of all four chips: the 15-digit number STID
// composed from the country code (999), the Japanese animal code, the maker code and the
// individual number, plus every extension field of the ISO 11784 code. One write per opening:
// the SIC7888 is written without its configuration step ("IDWrite[SIC7888]"), the others as
// "Animal ID Write"; the SIC279 and HDX+ may lock the ID. Opening sets the country code of the
// stored animal ID to 999 for good; "Write" stores the composed code; the settings file is not
// saved here.
#include <cstdint>
#include <string>
#include <string_view>

#include "fdx/animal_id_write.h"
#include "prompts/prompt_form.h"

class AppCore;

void RunSetAnimalID1Dlg(AppCore& app, fdx::IdChip chip);

// --- The parts of the dialog, for its tests ---

// The form for the stored code (its country code already 999), CBfLock shown or hidden.
PromptForm MakeSetAnimalID1Dlg(uint64_t storedCode, bool showLock);
// The item of RGSelAnimal for an animal code: 10 "牛(10)", 11 "馬(11)", 12 "豚(12)", any other
// "ペット(14)".
int AnimalItemOf(std::string_view animalCode);
// "%03u" country code, "10" / "11" / "12" / "14" for the animal item (any other item "14"),
// "%02u" maker code, "%08llu" individual number.
std::string ComposeStid(const PromptForm& form);
// The code of the dialog: national ID from STID's digits after the country code, flag and
// extension fields from theirs, country code 999.
uint64_t SetAnimalId1Code(const PromptForm& form);
