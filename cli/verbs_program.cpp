// program: series programming of ID codes, a face on the series engine (production/): the
// options become a series request, the guards' refusals usage errors, the engine's events lines on
// standard error (progress) and "program_row" events, its totals the exit status. The write and
// the read back print their log lines as the window's log pane would.
#include <QJsonObject>

#include "cli/interrupt.h"
#include "cli/ledger_access.h"
#include "cli/output.h"
#include "cli/program_refusals.h"
#include "cli/verbs.h"
#include "production/series_choice.h"
#include "production/series_run.h"

namespace {

using production::Refusal;

struct ProgramArgs : production::SeriesRequest {
  bool haveChip = false;
  std::string ledger;
  std::string station;  // empty: the port's stable name
  int pollMs = 200;
  bool stopOnFail = false;
  bool lock = false;
  bool yes = false;
};

ProgramArgs ParseProgramArgs(const std::vector<std::string>& args) {
  ProgramArgs p;
  for (OptionReader arg(args, kProgramOptions); arg.Next();) {
    if (!arg.Option()) {
      throw UsageError("unexpected argument: " + arg.Arg());
    } else if (arg.Is("--chip")) {
      const std::string c = arg.Text();
      const auto chip = series::ChipOfName(c);
      if (!chip) throw UsageError("--chip takes sic279, sic7888, em4305 or hdxplus: \"" + c + "\"");
      p.chip = *chip;
      p.haveChip = true;
    } else if (arg.Is("--country")) {
      p.country = static_cast<unsigned>(arg.Number());
    } else if (arg.Is("--national")) {
      p.national = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--industrial")) {
      p.industrial = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--increment")) {
      p.increment = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--planned")) {
      p.planned = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--count")) {
      p.count = static_cast<int>(arg.Number());
    } else if (arg.Is("--csv")) {
      p.csv = arg.Text();
      if (p.csv.empty()) throw UsageError("--csv needs a file name");
    } else if (arg.Is("--ledger")) {
      p.ledger = arg.Text();
      if (p.ledger.empty()) throw UsageError("--ledger needs sqlite:PATH or postgresql://...");
    } else if (arg.Is("--resume")) {
      p.resume = true;
    } else if (arg.Is("--series")) {
      p.series = arg.Number();
    } else if (arg.Is("--station")) {
      p.station = arg.Text();
      if (p.station.empty()) throw UsageError("--station needs a name");
    } else if (arg.Is("--poll")) {
      p.pollMs = static_cast<int>(arg.Number());
    } else if (arg.Is("--on-fail")) {
      const std::string v = arg.Text();
      if (v != "wait" && v != "stop") throw UsageError("--on-fail takes wait or stop");
      p.stopOnFail = v == "stop";
    } else if (arg.Is("--lock")) {
      p.lock = true;
    } else if (arg.Is("--yes")) {
      p.yes = true;
    } else if (arg.Is("--test-code")) {
      p.testCode = true;
    } else if (arg.Is("--any-country")) {
      p.anyCountry = true;
    }
  }
  if (!p.haveChip) throw UsageError("program needs --chip sic279|sic7888|em4305|hdxplus");
  if (p.industrial && (p.country || p.national))
    throw UsageError("--industrial excludes --country and --national");
  if (p.country.has_value() != p.national.has_value())
    throw UsageError("animal codes need both --country and --national");
  if (!p.resume && !p.industrial && !p.national)
    throw UsageError("program needs the first code: --country N --national N, or --industrial N");
  if (p.series && !p.resume)
    throw UsageError("--series names the series that --resume goes on with: give --resume too");
  if (p.series && (p.industrial || p.national))
    throw UsageError("--series names a series of the ledger; a first code plans one");
  if (p.planned && !p.industrial && !p.national)
    throw UsageError("--planned belongs to a first code: a series in the ledger keeps its plan");
  if (p.lock && p.chip != fdx::IdChip::Sic279 && p.chip != fdx::IdChip::HdxPlus)
    throw UsageError("--lock applies to sic279 and hdxplus only");
  if (p.lock && !p.yes) throw UsageError("--lock makes the codes permanent: confirm it with --yes");
  return p;
}

// A row of the results file as an event of the JSON stream, with what the ledger and the tag took.
void ReportRow(const series::Row& row, double ledgerMs, double tagMs) {
  auto q = [](const std::string& t) { return QString::fromStdString(t); };
  Output::Get().Event("program_row", {{"row_time", q(row.time)},
                                      {"port", q(row.port)},
                                      {"chip", q(row.chip)},
                                      {"written", q(row.written)},
                                      {"read_back", q(row.readBack)},
                                      {"ok", row.ok},
                                      {"uid", q(row.uid)},
                                      {"series", static_cast<qint64>(row.series)},
                                      {"ledger_ms", ledgerMs},
                                      {"tag_ms", tagMs}});
}

// The results file once every check has passed and the module answers: only now does the run
// write to it (the header of a new file; a last row cut short by a crash taken out).
void BeginResults(series::ResultsFile& results, const std::string& csv) {
  std::string error, dropped;
  if (!results.Begin(&error, &dropped)) throw UsageError(error);
  if (!dropped.empty())
    Output::Get().Note(
        "program: " + csv +
            ": the last row was cut short and carries no result; taken out: " + dropped,
        "progress");
}

// The run of the series on the engine, its events as the runner shows them; the exit status.
int RunSeriesShown(Session& s, const ProgramArgs& p, ledger::Ledger& l,
                   const ledger::Series& picked, const ledger::Station& station,
                   series::ResultsFile* results) {
  production::RunSettings settings;
  settings.chip = p.chip;
  settings.count = p.count;
  settings.pollMs = p.pollMs;
  settings.stopOnFail = p.stopOnFail;
  settings.lock = p.lock;
  settings.port = s.PortName();
  production::RunEvents events;
  const std::string n = p.count ? std::to_string(p.count) : "-";
  events.progress = [&](int slot, const production::RunNote& note) {
    Output::Get().Note(
        "program: " + station.name + " [" + std::to_string(slot) + "/" + n + "] " + note.text,
        "progress");
  };
  events.note = [](const production::RunNote& note) {
    Output::Get().Note("program: " + note.text, "progress");
  };
  events.ledgerFailed = [](const std::string& why) { Output::Get().Error("ledger " + why); };
  events.tagDone = [](const production::TagDone& t) { ReportRow(t.row, t.ledgerMs, t.tagMs); };
  events.stop = [&] { return s.StopRequested(); };
  const production::RunTotals t =
      production::RunSeries(s.App(), l, picked, station, results, settings, events);
  s.CheckPort();
  Output::Get().Note("program: " + std::to_string(t.verified) + " verified, " +
                         std::to_string(t.failed) + " failed" +
                         (interrupt::Requested() ? " (interrupted)" : ""),
                     "progress");
  if (t.fileError || t.ledgerError) return 2;
  return t.failed ? 1 : 0;
}

}  // namespace

