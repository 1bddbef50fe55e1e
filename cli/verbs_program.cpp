// program: series programming of ID codes. For every tag: wait until one of the chip family
// enters the field, write the next code with the family's configuration step (the animal-ID
// programming's headless write), read it back through the ID read, append the row to the results
// file, wait until the tag has left, go on. Presence is polled with the chip's UID read (the
// traceability read of a SIC279, the ID read of an HDX+), quietly; the write and the read back
// print their log lines as the window's log pane would.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <functional>

#include "cli/arg_reader.h"
#include "cli/series.h"
#include "cli/verbs.h"
#include "codec/animal_id.h"
#include "link/hex.h"

namespace {

using series::CodeKind;
using series::Plan;

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnInterrupt(int) {
  gStop = 1;
  // A second Ctrl+C ends the program at once.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

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
  for (ArgReader arg(args); arg.Next();) {
    const std::string& a = arg.Arg();
    const std::string& name = arg.Name();
    auto value = [&] { return arg.Value(); };
    if (name == "--chip") {
      const std::string c = value();
      const auto chip = series::ChipOfName(c);
      if (!chip) throw UsageError("--chip takes sic279, sic7888, em4305 or hdxplus: \"" + c + "\"");
      p.plan.chip = *chip;
      p.haveChip = true;
    } else if (name == "--country") {
      p.country = static_cast<unsigned>(ParseNumberOption("--country", value(), 0, 999));
    } else if (name == "--national") {
      p.national = static_cast<uint64_t>(ParseNumberOption(
          "--national", value(), 0, static_cast<int64_t>(fdx::AnimalIdCode::kMaxNationalId)));
    } else if (name == "--industrial") {
      p.industrial = static_cast<uint64_t>(
          ParseNumberOption("--industrial", value(), 0,
                            static_cast<int64_t>(series::MaxNumber(CodeKind::Industrial))));
    } else if (name == "--increment") {
      p.plan.increment =
          static_cast<uint64_t>(ParseNumberOption("--increment", value(), 1, 1000000));
    } else if (name == "--count") {
      p.count = static_cast<int>(ParseNumberOption("--count", value(), 1, 1000000));
    } else if (name == "--csv") {
      p.csv = value();
      if (p.csv.empty()) throw UsageError("--csv needs a file name");
    } else if (name == "--resume") {
      p.resume = true;
    } else if (name == "--poll") {
      p.pollMs = static_cast<int>(ParseNumberOption("--poll", value(), 20, 5000));
    } else if (name == "--on-fail") {
      const std::string v = value();
      if (v != "wait" && v != "stop") throw UsageError("--on-fail takes wait or stop");
      p.stopOnFail = v == "stop";
    } else if (name == "--lock") {
      p.lock = true;
    } else if (name == "--yes" || name == "-y") {
      p.yes = true;
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option " + a);
    } else {
      throw UsageError("unexpected argument: " + a);
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
    std::fprintf(stderr, "program: [%d/%s] %s\n", slot_, n.c_str(), text.c_str());
    std::fflush(stderr);
  }
  // The chip's identity read, without log lines; nullopt when no tag of the family answers.
  std::optional<Tag> Probe(bool withCode);
  // Polls until `until` holds; false when interrupted or the port has gone.
  bool Poll(const std::function<bool()>& until);
  bool Stopped() const { return gStop || seriesEnded_ || s_.PortLost(); }
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
  bool seriesEnded_ = false;  // the last code of the series is verified
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
    std::fprintf(stderr, "program: %s was verified before; stopping\n", text.c_str());
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
    std::fprintf(stderr, "program: cannot write the results file (%s); this tag's row is:\n%s\n",
                 error.c_str(), series::ResultsFile::Line(row).c_str());
    fileError_ = true;
    return false;
  }
  if (ok) {
    verified_.insert(code);
    if (!tag.uid.empty()) verifiedUids_.insert(tag.uid);
    ++done_;
    Progress("OK: " + text + " verified");
    if (!args_.count || done_ < args_.count) {
      const auto next = series::Next(plan_, plan_.number);
      if (!next) {
        std::fprintf(stderr, "program: the series ends with %s\n", text.c_str());
        seriesEnded_ = true;
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
  std::fprintf(stderr, "program: %s, %s codes from %s, step %llu, %s, results in %s\n",
               series::ChipName(plan_.chip).c_str(),
               plan_.kind == CodeKind::Animal ? "animal" : "industrial",
               series::CodeText(series::CodeOf(plan_, plan_.number)).c_str(),
               static_cast<unsigned long long>(plan_.increment),
               args_.count
                   ? (std::to_string(args_.count) + (args_.count == 1 ? " tag" : " tags")).c_str()
                   : "until interrupted",
               args_.csv.c_str());
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
    if (gStop || seriesEnded_ || (args_.count && done_ >= args_.count)) break;
    Progress("remove the tag");
    if (!Poll([&] {
          const auto now = Probe(false);
          return !now || !same(*now);
        }))
      break;
  }
  if (s_.PortLost()) {
    std::fprintf(stderr, "program: the port %s has vanished\n", s_.PortName().c_str());
    return 2;
  }
  std::fprintf(stderr, "program: %d verified, %d failed%s\n", done_, failed_,
               gStop ? " (interrupted)" : "");
  if (fileError_) return 2;
  return failed_ ? 1 : 0;
}

// The results file once every check has passed and the module answers: only now does the run
// write to it (the header of a new file; a last row cut short by a crash taken out).
void BeginResults(series::ResultsFile& results, const std::string& csv) {
  std::string error, dropped;
  if (!results.Begin(&error, &dropped)) throw UsageError(error);
  if (!dropped.empty())
    std::fprintf(stderr,
                 "program: %s: the last row was cut short and carries no result; taken out: %s\n",
                 csv.c_str(), dropped.c_str());
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
  gStop = 0;
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  struct sigaction oldInt {
  }, oldTerm{};
  sigaction(SIGINT, &sa, &oldInt);
  sigaction(SIGTERM, &sa, &oldTerm);
  SeriesRun run(s, p, results);
  int rc = run.Run();
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  results.Close();
  if (!s.Finish()) rc = 2;
  return rc;
}
