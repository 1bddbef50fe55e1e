#pragma once
// Programming a SIC7888 for the FECAVA, EM ID and BDE layouts without a dialog, and reading the
// codes back: the ID format set-up dialogs call these, and so can series programming. Each write
// first brings block 1 to the layout's configuration word (read, and written only when it
// differs); nothing is logged besides the exchange's own lines.
//
//   const uint8_t v[5] = {0x01, 0x02, 0x03, 0x04, 0x05};
//   fdx::WriteFecavaCode(comm, v);          // blocks 4-6 = AA E2 AA A9, AA A6 6A A5, AA 9A 6A 99
//   fdx::WriteEmIdCode(comm, 0x0504030201);  // blocks 4-5 = FF 81 40 48, 0C 02 80 62
//   fdx::WriteBdeCode(comm, code);           // 86 01 + the 8 bytes
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fdx/animal_id_write.h"

class TTirisC1Dlg;

namespace fdx {

// Block 1 = E4 74 00 00, then the FECAVA image of the five 7-bit values into blocks 4, 5 and 6;
// stops at the first failed write (the blocks before it stay written).
bool WriteFecavaCode(TTirisC1Dlg& comm, std::span<const uint8_t, 5> values);
// Block 1 = C0 34 00 00, then the EM4100 frame of the EM ID: bits 63-32 into block 4, bits 31-0
// into block 5, most significant byte first; block 5 is not written when block 4 fails.
bool WriteEmIdCode(TTirisC1Dlg& comm, uint64_t emId);
// Block 1 = C0 48 00 00, then IdWrite 86 01 with the code's 8 bytes, least significant first.
IdWriteOutcome WriteBdeCode(TTirisC1Dlg& comm, uint64_t code);

// The FECAVA read (0x72) of a FECAVA tag: the five values, bit 7 stripped.
std::optional<std::array<uint8_t, 5>> ReadFecavaValues(TTirisC1Dlg& comm);
// The FDX read (0x70 01) of an EM tag: the ID bytes after the tag type (e0 .. e4), 1 to 8 of them.
std::optional<std::vector<uint8_t>> ReadEmIdBytes(TTirisC1Dlg& comm);
// The FDX read of any tag but an EM tag: its 8 ID bytes as one code.
std::optional<uint64_t> ReadBdeCode(TTirisC1Dlg& comm);

// Status texts of the reads.
// "OK: IDRead[" + the five values as two hexadecimal digits separated by blanks + "]".
std::string FecavaReadText(std::span<const uint8_t, 5> values);
// "Tag Data: " + the bytes as hexadecimal digits without separators, or as one decimal number
// (first byte most significant).
std::string EmIdReadText(std::span<const uint8_t> bytes, bool hex);
// "Tag Data: " + Flag, Type of transponder, Application code, Supplier code and Serial number,
// in decimal, or in hexadecimal with 1, 1, 8, 4 and 6 digits.
std::string BdeReadText(uint64_t code, bool hex);

}  // namespace fdx
