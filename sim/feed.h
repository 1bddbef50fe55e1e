#pragma once
// A tray of blank tags fed into the field one after another, as an operator or a handling robot
// at a programming station would: a blank tag of the chip is in the field; once a station has
// written its ID and read it back, it leaves the field, and the next blank tag enters `gap`
// later. Every tag has its own UID (SIC7888 and EM4305 UID, SIC279 traceability data, HDX+ chip
// ID), counting up from the first. A station runs unattended against it in tests and benchmarks.
//
// The write is the chip's ID write command (SIC7888 0x86, EM4305 0xE5, SIC279 0x59, HDX+ 0x3B)
// reaching the field while the tag is in it, answered or not; the read back is the next ID read
// (0x70-0x72). The field calls the feed under its lock with the time of each command, so the
// feed keeps the simulator's time (a test's clock in the pure module).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_time.h"
#include "sim/transponder.h"

namespace sim {

struct FeedPlan {
  std::string chip = "sic7888";  // sic7888, em4305, sic279 or hdxplus
  uint64_t count = 0;            // tags in the tray; 0: without end
  Duration gap = std::chrono::milliseconds(50);
  uint32_t firstUid = 0x78880001;
};

struct FeedCounters {
  uint64_t presented = 0;  // tags that entered the field
  uint64_t readBack = 0;   // tags written, read back and gone
};

// "sic7888" or "sic7888:200" into plan (chip and count); false with the reason.
bool ParseFeedSpec(const std::string& spec, FeedPlan& plan, std::string& error);
// The chip names of --feed.
std::string FeedChips();

class Feed {
 public:
  explicit Feed(FeedPlan plan);

  // The tags of the field: the next tag enters when it is due by `now`.
  void Advance(std::vector<std::shared_ptr<Transponder>>& tags, TimePoint now);
  // A tag command sent to the field at `now`: the write and the read back of the tag in hand; the
  // tag leaves the field with its read back.
  void Observe(std::vector<std::shared_ptr<Transponder>>& tags, const TagCommand& cmd,
               TimePoint now);
  const FeedCounters& Counters() const { return counters_; }
  const FeedPlan& Plan() const { return plan_; }

 private:
  std::shared_ptr<Transponder> MakeTag(uint32_t uid) const;

  FeedPlan plan_;
  uint8_t writeCode_ = 0;
  std::shared_ptr<Transponder> current_;  // the tag in the field
  bool written_ = false;
  std::optional<TimePoint> nextAt_;  // when the next tag enters; nullopt: now (the first)
  FeedCounters counters_;
};

}  // namespace sim
