#include "sim/pty_link.h"

// termios2 (asm/termbits.h) gives every speed, including non-standard ones; it cannot be mixed
// with <termios.h>, so this file uses the ioctls directly.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {

namespace {

struct SpeedCode {
  unsigned code;
  int baud;
};
constexpr SpeedCode kSpeeds[] = {
    {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},       {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},         {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},       {B19200, 19200},   {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800}, {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
};

unsigned CodeOf(int baud) {
  for (const auto& s : kSpeeds) {
    if (s.baud == baud) return s.code;
  }
  return BOTHER;
}

std::string Reason(const char* step) {
  return std::string(step) + ": " + std::strerror(errno);
}

}  // namespace

bool PtyLink::Open(int baud, std::string* error) {
  Close();
  auto fail = [&](const char* step) {
    if (error) *error = Reason(step);
    Close();
    return false;
  };
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return fail("posix_openpt");
  if (::grantpt(master_) != 0) return fail("grantpt");
  if (::unlockpt(master_) != 0) return fail("unlockpt");
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
  slavePath_ = name;
  const int flags = ::fcntl(master_, F_GETFL);
  if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) return fail("open slave");

  // Raw at once: by default the line discipline echoes, turns CR into LF and flushes its input
  // on ETX (VINTR is ^C), any of which corrupts frames.
  struct termios2 tio {};
  if (::ioctl(slave_, TCGETS2, &tio) != 0) return fail("TCGETS2");
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &=
      ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
  const unsigned code = CodeOf(baud);
  tio.c_cflag |= CS8 | CREAD | CLOCAL | code | (code << IBSHIFT);
  tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(baud);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (::ioctl(slave_, TCSETS2, &tio) != 0) return fail("TCSETS2");
  return true;
}

void PtyLink::Close() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
  slavePath_.clear();
}

int PtyLink::HostBaud() const {
  if (master_ < 0) return 0;
  // On the master these ioctls reach the slave's settings.
  struct termios2 tio {};
  if (::ioctl(master_, TCGETS2, &tio) != 0) return 0;
  const unsigned code = tio.c_cflag & CBAUD;
  if (code == BOTHER) return static_cast<int>(tio.c_ospeed);
  for (const auto& s : kSpeeds) {
    if (s.code == code) return s.baud;
  }
  return 0;
}

ssize_t PtyLink::Read(uint8_t* buffer, size_t count) {
  if (master_ < 0) {
    errno = EBADF;
    return -1;
  }
  return ::read(master_, buffer, count);
}

ssize_t PtyLink::Write(const uint8_t* bytes, size_t count) {
  if (master_ < 0) {
    errno = EBADF;
    return -1;
  }
  return ::write(master_, bytes, count);
}

}  // namespace sim
