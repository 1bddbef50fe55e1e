// Settings file: defaults, round trip, write rules, value forms.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/app_paths.h"
#include "core/ini_file.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "tests/support/file_test_tools.h"
#include "tests/support/temp_config.h"

namespace {

TEST(Settings, FreshAccountGivesDefaultsAndSavingCreatesTheFolders) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  EXPECT_EQ(path, cfg.Dir() + "/norvik/QZH900Tool/QZH900Tool.ini");
  OptionSettings s = LoadOptionSettingsFile(path, Language::English);
  EXPECT_EQ(s.TirisPage, 1);
  EXPECT_EQ(s.TirisBank, 3);
  EXPECT_EQ(s.SelAddr, 255);
  EXPECT_EQ(s.IntervTime, 200);
  EXPECT_EQ(s.SIC7888Mode1, 1);
  EXPECT_EQ(s.fFastBlockRead, 1);
  EXPECT_EQ(s.WriteData[15], 15);
  EXPECT_EQ(s.ANI_ID[7], 0x80);
  EXPECT_EQ(s.IDKey[0], 60);
  EXPECT_EQ(s.IDKey[15], 176);
  ASSERT_TRUE(SaveOptionSettings(path, s, Language::English));
  const std::string text = TempConfig::ReadFile(path);
  EXPECT_EQ(text.rfind("[Option]\nTirisPage=1\nTirisBank=3\nSelAddr=255\nfTimeOut=0\n", 0), 0u)
      << text;
  EXPECT_EQ(text.find("SIC7888Mode1"), std::string::npos);
  EXPECT_NE(text.find("\nWrite Data[0]=0\n"), std::string::npos);
  EXPECT_NE(text.find("\nEMId=0\nfEMDispHex=0\nBDEID_AutoIncrement=0\nBDEId2=0\n"),
            std::string::npos);
  EXPECT_NE(text.find("\nIDKey15=176\nLanguageFlag="), std::string::npos);
  EXPECT_NE(text.find("\nWordNo=0\n"), std::string::npos);
}

TEST(Settings, RoundTripKeepsLowBytesAndLargeNumbers) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  OptionSettings s;
  s.TirisPage = 17;
  s.BDEId2 = 18446744073709551615ull;
  s.EMId = 1099511627775ull;  // 13 digits: exact
  s.WriteData[3] = 0xAB;
  s.ANI_ID = {1, 2, 3, 4, 5, 6, 7, 8};
  s.LanguageFlag = 1;
  ASSERT_TRUE(SaveOptionSettings(path, s, Language::English));
  const OptionSettings r = LoadOptionSettingsFile(path, Language::English);
  EXPECT_EQ(r.TirisPage, 17);
  EXPECT_EQ(r.BDEId2, 18446744073709551615ull);
  EXPECT_EQ(r.EMId, 1099511627775ull);
  EXPECT_EQ(r.WriteData[3], 0xAB);
  EXPECT_EQ(r.ANI_ID[7], 8);
  EXPECT_EQ(r.LanguageFlag, 1);
}

TEST(Settings, EmIdIsStoredWithFifteenSignificantDigits) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  OptionSettings s;
  s.EMId = 1234567890123456789ull;
  ASSERT_TRUE(SaveOptionSettings(path, s, Language::English));
  EXPECT_NE(TempConfig::ReadFile(path).find("\nEMId=1.23456789012346E18\n"), std::string::npos);
  // Read back as a floating value and truncated.
  EXPECT_EQ(LoadOptionSettingsFile(path, Language::English).EMId,
            static_cast<uint64_t>(1.23456789012346E18));
  EXPECT_EQ(FormatGeneralFloat(123456789012345.0), "123456789012345");
  EXPECT_EQ(FormatGeneralFloat(1e15), "1E15");
}

TEST(Settings, WriteDataKeysFollowTheLanguageAndKeepTheOtherLanguagesValues) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  OptionSettings en;
  en.WriteData[0] = 0x11;
  ASSERT_TRUE(SaveOptionSettings(path, en, Language::English));
  OptionSettings ja = LoadOptionSettingsFile(path, Language::Japanese);
  EXPECT_EQ(ja.WriteData[0], 0);  // the Japanese keys are not there yet
  ja.WriteData[0] = 0x22;
  ASSERT_TRUE(SaveOptionSettings(path, ja, Language::Japanese));
  const std::string text = TempConfig::ReadFile(path);
  EXPECT_NE(text.find("Write Data[0]=17\n"), std::string::npos);
  EXPECT_NE(text.find("書き込むデータ[0]=34\n"), std::string::npos);
  EXPECT_EQ(LoadOptionSettingsFile(path, Language::English).WriteData[0], 0x11);
}