int RunProgram(const CommonOptions& o, std::vector<std::string>& args) {
  ProgramArgs p = ParseProgramArgs(args);
  try {
    if (p.FirstCode()) production::CheckCodePlan(p, production::PlanOf(p));
  } catch (const Refusal& e) {
    throw UsageError(RefusalLine(e, nullptr));
  }
  const ledger::Target target = LedgerTarget(p.ledger);
  std::optional<series::ResultsFile> results;
  std::string error;
  // An unusable results file, or one another run holds, is refused before anything is written to
  // a tag or to the file.
  if (!p.csv.empty()) {
    results.emplace();
    if (!results->Open(p.csv, &error)) throw UsageError(error);
  }
  Session s(o);
  const ledger::Station station = ThisStation(s.PortName(), p.station);
  const auto led = OpenLedger(target);
  const series::ResultsFile* file = results ? &*results : nullptr;
  ledger::Series picked;
  try {
    // Every check before the port is opened; the series is made only once the module answers.
    const production::FileSeries fs =
        results ? production::SeriesOfFile(*results, *led) : production::FileSeries{};
    picked = production::PickSeries(p, *led, station, file, fs, false);
    if (results) {
      production::CheckResultsFile(p, picked, *results);
      production::CheckFileSeries(p, picked, fs);
    }
    production::CheckStationFree(*led, station);
    s.OpenPort();
    s.Identify();
    if (results) BeginResults(*results, p.csv);
    picked = production::PickSeries(p, *led, station, file, fs, true);
    led->Enter(station, picked.id, s.PortName());
  } catch (const ledger::DatabaseError& e) {
    throw UsageError(std::string("ledger ") + e.what());
  } catch (const Refusal& e) {
    throw UsageError(RefusalLine(e, led.get()));
  }
  int verdict = RunSeriesShown(s, p, *led, picked, station, results ? &*results : nullptr);
  if (results) results->Close();
  try {
    led->Leave(station);
  } catch (const ledger::DatabaseError&) {
    // A ledger that failed was reported by the run; the row stays until the station runs again.
  }
  // Interrupting a run that has a count of its own ends it before its end; without --count
  // Ctrl+C is how the run ends.
  if (verdict == 0 && interrupt::Requested() && p.count) verdict = 1;
  const int rc = s.Finish() ? verdict : 2;
  return Output::Get().Finish(verdict, rc, interrupt::Requested(), &s.Outcome());
}
