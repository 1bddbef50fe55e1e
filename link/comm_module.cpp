#include "link/comm_module.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/hex.h"
#include "core/ini_file.h"
#include "core/log_pane.h"
#include "core/messages.h"
#include "core/settings_file.h"
#include "core/ui_text.h"
#include "link/frame.h"
#include "link/port_registry.h"

namespace {

constexpr const char* kComDebug = "ComDebug";

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

}  // namespace

TTirisC1Dlg::TTirisC1Dlg(std::string settingsPath, LogPane* log, QObject* parent)
    : QObject(parent), tally_(0), settingsPath_(std::move(settingsPath)), log_(log) {
  rx_.log = [this](const std::string& line) { CommLog(line); };
  rx_.fault = [this](LinkFault fault, const std::string& line) {
    if (OnFault) OnFault(fault, line);
  };
  rx_.tally = [this](const std::string&, const std::string& id) {
    tally_.TallyId(rx_.LastId(), id);
  };
  rx_.animalIdDisplay = [this] { return AnimalIdDisplay; };
  Listen(commX1_);
  LoadLinkSettings();
  tally_ = TagTally(extras_.MAX_REC_NO);
  tally_.ClearTally();
  RefreshPorts();
}

void TTirisC1Dlg::RefreshPorts() {
  portInfos_ = port_registry::List();
  portList_.clear();
  for (const PortInfo& p : portInfos_) portList_.push_back(p.name);
}

void TTirisC1Dlg::StartAfresh() {
  rx_.Reset();
  rx_.LogRxFrames = true;  // the receiver's defaults
  rx_.LogRawBytes = false;
  logTxFrames_ = true;
  AnimalIdDisplay = false;
  waitDepth_ = 0;
  refusedWrite_ = writeFailed_ = portLost_ = lossExplained_ = false;
  lastWaitMs_ = 0;
  LoadLinkSettings();
  tally_ = TagTally(extras_.MAX_REC_NO);
  tally_.ClearTally();
}

TTirisC1Dlg::~TTirisC1Dlg() {
  commX1_.Close();
  if (otherLink_) otherLink_->Close();
}

void TTirisC1Dlg::Listen(ByteLink& link) {
  link.OnRxChar = [this](size_t count, uint32_t seenMs) { OnRxChar(count, seenMs); };
  link.OnError = [this](TComErrors errors) { OnComError(errors); };
}

void TTirisC1Dlg::AttachLink(std::unique_ptr<ByteLink> link) {
  link_->OnRxChar = nullptr;
  link_->OnError = nullptr;
  otherLink_ = std::move(link);
  link_ = otherLink_.get();
  Listen(*link_);
}

void TTirisC1Dlg::CommLog(const std::string& line) {
  if (log_) AppendLogLine(*log_, line);
}

void TTirisC1Dlg::CommFault(LinkFault fault, const std::string& line) {
  CommLog(line);
  if (OnFault) OnFault(fault, line);
}

void TTirisC1Dlg::LoadLinkSettings() {
  IniFile ini(settingsPath_);
  ini.Load();
  auto readInt = [&](const char* key, int64_t def) { return ini.ReadInteger(kComDebug, key, def); };
  commX1_.SetPort(PortNumberToName(static_cast<int>(readInt("Port", 1) & 0xFF)));
  commX1_.SetBaudRate(StrToBaudRate(std::to_string(readInt("BaudRate", 57600))));
  const int64_t parity = readInt("ParityBits", 0);
  commX1_.SetParity(parity >= 0 && parity <= 4 ? static_cast<TParityBits>(parity)
                                               : TParityBits::prNone);
  commX1_.SetDataBits(StrToDataBits(std::to_string(readInt("ByteSize", 8))));
  const int64_t stop = readInt("StopBits", 0);
  commX1_.SetStopBits(stop >= 0 && stop <= 2 ? static_cast<TStopBits>(stop)
                                             : TStopBits::sbOneStopBit);
  commX1_.SetFlowControl(TFlowControl::fcNone);
  const int64_t flow = readInt("FlowCont", 0);
  if (flow == 1) commX1_.SetFlowControl(TFlowControl::fcHardware);
  if (flow == 2) commX1_.SetFlowControl(TFlowControl::fcSoftware);
  extras_.CharWaitTime = static_cast<int>(readInt("CharWaitTime", 80));
  extras_.RWPower = static_cast<int>(readInt("RWPower", 1));
  extras_.CardType = static_cast<int>(readInt("CardType", 0));
  extras_.MAX_REC_NO =
      static_cast<int>(std::clamp<int64_t>(readInt("MAX_REC_NO", 100), 0, 1000000));
  extras_.LastWorkingPort =
      static_cast<int>(std::clamp<int64_t>(readInt("LastWorkingPort", 0), 0, 255));
}

