// The module's stand-in for a bare round trip: a pty whose master echoes what it reads, on a
// thread of its own, until the object goes.
#pragma once

#include <poll.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "sim/pty_link.h"

class EchoPty {
 public:
  EchoPty() = default;
  EchoPty(const EchoPty&) = delete;
  EchoPty& operator=(const EchoPty&) = delete;
  ~EchoPty() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  // Opens the pty at `baud` and starts echoing. False with the reason.
  bool Start(int baud, std::string* error) {
    if (!pty_.Open(baud, error)) return false;
    thread_ = std::thread([this] {
      uint8_t buf[256];
      while (!stop_) {
        pollfd p{pty_.MasterFd(), POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = pty_.Read(buf, sizeof buf);
        if (n > 0) pty_.Write(buf, static_cast<size_t>(n));
      }
    });
    return true;
  }
  // The host's end.
  const std::string& Path() const { return pty_.SlavePath(); }

 private:
  sim::PtyLink pty_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
