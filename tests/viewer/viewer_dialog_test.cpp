// The viewer window's behaviour around its reads: the CSV export (exact text, appending, the name
// it is written under, unwritable paths and a full disk that lose nothing), section DispTagData,
// the "Configuration" menu by reader level and Ctrl-click, the settings dialog's page, and the
// rows showing while they are read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <regex>
#include <sstream>

#include "core/ini_file.h"
#include "hdx/disp_tag_data_dlg.h"
#include "hdx/disp_tag_data_settings.h"
#include "hdx/tag_viewer_csv.h"
#include "sim/chips/ti_hdx.h"
#include "tests/support/file_test_tools.h"
#include "tests/viewer/viewer_rig.h"

using namespace viewer_test;
using Lines = std::vector<std::string>;

namespace {

Lines SplitCrLf(const std::string& text) {
  Lines out;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    out.push_back(text.substr(start, at - start));
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

std::shared_ptr<sim::TiHdxTag> Multipage() {
  auto mpt = std::make_shared<sim::TiHdxTag>(sim::tag_type::kMultiPage, 0x0102030405060708);
  mpt->LockPageNow(2);
  return mpt;
}

bool Enabled(const PromptForm& f, const std::string& action) {
  for (const PromptAction& a : f.actions)
    if (a.name == action) return a.enabled;
  return false;
}

// A fixed moment, in UTC: 2024-03-05 14:07:09.
std::time_t FixedTime() {
  setenv("TZ", "UTC", 1);
  tzset();
  return 1709647629;
}

}  // namespace

TEST(ViewerCsv, MultipageExportHoldsTheFieldsAndEighteenTableLines) {
  ViewerRig rig({Multipage()});
  const TagData d = ReadTagData(*rig.app, {});
  const std::string path = rig.config.Path("tags.csv");
  files::Error error;
  ASSERT_TRUE(AppendTagDataCsv(path, d, FixedTime(), &error)) << error.Text();
  std::string expected =
      "\r\n"
      "2024/03/05/,14:07:09\r\n"
      "ID(Hex),01 02 03 04 05 06 07 08 \r\n"
      "Tag Type,Multi Page Tag\r\n"
      "Chip/Manufacture,TI\r\n"
      "Page,Data,Lock\r\n"
      "1,01 02 03 04 05 06 07 08 ,0\r\n"
      "2,00 00 00 00 00 00 00 00 ,1\r\n";
  for (int page = 3; page <= 17; ++page)
    expected += std::to_string(page) + ",00 00 00 00 00 00 00 00 ,0\r\n";
  EXPECT_EQ(TempConfig::ReadFile(path), expected);
  EXPECT_EQ(SplitCrLf(expected).size(), 5u + 18u);

  // A second export is appended after the first.
  ASSERT_TRUE(AppendTagDataCsv(path, d, FixedTime() + 60));
  const std::string both = TempConfig::ReadFile(path);
  EXPECT_EQ(both.substr(0, expected.size()), expected);
  EXPECT_EQ(SplitCrLf(both.substr(expected.size())).at(1), "2024/03/05/,14:08:09");
}

TEST(ViewerCsv, FileNamesGetTheCsvExtension) {
  EXPECT_EQ(CsvFileName("/tmp/a/tags.txt"), "/tmp/a/tags.csv");
  EXPECT_EQ(CsvFileName("/tmp/a/tags"), "/tmp/a/tags.csv");
  EXPECT_EQ(CsvFileName("/tmp/a.d/tags"), "/tmp/a.d/tags.csv");
  EXPECT_EQ(CsvFileName("tags.CSV"), "tags.csv");
  EXPECT_EQ(CsvFileName("tags.tar.gz"), "tags.tar.csv");
}

TEST(ViewerCsv, SaveFromTheWindowAfterAWiderTableWritesTheMultipageRowsOnly) {
  auto sic7888 = MakeTag("sic7888:fdxb:8000F9E0F20EA701");
  ViewerRig rig({sic7888});
  TDispTagDataDlg dlg(*rig.app);
  dlg.OKBtnClick();
  ASSERT_EQ(dlg.Data().RowCount(), 45);
  rig.field->Replace(0, Multipage());
  dlg.OKBtnClick();
  rig.prompts.SetSaveFileName(rig.config.Path("out.txt"));
  dlg.MnSavelogClick();
  dlg.MnSavelogClick();
  EXPECT_TRUE(rig.prompts.messages.empty());
  const Lines lines = SplitCrLf(TempConfig::ReadFile(rig.config.Path("out.csv")));
  ASSERT_EQ(lines.size(), 2u * (5u + 18u)) << "each record: 18 table lines";
  const std::regex date(R"(\d{4}/\d{2}/\d{2}/,\d{2}:\d{2}:\d{2})");
  EXPECT_EQ(lines[0], "");
  EXPECT_TRUE(std::regex_match(lines[1], date)) << lines[1];
  EXPECT_EQ(lines[5], "Page,Data,Lock");
  EXPECT_EQ(lines[22], "17,00 00 00 00 00 00 00 00 ,0");
  EXPECT_EQ(lines[23], "");
  EXPECT_EQ(dlg.Options().SaveFileName, rig.config.Path("out.csv"));

  // What the user typed into the window is what is saved.
  PromptForm& f = dlg.Form();
  f.Field("EdChip").text = "edited";
  f.Changed("EdChip");
  f.Field("StringGrid1").cells[3][1] = "AA";
  f.Changed("StringGrid1");
  EXPECT_EQ(dlg.Data().EdChip, "edited");
  EXPECT_EQ(dlg.Data().StringGrid1[3][1], "AA");
}

TEST(ViewerCsv, UnwritablePathsGiveAMessageAndLoseNothingOnScreen) {
  ViewerRig rig({Multipage()});
  TDispTagDataDlg dlg(*rig.app);
  dlg.OKBtnClick();
  const TagData before = dlg.Data();
  TempConfig::WriteFile(rig.config.Path("plain"), "x");
  for (const std::string& chosen :
       {rig.config.Path("missing/folder/tags"), rig.config.Path("plain/tags")}) {
    rig.prompts.messages.clear();
    rig.prompts.SetSaveFileName(chosen);
    dlg.MnSavelogClick();
    ASSERT_EQ(rig.prompts.messages.size(), 1u) << chosen;
    EXPECT_NE(rig.prompts.messages[0].find(chosen + ".csv"), std::string::npos);
    EXPECT_EQ(dlg.Data().StringGrid1, before.StringGrid1);
    EXPECT_EQ(dlg.Data().EdUID, before.EdUID);
  }
  // The viewer goes on: the next save to a good place writes the same rows.
  rig.prompts.SetSaveFileName(rig.config.Path("good"));
  dlg.MnSavelogClick();
  EXPECT_EQ(rig.prompts.messages.size(), 1u);
  EXPECT_EQ(SplitCrLf(TempConfig::ReadFile(rig.config.Path("good.csv"))).size(), 5u + 18u);
}

TEST(ViewerCsv, ReadWithoutAModuleKeepsTheWindowAndItsData) {
  ViewerRig rig({Multipage()});
  TDispTagDataDlg dlg(*rig.app);
  dlg.OKBtnClick();
  const TagData before = dlg.Data();
  rig.app->CloseComm();
  rig.prompts.Press("TDispTagDataDlg.OKBtn");
  rig.prompts.Press("TDispTagDataDlg.MnSavelog");
  rig.prompts.SetSaveFileName(rig.config.Path("kept"));
  dlg.Run();
  ASSERT_EQ(rig.prompts.messages.size(), 1u);
  EXPECT_EQ(rig.prompts.messages[0],
            "ポートが開いていません。「COM Port...」でポートを開いてください");
  EXPECT_EQ(dlg.Data().StringGrid1, before.StringGrid1);
  EXPECT_EQ(dlg.Data().EdUID, "01 02 03 04 05 06 07 08 ");
  EXPECT_NE(TempConfig::ReadFile(rig.config.Path("kept.csv")).find("1,01 02 03 04 05 06 07 08 ,0"),
            std::string::npos);
}

TEST(ViewerCsv, AFullDiskIsReportedAndAPartWrittenRecordIsTakenBack) {
  TagData d;
  d.EdUID = "01 ";
  files::Error error;
  // A device is no file to append a record to.
  EXPECT_FALSE(AppendTagDataCsv("/dev/full", d, FixedTime(), &error));
  EXPECT_EQ(error.Text(), "not a regular file (a device)");

  // A file size limit stops the write half-way: the file keeps exactly its earlier record.
  TempConfig cfg;
  const std::string path = cfg.Path("limited.csv");
  ASSERT_TRUE(AppendTagDataCsv(path, d, FixedTime()));
  const std::string first = TempConfig::ReadFile(path);
  bool ok;
  {
    FileSizeLimit tight(first.size() + 10);
    ok = AppendTagDataCsv(path, d, FixedTime(), &error);
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(error.Text(), "File too large");
  EXPECT_EQ(TempConfig::ReadFile(path), first);
}

TEST(ViewerSettings, SectionDispTagDataIsLoadedAndWrittenAtClose) {
  ViewerRig rig({Multipage()});
  EXPECT_EQ(LoadDispTagDataOption(rig.config.SettingsPath()).SaveFileName, "DispTagData.csv");
  IniFile seed(rig.config.SettingsPath());
  seed.WriteString("Other", "Key", "kept");
  seed.WriteString("DispTagData", "SaveFileName", "/somewhere/before.csv");
  ASSERT_TRUE(IniFile::CreateFolders(IniFile::FolderOf(rig.config.SettingsPath())));
  ASSERT_TRUE(seed.Save());

  rig.prompts.Answer("THanyousettingDlg.CB_FastMode_DispTagData", "1");
  rig.prompts.Press("TDispTagDataDlg.MnSetting");
  rig.prompts.Press("TDispTagDataDlg.OKBtn");
  rig.Run("MnTgaData");
  EXPECT_EQ(rig.Sent(), (Lines{"10 ", "8B 01 11 "})) << "fast mode from the settings dialog";
  IniFile ini(rig.config.SettingsPath());
  ini.Load();
  EXPECT_EQ(ini.ReadString("DispTagData", "SaveFileName", ""), "/somewhere/before.csv");
  EXPECT_EQ(ini.ReadInteger("DispTagData", "FastMode", -1), 1);
  EXPECT_EQ(ini.ReadString("Other", "Key", ""), "kept");

  // The next viewer starts from the section: the settings dialog shows fast mode checked.
  rig.prompts = ViewerPrompts();
  rig.prompts.Press("TDispTagDataDlg.MnSetting");
  rig.Run("MnTgaData");
  ASSERT_EQ(rig.prompts.shown.size(), 2u);
  EXPECT_TRUE(rig.prompts.shown[1].Field("CB_FastMode_DispTagData").checked);
  EXPECT_FALSE(rig.prompts.shown[1].Field("CB_KoteiMode").checked);

  // A read-only settings file is left alone.
  chmod(rig.config.SettingsPath().c_str(), 0444);
  const std::string text = TempConfig::ReadFile(rig.config.SettingsPath());
  DispTagDataOption o;
  o.FastMode = 0;
  EXPECT_FALSE(SaveDispTagDataOption(rig.config.SettingsPath(), o));
  EXPECT_EQ(TempConfig::ReadFile(rig.config.SettingsPath()), text);
}

TEST(ViewerWindow, ConfigurationMenuByReaderLevelAndCtrlClick) {
  ViewerRig rig({}, "1010LFS00");
  rig.prompts.Press("TDispTagDataDlg.MnSetting");  // hidden: nothing happens
  rig.prompts.Press("TDispTagDataDlg.Label3");     // without Ctrl: still hidden
  rig.prompts.Press("TDispTagDataDlg.MnSetting");
  rig.Run("MnTgaData");
  ASSERT_EQ(rig.prompts.shown.size(), 1u);
  EXPECT_EQ(rig.prompts.shown[0].caption, "タグデータ");
  EXPECT_FALSE(rig.prompts.shown[0].Action("MnSetting").visible);

  rig.prompts = ViewerPrompts();
  rig.prompts.SetControlHeld(true);
  rig.prompts.Press("TDispTagDataDlg.Label3");
  rig.prompts.Press("TDispTagDataDlg.MnSetting");
  rig.Run("MnTgaData");
  ASSERT_EQ(rig.prompts.shown.size(), 2u);
  EXPECT_EQ(rig.prompts.shown[1].dialog, "THanyousettingDlg");
}

TEST(ViewerWindow, SettingsDialogWithAFixedTagTypeOpensCheckedOnMpt) {
  ViewerRig rig;
  TDispTagDataDlg dlg(*rig.app);
  dlg.FixedTagType = kFixedSic7888;
  rig.prompts.CancelDialog("THanyousettingDlg");
  dlg.MnSettingClick();
  const PromptForm& f = rig.prompts.shown.back();
  EXPECT_TRUE(f.Field("CB_KoteiMode").checked);
  EXPECT_TRUE(f.Field("RG_TagType").enabled);
  EXPECT_EQ(f.Field("RG_TagType").index, 0);
  EXPECT_EQ(dlg.FixedTagType, kFixedSic7888) << "Close changes nothing";

  rig.prompts = ViewerPrompts();
  rig.prompts.Answer("THanyousettingDlg.CB_KoteiMode", "0");
  dlg.MnSettingClick();
  EXPECT_EQ(dlg.FixedTagType, kIdentifyTag);
  rig.prompts = ViewerPrompts();
  rig.prompts.Answer("THanyousettingDlg.CB_KoteiMode", "1");
  dlg.MnSettingClick();
  EXPECT_EQ(dlg.FixedTagType, kFixedMultipage) << "the radio group shows MPT on opening";
}

TEST(ViewerWindow, RowsShowWhileTheyAreReadAndTheActionsWait) {
  ViewerRig rig({MakeTag("sic7888:fdxb:8000F9E0F20EA701")});
  rig.prompts.Press("TDispTagDataDlg.OKBtn");
  rig.Run("MnTgaData");
  bool partial = false;
  for (const PromptForm& f : rig.prompts.refreshed) {
    EXPECT_FALSE(Enabled(f, "OKBtn"));
    EXPECT_FALSE(Enabled(f, "MnSavelog"));
    EXPECT_TRUE(f.Field("StringGrid1").readOnly);
    const auto& cells = f.Field("StringGrid1").cells;
    if (cells.size() == 45 && !cells[1][1].empty() && cells[44][1].empty()) partial = true;
  }
  EXPECT_TRUE(partial) << "a refresh showed the first blocks before the last was read";
  EXPECT_EQ(rig.prompts.refreshed.back().Field("StringGrid1").cells[44][1], "20 26 01 15 ");
}
