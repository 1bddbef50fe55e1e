#pragma once
// TLDESet1Dlg, the LED mode dialog: mode and time of the green and the red LED.
#include <array>
#include <cstdint>
#include <optional>

#include "prompts/prompts.h"

PromptForm MakeLDESet1Dlg();

// The four bytes after the LED control code: green mode, green time, red mode, red time.
std::optional<std::array<uint8_t, 4>> ShowLDESet1Dlg(Prompts& prompts);
