#pragma once
// TSetID3Dlg, the plain animal-ID dialog of the SIC279, SIC7888 and EM4305: an animal code
// (country code and national ID) on the "Animal" tab, or a 63-bit industrial code on the
// "Industrial" tab, written again and again with an optional increment (series programming) and
// read back. The dialog stays open: "Write" (OKBtn) and "Read" (Button1) are Return actions;
// "Close" (CancelBtn) stores both IDs, the increment settings and the base of the active tab and
// saves the settings file; the window's close box keeps none of them.
//
//   RunSetID3Dlg(app, SetId3Mode::Sic7888);   // "SIC7888; Animal ID Write"
#include <cstdint>
#include <string>

#include "fdx/animal_id_write.h"
#include "prompts/prompt_form.h"

class AppCore;
struct OptionSettings;

enum class SetId3Mode { Sic279 = 0, Sic7888 = 1, Em4305 = 2 };

// Values of the animal-ID programming that the main window keeps for the run only.
struct AnimalIdProgrammingMemory {
  // The country code the plain dialog offers (the test-transponder code at start).
  unsigned ToolCountryCode = 999;
};

// Runs the dialog until it is closed.
void RunSetID3Dlg(AppCore& app, SetId3Mode mode);

// --- The parts of the dialog, for its tests and renderers ---

inline constexpr const char* kAnimalPage = "TabSheet1";      // "Animal"
inline constexpr const char* kIndustrialPage = "TabSheet2";  // "Industrial"

fdx::IdChip ChipOf(SetId3Mode mode);
// "SIC279; Animal ID Write", "SIC7888; Animal ID Write" or "EM4305; Animal ID Write".
std::string SetId3Caption(SetId3Mode mode);

// The form as the dialog opens: on the "Industrial" tab, the national ID of the stored animal ID,
// the stored industrial ID in the base DecHexMode selects, the increment settings, the country
// code given (disabled), Panel3 empty.
PromptForm MakeSetID3Dlg(SetId3Mode mode, const OptionSettings& settings, unsigned countryCode);

// RGHexDecimal2 switched to the other base: rewrites EdIndustrial in the base now chosen (a text
// that is no number in the old base is left as it is).
void RGHexDecimal2Click(PromptForm& form);

// Auto-increment: the national ID plus step, 0 beyond 274877906943; the industrial number plus
// step as a 64-bit sum, 0 when bit 63 of the sum is set.
uint64_t NextNationalId(uint64_t value, uint64_t step);
uint64_t NextIndustrialNumber(uint64_t value, uint64_t step);
