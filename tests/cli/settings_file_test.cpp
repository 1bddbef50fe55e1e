// The settings file as the command runner meets it: ten megabytes of blank lines, read in one
// pass and kept by --save (the run's time and peak memory are printed, not checked: they depend
// on the machine; bench/settings_bench measures them), and a file over 16 MiB, which the run
// does without and never writes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "tests/cli/cli_rig.h"

using namespace cli_test;

TEST(CliSettingsFile, TenMegabytesOfBlankLinesAreReadAndKept) {
  CliRig rig;
  const std::string path = rig.config.SettingsPath();
  const std::string blank(size_t{10} << 20, '\n');
  TempConfig::WriteFile(path, blank + "[Option]\nLanguageFlag=0\nTirisPage=9\n");
  const auto t0 = std::chrono::steady_clock::now();
  const Result r = rig.Run({"run", "MnGetROMVer", "--save"});
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  rusage children{};
  ::getrusage(RUSAGE_CHILDREN, &children);  // the runner is this test's only child
  std::printf("10 MB settings file: qzh900ctl run %.0f ms, peak RSS %.1f MiB\n", ms,
              static_cast<double>(children.ru_maxrss) / 1024.0);
  RecordProperty("run_ms", static_cast<int>(ms));
  RecordProperty("peak_rss_kib", static_cast<int>(children.ru_maxrss));
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_FALSE(r.HandlerLines().empty()) << r.out;
  EXPECT_EQ(r.HandlerLines().back(), "ROM Version: 1100LFS00");
  // The value behind the blank lines was read: the page remembered is the file's.
  const Result list = rig.Run({"list", "MnGeneralReadPageCmd"});
  EXPECT_TRUE(Contains(list.out, "IntEd                  number (no limit) = 9\n")) << list.out;
  const std::string saved = TempConfig::ReadFile(path);
  ASSERT_GT(saved.size(), blank.size());
  EXPECT_TRUE(saved.compare(0, blank.size(), blank) == 0) << "the blank lines are kept";
  EXPECT_TRUE(Contains(saved.substr(blank.size()), "[Option]\nLanguageFlag=0\nTirisPage=9\n"));
}

TEST(CliSettingsFile, AFileOverSixteenMebibytesIsLeftAloneAndTheRunUsesTheDefaults) {
  CliRig rig;
  const std::string path = rig.config.SettingsPath();
  const std::string text = std::string(size_t{16} << 20, '\n') + "[Option]\nTirisPage=9\n";
  TempConfig::WriteFile(path, text);
  const std::string told = "qzh900ctl: the settings file " + path +
                           " cannot be read (larger than 16 MiB); working on defaults\n";
  const Result r = rig.Run({"run", "MnGetROMVer"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, told);
  const Result saving = rig.Run({"run", "MnGetROMVer", "--save"});
  EXPECT_EQ(saving.status, 2);
  EXPECT_TRUE(Contains(
      saving.err, "--save: the settings file " + path + " cannot be read (larger than 16 MiB)"))
      << saving.err;
  EXPECT_TRUE(TempConfig::ReadFile(path) == text) << "the file is left as it was";
  // The run worked on the defaults: page 1, not the file's 9.
  const Result list = rig.Run({"list", "MnGeneralReadPageCmd"});
  EXPECT_TRUE(Contains(list.out, "IntEd                  number (no limit) = 1\n")) << list.out;
}
