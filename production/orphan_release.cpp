#include "production/orphan_release.h"

#include "production/series.h"
#include "production/station.h"
#include "production/tag_probe.h"

namespace production {

ReleaseOutcome ReleaseOrphan(AppCore& app, ledger::Ledger& l, const ledger::CodeRecord& c) {
  using Kind = ReleaseOutcome::Kind;
  using Why = ReleaseOutcome::Why;
  const std::string station = StationText(c.station);
  const auto chip = series::ChipOfName(c.chip);
  if (!chip)
    return {Kind::Refused,
            Why::UnknownChip,
            {c.chip},
            "the ledger names no known chip for this code (\"" + c.chip + "\")"};
  const auto tag = ProbeTag(app, *chip, true);
  if (!tag)
    return {Kind::Refused,
            Why::NoTag,
            {c.chip, station},
            "no " + c.chip + " tag in the field; put the tag " + station +
                " had in hand on the reader"};
  if (!c.uid.empty() && tag->uid != c.uid)
    return {Kind::Refused,
            Why::OtherTag,
            {tag->uid, station, c.uid},
            "the tag in the field (UID " + tag->uid + ") is not the one " + station +
                " had in hand (UID " + c.uid + ")"};
  if (tag->code == c.code)
    return {Kind::Refused, Why::CarriesCode, {}, "the tag in the field carries it"};
  const std::string code = series::CodeText(c.code);
  if (!l.Release(c.code, c.state))
    return {
        Kind::Changed, Why::Changed, {code}, code + " changed in the ledger meanwhile; look again"};
  const std::string sends = tag->code ? series::CodeText(*tag->code) : "";
  return {Kind::Released,
          Why::Released,
          {tag->uid, sends, std::to_string(c.seriesId)},
          "the tag in the field (UID " + tag->uid + ") sends " +
              (sends.empty() ? std::string("nothing") : sends) + "; the next claim of series " +
              std::to_string(c.seriesId) + " takes it"};
}

}  // namespace production
