// The verb table with every verb's help, and the entry that dispatches to the verbs.
#include <cstdio>
#include <cstring>

#include "cli/verbs.h"
#include "version.h"

namespace {

const char* const kRunDetails =
    "Runs the handler of one menu item headless, exactly as the window would, and prints the\n"
    "log lines the log pane would show. ITEM is the component name (SIC7888READBLOCK1) or the\n"
    "caption (\"ReadBlock...\"; captions shared by several menus take the menus in front:\n"
    "\"SIC7888>IDWrite\"). \"qzh900ctl list ITEM\" shows the dialogs, fields and initial values.\n"
    "\n"
    "  --answer KEY=VALUE, -a KEY=VALUE\n"
    "                     fill a dialog field: KEY is the control name (IntEd1, EdData0, CBLock,\n"
    "                     RGHexDecimal, PageControl1 for the tab in front), prefixed with the\n"
    "                     dialog class where a handler shows several dialogs with that name\n"
    "                     (TInp3Data1Dlg.IntEd2=4). Numbers are typed into the field (hex fields\n"
    "                     take hex digits), choices and radio groups take the item text or its\n"
    "                     index, check boxes 1/0. A field without an answer keeps the value the\n"
    "                     dialog shows (the remembered one), as pressing OK at once would.\n"
    "  --yes, --no        answer the confirmations (\"Can not rewrite data but is good?\"); a\n"
    "                     handler that asks one refuses to run without either\n"
    "  --cancel           answer the first dialog with Cancel (nothing is sent)\n"
    "  --repeat N         dialogs that stay open (ID write, tag data, command test): press their\n"
    "                     default button N times (default 1), then close them\n"
    "  --press ACTION     press that button of a dialog that stays open instead (repeatable, in\n"
    "                     order: --press ScanSBt --press ApplySBt); close it yourself\n"
    "  --file PATH        the file name answered by file-save dialogs\n"
    "  --ctrl             the Control key is held (Ctrl-click behaviours)\n"
    "\n"
    "The module is identified first, as at the window's start-up (quietly; --verbose shows its\n"
    "lines on standard error). Every answer is checked against the handler's dialogs before\n"
    "anything is sent: an unknown field, a bad value or a missing --yes/--no is a usage error.\n"
    "Confirmations and message boxes are echoed on standard error.\n"
    "Exit status: 0 when the handler's last result line is OK (or it writes none), 1 when it is\n"
    "NG, when the run was cancelled or the handler failed; 2 on usage and port errors.\n";

const char* const kListDetails =
    "Prints every item that \"run\" can start: component name, English caption, menu path and\n"
    "how the window offers it (hidden, reader level, animal-ID mode), then the dialogs its\n"
    "handler shows with their fields: kind, range, initial value (the remembered one from the\n"
    "settings file) and caption. Nothing is sent: the handlers run against a module that\n"
    "answers from memory. With ITEM arguments, only those items.\n";

const char* const kDumpDetails =
    "The tag memory viewer's \"Read\": identifies the tag in the field and reads its whole\n"
    "memory. Prints the viewer's log lines, then the three fields and the table as the CSV\n"
    "export writes them (\"ID(Hex),...\", \"Tag Type,...\", \"Chip/Manufacture,...\", the rows).\n"
    "\n"
    "  --csv FILE         append the export to FILE (\".csv\" is put on the name), as \"Save\"\n"
    "  --type T           auto (default), multipage, sic279, sic7888 or em4305 (the viewer's\n"
    "                     fixed tag type)\n"
    "  --fast, --no-fast  read TI pages and SIC7888 blocks with one command (reader level 2+);\n"
    "                     default: the viewer's setting\n"
    "\n"
    "Exit status: 0 when a tag was identified, 1 when none answered, 2 on usage and port errors\n"
    "(an unwritable FILE is refused before anything is sent).\n";

const char* const kProgramDetails =
    "Series programming: waits for a tag, writes the next code with the chip family's\n"
    "configuration step, reads it back through the ID read, appends a row to the results CSV,\n"
    "waits for the tag to leave the field, and goes on with the next code.\n"
    "\n"
    "  --chip C           sic279, sic7888, em4305 or hdxplus\n"
    "  --country N --national N\n"
    "                     ISO 11784 animal codes: country code 0-1023 and the first national\n"
    "                     ID 0-274877906943\n"
    "  --industrial N     industrial codes: the first number, 0-9223372036854775807 (0x.. for\n"
    "                     hexadecimal)\n"
    "  --increment N      added after every verified tag (default 1)\n"
    "  --count N          stop after N verified tags (default: until interrupted)\n"
    "  --csv FILE         the results CSV, appended to: time, port, chip, code written, code\n"
    "                     read back, OK/NG, UID or traceability data\n"
    "  --resume           go on after the last verified code of the results CSV\n"
    "  --poll MS          interval of the presence polling, 20-5000 ms (default 200)\n"
    "  --on-fail wait|stop\n"
    "                     after a failed write or verification: wait for the next tag and write\n"
    "                     the same code to it (default), or stop\n"
    "\n"
    "A code is given to the next tag only after the previous one was verified, a verified code\n"
    "is never written again, and a tag that already carries a code of the results file is not\n"
    "written. Interrupting (Ctrl+C) finishes the tag in hand, writes its row and stops.\n"
    "Progress goes to standard error; the handler's log lines to standard output.\n"
    "Exit status: 0 when every tag was verified, 1 when some failed, 2 on usage and port errors\n"
    "(an unwritable results file is refused before anything is written to a tag).\n";

const char* const kListenDetails =
    "Read-loop mode for SECONDS: the ID lines as they come, then command mode again and the tag\n"
    "tally (number, count, tag type, ID).\n";

const char* const kSendDetails =
    "Sends one command frame with the data bytes given (command code first) and awaits the\n"
    "answer; prints the TX, RX and result lines. Exit status 1 on NACK or time-out.\n";

void Usage(FILE* out) {
  std::fprintf(out, "usage: qzh900ctl VERB [options]\n\nverbs:\n");
  for (const Verb& v : AllVerbs()) std::fprintf(out, "  %-30s %s\n", v.synopsis, v.help);
  std::fprintf(out, "\ncommon options:\n%s", kCommonOptionsHelp);
  std::fprintf(out,
               "\n\"qzh900ctl VERB --help\" describes a verb. Standard output carries exactly the\n"
               "log lines the tool's log pane would show. Exit status: 0 success, 1 NG or\n"
               "time-out, 2 usage or port error.\n"
               "%s %s\n",
               version::kProductName, version::kFileVersion);
}

}  // namespace

