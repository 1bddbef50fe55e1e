// The files the tool writes, under failing disks, killed processes and planted files: the
// settings file killed in the middle of its saves; links planted where temporary files used to
// go; FIFOs in place of the settings, the port registry and the locale override; and the two CSV
// files (the multipage editor's SAVE LOG, the tag memory viewer's export) written to a missing
// folder, a read-only file, a device, a full disk and a disk that fills up in the middle of the
// record.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "core/app_paths.h"
#include "core/files.h"
#include "core/ini_file.h"
#include "core/language.h"
#include "core/settings.h"
#include "hdx/disp_tag_data_dlg.h"
#include "hdx/mpt_editor.h"
#include "hdx/tag_viewer_csv.h"
#include "link/port_registry.h"
#include "sim/chips/ti_hdx.h"
#include "tests/hdx/hdx_rig.h"
#include "tests/robustness/save_values.h"
#include "tests/support/file_test_tools.h"
#include "tests/support/temp_config.h"
#include "tests/viewer/viewer_rig.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The settings saver of save_loop.cpp, started with its standard output on a pipe. It says
// "saved" once its first save is complete, then "cut ..." when it has stopped inside the write of
// save number `save`, `permille` thousandths of the way through, where it waits to be killed.
struct SaveLoop {
  pid_t pid = -1;
  int out = -1;
  SaveLoop(const std::string& settingsPath, int save, int permille) {
    int p[2];
    if (::pipe2(p, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, p[1], 1);
    const std::string exe = QZH_SAVE_LOOP_EXE;
    std::string saveArg = std::to_string(save), permilleArg = std::to_string(permille);
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(settingsPath.c_str()),
                    saveArg.data(), permilleArg.data(), nullptr};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(p[1]);
    out = p[0];
  }
  ~SaveLoop() {
    Kill();
    if (out >= 0) ::close(out);
  }
  // The next line the saver writes ("" when it ends without one). No time limit: ctest's own
  // time-out ends a saver that hangs.
  std::string NextLine() {
    std::string line;
    char c;
    while (::read(out, &c, 1) == 1) {
      if (c == '\n') return line;
      line += c;
    }
    return "";
  }
  void Kill() {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = -1;
  }
};

TEST(FileRobustness, SettingsFileKilledInTheMiddleOfItsSavesIsTheOldOrTheNewNeverCut) {
  TempConfig cfg;
  const std::string path = cfg.SettingsPath();
  // A large file, written in many pieces: besides the tool's section, 2 MB in a section the tool
  // does not know (and must keep).
  {
    IniFile seed(path);
    for (int i = 0; i < 100; ++i)
      seed.WriteString("Foreign", "Key" + std::to_string(i), std::string(20000, 'a' + i % 26));
    ASSERT_TRUE(IniFile::CreateFolders(IniFile::FolderOf(path)));
    ASSERT_TRUE(seed.Save());
  }
  const std::string initial = TempConfig::ReadFile(path);
  // The file each of the two saves makes.
  std::string saved[2];
  const std::string scratch = cfg.Path("scratch.ini");
  TempConfig::WriteFile(scratch, initial);
  for (int which = 0; which < 2; ++which) {
    ASSERT_TRUE(SaveOptionSettings(scratch, robust::SavedValues(which), Language::English));
    saved[which] = TempConfig::ReadFile(scratch);
  }
  ASSERT_NE(saved[0], saved[1]);

  // Each kill lands inside the write of the temporary file, at a point spread over the file, in
  // the second, third or fourth save: the settings file is then exactly the previous save. The
  // killed save leaves its temporary (those of earlier kills went with the saver's next save).
  const std::string folder = IniFile::FolderOf(path);
  std::mt19937 rng(5);
  const int kills = 40;
  for (int i = 0; i < kills; ++i) {
    const int save = 1 + i % 3;
    const int permille = 1 + static_cast<int>(rng() % 990);
    SCOPED_TRACE("kill " + std::to_string(i) + " in save " + std::to_string(save) + " at " +
                 std::to_string(permille) + "/1000");
    SaveLoop loop(path, save, permille);
    ASSERT_GT(loop.pid, 0);
    ASSERT_EQ(loop.NextLine(), "saved");
    ASSERT_EQ(loop.NextLine().rfind("cut ", 0), 0u) << "the saver did not stop inside its write";
    loop.Kill();
    EXPECT_EQ(TempConfig::ReadFile(path), saved[(save - 1) % 2]);
    const std::vector<std::string> left = Temporaries(folder, "QZH900Tool.ini");
    ASSERT_EQ(left.size(), 1u) << "the temporary file of the killed save";
    const auto size = fs::file_size(left[0]);
    EXPECT_GT(size, 0u);
    EXPECT_LT(size, saved[save % 2].size());
  }
  // The tool reads what was left and saves again; the temporary left by the kill goes.
  const OptionSettings read = LoadOptionSettingsFile(path, Language::English);
  EXPECT_TRUE(read.IntervTime == 120 || read.IntervTime == 450);
  ASSERT_TRUE(SaveOptionSettings(path, robust::SavedValues(1), Language::English));
  EXPECT_EQ(TempConfig::ReadFile(path), saved[1]);
  EXPECT_TRUE(Temporaries(folder, "QZH900Tool.ini").empty());
}

