// The verb table with every verb's help, and the entry that dispatches to the verbs.
#include "cli/verbs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cli/interrupt.h"
#include "cli/output.h"
#include "version.h"

const char* const kVerdictRule =
    "Exit status, the verdict of the run: 0 when every result it reported was OK; 1 when a step\n"
    "failed (an NG result line in any of its forms, a NACK or time-out, an input error, an NG\n"
    "status panel or failure counter of a dialog), was cancelled, or the run was interrupted\n"
    "(Ctrl+C, SIGTERM); 2 on usage and port errors (no port given or stored, no\n"
    "module answering on the port) and when a write to standard output failed, with a one-line\n"
    "reason on standard error.\n";

const std::vector<OptionDef> kNoOptions = {};

const std::vector<OptionDef> kRunOptions = {
    {"--answer", "-a", "KEY=VALUE", ValueKind::Text, 0, 0,
     "fill a dialog field: KEY is the control name (IntEd1, EdData0, CBLock, RGHexDecimal, "
     "PageControl1 for the tab in front), prefixed with the dialog class where a handler shows "
     "several dialogs with that name (TInp3Data1Dlg.IntEd2=4). Numbers are typed into the field "
     "(hex fields take hex digits), choices and radio groups take the item text or its index, "
     "check boxes 1/0. A field without an answer keeps the value the dialog shows (the "
     "remembered one), as pressing OK at once would."},
    {"--yes", "-y", nullptr, ValueKind::Flag, 0, 0,
     "answer the confirmations (\"Can not rewrite data but is good?\") with Yes; a handler that "
     "asks one refuses to run without --yes or --no"},
    {"--no", "-n", nullptr, ValueKind::Flag, 0, 0, "answer the confirmations with No"},
    {"--cancel", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "answer the first dialog with Cancel: the port is not opened and nothing is sent"},
    {"--repeat", nullptr, "N", ValueKind::Decimal, 0, 100000,
     "dialogs that stay open (ID write, tag data, command test): press their default button N "
     "times ({range}, default 1), then close them"},
    {"--press", nullptr, "ACTION", ValueKind::Text, 0, 0,
     "press that button of a dialog that stays open instead (repeatable, in order: --press "
     "ScanSBt --press ApplySBt); close it yourself. An ACTION no dialog of the item has is a "
     "usage error"},
    {"--file", nullptr, "PATH", ValueKind::Text, 0, 0,
     "the file name answered by file-save dialogs"},
    {"--ctrl", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "the Control key is held (Ctrl-click behaviours)"},
    {"--any-level", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "run an item the window offers only at a higher reader level than the module's (without "
     "it such an item is refused, naming the level it needs)"},
};

const std::vector<OptionDef> kListOptions = {
    {"--names", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "only the component names, one a line, without running any handler (for shell "
     "completion)"},
};

const std::vector<OptionDef> kDumpOptions = {
    {"--csv", nullptr, "FILE", ValueKind::Text, 0, 0,
     "append the export to FILE (\".csv\" is put on the name), as \"Save\"; with --save the "
     "viewer's SaveFileName becomes FILE; \"-\" writes the export to standard output instead "
     "of the table"},
    {"--type", nullptr, "T", ValueKind::Text, 0, 0,
     "auto (default), multipage, sic279, sic7888 or em4305 (the viewer's fixed tag type)"},
    {"--fast", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "read TI pages and SIC7888 blocks with one command (reader level 2+); default: the "
     "viewer's setting, which --save stores"},
    {"--no-fast", nullptr, nullptr, ValueKind::Flag, 0, 0, "one command per page or block"},
};

