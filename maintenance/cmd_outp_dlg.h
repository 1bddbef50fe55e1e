#pragma once
// TCmdOutpDlg: a byte string typed by the user, sent to the port as it is (no framing),
// optionally completed with the frame sum and CR.
#include <cstdint>
#include <string>
#include <vector>

#include "prompts/prompts.h"

// The longest string accepted, in characters.
inline constexpr size_t kCmdOutpMaxChars = 512;

PromptForm MakeCmdOutpDlg(const std::string& lastSent);

// The typed text as bytes: two hex digits a byte (a character that is no hex digit counts as
// 0), blanks before each pair skipped. With `appendSumAndCr`, the frame sum of the bytes taken
// as a command frame (from the first byte through the ETX position its length byte gives) and
// CR follow; bytes missing from a short frame count as 0 in the sum.
std::vector<uint8_t> CmdOutpBytes(const std::string& text, bool appendSumAndCr);
