#pragma once
// The module's field: the transponders within reach of its antenna, in the order the module
// finds them. Tests and the console insert, remove and swap tags while the simulator runs on its
// own thread; every access goes through the field's lock.
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/feed.h"
#include "sim/transponder.h"

namespace sim {

using TagPtr = std::shared_ptr<Transponder>;

class Field {
 public:
  Field() = default;
  explicit Field(std::vector<TagPtr> tags) : tags_(std::move(tags)) {}

  // Inserts at position (clamped to the end); returns the index it got.
  size_t Insert(TagPtr tag, size_t position = static_cast<size_t>(-1));
  // Takes the tag at index out of the field; nullptr when there is none.
  TagPtr Remove(size_t index);
  // Puts tag in the place of the one at index and returns that one; nullptr (and no change)
  // when index is out of range.
  TagPtr Replace(size_t index, TagPtr tag);
  void Clear();

  size_t Size() const;
  std::vector<std::string> Describe() const;
  // Runs fn on the tag at index under the field's lock; false when there is none.
  bool With(size_t index, const std::function<void(Transponder&)>& fn);

  // Feeds blank tags into the field one after another (sim/feed.h); its first tag enters now.
  void SetFeed(FeedPlan plan);
  // The feed's counters and plan; nullopt without a feed.
  std::optional<FeedCounters> FeedCountersNow() const;
  std::optional<FeedPlan> FeedPlanNow() const;

  // The first tag that answers cmd; nullopt when none does. A feed takes its tags in and out
  // around the command.
  std::optional<TagReply> Dispatch(const TagCommand& cmd, const AirContext& ctx);
  // Data of an 'I' frame (kind code, then the ID bytes) for every tag that shows up in
  // read-loop mode at LF level `level`, in field order.
  std::vector<std::vector<uint8_t>> StreamPayloads(int level = 50) const;
  // The next streaming tag at or after cursor (wrapping round); writes its 'I' frame data to
  // out and moves cursor past it. False when no tag streams.
  bool NextStreamPayload(size_t& cursor, std::vector<uint8_t>& out, int level = 50) const;

 private:
  mutable std::mutex mutex_;
  std::vector<TagPtr> tags_;
  std::unique_ptr<Feed> feed_;
};

}  // namespace sim
