#pragma once
// Debian's ser2net, started by a test on loopback in front of a device (the simulator's
// pseudo-terminal): a telnet(rfc2217) accepter and a raw TCP accepter on free ports, its YAML
// configuration in a temporary folder. Start fails (it never skips) when ser2net cannot be
// started; Stop ends it by its process id. Restart brings it back on the same ports.
#include <sys/types.h>

#include <cstdint>
#include <string>

namespace test_support {

class Ser2net {
 public:
  Ser2net() = default;
  ~Ser2net();
  Ser2net(const Ser2net&) = delete;
  Ser2net& operator=(const Ser2net&) = delete;

  // Starts ser2net with both accepters in front of `device` at `baud` (8N1, no modem lines) and
  // waits until both listen. False with the reason.
  bool Start(const std::string& device, int baud, std::string* error);
  // Ends it (SIGTERM, then waits for it): every connection through it drops.
  void Stop();
  // Starts it again with the same configuration and ports.
  bool Restart(std::string* error);
  bool Running() const { return pid_ > 0; }
  // Waits until ser2net has closed the device after its last client left (within the tests'
  // patience). A connection to the other accepter finds the device busy and is dropped until
  // then, so a test that switches accepters waits for this first.
  bool AwaitDeviceClosed() const;

  std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(telnetPort_); }
  std::string RawUrl() const { return "socket://127.0.0.1:" + std::to_string(rawPort_); }

 private:
  bool Launch(std::string* error);
  std::string dir_;
  std::string config_;
  std::string device_;
  uint16_t telnetPort_ = 0;
  uint16_t rawPort_ = 0;
  pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that nothing listens on at this moment.
uint16_t FreeTcpPort();
// Whether something listens on 127.0.0.1:port (from /proc/net/tcp, without connecting); with
// `owner`, only a listening socket that process holds counts (a free port taken by another test's
// server between the choice and the bind is not ours).
bool Listening(uint16_t port, pid_t owner = -1);

}  // namespace test_support
