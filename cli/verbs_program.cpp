// program: series programming of ID codes. For every tag: wait until one of the chip family
// enters the field, write the next code with the family's configuration step (the animal-ID
// programming's headless write), read it back through the ID read, append the row to the results
// file, wait until the tag has left, go on. Presence is polled with the chip's UID read (the
// traceability read of a SIC279, the ID read of an HDX+), quietly; the write and the read back
// print their log lines as the window's log pane would.
#include <QJsonObject>
#include <cstdio>
#include <ctime>
#include <functional>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/series.h"
#include "cli/verbs.h"
#include "codec/animal_id.h"
#include "link/hex.h"

namespace {

using series::CodeKind;
using series::Plan;

// The series has ended (its last code was verified).
bool gStop = false;

struct ProgramArgs {
  Plan plan;
  bool haveChip = false;
  std::optional<unsigned> country;
  std::optional<uint64_t> national;
  std::optional<uint64_t> industrial;
  int count = 0;  // 0: until interrupted
  std::string csv;
  bool resume = false;
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
      p.plan.chip = *chip;
      p.haveChip = true;
    } else if (arg.Is("--country")) {
      p.country = static_cast<unsigned>(arg.Number());
    } else if (arg.Is("--national")) {
      p.national = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--industrial")) {
      p.industrial = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--increment")) {
      p.plan.increment = static_cast<uint64_t>(arg.Number());
    } else if (arg.Is("--count")) {
      p.count = static_cast<int>(arg.Number());
    } else if (arg.Is("--csv")) {
      p.csv = arg.Text();
      if (p.csv.empty()) throw UsageError("--csv needs a file name");
    } else if (arg.Is("--resume")) {
      p.resume = true;
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
    }
  }
  if (!p.haveChip) throw UsageError("program needs --chip sic279|sic7888|em4305|hdxplus");
  if (p.csv.empty()) throw UsageError("program needs --csv FILE for its results");
  if (p.industrial && (p.country || p.national))
    throw UsageError("--industrial excludes --country and --national");
  if (p.country.has_value() != p.national.has_value())
    throw UsageError("animal codes need both --country and --national");
  if (!p.resume && !p.industrial && !p.national)
    throw UsageError("program needs the first code: --country N --national N, or --industrial N");
  if (p.lock && p.plan.chip != fdx::IdChip::Sic279 && p.plan.chip != fdx::IdChip::HdxPlus)
    throw UsageError("--lock applies to sic279 and hdxplus only");
  if (p.lock && !p.yes) throw UsageError("--lock makes the codes permanent: confirm it with --yes");
  if (p.industrial) {
    p.plan.kind = CodeKind::Industrial;
    p.plan.number = *p.industrial;
  } else if (p.national) {
    p.plan.kind = CodeKind::Animal;
    p.plan.country = *p.country;
    p.plan.number = *p.national;
  }
  return p;
}

// The number of a code of the plan's kind (the national ID, or the 63-bit number).
uint64_t NumberOf(CodeKind kind, uint64_t code) {
  return kind == CodeKind::Animal ? fdx::AnimalIdCode::Decode(code).nationalId
                                  : fdx::NonAnimalNumber(code);
}

// Where --resume goes on, and the check that no planned code was verified before.
void PlanFromResults(ProgramArgs& p, const series::ResultsFile& results) {
  if (p.resume) {
    std::optional<uint64_t> last;
    if (p.national || p.industrial) {
      last = results.LastVerified(p.plan.kind, p.plan.country);
    } else {
      for (auto it = results.Rows().rbegin(); it != results.Rows().rend() && !last; ++it)
        if (it->ok) last = series::ParseCodeText(it->written);
      if (!last)
        throw UsageError("--resume: " + p.csv + " holds no verified code; give the first code");
      const bool animal = (*last & fdx::AnimalIdCode::kAnimalFlag) != 0;
      p.plan.kind = animal ? CodeKind::Animal : CodeKind::Industrial;
      if (animal) p.plan.country = fdx::AnimalIdCode::Decode(*last).countryCode;
      p.plan.number = 0;
    }
    if (last) {
      const auto next = series::Next(p.plan, NumberOf(p.plan.kind, *last));
      if (!next) throw UsageError("--resume: the series ends with " + series::CodeText(*last));
      p.plan.number = std::max(p.plan.number, *next);
    }
  }
  // No code of this run may have been verified already (a code is never written twice).
  const std::set<uint64_t> verified = results.VerifiedCodes();
  for (uint64_t code : verified) {
    const bool animal = (code & fdx::AnimalIdCode::kAnimalFlag) != 0;
    if (animal != (p.plan.kind == CodeKind::Animal)) continue;
    if (animal && fdx::AnimalIdCode::Decode(code).countryCode != p.plan.country) continue;
    if (series::CodeOf(p.plan, NumberOf(p.plan.kind, code)) != code) continue;
    const uint64_t n = NumberOf(p.plan.kind, code);
    if (n < p.plan.number || (n - p.plan.number) % p.plan.increment != 0) continue;
    if (p.count && (n - p.plan.number) / p.plan.increment >= static_cast<uint64_t>(p.count))
      continue;
    throw UsageError(series::CodeText(code) + " was verified before (" + p.csv +
                     "); use --resume or another first code");
  }
}

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// A row of the results file as an event of the JSON stream.
void ReportRow(const series::Row& row) {
  auto q = [](const std::string& t) { return QString::fromStdString(t); };
  Output::Get().Event("program_row", {{"row_time", q(row.time)},
                                      {"port", q(row.port)},
                                      {"chip", q(row.chip)},
                                      {"written", q(row.written)},
                                      {"read_back", q(row.readBack)},
                                      {"ok", row.ok},
                                      {"uid", q(row.uid)}});
}