void TTirisC1Dlg::SaveLinkSettings() {
  UpdateSettingsFile(settingsPath_, [this](IniFile& ini) { StoreLinkSettings(ini); });
}

void TTirisC1Dlg::StoreLinkSettings(IniFile& ini) const {
  auto writeInt = [&](const char* key, int64_t v) { ini.WriteInteger(kComDebug, key, v); };
  // A port given as a device path has no number; the stored number then stays as it was.
  const int n = PortNameToNumber(commX1_.Port());
  if (commX1_.Port().rfind("COM", 0) == 0 && n > 0) writeInt("Port", n);
  writeInt("BaudRate",
           BaudRateValue(commX1_.BaudRate()) ? BaudRateValue(commX1_.BaudRate()) : 9600);
  writeInt("ParityBits", static_cast<int>(commX1_.Parity()));
  writeInt("ByteSize", static_cast<int>(commX1_.DataBits()) + 5);
  writeInt("StopBits", static_cast<int>(commX1_.StopBits()));
  writeInt("FlowCont", commX1_.FlowControl() == TFlowControl::fcHardware   ? 1
                       : commX1_.FlowControl() == TFlowControl::fcSoftware ? 2
                                                                           : 0);
  writeInt("CharWaitTime", extras_.CharWaitTime);
  writeInt("RWPower", extras_.RWPower);
  writeInt("CardType", extras_.CardType);
  writeInt("MAX_REC_NO", extras_.MAX_REC_NO);
  if (extras_.LastWorkingPort > 0) writeInt("LastWorkingPort", extras_.LastWorkingPort);
}

void TTirisC1Dlg::OpenNamedPort(const std::string& name) {
  link_->Close();
  rx_.Reset();
  portLost_ = false;
  lossExplained_ = false;
  commX1_.SetPort(name);
  link_->Open();
  if (commX1_.Connected() && commX1_.FlowControl() != TFlowControl::fcHardware) {
    commX1_.SetRTS(true);
    commX1_.SetDTR(true);
  }
}

void TTirisC1Dlg::CloseModule() {
  SaveLinkSettings();
  link_->Close();
}

void TTirisC1Dlg::OnRxChar(size_t count, uint32_t seenMs) {
  rx_.OnReceive(
      count, [this](uint8_t* dst, size_t n) { return link_->Read(dst, n); }, seenMs);
}

void TTirisC1Dlg::OnComError(TComErrors errors) {
  const bool lostNow = (errors & ceIO) && !portLost_;
  if (errors & ceIO) portLost_ = true;
  CommFault(LinkFault::LineError, ComErrorsToStr(errors));
  if (lostNow && OnPortLost) OnPortLost(commX1_.Port());
}

void TTirisC1Dlg::NoteWorkingPort() {
  const int n = PortNameToNumber(commX1_.Port());
  if (commX1_.Port().rfind("COM", 0) == 0 && n > 0) extras_.LastWorkingPort = n;
}

void TTirisC1Dlg::SendCommand(std::span<const uint8_t> data) {
  const std::vector<uint8_t> f = frame::BuildCommandFrame(data, frame::KindM);
  if (logTxFrames_) CommLog(HexLine("TX: ", f.data(), f.size()));
  WriteRaw(f.data(), f.size());
}

