#include "core/language.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QTranslator>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/app_paths.h"
#include "core/messages.h"
#include "core/ui_text.h"
#include "tests/support/temp_config.h"
#include "tests/support/wait.h"

using namespace language;
namespace fs = std::filesystem;

namespace {

// Local time of a given day and hour, as the file dates are compared by local calendar day.
struct timespec LocalTime(int day, int hour, long nsec = 0) {
  struct tm t {};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 2;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_isdst = -1;
  return {::mktime(&t), nsec};
}

void SetMTime(const std::string& path, struct timespec mtime) {
  const struct timespec times[2] = {mtime, mtime};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

struct timespec MTime(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mtim;
}

// A stand-in for the executable: a script that records how it was started (its path, its
// arguments, working folder, standard input and output, session) to a file.
class FakeExe {
 public:
  FakeExe(const TempConfig& tc, const std::string& folder) : record_(tc.Path("record")) {
    path_ = tc.Path(folder) + "/QZH900Tool";
    TempConfig::WriteFile(path_,
                          "#!/bin/sh\n"
                          "{ printf '%s\\n' \"$0\" \"$@\"; pwd; readlink /proc/$$/fd/0;"
                          " readlink /proc/$$/fd/2; cut -d' ' -f6 /proc/$$/stat; } > '" +
                              record_ + ".tmp'\nmv '" + record_ + ".tmp' '" + record_ + "'\n");
    ::chmod(path_.c_str(), 0755);
    SetMTime(path_, LocalTime(10, 12, 123456789));
  }
  const std::string& path() const { return path_; }
  std::string module() const { return EnglishModulePath(path_); }

  // Waits for the next start of the fake executable (it writes its record and renames it into
  // place; the poll only looks for that file); returns the recorded lines.
  std::vector<std::string> WaitForStart() {
    const auto deadline = std::chrono::steady_clock::now() + test_support::kPatience;
    while (!fs::exists(record_) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::vector<std::string> lines;
    std::string text = TempConfig::ReadFile(record_), line;
    for (char c : text) {
      if (c != '\n') {
        line += c;
        continue;
      }
      lines.push_back(line);
      line.clear();
    }
    fs::remove(record_);
    return lines;
  }
  // The arguments of the next start.
  std::vector<std::string> WaitForArgs() {
    auto lines = WaitForStart();
    if (lines.size() < 5) return {};
    return {lines.begin() + 1, lines.end() - 4};
  }

 private:
  std::string path_, record_;
};

std::string Override(const std::string& exe) {
  return ReadLocaleOverride(exe);
}

}  // namespace

TEST(LocaleOverride, IsKeptPerExecutablePathAndSurvivesOtherEntries) {
  TempConfig tc;
  EXPECT_EQ(Override("/opt/qzh/QZH900Tool"), "");
  ASSERT_TRUE(WriteLocaleOverride("/opt/qzh/QZH900Tool", "ENU"));
  ASSERT_TRUE(WriteLocaleOverride("/opt/a=b c/QZH900Tool", "ja-JP"));
  ASSERT_TRUE(WriteLocaleOverride("/opt/qzh/QZH900Tool", "ja-JP"));
  EXPECT_EQ(Override("/opt/qzh/QZH900Tool"), "ja-JP");
  EXPECT_EQ(Override("/opt/a=b c/QZH900Tool"), "ja-JP");
  EXPECT_EQ(Override("/opt/a"), "");
  EXPECT_EQ(TempConfig::ReadFile(app_paths::LocaleOverridePath()),
            "[Locales]\n/opt/qzh/QZH900Tool=ja-JP\n/opt/a%3Db c/QZH900Tool=ja-JP\n");
  EXPECT_FALSE(EnsureLocaleOverride("/opt/qzh/QZH900Tool", "ja-JP"));
  EXPECT_TRUE(EnsureLocaleOverride("/opt/qzh/QZH900Tool", "ENU"));
  EXPECT_EQ(Override("/opt/qzh/QZH900Tool"), "ENU");
}

TEST(LocaleOverride, PathWithDotSegmentIsWrittenUnderBothForms) {
  TempConfig tc;
  ASSERT_TRUE(WriteLocaleOverride("/opt/./qzh/././QZH900Tool", "ENU"));
  EXPECT_EQ(TempConfig::ReadFile(app_paths::LocaleOverridePath()),
            "[Locales]\n/opt/./qzh/././QZH900Tool=ENU\n/opt/qzh/QZH900Tool=ENU\n");
  EXPECT_EQ(Override("/opt/qzh/QZH900Tool"), "ENU");
  // Only the collapsed form present: the dotted path still finds it.
  TempConfig::WriteFile(app_paths::LocaleOverridePath(), "[Locales]\n/x/y/QZH900Tool=ENU\n");
  EXPECT_EQ(Override("/x/./y/QZH900Tool"), "ENU");
  EXPECT_EQ(EnglishModulePath("/opt/./q.z/./QZH900Tool"), "/opt/q.z/QZH900Tool.ENU");
  EXPECT_EQ(EnglishModulePath("/opt/q/QZH900Tool.exe"), "/opt/q/QZH900Tool.ENU");
}

TEST(LocaleOverride, UnwritableStoreIsReportedAndLeftAlone) {
  TempConfig tc;
  fs::create_directories(app_paths::LocaleOverridePath());  // a folder where the file belongs
  EXPECT_FALSE(WriteLocaleOverride("/opt/qzh/QZH900Tool", "ENU"));
  EXPECT_EQ(Override("/opt/qzh/QZH900Tool"), "");
  EXPECT_TRUE(fs::is_directory(app_paths::LocaleOverridePath()));
  EXPECT_EQ(fs::directory_iterator(app_paths::NorvikDir())->path().filename(),
            "LocaleOverride.ini");  // no temporary file left behind
}

TEST(RestartBatch, HoldsTheQuotedPathArgumentCounterAndExit) {
  TempConfig tc;
  EXPECT_EQ(RestartBatchText("/opt/qzh/QZH900Tool", "REBOOT", 0),
            "\"/opt/qzh/QZH900Tool\" REBOOT 0\nexit\n");
  EXPECT_EQ(RestartBatchText("/a \"b\" $c `d` \\e/QZH900Tool", "RECOPY", 2),
            "\"/a \\\"b\\\" \\$c \\`d\\` \\\\e/QZH900Tool\" RECOPY 2\nexit\n");
  // No folder for r.bat: nothing written, nothing started, no crash.
  TempConfig::WriteFile(app_paths::NorvikDir(), "a file where the folder belongs");
  EXPECT_FALSE(RestartProgram("/opt/qzh/QZH900Tool", "REBOOT", 0));
}

TEST(RestartBatch, ShellStartsTheExecutableDetachedWithItsArgumentsIntact) {
  TempConfig tc;
  FakeExe exe(tc, "my tools/it's \"odd\" $HOME `id` \\ back\\\\");
  ASSERT_TRUE(RestartProgram(exe.path(), "REBOOT", 2));
  // The helper process is reaped at once and the shell is no child of ours.
  int status = 0;
  EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  const auto lines = exe.WaitForStart();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], exe.path());
  EXPECT_EQ(lines[1], "REBOOT");
  EXPECT_EQ(lines[2], "2");
  EXPECT_EQ(lines[3], app_paths::NorvikDir());
  EXPECT_EQ(lines[4], "/dev/null");
  EXPECT_EQ(lines[5], "/dev/null");
  EXPECT_NE(lines[6], std::to_string(::getsid(0)));
}