TEST(Settings, ReadOnlyFileIsNeverWritten) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  TempConfig::WriteFile(path, "[Option]\nTirisPage=5\n");
  ::chmod(path.c_str(), 0444);
  OptionSettings s;
  s.TirisPage = 9;
  EXPECT_FALSE(SaveOptionSettings(path, s, Language::English));
  EXPECT_EQ(TempConfig::ReadFile(path), "[Option]\nTirisPage=5\n");
}

TEST(SettingsWriteRule, FoldersAreMadeAReadOnlyFileIsLeftAndAFailedSaveLeavesNoFile) {
  // Every section's save goes through this rule (Option, ComDebug, DispTagData, HanyouDlgOption).
  TempConfig cfg;
  const std::string path = cfg.Path("a/b/QZH900Tool.ini");
  int stores = 0;
  const auto store = [&](IniFile& ini) {
    ++stores;
    ini.WriteInteger("ComDebug", "Port", 7);
  };
  ASSERT_TRUE(UpdateSettingsFile(path, store));
  EXPECT_EQ(TempConfig::ReadFile(path), "[ComDebug]\nPort=7\n");
  ::chmod(path.c_str(), 0444);
  EXPECT_FALSE(UpdateSettingsFile(path, store));
  EXPECT_EQ(stores, 1) << "a read-only file is not even prepared for writing";
  EXPECT_EQ(TempConfig::ReadFile(path), "[ComDebug]\nPort=7\n");
  // A new file whose save fails (the disk is full) is not left behind empty, nor its temporary.
  const std::string other = cfg.Path("c/QZH900Tool.ini");
  {
    FileSizeLimit full(0);
    EXPECT_FALSE(UpdateSettingsFile(other, store));
  }
  EXPECT_TRUE(std::filesystem::is_empty(cfg.Path("c")));
}

TEST(Settings, UnknownSectionsAndKeysSurviveASave) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  TempConfig::WriteFile(path,
                        "; kept comment\n[Mine]\nA=1\n[Option]\nCustomKey=xyz\nTirisPage=4\n"
                        "[ComDebug]\nPort=3\n");
  OptionSettings s = LoadOptionSettingsFile(path, Language::English);
  EXPECT_EQ(s.TirisPage, 4);
  ASSERT_TRUE(SaveOptionSettings(path, s, Language::English));
  IniFile ini(path);
  ASSERT_TRUE(ini.Load());
  EXPECT_EQ(ini.ReadString("Mine", "A", ""), "1");
  EXPECT_EQ(ini.ReadString("Option", "CustomKey", ""), "xyz");
  EXPECT_EQ(ini.ReadInteger("ComDebug", "Port", 0), 3);
  EXPECT_EQ(TempConfig::ReadFile(path).rfind("; kept comment\n[Mine]\nA=1\n", 0), 0u);
}

TEST(Settings, MalformedValuesReadAsDefaults) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  TempConfig::WriteFile(path,
                        "[Option]\nTirisPage=abc\nIntervTime=\nEMId=1e999\nBDEId2=-5\n"
                        "fTimeOut=99999999999999999999999\nSelAddr=0x10\n"
                        "garbage line without equals\n");
  const OptionSettings s = LoadOptionSettingsFile(path, Language::English);
  EXPECT_EQ(s.TirisPage, 1);
  EXPECT_EQ(s.IntervTime, 200);
  EXPECT_EQ(s.EMId, 0u);
  EXPECT_EQ(s.BDEId2, 0u);
  EXPECT_EQ(s.fTimeOut, 0);
  EXPECT_EQ(s.SelAddr, 0x10);
}

