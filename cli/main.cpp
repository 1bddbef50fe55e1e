// qzh900ctl: the tool's functions from the command line, with the same code paths as the window.
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "cli/verbs.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(out, "usage: qzh900ctl VERB [options]\n\nverbs:\n");
  for (const Verb& v : AllVerbs()) std::fprintf(out, "  %-28s %s\n", v.synopsis, v.help);
  std::fprintf(out, "\ncommon options:\n%s", kCommonOptionsHelp);
  std::fprintf(out,
               "\nStandard output carries exactly the log lines the tool's log pane would show.\n"
               "Exit status: 0 success, 1 NG or time-out, 2 usage or port error.\n");
}

}  // namespace

const std::vector<Verb>& AllVerbs() {
  static const std::vector<Verb> verbs = {
      {"ports", "ports", "list the serial ports: COMn, device, description", RunPorts},
      {"identify", "identify", "command mode, ROM version and model name, as at start-up",
       RunIdentify},
      {"send", "send HEX...", "send one command (data bytes, code first) and await the answer",
       RunSend},
      {"listen", "listen SECONDS", "read-loop mode: ID lines, then the tally", RunListen},
  };
  return verbs;
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    Usage(args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  const std::string verbName = args[0];
  args.erase(args.begin());
  for (const Verb& v : AllVerbs()) {
    if (verbName != v.name) continue;
    try {
      CommonOptions o = ParseCommonOptions(args);
      if (o.help) {
        std::printf("usage: qzh900ctl %s [options]\n  %s\n\noptions:\n%s", v.synopsis, v.help,
                    kCommonOptionsHelp);
        return 0;
      }
      return v.run(o, args);
    } catch (const UsageError& e) {
      std::fprintf(stderr, "qzh900ctl %s: %s\n", verbName.c_str(), e.what());
      return 2;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qzh900ctl %s: %s\n", verbName.c_str(), e.what());
      return 2;
    }
  }
  std::fprintf(stderr, "qzh900ctl: unknown verb \"%s\" (see qzh900ctl --help)\n", verbName.c_str());
  return 2;
}