TEST(ModuleCheck, StaleModuleWithEnglishIsRefreshedThroughRecopyAndReboot) {
  TempConfig tc;
  FakeExe exe(tc, "app");
  TempConfig::WriteFile(exe.module(), "old");
  SetMTime(exe.module(), LocalTime(9, 23));
  ASSERT_TRUE(WriteLocaleOverride(exe.path(), "ENU"));

  // First start: the module is in use, so restart on the Japanese texts.
  EntryDecision d = ModuleCheckAtEntry(exe.path(), {}, 0);
  EXPECT_TRUE(d.restart);
  EXPECT_EQ(d.restartArgument, "RECOPY");
  EXPECT_EQ(Override(exe.path()), "ja-JP");
  EXPECT_EQ(TempConfig::ReadFile(exe.module()), "old");
  auto args = exe.WaitForArgs();
  ASSERT_EQ(args, (std::vector<std::string>{"RECOPY", "1"}));

  // Second start: rewrite the module with the executable's time, back to English, reboot.
  d = ModuleCheckAtEntry(exe.path(), args, RestartCounterFromArgs(args));
  EXPECT_TRUE(d.restart);
  EXPECT_EQ(TempConfig::ReadFile(exe.module()), EmbeddedEnglishModule());
  EXPECT_EQ(MTime(exe.module()).tv_sec, MTime(exe.path()).tv_sec);
  EXPECT_EQ(MTime(exe.module()).tv_nsec, 123456789);
  EXPECT_EQ(Override(exe.path()), "ENU");
  args = exe.WaitForArgs();
  ASSERT_EQ(args, (std::vector<std::string>{"REBOOT", "2"}));

  // Third start skips the module check; the window finds everything in step.
  EXPECT_TRUE(FirstArgumentIs({"reboot", "2"}, kRebootArgument));
  EXPECT_TRUE(EnglishModuleIsCurrent(exe.path()));
  EXPECT_FALSE(LanguageCheckAtShow(exe.path(), 0, RestartCounterFromArgs(args)).restart);
}

TEST(ModuleCheck, RewritesOnlyWhenTheDateDiffers) {
  TempConfig tc;
  FakeExe exe(tc, "app");
  ASSERT_TRUE(WriteLocaleOverride(exe.path(), "ENU"));
  TempConfig::WriteFile(exe.module(), "old");
  SetMTime(exe.module(), LocalTime(10, 1));  // same day, other time
  EXPECT_FALSE(ModuleCheckAtEntry(exe.path(), {}, 0).restart);
  EXPECT_EQ(TempConfig::ReadFile(exe.module()), "old");

  // Japanese: nothing uses the module, so it is rewritten at once.
  ASSERT_TRUE(WriteLocaleOverride(exe.path(), "ja-JP"));
  SetMTime(exe.module(), LocalTime(9, 12));
  EXPECT_FALSE(ModuleCheckAtEntry(exe.path(), {}, 0).restart);
  EXPECT_EQ(TempConfig::ReadFile(exe.module()), EmbeddedEnglishModule());
  EXPECT_TRUE(EnglishModuleIsCurrent(exe.path()));
}

