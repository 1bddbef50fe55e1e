#pragma once
// The options of the command runner, each defined once: the parser reads its value by the
// definition, and "--help" is generated from the same definitions, ranges included, so help and
// parser cannot disagree.
#include <cstdint>
#include <string>
#include <vector>

enum class ValueKind {
  Flag,     // no value
  Text,     // any text (the verb checks it)
  Decimal,  // a whole decimal number in [min, max]
  Number,   // a whole decimal number, or hexadecimal with 0x, in [min, max]
  Seconds,  // a decimal number of seconds with an optional fraction, in [min, max]
};

struct OptionDef {
  const char* name;   // "--repeat"
  const char* alias;  // "-a", or nullptr
  const char* value;  // "N", "KEY=VALUE" (shown in the help); nullptr for a flag
  ValueKind kind;
  int64_t min;  // numbers
  int64_t max;
  const char* help;  // "{range}" stands for "min-max"
};

// The option among `defs` that `arg` names ("--repeat", "-a", "--repeat=3"); nullptr if none.
const OptionDef* FindOption(const std::vector<OptionDef>& defs, const std::string& arg);

// The help lines of the options: name, value and text, wrapped to the terminal's 80 columns.
std::string OptionsHelp(const std::vector<OptionDef>& defs);
// "{range}" of a definition as the help shows it: "0-999".
std::string RangeText(const OptionDef& def);

// Values by a definition; each throws UsageError naming the option and what it takes.
int64_t NumberValue(const OptionDef& def, const std::string& text);
double SecondsValue(const OptionDef& def, const std::string& text);

// Walks a verb's arguments against its option definitions: options as "--name value",
// "--name=value" or "-a value", flags, and positionals. An argument that starts with "-" and is
// no option of the verb is a usage error; after "--" every argument is a positional.
class OptionReader {
 public:
  OptionReader(const std::vector<std::string>& args, const std::vector<OptionDef>& defs)
      : args_(args), defs_(defs) {}

  // Moves to the next argument; false after the last.
  bool Next();
  // The option of this argument, or nullptr for a positional.
  const OptionDef* Option() const { return def_; }
  bool Is(const char* name) const;
  const std::string& Arg() const { return args_[i_]; }
  // The option's value (after "=", else the next argument, consumed).
  std::string Text();
  int64_t Number() { return NumberValue(*def_, Text()); }
  double Seconds() { return SecondsValue(*def_, Text()); }

 private:
  const std::vector<std::string>& args_;
  const std::vector<OptionDef>& defs_;
  size_t i_ = static_cast<size_t>(-1);
  const OptionDef* def_ = nullptr;
  bool inlineValue_ = false;
  bool optionsEnded_ = false;  // "--" was passed
};
