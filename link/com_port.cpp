#include "link/com_port.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/millisecond_timer.h"
#include "link/port_registry.h"

namespace {

// termios2 speed constants for the standard rates; other rates use BOTHER.
speed_t StandardSpeed(int value) {
  switch (value) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return BOTHER;
  }
}

std::string Describe(const std::string& port, const std::string& device, int err) {
  std::string where = port == device || device.empty() ? port : port + " (" + device + ")";
  switch (err) {
    case EACCES:
    case EPERM:
      return where +
             ": permission denied: this user lacks access to the device (on Debian, "
             "membership of the \"dialout\" group)";
    case EBUSY:
    case EWOULDBLOCK:
      return where + ": the port is in use by another program";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return where + ": no such port";
    default:
      return where + ": " + std::strerror(err);
  }
}

}  // namespace

TComPort::TComPort(QObject* parent) : QObject(parent) {
  eventFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (eventFd_ >= 0) {
    notifier_ = new QSocketNotifier(eventFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { OnEventFd(); });
  }
}

TComPort::~TComPort() {
  Close();
  delete notifier_;
  if (eventFd_ >= 0) ::close(eventFd_);
}

void TComPort::SetBaudRate(TBaudRate rate) {
  const bool differs = rate != baud_;
  baud_ = rate;
  Changed(differs);
}
void TComPort::SetDataBits(TDataBits bits) {
  const bool differs = bits != dataBits_;
  dataBits_ = bits;
  Changed(differs);
}
void TComPort::SetParity(TParityBits parity) {
  const bool differs = parity != parity_;
  parity_ = parity;
  Changed(differs);
}
void TComPort::SetStopBits(TStopBits bits) {
  const bool differs = bits != stopBits_;
  stopBits_ = bits;
  Changed(differs);
}
void TComPort::SetFlowControl(TFlowControl flow) {
  if (flow == TFlowControl::fcCustom) return;
  const bool differs = flow != flow_;
  flow_ = flow;
  Changed(differs);
}

std::string TComPort::ApplyLineSettings(const LineSettings& settings) {
  const bool differs = settings != Line();
  baud_ = settings.baud;
  dataBits_ = settings.dataBits;
  parity_ = settings.parity;
  stopBits_ = settings.stopBits;
  flow_ = settings.flow;
  Changed(differs);
  return {};
}

void TComPort::Changed(bool differs) {
  if (Connected()) ApplySettings();
  if (differs && OnSettingsChanged) OnSettingsChanged();
}

void TComPort::ApplySettings() {
  struct termios2 tio {};
  if (::ioctl(fd_, TCGETS2, &tio) != 0) return;
  // Raw mode (cfmakeraw) on the termios2 structure.
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &=
      ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD);
  tio.c_cflag |= CLOCAL | CREAD;
  static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= kSizes[static_cast<int>(dataBits_)];
  switch (parity_) {
    case TParityBits::prNone:
      break;
    case TParityBits::prOdd:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case TParityBits::prEven:
      tio.c_cflag |= PARENB;
      break;
    case TParityBits::prMark:
      tio.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case TParityBits::prSpace:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
  }
  if (parity_ != TParityBits::prNone) tio.c_iflag |= INPCK;
  // One and a half stop bits exist only with 5 data bits; termios has "two" for both.
  if (stopBits_ != TStopBits::sbOneStopBit) tio.c_cflag |= CSTOPB;
  if (flow_ == TFlowControl::fcHardware) tio.c_cflag |= CRTSCTS;
  if (flow_ == TFlowControl::fcSoftware) tio.c_iflag |= IXON | IXOFF;
  int value = BaudRateValue(baud_);
  if (value == 0) value = 9600;
  speed_t sp = StandardSpeed(value);
  tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= sp | (sp << IBSHIFT);
  tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(value);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::ioctl(fd_, TCSETS2, &tio);
}

void TComPort::Open() {
  if (Connected()) return;
  std::string device = port_registry::ResolveDevice(port_);
  if (device.empty()) throw ComPortError(Describe(port_, "", ENOENT));
  int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw ComPortError(Describe(port_, device, errno));
  // flock stops every other process of ours, root included; TIOCEXCL stops other programs.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    throw ComPortError(Describe(port_, device, err));
  }
  struct termios2 probe {};
  if (::ioctl(fd, TCGETS2, &probe) != 0) {
    int err = errno;
    ::close(fd);
    throw ComPortError(Describe(port_, device, err == ENOTTY ? ENODEV : err));
  }
  ::ioctl(fd, TIOCEXCL);
  if (eventFd_ < 0 || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    int err = errno;
    ::close(fd);
    throw ComPortError(Describe(port_, device, err));
  }
  fd_ = fd;
  device_ = device;
  ApplySettings();
  ::ioctl(fd_, TCFLSH, TCIOFLUSH);
  stopping_ = false;
  ++generation_;
  worker_ = std::thread(&TComPort::Watch, this, fd_, wake_[0], generation_);
}

void TComPort::Close() {
  if (worker_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    handled_.notify_all();
    char b = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_[1], &b, 1);
    worker_.join();
  }
  ++generation_;
  if (fd_ >= 0) {
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
  }
  for (int& w : wake_) {
    if (w >= 0) ::close(w);
    w = -1;
  }
  device_.clear();
}

