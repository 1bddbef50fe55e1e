#include "prompts/number_edit_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

double Saturate32(double v) {
  if (v > 2147483647.0) return 2147483647.0;
  if (v < -2147483648.0) return -2147483648.0;
  return std::trunc(v);
}

// Cuts the decimal digits `frac` to `figure` digits by `mode`, carrying into `intPart`. Done on
// the digits rather than on a double so that "2.675" rounds as written, not as 2.67499999...
void CutDigits(std::string& intPart, std::string& frac, int figure, TRoundMode mode) {
  if (figure < 0 || static_cast<int>(frac.size()) <= figure) return;
  const std::string dropped = frac.substr(static_cast<size_t>(figure));
  frac.resize(static_cast<size_t>(figure));
  bool up = false;
  if (mode == TRoundMode::rmRound) up = dropped[0] >= '5';
  if (mode == TRoundMode::rmUp)
    up = std::any_of(dropped.begin(), dropped.end(), [](char c) { return c != '0'; });
  if (!up) return;
  std::string all = intPart + frac;
  int i = static_cast<int>(all.size()) - 1;
  while (i >= 0 && all[static_cast<size_t>(i)] == '9') all[static_cast<size_t>(i--)] = '0';
  if (i < 0)
    all.insert(all.begin(), '1');
  else
    ++all[static_cast<size_t>(i)];
  intPart = all.substr(0, all.size() - frac.size());
  frac = all.substr(all.size() - frac.size());
}

char decimalSep = '.';
char thousandsSep = ',';

}  // namespace

void NumberEditModel::SetLocaleSeparators(char decimal, char thousands) {
  if (decimal == thousands) return;  // no locale has one character for both
  decimalSep = decimal;
  thousandsSep = thousands;
}

char NumberEditModel::DecimalSeparator() {
  return decimalSep;
}

NumberEditModel::NumberEditModel(const NumberSpec& spec, double value) : spec_(spec) {
  if (spec_.Max < spec_.Min) spec_.Min = spec_.Max;
  SetValue(value);
}

int64_t NumberEditModel::IntValue() const {
  const double t = std::trunc(value_);
  if (t >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  if (t <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(t);
}

double NumberEditModel::Clamp(double v) const {
  if (!spec_.Limit) return v;
  if (spec_.LoMin && v < spec_.Min) v = spec_.Min;
  if (spec_.LoMax && v > spec_.Max) v = spec_.Max;
  return v;
}

double NumberEditModel::StoreRule(double v) const {
  if (!std::isfinite(v)) v = 0;
  if (spec_.NumberType == TNumberType::ntHex) v = Saturate32(v);
  if (!spec_.Limit) return v;
  if (v == 0 && spec_.ZeroEnabled) return v;
  v = Clamp(v);
  // A fractional bound must not leave a hex value between two integers.
  return spec_.NumberType == TNumberType::ntHex ? Saturate32(v) : v;
}

void NumberEditModel::SetValue(double v) {
  value_ = StoreRule(v);
  text_ = Format(value_);
}

void NumberEditModel::SetMin(double v) {
  spec_.Min = v;
  if (spec_.Max < v) spec_.Max = v;
  if (spec_.Limit && spec_.LoMin && value_ < v) value_ = v;
  text_ = Format(value_);
}

void NumberEditModel::SetMax(double v) {
  spec_.Max = v;
  if (spec_.Min > v) spec_.Min = v;
  if (spec_.Limit && spec_.LoMax && value_ > v) value_ = v;
  text_ = Format(value_);
}

void NumberEditModel::SetLimit(bool on) {
  spec_.Limit = on;
  SetValue(value_);
}

void NumberEditModel::SetLimitOptions(bool loMin, bool loMax) {
  spec_.LoMin = loMin;
  spec_.LoMax = loMax;
  SetValue(value_);
}

void NumberEditModel::SetNumberType(TNumberType t) {
  spec_.NumberType = t;
  SetValue(value_);
}

void NumberEditModel::SetFigure(int figure) {
  spec_.Figure = figure;
  text_ = Format(value_);
}

void NumberEditModel::SetRoundMode(TRoundMode m) {
  spec_.RoundMode = m;
  text_ = Format(value_);
}

bool NumberEditModel::SetText(const std::string& text) {
  text_ = text;
  auto v = Parse(text);
  if (!v) return false;
  value_ = Clamp(*v);
  return true;
}

void NumberEditModel::Commit() {
  if (auto v = Parse(text_))
    SetValue(*v);
  else
    text_ = Format(value_);
}

void NumberEditModel::Step(int direction) {
  double v = value_ + (direction > 0 ? spec_.Increment : -spec_.Increment);
  if (spec_.Limit) {
    if (spec_.LoMax && v > spec_.Max)
      v = spec_.Wrap ? spec_.Min : spec_.Max;
    else if (spec_.LoMin && v < spec_.Min)
      v = spec_.Wrap ? spec_.Max : spec_.Min;
  }
  SetValue(v);
}

std::optional<double> NumberEditModel::Parse(const std::string& text) const {
  std::string t;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) t.push_back(c);
  bool neg = false;
  size_t pos = 0;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    neg = t[0] == '-';
    pos = 1;
  }
  if (pos == t.size()) return 0.0;  // empty, "-" or "+"

  if (spec_.NumberType == TNumberType::ntHex) {
    if (neg && !spec_.ValidMinus) return std::nullopt;
    if (t.size() - pos > 16) return std::nullopt;
    uint64_t v = 0;
    for (; pos < t.size(); ++pos) {
      const int d = HexDigit(t[pos]);
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<uint64_t>(d);
    }
    const double d = static_cast<double>(v);
    return neg ? -d : d;
  }

  std::string intPart, frac;
  bool separator = false;
  for (size_t i = pos; i < t.size(); ++i) {
    const char c = t[i];
    if (c == thousandsSep) continue;
    if (c == decimalSep && !separator) {
      separator = true;
    } else if (IsDigit(c)) {
      (separator ? frac : intPart).push_back(c);
    } else {
      return std::nullopt;
    }
  }
  if (!separator) {
    // A 64-bit integer: up to 2^63 - 1, or 2^63 with a minus.
    uint64_t n = 0;
    auto r = std::from_chars(intPart.data(), intPart.data() + intPart.size(), n);
    if (r.ec != std::errc() || r.ptr != intPart.data() + intPart.size()) return std::nullopt;
    if (n > (neg ? 9223372036854775808ull : 9223372036854775807ull)) return std::nullopt;
    const double d = static_cast<double>(n);
    return neg ? -d : d;
  }
  // A lone separator is read as 0, so that typing ".5" raises no error halfway.
  CutDigits(intPart, frac, spec_.Figure, spec_.RoundMode);
  const std::string real = (intPart.empty() ? "0" : intPart) + "." + (frac.empty() ? "0" : frac);
  double v = 0;
  auto r = std::from_chars(real.data(), real.data() + real.size(), v, std::chars_format::fixed);
  if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  return neg ? -v : v;
}