const std::vector<OptionDef> kProgramOptions = {
    {"--chip", nullptr, "C", ValueKind::Text, 0, 0, "sic279, sic7888, em4305 or hdxplus"},
    {"--country", nullptr, "N", ValueKind::Decimal, 0, 999,
     "ISO 11784 animal codes: the country code, {range}"},
    {"--national", nullptr, "N", ValueKind::Decimal, 0, 274877906943,
     "the first national ID, {range}"},
    {"--industrial", nullptr, "N", ValueKind::Number, 0, 9223372036854775807,
     "industrial codes instead: the first number, {range} (0x.. for hexadecimal)"},
    {"--increment", nullptr, "N", ValueKind::Decimal, 1, 1000000,
     "the step from code to code, {range} (default 1)"},
    {"--planned", nullptr, "N", ValueKind::Decimal, 1, 1000000000,
     "the series' number of codes, {range}, when the run plans a new series (default: up to "
     "the largest number)"},
    {"--count", nullptr, "N", ValueKind::Decimal, 1, 1000000,
     "stop after N verified tags of this station, {range} (default: until interrupted)"},
    {"--ledger", nullptr, "WHERE", ValueKind::Text, 0, 0,
     "the code ledger: sqlite:PATH, or postgresql://user@host[:port]/database (a libpq URI; "
     "?host=/socket/dir for a Unix socket) shared by the stations of several machines (default: "
     "sqlite:~/.local/share/norvik/QZH900Tool/ledger.sqlite)"},
    {"--csv", nullptr, "FILE", ValueKind::Text, 0, 0,
     "also append every tag to the results CSV FILE: time, port, chip, code written, code read "
     "back, OK/NG, UID or traceability data"},
    {"--resume", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "without a first code: go on with the series of the results CSV's rows (a CSV of runs "
     "before the ledger: after its last verified code), else the one --series names, else the "
     "one of this station's last claim; anything else is refused with the open series"},
    {"--series", nullptr, "N", ValueKind::Decimal, 1, 9223372036854775807,
     "with --resume: go on with series N of the ledger"},
    {"--station", nullptr, "NAME", ValueKind::Text, 0, 0,
     "the station's name on this machine, kept with every claim (default: the port's stable "
     "name, /dev/serial/by-id/...)"},
    {"--poll", nullptr, "MS", ValueKind::Decimal, 20, 5000,
     "interval of the presence polling, {range} ms (default 200)"},
    {"--on-fail", nullptr, "wait|stop", ValueKind::Text, 0, 0,
     "after a failed write or verification: wait for the next tag and write the same code to "
     "it (default), or stop"},
    {"--test-code", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "allow country 999, the code of test transponders"},
    {"--any-country", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "allow a country that is neither an ISO 3166-1 numeric code nor a manufacturer code "
     "(900-998)"},
    {"--lock", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "lock every code for good (sic279 and hdxplus; needs --yes)"},
    {"--yes", "-y", nullptr, ValueKind::Flag, 0, 0, "confirm --lock"},
};

const std::vector<OptionDef> kLedgerOptions = {
    {"--ledger", nullptr, "WHERE", ValueKind::Text, 0, 0,
     "the code ledger, as for program (default: this user's SQLite ledger)"},
    {"--series", nullptr, "N", ValueKind::Decimal, 1, 9223372036854775807,
     "export: the series (default: the one of the ledger's last claim)"},
    {"--csv", nullptr, "FILE", ValueKind::Text, 0, 0,
     "export: write FILE (replaced as a whole) instead of standard output (\"-\": standard "
     "output)"},
};

// The positional of listen, as a definition: its range and parsing are the parser's.
const std::vector<OptionDef> kListenOptions = {
    {"SECONDS", nullptr, nullptr, ValueKind::Seconds, 0, 86400,
     "how long to read, {range} s, a decimal number with an optional fraction (0.5)"},
    {"--follow", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "instead of SECONDS: read until SIGINT or SIGTERM, then command mode, the tally and exit "
     "0; a port that vanishes is waited for (polled every 0.5 s) and reopened"},
    {"--dedup", nullptr, "MS", ValueKind::Decimal, 1, 86400000,
     "with --follow: leave out a repeat of an ID within MS ms ({range}) of the time it was last "
     "shown, every line and event of it; the tally still counts it"},
    {"--frames", nullptr, nullptr, ValueKind::Flag, 0, 0,
     "with --follow: also the frame lines (TX:, RX:) and, with --json, the log events of the ID "
     "lines; by default only the ID lines (text) or the \"id\" events (JSON) are printed"},
    {"--tally-every", nullptr, "S", ValueKind::Seconds, 1, 86400,
     "with --follow: print the tally every S seconds ({range})"},
};

