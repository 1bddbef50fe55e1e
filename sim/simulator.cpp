#include "sim/simulator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/hex.h"
#include "link/port_registry.h"

namespace sim {

namespace {
// 'I' frames are dropped rather than queued beyond this when the host does not read.
constexpr size_t kStreamBacklog = 64 * 1024;
// Reads per wake-up, so a flooding host cannot starve the transmitter.
constexpr int kReadsPerWake = 16;
}  // namespace

Simulator::Simulator(SimulatorOptions options, std::shared_ptr<Field> field)
    : options_(std::move(options)),
      field_(field ? std::move(field) : std::make_shared<Field>()),
      module_(options_.module, field_, Clock::now()),
      pacer_(options_.wireTime) {}

Simulator::~Simulator() {
  Stop();
}

void Simulator::Log(const std::string& line) const {
  if (options_.log) options_.log(line);
}

bool Simulator::Start(std::string* error) {
  std::lock_guard lock(mutex_);
  if (running_) return true;
  wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_ < 0) {
    if (error) *error = "eventfd failed";
    return false;
  }
  if (!OpenLine(error)) {
    ::close(wake_);
    wake_ = -1;
    return false;
  }
  running_ = true;
  stopping_ = false;
  thread_ = std::thread(&Simulator::Run, this);
  return true;
}

void Simulator::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (!running_) return;
    stopping_ = true;
    Wake();
  }
  thread_.join();
  std::lock_guard lock(mutex_);
  CloseLine(Clock::now(), false);
  ::close(wake_);
  wake_ = -1;
  running_ = false;
  changed_.notify_all();
}

bool Simulator::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

std::string Simulator::DevicePath() const {
  std::lock_guard lock(mutex_);
  return pty_.SlavePath();
}

std::string Simulator::ComName() const {
  std::lock_guard lock(mutex_);
  return registeredPath_.empty() ? std::string() : "COM" + std::to_string(options_.comNumber);
}

FaultPlan Simulator::Faults() const {
  std::lock_guard lock(mutex_);
  return module_.Faults();
}

void Simulator::SetFaults(const FaultPlan& plan) {
  UpdateFaults([&](FaultPlan& f) { f = plan; });
}

void Simulator::UpdateFaults(const std::function<void(FaultPlan&)>& change) {
  WithModule([&](Module& m) { change(m.Faults()); });
}

void Simulator::SetWireTime(bool on) {
  std::lock_guard lock(mutex_);
  pacer_.SetWireTime(on);
  Wake();
}

void Simulator::SetStreamInterval(Duration interval) {
  WithModule([&](Module& m) { m.SetStreamInterval(interval); });
}

void Simulator::SetFlood(bool on) {
  WithModule([&](Module& m) { m.SetFlood(on); });
}

void Simulator::WithModule(const std::function<void(Module&)>& fn) {
  std::lock_guard lock(mutex_);
  fn(module_);
  Wake();  // what fn changed may move the next deadline
}

SimCounters Simulator::CountersLocked() const {
  SimCounters c = link_;
  c.module = module_.Counters();
  return c;
}

SimCounters Simulator::Counters() const {
  std::lock_guard lock(mutex_);
  return CountersLocked();
}

bool Simulator::WaitUntil(const std::function<bool(const SimCounters&)>& done, Duration timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return done(CountersLocked()); });
}

void Simulator::HangUp() {
  std::unique_lock lock(mutex_);
  if (!running_) {
    CloseLine(Clock::now(), false);
    return;
  }
  hangupRequested_ = true;
  Wake();
  changed_.wait(lock, [&] { return !hangupRequested_ || !running_; });
}

bool Simulator::Reopen(std::string* error) {
  std::unique_lock lock(mutex_);
  if (!running_) return OpenLine(error);
  reopenRequested_ = true;
  Wake();
  changed_.wait(lock, [&] { return !reopenRequested_ || !running_; });
  if (!reopenOk_ && error) *error = reopenError_;
  return reopenOk_;
}

