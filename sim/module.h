#pragma once
// The simulated QZH-900 module, without a line or threads: bytes from the host go in through
// Receive, the bytes it sends come out of Transmit, and every call carries the time, so the
// caller decides what time it is (the runner uses the steady clock, tests a clock of their own).
//
// It assembles command frames, answers frame errors (NACK 0x42 bad SUM, 0x41 bad length or a
// frame cut short, 0x44 unknown command), carries out the module commands, passes tag commands
// to the field, streams 'I' frames in the read-loop modes 2 and 6, and injects the faults of
// its FaultPlan into its answers.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/command_assembler.h"
#include "sim/faults.h"
#include "sim/field.h"
#include "sim/parameter_memory.h"
#include "sim/sim_time.h"

namespace sim {

struct ModuleConfig {
  std::string romVersion = "1100LFS00";
  std::string modelName = "QZH-900";
  std::string progModeText = "ST_PROG_MODE:OFF";
  int baud = 57600;  // factory speed, and the speed at power-up
  Duration streamInterval = std::chrono::milliseconds(100);
  bool flood = false;  // stream back to back at line rate
  // Time between the end of a command and the start of its answer.
  Duration airTime{};
  std::map<uint8_t, Duration> airTimeByCode;  // overrides airTime for these command codes
  // Silence after which an unfinished command frame is dropped (and answered with 0x41).
  Duration charTimeout = std::chrono::milliseconds(100);
  // Deaf time after a restart.
  Duration restartTime{};
};

// 1010LFS00 is level 1, 1020LFS00 level 2, anything else answers every command (level 3).
int RomLevelOf(const std::string& version);

struct ModuleCounters {
  uint64_t bytesIn = 0;     // bytes taken at the module's speed
  uint64_t noiseBytes = 0;  // bytes at a wrong speed or while restarting
  uint64_t frames = 0;      // complete command frames, good or bad
  uint64_t badSum = 0;
  uint64_t badLength = 0;  // wrong ETX/CR position, or cut short
  uint64_t commands = 0;   // good frames
  uint64_t acks = 0;
  uint64_t nacks = 0;
  uint64_t unanswered = 0;   // by a fault, or the buzzer without reply
  uint64_t ignoredBusy = 0;  // commands during a timed LF carrier
  uint64_t idFrames = 0;     // 'I' frames streamed
  uint64_t restarts = 0;
  // Line noise sent by the noise fault.
  uint64_t noiseStrayBytes = 0;
  uint64_t noiseBadSumFrames = 0;
  uint64_t noiseBadFormatFrames = 0;
};

struct Emission {
  int baud = 0;  // speed the module talks at when it sends these bytes
  std::vector<uint8_t> bytes;
  bool stream = false;  // a streamed 'I' frame
};

class Module {
 public:
  Module(ModuleConfig config, std::shared_ptr<Field> field, TimePoint now);

  // Bytes whose last one has fully arrived at `at` (times never go backwards).
  void Receive(std::span<const uint8_t> bytes, TimePoint at);
  // Bytes sent at a speed other than the module's: line noise that breaks a frame in progress.
  void Noise(size_t count, TimePoint at);
  // Everything due by now, in order, appended to out.
  void Transmit(TimePoint now, std::vector<Emission>& out);
  // When the next thing falls due; nullopt when nothing is pending.
  std::optional<TimePoint> NextDue() const;
  // Power cycle (the adapter was unplugged): like a restart, without an answer.
  void PowerUp(TimePoint now);

  int Baud() const { return baud_; }
  uint8_t ActionMode() const { return mode_; }
  bool Streaming() const { return mode_ == 2 || mode_ == 6; }
  // Streaming, and not held back by a line that is full.
  bool StreamReady() const {
    return Streaming() && !(config_.flood && floodBudget_ && *floodBudget_ == 0);
  }
  bool CarrierOn(TimePoint now) const { return carrierOn_ && now < carrierUntil_; }
  int RomLevel() const { return romLevel_; }
  // The LF transmission level the module drives its antenna with (system parameter 2).
  int LfLevel() const { return memory_.Word(ParameterMemory::kLfLevelWord); }

