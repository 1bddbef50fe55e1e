#pragma once
// Which tag of a chip family is in the field, asked quietly (no log lines, nothing in the
// handlers' outcome): its identity read (SIC7888 GetUID, EM4305 word 1, SIC279 traceability data,
// the chip ID blocks of an HDX+) and, when asked for, the code it sends (the ID read). Series
// programming polls with it; the ledger's release reads the tag in hand with it.
#include <cstdint>
#include <optional>
#include <string>

#include "fdx/animal_id_write.h"

class AppCore;

struct TagInField {
  std::string uid;               // UID or traceability data, hexadecimal bytes
  std::optional<uint64_t> code;  // what its ID read gives now (when asked for)
};

// nullopt when no tag of the family answers.
std::optional<TagInField> ProbeTag(AppCore& app, fdx::IdChip chip, bool withCode);
