#include "hdx/tag_viewer_csv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

constexpr const char* kLineEnd = "\r\n";

// Writes all of text at the end of fd, going on after short writes and interruptions.
bool WriteAll(int fd, const std::string& text, int& err) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    if (n == 0) {
      err = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string TagDataCsvText(const TagData& data, const std::string& dateLine) {
  std::string text = kLineEnd;
  text += dateLine + kLineEnd;
  text += "ID(Hex)," + data.EdUID + kLineEnd;
  text += "Tag Type," + data.EdChip + kLineEnd;
  text += "Chip/Manufacture," + data.EdManufacturer + kLineEnd;
  for (const TagData::Row& row : data.StringGrid1) {
    for (size_t c = 0; c < row.size(); ++c) {
      if (c > 0) text += ",";
      text += row[c];
    }
    text += kLineEnd;
  }
  return text;
}

std::string CsvDateLine(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y/%m/%d/,%H:%M:%S", &local);
  return text;
}

std::string CsvFileName(const std::string& chosen) {
  std::filesystem::path path(chosen);
  path.replace_extension(".csv");
  return path.string();
}

bool AppendTagDataCsv(const std::string& path, const TagData& data, std::time_t when,
                      std::string* error) {
  const std::string text = TagDataCsvText(data, CsvDateLine(when));
  auto fail = [&](int err) {
    if (error) *error = std::strerror(err);
    return false;
  };
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return fail(errno);
  struct stat before {};
  if (::fstat(fd, &before) != 0) {
    const int err = errno;
    ::close(fd);
    return fail(err);
  }
  int err = 0;
  // fsync too: some file systems report a full disk only when the data reach it.
  bool ok = WriteAll(fd, text, err);
  if (ok && ::fsync(fd) != 0) {
    err = errno;
    ok = false;
  }
  if (!ok) {
    // The records already in the file stay whole.
    if (::ftruncate(fd, before.st_size) != 0) {
      // Nothing more can be done; the reason of the failed write is the one to report.
    }
    ::close(fd);
    return fail(err);
  }
  if (::close(fd) != 0) return fail(errno);
  return true;
}
