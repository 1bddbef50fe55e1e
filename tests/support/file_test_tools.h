#pragma once
// What tests of the file unit's users need: a disk that is full or fills up, and the temporary
// files that replacements leave behind.
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/files.h"

// While a FileSizeLimit lives, files of this process may grow only to `limit` bytes, and a write
// past it fails with EFBIG ("File too large") instead of raising SIGXFSZ.

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    old_ = ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit l = saved_;
    l.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, old_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t old_;
};

// The temporary files of replacements of the file named `base` in folder.
inline std::vector<std::string> Temporaries(const std::string& folder, const std::string& base) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (files::IsTemporaryOf(e.path().filename(), base)) out.push_back(e.path());
  return out;
}
