// qzh900ctl check: the reader check (maintenance/reader_check.h) with its figures as a summary
// table on standard error, JSON events and a Markdown report with the plot.
#include <sys/stat.h>
#include <QDateTime>
#include <QJsonObject>

#include <cstdio>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/verbs.h"
#include "core/files.h"
#include "core/ini_file.h"
#include "maintenance/check_report.h"
#include "maintenance/reader_check.h"

const std::vector<OptionDef> kCheckOptions = {
    {"--family", nullptr, "F", ValueKind::Text, 0, 0,
     "the tag's family and its read: hdx (charge-only read), fdx (ID read), sic7888 (GetUID) or "
     "em4305 (word read); default: the family of the tag that answers"},
    {"--reads", nullptr, "N", ValueKind::Decimal, 1, 1000,
     "reads per LF level, {range} (default 20)"},
    {"--no-tag", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "the field is empty: no power sweep, only the link and noise count"},
    {"--no-link", nullptr, nullptr, ValueKind::Flag, 0, 0, "leave out the link and noise count"},
    {"--listen", nullptr, "S", ValueKind::Seconds, 0, 3600,
     "read-loop time of the noise count, {range} s (default 5)"},
    {"--identify", nullptr, "N", ValueKind::Decimal, 0, 10000,
     "identification exchanges of the link count, {range} (default 20)"},
    {"--tag-away", nullptr, "S", ValueKind::Seconds, 1, 3600,
     "how long to wait for the tag to leave the field, {range} s (default 60)"},
    {"--tune", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "SIC7888: measure the threshold at every tuning value (CT 0-31); writes CT, so needs --yes"},
    {"--tune-level", nullptr, "N", ValueKind::Decimal, 1, 50,
     "the top LF level of the tuning sweeps, {range} (default: the threshold + 10)"},
    {"--tune-reads", nullptr, "N", ValueKind::Decimal, 1, 1000,
     "reads per level in the tuning sweeps, {range} (default 5)"},
    {"--apply", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "with --tune: write the best tuning value (default: the original value is written back)"},
    {"--yes", "-y", nullptr, ValueKind::Flag, 0, 0, "confirm --tune"},
    {"--report", nullptr, "DIR", ValueKind::Text, 0, 0,
     "write reader-check.md and reader-check.png (the plot) into DIR"},
};