namespace {

const char* const kCheckIntro =
    "How healthy this reader and antenna are, measured, with a tag of any family in the field.\n"
    "Power sweep: the LF transmission level is read; from level 50 down in steps of 5 (then in\n"
    "steps of 1 around the threshold) each level gets N reads with the family's read, giving\n"
    "its read rate and p50/p95 round-trip time; the threshold is the lowest level that reads\n"
    ">= 95 %. Then the tag is to be taken away (the check waits until no tag answers) and\n"
    "read-loop mode counts ID frames, SUM and format errors and stray bytes on the empty field,\n"
    "followed by N identification exchanges with their time-outs and NACKs.\n";

const char* const kCheckOutro =
    "The level read at the start is always set again: at the end, after a failure, after\n"
    "Ctrl+C or SIGTERM; when the port vanished it is noted in LfLevelRestore.ini in the\n"
    "settings folder and set at the next identification of a module on that port. Log lines go\n"
    "to standard output, the summary table to standard error, with --json the check_level,\n"
    "check_tune and check_result events. The verdict is 1 when the check did not finish or the\n"
    "level could not be set back.\n";

const char* const kRunIntro =
    "Runs the handler of one menu item headless, exactly as the window would, and prints the\n"
    "log lines the log pane would show. ITEM is the component name (SIC7888READBLOCK1) or the\n"
    "caption (\"ReadBlock...\"; captions shared by several menus take the menus in front:\n"
    "\"SIC7888>IDWrite\"). \"qzh900ctl list ITEM\" shows the dialogs, fields and initial values.\n";

const char* const kRunOutro =
    "Every answer is checked against the handler's dialogs before anything is sent: an unknown\n"
    "field or --press action, a bad value or a missing --yes/--no is a usage error. Then the\n"
    "module is identified (quietly; --verbose shows its lines on standard error), and an item\n"
    "the window offers only at a higher reader level is refused unless --any-level is given.\n"
    "Status panels, a dialog's own log and its counters, confirmations and message boxes go to\n"
    "standard error. Ctrl+C closes a dialog that stays open with its own close button; with\n"
    "--save what the finished writes changed is saved (the ID write dialog's next ID).\n";

const char* const kListIntro =
    "Prints every item that \"run\" can start: component name, English caption, menu path and\n"
    "how the window offers it (hidden, reader level, animal-ID mode), then the dialogs its\n"
    "handler shows with their fields: kind, range, initial value (the remembered one from the\n"
    "settings file) and caption. Nothing is sent: the handlers run against a module that\n"
    "answers from memory, over a copy of the settings kept in memory (nothing is written to\n"
    "disk). With ITEM arguments, only those items.\n";

const char* const kDumpIntro =
    "The tag memory viewer's \"Read\": identifies the tag in the field and reads its whole\n"
    "memory. Prints the viewer's log lines, then the three fields and the table as the CSV\n"
    "export writes them (\"ID(Hex),...\", \"Tag Type,...\", \"Chip/Manufacture,...\", the rows).\n";

const char* const kDumpOutro =
    "The verdict is 1 when no tag was identified or a read of its memory failed; an unwritable\n"
    "FILE is refused before anything is sent. With --save the viewer's settings are stored as\n"
    "it stores them when it closes (SaveFileName, FastMode).\n";

const char* const kProgramIntro =
    "Series programming: waits for a tag, claims the next code of the series in the code\n"
    "ledger, writes it with the chip family's configuration step, reads it back through the ID\n"
    "read, records the outcome in the ledger (and the results CSV), waits for the tag to leave\n"
    "the field, and goes on with the next code. Stations that give the same first code (and\n"
    "increment) work one series together: each code goes to one tag of one station.\n";

const char* const kProgramOutro =
    "Nothing is written to a tag without a claim in the ledger. A failed code stays with the\n"
    "station for its next tag; a verified code is never written again, and a tag that carries a\n"
    "verified code, or whose UID got one, is not written. A new series must not reach codes of\n"
    "the ledger that may be on tags. Interrupting (Ctrl+C) finishes the tag in hand, records it\n"
    "and stops; a ledger that cannot be reached stops the run after the tag in hand.\n"
    "Progress goes to standard error; the handler's log lines to standard output. The verdict\n"
    "is 1 when a tag failed, and when a run with --count was interrupted before its count; 2 on\n"
    "usage, port and ledger errors (also when a row could not be written).\n";

const char* const kLedgerIntro =
    "The code ledger of series programming, which every station of a series claims its codes\n"
    "from and records them in:\n"
    "  status        every series: first code, step, plan, codes verified, in hand, failed,\n"
    "                released, void and left, the time of its last claim or record\n"
    "  orphans       codes claimed by a station that is gone (killed, cut off) and never\n"
    "                recorded, and the failed codes stations keep for their next tag; no\n"
    "                station gets them again by itself\n"
    "  export        a series in the results file's columns (every tag written, OK and NG)\n"
    "  release CODE  reads the tag in the field (--port): when it is the tag the station had in\n"
    "                hand (its UID) and does not carry CODE, the code goes back to the series\n"
    "                and the next claim of any station takes it\n"
    "  void CODE     takes a claimed, failed or released code out of the series for good\n"
    "CODE is written as the results file writes it: \"392 000000000100\" (country and\n"
    "national ID), 19 digits (industrial) or 0x and 16 hexadecimal digits.\n";

const char* const kLedgerOutro =
    "A code in the hand of a station that runs on this machine is neither released nor voided.\n"
    "release ends with 1 when the tag check refuses (no tag, another tag, the tag carries the\n"
    "code).\n";

const char* const kListenIntro =
    "Read-loop mode for SECONDS: the ID lines as they come, then command mode again and the tag\n"
    "tally (number, count, tag type, ID). The switch back waits for the module's answer while ID\n"
    "frames still arrive. Ctrl+C ends the reading early: the module goes back to command mode\n"
    "and the tally is printed (verdict 1, interrupted).\n";

const char* const kListenOutro =
    "With --follow it reads until SIGINT or SIGTERM and then exits 0 (1 when the module did not\n"
    "go back to command mode). When the port vanishes, a line on standard error says so (event\n"
    "port_lost); the run waits for the device to return (a COMn name is looked up in the port\n"
    "registry again), reopens it at the same speed, identifies the module, reads on and says\n"
    "how long the gap was (port_back). The tally goes on across the gap. Only the ID lines are\n"
    "printed (--frames adds the frame lines); with --json every ID shown is one \"id\" event:\n"
    "tag type, kind, ID bytes and the decoded identity (country and national ID as numbers,\n"
    "the EM number), and no log event per frame unless --frames is given.\n";

const char* const kReadIntro =
    "Reads the tag in the field, whatever its family (read-loop mode until the first ID frame),\n"
    "and prints its identity: tag type, kind (animal, industrial, em or id), the ID bytes, and\n"
    "for an ISO 11784 animal code the country (number and name), the national ID and the flags;\n"
    "for an EM tag the EM number. The module is back in command mode at the end.\n";

const char* const kReadOutro =
    "With --json one \"tag\" event: tag_type, bytes, code_kind, and country, country_name,\n"
    "national and flags of an animal code, em_number and em_version of an EM tag (numbers as\n"
    "numbers). Country names are English unless --lang ja. The verdict is 1 when no tag\n"
    "answered within the wait.\n";

const char* const kSendIntro =
    "Sends one command frame with the data bytes given (command code first, at most 249) and\n"
    "awaits the answer; prints the TX, RX and result lines. The verdict is 1 on NACK or\n"
    "time-out.\n";

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: qzh900ctl [common options] VERB [options] [--] [arguments]\n\nverbs:\n");
  for (const Verb& v : AllVerbs()) std::fprintf(out, "  %-30s %s\n", v.synopsis, v.help);
  std::fprintf(out, "\ncommon options:\n%s", OptionsHelp(CommonOptionDefs()).c_str());
  std::fprintf(out,
               "\n\"qzh900ctl VERB --help\" describes a verb. Standard output carries exactly the\n"
               "log lines the tool's log pane would show (JSON Lines with --json).\n%s%s %s\n",
               kVerdictRule, version::kProductName, version::kPackageVersion);
}