void Simulator::Wake() {
  if (wake_ < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(wake_, &one, sizeof one);
}

bool Simulator::OpenLine(std::string* error) {
  std::string why;
  if (!pty_.Open(module_.Baud(), &why)) {
    if (error) *error = "cannot open a pseudo-terminal: " + why;
    Log("cannot open a pseudo-terminal: " + why);
    return false;
  }
  ++link_.opens;
  reopenAt_.reset();
  writeBlocked_ = false;
  pendingWrite_.clear();
  // A frame the module was receiving is lost with the old line.
  module_.Noise(0, Clock::now());
  std::string where = pty_.SlavePath();
  if (options_.comNumber > 0) {
    if (port_registry::Register(options_.comNumber, pty_.SlavePath())) {
      registeredPath_ = pty_.SlavePath();
      where += " as COM" + std::to_string(options_.comNumber);
    } else {
      Log("warning: could not register COM" + std::to_string(options_.comNumber));
    }
  }
  Log("listening on " + where + " at " + std::to_string(module_.Baud()) + " bit/s");
  return true;
}

void Simulator::CloseLine(TimePoint now, bool scheduleReopen) {
  if (!pty_.IsOpen()) return;
  const std::string path = pty_.SlavePath();
  pty_.Close();
  pacer_.Clear();
  pendingWrite_.clear();
  writeBlocked_ = false;
  if (!registeredPath_.empty()) {
    port_registry::Unregister(options_.comNumber, registeredPath_);
    registeredPath_.clear();
  }
  ++link_.hangups;
  Log("hung up " + path);
  if (scheduleReopen && options_.reopenAfter >= Duration::zero()) {
    reopenAt_ = now + options_.reopenAfter;
  }
}

std::optional<TimePoint> Simulator::NextDeadline() const {
  std::optional<TimePoint> next = module_.NextDue();
  auto consider = [&](std::optional<TimePoint> t) {
    if (t && (!next || *t < *next)) next = t;
  };
  if (!writeBlocked_) consider(pacer_.NextRelease());
  if (!pty_.IsOpen()) consider(reopenAt_);
  return next;
}

void Simulator::Run() {
  std::vector<uint8_t> buffer(4096);
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    TimePoint now = Clock::now();
    if (hangupRequested_) {
      CloseLine(now, false);
      hangupRequested_ = false;
    }
    if (reopenRequested_) {
      CloseLine(now, false);
      reopenOk_ = OpenLine(&reopenError_);
      reopenRequested_ = false;
    }
    if (!pty_.IsOpen() && reopenAt_ && now >= *reopenAt_) {
      reopenAt_.reset();
      OpenLine(nullptr);
    }
    Pump(now);
    if (module_.TakeHangupRequest()) CloseLine(now, true);
    changed_.notify_all();

    pollfd fds[2] = {{wake_, POLLIN, 0}, {pty_.MasterFd(), POLLIN, 0}};
    if (writeBlocked_) fds[1].events |= POLLOUT;
    const nfds_t nfds = pty_.IsOpen() ? 2 : 1;
    timespec ts{};
    timespec* timeout = nullptr;
    if (auto deadline = NextDeadline()) {
      const auto wait = std::max(*deadline - now, Duration::zero());
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
      ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
      ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
      timeout = &ts;
    }
    lock.unlock();
    const int ready = ::ppoll(fds, nfds, timeout, nullptr);
    lock.lock();
    if (ready <= 0) continue;
    if (fds[0].revents & POLLIN) {
      uint64_t drained;
      [[maybe_unused]] ssize_t n = ::read(wake_, &drained, sizeof drained);
    }
    if (nfds == 2 && pty_.IsOpen()) {
      if (fds[1].revents & POLLOUT) writeBlocked_ = false;
      if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) ReadHost(buffer);
    }
  }
}

void Simulator::ReadHost(std::vector<uint8_t>& buffer) {
  for (int i = 0; i < kReadsPerWake; ++i) {
    const ssize_t n = pty_.Read(buffer.data(), buffer.size());
    if (n > 0) {
      Deliver(buffer.data(), static_cast<size_t>(n), Clock::now());
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return;
    // We hold the slave open, so the master cannot see a hang-up; anything else means the line
    // is broken, and polling it again would only spin.
    Log("line error on the master; hanging up");
    CloseLine(Clock::now(), true);
    return;
  }
}

void Simulator::Deliver(const uint8_t* bytes, size_t count, TimePoint now) {
  if (options_.traceFrames) Log("host> " + hex::Bytes(bytes, count));
  const int baud = module_.Baud();
  if (pty_.HostBaud() != baud) {
    module_.Noise(count, now);
    return;
  }
  TimePoint at = now;
  if (pacer_.WireTime()) {
    // The last byte has not arrived before its wire time has passed.
    rxLineFreeAt_ = std::max(rxLineFreeAt_, now) + WireTime(count, baud);
    at = rxLineFreeAt_;
  }
  module_.Receive({bytes, count}, at);
}

void Simulator::UpdateFloodBudget() {
  if (pacer_.WireTime()) {
    module_.SetFloodBudget(std::nullopt);
    return;
  }
  // Room for one more frame of the longest kind is kept, so a frame started inside the budget
  // never overruns the backlog.
  constexpr size_t kHeadroom = 1024;
  const size_t queued = pacer_.QueuedBytes() + pendingWrite_.size() + kHeadroom;
  const size_t room = pty_.IsOpen() && queued < kStreamBacklog ? kStreamBacklog - queued : 0;
  const bool full = room == 0 && module_.Streaming() && module_.Config().flood;
  if (full && !floodWaiting_) ++link_.floodWaits;
  floodWaiting_ = full;
  module_.SetFloodBudget(room);
}

void Simulator::Pump(TimePoint now) {
  emissions_.clear();
  UpdateFloodBudget();
  module_.Transmit(now, emissions_);
  for (auto& e : emissions_) {
    if (e.stream && pacer_.QueuedBytes() + pendingWrite_.size() > kStreamBacklog) {
      ++link_.droppedStream;
      continue;
    }
    if (options_.traceFrames) Log("<host " + hex::Bytes(e.bytes));
    pacer_.Queue(std::move(e), now);
  }
  FlushLine(now);
  // What the line took makes room for the next frames of a flood without wire time.
  UpdateFloodBudget();
}

void Simulator::FlushLine(TimePoint now) {
  if (!pty_.IsOpen()) {
    pacer_.Clear();
    return;
  }
  LineChunk chunk;
  while (!writeBlocked_) {
    if (pendingWrite_.empty()) {
      if (!pacer_.PopDue(now, chunk)) return;
      if (chunk.baud != pty_.HostBaud()) {
        link_.wrongSpeedBytes += chunk.bytes.size();
        continue;
      }
      pendingWrite_ = std::move(chunk.bytes);
    }
    const ssize_t n = pty_.Write(pendingWrite_.data(), pendingWrite_.size());
    if (n > 0) {
      link_.bytesOut += static_cast<uint64_t>(n);
      pendingWrite_.erase(pendingWrite_.begin(), pendingWrite_.begin() + n);
    } else if (n < 0 && errno == EAGAIN) {
      writeBlocked_ = true;
    } else if (!(n < 0 && errno == EINTR)) {
      pendingWrite_.clear();
    }
  }
}

}  // namespace sim
