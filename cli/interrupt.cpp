#include "cli/interrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <cstring>
#include <ctime>

namespace interrupt {

namespace {

volatile std::sig_atomic_t gSignal = 0;
// When the first signal came (CLOCK_MONOTONIC, ms). Signals within kSameRequestMs of it are the
// same request: GNU timeout signals the child and then its group, a service manager may send
// SIGTERM to the main process and to the group; a person's second Ctrl+C comes later.
volatile std::sig_atomic_t gFirstAtMs = 0;
constexpr long kSameRequestMs = 250;
int gPipe[2] = {-1, -1};

long NowMs() {
  struct timespec ts {};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);  // async-signal-safe
  // Only differences matter; the low bits of the seconds fit a sig_atomic_t.
  return static_cast<long>((ts.tv_sec % 1000000) * 1000 + ts.tv_nsec / 1000000);
}

void Wake() {
  if (gPipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
  }
}

// Paths the second signal removes: fixed storage, read by the handler without locks or
// allocation. Files first, folders after them (a folder goes only once it is empty).
constexpr size_t kMaxTemporaries = 8;
constexpr size_t kMaxPath = 512;
std::array<std::array<char, kMaxPath>, kMaxTemporaries> gTemporaries{};

extern "C" void OnSignal(int signal) {
  if (gSignal != 0) {
    const long since = NowMs() - gFirstAtMs;
    if (since >= 0 && since < kSameRequestMs) return;
    // The second one: out at once, the temporary files removed first.
    for (const auto& path : gTemporaries)
      if (path[0] && ::unlink(path.data()) != 0) ::rmdir(path.data());
    for (const auto& path : gTemporaries)
      if (path[0]) ::rmdir(path.data());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  gFirstAtMs = static_cast<std::sig_atomic_t>(NowMs());
  gSignal = signal;
  Wake();
}

}  // namespace

void Install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) == 0 && QCoreApplication::instance()) {
    // The notifier wakes a wait blocked in the event loop; the flag is already set by then.
    auto* notifier =
        new QSocketNotifier(gPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
      char buf[16];
      while (::read(gPipe[0], buf, sizeof buf) > 0) {
      }
    });
  }
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &sa, nullptr);
  // A reader that went away (a pipe closed) is seen as a failed write: RequestStop.
  std::signal(SIGPIPE, SIG_IGN);
}

void RequestStop(int reason) {
  if (gSignal != 0) return;
  gFirstAtMs = static_cast<std::sig_atomic_t>(NowMs());
  gSignal = reason;
  Wake();
}

bool Requested() {
  return gSignal != 0;
}

int Signal() {
  return gSignal;
}

void Reset() {
  gSignal = 0;
}

void RegisterTemporary(const std::string& path) {
  if (path.empty() || path.size() >= kMaxPath) return;
  for (auto& slot : gTemporaries)
    if (!slot[0]) {
      // The first character last: the handler never sees half a path.
      std::memcpy(slot.data() + 1, path.c_str() + 1, path.size());
      slot[0] = path[0];
      return;
    }
}

void ForgetTemporary(const std::string& path) {
  for (auto& slot : gTemporaries)
    if (path == slot.data()) slot[0] = '\0';
}

}  // namespace interrupt
