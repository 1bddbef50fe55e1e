#include "sim/field.h"

namespace sim {

namespace {
void AppendPayload(const Transponder& tag, std::vector<uint8_t>& out) {
  out.clear();
  out.push_back(tag.Kind());
  const auto id = tag.IdBytes();
  out.insert(out.end(), id.begin(), id.end());
}
}  // namespace

size_t Field::Insert(TagPtr tag, size_t position) {
  std::lock_guard lock(mutex_);
  if (position > tags_.size()) position = tags_.size();
  tags_.insert(tags_.begin() + static_cast<std::ptrdiff_t>(position), std::move(tag));
  return position;
}

TagPtr Field::Remove(size_t index) {
  std::lock_guard lock(mutex_);
  if (index >= tags_.size()) return nullptr;
  TagPtr tag = std::move(tags_[index]);
  tags_.erase(tags_.begin() + static_cast<std::ptrdiff_t>(index));
  return tag;
}

TagPtr Field::Replace(size_t index, TagPtr tag) {
  std::lock_guard lock(mutex_);
  if (index >= tags_.size()) return nullptr;
  std::swap(tags_[index], tag);
  return tag;
}

void Field::Clear() {
  std::lock_guard lock(mutex_);
  tags_.clear();
}

size_t Field::Size() const {
  std::lock_guard lock(mutex_);
  return tags_.size();
}

std::vector<std::string> Field::Describe() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> lines;
  for (const auto& tag : tags_) lines.push_back(tag->Describe());
  return lines;
}

bool Field::With(size_t index, const std::function<void(Transponder&)>& fn) {
  std::lock_guard lock(mutex_);
  if (index >= tags_.size()) return false;
  fn(*tags_[index]);
  return true;
}

void Field::SetFeed(FeedPlan plan) {
  std::lock_guard lock(mutex_);
  feed_ = std::make_unique<Feed>(std::move(plan));
  feed_->Advance(tags_, TimePoint{});
}

std::optional<FeedCounters> Field::FeedCountersNow() const {
  std::lock_guard lock(mutex_);
  if (!feed_) return std::nullopt;
  return feed_->Counters();
}

std::optional<FeedPlan> Field::FeedPlanNow() const {
  std::lock_guard lock(mutex_);
  if (!feed_) return std::nullopt;
  return feed_->Plan();
}

std::optional<TagReply> Field::Dispatch(const TagCommand& cmd, const AirContext& ctx) {
  std::lock_guard lock(mutex_);
  if (feed_) feed_->Advance(tags_, ctx.now);
  std::optional<TagReply> reply;
  for (const auto& tag : tags_) {
    // A tag without enough field hears nothing, so the module asks the next one.
    if (!tag->Powered(ctx.lfLevel)) continue;
    if ((reply = tag->Handle(cmd, ctx))) break;
  }
  if (feed_) feed_->Observe(tags_, cmd, ctx.now);
  return reply;
}

std::vector<std::vector<uint8_t>> Field::StreamPayloads(int level) const {
  std::lock_guard lock(mutex_);
  std::vector<std::vector<uint8_t>> payloads;
  for (const auto& tag : tags_) {
    if (!tag->StreamsAt(level)) continue;
    AppendPayload(*tag, payloads.emplace_back());
  }
  return payloads;
}

bool Field::NextStreamPayload(size_t& cursor, std::vector<uint8_t>& out, int level) const {
  std::lock_guard lock(mutex_);
  const size_t n = tags_.size();
  for (size_t step = 0; step < n; ++step) {
    const size_t i = (cursor + step) % n;
    if (!tags_[i]->StreamsAt(level)) continue;
    AppendPayload(*tags_[i], out);
    cursor = i + 1;
    return true;
  }
  return false;
}

}  // namespace sim
