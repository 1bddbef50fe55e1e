#include "tests/robustness/rig.h"

#include <dirent.h>
#include <poll.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <cerrno>
#include <stdexcept>

#include "link/frame.h"
#include "link/millisecond_timer.h"
#include "tests/support/wait.h"

namespace robust {

namespace {

int CountEntries(const char* folder) {
  DIR* d = ::opendir(folder);
  if (!d) return -1;
  int n = 0;
  while (const dirent* e = ::readdir(d))
    if (e->d_name[0] != '.') ++n;
  ::closedir(d);
  return n;
}

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<int64_t>(0, left.count()));
}

}  // namespace

int OpenDescriptors() {
  return CountEntries("/proc/self/fd");
}

int Threads() {
  return CountEntries("/proc/self/task");
}

double ThreadCpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_THREAD, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

RawModule::RawModule() {
  std::string error;
  if (!link_.Open(57600, &error)) throw std::runtime_error("pty: " + error);
}

Bytes RawModule::ReadCommand() {
  Bytes got;
  const auto deadline = Clock::now() + test_support::kPatience;
  // Exactly one frame: the header first, then what its LEN announces.
  auto wanted = [&] { return got.size() < 4 ? size_t{4} : size_t{got[3]} + 7; };
  while (got.size() < wanted()) {
    pollfd p{link_.MasterFd(), POLLIN, 0};
    const int ms = MsLeft(deadline);
    if (ms == 0) return {};
    if (::poll(&p, 1, ms) <= 0) continue;
    uint8_t buf[512];
    const ssize_t n = link_.Read(buf, wanted() - got.size());
    if (n > 0) got.insert(got.end(), buf, buf + n);
  }
  return got;
}

bool RawModule::Write(const uint8_t* bytes, size_t count) {
  const auto deadline = Clock::now() + test_support::kPatience;
  size_t done = 0;
  while (done < count) {
    const ssize_t n = link_.Write(bytes + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{link_.MasterFd(), POLLOUT, 0};
    const int ms = MsLeft(deadline);
    if (ms == 0) return false;
    ::poll(&p, 1, ms);
  }
  return true;
}

bool RawModule::Write(const Bytes& bytes) {
  return Write(bytes.data(), bytes.size());
}

Bytes Ack(const Bytes& data) {
  return frame::BuildResponseFrame(frame::TypeAck, data);
}

Bytes Nack(uint8_t code) {
  return frame::BuildResponseFrame(frame::TypeNack, Bytes{code});
}

ClockOverride::ClockOverride() {
  MillisecondTimer::SetClock(
      [this] { return frozen_ ? frozenAt_.load() : MillisecondTimer::SystemMs() + offset_; });
}

ClockOverride::~ClockOverride() {
  MillisecondTimer::SetClock(nullptr);
}

void ClockOverride::Freeze(bool on) {
  if (on && !frozen_) frozenAt_ = MillisecondTimer::SystemMs() + offset_;
  // Unfreezing continues from the frozen value, so time never runs backwards.
  if (!on && frozen_) offset_ = frozenAt_ - MillisecondTimer::SystemMs();
  frozen_ = on;
}

}  // namespace robust