// Where the settings, the port registry and the locale override were once written through fixed
// temporary names, links to another file of the user are planted: saving never follows them.
TEST(FileRobustness, LinksPlantedWhereTemporaryFilesWentAreNeverFollowed) {
  TempConfig cfg;
  const std::string victim = cfg.Path("victim.txt");
  TempConfig::WriteFile(victim, "private\n");
  ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
  const std::string files[] = {app_paths::SettingsPath(), app_paths::PortRegistryPath(),
                               app_paths::LocaleOverridePath()};
  for (const std::string& f : files) {
    fs::create_directories(IniFile::FolderOf(f));
    const std::string hidden = IniFile::FolderOf(f) + "/." + fs::path(f).filename().string();
    for (const std::string& planted : {f + ".tmp", hidden + ".tmp"})
      ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
  }
  // The registry's lock file: a link to a file not made yet would make it.
  const std::string madeByLink = cfg.Path("made-by-link");
  ASSERT_EQ(::symlink(madeByLink.c_str(), (app_paths::NorvikDir() + "/ports.lock").c_str()), 0);
  OptionSettings s;
  s.TirisPage = 7;
  ASSERT_TRUE(SaveOptionSettings(app_paths::SettingsPath(), s, Language::English));
  ASSERT_TRUE(port_registry::Register(5, "/dev/ttyS5"));
  ASSERT_TRUE(language::WriteLocaleOverride("/opt/QZH900Tool", "ENU"));

  EXPECT_EQ(TempConfig::ReadFile(victim), "private\n");
  EXPECT_FALSE(fs::exists(madeByLink));
  struct stat st {};
  ASSERT_EQ(::stat(victim.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  for (const std::string& f : files) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(f))) << f;
  }
  EXPECT_NE(TempConfig::ReadFile(app_paths::SettingsPath()).find("TirisPage=7\n"),
            std::string::npos);
  EXPECT_EQ(TempConfig::ReadFile(app_paths::PortRegistryPath()), "[Ports]\nCOM5=/dev/ttyS5\n");
  EXPECT_EQ(language::ReadLocaleOverride("/opt/QZH900Tool"), "ENU");
}

