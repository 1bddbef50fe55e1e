#include "cli/options.h"

#include <cctype>
#include <cstdint>

#include "cli/usage_error.h"

namespace {

constexpr size_t kHelpColumn = 21;  // where the texts start
constexpr size_t kHelpWidth = 94;   // longest help line

std::string Replace(std::string text, const std::string& mark, const std::string& by) {
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
    text.replace(at, mark.size(), by);
  return text;
}

// The words of text, wrapped to lines that start at the help column.
std::string Wrapped(const std::string& text) {
  std::string out, line;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && kHelpColumn + line.size() + 1 + word.size() > kHelpWidth) {
      out += line + "\n" + std::string(kHelpColumn, ' ');
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return out + line + "\n";
}

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool AllHexDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

[[noreturn]] void Refuse(const OptionDef& def, const std::string& text, const char* takes) {
  throw UsageError(std::string(def.name) + " takes " + takes + " " + RangeText(def) + ": \"" +
                   text + "\"");
}

}  // namespace

const OptionDef* FindOption(const std::vector<OptionDef>& defs, const std::string& arg) {
  const size_t eq = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
  const std::string name = arg.substr(0, eq);
  for (const OptionDef& d : defs)
    if (name == d.name || (d.alias && name == d.alias)) return &d;
  return nullptr;
}

std::string RangeText(const OptionDef& def) {
  return std::to_string(def.min) + "-" + std::to_string(def.max);
}

std::string OptionsHelp(const std::vector<OptionDef>& defs) {
  std::string out;
  for (const OptionDef& d : defs) {
    std::string head = std::string("  ") + d.name;
    if (d.alias) head += std::string(", ") + d.alias;
    if (d.value) head += std::string(" ") + d.value;
    const std::string text = Replace(d.help, "{range}", RangeText(d));
    if (head.size() + 1 > kHelpColumn)
      out += head + "\n" + std::string(kHelpColumn, ' ');
    else
      out += head + std::string(kHelpColumn - head.size(), ' ');
    out += Wrapped(text);
  }
  return out;
}

int64_t NumberValue(const OptionDef& def, const std::string& text) {
  const bool hex =
      def.kind == ValueKind::Number && (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0);
  const std::string digits = hex ? text.substr(2) : text;
  const char* takes =
      def.kind == ValueKind::Number ? "a decimal or 0x hexadecimal number" : "a decimal number";
  if (hex ? !AllHexDigits(digits) : !AllDigits(digits)) Refuse(def, text, takes);
  // Leading zeros aside, more digits than 2^63 has cannot be in any range here.
  size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos && digits.size() - first > (hex ? 16u : 19u))
    Refuse(def, text, takes);
  const unsigned long long v = std::stoull(digits, nullptr, hex ? 16 : 10);
  if (v > static_cast<unsigned long long>(INT64_MAX) || static_cast<int64_t>(v) < def.min ||
      static_cast<int64_t>(v) > def.max)
    Refuse(def, text, takes);
  return static_cast<int64_t>(v);
}

double SecondsValue(const OptionDef& def, const std::string& text) {
  // Digits with at most one decimal point: no sign, exponent, hexadecimal, "nan" or "inf".
  const size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot);
  const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
  const bool ok = (AllDigits(whole) || (whole.empty() && !fraction.empty())) &&
                  (dot == std::string::npos || fraction.empty() || AllDigits(fraction)) &&
                  whole.size() <= 9;
  if (!ok) Refuse(def, text, "a decimal number of seconds");
  const double v = std::stod("0" + text);
  if (!(v >= static_cast<double>(def.min) && v <= static_cast<double>(def.max)))
    Refuse(def, text, "a decimal number of seconds");
  return v;
}

bool OptionReader::Next() {
  if (++i_ >= args_.size()) return false;
  if (!optionsEnded_ && args_[i_] == "--") {
    optionsEnded_ = true;
    if (++i_ >= args_.size()) return false;
  }
  const std::string& a = args_[i_];
  if (optionsEnded_) {
    def_ = nullptr;
    inlineValue_ = false;
    return true;
  }
  def_ = FindOption(defs_, a);
  inlineValue_ = def_ && a.rfind("--", 0) == 0 && a.find('=') != std::string::npos;
  if (!def_ && a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a);
  if (def_ && !def_->value && inlineValue_)
    throw UsageError(std::string(def_->name) + " takes no value");
  return true;
}

bool OptionReader::Is(const char* name) const {
  return def_ && std::string(def_->name) == name;
}

std::string OptionReader::Text() {
  const std::string& a = args_[i_];
  if (inlineValue_) return a.substr(a.find('=') + 1);
  if (i_ + 1 >= args_.size()) throw UsageError(a + " needs a value");
  return args_[++i_];
}
