#pragma once
// The EM4305 data dialog TWrData1_5Dlg: a word address (EdAddr, 0-15), the check box CB_LoginEn,
// four rows of four hexadecimal edits EdData<row>_<col> (row 0 left to right is MSB to LSB) under
// the labels ST_0..ST_15, and the password row EdData4_0..EdData4_3 (ST_SubData, ST_16..ST_19),
// shown exactly while CB_LoginEn is checked.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "prompts/prompt_form.h"

// The form with its defaults: every field shown, all values 0, CB_LoginEn unchecked and the
// password row hidden.
PromptForm MakeWrData1_5Dlg();

// "EdData<row>_<col>" (row 4 is the password row) and "ST_<n>".
std::string WrData1_5Field(int row, int col);
std::string WrData1_5Label(int n);

// CB_LoginEnClick: the password row and ST_SubData are shown exactly while CB_LoginEn is checked.
void CB_LoginEnClick(PromptForm& form);

// The four bytes of a row, in field order (low 8 bits), and back.
std::array<uint8_t, 4> ReadWordRow(const PromptForm& form, int row);
void WriteWordRow(PromptForm& form, int row, std::span<const uint8_t, 4> bytes);
