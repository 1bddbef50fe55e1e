#pragma once
// The ID write dialog TWrData1_3Dlg: writes the main window's 8-byte ID to a SIC279 (command
// 0x59) or a SIC7888 (command 0x86) again and again, with an optional automatic increment for
// series programming. The dialog stays open; each "Write" (OKBtn, a Return action) sends one
// command, shows the result line in Panel3 and, after a success, adds the increment to the eight
// byte fields. "Close" (CancelBtn) stores the check box and the increment as fIncValue and
// IncValue and saves the settings file; the window's close box leaves them as they were.
//
//   RunIdWriteDialog(app, IdWriteMode::Sic7888);   // "IDWrite[SIC7888]", no tag type, no lock
#include <array>
#include <cstdint>
#include <string>

#include "prompts/prompt_form.h"

class AppCore;

enum class IdWriteMode { Sic279, Sic7888 };

// Runs the dialog until it is closed.
void RunIdWriteDialog(AppCore& app, IdWriteMode mode);

// --- The parts of the dialog, for its tests and renderers ---

// "IDWrite[SIC279]" or "IDWrite[SIC7888]".
std::string IdWriteCaption(IdWriteMode mode);

// The form with its initial state: the eight byte fields EdData0..EdData7 from `id` (id[0] in
// EdData0), CBAutoInc and EdIncValue from fIncValue and IncValue, RGTagType and CBLock as the
// mode wants them, Panel3 empty.
PromptForm MakeWrData1_3Dlg(IdWriteMode mode, const std::array<uint8_t, 8>& id, int fIncValue,
                            int IncValue);

// The eight byte fields as id0..id7, and back.
std::array<uint8_t, 8> IdFromFields(const PromptForm& form);
void IdToFields(PromptForm& form, const std::array<uint8_t, 8>& id);

// id as one unsigned 64-bit number (id[0] least significant) plus step; wraps beyond 64 bits.
std::array<uint8_t, 8> AddToId(const std::array<uint8_t, 8>& id, uint64_t step);