void TTirisC1Dlg::WriteRaw(const uint8_t* bytes, size_t count) {
  if (waitDepth_ > 0) {
    // A second command started from the event processing of a wait would share the posted state
    // and the frame buffer with the first: it is refused.
    CommFault(
        LinkFault::Refused,
        Tr("TTirisC1Dlg", "応答待ちのコマンドがあるため、新しいコマンドは送信しませんでした"));
    refusedWrite_ = true;
    return;
  }
  // Bytes the port already holds arrived before this command: they are taken in (logged and
  // posted) now, before the state is cleared, so that a duplicate or late answer to an earlier
  // command that the event loop has not handled yet can never satisfy this command's wait.
  if (link_->Connected()) {
    if (const size_t waiting = link_->InputCount(); waiting > 0)
      OnRxChar(waiting, MillisecondTimer::Now());
  }
  if (LogRawBytes()) CommLog(HexLine("TX:", bytes, count));
  rx_.ClearState();
  writeFailed_ = false;
  // A port that is not open is not written to; the wait then runs into its time-out, or ends at
  // once when the port was lost, and the first command after the loss says why.
  if (!link_->Connected()) {
    if (portLost_ && !lossExplained_) {
      lossExplained_ = true;
      CommLog(Tr("TTirisC1Dlg",
                 "ポートが閉じられたため送信できません（デバイスが切断されました）。"
                 "「COM Port...」でポートを開き直してください"));
    }
    return;
  }
  const WriteResult r = link_->Write(bytes, count);
  if (r.written == count) return;
  writeFailed_ = true;
  CommFault(LinkFault::WriteFailed, WriteFailureLine(r, count));
}

