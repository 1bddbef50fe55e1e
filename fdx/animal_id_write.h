#pragma once
// Programming a 64-bit ID code (an ISO 11784 animal code, an industrial code) into one
// transponder without a dialog: the configuration step the chip needs, then its ID write
// command. The animal-ID dialogs call these for every "Write"; series programming calls them once
// per tag.
//
//   const uint64_t code = fdx::AnimalIdCode::Animal(999, 141500000001).Encode();
//   fdx::WriteAnimalCode(app, fdx::IdChip::Sic7888, code);        // "OK: Animal ID Write Command"
//   fdx::WriteAnimalCode(app, fdx::IdChip::Sic279, code, {.lock = true});   // locked for good
//   if (fdx::ReadIdCode(app.Link(), fdx::IdChip::Sic7888) == code) ...      // read back
//
// Chip        configuration step                          write command (id0 least significant)
// SIC279      none                                        59 lock id0..id7 01 (tag type Read Only)
// SIC7888     block 1 = CA 48 00 00 (configureSic7888)    86 01 id0..id7
// HDX+        none                                        3B id0..id7 lock
// EM4305      word 4 = 00 02 00 8F                        E5 01 id0..id7
//
// Each command waits the standard 2000 ms. Nothing is retried and no verification read follows;
// besides the exchange's own lines (frames, NACK reasons, "Response Timed out") only
// WriteAnimalCode writes a line, its result line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class AppCore;
class TTirisC1Dlg;

namespace fdx {

enum class IdChip { Sic279, Sic7888, HdxPlus, Em4305 };

struct IdWriteOptions {
  // SIC279 and HDX+: the chip locks the ID after writing it, for good. SIC7888 and EM4305 carry
  // no lock flag and ignore it.
  bool lock = false;
  // SIC7888: bring block 1 to the ISO 11784 FDX-B configuration first. The detailed entry dialog
  // writes without this step (a chip configured for another layout then refuses the write).
  bool configureSic7888 = true;
};

enum class IdWriteOutcome {
  Written,              // the write command was acknowledged
  ConfigurationFailed,  // the configuration step failed: nothing was written
  WriteFailed,          // the write command got a NACK or no answer
};

// EM4305 word 4 as the FDX-B ID write needs it: bi-phase, words 5-8 sent.
inline constexpr uint8_t kEm4305ConfigWord = 4;
inline constexpr uint8_t kEm4305FdxbConfig[4] = {0x00, 0x02, 0x00, 0x8F};

// Reads word 4 and writes 00 02 00 8F into it unless it already holds that; false when the read
// fails or the write is refused.
bool SetUpEm4305Config(TTirisC1Dlg& comm);

// The data bytes of the chip's ID write command for `code` (see the table above).
std::vector<uint8_t> IdWriteCommand(IdChip chip, uint64_t code, bool lock);

// The configuration step alone (true at once for SIC279 and HDX+, and for SIC7888 without
// configureSic7888), and the write command alone (true on ACK).
bool ConfigureForIdWrite(TTirisC1Dlg& comm, IdChip chip, const IdWriteOptions& options = {});
bool SendIdWrite(TTirisC1Dlg& comm, IdChip chip, uint64_t code, bool lock);

// Configuration step, then the write command.
IdWriteOutcome WriteIdCode(TTirisC1Dlg& comm, IdChip chip, uint64_t code,
                           const IdWriteOptions& options = {});

// WriteIdCode on the application's module plus the result line "OK: <resultName> Command" or
// "NG: <resultName> Command"; true when the code was written.
bool WriteAnimalCode(AppCore& app, IdChip chip, uint64_t code, const IdWriteOptions& options = {},
                     const std::string& resultName = "Animal ID Write");

// The 64-bit code the transponder in the field sends, read as the chip is found: SIC279 and HDX+
// by the animal ID read (0x71) as a "Read Only" tag, SIC7888 and EM4305 by the FDX read
// (0x70 01) as an FDX-B tag. nullopt when the read fails, finds another tag type or answers
// without the eight ID bytes.
std::optional<uint64_t> ReadIdCode(TTirisC1Dlg& comm, IdChip chip);

}  // namespace fdx
