// The multipage editor's grid rules and the group check box, without a module.
#include <gtest/gtest.h>

#include <stdexcept>

#include "hdx/group_check_box.h"
#include "hdx/mpt_grid.h"

namespace {

const std::array<uint8_t, 8> kExample{0x41, 0x42, 0x00, 0x30, 0xFF, 0x7A, 0x20, 0x31};

std::vector<std::string> Row(const MptGrid& g, int row) {
  std::vector<std::string> out;
  for (int c = 0; c < MptGrid::kColumns; ++c) out.push_back(g.Cell(c, row));
  return out;
}

std::vector<int> Kinds(const MptGrid& g, int row) {
  std::vector<int> out;
  for (int c = 0; c < MptGrid::kByteColumns; ++c) out.push_back(g.CellKind(c, row));
  return out;
}

TEST(MptGrid, ExamplePageInBothDisplays) {
  MptGrid g;
  g.FillRow(0, kExample, 0x04 | 2, false, MptDisplay::Ascii);
  EXPECT_EQ(Row(g, 0), (std::vector<std::string>{"1", "20", "z", "FF", "0", "00", "B", "A", "1"}));
  EXPECT_EQ(Kinds(g, 0), (std::vector<int>{1, 0, 1, 0, 1, 0, 1, 1}));
  g.SwitchToHex();
  EXPECT_EQ(Row(g, 0),
            (std::vector<std::string>{"31", "20", "7A", "FF", "30", "00", "42", "41", "1"}));
  EXPECT_EQ(Kinds(g, 0), (std::vector<int>(8, 0)));
  EXPECT_EQ(g.RowBytes(0, false, MptDisplay::Hex), kExample);
}

TEST(MptGrid, ExclamationMarkShowsAsDigitsAfterAReadAndAsCharacterAfterASwitch) {
  MptGrid g;
  g.FillRow(2, std::array<uint8_t, 8>{0x21, 0, 0, 0, 0, 0, 0, 0}, 0, false, MptDisplay::Ascii);
  EXPECT_EQ(g.Cell(7, 2), "21");
  EXPECT_EQ(g.CellKind(7, 2), 0);
  g.SwitchToHex();
  g.SwitchToAscii();
  EXPECT_EQ(g.Cell(7, 2), "!");
  EXPECT_EQ(g.CellKind(7, 2), 1);
  EXPECT_EQ(g.Cell(0, 2), "00") << "0x00 has no character";
  EXPECT_EQ(g.RowBytes(2, false, MptDisplay::Ascii)[0], 0x21);
}

TEST(MptGrid, ByteOrderFollowsBitInversion) {
  MptGrid g;
  g.FillRow(0, kExample, 0, true, MptDisplay::Hex);
  EXPECT_EQ(Row(g, 0),
            (std::vector<std::string>{"41", "42", "00", "30", "FF", "7A", "20", "31", "0"}));
  // The same cells written under the other order give the bytes reversed.
  const auto reversed = g.RowBytes(0, false, MptDisplay::Hex);
  EXPECT_EQ(reversed[0], 0x31);
  EXPECT_EQ(reversed[7], 0x41);
  EXPECT_EQ(MptGrid::ColumnNumber(0, false), "1");
  EXPECT_EQ(MptGrid::ColumnNumber(0, true), "8");
}

TEST(MptGrid, LockColumnMarks) {
  MptGrid g;
  for (uint8_t s = 0; s < 4; ++s)
    g.FillRow(s, kExample, static_cast<uint8_t>(0x40 | s), false, MptDisplay::Hex);
  EXPECT_EQ(g.Cell(8, 0), "0");
  EXPECT_EQ(g.Cell(8, 1), "P");
  EXPECT_EQ(g.Cell(8, 2), "1");
  EXPECT_EQ(g.Cell(8, 3), "?");
}

TEST(MptGrid, TypingFilter) {
  EXPECT_EQ(MptGrid::FilterEditText("ABC", MptDisplay::Hex), "AB");
  EXPECT_EQ(MptGrid::FilterEditText("G", MptDisplay::Hex), "");
  EXPECT_EQ(MptGrid::FilterEditText("AG", MptDisplay::Hex), "A");
  EXPECT_EQ(MptGrid::FilterEditText("GA", MptDisplay::Hex), "GA") << "only the second is filtered";
  EXPECT_EQ(MptGrid::FilterEditText("xyz", MptDisplay::Ascii), "x");
  EXPECT_EQ(MptGrid::FilterEditText("äb", MptDisplay::Ascii), "ä") << "characters, not bytes";
}

TEST(MptGrid, CellCheckAndConversion) {
  EXPECT_TRUE(MptGrid::CellValid("a", MptDisplay::Hex));
  EXPECT_TRUE(MptGrid::CellValid("Fe", MptDisplay::Hex));
  EXPECT_FALSE(MptGrid::CellValid("", MptDisplay::Hex));
  EXPECT_FALSE(MptGrid::CellValid("GA", MptDisplay::Hex));
  EXPECT_FALSE(MptGrid::CellValid("123", MptDisplay::Ascii));
  EXPECT_TRUE(MptGrid::CellValid("%", MptDisplay::Ascii));
  EXPECT_TRUE(MptGrid::CellValid("7e", MptDisplay::Ascii));
  EXPECT_FALSE(MptGrid::CellValid("GA", MptDisplay::Ascii)) << "two characters are hex digits";
  EXPECT_EQ(MptGrid::CellToByte("a", MptDisplay::Hex), 0x0A);
  EXPECT_EQ(MptGrid::CellToByte("a", MptDisplay::Ascii), 0x61);
  EXPECT_EQ(MptGrid::CellToByte("7e", MptDisplay::Ascii), 0x7E);
  EXPECT_EQ(MptGrid::CellToByte("あ", MptDisplay::Ascii), 0x42) << "low 8 bits of U+3042";
}

TEST(MptGrid, SwitchToAsciiLeavesNonHexCellsForCorrection) {
  MptGrid g;
  g.SetCell(0, 0, "G1");
  g.SetCell(1, 0, "5");
  g.SwitchToAscii();
  EXPECT_EQ(g.Cell(0, 0), "G1");
  EXPECT_EQ(g.Cell(1, 0), "05") << "one digit read as that digit, no character";
}

TEST(MptGrid, CsvText) {
  MptGrid g;
  g.FillRow(0, kExample, 0x06, false, MptDisplay::Ascii);
  const std::string csv = g.CsvText("2026/01/02/,03:04:05", true);
  std::string expected = "\r\n2026/01/02/,03:04:05\r\nPage＼Byte,8,7,6,5,4,3,2,1,Lock\r\n";
  expected += "Page : 1,1,0x20,z,0xFF,0,0x00,B,A,1\r\n";
  for (int p = 2; p <= 17; ++p) expected += "Page : " + std::to_string(p) + ",,,,,,,,,\r\n";
  EXPECT_EQ(csv, expected);
}

TEST(GroupCheckBox, ItemsValuesAndClicks) {
  TGroupCheckBox box;
  int layouts = 0, clicks = 0;
  box.OnLayoutChanged = [&] { ++layouts; };
  box.OnClick = [&] { ++clicks; };
  box.Items.Add();
  box.Items.Add();
  box.Items.Insert(1);
  EXPECT_EQ(box.Items.GetItem(0).Caption(), "CheckBox0");
  EXPECT_EQ(box.Items.GetItem(1).Caption(), "CheckBox1");
  EXPECT_EQ(layouts, 3);
  box.ClickItem(2);
  EXPECT_TRUE(box.Items.GetItem(2).Checked());
  EXPECT_EQ(box.Values(), 1);
  box.ReadOnly = true;
  box.ClickItem(0);
  EXPECT_FALSE(box.Items.GetItem(0).Checked()) << "read-only items do not toggle";
  EXPECT_EQ(clicks, 2) << "the click is still raised";
  box.ReadOnly = false;
  box.AllowGrayed = true;
  box.ClickItem(2);
  EXPECT_EQ(box.Items.GetItem(2).State(), TCheckBoxState::cbGrayed);
  box.Items.Delete(0);
  EXPECT_EQ(box.Items.Count(), 2);
  EXPECT_EQ(layouts, 4);
  box.SetCaption("Lock page");
  box.SetCaption("Other");
  EXPECT_EQ(layouts, 5) << "only a change between empty and non-empty relayouts";
}

TEST(GroupCheckBox, ColumnsBelowOneAreRefused) {
  TGroupCheckBox box;
  try {
    box.SetColumns(0);
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Columnsには1以上を入れてください");
  }
  EXPECT_EQ(box.Columns(), 1);
}

TEST(GroupCheckBox, LayoutFormula) {
  TGroupCheckBox box;
  for (int i = 0; i < 5; ++i) box.Items.Add();
  box.SetColumns(2);
  // No caption: h = 0; rows 3; R = (100 - 16) / 3 = 28; W = (216 - 16) / 2 = 100.
  auto r = box.Layout(216, 100, 13, 17);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0], (ItemRect{8, (28 - 17) / 2 + 8, 92, 17}));
  EXPECT_EQ(r[3], (ItemRect{108, 5 + 28 + 8, 92, 17}));
  EXPECT_EQ(r[4], (ItemRect{8, 5 + 56 + 8, 92, 17}));
  box.SetCaption("Lock page");
  r = box.Layout(216, 100, 13, 17);  // R = (100 - 13 - 16) / 3 = 23
  EXPECT_EQ(r[2].top, (23 - 17) / 2 + 23 + 13 + 8);
  // Too small: negative offsets truncate toward zero.
  r = box.Layout(216, 20, 13, 17);
  EXPECT_EQ(r[0].top, (-3 - 17) / 2 + 13 + 8);
}

}  // namespace
