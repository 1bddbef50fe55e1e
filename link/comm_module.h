#pragma once
// TTirisC1Dlg, the communication module: owns the serial port CommX1, the receiver, the
// send-and-wait exchange with its command wrappers and the tag tally. One exists at a time; the
// main window replaces it when the user picks another port. The exchange reaches the module
// through a ByteLink (link/byte_link.h): CommX1, or a MemoryLink where a test plays the module.
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "link/com_port.h"
#include "link/link_fault.h"
#include "link/millisecond_timer.h"
#include "link/port_registry.h"
#include "link/receiver.h"
#include "link/response.h"
#include "link/tag_tally.h"

class IniFile;
class LogPane;

// Serial link settings of section ComDebug that the module keeps without using them.
struct LinkExtras {
  int CharWaitTime = 80;
  int RWPower = 1;
  int CardType = 0;
  int MAX_REC_NO = 100;
  // The number of the last port on which the module answered its identification (0: none yet);
  // the open-port dialog preselects it and guesses nothing else.
  int LastWorkingPort = 0;
};

class TTirisC1Dlg : public QObject {
  Q_OBJECT
 public:
  // Loads section ComDebug of the settings file at settingsPath, creates the tally with its
  // capacity and lists the ports. Lines go to `log` (may be changed later with SetLogPane).
  TTirisC1Dlg(std::string settingsPath, LogPane* log, QObject* parent = nullptr);
  ~TTirisC1Dlg() override;

  // The serial port and its settings. The exchange runs over it unless another link is in use.
  TComPort& CommX1() { return commX1_; }
  const TComPort& CommX1() const { return commX1_; }
  // Carries the exchange over `link` instead of CommX1 from now on (tests, fuzzers and
  // benchmarks play the module through a MemoryLink); the module owns it. Returns it.
  template <class Link>
  Link& UseLink(std::unique_ptr<Link> link) {
    Link& ref = *link;
    AttachLink(std::move(link));
    return ref;
  }

  ResponseReceiver& Receiver() { return rx_; }
  const ResponseReceiver& Receiver() const { return rx_; }
  TagTally& Tally() { return tally_; }
  const TagTally& Tally() const { return tally_; }
  const LinkExtras& Extras() const { return extras_; }
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
  bool LogTxFrames() const { return logTxFrames_; }
  void SetLogTxFrames(bool on) { logTxFrames_ = on; }
  bool LogRxFrames() const { return rx_.LogRxFrames; }
  void SetLogRxFrames(bool on) { rx_.LogRxFrames = on; }
  bool LogRawBytes() const { return rx_.LogRawBytes; }
  void SetLogRawBytes(bool on) { rx_.LogRawBytes = on; }

  ResponseState State() const { return rx_.State(); }

  // Back to the state of a newly created module (receiver, tally, log flags, wait flags, the link
  // settings of ComDebug), keeping the link in use and the port list. The handlers fuzzer runs
  // every input on one module, for speed, and needs each to start where a new module would.
  void StartAfresh();

  // ComDebug section.
  void LoadLinkSettings();
  void SaveLinkSettings();
  const std::string& SettingsPath() const { return settingsPath_; }

  // Opens the named port with the current settings after resetting the receiver; throws
  // ComPortError when it cannot be opened. RTS and DTR are asserted unless the hardware preset is
  // active.
  void OpenNamedPort(const std::string& name);
  // Saves the link settings and closes the port (what closing the module does).
  void CloseModule();
  // Whether the link the exchange runs over is open (CommX1, or the network link of a network
  // port), and closing it.
  bool PortOpen() const { return link_->Connected(); }
  void ClosePort() { link_->Close(); }

  // --- Sending and waiting ---
  void SendCommand(std::span<const uint8_t> data);
  void SendCommand(std::initializer_list<uint8_t> data) {
    SendCommand(std::span<const uint8_t>(data.begin(), data.size()));
  }
  // Writes the bytes as they are. A write the link fails, or takes only in part, is logged with
  // its reason, and every wait until the next write ends at once with false.
  void WriteRaw(const uint8_t* bytes, size_t count);
  bool AwaitResponse(Response& out) { return AwaitResponseFor(out, 2000); }
  bool AwaitResponseFor(Response& out, uint16_t ms);
  void SendActionModeSet(uint8_t mode, uint8_t value);
  // The wait for the answer to a command sent while the module may still stream ID frames (the
  // switch back to command mode): ID frames that arrive first are logged and tallied as always
  // and counted in *idFrames, but do not end the wait, and an answer that arrives in one read
  // with the ID frames behind it is not lost to them. True on ACK (its data in out), false on
  // NACK, after ms with "Response Timed out", or when the port has vanished.
  bool AwaitAnswerAmidIdFrames(Response& out, uint32_t ms, int* idFrames = nullptr);
  bool SendLfControl(uint8_t mode, uint16_t durationMs, Response& out);
  void SendPassThrough(const uint8_t* bytes, size_t count);
  bool ProbeReader();
  // SendCommand + AwaitResponse.
  bool Exchange(std::initializer_list<uint8_t> data, Response& out);
  bool Exchange(std::span<const uint8_t> data, Response& out);

  // True while a wait is in progress (a second command is refused then).
  bool Waiting() const { return waitDepth_ > 0; }
  // The time-out of the latest wait, in milliseconds.
  uint16_t LastWaitMs() const { return lastWaitMs_; }
  // The port was open and has vanished since (a wait ends at once then).
  bool PortLost() const { return portLost_; }

  // Lets the event loop process what is pending, once.
  static void ProcessPendingEvents();
  // Pumps the event loop for ms milliseconds without spinning (the port's events still run).
  static void PumpFor(uint32_t ms);

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
  void AttachLink(std::unique_ptr<ByteLink> link);
  // A network port gets its own link (CommX1 keeps its name and settings); any other port, CommX1.
  void ChooseLinkFor(const std::string& name);
  // CommX1's settings changed while a network link is open: they go to the far end's port, or
  // the reason they cannot is logged.
  void CarryLineSettings();
  void StoreLinkSettings(IniFile& ini) const;
  void Listen(ByteLink& link);
  void OnRxChar(size_t count, uint32_t seenMs);
  void OnComError(TComErrors errors);
  void CommFault(LinkFault fault, const std::string& line);

  TComPort commX1_;
  // The link the exchange runs over: commX1_, or otherLink_ when one is in use.
  ByteLink* link_ = &commX1_;
  std::unique_ptr<ByteLink> otherLink_;
  bool networkLink_ = false;  // otherLink_ was made for a network port
  ResponseReceiver rx_;
  TagTally tally_;
  LinkExtras extras_;
  std::vector<std::string> portList_;
  std::vector<PortInfo> portInfos_;
  bool logTxFrames_ = true;

  std::string settingsPath_;
  LogPane* log_ = nullptr;
  MillisecondTimer waitMark_;
  int waitDepth_ = 0;
  bool refusedWrite_ = false;
  bool writeFailed_ = false;    // the latest write failed or stopped short
  bool portLost_ = false;       // the open port vanished (hang-up, unplugged adapter)
  bool lossExplained_ = false;  // the first command after the loss has said why it was not sent
  uint16_t lastWaitMs_ = 0;
};