  const ModuleConfig& Config() const { return config_; }
  void SetStreamInterval(Duration interval) { config_.streamInterval = interval; }
  void SetFlood(bool on) { config_.flood = on; }
  // Without wire time the flood is paced by the line instead of the clock: frames go out back
  // to back while the bytes the line can still take (the budget) last, and wait while it is
  // full. nullopt: paced at line rate by the clock.
  void SetFloodBudget(std::optional<size_t> bytes) { floodBudget_ = bytes; }

  ParameterMemory& Memory() { return memory_; }
  const ParameterMemory& Memory() const { return memory_; }
  Field& TheField() { return *field_; }
  FaultPlan& Faults() { return faults_; }
  const FaultPlan& Faults() const { return faults_; }
  const ModuleCounters& Counters() const { return counters_; }
  // Answers held back by a "late" fault go out at `now` instead (a test's moment of choice).
  void ReleaseLateAnswers(TimePoint now);
  // True once when a hang-up fault has fired.
  bool TakeHangupRequest();

 private:
  // What a command comes to: an answer (or none), how much later than usual, and what follows.
  struct Outcome {
    std::optional<TagReply> reply;
    Duration delay{};
    bool restart = false;  // restart once the answer is out
    bool stream = false;   // a read-loop mode begins once the answer is out
  };
  struct Pending {
    TimePoint due;
    uint64_t seq = 0;
    std::vector<uint8_t> bytes;
    bool restart = false;
  };

  void Advance(TimePoint t);
  void OnFrame(const AssembledFrame& f, TimePoint at);
  Outcome Execute(uint8_t kind, std::span<const uint8_t> data, TimePoint at);
  Outcome ModuleCommand(uint8_t code, std::span<const uint8_t> p, TimePoint at);
  Outcome SetActionMode(std::span<const uint8_t> p);
  Outcome SystemParameter(uint8_t code, std::span<const uint8_t> p);
  Outcome EepromRead(std::span<const uint8_t> p);
  Outcome EepromWrite(std::span<const uint8_t> p);
  Outcome LfControl(std::span<const uint8_t> p, TimePoint at);
  // Queues the frame for reply (faults applied); returns when it is due. code picks the air
  // time (negative: a frame error).
  TimePoint Answer(const TagReply& reply, int code, TimePoint at, Duration delay);
  void Schedule(TimePoint due, std::vector<uint8_t> bytes, bool restart);
  void Restart(TimePoint at);
  void StreamOnce(TimePoint at);
  bool NoiseOn() const { return Streaming() && faults_.noiseRate > 0; }
  Duration NoiseInterval() const;
  void NoiseOnce(TimePoint at);
  void NoteFlashWrite(int words);
  std::optional<TimePoint> CharDeadline() const;

  ModuleConfig config_;
  std::shared_ptr<Field> field_;
  ParameterMemory memory_;
  FaultPlan faults_;
  bool spared_ = false;  // the command being answered escapes the faults
  ModuleCounters counters_;
  CommandAssembler assembler_;
  int romLevel_;

  int baud_;
  uint8_t mode_ = 4;
  bool carrierOn_ = false;
  TimePoint carrierUntil_{};
  uint64_t carrierSession_ = 0;  // switch-ons of the carrier (AirContext::carrierSession)
  TimePoint busyUntil_{};        // timed LF carrier: no commands until then
  TimePoint deafUntil_{};        // restarting
  TimePoint lastByte_{};
  TimePoint nextStream_{};
  TimePoint nextNoise_{};
  uint64_t noiseEvents_ = 0;
  size_t floodCursor_ = 0;
  std::optional<size_t> floodBudget_;
  uint16_t flashWrPos_ = 0x0040;
  uint8_t flashInitFlag_ = 1;
  bool hangupRequested_ = false;

  std::deque<Pending> outbox_;
  std::vector<Emission> ready_;
  uint64_t seq_ = 0;
};

}  // namespace sim
