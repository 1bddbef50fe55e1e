#pragma once
// Rows of hexadecimal byte fields (00-FF) as the write dialogs lay them out: the most
// significant byte at the left, the least significant at the right. Field names are a prefix and
// a number: byte i of the value is the field prefix + (i + firstNumber), so IntEdit1..IntEdit8
// (firstNumber 1) or EdData0..EdData7 (firstNumber 0).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "prompts/prompt_form.h"

struct ByteFieldRow {
  std::string prefix;
  int firstNumber = 0;
  int count = 8;
  int row = -1;  // layout row of the fields
  bool limit = true;

  std::string Name(int byteIndex) const { return prefix + std::to_string(byteIndex + firstNumber); }
};

// Adds the fields from the most significant byte to the least, filled from `values` (byte 0
// first; missing values are 0).
void AddByteFields(PromptForm& form, const ByteFieldRow& row, std::span<const uint8_t> values);
// The fields' values, byte 0 first (low 8 bits of each).
std::vector<uint8_t> ReadByteFields(const PromptForm& form, const ByteFieldRow& row);
void WriteByteFields(PromptForm& form, const ByteFieldRow& row, std::span<const uint8_t> values);
// The labels that stand over the row's ends: `msb` over the leftmost field (the most significant
// byte), `lsb` over the rightmost.
void MarkByteRowEnds(PromptForm& form, const ByteFieldRow& row, const std::string& msb,
                     const std::string& lsb);
