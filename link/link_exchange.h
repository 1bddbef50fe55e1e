#pragma once
// LinkExchange: the send-and-wait exchange over a ByteLink. It owns the link the module talks
// over and the receiver the link's bytes go to, writes command frames, and waits for the answer
// with the one wait of link/event_pump.h. It knows nothing of settings, tallies or wrappers: the
// communication module (link/comm_module.h) puts those around it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "link/byte_link.h"
#include "link/event_pump.h"
#include "link/link_fault.h"
#include "link/receiver.h"
#include "link/response.h"

class LinkExchange {
 public:
  LinkExchange() = default;
  ~LinkExchange();
  LinkExchange(const LinkExchange&) = delete;
  LinkExchange& operator=(const LinkExchange&) = delete;

  // Where the exchange's lines go, and every failure besides its line (time-outs, failed or
  // refused writes, line errors).
  std::function<void(const std::string& line)> log;
  std::function<void(LinkFault fault, const std::string& line)> fault;
  // Told once, at the moment it happens, that the open link vanished (hang-up, unplugged adapter).
  std::function<void()> lost;

  // Carries the exchange over `link` from now on; the one before is closed. Returns it.
  ByteLink& Attach(std::unique_ptr<ByteLink> link);
  // The link in use (null before the first is attached).
  ByteLink* Link() { return link_.get(); }
  const ByteLink* Link() const { return link_.get(); }
  bool Connected() const { return link_ && link_->Connected(); }
  // Opens the link in use after resetting the receiver and the loss; throws ComPortError.
  void Open();
  // Closes the link in use (nothing when there is none). Never throws.
  void Close();

  ResponseReceiver& Receiver() { return rx_; }
  const ResponseReceiver& Receiver() const { return rx_; }

  bool LogTxFrames() const { return logTxFrames_; }
  void SetLogTxFrames(bool on) { logTxFrames_ = on; }

  // Frames the data bytes as a command of `kind`, logs "TX: " and the frame (when TX frames are
  // logged) and writes it.
  void SendCommand(std::span<const uint8_t> data, uint8_t kind);
  // Writes the bytes as they are. A write the link fails, or takes only in part, is logged with
  // its reason, and every wait until the next write ends at once with false.
  void WriteRaw(const uint8_t* bytes, size_t count);
  // The wait for the answer to the command just written: true on ACK (its data in out), false on
  // NACK or ID frame, after ms with "Response Timed out", or when the link has vanished.
  bool AwaitResponseFor(Response& out, uint32_t ms);
  // The wait for an answer amid ID frames the module may still stream: ID frames are logged and
  // tallied as always and counted in *idFrames, but do not end the wait, and an answer that
  // arrives in one read with ID frames behind it is not lost to them.
  bool AwaitAnswerAmidIdFrames(Response& out, uint32_t ms, int* idFrames);

  bool Waiting() const { return waitDepth_ > 0; }
  uint32_t LastWaitMs() const { return lastWaitMs_; }
  bool PortLost() const { return portLost_; }

  // The receiver and the wait and loss flags as new (the link in use stays).
  void StartAfresh();

 private:
  // The exchange's own wait: PumpUntil with the lost-link check, and the time-out reported.
  bool AwaitUntil(const std::function<bool()>& met, uint32_t ms);
  void Listen(ByteLink& link);
  void OnRxChar(size_t count, uint32_t seenMs);
  void OnError(TComErrors errors);
  void Log(const std::string& line) {
    if (log) log(line);
  }
  void Fault(LinkFault kind, const std::string& line);

  std::unique_ptr<ByteLink> link_;
  ResponseReceiver rx_;
  bool logTxFrames_ = true;
  int waitDepth_ = 0;
  bool refusedWrite_ = false;
  bool writeFailed_ = false;    // the latest write failed or stopped short
  bool portLost_ = false;       // the open link vanished (hang-up, unplugged adapter)
  bool lossExplained_ = false;  // the first command after the loss has said why it was not sent
  uint32_t lastWaitMs_ = 0;
};