// "--json" anywhere among the arguments: known before the common options are parsed, so that a
// usage error in them is reported in JSON too.
bool WantsJson(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--json") return true;
  return false;
}

}  // namespace

std::string VerbHelp(const Verb& v) {
  std::string text =
      std::string("usage: qzh900ctl ") + v.synopsis + " [options]\n  " + v.help + "\n\n" + v.intro;
  if (!v.options->empty()) text += "\n" + OptionsHelp(*v.options);
  if (*v.outro) text += std::string("\n") + v.outro;
  text += std::string("\n") + kVerdictRule;
  text += "\ncommon options:\n" + OptionsHelp(CommonOptionDefs());
  return text;
}

const std::vector<Verb>& AllVerbs() {
  static const std::vector<Verb> verbs = {
      {.name = "ports",
       .synopsis = "ports",
       .help = "list the serial ports: COMn, device, description",
       .intro = "Lists the serial ports as the window's port list does: COMn, device, "
                "description.\n",
       .options = &kNoOptions,
       .outro = "",
       .run = RunPorts},
      {.name = "identify",
       .synopsis = "identify",
       .help = "command mode, ROM version and model name, as at start-up",
       .intro = "Opens the port and identifies the module as the window's start-up does.\n",
       .options = &kNoOptions,
       .outro = "",
       .run = RunIdentify},
      {.name = "send",
       .synopsis = "send HEX...",
       .help = "send one command (data bytes, code first) and await the answer",
       .intro = kSendIntro,
       .options = &kNoOptions,
       .outro = "",
       .run = RunSend},
      {.name = "listen",
       .synopsis = "listen SECONDS | listen --follow [--frames] [--dedup MS] [--tally-every S]",
       .help = "read-loop mode: ID lines, then the tally",
       .intro = kListenIntro,
       .options = &kListenOptions,
       .outro = kListenOutro,
       .run = RunListen},
      {.name = "read",
       .synopsis = "read [--wait S]",
       .help = "the decoded identity of the tag in the field",
       .intro = kReadIntro,
       .options = &kReadOptions,
       .outro = kReadOutro,
       .run = RunRead},
      {.name = "run",
       .synopsis = "run ITEM [--answer K=V]...",
       .help = "run a menu item's handler with scripted answers",
       .intro = kRunIntro,
       .options = &kRunOptions,
       .outro = kRunOutro,
       .run = RunRun},
      {.name = "list",
       .synopsis = "list [ITEM...]",
       .help = "the runnable items with their dialogs and fields",
       .intro = kListIntro,
       .options = &kListOptions,
       .outro = "",
       .run = RunList},
      {.name = "dump",
       .synopsis = "dump [--csv FILE]",
       .help = "the tag memory viewer's Read, fields and table",
       .intro = kDumpIntro,
       .options = &kDumpOptions,
       .outro = kDumpOutro,
       .run = RunDump},
      {.name = "program",
       .synopsis = "program --chip C ...",
       .help = "series programming of ID codes with verification",
       .intro = kProgramIntro,
       .options = &kProgramOptions,
       .outro = kProgramOutro,
       .run = RunProgram},
      {.name = "ledger",
       .synopsis = "ledger status|orphans|export|release CODE|void CODE",
       .help = "the code ledger: series, orphaned claims, export, release, void",
       .intro = kLedgerIntro,
       .options = &kLedgerOptions,
       .outro = kLedgerOutro,
       .run = RunLedger},
      {.name = "check",
       .synopsis = "check [--family F] [--reads N] [--no-tag] [--tune --yes [--apply]] "
                   "[--report DIR]",
       .help = "reader check: LF power sweep, link and noise count, SIC7888 tuning",
       .intro = kCheckIntro,
       .options = &kCheckOptions,
       .outro = kCheckOutro,
       .run = RunCheck},
  };
  return verbs;
}