// A FIFO in place of the settings file, the port registry or the locale override: read, nothing
// blocks, the defaults hold, the reason is told, and the FIFO is never replaced.
TEST(FileRobustness, AFifoInPlaceOfTheToolsFilesNeitherBlocksNorIsReplaced) {
  TempConfig cfg;
  port_registry::SetScanRoots(cfg.Path("sys"), cfg.Path("dev"));  // no real serial devices
  const std::string files[] = {app_paths::SettingsPath(), app_paths::PortRegistryPath(),
                               app_paths::LocaleOverridePath()};
  for (const std::string& f : files) {
    fs::create_directories(IniFile::FolderOf(f));
    ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0);
  }
  files::Error error;
  const OptionSettings s =
      LoadOptionSettingsFile(app_paths::SettingsPath(), Language::English, &error);
  EXPECT_EQ(error.Text(), "not a regular file (a FIFO)");
  EXPECT_EQ(s.IntervTime, 200);
  EXPECT_FALSE(SaveOptionSettings(app_paths::SettingsPath(), s, Language::English));
  EXPECT_TRUE(port_registry::List().empty());
  EXPECT_EQ(port_registry::ReadProblem(), "not a regular file (a FIFO)");
  EXPECT_FALSE(port_registry::Register(5, "/dev/ttyS5"));
  EXPECT_EQ(language::ReadLocaleOverride("/opt/QZH900Tool"), "");
  EXPECT_FALSE(language::WriteLocaleOverride("/opt/QZH900Tool", "ENU"));
  for (const std::string& f : files) EXPECT_TRUE(fs::is_fifo(f)) << f;
  port_registry::SetScanRoots("/sys/class/tty", "/dev");
}

// ---------------------------------------------------------------------------------------------
// The CSV files.

// A file this process cannot write: the immutable attribute when running as root (root ignores
// the mode bits), the mode bits otherwise.
bool SetUnwritable(const std::string& path, bool on) {
  if (::geteuid() != 0) return ::chmod(path.c_str(), on ? 0444 : 0644) == 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return ok;
}

// Why opening the file for appending fails, in the system's words ("" when it opens).
std::string OpenError(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return "";
  }
  return std::strerror(errno);
}

// A CSV writer of the tool as the user drives it: a save under a chosen name, what the window
// shows (which a failed save must leave alone), the messages shown and the configuration folder.
struct CsvWriter {
  std::function<void(const std::string& path)> save;
  std::function<std::string()> screen;
  const std::vector<std::string>* messages;
  const TempConfig* cfg;
  bool confirms = false;  // a good save is said in a message naming the file
};

// A good save says nothing, or, for a writer that confirms, one message naming the file.
void ExpectGoodSaveMessage(const CsvWriter& w, size_t before, const std::string& path) {
  ASSERT_EQ(w.messages->size(), before + (w.confirms ? 1 : 0)) << w.messages->back();
  if (w.confirms) {
    EXPECT_NE(w.messages->back().find(path), std::string::npos) << w.messages->back();
  }
}