WriteResult TComPort::Write(const uint8_t* bytes, size_t count) {
  WriteResult r;
  if (!Connected()) {
    r.error = EBADF;
    return r;
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(1000 + 100 * count);
  // Set when poll reported a hang-up or an error: the write after it tells which, and one that
  // still cannot go on ends the write as an I/O error.
  bool lineFailed = false;
  while (r.written < count) {
    ssize_t n = ::write(fd_, bytes + r.written, count - r.written);
    if (n > 0) {
      r.written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      r.error = errno;
      break;
    }
    if (lineFailed) {
      r.error = EIO;
      break;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;  // the write time-out ran out: error 0
    pollfd p{fd_, POLLOUT, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      r.error = errno;
      break;
    }
    if (ready == 0) break;
    lineFailed = (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
  }
  return r;
}

size_t TComPort::Read(uint8_t* buffer, size_t count) {
  if (!Connected() || count == 0) return 0;
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, buffer + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  return done;
}

size_t TComPort::InputCount() const {
  if (!Connected()) return 0;
  int n = 0;
  if (::ioctl(fd_, FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<size_t>(n);
}

bool TComPort::SetRTS(bool on) {
  if (!Connected()) return false;
  int bit = TIOCM_RTS;
  return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool TComPort::SetDTR(bool on) {
  if (!Connected()) return false;
  int bit = TIOCM_DTR;
  return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

namespace {

// Line error counters of a real UART; a pseudo-terminal or adapter without them reports none.
bool ReadCounters(int fd, serial_icounter_struct& c) {
  std::memset(&c, 0, sizeof c);
  return ::ioctl(fd, TIOCGICOUNT, &c) == 0;
}

TComErrors CounterErrors(const serial_icounter_struct& a, const serial_icounter_struct& b) {
  TComErrors e = 0;
  if (b.frame != a.frame) e |= ceFrame;
  if (b.parity != a.parity) e |= ceParity;
  if (b.overrun != a.overrun) e |= ceOverrun;
  if (b.brk != a.brk) e |= ceBreak;
  if (b.buf_overrun != a.buf_overrun) e |= ceRxOver;
  return e;
}

}  // namespace

void TComPort::Watch(int fd, int wakeFd, uint64_t generation) {
  serial_icounter_struct counters{};
  const bool haveCounters = ReadCounters(fd, counters);
  for (;;) {
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    int r = ::poll(p, 2, -1);
    const uint32_t seen = MillisecondTimer::Now();
    if (stopping_) return;
    if (r < 0) {
      if (errno == EINTR) continue;
      HandOver(generation, ceIO, true, seen);
      return;
    }
    if (p[1].revents) return;
    TComErrors errors = 0;
    if (haveCounters) {
      serial_icounter_struct now{};
      if (ReadCounters(fd, now)) {
        errors = CounterErrors(counters, now);
        counters = now;
      }
    }
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) waiting = -1;
    // A hung-up tty polls HUP/ERR with nothing to read: the device has vanished. Bytes still
    // waiting are delivered first; the next pass then sees the hang-up. Readable without HUP/ERR
    // and nothing left means the owner took the bytes itself (a sending operation takes in what
    // is waiting before it writes): watch again.
    const bool hungUp = (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (waiting < 0 || (waiting == 0 && hungUp)) {
      HandOver(generation, errors | ceIO, true, seen);
      return;
    }
    if (waiting == 0) continue;
    HandOver(generation, errors, false, seen);
    if (stopping_) return;
  }
}

void TComPort::HandOver(uint64_t generation, TComErrors errors, bool vanished, uint32_t seenMs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    pending_ = PendingEvent{true, generation, errors, vanished, seenMs};
    eventDone_ = false;
  }
  handled_.notify_all();  // for AwaitHandedOver
  // Wakes the owner's thread through its event loop (a socket notifier on the eventfd).
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(eventFd_, &one, sizeof one);
  std::unique_lock<std::mutex> lock(mutex_);
  handled_.wait(lock, [this] { return eventDone_ || stopping_; });
}

bool TComPort::AwaitHandedOver(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return handled_.wait_for(lock, limit, [this] { return pending_.pending; });
}

void TComPort::OnEventFd() {
  uint64_t count = 0;
  [[maybe_unused]] ssize_t n = ::read(eventFd_, &count, sizeof count);
  PendingEvent event;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    event = pending_;
    pending_.pending = false;
  }
  if (event.pending) RunEvent(event.generation, event.errors, event.vanished, event.seenMs);
}

void TComPort::RunEvent(uint64_t generation, TComErrors errors, bool vanished, uint32_t seenMs) {
  auto done = [this] {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      eventDone_ = true;
    }
    handled_.notify_all();
  };
  if (generation != generation_ || !Connected()) return done();
  if (errors && OnError) OnError(errors);
  if (vanished) {
    done();
    Close();
    return;
  }
  if (generation != generation_ || !Connected()) return done();
  size_t count = InputCount();
  if (count > 0 && OnRxChar) OnRxChar(count, seenMs);
  done();
}
