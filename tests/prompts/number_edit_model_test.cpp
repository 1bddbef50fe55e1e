#include <gtest/gtest.h>

#include "prompts/number_edit_model.h"
#include "prompts/prompt_form.h"

namespace {

NumberEditModel Limited(double min, double max, double value) {
  return NumberEditModel(DecimalSpec(min, max, true), value);
}

// Types `text` and leaves the field.
double TypeAndLeave(NumberEditModel& m, const std::string& text) {
  EXPECT_TRUE(m.SetText(text)) << text;
  m.Commit();
  return m.Value();
}

}  // namespace

TEST(NumberEditRange, TypingClampsTheValueButNotTheText) {
  NumberEditModel m = Limited(1, 43, 5);
  ASSERT_TRUE(m.SetText("99"));
  EXPECT_EQ(m.Text(), "99");
  EXPECT_EQ(m.Value(), 43);
  m.Commit();
  EXPECT_EQ(m.Text(), "43");
  EXPECT_EQ(m.Value(), 43);

  ASSERT_TRUE(m.SetText("-7"));
  EXPECT_EQ(m.Value(), 1);
  EXPECT_EQ(m.Text(), "-7");
}

TEST(NumberEditRange, ZeroIsExemptWhenSetOrLeftButNotWhileTyping) {
  NumberEditModel m = Limited(1, 44, 0);
  EXPECT_EQ(m.Value(), 0);
  EXPECT_EQ(m.Text(), "0");
  m.SetValue(7);
  m.SetValue(0);
  EXPECT_EQ(m.Value(), 0);

  ASSERT_TRUE(m.SetText("0"));
  EXPECT_EQ(m.Value(), 1);  // clamped while typing
  m.Commit();
  EXPECT_EQ(m.Value(), 0);  // leaving stores it as the program would
  EXPECT_EQ(m.Text(), "0");

  NumberSpec strict = DecimalSpec(1, 44, true);
  strict.ZeroEnabled = false;
  EXPECT_EQ(NumberEditModel(strict, 0).Value(), 1);
}

TEST(NumberEditRange, LimitOffCarriesTheRangeWithoutEnforcingIt) {
  NumberEditModel m(DecimalSpec(1, 50, false), 10);
  EXPECT_EQ(TypeAndLeave(m, "200"), 200);
  EXPECT_EQ(m.IntValue(), 200);
  m.SetValue(-3);
  EXPECT_EQ(m.Value(), -3);
  m.SetLimit(true);  // switching the limit on clamps
  EXPECT_EQ(m.Value(), 1);
  EXPECT_EQ(m.Text(), "1");
}

TEST(NumberEditRange, BoundsMoveEachOtherAndPullTheValue) {
  NumberEditModel m = Limited(10, 20, 15);
  m.SetMax(5);  // below Min: Min follows, the value is set to Max
  EXPECT_EQ(m.Spec().Min, 5);
  EXPECT_EQ(m.Value(), 5);
  EXPECT_EQ(m.Text(), "5");
  m.SetMin(30);  // above Max: Max follows, the value is set to Min
  EXPECT_EQ(m.Spec().Max, 30);
  EXPECT_EQ(m.Value(), 30);

  NumberEditModel free(DecimalSpec(10, 20, false), 15);
  free.SetMax(5);
  EXPECT_EQ(free.Value(), 15);

  NumberEditModel onlyMin = Limited(10, 20, 15);
  onlyMin.SetLimitOptions(true, false);
  onlyMin.SetValue(100);
  EXPECT_EQ(onlyMin.Value(), 100);
  onlyMin.SetValue(3);
  EXPECT_EQ(onlyMin.Value(), 10);
  onlyMin.SetValue(100);
  onlyMin.SetLimitOptions(true, true);  // the new option clamps at once
  EXPECT_EQ(onlyMin.Value(), 20);
}

TEST(NumberEditHex, FigurePadsAndValuesSaturateToSigned32Bits) {
  NumberEditModel m(HexSpec(0, 0, false, 10), 1);
  EXPECT_EQ(m.Text(), "0000000001");
  m.SetValue(4294967296.0);  // 2^32
  EXPECT_EQ(m.Text(), "007FFFFFFF");
  EXPECT_EQ(m.Value(), 2147483647);
  m.SetValue(-1);
  EXPECT_EQ(m.Text(), "00FFFFFFFF");  // the two's-complement pattern
  m.SetValue(-1e12);
  EXPECT_EQ(m.Value(), -2147483648.0);
  EXPECT_EQ(m.Text(), "0080000000");

  NumberEditModel plain(HexSpec(0, 0, false), 255);
  EXPECT_EQ(plain.Text(), "FF");
  plain.SetFigure(0);  // no padding below 1
  EXPECT_EQ(plain.Text(), "FF");

  // Typed text is read whole; leaving the field stores it saturated.
  ASSERT_TRUE(m.SetText("100000000"));
  EXPECT_EQ(m.Value(), 4294967296.0);
  m.Commit();
  EXPECT_EQ(m.Value(), 2147483647);
}

