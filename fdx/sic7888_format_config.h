#pragma once
// Brings a SIC7888's configuration block (block 1) to a given word before an ID write: reads the
// block and writes the word only when the block holds something else. Nothing is logged besides
// what the exchange logs.
#include <cstdint>
#include <span>

class TTirisC1Dlg;

// False when the read fails or the write is refused.
bool SetUpFormatConfig(TTirisC1Dlg& comm, std::span<const uint8_t, 4> word);