void TTirisC1Dlg::ProcessPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TTirisC1Dlg::PumpFor(uint32_t ms) {
  MillisecondTimer t;
  t.start();
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  while (!t.expired(ms)) {
    if (!deadline.isActive()) deadline.start(static_cast<int>(ms - t.elapsed()));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

bool TTirisC1Dlg::AwaitResponseFor(Response& out, uint16_t ms) {
  if (refusedWrite_ && waitDepth_ > 0) {
    refusedWrite_ = false;
    return false;
  }
  // The command never reached the module whole: no answer can come (the reason is logged).
  if (writeFailed_) return false;
  waitMark_.start();
  lastWaitMs_ = ms;
  ++waitDepth_;
  QTimer deadline;  // wakes the event loop when the time is up
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  bool result = false;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  for (;;) {
    if (rx_.State() != ResponseState::None) {
      const uint8_t* f = rx_.FrameBuffer();
      if (f[2] == frame::TypeAck) {
        out.Assign(f + 4, f[3]);
        result = true;
      }
      break;
    }
    // A port that vanished (its "<ComError:IO>" line is written) cannot answer any more.
    if (portLost_ && !link_->Connected()) break;
    if (waitMark_.expired(ms)) {
      CommFault(LinkFault::TimedOut, LoadMessage(Msg::ResponseTimedOutMsg));
      break;
    }
    if (!deadline.isActive())
      deadline.start(static_cast<int>(ms - std::min<uint32_t>(ms, waitMark_.elapsed())) + 1);
    // Blocks until the port, a timer or the user produces an event: no spinning.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  --waitDepth_;
  return result;
}

bool TTirisC1Dlg::AwaitAnswerAmidIdFrames(Response& out, uint32_t ms, int* idFrames) {
  if (writeFailed_) return false;
  // The answer is taken from the frame as it is verified, before an ID frame in the same read
  // can overwrite the frame buffer and the posted state.
  std::optional<bool> answer;
  rx_.onFrame = [&](const uint8_t* f) {
    if (answer) return;
    if (f[2] == frame::TypeAck) {
      out.Assign(f + 4, f[3]);
      answer = true;
    } else if (f[2] == frame::TypeNack) {
      answer = false;
    } else if (f[2] == frame::TypeId && idFrames) {
      ++*idFrames;
    }
  };
  MillisecondTimer clock;
  clock.start();
  ++waitDepth_;
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  while (!answer) {
    if (portLost_ && !link_->Connected()) break;
    if (clock.expired(ms)) {
      CommFault(LinkFault::TimedOut, LoadMessage(Msg::ResponseTimedOutMsg));
      break;
    }
    if (!deadline.isActive())
      deadline.start(static_cast<int>(ms - std::min<uint32_t>(ms, clock.elapsed())) + 1);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  --waitDepth_;
  rx_.onFrame = nullptr;
  return answer.value_or(false);
}

bool TTirisC1Dlg::Exchange(std::span<const uint8_t> data, Response& out) {
  SendCommand(data);
  return AwaitResponse(out);
}

bool TTirisC1Dlg::Exchange(std::initializer_list<uint8_t> data, Response& out) {
  return Exchange(std::span<const uint8_t>(data.begin(), data.size()), out);
}

void TTirisC1Dlg::SendActionModeSet(uint8_t mode, uint8_t value) {
  std::vector<uint8_t> data{0x00, mode};
  if (mode == 3 || value != 0) data.push_back(value);
  const std::vector<uint8_t> f = frame::BuildCommandFrame(data, frame::KindM);
  if (logTxFrames_) {
    CommLog(LoadMessage(Msg::DousaModeSet_CMDMsg));
    CommLog(HexLine("TX: ", f.data(), f.size()));
  }
  WriteRaw(f.data(), f.size());
}

bool TTirisC1Dlg::SendLfControl(uint8_t mode, uint16_t durationMs, Response& out) {
  std::vector<uint8_t> data{0x9E, mode};
  if (mode == 3) {
    data.push_back(static_cast<uint8_t>(durationMs & 0xFF));
    data.push_back(static_cast<uint8_t>(durationMs >> 8));
  }
  const std::vector<uint8_t> f = frame::BuildCommandFrame(data, frame::KindN);
  if (logTxFrames_) CommLog(hex::Bytes(f));
  WriteRaw(f.data(), f.size());
  if (mode == 3) return AwaitResponseFor(out, static_cast<uint16_t>(durationMs + 100u));
  return AwaitResponse(out);
}

void TTirisC1Dlg::SendPassThrough(const uint8_t* bytes, size_t count) {
  CommLog("-------------- " + LoadMessage(Msg::PassThrowMsg) + ": -----------------");
  if (logTxFrames_) {
    CommLog(LoadMessage(Msg::PassThrowMsg) + ": ");
    CommLog(hex::Bytes(bytes, count));
  }
  WriteRaw(bytes, count);
}

bool TTirisC1Dlg::ProbeReader() {
  Response out{};
  SendCommand({0x90});
  ProcessPendingEvents();
  return AwaitResponse(out);
}

// --- Wrappers ---

namespace {
// A command's data bytes: the code and its fixed parameters, the variable bytes, then the fixed
// bytes that follow them.
std::vector<uint8_t> CommandBytes(std::initializer_list<uint8_t> head,
                                  std::span<const uint8_t> tail = {},
                                  std::initializer_list<uint8_t> after = {}) {
  std::vector<uint8_t> v(head);
  v.insert(v.end(), tail.begin(), tail.end());
  v.insert(v.end(), after);
  return v;
}
}  // namespace

bool TTirisC1Dlg::ChargeOnlyRead(Response& out, int flag) {
  const bool ok = flag != 0 ? Exchange({0x10}, out) : Exchange({0x10, 0x00}, out);
  return ok && out[0] >= 10 && out[1] == 0x10;
}

bool TTirisC1Dlg::WriteAndProgram(Response& out, std::span<const uint8_t> bytes) {
  const bool ok = Exchange(CommandBytes({0x11, static_cast<uint8_t>(bytes.size())}, bytes), out);
  return ok && out[0] == 10 && out[1] == 0x11;
}

bool TTirisC1Dlg::GeneralReadPage(Response& out, uint8_t page) {
  return Exchange({0x12, page}, out) && out[0] == 11 && out[1] == 0x12;
}

bool TTirisC1Dlg::ProgramPage(Response& out, uint8_t page, std::span<const uint8_t, 8> bytes) {
  const bool ok = Exchange(CommandBytes({0x13, page, 0x08}, bytes), out);
  return ok && out[0] == 11 && out[1] == 0x13;
}

bool TTirisC1Dlg::LockPage(Response& out, uint8_t page) {
  return Exchange({0x14, page}, out);
}

bool TTirisC1Dlg::Sic279TraceabilityDataRead(Response& out) {
  return Exchange({0x50}, out);
}
bool TTirisC1Dlg::Sic279ChipConfigRead(Response& out) {
  return Exchange({0x51}, out);
}
bool TTirisC1Dlg::Sic279LockBitReadAll(Response& out) {
  return Exchange({0x52}, out);
}
bool TTirisC1Dlg::Sic279LockBitRead(Response& out, uint8_t p1) {
  return Exchange({0x55, p1}, out);
}
bool TTirisC1Dlg::Sic279ProtectedDirectAccess(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({0x57, p1, p2}, out);
}
bool TTirisC1Dlg::Sic279ProtectedWrite(Response& out, uint8_t p1, uint8_t p2,
                                       std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({0x58, p1, p2}, bytes), out);
}
bool TTirisC1Dlg::Sic279IdWrite(Response& out, uint8_t p1, std::span<const uint8_t, 8> bytes,
                                uint8_t p2) {
  return Exchange(CommandBytes({0x59, p1}, bytes, {p2}), out);
}
bool TTirisC1Dlg::IdReadFdx(Response& out) {
  return Exchange({0x70, 0x01}, out);
}
bool TTirisC1Dlg::IdReadAnimal(Response& out) {
  return Exchange({0x71}, out);
}
bool TTirisC1Dlg::IdReadHdxFdx(Response& out) {
  return Exchange({0x71, 0x02}, out);
}
bool TTirisC1Dlg::IdReadFecava(Response& out) {
  return Exchange({0x72}, out);
}
bool TTirisC1Dlg::Sic7888GetUid(Response& out, uint8_t p1) {
  return Exchange({0x80, p1}, out);
}
bool TTirisC1Dlg::Sic7888ReadBlock(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({0x81, p1, p2}, out);
}
bool TTirisC1Dlg::Sic7888ReadPage(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({0x82, p1, p2}, out);
}
bool TTirisC1Dlg::Sic7888WriteBlock(Response& out, uint8_t p1, uint8_t p2,
                                    std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({0x83, p1, p2}, bytes), out);
}
bool TTirisC1Dlg::Sic7888WritePage(Response& out, uint8_t p1, uint8_t p2,
                                   std::span<const uint8_t> bytes) {
  return Exchange(CommandBytes({0x84, p1, p2}, bytes), out);
}
bool TTirisC1Dlg::Sic7888ReadCt(Response& out, uint8_t p1) {
  return Exchange({0x87, p1}, out);
}
bool TTirisC1Dlg::Sic7888WriteCt(Response& out, uint8_t p1, uint8_t p2) {
  return Exchange({0x88, p1, p2}, out);
}
bool TTirisC1Dlg::Sic7888ReadBlock2(Response& out, uint8_t p1, uint8_t p2, uint8_t p3) {
  return Exchange({0x89, p1, p2, p3}, out);
}
bool TTirisC1Dlg::Sic7888WriteBlock2(Response& out, uint8_t p1, uint8_t p2, uint8_t n,
                                     std::span<const uint8_t> bytes) {
  return Exchange(
      CommandBytes({0x8A, p1, p2, n}, bytes.first(std::min<size_t>(bytes.size(), 4u * n))), out);
}
bool TTirisC1Dlg::GeneralReadPageCmd2(Response& out, uint8_t p1, uint8_t p2) {
  // An ACK without data has no echo to compare.
  return Exchange({0x8B, p1, p2}, out) && out[0] >= 1 && out[1] == 0x8B;
}
bool TTirisC1Dlg::WriteAndProgramCmd2(Response& out, uint8_t p1, uint8_t n,
                                      std::span<const uint8_t> bytes) {
  SendCommand(CommandBytes({0x8C, p1, n}, bytes.first(std::min<size_t>(bytes.size(), 8u * n))));
  return AwaitResponseFor(out, static_cast<uint16_t>(std::min(n * 310u, 65535u))) && out[0] >= 1 &&
         out[1] == 0x8C;
}
bool TTirisC1Dlg::Em4305WriteWord(Response& out, uint8_t word, std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({0xE0, word}, bytes), out);
}
bool TTirisC1Dlg::Em4305ReadWord(Response& out, uint8_t word) {
  return Exchange({0xE1, word}, out);
}
bool TTirisC1Dlg::Em4305Login(Response& out, std::span<const uint8_t, 4> password) {
  return Exchange(CommandBytes({0xE2}, password), out);
}
bool TTirisC1Dlg::Em4305Protect(Response& out, std::span<const uint8_t, 4> bytes) {
  return Exchange(CommandBytes({0xE3}, bytes), out);
}
void TTirisC1Dlg::Em4305Disable() {
  SendCommand({0xE4});
}
