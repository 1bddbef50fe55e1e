#include "maintenance/number_edit_model.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

double Saturate32(double v) {
  if (v > 2147483647.0) return 2147483647.0;
  if (v < -2147483648.0) return -2147483648.0;
  return std::trunc(v);
}

double CutDecimals(double v, int figure, TRoundMode mode) {
  if (figure < 0) return v;
  const double scale = std::pow(10.0, figure);
  const double scaled = v * scale;
  // Guard against representation noise (2.675 * 100 = 267.49999...).
  const double nearest = std::round(scaled);
  const double s = std::fabs(scaled - nearest) < 1e-9 * std::max(1.0, std::fabs(scaled)) ? nearest : scaled;
  double r;
  switch (mode) {
    case TRoundMode::rmDown: r = std::trunc(s); break;
    case TRoundMode::rmRound: r = std::trunc(s + (s >= 0 ? 0.5 : -0.5)); break;
    case TRoundMode::rmUp: r = s >= 0 ? std::ceil(s) : std::floor(s); break;
    default: r = s;
  }
  return r / scale;
}

}  // namespace

NumberEditModel::NumberEditModel(const NumberSpec& spec, double value) : spec_(spec) {
  if (spec_.Max < spec_.Min) spec_.Min = spec_.Max;
  SetValue(value);
}

int64_t NumberEditModel::IntValue() const {
  const double t = std::trunc(value_);
  if (t >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (t <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(t);
}

double NumberEditModel::Clamp(double v) const {
  if (!spec_.Limit) return v;
  if (spec_.LoMin && v < spec_.Min) v = spec_.Min;
  if (spec_.LoMax && v > spec_.Max) v = spec_.Max;
  return v;
}

double NumberEditModel::StoreRule(double v) const {
  if (spec_.NumberType == TNumberType::ntHex) v = Saturate32(v);
  if (!spec_.Limit) return v;
  if (v == 0 && spec_.ZeroEnabled) return v;
  return Clamp(v);
}

void NumberEditModel::SetValue(double v) {
  value_ = StoreRule(v);
  text_ = Format(value_);
}

void NumberEditModel::SetMin(double v) {
  spec_.Min = v;
  if (spec_.Max < v) spec_.Max = v;
  if (spec_.Limit && spec_.LoMin && value_ < v && !(value_ == 0 && spec_.ZeroEnabled)) value_ = v;
  text_ = Format(value_);
}

void NumberEditModel::SetMax(double v) {
  spec_.Max = v;
  if (spec_.Min > v) spec_.Min = v;
  if (spec_.Limit && spec_.LoMax && value_ > v && !(value_ == 0 && spec_.ZeroEnabled)) value_ = v;
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

bool NumberEditModel::SetText(const std::string& text) {
  text_ = text;
  auto v = Parse(text);
  if (!v) return false;
  value_ = Clamp(*v);
  return true;
}

void NumberEditModel::Commit() {
  auto v = Parse(text_);
  SetValue(v ? *v : value_);
}

void NumberEditModel::Step(int direction) {
  double v = value_ + (direction >= 0 ? spec_.Increment : -spec_.Increment);
  if (spec_.Limit) {
    if (spec_.Wrap) {
      if (spec_.LoMax && v > spec_.Max) v = spec_.Min;
      else if (spec_.LoMin && v < spec_.Min) v = spec_.Max;
    }
    v = Clamp(v);
  }
  SetValue(v);
}

std::optional<double> NumberEditModel::Parse(const std::string& text) const {
  std::string t;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x20) t.push_back(c);
  if (t.empty() || t == "-" || t == "+") return 0.0;
  bool neg = false;
  size_t pos = 0;
  if (t[0] == '-' || t[0] == '+') {
    neg = t[0] == '-';
    pos = 1;
  }
  if (spec_.NumberType == TNumberType::ntHex) {
    if (neg && !spec_.ValidMinus) return std::nullopt;
    uint64_t v = 0;
    if (pos >= t.size() || t.size() - pos > 16) return std::nullopt;
    for (; pos < t.size(); ++pos) {
      char c = t[pos];
      int d = c >= '0' && c <= '9' ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<uint64_t>(d);
    }
    const double d = static_cast<double>(v);
    return neg ? -d : d;
  }
  std::string digits;
  for (size_t i = pos; i < t.size(); ++i)
    if (t[i] != ',') digits.push_back(t[i]);
  if (digits.empty()) return std::nullopt;
  if (digits.find('.') != std::string::npos) {
    double v = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v,
                             std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return std::nullopt;
    v = CutDecimals(v, spec_.Figure, spec_.RoundMode);
    return neg ? -v : v;
  }
  int64_t n = 0;
  auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return std::nullopt;
  const double d = static_cast<double>(n);
  return neg ? -d : d;
}

std::string NumberEditModel::Format(double v) const {
  if (spec_.NumberType == TNumberType::ntHex) {
    const auto pattern = static_cast<uint32_t>(static_cast<int32_t>(Saturate32(v)));
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, pattern, 16);
    std::string s(buf, r.ptr);
    for (char& c : s)
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 32);
    while (spec_.Figure >= 1 && static_cast<int>(s.size()) < spec_.Figure) s.insert(s.begin(), '0');
    return s;
  }
  v = CutDecimals(v, spec_.Figure, spec_.RoundMode);
  if (v == 0) v = 0;  // no "-0"
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

bool NumberEditModel::AcceptsKey(char32_t key, const std::string& text, int selStart,
                                 int selLength) const {
  if (key == '\b' || key == '\t' || key == '\r') return true;
  const bool digit = key >= '0' && key <= '9';
  if (spec_.NumberType == TNumberType::ntHex) {
    if (digit || (key >= 'A' && key <= 'F') || (key >= 'a' && key <= 'f')) return true;
    if (key == '-') return spec_.ValidMinus;
    if (key == '+') return !text.empty() && text[0] == '-';
    return false;
  }
  if (key == '+' || key == '-') return true;
  if (key == '.') {
    const size_t dot = text.find('.');
    return dot == std::string::npos ||
           (static_cast<int>(dot) >= selStart && static_cast<int>(dot) < selStart + selLength);
  }
  if (!digit) return false;
  if (spec_.MaxIntLength > 0 && selLength == 0) {
    const size_t dot = text.find('.');
    const size_t intEnd = dot == std::string::npos ? text.size() : dot;
    if (selStart <= static_cast<int>(intEnd)) {
      int intDigits = 0;
      for (size_t i = 0; i < intEnd; ++i)
        if (text[i] >= '0' && text[i] <= '9') ++intDigits;
      if (intDigits >= spec_.MaxIntLength) return false;
    }
  }
  return true;
}