class SeriesRun {
 public:
  SeriesRun(Session& s, const ProgramArgs& args, series::ResultsFile& results)
      : s_(s), comm_(s.Comm()), args_(args), plan_(args.plan), results_(results) {
    verified_ = results.VerifiedCodes();
    for (const series::Row& r : results.Rows())
      if (r.ok && !r.uid.empty()) verifiedUids_.insert(r.uid);
  }

  int Run();

 private:
  struct Tag {
    std::string uid;               // UID or traceability data
    std::optional<uint64_t> code;  // what its ID read gives now
  };

  void Progress(const std::string& text) {
    const std::string n = args_.count ? std::to_string(args_.count) : "-";
    Output::Get().Note("program: [" + std::to_string(slot_) + "/" + n + "] " + text, "progress");
  }
  // The chip's identity read, without log lines; nullopt when no tag of the family answers.
  std::optional<Tag> Probe(bool withCode);
  // Polls until `until` holds; false when interrupted or the port has gone.
  bool Poll(const std::function<bool()>& until);
  bool Stopped() const { return gStop || s_.StopRequested(); }
  // One tag: write, read back, row. False when the run must end (results file).
  bool Program(const Tag& tag);

  Session& s_;
  TTirisC1Dlg& comm_;
  ProgramArgs args_;
  Plan plan_;
  series::ResultsFile& results_;
  std::set<uint64_t> verified_;
  std::set<std::string> verifiedUids_;
  int done_ = 0;
  int failed_ = 0;
  int slot_ = 1;  // the number of the tag in hand, as progress shows it
  bool fileError_ = false;
};

std::optional<SeriesRun::Tag> SeriesRun::Probe(bool withCode) {
  s_.Log().SetSink(StdoutLogPane::Sink::None);
  std::optional<Tag> tag;
  Response out{};
  auto bytesAfterEcho = [&] {
    return out[0] >= 2 ? Trimmed(hex::Bytes(&out[2], static_cast<size_t>(out[0] - 1))) : "";
  };
  switch (plan_.chip) {
    case fdx::IdChip::Sic7888:
      if (comm_.Sic7888GetUid(out, 1) && out[0] >= 5) tag = Tag{bytesAfterEcho(), {}};
      break;
    case fdx::IdChip::Em4305:
      if (comm_.Em4305ReadWord(out, 1) && out[0] >= 5) tag = Tag{bytesAfterEcho(), {}};
      break;
    case fdx::IdChip::Sic279:
      if (comm_.Sic279TraceabilityDataRead(out) && out[0] >= 2) tag = Tag{bytesAfterEcho(), {}};
      break;
    case fdx::IdChip::HdxPlus:
      // No identity read of its own: the ID read finds it, the chip ID blocks 0-2 name it.
      if (auto code = fdx::ReadIdCode(comm_, fdx::IdChip::HdxPlus)) {
        tag = Tag{"", code};
        if (withCode && comm_.Exchange({0x36, 0x00, 0x00, 0x02}, out)) tag->uid = bytesAfterEcho();
      }
      break;
  }
  if (tag && withCode && plan_.chip != fdx::IdChip::HdxPlus)
    tag->code = fdx::ReadIdCode(comm_, plan_.chip);
  s_.Log().SetSink(StdoutLogPane::Sink::Stdout);
  return tag;
}

bool SeriesRun::Poll(const std::function<bool()>& until) {
  for (;;) {
    if (Stopped()) return false;
    if (until()) return true;
    if (Stopped()) return false;
    TTirisC1Dlg::PumpFor(static_cast<uint32_t>(args_.pollMs));
  }
}

