// The multipage editor against the simulated module: SCAN, EDIT, WRITE with locking, the display
// switch, the settings and the grid file.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ini_file.h"
#include "hdx/mpt_editor.h"
#include "sim/chips/ti_hdx.h"
#include "tests/hdx/hdx_rig.h"

using namespace hdx_test;
using Strings = std::vector<std::string>;

namespace {

const std::array<uint8_t, 8> kExample{0x41, 0x42, 0x00, 0x30, 0xFF, 0x7A, 0x20, 0x31};

class MptEditor : public ::testing::Test {
 protected:
  explicit MptEditor(RigOptions options = {})
      : rig({MakeChip("ti-mpt:0102030405060708")}, options) {
    for (int p = 1; p <= 17; ++p)
      Tag().SetPage(p, {static_cast<uint8_t>(p), 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(0xA0 + p)});
  }
  sim::TiHdxTag& Tag() { return *rig.Tag<sim::TiHdxTag>(); }
  // Enabled state of every action that the state table governs.
  Strings Enabled(TMPTDataWriteDlg& e) {
    Strings on;
    for (const char* a :
         {"ScanSBt", "EditSBt", "ApplySBt", "AllLockBBt", "ClearSBt", "SavelogSBt", "ExitBBt"})
      if (e.Form().Action(a).enabled) on.push_back(a);
    if (e.Form().Field("GroupCheckBox1_0").enabled) on.push_back("items");
    return on;
  }
  void Type(TMPTDataWriteDlg& e, int col, int row, const std::string& text) {
    e.StringGrid_HanyouSetEditText(col, row, text);
  }
  HdxRig rig;
};

TEST_F(MptEditor, StateTableDecidesTheButtons) {
  TMPTDataWriteDlg e(*rig.app);
  EXPECT_EQ(e.State(), MptEditState::esEmpty);
  EXPECT_EQ(Enabled(e), (Strings{"ScanSBt", "ClearSBt", "SavelogSBt", "ExitBBt"}));
  EXPECT_FALSE(e.Form().Field("StringGrid_Hanyou").enabled) << "the grid starts disabled";
  e.Dispatch("ScanSBt");
  EXPECT_EQ(e.State(), MptEditState::esRead);
  EXPECT_EQ(Enabled(e), (Strings{"ScanSBt", "EditSBt", "ClearSBt", "SavelogSBt", "ExitBBt"}));
  EXPECT_EQ(e.Form().Action("EditSBt").caption, "編集");
  e.Dispatch("EditSBt");
  EXPECT_EQ(e.State(), MptEditState::esEditing);
  EXPECT_EQ(Enabled(e), (Strings{"EditSBt", "AllLockBBt", "items"}));
  EXPECT_EQ(e.Form().Action("EditSBt").caption, "編集終了") << "the button says it ends editing";
  EXPECT_EQ(e.Form().Field("StringGrid_Hanyou").cells[0].size(), 9u) << "Lock column hidden";
  EXPECT_FALSE(e.Form().Field("StringGrid_Hanyou").readOnly);
  e.Dispatch("ScanSBt");  // refused while editing
  EXPECT_EQ(e.State(), MptEditState::esEditing);
  e.Dispatch("EditSBt");
  EXPECT_EQ(e.State(), MptEditState::esReady);
  EXPECT_EQ(e.Form().Action("EditSBt").caption, "編集");
  EXPECT_EQ(Enabled(e), (Strings{"EditSBt", "ApplySBt", "ClearSBt", "SavelogSBt", "ExitBBt"}));
  EXPECT_EQ(e.Form().Field("StringGrid_Hanyou").cells[0].size(), 10u);
  e.Dispatch("ClearSBt");
  EXPECT_EQ(e.State(), MptEditState::esEmpty);
  EXPECT_EQ(e.Grid().Cell(0, 0), "");
}

TEST_F(MptEditor, ScanFillsEveryRowPageByPageWithTheGridShownBetween) {
  Tag().SetPage(4, kExample);
  Tag().LockPageNow(4);
  TMPTDataWriteDlg e(*rig.app);
  e.ScanSBtClick();
  EXPECT_EQ(rig.SentCount(0x12), 17);
  EXPECT_EQ(rig.SentCount(0x8B), 0);
  const PromptField& grid = e.Form().Field("StringGrid_Hanyou");
  EXPECT_EQ(grid.cells[4], (Strings{"ページ4", "1", "20", "z", "FF", "0", "00", "B", "A", "1"}));
  EXPECT_EQ(grid.cellColors[4][1], 0x0000FF) << "characters are blue";
  EXPECT_EQ(grid.cellColors[4][2], 0x000000);
  EXPECT_EQ(grid.cells[1],
            (Strings{"ページ1", "A1", "00", "00", "00", "00", "00", "00", "01", "0"}));
  EXPECT_GE(rig.prompts.refreshes, 17);
  ASSERT_EQ(rig.prompts.progressLabels.size(), 17u);
  EXPECT_EQ(rig.prompts.progressLabels[16], "Read... Page : 17.");
  EXPECT_FALSE(rig.prompts.progressCancelVisible.at(0)) << "nothing can be cancelled";
  EXPECT_TRUE(rig.prompts.messages.empty());
}

TEST_F(MptEditor, ScanOfOtherTagsOrNoTag) {
  TMPTDataWriteDlg e(*rig.app);
  rig.sim->TheField().Replace(0, MakeChip("ti-rw:1"));
  e.ScanSBtClick();
  EXPECT_EQ(rig.prompts.messages, (Strings{"Not MPT", "Read error"}));
  EXPECT_EQ(e.State(), MptEditState::esEmpty);
  rig.sim->TheField().Clear();
  e.ScanSBtClick();
  EXPECT_EQ(rig.prompts.messages.back(), "Read error");
  EXPECT_EQ(rig.SentCount(0x12), 0);
}

TEST_F(MptEditor, InvalidCellsAtTheEndOfEditing) {
  TMPTDataWriteDlg e(*rig.app);
  e.ASCIISBtClick(false);  // HEX display
  e.ScanSBtClick();
  e.EditSBtClick();
  Type(e, 3, 5, "");
  e.EditSBtClick();
  EXPECT_EQ(rig.prompts.messages, (Strings{"Invalid value"}));
  EXPECT_EQ(e.State(), MptEditState::esRead);
  e.EditSBtClick();
  Type(e, 3, 5, "7");
  e.EditSBtClick();
  EXPECT_EQ(e.State(), MptEditState::esReady);
}

TEST_F(MptEditor, RoundTripScanEditWriteLockScan) {
  rig.app->ReaderLevel = 1;
  TMPTDataWriteDlg e(*rig.app);
  e.Options().LockSelect = true;
  e.ASCIISBtClick(false);
  e.ScanSBtClick();
  e.EditSBtClick();
  // Page 2 becomes "HELLO" + 00 01 02 (column 1 holds the most significant byte).
  const Strings cells{"48", "45", "4C", "4C", "4F", "00", "01", "02"};
  for (int c = 0; c < 8; ++c) Type(e, c, 1, cells[static_cast<size_t>(c)]);
  e.Form().Field("GroupCheckBox1_1").checked = true;  // the user ticks pages 2 and 5
  e.Form().Changed("GroupCheckBox1_1");
  e.Form().Field("GroupCheckBox1_4").checked = true;
  e.Form().Changed("GroupCheckBox1_4");
  e.EditSBtClick();
  ASSERT_EQ(e.State(), MptEditState::esReady);
  EXPECT_EQ(e.Options().WriteLockNum, 0b10010);
  rig.prompts.QueueConfirm(true);
  e.ApplySBtClick();
  EXPECT_EQ(rig.prompts.confirmations, (Strings{"Lock the MPT?"}));
  EXPECT_EQ(rig.prompts.messages, (Strings{"OK!"}));
  EXPECT_EQ(rig.SentCount(0x13), 17);
  EXPECT_EQ(rig.SentCount(0x14), 2);
  EXPECT_EQ(Tag().Page(2), (std::array<uint8_t, 8>{0x02, 0x01, 0x00, 'O', 'L', 'L', 'E', 'H'}));
  EXPECT_TRUE(Tag().PageLocked(2));
  EXPECT_TRUE(Tag().PageLocked(5));
  EXPECT_FALSE(Tag().PageLocked(3));
  EXPECT_EQ(e.State(), MptEditState::esReady);

  TMPTDataWriteDlg again(*rig.app);
  again.ScanSBtClick();
  const auto& grid = again.Form().Field("StringGrid_Hanyou").cells;
  EXPECT_EQ(grid[2], (Strings{"ページ2", "H", "E", "L", "L", "O", "00", "01", "02", "1"}));
  EXPECT_EQ(grid[5][9], "1");
  EXPECT_EQ(grid[3][9], "0");
  EXPECT_EQ(grid[1], (Strings{"ページ1", "A1", "00", "00", "00", "00", "00", "00", "01", "0"}))
      << "written back unchanged";
}

TEST_F(MptEditor, WriteErrorsNameEveryFailedPage) {
  TMPTDataWriteDlg e(*rig.app);
  e.ScanSBtClick();
  e.EditSBtClick();
  e.EditSBtClick();
  rig.sim->TheField().Clear();
  e.ApplySBtClick();
  std::string expected = "Write error\r\nPage : ";
  for (int p = 1; p <= 17; ++p) expected += "," + std::to_string(p);
  EXPECT_EQ(rig.prompts.messages, (Strings{expected}));
  EXPECT_TRUE(rig.prompts.confirmations.empty());
}

// A multipage transponder that does not answer the lock command for one page.
class NoLockOnPage : public sim::TiHdxTag {
 public:
  explicit NoLockOnPage(int page) : TiHdxTag(sim::tag_type::kMultiPage, 1), page_(page) {}
  std::optional<sim::TagReply> Handle(const sim::TagCommand& cmd,
                                      const sim::AirContext& ctx) override {
    if (cmd.code == 0x14 && cmd.params.size() == 1 && cmd.params[0] == page_) return std::nullopt;
    return TiHdxTag::Handle(cmd, ctx);
  }