int VerdictOf(int verdict) {
  return interrupt::Requested() ? 1 : verdict;
}

int EndRun(Session& s, int verdict) {
  s.CheckPort();
  const int v = VerdictOf(verdict);
  const int rc = s.Finish() ? v : 2;
  return Output::Get().Finish(v, rc, interrupt::Requested(), &s.Outcome());
}

namespace {

// Common options written before the verb ("qzh900ctl --port COM3 identify") move behind it; the
// first argument that is neither such an option nor its value is the verb.
void VerbFirst(std::vector<std::string>& args) {
  size_t i = 0;
  while (i < args.size() && args[i] != "--" && args[i].size() > 1 && args[i][0] == '-') {
    const OptionDef* d = FindOption(CommonOptionDefs(), args[i]);
    if (!d || d->name == std::string("--help")) break;
    const bool inlineValue = args[i].find('=') != std::string::npos;
    i += d->value && !inlineValue ? 2 : 1;
  }
  if (i == 0 || i >= args.size()) return;
  if (args[i] == "--") {
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
    if (i >= args.size()) return;
  }
  std::rotate(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(i),
              args.begin() + static_cast<std::ptrdiff_t>(i) + 1);
}

// Help and version texts: 0, or 2 when standard output could not take them.
int Printed(const std::string& text) {
  if (WriteStdout(text)) return 0;
  std::fprintf(stderr, "qzh900ctl: standard output: %s\n", std::strerror(StdoutErrorCode()));
  return 2;
}

}  // namespace