namespace {

QJsonValue IntOrNull(const std::optional<int>& v) {
  return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

struct CheckArgs {
  CheckSettings settings;
  std::string reportDir;
  bool yes = false;
};

CheckArgs ParseCheckArgs(std::vector<std::string>& args) {
  CheckArgs c;
  CheckSettings& s = c.settings;
  for (OptionReader arg(args, kCheckOptions); arg.Next();) {
    if (!arg.Option()) throw UsageError("unexpected argument: " + arg.Arg());
    if (arg.Is("--family")) {
      const std::string name = arg.Text();
      s.family = CheckFamilyByName(name);
      if (!s.family)
        throw UsageError("--family: \"" + name + "\" is not hdx, fdx, sic7888 or em4305");
    } else if (arg.Is("--reads")) {
      s.reads = static_cast<int>(arg.Number());
    } else if (arg.Is("--no-tag")) {
      s.withTag = false;
    } else if (arg.Is("--no-link")) {
      s.link = false;
    } else if (arg.Is("--listen")) {
      s.listenMs = static_cast<uint32_t>(arg.Seconds() * 1000);
    } else if (arg.Is("--identify")) {
      s.identifications = static_cast<int>(arg.Number());
    } else if (arg.Is("--tag-away")) {
      s.tagAwayMs = static_cast<uint32_t>(arg.Seconds() * 1000);
    } else if (arg.Is("--tune")) {
      s.tune = true;
    } else if (arg.Is("--tune-level")) {
      s.tuneLevel = static_cast<int>(arg.Number());
    } else if (arg.Is("--tune-reads")) {
      s.tuneReads = static_cast<int>(arg.Number());
    } else if (arg.Is("--apply")) {
      s.apply = true;
    } else if (arg.Is("--yes")) {
      c.yes = true;
    } else if (arg.Is("--report")) {
      c.reportDir = arg.Text();
      if (c.reportDir.empty()) throw UsageError("--report needs a folder");
    }
  }
  if (!s.withTag && !s.link) throw UsageError("--no-tag and --no-link leave nothing to check");
  if (s.tune && !s.withTag) throw UsageError("--tune needs a tag in the field");
  if (s.tune && !c.yes) throw UsageError("--tune writes the tag's tuning value: add --yes");
  if (s.apply && !s.tune) throw UsageError("--apply needs --tune");
  if (s.tune && s.family && *s.family != CheckFamily::Sic7888)
    throw UsageError("--tune is for SIC7888 tags");
  return c;
}

// The summary table for a person, on standard error.
void PrintSummary(const CheckResult& r) {
  std::FILE* e = stderr;
  std::fprintf(e, "check: %s, LF level at the start %d\n",
               r.family ? CheckFamilyName(*r.family) : "no tag", r.startLevel);
  if (!r.levels.empty()) {
    std::fprintf(e, "%6s %6s %6s %7s %9s %9s\n", "level", "reads", "ok", "rate", "p50 ms",
                 "p95 ms");
    for (const auto& m : r.levels)
      std::fprintf(e, "%6d %6d %6d %6.0f%% %9.2f %9.2f%s\n", m.level, m.reads, m.ok, 100 * m.Rate(),
                   m.p50Ms, m.p95Ms,
                   r.threshold && *r.threshold == m.level ? "  <- threshold" : "");
    if (r.threshold)
      std::fprintf(e, "threshold: LF level %d (the lowest reading >= 95 %%)\n", *r.threshold);
    else
      std::fprintf(e, "threshold: none (the top level does not read >= 95 %%)\n");
  }
  if (r.tune.ran) {
    std::fprintf(e, "tuning:");
    for (const auto& s : r.tune.steps)
      std::fprintf(e, " %d:%s", s.ct, s.threshold ? std::to_string(*s.threshold).c_str() : "-");
    std::fprintf(e, "\ntuning: original CT %d, best %s, %s, READ CT %s\n", r.tune.original,
                 r.tune.best ? std::to_string(*r.tune.best).c_str() : "none",
                 r.tune.applied ? "best written" : "original written back",
                 r.tune.ctAfter ? std::to_string(*r.tune.ctAfter).c_str() : "-");
  }
  if (r.link.ran) {
    const LinkResult& l = r.link;
    std::fprintf(e,
                 "link: read-loop %.1f s: ID frames %llu, SUM errors %llu, format errors %llu, "
                 "stray bytes %llu\n",
                 l.listenMs / 1000.0, static_cast<unsigned long long>(l.idFrames),
                 static_cast<unsigned long long>(l.badSum),
                 static_cast<unsigned long long>(l.badFormat),
                 static_cast<unsigned long long>(l.strayBytes));
    std::fprintf(e, "link: identification %d/%d answered, time-outs %d, NACKs %d\n", l.answered,
                 l.exchanges, l.timeouts, l.nacks);
  }
  std::fprintf(e, "LF level %d %s\n", r.startLevel,
               r.levelRestored ? "restored" : "NOT restored (set back at the next open)");
  if (r.cancelled) std::fprintf(e, "check: stopped before its end\n");
  if (!r.failure.empty()) std::fprintf(e, "check: %s\n", r.failure.c_str());
}

QJsonObject ResultEvent(const CheckResult& r, const CheckReportFiles& files) {
  QJsonObject o{{"family", r.family ? QJsonValue(CheckFamilyName(*r.family)) : QJsonValue()},
                {"start_level", r.startLevel},
                {"threshold", IntOrNull(r.threshold)},
                {"level_restored", r.levelRestored},
                {"cancelled", r.cancelled},
                {"failure", Q(r.failure)},
                {"levels", static_cast<int>(r.levels.size())}};
  if (r.link.ran) {
    const LinkResult& l = r.link;
    o["link"] = QJsonObject{{"listen_ms", static_cast<qint64>(l.listenMs)},
                            {"id_frames", static_cast<qint64>(l.idFrames)},
                            {"sum_errors", static_cast<qint64>(l.badSum)},
                            {"format_errors", static_cast<qint64>(l.badFormat)},
                            {"stray_bytes", static_cast<qint64>(l.strayBytes)},
                            {"exchanges", l.exchanges},
                            {"answered", l.answered},
                            {"timeouts", l.timeouts},
                            {"nacks", l.nacks}};
  }
  if (r.tune.ran)
    o["tune"] = QJsonObject{{"original", r.tune.original},
                            {"best", IntOrNull(r.tune.best)},
                            {"applied", r.tune.applied},
                            {"ct_after", IntOrNull(r.tune.ctAfter)}};
  if (!files.markdown.empty()) {
    o["report"] = Q(files.markdown);
    o["plot"] = Q(files.plot);
  }
  return o;
}

}  // namespace

namespace {

// The report's folder and files are checked before the sweep, which takes minutes: a folder that
// cannot be made, a file in its place, or a link planted where a report file goes.
void CheckReportPlace(const std::string& dir) {
  struct stat st {};
  if (::lstat(dir.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(dir.c_str(), &st) != 0)
    throw UsageError("--report: " + dir + " is a link to nothing");
  if (::stat(dir.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
    throw UsageError("--report: " + dir + " is no folder");
  if (!IniFile::CreateFolders(dir)) throw UsageError("--report: cannot create the folder " + dir);
  for (const char* name : {kCheckReportName, kCheckPlotName}) {
    const std::string path = dir + "/" + std::string(name);
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      throw UsageError("--report: " + path + " is a link; the report does not follow it");
    if (const files::Error e = files::CheckReplaceable(path))
      throw UsageError("--report: " + path + ": " + e.Text());
  }
}

}  // namespace

int RunCheck(const CommonOptions& o, std::vector<std::string>& args) {
  const CheckArgs c = ParseCheckArgs(args);
  if (!c.reportDir.empty()) CheckReportPlace(c.reportDir);
  Session s(o);
  PromptScript script;
  script.confirm = true;  // "take the tag away": the check then waits until the field is empty
  s.Prompts().Configure(script);
  s.Prompts().SetEcho(true);
  s.OpenPort();
  s.Identify();
  s.Outcome().Clear();

  Output& out = Output::Get();
  CheckHooks hooks;
  hooks.stop = [&] { return s.StopRequested(); };
  hooks.levelDone = [&](const LevelResult& m) {
    out.Event("check_level", {{"level", m.level},
                              {"reads", m.reads},
                              {"ok", m.ok},
                              {"rate", m.Rate()},
                              {"p50_ms", m.p50Ms},
                              {"p95_ms", m.p95Ms}});
  };
  hooks.waiting = [&](CheckWait wait, const std::string&, int secondsLeft) {
    if (wait != CheckWait::kTagAway || secondsLeft <= 0) return;
    out.Note("check: take the tag out of the field (waiting " + std::to_string(secondsLeft) +
                 " s more; --no-link leaves this step out)",
             "progress");
  };
  hooks.tuneDone = [&](const TuneStep& t) {
    out.Event("check_tune", {{"ct", t.ct}, {"threshold", IntOrNull(t.threshold)}});
  };
  const CheckResult r = RunReaderCheck(s.App(), c.settings, hooks);
  PrintSummary(r);

  CheckReportFiles files;
  if (!c.reportDir.empty()) {
    files = WriteCheckReport(
        c.reportDir, r,
        {s.PortName(), QDateTime::currentDateTime().toString(Qt::ISODate).toStdString()});
    if (!files.error.empty())
      out.Note("check: report: " + files.error, "progress");
    else
      std::fprintf(stderr, "check: report %s, plot %s\n", files.markdown.c_str(),
                   files.plot.c_str());
  }
  out.Event("check_result", ResultEvent(r, files));
  int verdict = s.Outcome().Verdict();
  if (!files.error.empty()) verdict = 1;
  // A vanished port is no usage error here: the check has said what it could not do.
  if (s.PortLost()) {
    s.Finish();
    return out.Finish(VerdictOf(1), VerdictOf(1), interrupt::Requested(), &s.Outcome());
  }
  return EndRun(s, verdict);
}
