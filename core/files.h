#pragma once
// The one way the tool reads and writes its files: the settings file, the port registry, the
// locale override, the restart script, the English module, the command runner's copies, the CSV
// exports and the results files of series programming.
//
// - Reading takes a whole regular file up to a size limit.
// - Replacing writes a unique temporary file beside the file (created exclusively, never through
//   a link), keeps the old file's mode and, where this process may, its owner and group, flushes
//   it and its folder to the disk and renames it over the file. A file that is a symbolic link is
//   replaced at its target, so the link stays. Readers see the old or the new file, never a part.
// - Appending writes a whole record or, when the disk fails, nothing.
// - Anything that is not a regular file (a FIFO, a device, a folder) is refused with a reason
//   instead of blocking: files are opened with O_NONBLOCK and checked with fstat.
#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace files {

// The largest settings-like file the tool reads (the settings file and its copies, the port
// registry, the locale override).
inline constexpr size_t kSettingsLimit = size_t{16} << 20;

// Why a file could not be used; Kind::None means it could.
struct Error {
  enum class Kind { None, Missing, NotRegular, TooLarge, Locked, System };
  Kind kind = Kind::None;
  int err = 0;          // the system's error number (System, Missing)
  mode_t fileType = 0;  // S_IFMT bits of what stands there (NotRegular)
  size_t limit = 0;     // the size limit (TooLarge)

  explicit operator bool() const { return kind != Kind::None; }
  // One line in English: "No such file or directory", "Is a directory", "not a regular file (a
  // FIFO)", "not a regular file (a symbolic link)", "larger than 16 MiB", "in use by another
  // process".
  std::string Text() const;
};

struct ReadResult {
  std::string data;
  Error error;
  bool Ok() const { return !error; }
};

// The whole file, when it is a regular file of at most `limit` bytes.
ReadResult ReadWhole(const std::string& path, size_t limit);

struct ReplaceOptions {
  mode_t newMode = 0644;                   // a new file's mode (the umask applies)
  const struct timespec* times = nullptr;  // access and modification times, when given
};

// Replaces the file at path (through its links) with data, atomically.
Error Replace(const std::string& path, std::string_view data, const ReplaceOptions& options = {});

// Whether Replace could write path: nothing but a regular file stands there, and its folder
// takes a new file. Leaves nothing behind.
Error CheckReplaceable(const std::string& path);

// Appends record to the file at path, created when missing (its folder is not): all of it, or,
// when any part fails, nothing (the file is cut back to its old length).
Error Append(const std::string& path, std::string_view record);

// Whether Append could write to path; leaves nothing behind.
Error CheckAppendable(const std::string& path);

// Makes the folder and every missing folder above it, each new one with mode 0700 (private to the
// user, so that nobody else can plant anything in it); a folder that exists is left as it is.
// Fails when something that is not a folder stands in the way.
Error MakePrivateFolders(const std::string& dir);

// The file a database engine opens (the SQLite ledger). When nothing stands at path, an empty file
// with mode 0600 is made there, exclusively and never through a link: a link planted where the
// file belongs, dangling or not, is refused instead of followed. A file that is there must be a
// regular file (a link to one is taken: a ledger kept elsewhere on purpose). Its folder must exist.
Error PrepareDatabaseFile(const std::string& path);

// Removes the regular file at path (a state file that has served its purpose); a file that is
// not there is no error. Anything else standing there is left alone and refused.
Error Remove(const std::string& path);

// A file that one process appends to at a time: opened (created when missing) with an exclusive
// lock that another process cannot take while this one holds it (the results file of a series).
class LockedAppendFile {
 public:
  LockedAppendFile() = default;
  ~LockedAppendFile();
  LockedAppendFile(const LockedAppendFile&) = delete;
  LockedAppendFile& operator=(const LockedAppendFile&) = delete;

  // Locked when another process holds the file. Writes nothing.
  Error Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Whether Open created the file.
  bool Created() const { return created_; }
  ReadResult ReadAll(size_t limit) const;
  Error Append(std::string_view record);
  // Cuts the file back to `size` bytes (a record cut short by a crash), flushed to the disk.
  Error TruncateTo(size_t size);
  // Unlocks and closes. A file Open created and nothing was written to is removed again.
  void Close();

 private:
  int fd_ = -1;
  std::string path_;
  bool created_ = false;
  bool written_ = false;
};

// Called after each piece of a replacement's temporary file is written, with the bytes written
// so far and the whole size. The settings crash test stops its saver there, so that every kill
// lands inside a write. Null in the tool.
using WriteHook = void (*)(size_t written, size_t total);
void SetWriteHookForTests(WriteHook hook);

// Whether `name` (a file name without folder) is a temporary file of a replacement of the file
// named `base` in the same folder. Temporaries left by a killed process are removed by the next
// replacement of the same file.
bool IsTemporaryOf(const std::string& name, const std::string& base);

}  // namespace files
