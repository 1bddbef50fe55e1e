#pragma once
// TWriteData2Dlg: the TI write dialog with an optional page field and eight hexadecimal byte
// fields (IntEdit8 "(MSB)7" at the left ... IntEdit1 "0(LSB)" at the right; IntEdit1 is d0),
// with three fill buttons.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "prompts/prompts.h"

struct WriteData2Answer {
  uint8_t page = 0;  // low 8 bits of IntEd1 (meaningful when the page field was shown)
  std::array<uint8_t, 8> bytes{};  // d0 .. d7
};

// `pageLabel` set: the page field is shown with that label and `page` as its value.
PromptForm MakeWriteData2Dlg(const std::string& caption, const std::array<uint8_t, 8>& bytes,
                             const std::optional<std::string>& pageLabel, int page);

// The fill buttons: Button1 all 00, Button2 all FF, BtKeySet byte k = k.
void WriteData2FillClick(PromptForm& form, const std::string& button);

// Shows the dialog; nullopt on Cancel.
std::optional<WriteData2Answer> ShowWriteData2Dlg(Prompts& prompts, const std::string& caption,
                                                  const std::array<uint8_t, 8>& bytes,
                                                  const std::optional<std::string>& pageLabel,
                                                  int page);
