#include "sim/options.h"

#include "core/ini_file.h"
#include "sim/chip_registry.h"
#include "sim/scenario.h"

namespace sim {

namespace {

using std::chrono::milliseconds;

bool ParseRange(const std::string& text, int64_t min, int64_t max, int64_t& out) {
  auto v = ParseInteger(text);
  if (!v || *v < min || *v > max) return false;
  out = *v;
  return true;
}

std::string RomText(const std::string& value) {
  if (value == "1010" || value == "1020" || value == "1100") return value + "LFS00";
  return value;
}

bool Printable(const std::string& s) {
  for (unsigned char c : s) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return !s.empty() && s.size() <= 64;
}

// "MS" for every command, or "CODE=MS" for one command code.
bool ParseAirTime(const std::string& text, ModuleConfig& m) {
  const size_t eq = text.find('=');
  int64_t ms = 0;
  if (!ParseRange(text.substr(eq == std::string::npos ? 0 : eq + 1), 0, 60000, ms)) return false;
  if (eq == std::string::npos) {
    m.airTime = milliseconds(ms);
    return true;
  }
  int64_t code = 0;
  if (!ParseRange(text.substr(0, eq), 0, 255, code)) return false;
  m.airTimeByCode[static_cast<uint8_t>(code)] = milliseconds(ms);
  return true;
}

// One option with its value (empty for a flag); false with the reason when it is not valid.
bool Apply(const std::string& name, const std::string& value, CommandLine& cl, std::string& error) {
  auto bad = [&](const std::string& expected) {
    error = name + ": \"" + value + "\" is not " + expected;
    return false;
  };
  int64_t n = 0;
  if (name == "--help" || name == "-h") {
    cl.help = true;
  } else if (name == "--version") {
    cl.version = true;
  } else if (name == "--no-wire-time") {
    cl.sim.wireTime = false;
  } else if (name == "--no-tags") {
    cl.noTags = true;
  } else if (name == "--flood") {
    cl.sim.module.flood = true;
  } else if (name == "--trace") {
    cl.sim.traceFrames = true;
  } else if (name == "--com") {
    if (!ParseRange(value, 0, 255, n)) return bad("0 to 255");
    cl.sim.comNumber = static_cast<int>(n);
  } else if (name == "--baud") {
    if (!ParseRange(value, 0, 1000000, n) || !ParameterMemory::CodeOfBaud(static_cast<int>(n))) {
      return bad("9600, 19200, 38400, 57600 or 115200");
    }
    cl.sim.module.baud = static_cast<int>(n);
  } else if (name == "--rom") {
    if (!Printable(value)) return bad("a version such as 1010, 1020, 1100 or 1100LFS00");
    cl.sim.module.romVersion = RomText(value);
  } else if (name == "--model") {
    if (!Printable(value)) return bad("a printable name");
    cl.sim.module.modelName = value;
  } else if (name == "--air-time") {
    if (!ParseAirTime(value, cl.sim.module)) return bad("MS or CODE=MS (0 to 60000 ms)");
  } else if (name == "--tag") {
    cl.tagSpecs.push_back(value);
  } else if (name == "--scenario") {
    cl.scenarioFiles.push_back(value);
  } else if (name == "--feed") {
    std::string why;
    if (!ParseFeedSpec(value, cl.feedPlan, why)) {
      error = name + ": " + why;
      return false;
    }
    cl.feed = true;
  } else if (name == "--feed-gap") {
    if (!ParseRange(value, 0, 3600000, n)) return bad("0 to 3600000 ms");
    cl.feedPlan.gap = milliseconds(n);
    cl.feedGapGiven = true;
  } else if (name == "--feed-uid") {
    const auto uid = ParseHexArg(value, 8);
    if (!uid) return bad("a UID of 1 to 8 hexadecimal digits");
    cl.feedPlan.firstUid = static_cast<uint32_t>(*uid);
    cl.feedUidGiven = true;
  } else if (name == "--interval") {
    if (!ParseRange(value, 1, 3600000, n)) return bad("1 to 3600000 ms");
    cl.sim.module.streamInterval = milliseconds(n);
  } else if (name == "--reopen-after") {
    if (!ParseRange(value, 0, 3600000, n)) return bad("0 to 3600000 ms");
    cl.sim.reopenAfter = milliseconds(n);
  } else {
    // Every fault setting is also an option: --bad-sum 2, --nack 0x42:1, ...
    if (ApplyFaultSetting(cl.faults, name.substr(2), value, error)) return true;
    error = "--" + error;
    return false;
  }
  return true;
}

bool IsFlag(const std::string& name) {
  return name == "--help" || name == "-h" || name == "--version" || name == "--no-wire-time" ||
         name == "--no-tags" || name == "--flood" || name == "--trace";
}

bool TakesValue(const std::string& name) {
  static const char* const kValued[] = {"--com",          "--baud", "--rom",      "--model",
                                        "--air-time",     "--tag",  "--scenario", "--interval",
                                        "--reopen-after", "--feed", "--feed-gap", "--feed-uid"};
  for (const char* v : kValued) {
    if (name == v) return true;
  }
  for (const auto& [form, help] : FaultSettingHelp()) {
    if (name == "--" + form.substr(0, form.find(' '))) return true;
  }
  return false;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine r;
  r.cl.sim.comNumber = 9;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    const size_t eq = name.find('=');
    const bool inlineValue = name.rfind("--", 0) == 0 && eq != std::string::npos;
    if (inlineValue) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (name.rfind("--", 0) != 0 && name != "-h") {
      r.error = "unexpected argument \"" + name + "\"";
      return r;
    }
    if (!IsFlag(name) && !TakesValue(name)) {
      r.error = "unknown option " + name;
      return r;
    }
    if (IsFlag(name)) {
      if (inlineValue) {
        r.error = name + " takes no value";
        return r;
      }
    } else if (!inlineValue) {
      if (i + 1 >= args.size()) {
        r.error = name + " needs a value";
        return r;
      }
      value = args[++i];
    }
    if (!Apply(name, value, r.cl, r.error)) return r;
  }
  if (!r.cl.feed && (r.cl.feedUidGiven || r.cl.feedGapGiven)) {
    r.error = "--feed-gap and --feed-uid belong to --feed";
    return r;
  }
  r.ok = true;
  return r;
}

std::string UsageText() {
  std::string u =
      "Usage: qzh900-sim [options]\n"
      "A simulated QZH-900 reader module on a pseudo-terminal, registered as COM<n>.\n"
      "\n"
      "  --com N            register as COM<N> (default 9; 0 = do not register)\n"
      "  --baud B           module speed: 9600, 19200, 38400, 57600 (default), 115200\n"
      "  --rom V            firmware 1010, 1020 or 1100 (default; \"1100LFS00\")\n"
      "  --model NAME       model name (default QZH-900)\n"
      "  --no-wire-time     answer at once instead of at the line's pace\n"
      "  --air-time MS      delay before every answer; CODE=MS for one command\n"
      "  --tag SPEC         put a tag in the field (repeatable); see below\n"
      "  --scenario FILE    tags from a file, one SPEC per line, '#' comments\n"
      "  --no-tags          start with an empty field\n"
      "  --feed CHIP[:N]    feed N blank tags (default: without end) one after another: once a\n"
      "                     station has written one and read it back, it leaves the field and\n"
      "                     the next enters; CHIP is " +
      FeedChips() +
      "\n"
      "  --feed-gap MS      the time from a read back to the next tag (default 50)\n"
      "  --feed-uid HEX     the first tag's UID, counting up (default: drawn at random)\n"
      "  --interval MS      read-loop mode: one round of 'I' frames every MS (default 100)\n"
      "  --flood            read-loop mode: 'I' frames back to back at line rate\n"
      "                     (with --no-wire-time: as fast as the host reads them)\n"
      "  --reopen-after MS  after a hang-up, come back on a new pty after MS\n"
      "  --trace            print every byte in and out\n"
      "  --help             this text\n"
      "  --version          the version, then exit\n"
      "\n"
      "Faults (N is a count or \"all\"):\n";
  for (const auto& [form, help] : FaultSettingHelp()) {
    std::string line = "  --" + form;
    line.resize(21, ' ');
    u += line + help + "\n";
  }
  u += "\nTag specs:\n";
  for (const auto& t : ChipRegistry::Builtin().Types()) u += "  " + t.usage + "\n";
  u += "Every SPEC takes key=value settings after its name: threshold=LEVEL (the LF level from\n"
       "which the tag always answers, default 10), width=LEVELS (levels below it over which its\n"
       "answers fade out, default 3), seed=N (its reproducible read errors); sic7888 also\n"
       "bestct=N. Example: fdxb:392:1:threshold=18\n";
  u += "Without --tag, --scenario, --feed or --no-tags the field holds:";
  for (const auto& spec : DefaultTagSpecs()) u += " " + spec;
  u += "\n\nWhile it runs, type \"help\" for commands that change the field and the faults.\n"
       "Exit status: 0 after SIGINT/SIGTERM or \"quit\", 1 when no pty can be opened, 2 for bad "
       "usage.\n";
  return u;
}

}  // namespace sim
