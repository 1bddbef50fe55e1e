#pragma once
// TcpLink: a byte link over a TCP connection, the "socket://HOST:PORT" port of a terminal server
// or of ser2net's raw TCP accepter. Non-blocking: the socket is watched by a socket notifier on
// the owner's thread, so its events run there like the serial port's, and nothing waits in a
// loop. Open connects within a time-out; keep-alive finds a peer that went away without a word
// (a half-open connection), and a connection that ends or fails reports the line error IO and
// closes, as a vanished serial device does. A raw TCP link carries bytes only: it has no line
// settings to change.
#include <QObject>
#include <QSocketNotifier>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/byte_link.h"
#include "link/line_settings.h"
#include "link/net_address.h"

class TcpLink : public QObject, public ByteLink {
  Q_OBJECT
 public:
  struct Timing {
    std::chrono::milliseconds connect{5000};    // the TCP connection
    std::chrono::milliseconds negotiate{5000};  // the server's answer to the COM port option
    int keepIdleS = 10;                         // keep-alive: quiet seconds before the first probe,
    int keepIntervalS = 5;                      // seconds between probes,
    int keepCount = 3;                          // unanswered probes that end the connection
  };

  // `url`: the port's name as the user wrote it, "socket://HOST:PORT" (a malformed one makes
  // Open say what is wrong with it).
  explicit TcpLink(std::string url, Timing timing);
  explicit TcpLink(std::string url) : TcpLink(std::move(url), Timing{}) {}
  ~TcpLink() override;

  void Open() override;
  void Close() override;
  bool Connected() const override { return fd_ >= 0; }
  WriteResult Write(const uint8_t* bytes, size_t count) override;
  size_t Read(uint8_t* buffer, size_t count) override;
  size_t InputCount() const override;
  // Keeps the settings; over raw TCP they cannot reach the far end's port, which says so.
  std::string ApplyLineSettings(const LineSettings& settings) override;
  bool CarriesLineSettings() const override { return false; }

  const std::string& Url() const { return url_; }
  const LineSettings& Line() const { return line_; }

 protected:
  using Clock = std::chrono::steady_clock;

  // After the connection is made, before Open returns: the RFC 2217 link negotiates here.
  // Throws ComPortError (the link is closed by Open then).
  virtual void Negotiate(Clock::time_point /*deadline*/) {}
  // Bytes from the network: the data bytes go to `data`, line errors to `errors`.
  virtual void TakeIn(const uint8_t* raw, size_t count, std::vector<uint8_t>& data,
                      TComErrors& errors);
  // Data for the network.
  virtual void Encode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const;

  // Sends bytes as they are (negotiation, commands) until `deadline`; the count sent.
  size_t SendRaw(const uint8_t* bytes, size_t count, Clock::time_point deadline, int* error);
  // Waits until the socket is readable or `deadline` passes, then takes in what arrived
  // (TakeIn). False when the deadline passed with nothing, or the connection ended.
  bool ReceiveUntil(Clock::time_point deadline);
  // The peer closed the connection, or it failed (reset, keep-alive ran out).
  bool Ended() const { return ended_; }
  // The reason for an Open failure, naming the port.
  std::string Why(const std::string& reason) const { return url_ + ": " + reason; }
  // Delivers taken-in bytes through the events later, from the event loop (bytes that arrived
  // while a call waited for the server).
  void DeliverLater();

  Timing timing_;
  LineSettings line_;
  std::string url_;
  std::optional<NetAddress> address_;
  std::string addressError_;

 private:
  // Reads what the socket holds into the inbox; false when the connection has ended.
  bool Drain(TComErrors& errors);
  void OnReadable();
  int Connect(Clock::time_point deadline);

  int fd_ = -1;
  uint64_t generation_ = 0;  // bumped by every open and close
  QSocketNotifier* notifier_ = nullptr;
  // Data bytes taken from the socket and not read yet. Filled by InputCount too, so that a
  // sending operation that takes in what is waiting sees what the network has delivered.
  std::vector<uint8_t> inbox_;
  size_t inboxHead_ = 0;
  bool ended_ = false;         // the peer closed or the connection failed
  TComErrors lineErrors_ = 0;  // line errors not reported yet
  bool deliveryQueued_ = false;
};
