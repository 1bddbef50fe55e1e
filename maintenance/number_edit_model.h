#pragma once
// The behaviour of the numeric edit control (TNumberEdit) without a widget: range and limit,
// text to value, value to text, stepping. The widget and the scripted prompts both use it, so a
// typed answer and a scripted answer give the same value.
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

class NumberEditModel {
 public:
  NumberEditModel() = default;
  explicit NumberEditModel(const NumberSpec& spec, double value = 0);

  const NumberSpec& Spec() const { return spec_; }
  double Value() const { return value_; }
  // Truncated toward zero, as every caller reads it.
  int64_t IntValue() const;
  const std::string& Text() const { return text_; }

  // Setting from the program: clamps with Limit on (zero exempt while ZeroEnabled), rewrites
  // the text.
  void SetValue(double v);
  void SetMin(double v);
  void SetMax(double v);
  void SetLimit(bool on);
  void SetLimitOptions(bool loMin, bool loMax);
  void SetNumberType(TNumberType t);
  void SetFigure(int figure);

  // The user changed the text (typing or pasting): the value follows with clamping, the text
  // stays as typed. Returns false when the text is no number (the value keeps its number).
  bool SetText(const std::string& text);
  // Leaving the field: reads the text again without clamping, stores it like SetValue and
  // rewrites the text.
  void Commit();
  // Up/Down arrow keys and buttons.
  void Step(int direction);

  // Whether a typed character passes the key filter (Control not held); `text` and `caret`
  // describe the field before the key. '\b', '\t' and '\r' are Backspace, Tab and Enter.
  bool AcceptsKey(char32_t key, const std::string& text, int selStart, int selLength) const;

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