TEST(Settings, AFailedSaveLeavesTheOldFileWhole) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  OptionSettings s;
  ASSERT_TRUE(SaveOptionSettings(path, s, Language::English));
  const std::string before = TempConfig::ReadFile(path);
  // The disk fills up half-way through the new file: nothing is replaced, nothing is left.
  s.TirisPage = 42;
  {
    FileSizeLimit fillsUp(before.size() / 2);
    EXPECT_FALSE(SaveOptionSettings(path, s, Language::English));
  }
  EXPECT_EQ(TempConfig::ReadFile(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(IniFile::FolderOf(path)), {}), 1);
  EXPECT_TRUE(SaveOptionSettings(path, s, Language::English));
  EXPECT_EQ(LoadOptionSettingsFile(path, Language::English).TirisPage, 42);
}

TEST(Settings, AFileOverSixteenMebibytesIsRefusedAndNeverWritten) {
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  // A padded file whose last line sets a value: just over the limit.
  std::string text(files::kSettingsLimit - 10, '\n');
  text += "[Option]\nTirisPage=9\n";
  TempConfig::WriteFile(path, text);
  files::Error error;
  const OptionSettings s = LoadOptionSettingsFile(path, Language::English, &error);
  EXPECT_EQ(error.Text(), "larger than 16 MiB");
  EXPECT_EQ(s.TirisPage, 1) << "the defaults";
  EXPECT_FALSE(SaveOptionSettings(path, s, Language::English));
  EXPECT_FALSE(
      UpdateSettingsFile(path, [](IniFile& ini) { ini.WriteInteger("ComDebug", "Port", 3); }));
  EXPECT_TRUE(TempConfig::ReadFile(path) == text) << "the file is left as it was";

  // At the limit it is read.
  text.erase(0, text.size() - files::kSettingsLimit);
  TempConfig::WriteFile(path, text);
  EXPECT_EQ(LoadOptionSettingsFile(path, Language::English, &error).TirisPage, 9);
  EXPECT_FALSE(error);
}

TEST(Settings, ASettingsFileThatIsALinkStaysALink) {
  // Dotfile managers keep the settings in a repository and link them into place.
  TempConfig cfg;
  const std::string path = app_paths::SettingsPath();
  TempConfig::WriteFile(cfg.Path("dotfiles/QZH900Tool.ini"), "; mine\n[Option]\nTirisPage=4\n");
  std::filesystem::create_directories(IniFile::FolderOf(path));
  ASSERT_EQ(::symlink(cfg.Path("dotfiles/QZH900Tool.ini").c_str(), path.c_str()), 0);
  OptionSettings s = LoadOptionSettingsFile(path, Language::English);
  EXPECT_EQ(s.TirisPage, 4);
  s.TirisPage = 6;
  ASSERT_TRUE(SaveOptionSettings(path, s, Language::English));
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  const std::string saved = TempConfig::ReadFile(cfg.Path("dotfiles/QZH900Tool.ini"));
  EXPECT_EQ(saved.rfind("; mine\n[Option]\nTirisPage=6\n", 0), 0u) << saved;
}

TEST(IniFile, EditsFindTheFirstOfARepeatedKeyAndKeepEveryOtherLine) {
  IniFile ini("");
  ini.LoadText(
      "top=0\r\n; comment\r\n\r\n  [Alpha]  \nx = 1\nX=2\n\n[beta]\ny=3\n; tail of beta\n"
      "[ALPHA]\nz=4\n; tail of alpha\n\n=no key\nno equals");
  EXPECT_EQ(ini.ReadString("", "TOP", ""), "0");
  EXPECT_EQ(ini.Value("alpha", "x"), " 1") << "the first of a repeated key counts";
  EXPECT_EQ(ini.Value("Alpha", "z"), "4") << "a section may come twice";
  EXPECT_FALSE(ini.HasKey("", "no equals"));
  EXPECT_EQ(ini.Entries("alpha"), (std::vector<std::pair<std::string, std::string>>{
                                      {"x", " 1"}, {"X", "2"}, {"z", "4"}}));
  ini.WriteString("alpha", "x", "one");  // in place
  ini.WriteString("Beta", "w", "new");   // after the section's last key, before its comments
  ini.WriteString("alpha", "v", "5");    // at the end of the section's last part
  ini.WriteString("Gamma", "g", "line\nbreak");
  EXPECT_EQ(ini.Value("alpha", "x"), "one");
  ini.DeleteKey("ALPHA", "X");
  EXPECT_EQ(ini.Value("alpha", "x"), "2") << "the next one counts once the first is gone";
  EXPECT_EQ(ini.Text(),
            "top=0\n; comment\n\n[Alpha]\nX=2\n\n[beta]\ny=3\nw=new\n; tail of beta\n"
            "[ALPHA]\nz=4\nv=5\n; tail of alpha\n\n=no key\nno equals\n[Gamma]\ng=line break\n");
}