const std::vector<Verb>& AllVerbs() {
  static const std::vector<Verb> verbs = {
      {.name = "ports",
       .synopsis = "ports",
       .help = "list the serial ports: COMn, device, description",
       .details = "Lists the serial ports as the window's port list does: COMn, device, "
                  "description.\n",
       .run = RunPorts},
      {.name = "identify",
       .synopsis = "identify",
       .help = "command mode, ROM version and model name, as at start-up",
       .details = "Opens the port and identifies the module as the window's start-up does.\n",
       .run = RunIdentify},
      {.name = "send",
       .synopsis = "send HEX...",
       .help = "send one command (data bytes, code first) and await the answer",
       .details = kSendDetails,
       .run = RunSend},
      {.name = "listen",
       .synopsis = "listen SECONDS",
       .help = "read-loop mode: ID lines, then the tally",
       .details = kListenDetails,
       .run = RunListen},
      {.name = "run",
       .synopsis = "run ITEM [--answer K=V]...",
       .help = "run a menu item's handler with scripted answers",
       .details = kRunDetails,
       .run = RunRun},
      {.name = "list",
       .synopsis = "list [ITEM...]",
       .help = "the runnable items with their dialogs and fields",
       .details = kListDetails,
       .run = RunList},
      {.name = "dump",
       .synopsis = "dump [--csv FILE]",
       .help = "the tag memory viewer's Read, fields and table",
       .details = kDumpDetails,
       .run = RunDump},
      {.name = "program",
       .synopsis = "program --chip C ...",
       .help = "series programming of ID codes with verification",
       .details = kProgramDetails,
       .run = RunProgram},
  };
  return verbs;
}

int CliMain(std::vector<std::string> args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    if (args.size() >= 2 && args[0] == "help") {
      args = {args[1], "--help"};
    } else {
      Usage(args.empty() ? stderr : stdout);
      return args.empty() ? 2 : 0;
    }
  }
  if (args[0] == "--version") {
    std::printf("qzh900ctl %s\n", version::kFileVersion);
    return 0;
  }
  const std::string verbName = args[0];
  args.erase(args.begin());
  for (const Verb& v : AllVerbs()) {
    if (verbName != v.name) continue;
    try {
      CommonOptions o = ParseCommonOptions(args);
      if (o.help) {
        std::printf("usage: qzh900ctl %s [options]\n  %s\n\n%s\ncommon options:\n%s", v.synopsis,
                    v.help, v.details, kCommonOptionsHelp);
        return 0;
      }
      return v.run(o, args);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qzh900ctl %s: %s\n", verbName.c_str(), e.what());
      return 2;
    }
  }
  std::fprintf(stderr, "qzh900ctl: unknown verb \"%s\" (see qzh900ctl --help)\n", verbName.c_str());
  return 2;
}
