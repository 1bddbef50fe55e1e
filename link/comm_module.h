#pragma once
// TTirisC1Dlg, the communication module: the one front handlers use. It puts together the link
// settings of section ComDebug (link/link_settings.h), the exchange over a ByteLink
// (link/link_exchange.h), the port list, the tag tally and the command wrappers
// (link/command_wrappers.cpp). One exists at a time; the main window replaces it when the user
// picks another port. The link is made by MakeByteLink when a port is opened, or comes in
// through UseLink where a test plays the module.
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "link/byte_link.h"
#include "link/event_pump.h"
#include "link/frame.h"
#include "link/link_exchange.h"
#include "link/link_fault.h"
#include "link/link_settings.h"
#include "link/listeners.h"
#include "link/port_registry.h"
#include "link/receiver.h"
#include "link/response.h"
#include "link/tag_tally.h"

class LogPane;

class TTirisC1Dlg : public QObject {
  Q_OBJECT
 public:
  // Loads section ComDebug of the settings file at settingsPath, creates the tally with its
  // capacity and lists the ports. Lines go to `log` (may be changed later with SetLogPane).
  TTirisC1Dlg(std::string settingsPath, LogPane* log, QObject* parent = nullptr);
  ~TTirisC1Dlg() override;

  // Carries the exchange over `link` from now on (tests, fuzzers and benchmarks play the module
  // through a MemoryLink); the module owns it, and opening a port opens it again instead of
  // making a new link. Returns it.
  template <class Link>
  Link& UseLink(std::unique_ptr<Link> link) {
    Link& ref = *link;
    exchange_.Attach(std::move(link));
    linkGiven_ = true;
    return ref;
  }
  // The link in use: null before a port was first opened.
  ByteLink* CurrentLink() { return exchange_.Link(); }
  const ByteLink* CurrentLink() const { return exchange_.Link(); }

  // --- The port and its settings ---
  // The link settings of ComDebug as they stand now (the port's name, line, extras).
  const LinkSettings& Settings() const { return settings_; }
  // The port opened last, or to be opened next.
  const std::string& PortName() const { return settings_.port; }
  void SetPortName(const std::string& name) { settings_.port = name; }
  const LineSettings& Line() const { return settings_.line; }
  // Sets the line settings and applies them to the open link; returns why they cannot apply
  // there ("" when they do). fcCustom is only ever reported and leaves the flow control as is.
  std::string SetLine(const LineSettings& line);
  std::string SetBaudRate(TBaudRate rate);
  // The link is open.
  bool Connected() const { return exchange_.Connected(); }
  // Closes the link without saving the settings (the runner's reconnect, a port settings
  // change). Never throws.
  void ClosePort() { exchange_.Close(); }

  ResponseReceiver& Receiver() { return exchange_.Receiver(); }
  const ResponseReceiver& Receiver() const { return exchange_.Receiver(); }
  TagTally& Tally() { return tally_; }
  const TagTally& Tally() const { return tally_; }
  const LinkExtras& Extras() const { return settings_.extras; }
  // The current port answered as the module: remembered as the last port that worked (saved with
  // the link settings).
  void NoteWorkingPort();
  // Port names listed when the module was created, sorted as text (the open-port dialog's list).
  const std::vector<std::string>& PortList() const { return portList_; }
  void SetPortList(std::vector<std::string> names) { portList_ = std::move(names); }
  // The ports of that list with their devices and descriptions (one scan of the system serves
  // both).
  const std::vector<PortInfo>& PortInfos() const { return portInfos_; }
  // Lists the system's ports again (a device plugged in since the module was created).
  void RefreshPorts();

  void SetLogPane(LogPane* log) { log_ = log; }
  LogPane* CurrentLogPane() const { return log_; }
  // Communication module's log writer (5000-line rule).
  void CommLog(const std::string& line);
  // Told of every failed command besides its log line: the receiver's NACK, SUM and format
  // errors, time-outs, failed or refused writes and line errors (app/outcome.h counts them).
  std::function<void(LinkFault fault, const std::string& line)> OnFault;
  // Told once, at the moment it happens, that the open port vanished (hang-up, unplugged
  // adapter), with the port's name.
  std::function<void(const std::string& port)> OnPortLost;

  // The main window's "Animal ID" display flag; decorates ID lines.
  bool AnimalIdDisplay = false;

  // Log flags (LogRxFrames and LogRawBytes live in the receiver).
  bool LogTxFrames() const { return exchange_.LogTxFrames(); }
  void SetLogTxFrames(bool on) { exchange_.SetLogTxFrames(on); }
  bool LogRxFrames() const { return Receiver().LogRxFrames; }
  void SetLogRxFrames(bool on) { Receiver().LogRxFrames = on; }
  bool LogRawBytes() const { return Receiver().LogRawBytes; }
  void SetLogRawBytes(bool on) { Receiver().LogRawBytes = on; }

  ResponseState State() const { return Receiver().State(); }

  // Back to the state of a newly created module (receiver, tally, log flags, wait flags, the link
  // settings of ComDebug), keeping the link in use and the port list. The handlers fuzzer runs
  // every input on one module, for speed, and needs each to start where a new module would.
  void StartAfresh();

  // ComDebug section.
  void LoadLinkSettings();
  void SaveLinkSettings();
  const std::string& SettingsPath() const { return settingsPath_; }

  // Opens the named port with the current line settings after resetting the receiver (a link
  // given through UseLink is opened again); throws ComPortError when it cannot be opened. RTS
  // and DTR are asserted unless the hardware preset is active.
  void OpenNamedPort(const std::string& name);
  // Saves the link settings and closes the port (what closing the module does).
  void CloseModule();