bool SeriesRun::Program(const Tag& tag) {
  const uint64_t code = series::CodeOf(plan_, plan_.number);
  const std::string text = series::CodeText(code);
  if (verified_.count(code)) {
    // Only reachable through a results file changed behind the run's back.
    Output::Get().Note("program: " + text + " was verified before; stopping", "progress");
    fileError_ = true;
    return false;
  }
  Progress("tag " + tag.uid + ": writing " + text);
  const std::string name =
      plan_.kind == CodeKind::Animal ? "Animal ID Write" : "Industrial ID Write";
  const bool written = fdx::WriteAnimalCode(s_.App(), plan_.chip, code, {.lock = args_.lock}, name);
  const std::optional<uint64_t> back = fdx::ReadIdCode(comm_, plan_.chip);
  const bool ok = written && back == code;

  series::Row row;
  row.time = series::TimeText(std::time(nullptr));
  row.port = s_.PortName();
  row.chip = series::ChipName(plan_.chip);
  row.written = text;
  row.readBack = back ? series::CodeText(*back) : "";
  row.ok = ok;
  row.uid = tag.uid;
  std::string error;
  if (!results_.Append(row, &error)) {
    Output::Get().Note("program: cannot write the results file (" + error +
                           "); this tag's row is:\n" + series::ResultsFile::Line(row),
                       "progress");
    fileError_ = true;
    return false;
  }
  ReportRow(row);
  if (ok) {
    verified_.insert(code);
    if (!tag.uid.empty()) verifiedUids_.insert(tag.uid);
    ++done_;
    Progress("OK: " + text + " verified");
    if (!args_.count || done_ < args_.count) {
      const auto next = series::Next(plan_, plan_.number);
      if (!next) {
        Output::Get().Note("program: the series ends with " + text, "progress");
        gStop = true;
      } else {
        plan_.number = *next;
      }
    }
  } else {
    ++failed_;
    Progress(std::string("NG: ") +
             (!written ? "the write failed"
              : back   ? "read back " + series::CodeText(*back)
                       : "nothing read back") +
             "; " + text + " stays the next code");
  }
  return true;
}

int SeriesRun::Run() {
  Output::Get().Note(
      "program: " + series::ChipName(plan_.chip) + ", " +
          (plan_.kind == CodeKind::Animal ? "animal" : "industrial") + " codes from " +
          series::CodeText(series::CodeOf(plan_, plan_.number)) + ", step " +
          std::to_string(plan_.increment) + ", " +
          (args_.count ? std::to_string(args_.count) + (args_.count == 1 ? " tag" : " tags")
                       : std::string("until interrupted")) +
          ", results in " + args_.csv,
      "progress");
  while (!Stopped() && (!args_.count || done_ < args_.count)) {
    slot_ = done_ + 1;
    Progress("waiting for a tag");
    std::optional<Tag> tag;
    if (!Poll([&] { return (tag = Probe(false)).has_value(); })) break;
    tag = Probe(true);
    if (!tag) continue;  // gone again before it could be read
    auto same = [&](const Tag& now) {
      return plan_.chip == fdx::IdChip::HdxPlus ? now.code == tag->code : now.uid == tag->uid;
    };
    if (tag->code && verified_.count(*tag->code)) {
      Progress("tag " + tag->uid + " already carries " + series::CodeText(*tag->code) +
               ", verified before: not written");
    } else if (verifiedUids_.count(tag->uid)) {
      Progress("tag " + tag->uid + " was programmed and verified before: not written");
    } else {
      if (!Program(*tag)) break;
      if (failed_ && args_.stopOnFail) break;
      // The tag now carries the code written (or what the read found).
      if (plan_.chip == fdx::IdChip::HdxPlus) {
        s_.Log().SetSink(StdoutLogPane::Sink::None);
        tag->code = fdx::ReadIdCode(comm_, plan_.chip);
        s_.Log().SetSink(StdoutLogPane::Sink::Stdout);
      }
    }
    if (Stopped() || (args_.count && done_ >= args_.count)) break;
    Progress("remove the tag");
    if (!Poll([&] {
          const auto now = Probe(false);
          return !now || !same(*now);
        }))
      break;
  }
  s_.CheckPort();
  Output::Get().Note("program: " + std::to_string(done_) + " verified, " + std::to_string(failed_) +
                         " failed" + (interrupt::Requested() ? " (interrupted)" : ""),
                     "progress");
  if (fileError_) return 2;
  return failed_ ? 1 : 0;
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

}  // namespace

int RunProgram(const CommonOptions& o, std::vector<std::string>& args) {
  ProgramArgs p = ParseProgramArgs(args);
  series::ResultsFile results;
  std::string error;
  // An unusable results file, or one another run holds, is refused before anything is written to
  // a tag or to the file.
  if (!results.Open(p.csv, &error)) throw UsageError(error);
  PlanFromResults(p, results);
  Session s(o);
  s.OpenPort();
  s.Identify();
  BeginResults(results, p.csv);
  gStop = false;
  SeriesRun run(s, p, results);
  int verdict = run.Run();
  results.Close();
  // Interrupting a run that has a count of its own ends it before its end; without --count
  // Ctrl+C is how the run ends.
  if (verdict == 0 && interrupt::Requested() && p.count) verdict = 1;
  const int rc = s.Finish() ? verdict : 2;
  return Output::Get().Finish(verdict, rc, interrupt::Requested(), &s.Outcome());
}