TEST(ModuleCheck, NoRestartWhenTheModuleCannotBePlaced) {
  TempConfig tc;
  FakeExe exe(tc, "app");
  ASSERT_TRUE(WriteLocaleOverride(exe.path(), "ENU"));
  fs::create_directories(exe.module());
  EXPECT_FALSE(ModuleCheckAtEntry(exe.path(), {}, 0).restart);
  EXPECT_EQ(Override(exe.path()), "ENU");
}

TEST(RestartBound, PersistentlyMismatchedOverrideStopsAfterThreeRestarts) {
  TempConfig tc;
  FakeExe exe(tc, "app");
  fs::create_directories(app_paths::LocaleOverridePath());  // the override never changes
  int counter = 0, restarts = 0;
  while (restarts < 10 && LanguageCheckAtShow(exe.path(), 0, counter).restart) {
    ++restarts;
    const auto args = exe.WaitForArgs();
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0], "REBOOT");
    counter = RestartCounterFromArgs(args);  // what the next process reads back
  }
  EXPECT_EQ(restarts, 3);
  EXPECT_EQ(counter, 3);

  // A module refresh that reached the bound finishes without a further restart.
  fs::remove(app_paths::LocaleOverridePath());
  EXPECT_FALSE(ModuleCheckAtEntry(exe.path(), {"RECOPY", "3"}, 0).restart);
  EXPECT_EQ(Override(exe.path()), "ENU");
  EXPECT_EQ(RestartCounterFromArgs({"REBOOT", "-4"}), 0);
  EXPECT_EQ(RestartCounterFromArgs({"REBOOT", "2x"}), 0);
}

TEST(Resources, CarryTheMergedModuleAndTheIcon) {
  const std::string built = TempConfig::ReadFile(QZH_BUILT_MODULE);
  EXPECT_FALSE(built.empty());
  EXPECT_EQ(EmbeddedEnglishModule(), built);
  EXPECT_EQ(TempConfig::ReadFile(QZH_MODULE_BESIDE_EXE), built);
  QFile icon(":/icons/qzh900.png");
  ASSERT_TRUE(icon.open(QIODevice::ReadOnly));
  EXPECT_TRUE(icon.readAll().startsWith("\x89PNG"));
}

TEST(InstallLanguage, EnglishComesFromTheCurrentModuleFileElseTheEmbeddedCopy) {
  TempConfig tc;
  FakeExe exe(tc, "app");
  QCoreApplication& app = *QCoreApplication::instance();
  auto reset = [&] { qDeleteAll(app.findChildren<QTranslator*>()); };

  fs::copy_file(QZH_TEST_MODULE_QM, exe.module());
  SetMTime(exe.module(), LocalTime(10, 3));
  ASSERT_TRUE(InstallLanguage(app, true, exe.path()));
  EXPECT_EQ(Tr("TTirisAppForm", "言語"), "Language (module file)");
  EXPECT_EQ(MessageLanguage(), Language::English);
  reset();

  SetMTime(exe.module(), LocalTime(8, 3));  // stale
  ASSERT_TRUE(InstallLanguage(app, true, exe.path()));
  EXPECT_EQ(Tr("TTirisAppForm", "言語"), "Language");
  EXPECT_EQ(Tr("TTirisAppForm", "英語"), "English");
  reset();

  TempConfig::WriteFile(exe.module(), "not a catalogue");
  SetMTime(exe.module(), LocalTime(10, 3));
  ASSERT_TRUE(InstallLanguage(app, true, exe.path()));
  EXPECT_EQ(Tr("TTirisAppForm", "日本語"), "Japanese");
  reset();

  EXPECT_FALSE(InstallLanguage(app, false, exe.path()));
  EXPECT_EQ(Tr("TTirisAppForm", "言語"), "言語");
  EXPECT_EQ(MessageLanguage(), Language::Japanese);
  reset();
}

TEST(InstallLanguage, QtsOwnTextsFollowTheWindowsLanguage) {
  // The standard buttons and the file dialog are Qt's: its Japanese catalogue comes with the
  // Japanese window, and nothing of it with the English one.
  TempConfig tc;
  FakeExe exe(tc, "app");
  QCoreApplication& app = *QCoreApplication::instance();
  auto reset = [&] { qDeleteAll(app.findChildren<QTranslator*>()); };
  InstallLanguage(app, false, exe.path());
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "キャンセル");
  EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), "File &name:");
  reset();
  InstallLanguage(app, true, exe.path());
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
  EXPECT_FALSE(InstallQtCatalogue(app, true));
  reset();
}
