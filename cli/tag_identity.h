#pragma once
// What an ID frame of read-loop mode says about the tag, decoded by the ID codec: its family, the
// ID bytes, and for an ISO 11784 code the country (number and name), the national ID and the
// flags, for an EM tag the EM number. `read` prints it; the "id" events of `listen` carry the same
// fields.
#include <QJsonObject>
#include <cstdint>
#include <optional>
#include <string>

#include "codec/frame_id.h"

struct TagIdentity {
  std::string tagType;  // as in the tally: "FDX-B", "EM", "RO", ...
  std::string kind;     // "animal", "industrial", "em" or "id" (no code of its own)
  std::string bytes;    // the ID bytes, most significant first ("80 00 62 ...")
  // ISO 11784 codes (FDX-B and read-only HDX tags).
  struct Animal {
    unsigned country = 0;
    std::string countryName;  // "" when the number names no country
    uint64_t national = 0;
    unsigned retagCounter = 0;
    unsigned userInformation = 0;
    unsigned reserved = 0;
    bool rudi = false;
    bool dataBlock = false;
  };
  std::optional<Animal> animal;        // kind "animal"
  std::optional<uint64_t> industrial;  // kind "industrial": the low 63 bits
  struct Em {
    unsigned version = 0;  // version / customer ID
    uint32_t serial = 0;   // the EM number
  };
  std::optional<Em> em;  // kind "em"
};

// The identity of the ID an 'I' frame reported (the receiver's decode); country names in Japanese
// when asked.
TagIdentity IdentityOf(const fdx::FrameId& id, bool japaneseNames);

// The fields of the identity for a JSON event (numbers as numbers).
QJsonObject IdentityJson(const TagIdentity& id);
// The identity as lines for a person ("Country: 392 Japan").
std::string IdentityText(const TagIdentity& id);
