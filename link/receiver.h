#pragma once
// The response receiver: bytes from the port go into a 16 KiB ring, a small state machine
// assembles response and Raccess frames, verifies them and classifies each verified response
// frame (ACK, NACK with its logged reason, ID data). No widget and no port in sight: the bytes
// come through OnReceive with a read function, exactly as the port's receive event delivers them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "codec/frame_id.h"
#include "link/link_fault.h"
#include "link/listeners.h"

enum class ResponseState : int32_t {
  None = 0,
  AckReceived = 2,
  NackReceived = 6,
  IdReceived = 7,
  RaccessReceived = 12,
};

enum class RxState : int32_t { Hunt = 0, InResponse = 1, InRaccess = 2 };

class ResponseReceiver {
 public:
  static constexpr int32_t kRingSize = 16384;
  // A frame whose bytes stop for this long is abandoned when the next bytes arrive, so a frame
  // cut short cannot swallow the next answer (a frame's bytes follow each other closely at every
  // speed the module offers).
  static constexpr uint32_t kFrameSilenceMs = 100;

  // Where the receiver's lines go.
  std::function<void(const std::string& line)> log;
  // Every ID frame for the tag tally: the kind byte and the ID as text.
  Listeners<void(const std::string& kindText, const std::string& idText)> tally;
  // The main window's "Animal ID" check box: decorates ID lines when set.
  std::function<bool()> animalIdDisplay;
  // Told of every NACK, SUM error and unknown frame type, with the line logged for it ("" when
  // a NACK names no reason the catalogue knows).
  std::function<void(LinkFault fault, const std::string& line)> fault;
  // Sees every verified response frame (offset 2 its type, 3 LEN, data from 4) before it is
  // classified: a wait that must not lose an answer to the ID frames behind it watches here.
  Listeners<void(const uint8_t* frame)> onFrame;
  // Told of every ID frame once it is tallied; a listener's false leaves its "RX: " and "ID: "
  // lines out (a repeat the command runner's --dedup suppresses is still counted).
  Listeners<bool(const uint8_t* frame, const std::string& kindText, const std::string& idText)>
      idFrame;

  bool LogRxFrames = true;
  bool LogRawBytes = false;

  // The port's receive event (CommX1RxChar): count bytes are waiting; read(dst, n) copies n of
  // them. seenMs is when the link first saw them (MillisecondTimer time): the silence before a
  // frame's next bytes is counted up to then, so a busy host thread is never taken for a quiet
  // line. Returns the number of bytes taken (0 when re-entered, so they stay queued).
  size_t OnReceive(size_t count, const std::function<size_t(uint8_t*, size_t)>& read,
                   uint32_t seenMs);
  // As above, for bytes seen just now.
  size_t OnReceive(size_t count, const std::function<size_t(uint8_t*, size_t)>& read);
  // Convenience for tests, fuzzers and benchmarks: delivers a buffer through OnReceive, in
  // events of at most kRingSize - 1 bytes.
  void Feed(const uint8_t* bytes, size_t count);

  // Ring head, tail and the state machine back to zero (before every open).
  void Reset();

  ResponseState State() const { return state_; }
  // Cleared only by the sending operations, just before they write.
  void ClearState() { state_ = ResponseState::None; }

  // The frame last assembled: type at offset 2, LEN at 3, data from 4.
  const uint8_t* FrameBuffer() const { return frame_; }
  RxState ParserState() const { return rx_; }
  int32_t Head() const { return head_; }
  int32_t Tail() const { return tail_; }
  // Bytes not yet consumed by the parser.
  int32_t Pending() const;

  // What arrived besides answers, since the receiver was made: bytes outside any frame (dropped
  // while hunting for an STX, or past the end of a frame that never ended), frames with a wrong
  // SUM (or no ETX), frames of an unknown type, and verified ID frames. The reader check takes
  // differences of these over its listening time.
  struct Counts {
    uint64_t strayBytes = 0;
    uint64_t badSum = 0;
    uint64_t badFormat = 0;
    uint64_t idFrames = 0;
  };
  const Counts& Counted() const { return counts_; }

  // The ID of the last ID frame, decoded once: what the tally and the idFrame listeners read
  // (the frame's kindText and idText are its KindText() and Text()).
  const fdx::FrameId& LastId() const { return lastId_; }

 private:
  void ParseReceived();
  // "RX: " and the bytes of the frame just completed.
  std::string RxLine() const;
  void Consume(uint8_t c);
  void FinishResponse();
  void DispatchFrame();
  void Log(const std::string& line) {
    if (log) log(line);
  }
  void LogFault(LinkFault kind, const std::string& line) {
    Log(line);
    if (fault) fault(kind, line);
  }

  uint8_t ring_[kRingSize] = {};
  uint8_t frame_[kRingSize] = {};
  int32_t head_ = 0;
  int32_t tail_ = 0;
  int32_t index_ = 0;
  int32_t expectedEnd_ = 0;
  RxState rx_ = RxState::Hunt;
  ResponseState state_ = ResponseState::None;
  uint32_t lastBytesMs_ = 0;
  bool rxEventFree_ = true;
  bool parserFree_ = true;
  Counts counts_;
  fdx::FrameId lastId_;
};
