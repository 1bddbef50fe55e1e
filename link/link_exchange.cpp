#include "link/link_exchange.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstring>
#include <optional>
#include <vector>

#include "core/hex.h"
#include "core/messages.h"
#include "core/ui_text.h"
#include "link/frame.h"
#include "link/listeners.h"
#include "link/millisecond_timer.h"

namespace {

std::string HexLine(const std::string& prefix, const uint8_t* bytes, size_t count) {
  std::string line = prefix;
  hex::AppendBytes(line, bytes, count);
  return line;
}

// "送信できませんでした: Input/output error (0/9 バイト送信)": why, and how much went out.
std::string WriteFailureLine(const WriteResult& r, size_t count) {
  const std::string reason =
      r.error != 0 ? std::strerror(r.error) : Tr("TTirisC1Dlg", "書き込みの時間切れ");
  std::string line = Tr("TTirisC1Dlg", "送信できませんでした: %1 (%2/%3 バイト送信)");
  const std::string args[] = {reason, std::to_string(r.written), std::to_string(count)};
  for (size_t i = 0; i < 3; ++i) {
    const std::string mark = "%" + std::to_string(i + 1);
    if (const size_t at = line.find(mark); at != std::string::npos) line.replace(at, 2, args[i]);
  }
  return line;
}

void Retire(std::unique_ptr<ByteLink> old) {
  // The event that led to the replacement may still be running on the old link: it goes once
  // the event loop is back (at once when there is none, or nothing to retire).
  if (!old || !QCoreApplication::instance()) return;
  std::shared_ptr<ByteLink> held(std::move(old));
  QTimer::singleShot(0, QCoreApplication::instance(), [held] {});
}

}  // namespace

LinkExchange::~LinkExchange() {
  if (link_) link_->Close();
}

ByteLink& LinkExchange::Attach(std::unique_ptr<ByteLink> link) {
  if (link_) {
    link_->Close();
    link_->OnRxChar = nullptr;
    link_->OnError = nullptr;
  }
  Retire(std::move(link_));
  link_ = std::move(link);
  Listen(*link_);
  return *link_;
}

void LinkExchange::Listen(ByteLink& link) {
  link.OnRxChar = [this](size_t count, uint32_t seenMs) { OnRxChar(count, seenMs); };
  link.OnError = [this](TComErrors errors) { OnError(errors); };
}

void LinkExchange::Open() {
  if (link_) link_->Close();
  rx_.Reset();
  portLost_ = false;
  lossExplained_ = false;
  if (link_) link_->Open();
}

void LinkExchange::Close() {
  if (link_) link_->Close();
}

void LinkExchange::StartAfresh() {
  rx_.Reset();
  rx_.LogRxFrames = true;  // the receiver's defaults
  rx_.LogRawBytes = false;
  logTxFrames_ = true;
  waitDepth_ = 0;
  refusedWrite_ = writeFailed_ = portLost_ = lossExplained_ = false;
  lastWaitMs_ = 0;
}

void LinkExchange::Fault(LinkFault kind, const std::string& line) {
  Log(line);
  if (fault) fault(kind, line);
}

void LinkExchange::OnRxChar(size_t count, uint32_t seenMs) {
  rx_.OnReceive(
      count, [this](uint8_t* dst, size_t n) { return link_->Read(dst, n); }, seenMs);
}

void LinkExchange::OnError(TComErrors errors) {
  const bool lostNow = (errors & ceIO) && !portLost_;
  if (errors & ceIO) portLost_ = true;
  Fault(LinkFault::LineError, ComErrorsToStr(errors));
  if (lostNow && lost) lost();
}

void LinkExchange::SendCommand(std::span<const uint8_t> data, uint8_t kind) {
  const std::vector<uint8_t> f = frame::BuildCommandFrame(data, kind);
  if (logTxFrames_) Log(HexLine("TX: ", f.data(), f.size()));
  WriteRaw(f.data(), f.size());
}

void LinkExchange::WriteRaw(const uint8_t* bytes, size_t count) {
  if (waitDepth_ > 0) {
    // A second command started from the event processing of a wait would share the posted state
    // and the frame buffer with the first: it is refused.
    Fault(LinkFault::Refused,
          Tr("TTirisC1Dlg", "応答待ちのコマンドがあるため、新しいコマンドは送信しませんでした"));
    refusedWrite_ = true;
    return;
  }
  // Bytes the link already holds arrived before this command: they are taken in (logged and
  // posted) now, before the state is cleared, so that a duplicate or late answer to an earlier
  // command that the event loop has not handled yet can never satisfy this command's wait.
  if (Connected()) {
    if (const size_t waiting = link_->InputCount(); waiting > 0)
      OnRxChar(waiting, MillisecondTimer::Now());
  }
  if (rx_.LogRawBytes) Log(HexLine("TX:", bytes, count));
  rx_.ClearState();
  writeFailed_ = false;
  // A link that is not open is not written to; the wait then runs into its time-out, or ends at
  // once when the link was lost, and the first command after the loss says why.
  if (!Connected()) {
    if (portLost_ && !lossExplained_) {
      lossExplained_ = true;
      Log(Tr("TTirisC1Dlg",
             "ポートが閉じられたため送信できません（デバイスが切断されました）。"
             "「COM Port...」でポートを開き直してください"));
    }
    return;
  }
  const WriteResult r = link_->Write(bytes, count);
  if (r.written == count) return;
  writeFailed_ = true;
  Fault(LinkFault::WriteFailed, WriteFailureLine(r, count));
}

bool LinkExchange::AwaitUntil(const std::function<bool()>& met, uint32_t ms) {
  ++waitDepth_;
  // A link that vanished (its "<ComError:IO>" line is written) cannot answer any more.
  const PumpEnd end = PumpUntil(met, ms, [this] { return portLost_ && !Connected(); });
  if (end == PumpEnd::Deadline) Fault(LinkFault::TimedOut, LoadMessage(Msg::ResponseTimedOutMsg));
  --waitDepth_;
  return end == PumpEnd::Met;
}

bool LinkExchange::AwaitResponseFor(Response& out, uint32_t ms) {
  if (refusedWrite_ && waitDepth_ > 0) {
    refusedWrite_ = false;
    return false;
  }
  // The command never reached the module whole: no answer can come (the reason is logged).
  if (writeFailed_) return false;
  lastWaitMs_ = ms;
  if (!AwaitUntil([this] { return rx_.State() != ResponseState::None; }, ms)) return false;
  const uint8_t* f = rx_.FrameBuffer();
  if (f[2] != frame::TypeAck) return false;
  out.Assign(f + 4, f[3]);
  return true;
}

bool LinkExchange::AwaitAnswerAmidIdFrames(Response& out, uint32_t ms, int* idFrames) {
  if (writeFailed_) return false;
  // The answer is taken from the frame as it is verified, before an ID frame in the same read
  // can overwrite the frame buffer and the posted state.
  std::optional<bool> answer;
  const Subscription watch = rx_.onFrame.Subscribe([&](const uint8_t* f) {
    if (answer) return;
    if (f[2] == frame::TypeAck) {
      out.Assign(f + 4, f[3]);
      answer = true;
    } else if (f[2] == frame::TypeNack) {
      answer = false;
    } else if (f[2] == frame::TypeId && idFrames) {
      ++*idFrames;
    }
  });
  AwaitUntil([&] { return answer.has_value(); }, ms);
  return answer.value_or(false);
}
