// What qzh900ctl remembers between runs: the values a handler remembers follow the run's
// language as the window of that language keeps them, and dump --save stores the viewer's
// settings as the viewer does when it closes.
#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"

using namespace cli_test;

TEST(CliRememberedValues, FollowTheRunsLanguageAndLeaveTheOtherCopyAlone) {
  CliRig rig({MakeTag("ti-rw")});
  // The Japanese window keeps the write-data bytes under its own key names.
  const std::string japaneseKey = "書き込むデータ[0]=85\n";
  TempConfig::WriteFile(rig.config.SettingsPath(),
                        "[Option]\nLanguageFlag=1\nWrite Data[0]=170\n" + japaneseKey);
  struct Shown {
    const char* lang;
    const char* value;
  };
  for (const Shown& s : {Shown{"en", "= AA"}, Shown{"ja", "= 55"}}) {
    const Result list = rig.Run({"list", "MNWriteAndProgramCmd1", "--lang", s.lang});
    EXPECT_EQ(list.status, 0) << list.err;
    bool found = false;
    for (const std::string& line : list.Lines())
      found = found || (Contains(line, "IntEdit1 ") && Contains(line, s.value));
    EXPECT_TRUE(found) << s.lang << ":\n" << list.out;
  }
  // Saved in English: the English copy changes, the Japanese one stays as it was.
  const Result saved =
      rig.Run({"run", "MNWriteAndProgramCmd1", "--lang", "en", "-a", "IntEdit1=3C", "--save"});
  EXPECT_EQ(saved.status, 0) << saved.err;
  const std::string after = rig.Settings();
  EXPECT_TRUE(Contains(after, "Write Data[0]=60\n")) << after;
  EXPECT_TRUE(Contains(after, japaneseKey)) << after;
  // And the Japanese run still reads its own copy.
  const Result ja = rig.Run({"list", "MNWriteAndProgramCmd1", "--lang", "ja"});
  EXPECT_TRUE(Contains(ja.out, "= 55")) << ja.out;
}

TEST(CliRememberedValues, DumpSaveStoresTheViewersFileNameAndFastMode) {
  CliRig rig({MakeTag("sic7888:uid:11223344:fdxb:8000F9E0F20EA701")});
  const std::string csv = rig.config.Path("report");
  // A fresh account: no settings file at all.
  const Result r = rig.Run({"dump", "--csv", csv, "--fast", "--save"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string settings = rig.Settings();
  EXPECT_TRUE(Contains(settings, "[DispTagData]\n")) << settings;
  EXPECT_TRUE(Contains(settings, "SaveFileName=" + csv + ".csv\n")) << settings;
  EXPECT_TRUE(Contains(settings, "FastMode=1\n")) << settings;

  // The next dump without --fast reads with the stored setting; --no-fast --save stores 0.
  const Result off = rig.Run({"dump", "--no-fast", "--save"});
  EXPECT_EQ(off.status, 0) << off.err;
  EXPECT_TRUE(Contains(rig.Settings(), "FastMode=0\n")) << rig.Settings();
  // Without --save the settings file is not written.
  const std::string before = rig.Settings();
  EXPECT_EQ(rig.Run({"dump", "--fast"}).status, 0);
  EXPECT_EQ(rig.Settings(), before);
}