std::string NumberEditModel::Format(double v) const {
  if (!std::isfinite(v)) v = 0;
  if (spec_.NumberType == TNumberType::ntHex) {
    const auto pattern = static_cast<uint32_t>(static_cast<int32_t>(Saturate32(v)));
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, pattern, 16);
    std::string s(buf, r.ptr);
    for (char& c : s)
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (spec_.Figure >= 1 && static_cast<int>(s.size()) < spec_.Figure)
      s.insert(0, static_cast<size_t>(spec_.Figure) - s.size(), '0');
    return s;
  }
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed);
  const std::string digits(buf, r.ptr);
  const size_t dot = digits.find('.');
  std::string intPart = digits.substr(0, dot);
  std::string frac = dot == std::string::npos ? "" : digits.substr(dot + 1);
  CutDigits(intPart, frac, spec_.Figure, spec_.RoundMode);
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  std::string s = intPart;
  if (!frac.empty()) s += decimalSep + frac;
  if (v < 0 && s.find_first_not_of("0.") != std::string::npos) s.insert(s.begin(), '-');
  return s;
}

KeyOutcome NumberEditModel::FilterKey(char32_t key, const std::string& text, int selStart,
                                      int selLength) const {
  KeyOutcome drop, insert;
  insert.kind = KeyOutcome::Insert;
  if (key == '\b' || key == '\t' || key == '\r') return insert;

  const int size = static_cast<int>(text.size());
  selStart = std::clamp(selStart, 0, size);
  selLength = std::clamp(selLength, 0, size - selStart);
  const bool digit = key >= '0' && key <= '9';
  const bool sign = key == '+' || key == '-';

  if (spec_.NumberType == TNumberType::ntHex) {
    if (digit || (key >= 'A' && key <= 'F') || (key >= 'a' && key <= 'f')) return insert;
    if (key == '-' && !spec_.ValidMinus) return drop;
    if (key == '+' && (text.empty() || text[0] != '-')) return drop;
    if (!sign) return drop;
  } else if (!sign) {
    const auto sep = static_cast<char32_t>(static_cast<unsigned char>(decimalSep));
    if (key == sep) {
      // A second separator is dropped unless it replaces the selected one.
      const size_t dot = text.find(decimalSep);
      if (dot == std::string::npos) return insert;
      const int d = static_cast<int>(dot);
      return d >= selStart && d < selStart + selLength ? insert : drop;
    }
    if (!digit) return drop;
    if (spec_.MaxIntLength <= 0) return insert;
    const size_t dot = text.find(decimalSep);
    const int intEnd = dot == std::string::npos ? size : static_cast<int>(dot);
    if (selStart > intEnd) return insert;  // typed among the decimals
    int intDigits = 0, selected = 0;
    for (int i = 0; i < intEnd; ++i) {
      if (!IsDigit(text[static_cast<size_t>(i)])) continue;
      ++intDigits;
      if (i >= selStart && i < selStart + selLength) ++selected;
    }
    return intDigits - selected >= spec_.MaxIntLength ? drop : insert;
  }

  // A sign key puts its sign at the front, replaces the other sign or removes its own; the
  // selection keeps its place relative to the digits.
  KeyOutcome out;
  out.kind = KeyOutcome::Rewrite;
  out.text = text;
  out.selStart = selStart;
  out.selLength = selLength;
  if (selStart == 0 && selLength > 0) {
    out.text.erase(0, static_cast<size_t>(selLength));
    out.selLength = 0;
  }
  const char own = static_cast<char>(key);
  const char other = own == '+' ? '-' : '+';
  if (!out.text.empty() && out.text[0] == own) {
    out.text.erase(0, 1);
    if (out.selStart > 0) --out.selStart;
  } else if (!out.text.empty() && out.text[0] == other) {
    out.text[0] = own;
  } else {
    out.text.insert(out.text.begin(), own);
    ++out.selStart;
  }
  const int newSize = static_cast<int>(out.text.size());
  out.selStart = std::min(out.selStart, newSize);
  out.selLength = std::min(out.selLength, newSize - out.selStart);
  return out;
}
