#include "link/memory_link.h"

#include <algorithm>
#include <cerrno>

#include "link/millisecond_timer.h"

void MemoryLink::Close() {
  open_ = false;
  input_.clear();
}

WriteResult MemoryLink::Write(const uint8_t* bytes, size_t count) {
  WriteResult r;
  if (!open_) {
    r.error = EBADF;
    return r;
  }
  r.written = fault_ ? std::min(count, fault_->bytes) : count;
  if (r.written < count) r.error = fault_->error;
  if (OnWrite) OnWrite(std::span<const uint8_t>(bytes, r.written));
  return r;
}

size_t MemoryLink::Read(uint8_t* buffer, size_t count) {
  const size_t n = std::min(count, input_.size());
  std::copy_n(input_.begin(), n, buffer);
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

void MemoryLink::Deliver(std::span<const uint8_t> bytes) {
  if (!open_) return;
  input_.insert(input_.end(), bytes.begin(), bytes.end());
  // One event may take only part of the bytes (the receiver's ring has room for so much); the
  // next event offers the rest, as the port's watcher would.
  while (!input_.empty() && OnRxChar) {
    const size_t before = input_.size();
    OnRxChar(before, MillisecondTimer::Now());
    if (input_.size() == before) break;
  }
}

void MemoryLink::RaiseErrors(TComErrors errors) {
  if (OnError) OnError(errors);
}