TEST(NumberEditHex, ReadingAndSwitchingBase) {
  NumberEditModel m(HexSpec(0, 0, false), 0);
  EXPECT_EQ(TypeAndLeave(m, "1f"), 31);
  EXPECT_EQ(m.Text(), "1F");
  EXPECT_FALSE(m.SetText("-1F"));  // no minus without ValidMinus
  EXPECT_EQ(m.Value(), 31);
  EXPECT_FALSE(m.SetText("12G"));
  EXPECT_FALSE(m.SetText("11112222333344445"));  // more than 64 bits
  EXPECT_EQ(m.Value(), 31);

  NumberSpec minus = HexSpec(0, 0, false);
  minus.ValidMinus = true;
  NumberEditModel neg(minus, 0);
  EXPECT_EQ(TypeAndLeave(neg, "-1F"), -31);

  NumberEditModel dec(DecimalSpec(0, 0, false), 255);
  dec.SetNumberType(TNumberType::ntHex);
  EXPECT_EQ(dec.Text(), "FF");
  dec.SetNumberType(TNumberType::ntDecimal);
  EXPECT_EQ(dec.Text(), "255");

  // A limited hex field (IntEd3 of the three-number prompt: 0 to 15).
  NumberEditModel third(HexSpec(0, 15, true), 3);
  EXPECT_EQ(TypeAndLeave(third, "20"), 15);
}

TEST(NumberEditDecimal, TextToValue) {
  NumberEditModel m(DecimalSpec(0, 0, false), 5);
  for (const char* zero : {"", "-", "+"}) {
    ASSERT_TRUE(m.SetText(zero));
    EXPECT_EQ(m.Value(), 0) << zero;
  }
  EXPECT_EQ(TypeAndLeave(m, "1,234"), 1234);  // thousands separators are removed
  EXPECT_EQ(m.Text(), "1234");
  EXPECT_EQ(TypeAndLeave(m, "-12"), -12);
  EXPECT_EQ(TypeAndLeave(m, "1\t2"), 12);  // control characters too
  EXPECT_EQ(TypeAndLeave(m, "9223372036854775807"), 9223372036854775807.0);
  EXPECT_EQ(m.IntValue(), INT64_MAX);
  EXPECT_EQ(TypeAndLeave(m, "-2.9"), -2.9);
  EXPECT_EQ(m.IntValue(), -2);  // truncated toward zero

  m.SetValue(7);
  for (const char* bad : {"abc", "1.2.3", "--5", "1-2", "12e3", "9223372036854775808", "1 2"}) {
    EXPECT_FALSE(m.SetText(bad)) << bad;
    EXPECT_EQ(m.Value(), 7) << bad;
  }
  m.Commit();  // leaving a field that holds no number shows the kept value again
  EXPECT_EQ(m.Text(), "7");

  m.SetValue(1e20);
  EXPECT_EQ(m.Text(), "100000000000000000000");  // never an exponent
  m.SetValue(-0.0);
  EXPECT_EQ(m.Text(), "0");
}

TEST(NumberEditDecimal, FigureAndRoundMode) {
  auto typed = [](TRoundMode mode, int figure, const char* text) {
    NumberSpec s;
    s.Figure = figure;
    s.RoundMode = mode;
    NumberEditModel m(s, 0);
    EXPECT_TRUE(m.SetText(text));
    return m.Value();
  };
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmDown, 2, "2.679"), 2.67);
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmRound, 2, "2.675"), 2.68);  // as written, not 2.67499..
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmRound, 2, "2.674"), 2.67);
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmUp, 2, "2.6701"), 2.68);
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmUp, 2, "2.6700"), 2.67);
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmUp, 1, "-1.01"), -1.1);  // away from zero
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmRound, 2, "9.995"), 10);
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmRound, 0, "2.5"), 3);
  EXPECT_DOUBLE_EQ(typed(TRoundMode::rmDown, -1, "3.14159"), 3.14159);

  NumberSpec s;
  s.Figure = 2;
  s.RoundMode = TRoundMode::rmRound;
  NumberEditModel m(s, 1.005);
  EXPECT_EQ(m.Text(), "1.01");
  m.SetRoundMode(TRoundMode::rmDown);
  EXPECT_EQ(m.Text(), "1");
  m.SetFigure(-1);
  EXPECT_EQ(m.Text(), "1.005");
}

