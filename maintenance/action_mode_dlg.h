#pragma once
// TSetDousaModeDlg, the action mode dialog: command mode or read-loop mode, optionally saved in
// the module's EEPROM.
#include <cstdint>
#include <optional>

#include "prompts/prompts.h"

PromptForm MakeSetDousaModeDlg();

struct ActionModeChoice {
  uint8_t mode = 4;  // 2 read loop, 4 command mode
  uint8_t save = 0;  // 1: save to EEPROM
};
std::optional<ActionModeChoice> ShowSetDousaModeDlg(Prompts& prompts);
