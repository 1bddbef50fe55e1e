#include "core/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace files {

namespace {

std::atomic<WriteHook> writeHook{nullptr};

// Temporary files are written in pieces of this size, so that the test hook sees the progress.
constexpr size_t kPiece = 4096;
constexpr int kMaxLinks = 40;
constexpr size_t kRandomChars = 8;
// A temporary's name is "." + the file's name (at most this much of it) + "." + random + ".tmp",
// short enough for any file name the folder takes.
constexpr size_t kTempBaseChars = 200;
constexpr const char* kTempSuffix = ".tmp";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TempPrefix(const std::string& base) {
  return "." + base.substr(0, kTempBaseChars) + ".";
}

Error SystemError(int err) {
  Error e;
  e.kind = err == ENOENT ? Error::Kind::Missing : Error::Kind::System;
  e.err = err;
  return e;
}

Error NotRegular(mode_t mode) {
  Error e;
  e.kind = Error::Kind::NotRegular;
  e.fileType = mode & S_IFMT;
  return e;
}

// The error of a failed open of path: what stands there when it is not a regular file (a FIFO
// without a reader gives ENXIO, a folder EISDIR), else the system's reason.
Error OpenError(const std::string& path, int err) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
  return SystemError(err);
}

// Opens path with flags, never blocking and never keeping anything but a regular file open.
// Returns the descriptor or -1 with the reason in `error`; `st` describes the open file.
int OpenRegular(const std::string& path, int flags, mode_t mode, struct stat& st, Error& error) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) {
    error = OpenError(path, errno);
    return -1;
  }
  if (::fstat(fd, &st) != 0) {
    error = SystemError(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    error = NotRegular(st.st_mode);
    ::close(fd);
    return -1;
  }
  return fd;
}

// Writes all of data, going on after short writes and interruptions; 0 or the error number.
int WriteAll(int fd, std::string_view data, bool reportProgress) {
  size_t done = 0;
  while (done < data.size()) {
    const size_t piece = reportProgress ? std::min(kPiece, data.size() - done) : data.size() - done;
    const ssize_t n = ::write(fd, data.data() + done, piece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    done += static_cast<size_t>(n);
    if (reportProgress)
      if (WriteHook hook = writeHook.load()) hook(done, data.size());
  }
  return 0;
}

// Appends a whole record at the end of fd and flushes it; on any failure the file goes back to
// its length before. 0 or the error number.
int AppendWhole(int fd, std::string_view record) {
  struct stat before {};
  if (::fstat(fd, &before) != 0) return errno;
  int err = WriteAll(fd, record, false);
  // Some file systems report a full disk only when the data reach it.
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (err != 0 && ::ftruncate(fd, before.st_size) == 0) ::fsync(fd);
  return err;
}

std::string RandomChars() {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[kRandomChars];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy yet (early boot): the time, the process and a counter are unique enough, and
    // O_EXCL settles any clash.
    static std::atomic<uint64_t> counter{0};
    uint64_t x =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<uint64_t>(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull);
    for (unsigned char& b : bytes) {
      x ^= x >> 33;
      x *= 0xFF51AFD7ED558CCDull;
      b = static_cast<unsigned char>(x >> 56);
    }
  }
  std::string out;
  for (unsigned char b : bytes) out.push_back(kAlphabet[b % (sizeof kAlphabet - 1)]);
  return out;
}

// The file a replacement writes: path itself, or the end of its chain of symbolic links. `old`
// describes it when it exists.
Error ResolveTarget(const std::string& path, std::string& target, struct stat& old, bool& exists) {
  std::string cur = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    if (::lstat(cur.c_str(), &old) != 0) {
      if (errno != ENOENT) return SystemError(errno);
      target = cur;
      exists = false;
      return {};
    }
    if (!S_ISLNK(old.st_mode)) {
      target = cur;
      exists = true;
      return S_ISREG(old.st_mode) ? Error{} : NotRegular(old.st_mode);
    }
    std::string link(static_cast<size_t>(std::max<off_t>(old.st_size, 255)) + 1, '\0');
    const ssize_t n = ::readlink(cur.c_str(), link.data(), link.size());
    if (n < 0) return SystemError(errno);
    if (static_cast<size_t>(n) >= link.size()) return SystemError(ENAMETOOLONG);
    link.resize(static_cast<size_t>(n));
    cur = !link.empty() && link[0] == '/' ? link : FolderOf(cur) + "/" + link;
  }
  return SystemError(ELOOP);
}

// Removes the temporaries of earlier replacements of `base` that nobody writes any more (their
// writer holds a lock on them while it lives).
void RemoveStaleTemporaries(const std::string& dir, const std::string& base) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  const int dfd = ::dirfd(d);
  while (const dirent* e = ::readdir(d)) {
    if (!IsTemporaryOf(e->d_name, base)) continue;
    const int fd = ::openat(dfd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(dfd, e->d_name, 0);
    ::close(fd);
  }
  ::closedir(d);
}

