#pragma once
// TFlashSet1Dlg, the parameter memory dialog: the flag bits and speed of word 1 and the read
// settings of words 21-22 (page "System Parameter"), the timing words 2-19 (page "Parameter")
// and a 16-byte ID key with three presets (page "Key", never sent to the module).
#include <array>
#include <cstdint>

#include "prompts/prompts.h"

// Words 1 to 22; element 0 is word 1.
using ParameterWords = std::array<uint16_t, 22>;
using IdKey = std::array<uint8_t, 16>;

// Preset "設定１": a fixed test key.
inline constexpr IdKey kFirstFixedKey = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                         0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
// Preset "設定２", also what the key fields hold when the dialog opens: the default of the
// settings values IDKey0 .. IDKey15.
inline constexpr IdKey kSecondFixedKey = {60, 145, 167, 94, 11,  212, 98, 248,
                                          25, 195, 122, 45, 230, 132, 79, 176};

// The dialog with every page; "設定３" loads the key fields from `settingsKey`.
PromptForm MakeFlashSet1Dlg(const IdKey& settingsKey);

// All fields from the 22 words (word 11 converted to Hz).
void SetParameterWords(PromptForm& form, const ParameterWords& words);
// The 22 words from the fields; words the dialog does not show (word 20, and the speed code
// while no speed is selected) keep their value in `read`, and so does every word whose fields
// still show what it was read as (word 11 included, whose Hz do not convert back exactly).
ParameterWords GetParameterWords(const PromptForm& form, const ParameterWords& read);

// System parameter 0: RG_Bit0 .. RG_Bit7 are its bits.
void SetSystemFlags(PromptForm& form, uint8_t flags);
uint8_t GetSystemFlags(const PromptForm& form);
// Only the first page, and on it only RG_Bit0 .. RG_Bit7.
void ShowSystemFlagsOnly(PromptForm& form);

// The key fields in order (EdKey1 first).
IdKey GetKey(const PromptForm& form);
