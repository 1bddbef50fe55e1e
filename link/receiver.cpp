#include "link/receiver.h"

#include <algorithm>

#include "core/hex.h"
#include "core/messages.h"
#include "link/frame.h"
#include "link/millisecond_timer.h"

int32_t ResponseReceiver::Pending() const {
  if (head_ > tail_) return head_ - tail_;
  if (head_ < tail_) return head_ - tail_ + kRingSize;
  return 0;
}

void ResponseReceiver::Reset() {
  head_ = tail_ = 0;
  index_ = 0;
  expectedEnd_ = 0;
  rx_ = RxState::Hunt;
}

size_t ResponseReceiver::OnReceive(size_t count,
                                   const std::function<size_t(uint8_t*, size_t)>& read) {
  return OnReceive(count, read, MillisecondTimer::Now());
}

size_t ResponseReceiver::OnReceive(size_t count,
                                   const std::function<size_t(uint8_t*, size_t)>& read,
                                   uint32_t seenMs) {
  if (count == 0 || !rxEventFree_) return 0;
  rxEventFree_ = false;
  // Signed: bytes the link saw while the last event was still being parsed come out as a
  // negative silence, which is none.
  const auto silence = static_cast<int32_t>(seenMs - lastBytesMs_);
  if (rx_ != RxState::Hunt && silence > static_cast<int32_t>(kFrameSilenceMs)) rx_ = RxState::Hunt;
  // One event never takes more than the ring can hold beside what is pending; the rest stays
  // queued for the next event.
  const size_t room = static_cast<size_t>(kRingSize - 1 - Pending());
  count = std::min(count, room);
  size_t got = 0;
  if (static_cast<size_t>(head_) + count <= static_cast<size_t>(kRingSize)) {
    got = read(ring_ + head_, count);
    head_ += static_cast<int32_t>(got);
  } else {
    const size_t first = static_cast<size_t>(kRingSize - head_);
    got = read(ring_ + head_, first);
    if (got == first) {
      const size_t rest = count - first;
      const size_t more = read(ring_, rest);
      got += more;
      head_ = static_cast<int32_t>(more);
    } else {
      head_ += static_cast<int32_t>(got);
    }
  }
  if (head_ >= kRingSize) head_ = 0;
  ParseReceived();
  // The time the parse took is no silence on the line: bytes that arrived meanwhile wait in the
  // port for the next event, so the silence is counted from here.
  lastBytesMs_ = MillisecondTimer::Now();
  rxEventFree_ = true;
  return got;
}

void ResponseReceiver::Feed(const uint8_t* bytes, size_t count) {
  size_t offset = 0;
  while (offset < count) {
    const size_t chunk = std::min<size_t>(count - offset, kRingSize - 1);
    size_t taken = 0;
    OnReceive(chunk, [&](uint8_t* dst, size_t n) {
      n = std::min(n, count - offset - taken);
      std::copy_n(bytes + offset + taken, n, dst);
      taken += n;
      return n;
    });
    if (taken == 0) break;
    offset += taken;
  }
}

void ResponseReceiver::ParseReceived() {
  if (!parserFree_) return;
  parserFree_ = false;
  int32_t n = Pending();
  if (n == 0) {
    parserFree_ = true;
    return;
  }
  std::string raw;
  if (LogRawBytes) raw = "RX:";
  for (int32_t k = 0; k < n; ++k) {
    const uint8_t c = ring_[tail_];
    if (++tail_ >= kRingSize) tail_ = 0;
    if (LogRawBytes) {
      hex::AppendByte(raw, c);
      raw.push_back(' ');
    }
    Consume(c);
  }
  if (LogRawBytes) Log(raw);
  parserFree_ = true;
}