// A new temporary file in dir for base, created exclusively and never through a link, locked
// while it is written. Returns the descriptor, or -1 with errno set.
int CreateTemporary(const std::string& dir, const std::string& base, mode_t mode,
                    std::string& name) {
  constexpr int kAttempts = 100;
  for (int i = 0; i < kAttempts; ++i) {
    name = dir + "/" + TempPrefix(base) + RandomChars() + kTempSuffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    struct stat st {};
    // A cleaner may have taken the new file for a stale one before the lock: take another name.
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

// The old file's owner and group where this process may give them (root may; a user may keep a
// group it belongs to), then its mode (after the owner: a change of owner clears set-id bits).
int KeepOwnerAndMode(int fd, const struct stat& old) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return errno;
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      ::fchown(fd, old.st_uid, old.st_gid) != 0 && now.st_gid != old.st_gid) {
    if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // The group of this process stays; the file is still the user's to read and write.
    }
  }
  return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
}

void SyncFolder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // The rename is done; a folder that cannot be flushed (some file systems) changes nothing.
  ::fsync(fd);
  ::close(fd);
}

// The whole file behind fd from its start, when it holds at most `limit` bytes.
ReadResult ReadFd(int fd, size_t limit) {
  ReadResult r;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    r.error = SystemError(errno);
    return r;
  }
  auto tooLarge = [&] {
    r.data.clear();
    r.data.shrink_to_fit();
    r.error.kind = Error::Kind::TooLarge;
    r.error.limit = limit;
    return r;
  };
  if (static_cast<uint64_t>(st.st_size) > limit) return tooLarge();
  // One byte more than the limit tells a file that grew past it while it was read.
  r.data.resize(static_cast<size_t>(st.st_size) + 1);
  size_t got = 0;
  for (;;) {
    if (got == r.data.size()) {
      if (got > limit) return tooLarge();
      r.data.resize(std::min(limit + 1, got * 2 + 4096));
    }
    const ssize_t n =
        ::pread(fd, r.data.data() + got, r.data.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      r.data.clear();
      r.error = SystemError(errno);
      return r;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  if (got > limit) return tooLarge();
  r.data.resize(got);
  return r;
}

}  // namespace

std::string Error::Text() const {
  switch (kind) {
    case Kind::None:
      return "";
    case Kind::Missing:
    case Kind::System:
      return std::strerror(err);
    case Kind::NotRegular:
      if (fileType == S_IFDIR) return std::strerror(EISDIR);
      if (fileType == S_IFIFO) return "not a regular file (a FIFO)";
      if (fileType == S_IFCHR || fileType == S_IFBLK) return "not a regular file (a device)";
      if (fileType == S_IFSOCK) return "not a regular file (a socket)";
      if (fileType == S_IFLNK) return "not a regular file (a symbolic link)";
      return "not a regular file";
    case Kind::TooLarge:
      return limit % (1 << 20) == 0 ? "larger than " + std::to_string(limit >> 20) + " MiB"
                                    : "larger than " + std::to_string(limit) + " bytes";
    case Kind::Locked:
      return "in use by another process";
  }
  return "";
}

ReadResult ReadWhole(const std::string& path, size_t limit) {
  ReadResult r;
  struct stat st {};
  const int fd = OpenRegular(path, O_RDONLY, 0, st, r.error);
  if (fd < 0) return r;
  r = ReadFd(fd, limit);
  ::close(fd);
  return r;
}

