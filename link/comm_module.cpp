#include "link/comm_module.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <vector>

#include "core/hex.h"
#include "core/ini_file.h"
#include "core/log_pane.h"
#include "core/messages.h"
#include "core/settings_file.h"
#include "core/ui_text.h"
#include "link/command_codes.h"
#include "link/frame.h"
#include "link/link_factory.h"
#include "link/port_registry.h"

TTirisC1Dlg::TTirisC1Dlg(std::string settingsPath, LogPane* log, QObject* parent)
    : QObject(parent), tally_(0), settingsPath_(std::move(settingsPath)), log_(log) {
  exchange_.log = [this](const std::string& line) { CommLog(line); };
  exchange_.fault = [this](LinkFault fault, const std::string& line) { Fault(fault, line); };
  exchange_.lost = [this] {
    if (OnPortLost) OnPortLost(settings_.port);
  };
  ResponseReceiver& rx = Receiver();
  rx.log = [this](const std::string& line) { CommLog(line); };
  rx.fault = [this](LinkFault fault, const std::string& line) { Fault(fault, line); };
  rx.animalIdDisplay = [this] { return AnimalIdDisplay; };
  tallying_ = rx.tally.Subscribe([this](const std::string&, const std::string& id) {
    tally_.TallyId(Receiver().LastId(), id);
  });
  LoadLinkSettings();
  tally_ = TagTally(settings_.extras.MAX_REC_NO);
  tally_.ClearTally();
  RefreshPorts();
}

TTirisC1Dlg::~TTirisC1Dlg() = default;

void TTirisC1Dlg::RefreshPorts() {
  portInfos_ = port_registry::List();
  portList_.clear();
  for (const PortInfo& p : portInfos_) portList_.push_back(p.name);
}

void TTirisC1Dlg::StartAfresh() {
  exchange_.StartAfresh();
  AnimalIdDisplay = false;
  LoadLinkSettings();
  tally_ = TagTally(settings_.extras.MAX_REC_NO);
  tally_.ClearTally();
}

void TTirisC1Dlg::CommLog(const std::string& line) {
  if (log_) AppendLogLine(*log_, line);
}

void TTirisC1Dlg::LoadLinkSettings() {
  settings_ = LoadLinkSettingsFile(settingsPath_);
  if (ByteLink* link = exchange_.Link()) link->ApplyLineSettings(settings_.line);
}

void TTirisC1Dlg::SaveLinkSettings() {
  SaveLinkSettingsFile(settingsPath_, settings_);
}

std::string TTirisC1Dlg::SetLine(const LineSettings& line) {
  LineSettings next = line;
  if (line.flow == TFlowControl::fcCustom) next.flow = settings_.line.flow;
  if (next == settings_.line) return {};  // nothing to ask of the link
  settings_.line = next;
  ByteLink* link = exchange_.Link();
  if (!link) return {};
  // A link that cannot carry them (a raw TCP port) says why; on an open link that is a line
  // fault of the command that asked for the change.
  std::string why = link->ApplyLineSettings(settings_.line);
  if (!why.empty() && link->Connected()) {
    CommLog(why);
    Fault(LinkFault::LineError, why);
  }
  return why;
}

std::string TTirisC1Dlg::SetBaudRate(TBaudRate rate) {
  LineSettings line = settings_.line;
  line.baud = rate;
  return SetLine(line);
}

void TTirisC1Dlg::OpenNamedPort(const std::string& name) {
  exchange_.Close();
  settings_.port = name;
  if (!linkGiven_ || !exchange_.Link()) exchange_.Attach(MakeByteLink(name, settings_.line));
  exchange_.Open();
  if (exchange_.Connected() && settings_.line.flow != TFlowControl::fcHardware)
    exchange_.Link()->SetModemLines(true);
}

void TTirisC1Dlg::CloseModule() {
  SaveLinkSettings();
  exchange_.Close();
}

void TTirisC1Dlg::NoteWorkingPort() {
  const int n = PortNameToNumber(settings_.port);
  if (settings_.port.rfind("COM", 0) == 0 && n > 0) settings_.extras.LastWorkingPort = n;
}

void TTirisC1Dlg::ProcessPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TTirisC1Dlg::Exchange(std::span<const uint8_t> data, Response& out) {
  SendCommand(data);
  return AwaitResponse(out);
}

bool TTirisC1Dlg::Exchange(std::initializer_list<uint8_t> data, Response& out) {
  return Exchange(std::span<const uint8_t>(data.begin(), data.size()), out);
}

void TTirisC1Dlg::SendActionModeSet(uint8_t mode, uint8_t value) {
  std::vector<uint8_t> data{cmd::ActionModeSet, mode};
  if (mode == 3 || value != 0) data.push_back(value);
  if (LogTxFrames()) CommLog(LoadMessage(Msg::DousaModeSet_CMDMsg));
  exchange_.SendCommand(data, frame::KindM);
}

bool TTirisC1Dlg::SendLfControl(uint8_t mode, uint16_t durationMs, Response& out) {
  std::vector<uint8_t> data{cmd::LfControl, mode};
  if (mode == 3) {
    data.push_back(static_cast<uint8_t>(durationMs & 0xFF));
    data.push_back(static_cast<uint8_t>(durationMs >> 8));
  }
  const std::vector<uint8_t> f = frame::BuildCommandFrame(data, frame::KindN);
  if (LogTxFrames()) CommLog(hex::Bytes(f));
  WriteRaw(f.data(), f.size());
  if (mode == 3) return AwaitResponseFor(out, static_cast<uint16_t>(durationMs + 100u));
  return AwaitResponse(out);
}

void TTirisC1Dlg::SendPassThrough(const uint8_t* bytes, size_t count) {
  CommLog("-------------- " + LoadMessage(Msg::PassThrowMsg) + ": -----------------");
  if (LogTxFrames()) {
    CommLog(LoadMessage(Msg::PassThrowMsg) + ": ");
    CommLog(hex::Bytes(bytes, count));
  }
  WriteRaw(bytes, count);
}

bool TTirisC1Dlg::ProbeReader() {
  Response out{};
  SendCommand({cmd::RomVersion});
  ProcessPendingEvents();
  return AwaitResponse(out);
}
