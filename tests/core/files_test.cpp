// The file unit on real files: replacement through links and with the old owner and mode, files
// that are not regular files, the size limit, whole records, the lock of a results file and the
// temporaries a killed writer leaves.
#include "core/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/file_test_tools.h"
#include "tests/support/temp_config.h"

namespace {

namespace fs = std::filesystem;

struct stat Lstat(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

TEST(FileUnit, ReplacingALinkWritesItsTargetAndTheLinkStays) {
  TempConfig dir;
  // settings -> ../dotfiles/link2 -> real.ini (relative links, as dotfile managers make them)
  fs::create_directories(dir.Path("config"));
  fs::create_directories(dir.Path("dotfiles"));
  TempConfig::WriteFile(dir.Path("dotfiles/real.ini"), "old\n");
  ::chmod(dir.Path("dotfiles/real.ini").c_str(), 0600);
  ASSERT_EQ(::symlink("real.ini", dir.Path("dotfiles/link2").c_str()), 0);
  ASSERT_EQ(::symlink("../dotfiles/link2", dir.Path("config/settings.ini").c_str()), 0);

  ASSERT_FALSE(files::Replace(dir.Path("config/settings.ini"), "new\n"));
  EXPECT_TRUE(S_ISLNK(Lstat(dir.Path("config/settings.ini")).st_mode));
  EXPECT_TRUE(S_ISLNK(Lstat(dir.Path("dotfiles/link2")).st_mode));
  EXPECT_EQ(TempConfig::ReadFile(dir.Path("dotfiles/real.ini")), "new\n");
  EXPECT_EQ(Lstat(dir.Path("dotfiles/real.ini")).st_mode & 07777, 0600u);
  EXPECT_TRUE(Temporaries(dir.Path("dotfiles"), "real.ini").empty());
  EXPECT_TRUE(Temporaries(dir.Path("config"), "settings.ini").empty());

  // A link to a file not made yet: the file is made where the link points.
  ASSERT_EQ(::symlink("../dotfiles/later.ini", dir.Path("config/later.ini").c_str()), 0);
  ASSERT_FALSE(files::Replace(dir.Path("config/later.ini"), "made\n"));
  EXPECT_TRUE(S_ISLNK(Lstat(dir.Path("config/later.ini")).st_mode));
  EXPECT_EQ(TempConfig::ReadFile(dir.Path("dotfiles/later.ini")), "made\n");

  // A loop of links is refused, and nothing is written.
  ASSERT_EQ(::symlink("b", dir.Path("config/a").c_str()), 0);
  ASSERT_EQ(::symlink("a", dir.Path("config/b").c_str()), 0);
  const files::Error loop = files::Replace(dir.Path("config/a"), "x");
  EXPECT_EQ(loop.kind, files::Error::Kind::System);
  EXPECT_EQ(loop.err, ELOOP);
}

TEST(FileUnit, ReplacingKeepsTheOwnerGroupAndMode) {
  TempConfig dir;
  const std::string path = dir.Path("owned.ini");
  TempConfig::WriteFile(path, "old\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  // Tests run as root in CI, as the user who saves a config file of another user does: the
  // file must stay the other user's. (Another user cannot give a file away, so only root can
  // check the owner.)
  const bool root = ::geteuid() == 0;
  const uid_t owner = root ? 4321 : ::geteuid();
  const gid_t group = root ? 4322 : ::getegid();
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
  }

  ASSERT_FALSE(files::Replace(path, "new\n", {.newMode = 0666}));
  const struct stat st = Lstat(path);
  EXPECT_EQ(TempConfig::ReadFile(path), "new\n");
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_uid, owner);
  EXPECT_EQ(st.st_gid, group);

  // A new file gets the mode asked for, less the umask.
  const mode_t mask = ::umask(022);
  ASSERT_FALSE(files::Replace(dir.Path("fresh.ini"), "x", {.newMode = 0666}));
  ::umask(mask);
  EXPECT_EQ(Lstat(dir.Path("fresh.ini")).st_mode & 07777, 0644u);
}

TEST(FileUnit, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
  TempConfig dir;
  const std::string fifo = dir.Path("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = dir.Path("folder.csv");
  fs::create_directories(folder);
  struct Case {
    std::string path;
    const char* text;
  };
  // A FIFO without a reader or writer would block a plain open for ever; /dev/null is a device.
  const Case cases[] = {{fifo, "not a regular file (a FIFO)"},
                        {folder, "Is a directory"},
                        {"/dev/null", "not a regular file (a device)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const files::ReadResult read = files::ReadWhole(c.path, 1000);
    EXPECT_EQ(read.error.kind, files::Error::Kind::NotRegular);
    EXPECT_EQ(read.error.Text(), c.text);
    EXPECT_EQ(files::Append(c.path, "row\n").Text(), c.text);
    EXPECT_EQ(files::CheckAppendable(c.path).Text(), c.text);
    files::LockedAppendFile locked;
    EXPECT_EQ(locked.Open(c.path).Text(), c.text);
    if (c.path != "/dev/null") {
      EXPECT_EQ(files::Replace(c.path, "x").Text(), c.text);
    }
  }
  EXPECT_TRUE(S_ISFIFO(Lstat(fifo).st_mode)) << "the FIFO stays";
  EXPECT_TRUE(Temporaries(dir.Dir(), "fifo.ini").empty());

  // A FIFO that someone reads: opening it for writing would succeed; it is refused all the same.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(files::Append(fifo, "row\n").kind, files::Error::Kind::NotRegular);
  char c;
  EXPECT_EQ(::read(reader, &c, 1), 0) << "nothing reached the reader";
  ::close(reader);
}

TEST(FileUnit, ReadingStopsAtTheLimit) {
  TempConfig dir;
  const std::string path = dir.Path("sized");
  TempConfig::WriteFile(path, std::string(100, 'x'));
  EXPECT_EQ(files::ReadWhole(path, 100).data, std::string(100, 'x'));
  const files::ReadResult over = files::ReadWhole(path, 99);
  EXPECT_EQ(over.error.kind, files::Error::Kind::TooLarge);
  EXPECT_TRUE(over.data.empty());
  EXPECT_EQ(files::ReadWhole(dir.Path("big"), files::kSettingsLimit).error.kind,
            files::Error::Kind::Missing);
  files::Error e;
  e.kind = files::Error::Kind::TooLarge;
  e.limit = files::kSettingsLimit;
  EXPECT_EQ(e.Text(), "larger than 16 MiB");
}

TEST(FileUnit, AnAppendWritesTheWholeRecordOrNothing) {
  TempConfig dir;
  const std::string path = dir.Path("records.csv");
  ASSERT_FALSE(files::Append(path, "first record\r\n"));
  const std::string record(3000, 'r');
  {
    FileSizeLimit limit(1000);  // the disk fills up in the middle of the record
    const files::Error e = files::Append(path, record);
    EXPECT_EQ(e.err, EFBIG);
    // A new file that could not take its first record does not stay behind.
    EXPECT_EQ(files::Append(dir.Path("new.csv"), record).err, EFBIG);
  }
  EXPECT_EQ(TempConfig::ReadFile(path), "first record\r\n");
  EXPECT_FALSE(fs::exists(dir.Path("new.csv")));
  // A missing folder: the system's reason; nothing is made.
  EXPECT_EQ(files::Append(dir.Path("no/such/x.csv"), "x").Text(), "No such file or directory");
  EXPECT_EQ(files::CheckAppendable(dir.Path("no/such/x.csv")).kind, files::Error::Kind::Missing);
  EXPECT_FALSE(files::CheckAppendable(dir.Path("probe.csv")));
  EXPECT_FALSE(fs::exists(dir.Path("probe.csv"))) << "the check leaves nothing behind";
}

TEST(FileUnit, ALockedFileRefusesASecondWriterAndAFileMadeForNothingGoesAgain) {
  TempConfig dir;
  const std::string path = dir.Path("results.csv");
  files::LockedAppendFile first;
  ASSERT_FALSE(first.Open(path));
  EXPECT_TRUE(first.Created());
  // Another open of the same file (as another process would) cannot take it.
  files::LockedAppendFile second;
  const files::Error busy = second.Open(path);
  EXPECT_EQ(busy.kind, files::Error::Kind::Locked);
  EXPECT_EQ(busy.Text(), "in use by another process");
  EXPECT_FALSE(second.IsOpen());
  // Closed without a write, the file it made goes again.
  first.Close();
  EXPECT_FALSE(fs::exists(path));

  ASSERT_FALSE(first.Open(path));
  ASSERT_FALSE(first.Append("header\n"));
  ASSERT_FALSE(first.Append("row 1\nrow 2 cut sh"));
  EXPECT_EQ(first.ReadAll(100).data, "header\nrow 1\nrow 2 cut sh");
  ASSERT_FALSE(first.TruncateTo(13));
  EXPECT_EQ(first.ReadAll(100).data, "header\nrow 1\n");
  EXPECT_EQ(first.ReadAll(5).error.kind, files::Error::Kind::TooLarge);
  first.Close();
  EXPECT_EQ(TempConfig::ReadFile(path), "header\nrow 1\n");
  ASSERT_FALSE(second.Open(path));
  EXPECT_FALSE(second.Created());
  second.Close();
  EXPECT_TRUE(fs::exists(path)) << "a file that was there stays";
}

TEST(FileUnit, TemporariesOfDeadWritersGoWithTheNextReplacementLiveOnesStay) {
  TempConfig dir;
  const std::string path = dir.Path("s.ini");
  const std::string dead = dir.Path(".s.ini.Dead0001.tmp");
  const std::string live = dir.Path(".s.ini.Live0001.tmp");
  const std::string other = dir.Path(".t.ini.Dead0002.tmp");
  for (const std::string& p : {dead, live, other}) TempConfig::WriteFile(p, "half a fi");
  ASSERT_TRUE(files::IsTemporaryOf(".s.ini.Dead0001.tmp", "s.ini"));
  ASSERT_FALSE(files::IsTemporaryOf(".s.ini.Dead0001.tmp", "t.ini"));
  ASSERT_FALSE(files::IsTemporaryOf("s.ini.tmp", "s.ini"));
  // A writer that is still at work holds the lock on its temporary.
  const int fd = ::open(live.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  ASSERT_FALSE(files::Replace(path, "whole\n"));
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(live));
  EXPECT_TRUE(fs::exists(other)) << "another file's temporary is not this file's business";
  ::close(fd);
  EXPECT_EQ(TempConfig::ReadFile(path), "whole\n");
}

}  // namespace
