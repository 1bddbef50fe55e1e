#pragma once
// Faults the simulator can inject, each for the next N commands or answers (kAlways: until
// switched off). Set from tests at run time (Simulator::UpdateFaults) and from options.
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sim {

struct FaultPlan {
  static constexpr int kAlways = -1;

  // Answers (ACK and NACK frames; streamed 'I' frames are left alone):
  int badSum = 0;     // SUM off by one
  int dropByte = 0;   // one byte missing from the middle of the frame
  int extraByte = 0;  // one stray byte inserted in the middle of the frame
  int raccess = 0;    // sent as a Raccess frame carrying the answer
  int garbage = 0;    // preceded by garbageBytes bytes of line noise (never an STX)
  int garbageBytes = 6;
  int late = 0;  // sent lateBy later than due
  std::chrono::milliseconds lateBy{0};
  // Commands:
  int missing = 0;  // not answered at all
  int nack = 0;     // answered with NACK nackCode instead of being carried out
  uint8_t nackCode = 0x44;
  int hangupAfter = 0;  // the hangupAfter-th command from now hangs the line up (0: never)
  // The next `spare` commands are carried out and answered untouched before the faults above
  // apply (an identification that must succeed first); hangupAfter counts them all the same.
  int spare = 0;
  // Line noise: in read-loop mode, noiseRate times a second, in turn kNoiseStrayBytes stray
  // bytes, a frame with a wrong SUM and a frame of an unknown type, between the 'I' frames.
  int noiseRate = 0;
  static constexpr size_t kNoiseStrayBytes = 3;

  bool operator==(const FaultPlan&) const = default;
};

// True when a fault with this count applies now; uses up one of a positive count.
bool TakeFault(int& count);

// Frame surgery on a complete response frame.
void CorruptSum(std::vector<uint8_t>& frame);
void DropMiddleByte(std::vector<uint8_t>& frame);
void InsertMiddleByte(std::vector<uint8_t>& frame);
// count bytes of noise; never STX, so the receiver stays hunting.
std::vector<uint8_t> NoiseBytes(size_t count);

// STX L body ETX with body = type, LEN, data, padding to L >= 4, then two check bytes chosen so
// that the tool's RaccessCheck over L and the body is non-zero. The tool treats it like an ACK
// when type is '0'.
std::vector<uint8_t> BuildRaccessFrame(uint8_t type, std::span<const uint8_t> data);

// Reads "name value" fault settings, as options and console commands spell them:
// bad-sum N, drop-byte N, extra-byte N, raccess N, garbage N, no-answer N, nack CODE[:N],
// late MS[:N], hangup-after N. N is a count or "all"; "off" clears. False with a message when
// the name or value is not understood.
bool ApplyFaultSetting(FaultPlan& plan, const std::string& name, const std::string& value,
                       std::string& error);
// The names ApplyFaultSetting knows, with a line of help each.
const std::vector<std::pair<std::string, std::string>>& FaultSettingHelp();

}  // namespace sim