TEST(IniFile, CarriageReturnsBeforeALineEndGoAtTheFirstSaveAndTheNextSaveChangesNothing) {
  IniFile ini("");
  ini.LoadText("[A]\r\r\nk=v\r\r\r\n; note\r\r\nlast\r\r");
  EXPECT_EQ(ini.Value("A", "k"), "v");
  const std::string saved = ini.Text();
  EXPECT_EQ(saved, "[A]\nk=v\n; note\nlast\n");
  IniFile again("");
  again.LoadText(saved);
  EXPECT_EQ(again.Text(), saved);
}

TEST(IniFile, HeadersKeysAndOtherLinesAreToldApartByTheirFirstAndLastBlanksOnly) {
  IniFile ini("");
  ini.LoadText("[a=b\n[]\n[\n \t[ x ] \r\n k \t= v=w \t\r\r\n;c=d\n #e=f\n\t= v\n[y]z=1\n");
  EXPECT_EQ(ini.Value("", "[a"), "b") << "no closing bracket: a key line";
  EXPECT_EQ(ini.Entries(""), (std::vector<std::pair<std::string, std::string>>{{"[a", "b"}}));
  EXPECT_EQ(ini.Entries(" x "),
            (std::vector<std::pair<std::string, std::string>>{{"k", " v=w \t"}, {"[y]z", "1"}}))
      << "the name inside the brackets as written, comments and a line without a key left out";
  EXPECT_EQ(ini.Text(), "[a=b\n[]\n[\n[ x ]\nk= v=w \t\n;c=d\n #e=f\n\t= v\n[y]z=1\n");
}

TEST(IniFile, ADocumentLoadedAgainKeepsNothingOfItsLastTextOrEdits) {
  IniFile ini("");
  ini.LoadText("[Old]\nk=1\nk=2\n[Both]\na=old\n");
  ini.WriteString("Old", "k", "edited");
  ini.WriteString("Added", "n", "1");
  ini.DeleteKey("Both", "a");
  ini.LoadText("[both]\nb=new\n; tail\n");
  EXPECT_FALSE(ini.HasKey("Old", "k"));
  EXPECT_FALSE(ini.HasKey("Added", "n"));
  EXPECT_EQ(ini.Value("Both", "b"), "new");
  ini.WriteString("BOTH", "c", "3");  // after the new document's key, not where "a" stood
  ini.WriteString("Old", "k", "4");   // a section of the old document only: new at the end
  EXPECT_EQ(ini.Text(), "[both]\nb=new\nc=3\n; tail\n[Old]\nk=4\n");
}

TEST(Catalogue, HoldsBothLanguagesExactly) {
  EXPECT_EQ(static_cast<int>(Msg::Count_), 124);
  EXPECT_EQ(MessageText(Msg::PageMsg, Language::English), "Pege");
  EXPECT_EQ(MessageText(Msg::BlockNumber0Msg, Language::Japanese), "ページ番号(0-)");
  EXPECT_EQ(MessageText(Msg::VersionMsg, Language::Japanese), "     Version ");
  EXPECT_EQ(MessageText(Msg::DataHexMsg, Language::English),
            "Data（Hex）[１Byte 2digits Example：00 01 02 03 04 05 06 07]");
  EXPECT_EQ(MessageText(Msg::ReservedMsg, Language::Japanese), "[予約済み]");
  EXPECT_STREQ(MessageName(Msg::ROMVersion), "ROMVersion");
}

TEST(Catalogue, LanguageIsFixedOnceAMessageWasRead) {
  SetMessageLanguage(Language::Japanese);
  EXPECT_EQ(LoadMessage(Msg::NGMsg), "NG");
  SetMessageLanguage(Language::English);
  EXPECT_EQ(LoadMessage(Msg::ResponseTimedOutMsg), "レスポンス待ち タイムオーバー");
}

}  // namespace