 private:
  int page_;
};

TEST_F(MptEditor, LockErrorStopsAtThePage) {
  rig.sim->TheField().Replace(0, std::make_shared<NoLockOnPage>(3));
  TMPTDataWriteDlg e(*rig.app);
  e.Options().LockSelect = true;
  e.ScanSBtClick();
  e.EditSBtClick();
  e.AllLockBBtClick();
  e.EditSBtClick();
  rig.ClearLog();
  rig.prompts.QueueConfirm(true);
  e.ApplySBtClick();
  EXPECT_EQ(rig.SentCount(0x13), 17);
  EXPECT_EQ(rig.SentCount(0x14), 3) << "locking stops at the failed page";
  EXPECT_EQ(rig.prompts.messages, (Strings{"Lock error\r\nPage : 3"}));
  EXPECT_EQ(rig.prompts.progressLabels.back(), "Lock... Page : 3.");
}

TEST_F(MptEditor, AllSelectTogglesAndIsStoredAtClose) {
  {
    TMPTDataWriteDlg e(*rig.app);
    e.ScanSBtClick();
    e.EditSBtClick();
    e.AllLockBBtClick();
    EXPECT_EQ(e.Form().Action("AllLockBBt").caption, "All clear");
    e.EditSBtClick();
    EXPECT_EQ(e.Options().WriteLockNum, 131071);
    EXPECT_TRUE(e.Form().Field("GroupCheckBox1_16").checked) << "the marks stay after editing";
    e.FormCloseQuery();
  }
  IniFile ini(rig.cfg.SettingsPath());
  ini.Load();
  EXPECT_EQ(ini.ReadInteger("HanyouDlgOption", "WriteLockNum", 0), 131071);
  TMPTDataWriteDlg reopened(*rig.app);
  EXPECT_EQ(reopened.GroupCheckBox1.Values(), 17) << "the items start from WriteLockNum";
  reopened.ScanSBtClick();
  reopened.EditSBtClick();
  reopened.AllLockBBtClick();
  EXPECT_EQ(reopened.Form().Action("AllLockBBt").caption, "All clear");
  EXPECT_EQ(reopened.Options().WriteLockNum, 131071);
  reopened.AllLockBBtClick();
  EXPECT_EQ(reopened.Options().WriteLockNum, 0);
  EXPECT_EQ(reopened.Form().Action("AllLockBBt").caption, "All select");
}

TEST_F(MptEditor, DisplaySwitchOfTheExamplePage) {
  Tag().SetPage(1, kExample);
  TMPTDataWriteDlg e(*rig.app);
  e.ScanSBtClick();
  e.ASCIISBtClick(true);  // already ASCII: nothing changes
  EXPECT_EQ(e.Form().Field("StringGrid_Hanyou").cells[1][3], "z");
  e.ASCIISBtClick(false);
  EXPECT_EQ(e.Form().Field("StringGrid_Hanyou").cells[1],
            (Strings{"ページ1", "31", "20", "7A", "FF", "30", "00", "42", "41", "0"}));
  EXPECT_EQ(e.Form().Field("GroupBox3").index, 1);
  e.FormCloseQuery();
  EXPECT_EQ(LoadHanyouDlgOption(rig.cfg.SettingsPath()).DisplayMode, 1);
}

TEST_F(MptEditor, ByteInversionRelabelsAtOnceAndMovesCellsAtTheNextScan) {
  Tag().SetPage(1, kExample);
  TMPTDataWriteDlg e(*rig.app);
  e.ASCIISBtClick(false);
  e.ScanSBtClick();
  rig.prompts.Answer("CB_Bit_Inversion", "1");
  e.Dispatch("MnSetting");
  const auto& grid = e.Form().Field("StringGrid_Hanyou").cells;
  EXPECT_EQ(grid[0], (Strings{"バイト", "8", "7", "6", "5", "4", "3", "2", "1", "ロック"}));
  EXPECT_EQ(grid[1][1], "31") << "the cells keep their places";
  // A write before the next scan maps the cells with the new order: page 1 comes out reversed.
  e.EditSBtClick();
  e.EditSBtClick();
  e.ApplySBtClick();
  EXPECT_EQ(Tag().Page(1),
            (std::array<uint8_t, 8>{0x31, 0x20, 0x7A, 0xFF, 0x30, 0x00, 0x42, 0x41}));
  e.Options().BitInversion = true;
  e.ScanSBtClick();  // refused in esReady
  e.ClearSBtClick();
  e.ScanSBtClick();
  EXPECT_EQ(e.Form().Field("StringGrid_Hanyou").cells[1][1], "31");
  EXPECT_EQ(e.Form().Field("StringGrid_Hanyou").cells[1][8], "41");
}

TEST_F(MptEditor, FastModeAtLevelOneGoesPageByPageAndIsStoredOff) {
  HanyouDlgOption o;
  o.FastMode = 1;
  SaveHanyouDlgOption(rig.cfg.SettingsPath(), o);
  rig.app->ReaderLevel = 1;
  TMPTDataWriteDlg e(*rig.app);
  e.ScanSBtClick();
  EXPECT_EQ(rig.SentCount(0x12), 17);
  EXPECT_EQ(rig.SentCount(0x8B), 0);
  rig.prompts.Answer("CB_FastMode_MPTDataWrite", "1");  // even a tick on the hidden box
  e.MnSettingClick();
  EXPECT_FALSE(rig.prompts.shown.back().Field("CB_FastMode_MPTDataWrite").visible);
  EXPECT_EQ(e.Options().FastMode, 0);
}

TEST_F(MptEditor, FastModeReadsAndWritesWithOneCommand) {
  HanyouDlgOption o;
  o.FastMode = 1;
  o.DisplayMode = 1;
  SaveHanyouDlgOption(rig.cfg.SettingsPath(), o);
  Tag().SetPage(17, kExample);
  TMPTDataWriteDlg e(*rig.app);
  e.ScanSBtClick();
  EXPECT_EQ(rig.SentCount(0x8B), 1);
  EXPECT_EQ(rig.SentCount(0x12), 0);
  EXPECT_EQ(e.Form().Field("StringGrid_Hanyou").cells[17],
            (Strings{"ページ17", "31", "20", "7A", "FF", "30", "00", "42", "41", "0"}));
  e.EditSBtClick();
  e.StringGrid_HanyouSetEditText(7, 16, "5");
  e.EditSBtClick();
  e.ApplySBtClick();
  EXPECT_EQ(rig.SentCount(0x8C), 1);
  EXPECT_EQ(Tag().Page(17)[0], 0x05);
  EXPECT_EQ(rig.prompts.messages, (Strings{"OK!"}));
}

TEST_F(MptEditor, FastReadOfAShortAnswerShowsOnlyWholePages) {
  HanyouDlgOption o;
  o.FastMode = 1;
  SaveHanyouDlgOption(rig.cfg.SettingsPath(), o);
  rig.sim->TheField().With(0, [&](sim::Transponder&) {
    Tag().Shape.lengthDelta = -14;
    Tag().Shape.onlyCode = 0x8B;
  });
  TMPTDataWriteDlg e(*rig.app);
  e.ScanSBtClick();
  EXPECT_EQ(e.Grid().Cell(8, 14), "0") << "page 15 came whole";
  EXPECT_EQ(e.Grid().Cell(8, 15), "") << "page 16 was cut: nothing is read past the answer";
  EXPECT_EQ(e.State(), MptEditState::esEmpty);
  EXPECT_EQ(rig.prompts.messages, (Strings{"Read error"}));
}

TEST_F(MptEditor, SaveLogAppendsCsvAndSurvivesAnUnwritablePath) {
  TMPTDataWriteDlg e(*rig.app);
  e.ASCIISBtClick(false);
  e.ScanSBtClick();
  const std::string path = rig.cfg.Path("grid.txt");
  rig.prompts.SetSaveFileName(path);
  e.SavelogSBtClick();
  e.SavelogSBtClick();
  EXPECT_EQ(e.Options().SaveFileName, rig.cfg.Path("grid.csv"));
  const std::string text = TempConfig::ReadFile(rig.cfg.Path("grid.csv"));
  EXPECT_FALSE(std::filesystem::exists(path));
  // Two appended blocks, each an empty line, the date line, the header and 17 rows.
  const std::string header = "Page＼Byte,1,2,3,4,5,6,7,8,Lock\r\n";
  const size_t first = text.find(header);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(text.find(header, first + 1), std::string::npos);
  EXPECT_EQ(text.substr(0, 2), "\r\n");
  EXPECT_NE(text.find("Page : 1,0xA1,0x00,0x00,0x00,0x00,0x00,0x00,0x01,0\r\n"), std::string::npos);
  EXPECT_EQ(text[2 + 4], '/');
  EXPECT_EQ(text.substr(2 + 10, 2), "/,");

  rig.prompts.SetSaveFileName(rig.cfg.Path("missing/folder/grid"));
  // Each good save said where it went.
  EXPECT_EQ(rig.prompts.messages, (Strings{"ファイルに追記しました: " + rig.cfg.Path("grid.csv"),
                                           "ファイルに追記しました: " + rig.cfg.Path("grid.csv")}));
  e.SavelogSBtClick();
  ASSERT_EQ(rig.prompts.messages.size(), 3u);
  EXPECT_NE(rig.prompts.messages[2].find("missing/folder/grid.csv"), std::string::npos);
  EXPECT_EQ(e.Grid().Cell(0, 0), "A1") << "the grid is untouched";
  EXPECT_EQ(e.State(), MptEditState::esRead);
}

TEST_F(MptEditor, TheMenuItemRunsTheWindowUntilItIsClosed) {
  rig.prompts.Press("ScanSBt");  // then the script's presses end: the close box
  ASSERT_TRUE(rig.Run("MPTDataWrite1"));
  ASSERT_EQ(rig.prompts.shown.size(), 1u);
  EXPECT_EQ(rig.prompts.shown[0].caption, "MPT書込み");
  EXPECT_EQ(rig.SentCount(0x12), 17);
  EXPECT_TRUE(IniFile::Exists(rig.cfg.SettingsPath())) << "the settings are saved on closing";
  IniFile ini(rig.cfg.SettingsPath());
  ini.Load();
  EXPECT_EQ(ini.ReadString("HanyouDlgOption", "SaveFileName", ""), "datalist.csv");
}

}  // namespace
