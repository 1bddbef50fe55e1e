#pragma once
// The behaviour of the numeric edit control (TNumberEdit) without a widget: range and limit,
// text to value, value to text, key filtering and stepping. The widget and the scripted prompts
// both use it, so a typed answer and a scripted answer give the same value.
#include <cstdint>
#include <optional>
#include <string>

enum class TNumberType { ntDecimal, ntHex };
enum class TRoundMode { rmDown, rmRound, rmUp };

struct NumberSpec {
  TNumberType NumberType = TNumberType::ntDecimal;
  double Min = 0;
  double Max = 0;
  bool Limit = false;
  bool LoMin = true;  // LimitOptions: loMin
  bool LoMax = true;  // LimitOptions: loMax
  double Increment = 1;
  int Figure = -1;
  TRoundMode RoundMode = TRoundMode::rmDown;
  int MaxIntLength = 0;
  bool ValidMinus = false;
  bool ZeroEnabled = true;
  bool Wrap = false;
};

// What a typed character does to the field.
struct KeyOutcome {
  enum Kind {
    Drop,     // the key is swallowed
    Insert,   // the key goes to the text as usual
    Rewrite,  // the key becomes `text` with the selection below (sign keys)
  };
  Kind kind = Drop;
  std::string text;
  int selStart = 0;
  int selLength = 0;
};

class NumberEditModel {
 public:
  NumberEditModel() = default;
  explicit NumberEditModel(const NumberSpec& spec, double value = 0);

  const NumberSpec& Spec() const { return spec_; }
  double Value() const { return value_; }
  // Truncated toward zero, as every caller reads it (saturated to the int64_t range).
  int64_t IntValue() const;
  const std::string& Text() const { return text_; }

  // Setting from the program: clamps with Limit on (zero exempt while ZeroEnabled), rewrites
  // the text.
  void SetValue(double v);
  // Setting a bound moves the other one along when they cross; a value beyond the new bound is
  // set to it (Limit on and that bound's option set).
  void SetMin(double v);
  void SetMax(double v);
  void SetLimit(bool on);
  void SetLimitOptions(bool loMin, bool loMax);
  void SetNumberType(TNumberType t);
  void SetFigure(int figure);
  // Properties that change no stored value; the ones that change how the value is shown
  // rewrite the text.
  void SetIncrement(double v) { spec_.Increment = v; }
  void SetRoundMode(TRoundMode m);
  void SetMaxIntLength(int n) { spec_.MaxIntLength = n; }
  void SetValidMinus(bool on) { spec_.ValidMinus = on; }
  void SetZeroEnabled(bool on) { spec_.ZeroEnabled = on; }
  void SetWrap(bool on) { spec_.Wrap = on; }
  // The locale's decimal and thousands separators, for every field of the process (default
  // '.' and ','; the window sets them from its locale at start-up).
  static void SetLocaleSeparators(char decimal, char thousands);
  static char DecimalSeparator();

  // The user changed the text (typing or pasting): the value follows with clamping, the text
  // stays as typed. Returns false when the text is no number (the value keeps its number).
  bool SetText(const std::string& text);
  // Leaving the field: reads the text again without clamping, stores it like SetValue and
  // rewrites the text. A text that is no number leaves the value and shows it again.
  void Commit();
  // Up/Down arrow keys and buttons: one Increment up (direction > 0) or down, stopping at a
  // limited bound or, with Wrap, landing on the other bound.
  void Step(int direction);

  // The key filter for a typed character with Control not held. `text` is the field before the
  // key, the selection is given in characters of `text`. '\b', '\t' and '\r' are Backspace, Tab
  // and Enter.
  KeyOutcome FilterKey(char32_t key, const std::string& text, int selStart, int selLength) const;
  bool AcceptsKey(char32_t key, const std::string& text, int selStart, int selLength) const {
    return FilterKey(key, text, selStart, selLength).kind != KeyOutcome::Drop;
  }

  // Text to number without clamping; nullopt when it is no number. Empty, "-" and "+" give 0.
  std::optional<double> Parse(const std::string& text) const;
  // Number to text in the current base and figure.
  std::string Format(double v) const;
  // The clamp of the limit (ignores ZeroEnabled).
  double Clamp(double v) const;

 private:
  double StoreRule(double v) const;
  NumberSpec spec_;
  double value_ = 0;
  std::string text_ = "0";
};
