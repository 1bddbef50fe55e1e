#pragma once
// Runs the simulated module on a pseudo-terminal, on a thread of its own. Tests use it in-process:
//
//   sim::Simulator s(options);          // options.module, wire time, COM number, ...
//   s.Start();                          // the slave is ready for the host when this returns
//   open(s.DevicePath()) ...            // talk to it like a serial port
//   s.UpdateFaults([](FaultPlan& f) { f.badSum = 1; });
//   s.TheField().Insert(tag);
//   s.WaitUntil([](const SimCounters& c) { return c.module.commands >= 1; }, 2s);
//   s.HangUp(); s.Reopen();
//
// The module only listens and talks while the host's port is set to the module's speed; bytes
// at any other speed are line noise to it.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/line_pacer.h"
#include "sim/module.h"
#include "sim/pty_link.h"

namespace sim {

struct SimulatorOptions {
  ModuleConfig module;
  bool wireTime = true;  // pace the line at the module's speed
  int comNumber = 0;     // register COM<n> for the slave (0: do not register)
  // After a hang-up, open a new pty after this long (negative: stay down until Reopen()).
  Duration reopenAfter = Duration(-1);
  // Event lines (opened, hung up, frames when traceFrames); called on the simulator's thread
  // under its lock, so it must not call back into the simulator.
  std::function<void(const std::string&)> log;
  bool traceFrames = false;
};

struct SimCounters {
  ModuleCounters module;
  uint64_t bytesOut = 0;         // bytes written to the host
  uint64_t wrongSpeedBytes = 0;  // bytes not sent because the host's speed was not the module's
  uint64_t droppedStream = 0;    // 'I' frames lost while the host did not read
  uint64_t floodWaits = 0;       // times a flood without wire time waited for a full line
  uint64_t opens = 0;
  uint64_t hangups = 0;
};

class Simulator {
 public:
  explicit Simulator(SimulatorOptions options, std::shared_ptr<Field> field = nullptr);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Opens the pty, registers it and starts the thread. False with the reason on failure.
  bool Start(std::string* error = nullptr);
  // Stops the thread, hangs up and removes the registration. Safe to call twice.
  void Stop();
  bool Running() const;

  std::string DevicePath() const;  // empty while hung up
  std::string ComName() const;     // "COM9"; empty when not registered

  Field& TheField() { return *field_; }
  std::shared_ptr<Field> FieldPtr() const { return field_; }

  FaultPlan Faults() const;
  void SetFaults(const FaultPlan& plan);
  void UpdateFaults(const std::function<void(FaultPlan&)>& change);
  void SetWireTime(bool on);
  void SetStreamInterval(Duration interval);
  void SetFlood(bool on);

  SimCounters Counters() const;
  // Waits until done(counters) holds (checked after every step of the simulator); false on
  // time-out.
  bool WaitUntil(const std::function<bool(const SimCounters&)>& done, Duration timeout);
  // Runs fn on the module under the simulator's lock (its memory, mode, carrier, ...).
  void WithModule(const std::function<void(Module&)>& fn);

  // Closes the master: the host sees its device vanish. Returns once done.
  void HangUp();
  // A new pty (new device path), registered under the same COM number.
  bool Reopen(std::string* error = nullptr);

 private:
  void Run();
  bool OpenLine(std::string* error);
  void CloseLine(TimePoint now, bool scheduleReopen);
  void ReadHost(std::vector<uint8_t>& buffer);
  void Deliver(const uint8_t* bytes, size_t count, TimePoint now);
  // Tells the module how many flood bytes the line can still take (without wire time).
  void UpdateFloodBudget();
  void Pump(TimePoint now);
  void FlushLine(TimePoint now);
  std::optional<TimePoint> NextDeadline() const;
  void Wake();
  void Log(const std::string& line) const;
  SimCounters CountersLocked() const;

  SimulatorOptions options_;
  std::shared_ptr<Field> field_;
  Module module_;
  LinePacer pacer_;
  PtyLink pty_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
  int wake_ = -1;
  bool running_ = false;
  bool stopping_ = false;
  bool hangupRequested_ = false;
  bool reopenRequested_ = false;
  bool reopenOk_ = false;
  std::string reopenError_;
  std::optional<TimePoint> reopenAt_;
  std::string registeredPath_;

  std::vector<uint8_t> pendingWrite_;  // part of a chunk the pty would not take yet
  bool writeBlocked_ = false;
  bool floodWaiting_ = false;  // the flood is waiting for room on the line
  TimePoint rxLineFreeAt_{};
  SimCounters link_;
  std::vector<Emission> emissions_;
};

}  // namespace sim
