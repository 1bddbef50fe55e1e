#pragma once
// The block and ID write dialogs of the SIC279 and HDX+ menus: TWrData1Dlg (a block number,
// four data bytes and "Lock") and TWrData1_2Dlg (eight ID bytes and "ロック").
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "prompts/prompts.h"

// The question asked before anything is written for good, in the window's language.
std::string CannotRewriteQuestion();

struct WrData1Answer {
  uint8_t block = 0;
  std::array<uint8_t, 4> bytes{};  // d0 .. d3
  bool lock = false;
};
// TWrData1Dlg with the caption given, the block field labelled "Block(0-15)".
PromptForm MakeWrData1Dlg(const std::string& caption, int block,
                          const std::array<uint8_t, 4>& bytes);
std::optional<WrData1Answer> ShowWrData1Dlg(Prompts& prompts, const std::string& caption, int block,
                                            const std::array<uint8_t, 4>& bytes);

struct WrData1_2Answer {
  std::array<uint8_t, 8> id{};  // id0 .. id7
  bool lock = false;
};
// TWrData1_2Dlg, caption "ID Write".
PromptForm MakeWrData1_2Dlg(const std::array<uint8_t, 8>& id);
std::optional<WrData1_2Answer> ShowWrData1_2Dlg(Prompts& prompts, const std::array<uint8_t, 8>& id);
