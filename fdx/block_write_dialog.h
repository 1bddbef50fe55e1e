#pragma once
// The block write dialog TWrData1_4Dlg: a block number (EdAddr under the label AddrStr) and four
// rows of four hexadecimal byte fields, EdData<row>_<col>, the first field of a row being the
// first byte of a block ("MSB") and the last the fourth ("LSB"). The response protocol mode
// (Label5, CBMode) is part of the form; the SIC7888 callers hide it and send mode 1. In page mode
// the rows shown follow the block number: exactly the blocks from it to the end of its page.
// The EM4305 login uses the same dialog for its four password bytes.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "prompts/prompt_form.h"

// The form with its defaults: caption empty, EdAddr 0 (decimal, limited to 0-255), all byte
// fields 00 (limited to 00-FF), every row shown, CBMode on "Advanced", page mode off.
PromptForm MakeWrData1_4Dlg();

// Field names: "EdData<row>_<col>".
std::string WrData1_4Field(int row, int col);
// Row r's four bytes, first byte first (low 8 bits of each field), and back.
std::array<uint8_t, 4> ReadDataRow(const PromptForm& form, int row);
void WriteDataRow(PromptForm& form, int row, std::span<const uint8_t, 4> bytes);
// Shows or hides a whole row of byte fields.
void ShowDataRow(PromptForm& form, int row, bool visible);

// Page mode: every change of EdAddr (and switching it on) shows rows 0 .. PageRows(block) - 1
// and hides the others.
void SetPageMode(PromptForm& form, bool on);
void ApplyPageRows(PromptForm& form);