Error Replace(const std::string& path, std::string_view data, const ReplaceOptions& options) {
  std::string target;
  struct stat old {};
  bool exists = false;
  if (Error e = ResolveTarget(path, target, old, exists)) return e;
  const std::string dir = FolderOf(target);
  const std::string base = BaseName(target);
  RemoveStaleTemporaries(dir, base);
  std::string tmp;
  const int fd = CreateTemporary(dir, base, exists ? 0600 : options.newMode, tmp);
  if (fd < 0) return SystemError(errno);
  int err = exists ? KeepOwnerAndMode(fd, old) : 0;
  if (err == 0) err = WriteAll(fd, data, true);
  if (err == 0 && options.times && ::futimens(fd, options.times) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  // Renamed while still open and locked, so that no cleaner takes it for a stale one.
  if (err == 0 && ::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(tmp.c_str());
  ::close(fd);
  if (err != 0) return SystemError(err);
  SyncFolder(dir);
  return {};
}

Error CheckReplaceable(const std::string& path) {
  std::string target;
  struct stat old {};
  bool exists = false;
  if (Error e = ResolveTarget(path, target, old, exists)) return e;
  std::string tmp;
  const int fd = CreateTemporary(FolderOf(target), BaseName(target), 0600, tmp);
  if (fd < 0) return SystemError(errno);
  ::unlink(tmp.c_str());
  ::close(fd);
  return {};
}

Error Append(const std::string& path, std::string_view record) {
  struct stat before {};
  const bool existed = ::stat(path.c_str(), &before) == 0;
  if (existed && !S_ISREG(before.st_mode)) return NotRegular(before.st_mode);
  Error error;
  struct stat st {};
  const int fd = OpenRegular(path, O_WRONLY | O_APPEND | (existed ? 0 : O_CREAT), 0644, st, error);
  if (fd < 0) return error;
  int err = AppendWhole(fd, record);
  // A file made for this record alone does not stay behind empty.
  if (err != 0 && !existed && ::fstat(fd, &st) == 0 && st.st_size == 0) ::unlink(path.c_str());
  if (::close(fd) != 0 && err == 0) err = errno;
  return err == 0 ? Error{} : SystemError(err);
}

Error CheckAppendable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
    Error error;
    const int fd = OpenRegular(path, O_WRONLY | O_APPEND, 0, st, error);
    if (fd >= 0) ::close(fd);
    return error;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return OpenError(path, errno);
  ::close(fd);
  ::unlink(path.c_str());
  return {};
}

Error MakePrivateFolders(const std::string& dir) {
  if (dir.empty()) return SystemError(ENOENT);
  // Every folder from the top down; a missing one is made private.
  for (size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    const std::string part = dir.substr(0, end);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      return SystemError(errno);
    if (end == std::string::npos) break;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return SystemError(errno);
  if (!S_ISDIR(st.st_mode)) return SystemError(ENOTDIR);
  return {};
}

Error PrepareDatabaseFile(const std::string& path) {
  const int fd =
      ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd >= 0) {
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced) return SystemError(errno);
    SyncFolder(FolderOf(path));
    return {};
  }
  if (errno != EEXIST) return OpenError(path, errno);
  // Something stands there: a regular file, or a link that leads to one.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) return NotRegular(S_IFLNK);
    return SystemError(errno);
  }
  if (!S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
  return {};
}

Error Remove(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? Error{} : OpenError(path, errno);
  if (!S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return OpenError(path, errno);
  return {};
}

LockedAppendFile::~LockedAppendFile() {
  Close();
}

Error LockedAppendFile::Open(const std::string& path) {
  Close();
  Error error;
  struct stat st {};
  created_ = false;
  int fd = -1;
  // Open what is there; create it only when nothing is (and know then that this process did).
  for (int attempt = 0; fd < 0 && attempt < 10; ++attempt) {
    fd = OpenRegular(path, O_RDWR | O_APPEND, 0, st, error);
    if (fd >= 0 || error.kind != Error::Kind::Missing) break;
    fd = OpenRegular(path, O_RDWR | O_APPEND | O_CREAT | O_EXCL, 0644, st, error);
    created_ = fd >= 0;
    if (fd < 0 && !(error.kind == Error::Kind::System && error.err == EEXIST)) break;
  }
  if (fd < 0) return error;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    Error locked;
    if (errno == EWOULDBLOCK) {
      locked.kind = Error::Kind::Locked;
    } else {
      locked = SystemError(errno);
    }
    ::close(fd);
    created_ = false;
    return locked;
  }
  fd_ = fd;
  path_ = path;
  written_ = false;
  return {};
}

ReadResult LockedAppendFile::ReadAll(size_t limit) const {
  if (fd_ < 0) return {{}, SystemError(EBADF)};
  return ReadFd(fd_, limit);
}

Error LockedAppendFile::Append(std::string_view record) {
  if (fd_ < 0) return SystemError(EBADF);
  const int err = AppendWhole(fd_, record);
  if (err != 0) return SystemError(err);
  written_ = true;
  return {};
}

Error LockedAppendFile::TruncateTo(size_t size) {
  if (fd_ < 0) return SystemError(EBADF);
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 || ::fsync(fd_) != 0)
    return SystemError(errno);
  written_ = true;
  return {};
}

void LockedAppendFile::Close() {
  if (fd_ < 0) return;
  struct stat st {};
  // Still locked: nobody else can have written to it.
  if (created_ && !written_ && ::fstat(fd_, &st) == 0 && st.st_size == 0) ::unlink(path_.c_str());
  ::close(fd_);
  fd_ = -1;
  created_ = false;
}

void SetWriteHookForTests(WriteHook hook) {
  writeHook.store(hook);
}

bool IsTemporaryOf(const std::string& name, const std::string& base) {
  const std::string prefix = TempPrefix(base);
  const size_t suffix = std::strlen(kTempSuffix);
  if (name.size() != prefix.size() + kRandomChars + suffix) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - suffix, suffix, kTempSuffix) != 0) return false;
  for (size_t i = prefix.size(); i < prefix.size() + kRandomChars; ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

}  // namespace files
