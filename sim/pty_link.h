#pragma once
// The module's end of a pseudo-terminal. The host opens the slave (/dev/pts/N) as its serial
// port; the simulator reads and writes the master. We keep a slave descriptor of our own open
// for the life of the link, so the line settings survive the host closing its port and the
// master never sees a hang-up of its own. Closing the master hangs the slave up: the host sees
// the device vanish, as when a USB adapter is pulled.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

class PtyLink {
 public:
  PtyLink() = default;
  ~PtyLink() { Close(); }
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  // A new pty whose slave is in raw mode at baud. False with the reason on failure.
  bool Open(int baud, std::string* error);
  // Hangs up: closes both ends; the slave's node disappears.
  void Close();
  bool IsOpen() const { return master_ >= 0; }

  const std::string& SlavePath() const { return slavePath_; }
  int MasterFd() const { return master_; }
  // The speed the host set on its port (read from the master side; no event tells of a
  // change, so callers ask when it matters). 0 when it cannot be read.
  int HostBaud() const;

  // Non-blocking; as read(2) and write(2).
  ssize_t Read(uint8_t* buffer, size_t count);
  ssize_t Write(const uint8_t* bytes, size_t count);

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace sim
