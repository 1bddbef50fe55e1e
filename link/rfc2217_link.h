#pragma once
// Rfc2217Link: the "rfc2217://HOST:PORT" port, a TCP connection speaking Telnet with the COM port
// option to a terminal server or ser2net's telnet(rfc2217) accepter. Open negotiates the option
// and sets the far end's port to the link's settings (baud rate, data size, parity, stop size,
// flow control), waits for the server to confirm the speed, and purges its buffers; later
// settings (the module's speed commands, the scan's five speeds) go the same way. The server's
// line-state notifications become the same line errors a serial port reports; IAC bytes are
// doubled both ways, so a 0xFF in a frame is never lost.
#include <optional>

#include "link/tcp_link.h"
#include "link/telnet_codec.h"

class Rfc2217Link : public TcpLink {
  Q_OBJECT
 public:
  Rfc2217Link(std::string url, Timing timing) : TcpLink(std::move(url), timing) {}
  explicit Rfc2217Link(std::string url) : Rfc2217Link(std::move(url), Timing{}) {}

  // Sends the settings to the far end's port when the link is open (and waits for the server to
  // confirm the speed); empty when they apply, else why not.
  std::string ApplyLineSettings(const LineSettings& settings) override;
  bool CarriesLineSettings() const override { return true; }
  // The server's latest modem-state notification (CTS, DSR, RI, CD and their changes), kept for
  // the curious: a serial port of this tool raises no event for the modem lines either.
  uint8_t ModemState() const { return modemState_; }

 protected:
  void Negotiate(Clock::time_point deadline) override;
  void TakeIn(const uint8_t* raw, size_t count, std::vector<uint8_t>& data,
              TComErrors& errors) override;
  void Encode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const override;

 private:
  // Sends the settings and waits for the server's answer to the speed; empty, or the reason.
  std::string SendSettings(Clock::time_point deadline);
  void Send(const std::vector<uint8_t>& bytes);

  telnet::Codec codec_;
  std::optional<uint32_t> confirmedBaud_;  // the server's answer to the latest SET-BAUDRATE
  uint8_t modemState_ = 0;
};