// Appends to a missing folder, a read-only file, a device, a full disk and a disk that fills up in
// the middle of the record: each gives one message naming the file and the reason, leaves the
// window's data and the records already in the file as they were; then a good save works.
void CheckFailingSaves(const CsvWriter& w) {
  const std::string screen = w.screen();
  const std::string good = w.cfg->Path("records.csv");
  const size_t none = w.messages->size();
  w.save(good);
  ExpectGoodSaveMessage(w, none, good);
  const std::string first = TempConfig::ReadFile(good);
  ASSERT_GT(first.size(), 400u);

  // /dev/full takes nothing: it used to stand for a full disk; now it is refused before any
  // write, as a device.
  const std::string device = w.cfg->Path("full.csv");
  ASSERT_EQ(::symlink("/dev/full", device.c_str()), 0);
  enum Kind { MissingFolder, ReadOnly, Device, FullDisk, FillsUp };
  const std::pair<Kind, const char*> cases[] = {{MissingFolder, "missing folder"},
                                                {ReadOnly, "read-only file"},
                                                {Device, "device"},
                                                {FullDisk, "full disk"},
                                                {FillsUp, "disk full in the middle of the record"}};
  for (const auto& [kind, name] : cases) {
    SCOPED_TRACE(name);
    const size_t messages = w.messages->size();
    std::string path = good, reason;
    switch (kind) {
      case MissingFolder:
        path = w.cfg->Path("no/such/folder/records.csv");
        reason = std::strerror(ENOENT);
        w.save(path);
        break;
      case ReadOnly:
        ASSERT_TRUE(SetUnwritable(good, true)) << "cannot make a file read-only here";
        reason = OpenError(good);
        ASSERT_NE(reason, "");
        w.save(path);
        ASSERT_TRUE(SetUnwritable(good, false));
        break;
      case Device:
        path = device;
        reason = "通常のファイルではありません";  // the window's text (Japanese: no catalogue here)
        w.save(path);
        break;
      case FullDisk: {
        FileSizeLimit limit(first.size());  // no room for a single byte more
        reason = std::strerror(EFBIG);
        w.save(path);
        break;
      }
      case FillsUp: {
        FileSizeLimit limit(first.size() + first.size() / 3);  // room for a third of a record
        reason = std::strerror(EFBIG);
        w.save(path);
        break;
      }
    }
    ASSERT_EQ(w.messages->size(), messages + 1) << "no message";
    const std::string& message = w.messages->back();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(reason), std::string::npos)
        << message << " (expected: " << reason << ")";
    // Nothing of what is on screen nor of what was saved before is lost.
    EXPECT_EQ(w.screen(), screen);
    EXPECT_EQ(TempConfig::ReadFile(good), first) << "the saved records changed";
  }
  EXPECT_FALSE(fs::exists(w.cfg->Path("no")));
  // Where the disk lets it, the same data are saved whole.
  const size_t messages = w.messages->size();
  w.save(good);
  ExpectGoodSaveMessage(w, messages, good);
  const std::string both = TempConfig::ReadFile(good);
  ASSERT_EQ(both.size(), 2 * first.size());
  EXPECT_EQ(both.substr(0, first.size()), first);
  // The second record differs from the first at most in its date line.
  const size_t body = first.find('\n', 2);
  EXPECT_EQ(both.substr(first.size() + body), first.substr(body));
}

TEST(FileRobustness, MultipageEditorGridFileOnFailingDisksSaysWhyAndLosesNothing) {
  hdx_test::HdxRig rig({hdx_test::MakeChip("ti-mpt:0102030405060708")});
  auto& tag = *rig.Tag<sim::TiHdxTag>();
  for (int p = 1; p <= 17; ++p)
    tag.SetPage(p, {static_cast<uint8_t>(p), 0x20, 0x41, 0x42, 0x43, 0, 0xEE,
                    static_cast<uint8_t>(0xB0 + p)});
  TMPTDataWriteDlg editor(*rig.app);
  editor.ScanSBtClick();
  ASSERT_EQ(editor.State(), MptEditState::esRead);
  ASSERT_EQ(editor.Grid().Cell(0, 16), "C1");
  CheckFailingSaves({[&](const std::string& path) {
                       rig.prompts.SetSaveFileName(path);
                       editor.SavelogSBtClick();
                     },
                     [&] {
                       return editor.Grid().CsvText("", false) +
                              std::to_string(static_cast<int>(editor.State()));
                     },
                     &rig.prompts.messages, &rig.cfg, /*confirms=*/true});
}

TEST(FileRobustness, TagViewerCsvExportOnFailingDisksSaysWhyAndLosesNothing) {
  viewer_test::ViewerRig rig({viewer_test::MakeTag("ti-mpt:0102030405060708")});
  TDispTagDataDlg viewer(*rig.app);
  viewer.OKBtnClick();
  ASSERT_EQ(viewer.Data().EdUID, "01 02 03 04 05 06 07 08 ");
  ASSERT_GE(viewer.Data().StringGrid1.size(), 18u);
  rig.prompts.messages.clear();
  CheckFailingSaves({[&](const std::string& path) {
                       rig.prompts.SetSaveFileName(path);
                       viewer.MnSavelogClick();
                     },
                     [&] { return TagDataCsvText(viewer.Data(), ""); }, &rig.prompts.messages,
                     &rig.config});
}

}  // namespace
