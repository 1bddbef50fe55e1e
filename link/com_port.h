#pragma once
// TComPort: the serial port service on POSIX termios, the byte link of the real module. A worker
// thread watches the line and hands every event to the thread that owns the port object (the
// user-interface thread), waiting until the handler has run before it watches again.
#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "link/byte_link.h"
#include "link/line_settings.h"

class TComPort : public QObject, public ByteLink {
  Q_OBJECT
 public:
  explicit TComPort(QObject* parent = nullptr);
  ~TComPort() override;

  // "COMn" (looked up in the port registry) or a device path such as /dev/ttyUSB0.
  void SetPort(const std::string& name) { port_ = name; }
  const std::string& Port() const { return port_; }

  TBaudRate BaudRate() const { return baud_; }
  void SetBaudRate(TBaudRate rate);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits bits);
  TParityBits Parity() const { return parity_; }
  void SetParity(TParityBits parity);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits bits);
  // The three presets; fcCustom is only ever reported, never selected.
  TFlowControl FlowControl() const { return flow_; }
  void SetFlowControl(TFlowControl flow);

  bool Connected() const override { return fd_ >= 0; }
  // Device path of the open port (empty while closed).
  const std::string& DevicePath() const { return device_; }

  // Opens the selected port; on failure throws ComPortError naming the port and the reason and
  // leaves the port closed.
  void Open() override;
  // Stops the watcher and releases the port. Never throws.
  void Close() override;

  // Writes all bytes within the write time-outs (100 ms per byte plus 1000 ms); the result holds
  // the number written and, when that is short, the error that stopped the write (0: time-out).
  WriteResult Write(const uint8_t* bytes, size_t count) override;
  // Copies up to count waiting bytes; never waits.
  size_t Read(uint8_t* buffer, size_t count) override;
  // Bytes waiting in the input queue.
  size_t InputCount() const override;
  // Sets every line setting at once and applies them when the port is open.
  std::string ApplyLineSettings(const LineSettings& settings) override;
  LineSettings Line() const { return {baud_, dataBits_, parity_, stopBits_, flow_}; }
  // Blocks until the worker has handed over an event that the owner's thread has not taken yet
  // (true), or `limit` passes (false). Lets a test hold the owner's thread at that moment.
  bool AwaitHandedOver(std::chrono::milliseconds limit);

  // Told after every change of the line settings (the communication module carries them to a
  // network port's far end).
  std::function<void()> OnSettingsChanged;

  // Assert or clear RTS/DTR. On a device without modem lines (a pseudo-terminal) this is not
  // supported and quietly does nothing; returns whether the line was set.
  bool SetRTS(bool on);
  bool SetDTR(bool on);

 private:
  void ApplySettings();
  // After a setting was set: applied to the open port, and told when it changed.
  void Changed(bool differs);
  void Watch(int fd, int wakeFd, uint64_t generation);
  // Called on the worker: hands an event to the owner's thread and waits until it has run or
  // the port closes.
  // seenMs: MillisecondTimer time when the worker saw the bytes waiting.
  void HandOver(uint64_t generation, TComErrors errors, bool vanished, uint32_t seenMs);
  // On the owner's thread: takes the handed-over event and runs its handlers.
  void OnEventFd();
  void RunEvent(uint64_t generation, TComErrors errors, bool vanished, uint32_t seenMs);

  std::string port_ = "COM1";
  std::string device_;
  TBaudRate baud_ = TBaudRate::br9600;
  TDataBits dataBits_ = TDataBits::dbEight;
  TParityBits parity_ = TParityBits::prNone;
  TStopBits stopBits_ = TStopBits::sbOneStopBit;
  TFlowControl flow_ = TFlowControl::fcNone;

  int fd_ = -1;
  int wake_[2] = {-1, -1};
  std::thread worker_;
  uint64_t generation_ = 0;  // bumped by every open and close

  // The hand-over: the worker fills pending_ under the mutex and signals the eventfd; the
  // owner's thread runs the event and sets eventDone_. Nothing else is shared between threads.
  struct PendingEvent {
    bool pending = false;
    uint64_t generation = 0;
    TComErrors errors = 0;
    bool vanished = false;
    uint32_t seenMs = 0;
  };
  int eventFd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  std::mutex mutex_;
  std::condition_variable handled_;
  PendingEvent pending_;
  bool eventDone_ = false;
  std::atomic<bool> stopping_{false};
};
