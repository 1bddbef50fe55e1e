// ledger: the code ledger of series programming. status lists the series with their progress,
// orphans the codes claimed and never recorded (and the failed codes stations keep), export writes
// a series in the results file's columns, release gives an orphan back after the tag in the field
// was read and does not carry it, void takes a code out for good.
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include "cli/ledger_access.h"
#include "cli/output.h"
#include "cli/verbs.h"
#include "core/csv.h"
#include "production/orphan_release.h"
#include "production/series.h"

namespace {

struct LedgerArgs {
  std::string action;
  std::vector<std::string> code;  // the words of CODE
  std::string ledger;
  std::optional<int64_t> series;
  std::string csv;
};

LedgerArgs ParseLedgerArgs(const std::vector<std::string>& args) {
  LedgerArgs a;
  for (OptionReader arg(args, kLedgerOptions); arg.Next();) {
    if (!arg.Option()) {
      if (a.action.empty())
        a.action = arg.Arg();
      else
        a.code.push_back(arg.Arg());
    } else if (arg.Is("--ledger")) {
      a.ledger = arg.Text();
      if (a.ledger.empty()) throw UsageError("--ledger needs sqlite:PATH or postgresql://...");
    } else if (arg.Is("--series")) {
      a.series = arg.Number();
    } else if (arg.Is("--csv")) {
      a.csv = arg.Text();
      if (a.csv.empty()) throw UsageError("--csv needs a file name");
    }
  }
  const bool takesCode = a.action == "release" || a.action == "void";
  if (a.action != "status" && a.action != "orphans" && a.action != "export" && !takesCode)
    throw UsageError("ledger takes status, orphans, export, release CODE or void CODE" +
                     (a.action.empty() ? std::string() : ", not \"" + a.action + "\""));
  if (takesCode && a.code.empty())
    throw UsageError("ledger " + a.action + " needs the code (\"392 000000000100\")");
  if (!takesCode && !a.code.empty()) throw UsageError("unexpected argument: " + a.code[0]);
  if (a.series && a.action != "export") throw UsageError("--series belongs to export");
  if (!a.csv.empty() && a.action != "export") throw UsageError("--csv belongs to export");
  return a;
}

std::string TimeOf(int64_t ms) {
  return ms > 0 ? series::TimeText(ms / 1000) : "-";
}

int Status(ledger::Ledger& l) {
  const std::vector<ledger::WorkingStation> working = l.Working();
  for (const ledger::SeriesProgress& p : l.Progress()) {
    const ledger::Series& s = p.series;
    // The stations at work on it: those of this machine whose process runs, and those of other
    // machines as they entered themselves (their processes cannot be seen from here).
    std::string at;
    QJsonArray stations;
    for (const ledger::WorkingStation& w : working) {
      if (w.seriesId != s.id) continue;
      const bool here = w.station.host == ThisHost();
      if (here && !StationRuns(w.station)) continue;
      at += (at.empty() ? "" : ", ") + StationText(w.station) + " (pid " +
            std::to_string(w.station.pid) + (here ? "" : ", since " + TimeOf(w.sinceMs)) + ")";
      stations.append(Q(StationText(w.station)));
    }
    const std::string planned = s.plan.planned ? std::to_string(*s.plan.planned) : "open";
    const std::string line = "series " + std::to_string(s.id) + "  " +
                             (s.plan.kind == ledger::CodeKind::Animal ? "animal" : "industrial") +
                             " from " + SeriesCodeText(s.plan, s.plan.first) + " step " +
                             std::to_string(s.plan.increment) + " planned " + planned +
                             "  verified " + std::to_string(p.verified) + "  in hand " +
                             std::to_string(p.claimed) + "  failed " + std::to_string(p.failed) +
                             "  released " + std::to_string(p.released) + "  void " +
                             std::to_string(p.voided) + "  left " + std::to_string(p.codesLeft) +
                             "  last " + TimeOf(p.lastMs) + (at.empty() ? "" : "  working: " + at);
    Output::Get().Data(
        line, "series",
        {{"series", static_cast<qint64>(s.id)},
         {"kind", s.plan.kind == ledger::CodeKind::Animal ? "animal" : "industrial"},
         {"first", Q(SeriesCodeText(s.plan, s.plan.first))},
         {"increment", static_cast<qint64>(s.plan.increment)},
         {"planned", s.plan.planned ? QJsonValue(static_cast<qint64>(*s.plan.planned))
                                    : QJsonValue(QJsonValue::Null)},
         {"verified", static_cast<qint64>(p.verified)},
         {"claimed", static_cast<qint64>(p.claimed)},
         {"failed", static_cast<qint64>(p.failed)},
         {"released", static_cast<qint64>(p.released)},
         {"void", static_cast<qint64>(p.voided)},
         {"left", static_cast<qint64>(p.codesLeft)},
         {"last_time", Q(TimeOf(p.lastMs))},
         {"working", stations}});
  }
  return 0;
}

// A code of the ledger as a line and a "code" event.
void ReportCode(const ledger::CodeRecord& c) {
  const bool running = StationRuns(c.station);
  const std::string line = series::CodeText(c.code) + "  " + ledger::StateName(c.state) + "  " +
                           StationText(c.station) + " (pid " + std::to_string(c.station.pid) +
                           (running ? ", running" : "") + ")  " + TimeOf(c.claimedMs) + "  " +
                           c.chip + "  uid " + (c.uid.empty() ? "-" : c.uid) + "  series " +
                           std::to_string(c.seriesId);
  Output::Get().Data(line, "code",
                     {{"code", Q(series::CodeText(c.code))},
                      {"state", ledger::StateName(c.state)},
                      {"host", Q(c.station.host)},
                      {"port", Q(c.station.name)},
                      {"pid", static_cast<qint64>(c.station.pid)},
                      {"running", running},
                      {"chip", Q(c.chip)},
                      {"uid", Q(c.uid)},
                      {"series", static_cast<qint64>(c.seriesId)},
                      {"claim_time", Q(TimeOf(c.claimedMs))}});
}

int Orphans(ledger::Ledger& l) {
  int inHand = 0;
  for (const ledger::CodeRecord& c : l.Unfinished()) {
    // A claim of a station that runs on this machine is the tag in its hand.
    if (c.state == ledger::CodeState::Claimed && StationRuns(c.station)) {
      ++inHand;
      continue;
    }
    ReportCode(c);
  }
  if (inHand)
    Output::Get().Note("ledger: " + std::to_string(inHand) +
                           (inHand == 1 ? " code is" : " codes are") +
                           " in the hand of stations that run on this machine",
                       "progress");
  return 0;
}

int Export(ledger::Ledger& l, const LedgerArgs& a) {
  const auto s = a.series ? l.FindSeries(*a.series) : l.LastSeries();
  if (!s)
    throw UsageError(a.series ? "the ledger holds no series " + std::to_string(*a.series)
                              : "the ledger holds no series");
  std::string text = std::string(series::ResultsFile::kHeader) + "\n";
  const bool toStdout = a.csv.empty() || IsStandardOutput(a.csv);
  // The header is a line of the file; the JSON stream has the rows alone.
  if (toStdout && !Output::Get().Json()) Output::Get().Data(series::ResultsFile::kHeader, "", {});
  for (const ledger::TagRecord& r : l.Records(s->id)) {
    const series::Row row = RowOf(r);
    const std::string line = series::ResultsFile::Line(row);
    text += line + "\n";
    if (toStdout)
      Output::Get().Data(line, "program_row",
                         {{"row_time", Q(row.time)},
                          {"port", Q(row.port)},
                          {"chip", Q(row.chip)},
                          {"written", Q(row.written)},
                          {"read_back", Q(row.readBack)},
                          {"ok", row.ok},
                          {"uid", Q(row.uid)},
                          {"series", static_cast<qint64>(row.series)}});
  }
  if (!toStdout) {
    if (files::Error e = files::Replace(a.csv, text)) throw UsageError(a.csv + ": " + e.Text());
    Output::Get().Note("ledger: " + SeriesText(*s) + " written to " + a.csv, "progress");
  }
  return 0;
}

// The code of CODE, in the ledger and not verified; throws UsageError.
ledger::CodeRecord CodeToChange(ledger::Ledger& l, const LedgerArgs& a) {
  std::string text;
  for (const std::string& w : a.code) text += (text.empty() ? "" : " ") + w;
  const auto code = series::ParseCodeText(text);
  if (!code)
    throw UsageError("\"" + text +
                     "\" is no code: \"392 000000000100\" (country and national ID), 19 digits "
                     "(industrial) or 0x and 16 hexadecimal digits");
  const auto c = l.FindCode(*code);
  if (!c) throw UsageError(series::CodeText(*code) + " is not in the ledger");
  const ledger::CodeState s = c->state;
  if (s == ledger::CodeState::Verified || s == ledger::CodeState::Void ||
      (s == ledger::CodeState::Released && a.action == "release"))
    throw UsageError(series::CodeText(c->code) + " is " + ledger::StateName(s) + ": nothing to " +
                     a.action);
  if (s == ledger::CodeState::Claimed && StationRuns(c->station))
    throw UsageError(series::CodeText(c->code) + " is in the hand of " + StationText(c->station) +
                     " (pid " + std::to_string(c->station.pid) + ", running)");
  return *c;
}

// Releases the code after the tag in the field was read: it must be the tag the station had in
// hand (its UID) and must not carry the code.
int Release(const CommonOptions& o, ledger::Ledger& l, const ledger::CodeRecord& c) {
  if (!series::ChipOfName(c.chip))
    throw UsageError("the ledger names no known chip for this code (\"" + c.chip + "\")");
  const std::string text = series::CodeText(c.code);
  Session s(o);
  s.OpenPort();
  s.Identify();
  const production::ReleaseOutcome r = production::ReleaseOrphan(s.App(), l, c);
  switch (r.kind) {
    case production::ReleaseOutcome::Kind::Changed:
      throw UsageError(r.text);
    case production::ReleaseOutcome::Kind::Refused:
      Output::Get().Note("ledger: " + text + " not released: " + r.text, "progress");
      return EndRun(s, 1);
    case production::ReleaseOutcome::Kind::Released:
      break;
  }
  Output::Get().Note("ledger: " + text + " released: " + r.text, "progress");
  return EndRun(s, 0);
}

}  // namespace

int RunLedger(const CommonOptions& o, std::vector<std::string>& args) {
  const LedgerArgs a = ParseLedgerArgs(args);
  // Looking at a ledger changes nothing in it; releasing and voiding are a station's changes.
  const bool look = a.action == "status" || a.action == "orphans" || a.action == "export";
  const auto l =
      OpenLedger(LedgerTarget(a.ledger), look ? ledger::Access::Look : ledger::Access::Station);
  try {
    if (a.action == "status") return Status(*l);
    if (a.action == "orphans") return Orphans(*l);
    if (a.action == "export") return Export(*l, a);
    const ledger::CodeRecord c = CodeToChange(*l, a);
    if (a.action == "release") return Release(o, *l, c);
    if (!l->Void(c.code, c.state))
      throw UsageError(series::CodeText(c.code) + " changed in the ledger meanwhile; look again");
    Output::Get().Note("ledger: " + series::CodeText(c.code) + " is void: no station gets it again",
                       "progress");
    return 0;
  } catch (const ledger::DatabaseError& e) {
    throw UsageError(std::string("ledger ") + e.what());
  }
}
