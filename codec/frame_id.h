#pragma once
// The ID an 'I' frame of read-loop mode reports, decoded once: its kind (the tag type byte), its
// bytes, and what the ID codec reads from them: the ISO 11784 code of an FDX-B ID or of a
// read-only HDX ID with the animal flag, the EM ID of an EM tag. The receiver's "ID: " line, the
// tag tally, the command runner's JSON and the window's tag table all read this one decode.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/animal_id.h"

namespace fdx {

struct FrameId {
  uint8_t kind = 0;            // data[0]; 0 when the frame carries no data
  std::vector<uint8_t> bytes;  // data[1] on: the ID, least significant byte first
  // The first eight bytes as one value (missing bytes count as zero): what the codec reads.
  uint64_t value = 0;
  // FDX-B: always (with or without the animal flag); read-only HDX: only with the animal flag.
  std::optional<AnimalIdCode> iso;
  std::optional<EmId> em;  // EM: e0 the first byte, the serial number the next four

  // The data of an 'I' frame (frame offsets 4 .. 3+LEN).
  static FrameId Decode(std::span<const uint8_t> data);

  // The kind as two upper-case hexadecimal digits ("06").
  std::string KindText() const;
  // The bytes most significant first, each followed by a blank ("80 00 62 1C BE 99 1A 14 ").
  std::string HexText() const;
  // What the animal-ID display adds: "[" + EM serial number "%010u" + "]" for EM,
  // "[" + country "%03u" + ", " + national ID "%012llu" + "]" for an ISO code, else "".
  std::string Decoration() const;
  // The ID text of the "ID: " line and of the tally.
  std::string Text(bool decorate) const { return decorate ? HexText() + Decoration() : HexText(); }
  // An ISO 11784 code with the animal flag.
  bool Animal() const { return iso && iso->animal; }
};

}  // namespace fdx
