#include "sim/console.h"

#include <sstream>
#include <vector>

#include "core/ini_file.h"
#include "sim/chip_registry.h"

namespace sim {

namespace {

constexpr const char* kHelp =
    "  list                 tags in the field\n"
    "  add SPEC [POS]       put a tag into the field (at POS, default last)\n"
    "  remove N             take tag N out\n"
    "  swap N SPEC          put a new tag in the place of tag N\n"
    "  clear                empty the field\n"
    "  fault NAME VALUE     e.g. fault bad-sum 2, fault nack 0x44:1, fault late 300\n"
    "  faults off           clear every fault\n"
    "  hangup | reopen      drop the line / come back on a new pty\n"
    "  stats                counters\n"
    "  quit\n";

std::string List(Field& field) {
  const auto lines = field.Describe();
  if (lines.empty()) return "the field is empty\n";
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += std::to_string(i) + ": " + lines[i] + "\n";
  return out;
}

std::optional<size_t> Index(const std::string& text) {
  auto v = ParseInteger(text);
  if (!v || *v < 0) return std::nullopt;
  return static_cast<size_t>(*v);
}

std::string Stats(const SimCounters& c) {
  const ModuleCounters& m = c.module;
  std::ostringstream s;
  s << "frames " << m.frames << " (bad SUM " << m.badSum << ", bad length " << m.badLength
    << "), commands " << m.commands << ", ACK " << m.acks << ", NACK " << m.nacks << ", unanswered "
    << m.unanswered << ", 'I' frames " << m.idFrames << "\n"
    << "bytes in " << m.bytesIn << ", noise " << m.noiseBytes << ", out " << c.bytesOut
    << ", not sent at a wrong host speed " << c.wrongSpeedBytes << ", hang-ups " << c.hangups
    << ", restarts " << m.restarts << "\n"
    << "noise sent: stray bytes " << m.noiseStrayBytes << ", bad SUM frames " << m.noiseBadSumFrames
    << ", unknown-type frames " << m.noiseBadFormatFrames << "\n";
  return s.str();
}

}  // namespace

ConsoleResult RunConsoleCommand(Simulator& simulator, const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  ConsoleResult r;
  if (w.empty()) return r;
  Field& field = simulator.TheField();
  const std::string& cmd = w[0];

  if (cmd == "help" || cmd == "?") {
    r.output = kHelp;
  } else if (cmd == "list" && w.size() == 1) {
    r.output = List(field);
  } else if (cmd == "add" && (w.size() == 2 || w.size() == 3)) {
    ChipResult made = ChipRegistry::Builtin().Make(w[1]);
    auto pos = w.size() == 3 ? Index(w[2]) : std::optional<size_t>(static_cast<size_t>(-1));
    if (!made.tag) {
      r.output = made.error + "\n";
    } else if (!pos) {
      r.output = "\"" + w[2] + "\" is not a position\n";
    } else {
      const size_t at = field.Insert(made.tag, *pos);
      r.output = "added " + std::to_string(at) + ": " + made.tag->Describe() + "\n";
    }
  } else if (cmd == "remove" && w.size() == 2) {
    auto index = Index(w[1]);
    TagPtr gone = index ? field.Remove(*index) : nullptr;
    r.output = gone ? "removed " + gone->Describe() + "\n" : "no tag " + w[1] + "\n";
  } else if (cmd == "swap" && w.size() == 3) {
    auto index = Index(w[1]);
    ChipResult made = ChipRegistry::Builtin().Make(w[2]);
    if (!made.tag) {
      r.output = made.error + "\n";
    } else if (TagPtr old = index ? field.Replace(*index, made.tag) : nullptr) {
      r.output = "swapped " + old->Describe() + " for " + made.tag->Describe() + "\n";
    } else {
      r.output = "no tag " + w[1] + "\n";
    }
  } else if (cmd == "clear" && w.size() == 1) {
    field.Clear();
    r.output = "the field is empty\n";
  } else if (cmd == "fault" && w.size() == 3) {
    std::string error;
    simulator.UpdateFaults([&](FaultPlan& f) {
      if (!ApplyFaultSetting(f, w[1], w[2], error)) r.output = error + "\n";
    });
    if (error.empty()) r.output = "ok\n";
  } else if (cmd == "faults" && w.size() == 2 && w[1] == "off") {
    simulator.SetFaults(FaultPlan{});
    r.output = "no faults\n";
  } else if (cmd == "hangup" && w.size() == 1) {
    simulator.HangUp();
  } else if (cmd == "reopen" && w.size() == 1) {
    std::string error;
    if (!simulator.Reopen(&error)) r.output = error + "\n";
  } else if (cmd == "stats" && w.size() == 1) {
    r.output = Stats(simulator.Counters());
  } else if ((cmd == "quit" || cmd == "exit") && w.size() == 1) {
    r.quit = true;
  } else {
    r.output = "not understood: \"" + line + "\"; type help\n";
  }
  return r;
}

}  // namespace sim