int CliMain(std::vector<std::string> args) {
  interrupt::Install();
  interrupt::Reset();
  ResetStdoutError();
  VerbFirst(args);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    if (args.size() >= 2 && args[0] == "help") {
      args = {args[1], "--help"};
    } else if (args.empty()) {
      Usage(stderr);
      return 2;
    } else {
      Usage(stdout);
      return StdoutOk() ? 0 : Printed("");
    }
  }
  if (args[0] == "--version")
    return Printed(std::string("qzh900ctl ") + version::kPackageVersion + "\n");
  const std::string verbName = args[0];
  args.erase(args.begin());
  Output& out = Output::Get();
  for (const Verb& v : AllVerbs()) {
    if (verbName != v.name) continue;
    out.Start(verbName, WantsJson(args));
    try {
      CommonOptions o = ParseCommonOptions(args);
      if (o.help) return Printed(VerbHelp(v));
      const int rc = v.run(o, args);
      // Verbs that end with EndRun have written the summary; this one is for the others.
      return out.Finish(rc, rc, interrupt::Requested(), nullptr);
    } catch (const std::exception& e) {
      out.Error(e.what());
      return out.Finish(2, 2, interrupt::Requested(), nullptr);
    }
  }
  out.Start("", WantsJson(args));
  out.Error("unknown verb \"" + verbName + "\" (see qzh900ctl --help)");
  return out.Finish(2, 2, false, nullptr);
}
