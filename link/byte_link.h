#pragma once
// ByteLink: the seam between the protocol (the communication module TTirisC1Dlg) and whatever
// carries its bytes. The module only opens and closes a link, writes frames and is told, by
// events on its own thread, that bytes have arrived or that the line reported errors; it then
// reads the bytes. TComPort carries them over a serial port, MemoryLink (link/memory_link.h)
// through memory for tests, fuzzers and benchmarks.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "link/line_settings.h"

// Line errors, in the order of their text form.
enum TComError : unsigned {
  ceFrame = 1u << 0,
  ceParity = 1u << 1,
  ceOverrun = 1u << 2,
  ceBreak = 1u << 3,
  ceIO = 1u << 4,
  ceMode = 1u << 5,
  ceRxOver = 1u << 6,
  ceTxFull = 1u << 7,
};
using TComErrors = unsigned;

// "<Ok>" for none, else "<ComError:Frame,Parity>" (the errors present, in the order above).
std::string ComErrorsToStr(TComErrors errors);

// A link that cannot be opened; what() names the port and the reason.
class ComPortError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a write achieved. A write that took fewer bytes than it was given failed: `error` holds
// the system's error number, or 0 when the write time-out ran out first.
struct WriteResult {
  size_t written = 0;
  int error = 0;
};

class ByteLink {
 public:
  virtual ~ByteLink() = default;

  // Opens the link; on failure throws ComPortError and leaves it closed.
  virtual void Open() = 0;
  // Stops the events and releases the link. Never throws.
  virtual void Close() = 0;
  virtual bool Connected() const = 0;

  // Writes all bytes, or as many as the link takes before it fails or its time-out runs out.
  virtual WriteResult Write(const uint8_t* bytes, size_t count) = 0;
  // Copies up to count waiting bytes; never waits.
  virtual size_t Read(uint8_t* buffer, size_t count) = 0;
  // Bytes waiting to be read.
  virtual size_t InputCount() const = 0;

  // Applies line settings (the module's speed commands, the speed scan, the settings dialog): a
  // serial port to its device, a network link to the far end's port. Returns an empty string
  // when they apply, else the reason they cannot (a raw TCP link has no line to set).
  virtual std::string ApplyLineSettings(const LineSettings& settings) = 0;
  // Whether ApplyLineSettings reaches a line at all; a raw TCP link's speed is the server's.
  virtual bool CarriesLineSettings() const { return true; }

  // Asserts (or clears) the modem control lines RTS and DTR where the link has them; a link
  // without them (memory, network, a pseudo-terminal) quietly does nothing.
  virtual void SetModemLines(bool on) { (void)on; }
  // Test hook: blocks until the link has handed an event to the owner's thread that the thread
  // has not taken yet (true), or `limit` passes (false). Only a link with a watcher thread of
  // its own can; the others hand nothing over.
  virtual bool AwaitHandedOver(std::chrono::milliseconds limit) {
    (void)limit;
    return false;
  }

  // Events, run on the thread that owns the link. OnRxChar gets the count of waiting bytes
  // (never 0) and when the link first saw them waiting (MillisecondTimer time, which may lie
  // before the event when the owner's thread was busy); bytes it leaves unread are counted
  // again by the next event.
  std::function<void(size_t count, uint32_t seenMs)> OnRxChar;
  std::function<void(TComErrors errors)> OnError;
};
