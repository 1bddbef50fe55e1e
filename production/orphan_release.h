#pragma once
// Giving an orphan back (a code a station claimed and never recorded, or a failed code it keeps):
// only after the tag that station had in hand was read on this reader and does not carry the
// code, so that a code on a tag is never handed out twice. The runner's `ledger release` and the
// production window's Release button both do it.
#include <string>
#include <vector>

#include "ledger/ledger.h"

class AppCore;

namespace production {

struct ReleaseOutcome {
  enum class Kind {
    Released,  // text: what the tag sends and who takes the code next
    Refused,   // text: why (no tag, another tag, the tag carries the code, unknown chip)
    Changed,   // the code changed in the ledger meanwhile: look again
  };
  // Why, with its values (in order), for a face that words it itself.
  enum class Why {
    Released,     // the tag's UID, the code it sends ("" for none), the series
    UnknownChip,  // the chip the ledger names
    NoTag,        // chip, the station
    OtherTag,     // the tag's UID, the station, the UID that station read
    CarriesCode,  // (none)
    Changed,      // code
  };
  Kind kind = Kind::Refused;
  Why why = Why::NoTag;
  std::vector<std::string> values;
  std::string text;  // the runner's words
};

ReleaseOutcome ReleaseOrphan(AppCore& app, ledger::Ledger& l, const ledger::CodeRecord& c);

}  // namespace production