  // --- Sending and waiting ---
  void SendCommand(std::span<const uint8_t> data) { exchange_.SendCommand(data, frame::KindM); }
  void SendCommand(std::initializer_list<uint8_t> data) {
    SendCommand(std::span<const uint8_t>(data.begin(), data.size()));
  }
  // Writes the bytes as they are. A write the link fails, or takes only in part, is logged with
  // its reason, and every wait until the next write ends at once with false.
  void WriteRaw(const uint8_t* bytes, size_t count) { exchange_.WriteRaw(bytes, count); }
  bool AwaitResponse(Response& out) { return AwaitResponseFor(out, 2000); }
  bool AwaitResponseFor(Response& out, uint16_t ms) { return exchange_.AwaitResponseFor(out, ms); }
  void SendActionModeSet(uint8_t mode, uint8_t value);
  // The wait for the answer to a command sent while the module may still stream ID frames (the
  // switch back to command mode): ID frames that arrive first are logged and tallied as always
  // and counted in *idFrames, but do not end the wait, and an answer that arrives in one read
  // with the ID frames behind it is not lost to them. True on ACK (its data in out), false on
  // NACK, after ms with "Response Timed out", or when the port has vanished.
  bool AwaitAnswerAmidIdFrames(Response& out, uint32_t ms, int* idFrames = nullptr) {
    return exchange_.AwaitAnswerAmidIdFrames(out, ms, idFrames);
  }
  bool SendLfControl(uint8_t mode, uint16_t durationMs, Response& out);
  void SendPassThrough(const uint8_t* bytes, size_t count);
  bool ProbeReader();
  // SendCommand + AwaitResponse.
  bool Exchange(std::initializer_list<uint8_t> data, Response& out);
  bool Exchange(std::span<const uint8_t> data, Response& out);

  // True while a wait is in progress (a second command is refused then).
  bool Waiting() const { return exchange_.Waiting(); }
  // The time-out of the latest wait, in milliseconds.
  uint16_t LastWaitMs() const { return static_cast<uint16_t>(exchange_.LastWaitMs()); }
  // The port was open and has vanished since (a wait ends at once then).
  bool PortLost() const { return exchange_.PortLost(); }

  // Lets the event loop process what is pending, once.
  static void ProcessPendingEvents();
  // Pumps the event loop for ms milliseconds without spinning (the port's events still run).
  static void PumpFor(uint32_t ms) { PumpUntil(nullptr, ms); }

  // --- Wrappers: data bytes after the code as named; true when the success check holds ---
  bool ChargeOnlyRead(Response& out, int flag);
  bool WriteAndProgram(Response& out, std::span<const uint8_t> bytes);
  bool GeneralReadPage(Response& out, uint8_t page);
  bool ProgramPage(Response& out, uint8_t page, std::span<const uint8_t, 8> bytes);
  bool LockPage(Response& out, uint8_t page);
  bool Sic279TraceabilityDataRead(Response& out);
  bool Sic279ChipConfigRead(Response& out);
  bool Sic279LockBitReadAll(Response& out);
  bool Sic279LockBitRead(Response& out, uint8_t p1);
  bool Sic279ProtectedDirectAccess(Response& out, uint8_t p1, uint8_t p2);
  bool Sic279ProtectedWrite(Response& out, uint8_t p1, uint8_t p2,
                            std::span<const uint8_t, 4> bytes);
  bool Sic279IdWrite(Response& out, uint8_t p1, std::span<const uint8_t, 8> bytes, uint8_t p2);
  bool IdReadFdx(Response& out);
  bool IdReadAnimal(Response& out);
  bool IdReadHdxFdx(Response& out);
  bool IdReadFecava(Response& out);
  bool Sic7888GetUid(Response& out, uint8_t p1);
  bool Sic7888ReadBlock(Response& out, uint8_t p1, uint8_t p2);
  bool Sic7888ReadPage(Response& out, uint8_t p1, uint8_t p2);
  bool Sic7888WriteBlock(Response& out, uint8_t p1, uint8_t p2, std::span<const uint8_t, 4> bytes);
  bool Sic7888WritePage(Response& out, uint8_t p1, uint8_t p2, std::span<const uint8_t> bytes);
  bool Sic7888ReadCt(Response& out, uint8_t p1);
  bool Sic7888WriteCt(Response& out, uint8_t p1, uint8_t p2);
  bool Sic7888ReadBlock2(Response& out, uint8_t p1, uint8_t p2, uint8_t p3);
  // n blocks of 4 bytes each follow n.
  bool Sic7888WriteBlock2(Response& out, uint8_t p1, uint8_t p2, uint8_t n,
                          std::span<const uint8_t> bytes);
  bool GeneralReadPageCmd2(Response& out, uint8_t p1, uint8_t p2);
  // n pages of 8 bytes each; waits n x 310 ms.
  bool WriteAndProgramCmd2(Response& out, uint8_t p1, uint8_t n, std::span<const uint8_t> bytes);
  bool Em4305WriteWord(Response& out, uint8_t word, std::span<const uint8_t, 4> bytes);
  bool Em4305ReadWord(Response& out, uint8_t word);
  bool Em4305Login(Response& out, std::span<const uint8_t, 4> password);
  bool Em4305Protect(Response& out, std::span<const uint8_t, 4> bytes);
  void Em4305Disable();

 private:
  void Fault(LinkFault fault, const std::string& line) {
    if (OnFault) OnFault(fault, line);
  }

  LinkSettings settings_;
  LinkExchange exchange_;
  // The link came through UseLink: opening a port opens it again.
  bool linkGiven_ = false;
  TagTally tally_;
  Subscription tallying_;
  std::vector<std::string> portList_;
  std::vector<PortInfo> portInfos_;

  std::string settingsPath_;
  LogPane* log_ = nullptr;
};