void ResponseReceiver::Consume(uint8_t c) {
  switch (rx_) {
    case RxState::Hunt:
      if (c == frame::STX) {
        frame_[0] = c;
        index_ = 1;
        expectedEnd_ = 7;
        rx_ = RxState::InResponse;
      } else {
        ++counts_.strayBytes;
      }
      return;
    case RxState::InResponse:
      if (index_ == 1) {
        frame_[1] = c;
        index_ = 2;
        if (c >= 4) {
          rx_ = RxState::InRaccess;
          expectedEnd_ = c + 4;
        }
      } else if (index_ == 3) {
        frame_[3] = c;
        index_ = 4;
        expectedEnd_ = c + 6;
      } else if (index_ == expectedEnd_ && c == frame::CR) {
        frame_[index_] = c;
        FinishResponse();
        rx_ = RxState::Hunt;
      } else if (index_ > expectedEnd_) {
        ++counts_.strayBytes;
        rx_ = RxState::Hunt;  // c is discarded, even an STX
      } else {
        frame_[index_++] = c;
      }
      return;
    case RxState::InRaccess:
      if (index_ < expectedEnd_) {
        frame_[index_++] = c;
        return;
      }
      // The body is complete; this byte must be the ETX, which is not stored.
      rx_ = RxState::Hunt;
      if (c == frame::ETX &&
          frame::RaccessCheck(frame_ + 1, static_cast<size_t>(expectedEnd_ - 1)) != 0) {
        state_ = ResponseState::RaccessReceived;
        Log("Rec : Raccess " + LoadMessage(Msg::ResponseMsg));
      }
      return;
  }
}

void ResponseReceiver::FinishResponse() {
  const int32_t i = index_;
  if (frame_[i - 1] == frame::FrameSum(frame_) && frame_[i - 2] == frame::ETX) {
    // An ID frame's line waits for idFrame, which may leave the frame's lines out.
    if (LogRxFrames && frame_[2] != frame::TypeId) Log(RxLine());
    onFrame.Notify(frame_);
    DispatchFrame();
  } else {
    ++counts_.badSum;
    LogFault(LinkFault::BadSum, LoadMessage(Msg::SUMErrorMsg));
  }
}

std::string ResponseReceiver::RxLine() const {
  std::string line = "RX: ";
  hex::AppendBytes(line, frame_, static_cast<size_t>(index_) + 1);
  return line;
}

void ResponseReceiver::DispatchFrame() {
  switch (frame_[2]) {
    case frame::TypeAck:
      state_ = ResponseState::AckReceived;
      return;
    case frame::TypeNack: {
      state_ = ResponseState::NackReceived;
      static const struct {
        uint8_t code;
        Msg msg;
      } kNack[] = {
          {0x01, Msg::CRCErrorMsg},
          {0x02, Msg::CommandTimeOverMsg},
          {0x03, Msg::TagDataReceiveErrorMsg},
          {0x04, Msg::NotResponseFromTagMsg},
          {0x41, Msg::NumberOfDataErrorsMsg},
          {0x42, Msg::SUMErrorMsg},
          {0x43, Msg::IDValueErrorMsg},
          {0x44, Msg::InvalidCommandMsg},
      };
      // A NACK without data has no code; offset 4 then holds the ETX, which is no code either.
      std::string reason;
      for (const auto& n : kNack)
        if (frame_[3] >= 1 && frame_[4] == n.code) {
          reason = LoadMessage(n.msg);
          Log(reason);
        }
      if (fault) fault(LinkFault::Nack, reason);
      return;
    }
    case frame::TypeId: {
      ++counts_.idFrames;
      state_ = ResponseState::IdReceived;
      const bool decorate = animalIdDisplay && animalIdDisplay();
      lastId_ = fdx::FrameId::Decode(std::span<const uint8_t>(frame_ + 4, frame_[3]));
      std::string kindText = lastId_.KindText();
      std::string idText = lastId_.Text(decorate);
      tally.Notify(kindText, idText);
      // Every listener hears the frame; one that says false leaves its lines out.
      bool logLines = true;
      idFrame.ForEach(
          [&](const auto& listener) { logLines = listener(frame_, kindText, idText) && logLines; });
      if (!logLines) return;
      if (LogRxFrames) Log(RxLine());
      Log("ID: " + idText);
      return;
    }
    default:
      ++counts_.badFormat;
      LogFault(LinkFault::BadFormat, LoadMessage(Msg::ResponseFormatErrorMsg));
      return;
  }
}
