#include "sim/line_pacer.h"

#include <algorithm>

namespace sim {

void LinePacer::Queue(Emission&& e, TimePoint now) {
  if (!wireTime_) {
    queued_ += e.bytes.size();
    chunks_.push_back({now, e.baud, std::move(e.bytes)});
    return;
  }
  lineFreeAt_ = std::max(lineFreeAt_, now);
  for (size_t off = 0; off < e.bytes.size(); off += kChunk) {
    const size_t n = std::min(kChunk, e.bytes.size() - off);
    lineFreeAt_ += sim::WireTime(n, e.baud);
    auto first = e.bytes.begin() + static_cast<std::ptrdiff_t>(off);
    chunks_.push_back(
        {lineFreeAt_, e.baud, std::vector<uint8_t>(first, first + static_cast<std::ptrdiff_t>(n))});
    queued_ += n;
  }
}

std::optional<TimePoint> LinePacer::NextRelease() const {
  if (chunks_.empty()) return std::nullopt;
  return chunks_.front().at;
}

bool LinePacer::PopDue(TimePoint now, LineChunk& out) {
  if (chunks_.empty() || chunks_.front().at > now) return false;
  out = std::move(chunks_.front());
  chunks_.pop_front();
  queued_ -= out.bytes.size();
  return true;
}

void LinePacer::Clear() {
  chunks_.clear();
  queued_ = 0;
}

}  // namespace sim
