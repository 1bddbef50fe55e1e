#include "production/orphan_release.h"

#include "production/series.h"
#include "production/station.h"
#include "production/tag_probe.h"

namespace production {

ReleaseOutcome ReleaseOrphan(AppCore& app, ledger::Ledger& l, const ledger::CodeRecord& c) {
  using Kind = ReleaseOutcome::Kind;
  const auto chip = series::ChipOfName(c.chip);
  if (!chip)
    return {Kind::Refused, "the ledger names no known chip for this code (\"" + c.chip + "\")"};
  const auto tag = ProbeTag(app, *chip, true);
  if (!tag)
    return {Kind::Refused, "no " + c.chip + " tag in the field; put the tag " +
                               StationText(c.station) + " had in hand on the reader"};
  if (!c.uid.empty() && tag->uid != c.uid)
    return {Kind::Refused, "the tag in the field (UID " + tag->uid + ") is not the one " +
                               StationText(c.station) + " had in hand (UID " + c.uid + ")"};
  if (tag->code == c.code) return {Kind::Refused, "the tag in the field carries it"};
  if (!l.Release(c.code, c.state))
    return {Kind::Changed,
            series::CodeText(c.code) + " changed in the ledger meanwhile; look again"};
  return {Kind::Released, "the tag in the field (UID " + tag->uid + ") sends " +
                              (tag->code ? series::CodeText(*tag->code) : "nothing") +
                              "; the next claim of series " + std::to_string(c.seriesId) +
                              " takes it"};
}

}  // namespace production