TEST(NumberEditStep, StopsOrWrapsAtLimitedBounds) {
  NumberEditModel m = Limited(0, 10, 10);
  m.Step(1);
  EXPECT_EQ(m.Value(), 10);  // Up at Max without Wrap
  m.Step(-1);
  EXPECT_EQ(m.Value(), 9);
  EXPECT_EQ(m.Text(), "9");

  NumberSpec wrap = DecimalSpec(1, 5, true);
  wrap.Wrap = true;
  wrap.Increment = 2;
  NumberEditModel w(wrap, 5);
  w.Step(1);
  EXPECT_EQ(w.Value(), 1);
  w.Step(-1);
  EXPECT_EQ(w.Value(), 5);
  w.Step(-1);
  EXPECT_EQ(w.Value(), 3);

  NumberEditModel free(DecimalSpec(0, 10, false), 10);
  free.Step(1);
  EXPECT_EQ(free.Value(), 11);

  NumberEditModel hex(HexSpec(0, 0, false), 2147483647);
  hex.Step(1);
  EXPECT_EQ(hex.Value(), 2147483647);
}

TEST(NumberEditKeys, FilterPerBase) {
  NumberEditModel dec(DecimalSpec(0, 0, false), 0);
  for (char32_t k : {U'0', U'9', U'.', U'\b', U'\t', U'\r'})
    EXPECT_TRUE(dec.AcceptsKey(k, "", 0, 0)) << static_cast<int>(k);
  for (char32_t k : {U'a', U'F', U' ', U',', U'e', U'あ'})
    EXPECT_FALSE(dec.AcceptsKey(k, "", 0, 0)) << static_cast<int>(k);
  EXPECT_FALSE(dec.AcceptsKey('.', "1.5", 3, 0));  // a second separator
  EXPECT_TRUE(dec.AcceptsKey('.', "1.5", 1, 1));   // replacing the selected one

  NumberEditModel hex(HexSpec(0, 0, false), 0);
  for (char32_t k : {U'0', U'a', U'f', U'A', U'F'}) EXPECT_TRUE(hex.AcceptsKey(k, "", 0, 0));
  for (char32_t k : {U'g', U'G', U'.', U'-'}) EXPECT_FALSE(hex.AcceptsKey(k, "1", 1, 0));
  EXPECT_FALSE(hex.AcceptsKey('+', "1F", 2, 0));
  NumberSpec minus = HexSpec(0, 0, false);
  minus.ValidMinus = true;
  NumberEditModel hexMinus(minus, 0);
  EXPECT_TRUE(hexMinus.AcceptsKey('-', "1F", 2, 0));
  EXPECT_TRUE(hexMinus.AcceptsKey('+', "-1F", 3, 0));
}

TEST(NumberEditKeys, MaxIntLengthCountsIntegerDigitsOnly) {
  NumberSpec s;
  s.MaxIntLength = 3;
  NumberEditModel m(s, 0);
  EXPECT_TRUE(m.AcceptsKey('4', "12", 2, 0));
  EXPECT_FALSE(m.AcceptsKey('4', "123", 3, 0));
  EXPECT_FALSE(m.AcceptsKey('4', "123.5", 0, 0));
  EXPECT_TRUE(m.AcceptsKey('4', "123.5", 5, 0));   // among the decimals
  EXPECT_TRUE(m.AcceptsKey('4', "123", 1, 1));     // replaces a selected digit
  EXPECT_FALSE(m.AcceptsKey('4', "123.5", 3, 1));  // the selection holds no integer digit
  EXPECT_TRUE(m.AcceptsKey('3', "-1,2", 4, 0));    // signs and separators are not counted
  EXPECT_TRUE(m.AcceptsKey('.', "123", 3, 0));
}

TEST(NumberEditKeys, SignKeysMoveTheSignToTheFront) {
  NumberEditModel m(DecimalSpec(0, 0, false), 0);
  auto key = [&](char32_t k, const std::string& text, int start, int length) {
    KeyOutcome out = m.FilterKey(k, text, start, length);
    EXPECT_EQ(out.kind, KeyOutcome::Rewrite);
    return std::make_tuple(out.text, out.selStart, out.selLength);
  };
  EXPECT_EQ(key('-', "12", 1, 0), std::make_tuple(std::string("-12"), 2, 0));   // added
  EXPECT_EQ(key('-', "-12", 2, 0), std::make_tuple(std::string("12"), 1, 0));   // removed
  EXPECT_EQ(key('+', "-12", 3, 0), std::make_tuple(std::string("+12"), 3, 0));  // replaced
  EXPECT_EQ(key('-', "-12", 0, 0), std::make_tuple(std::string("12"), 0, 0));
  EXPECT_EQ(key('-', "12", 1, 1), std::make_tuple(std::string("-12"), 2, 1));  // keeps selection
  // A selection from the front is deleted first.
  EXPECT_EQ(key('+', "-12", 0, 2), std::make_tuple(std::string("+2"), 1, 0));
  EXPECT_EQ(key('-', "123", 0, 3), std::make_tuple(std::string("-"), 1, 0));

  // The rewritten text is read like any typing.
  NumberEditModel r(DecimalSpec(0, 0, false), 12);
  ASSERT_TRUE(r.SetText(r.FilterKey('-', r.Text(), 2, 0).text));
  EXPECT_EQ(r.Value(), -12);
}
