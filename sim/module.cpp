#include "sim/module.h"

#include <algorithm>

#include "link/command_codes.h"
#include "link/frame.h"

namespace sim {

namespace {

bool IsTagCommand(uint8_t c) {
  return (c >= 0x10 && c <= 0x14) || (c >= 0x36 && c <= 0x3C) || (c >= 0x50 && c <= 0x59) ||
         (c >= 0x70 && c <= 0x72) || (c >= 0x80 && c <= 0x8C) || (c >= 0xE0 && c <= 0xE5);
}

// Firmware level that brought the command: FECAVA and the multi-block commands came with
// 1020, EM4305 with 1100. Older firmware takes them for unknown commands.
int LevelOf(uint8_t c) {
  if (c >= 0xE0 && c <= 0xE5) return 3;
  if (c == 0x72 || (c >= 0x89 && c <= 0x8C)) return 2;
  return 1;
}

// A stalled caller does not get a burst of stale 'I' frames when it comes back.
constexpr Duration kMaxStreamBacklog = std::chrono::seconds(1);

// Air time of answers to frames that never became a command.
constexpr int kFrameError = -1;

}  // namespace

int RomLevelOf(const std::string& version) {
  if (version == "1010LFS00") return 1;
  if (version == "1020LFS00") return 2;
  return 3;
}

Module::Module(ModuleConfig config, std::shared_ptr<Field> field, TimePoint now)
    : config_(std::move(config)),
      field_(field ? std::move(field) : std::make_shared<Field>()),
      memory_(config_.baud),
      romLevel_(RomLevelOf(config_.romVersion)),
      baud_(ParameterMemory::CodeOfBaud(config_.baud) ? config_.baud : 57600) {
  PowerUp(now);
}

void Module::PowerUp(TimePoint now) {
  outbox_.clear();
  ready_.clear();
  Restart(now);
}

bool Module::TakeHangupRequest() {
  const bool r = hangupRequested_;
  hangupRequested_ = false;
  return r;
}

void Module::Receive(std::span<const uint8_t> bytes, TimePoint at) {
  Advance(at);
  if (at < deafUntil_) {
    Noise(bytes.size(), at);
    return;
  }
  for (uint8_t b : bytes) {
    ++counters_.bytesIn;
    lastByte_ = at;
    if (auto f = assembler_.Push(b)) OnFrame(*f, at);
  }
}

void Module::Noise(size_t count, TimePoint at) {
  Advance(at);
  counters_.noiseBytes += count;
  // A framing error in the middle of a command spoils it; the module starts hunting again.
  assembler_.Abandon();
}

void Module::Transmit(TimePoint now, std::vector<Emission>& out) {
  Advance(now);
  for (auto& e : ready_) out.push_back(std::move(e));
  ready_.clear();
}

std::optional<TimePoint> Module::CharDeadline() const {
  if (!assembler_.InFrame()) return std::nullopt;
  return lastByte_ + config_.charTimeout;
}

std::optional<TimePoint> Module::NextDue() const {
  if (!ready_.empty()) return TimePoint{};
  std::optional<TimePoint> next;
  auto consider = [&](TimePoint t) {
    if (!next || t < *next) next = t;
  };
  if (!outbox_.empty()) consider(outbox_.front().due);
  if (StreamReady()) consider(nextStream_);
  if (NoiseOn()) consider(nextNoise_);
  if (auto d = CharDeadline()) consider(*d);
  return next;
}

void Module::Advance(TimePoint t) {
  if (Streaming() && t - nextStream_ > kMaxStreamBacklog) nextStream_ = t - kMaxStreamBacklog;
  // Noise starts one interval after it is switched on or read-loop mode begins.
  if (!NoiseOn()) nextNoise_ = t + NoiseInterval();
  while (true) {
    const auto charDeadline = CharDeadline();
    const bool outboxDue = !outbox_.empty() && outbox_.front().due <= t;
    const bool streamDue = StreamReady() && nextStream_ <= t;
    const bool charDue = charDeadline && *charDeadline <= t;
    if (NoiseOn() && nextNoise_ <= t && !outboxDue) {
      // Noise goes out only on an idle line: never before an answer that is due.
      NoiseOnce(nextNoise_);
      continue;
    }
    if (!outboxDue && !streamDue && !charDue) return;

    // The earliest event first; answers before stream frames and time-outs at the same instant.
    const TimePoint outboxAt = outboxDue ? outbox_.front().due : TimePoint::max();
    const TimePoint streamAt = streamDue ? nextStream_ : TimePoint::max();
    const TimePoint charAt = charDue ? *charDeadline : TimePoint::max();
    if (outboxAt <= streamAt && outboxAt <= charAt) {
      Pending p = std::move(outbox_.front());
      outbox_.pop_front();
      if (!p.bytes.empty()) ready_.push_back({baud_, std::move(p.bytes), false});
      if (p.restart) {
        ++counters_.restarts;
        Restart(p.due);
      }
    } else if (charAt <= streamAt) {
      assembler_.Abandon();
      ++counters_.frames;
      ++counters_.badLength;
      Answer(TagReply::Nack(nack::kNumberOfData), kFrameError, charAt, {});
    } else {
      StreamOnce(streamAt);
    }
  }
}

void Module::StreamOnce(TimePoint at) {
  if (config_.flood) {
    std::vector<uint8_t> payload;
    if (field_->NextStreamPayload(floodCursor_, payload, LfLevel())) {
      auto f = frame::BuildResponseFrame(frame::TypeId, payload);
      if (floodBudget_)
        *floodBudget_ -= std::min(*floodBudget_, f.size());
      else
        nextStream_ = at + WireTime(f.size(), baud_);
      ready_.push_back({baud_, std::move(f), true});
      ++counters_.idFrames;
    } else {
      nextStream_ = at + config_.streamInterval;
    }
  } else {
    for (const auto& payload : field_->StreamPayloads(LfLevel())) {
      ready_.push_back({baud_, frame::BuildResponseFrame(frame::TypeId, payload), true});
      ++counters_.idFrames;
    }
    nextStream_ = at + std::max(config_.streamInterval, Duration(std::chrono::milliseconds(1)));
  }
}

Duration Module::NoiseInterval() const {
  const int rate = faults_.noiseRate > 0 ? faults_.noiseRate : 1;
  return std::chrono::duration_cast<Duration>(std::chrono::seconds(1)) / rate;
}

void Module::NoiseOnce(TimePoint at) {
  std::vector<uint8_t> bytes;
  switch (noiseEvents_++ % 3) {
    case 0:
      bytes = NoiseBytes(FaultPlan::kNoiseStrayBytes);
      counters_.noiseStrayBytes += bytes.size();
      break;
    case 1: {
      const uint8_t data[] = {0x00};
      bytes = frame::BuildResponseFrame(frame::TypeAck, data);
      CorruptSum(bytes);
      ++counters_.noiseBadSumFrames;
      break;
    }
    default: {
      const uint8_t data[] = {0x5A};
      bytes = frame::BuildResponseFrame(0x5A, data);  // 'Z': no frame type of the module
      ++counters_.noiseBadFormatFrames;
      break;
    }
  }
  ready_.push_back({baud_, std::move(bytes), false});
  nextNoise_ = at + NoiseInterval();
}

void Module::OnFrame(const AssembledFrame& f, TimePoint at) {
  ++counters_.frames;
  if (f.status == AssembledFrame::Status::BadSum) {
    ++counters_.badSum;
    Answer(TagReply::Nack(nack::kSum), kFrameError, at, {});
    return;
  }
  if (f.status == AssembledFrame::Status::BadLength) {
    ++counters_.badLength;
    Answer(TagReply::Nack(nack::kNumberOfData), kFrameError, at, {});
    return;
  }
  ++counters_.commands;
  if (at < busyUntil_) {
    ++counters_.ignoredBusy;
    return;
  }
  if (faults_.hangupAfter > 0 && --faults_.hangupAfter == 0) {
    hangupRequested_ = true;
    return;
  }
  // A spared command escapes the faults, its answer included.
  spared_ = faults_.spare > 0;
  if (spared_) --faults_.spare;
  if (!spared_ && TakeFault(faults_.missing)) {
    ++counters_.unanswered;
    return;
  }
  const uint8_t code = f.data.empty() ? 0 : f.data[0];
  if (!spared_ && TakeFault(faults_.nack)) {
    Answer(TagReply::Nack(faults_.nackCode), code, at, {});
    return;
  }
  Outcome o = Execute(f.kind, f.data, at);
  if (!o.reply) {
    spared_ = false;
    ++counters_.unanswered;
    return;
  }
  const TimePoint due = Answer(*o.reply, code, at, o.delay);
  spared_ = false;
  if (o.restart) Schedule(due, {}, true);
  if (o.stream) {
    floodCursor_ = 0;
    nextStream_ = config_.flood ? due : due + config_.streamInterval;
  }
}

Module::Outcome Module::Execute(uint8_t kind, std::span<const uint8_t> data, TimePoint at) {
  if (data.empty()) return {TagReply::Nack(nack::kNumberOfData)};
  const uint8_t code = data[0];
  const auto params = data.subspan(1);
  // The LF carrier command is the one command of kind 'N'.
  if ((kind == frame::KindN) != (code == cmd::LfControl))
    return {TagReply::Nack(nack::kInvalidCommand)};
  if (romLevel_ < LevelOf(code)) return {TagReply::Nack(nack::kInvalidCommand)};
  if (!IsTagCommand(code)) {
    const bool carrierWasOn = CarrierOn(at);
    Outcome o = ModuleCommand(code, params, at);
    if (!carrierWasOn && CarrierOn(at)) ++carrierSession_;
    return o;
  }

  const TagCommand cmd{code, params};
  if (code >= cmd::IdReadFdx && code <= cmd::IdReadFecava && !IdReadOf(cmd)) {
    return {TagReply::Nack(params.size() > 1 ? nack::kNumberOfData : nack::kValue)};
  }
  const AirContext ctx{at, CarrierOn(at), romLevel_, &memory_, carrierSession_, LfLevel()};
  auto reply = field_->Dispatch(cmd, ctx);
  return {reply ? std::move(*reply) : TagReply::Nack(nack::kNoResponseFromTag)};
}

TimePoint Module::Answer(const TagReply& reply, int code, TimePoint at, Duration delay) {
  TimePoint due = at + delay;
  const auto air = code < 0 ? config_.airTimeByCode.end()
                            : config_.airTimeByCode.find(static_cast<uint8_t>(code));
  due += air != config_.airTimeByCode.end() ? air->second : config_.airTime;
  if (!spared_ && TakeFault(faults_.late)) due += faults_.lateBy;

  reply.ack ? ++counters_.acks : ++counters_.nacks;
  const uint8_t type = reply.ack ? frame::TypeAck : frame::TypeNack;
  std::vector<uint8_t> bytes;
  if (!spared_ && TakeFault(faults_.raccess)) {
    bytes = BuildRaccessFrame(type, reply.data);
  } else {
    bytes = frame::BuildResponseFrame(type, reply.data);
    if (!spared_ && TakeFault(faults_.badSum)) CorruptSum(bytes);
    if (!spared_ && TakeFault(faults_.dropByte)) DropMiddleByte(bytes);
    if (!spared_ && TakeFault(faults_.extraByte)) InsertMiddleByte(bytes);
  }
  if (!spared_ && TakeFault(faults_.garbage)) {
    auto noise = NoiseBytes(static_cast<size_t>(std::max(faults_.garbageBytes, 0)));
    bytes.insert(bytes.begin(), noise.begin(), noise.end());
  }
  Schedule(due, std::move(bytes), false);
  return due;
}

void Module::Schedule(TimePoint due, std::vector<uint8_t> bytes, bool restart) {
  Pending p{due, seq_++, std::move(bytes), restart};
  auto pos =
      std::upper_bound(outbox_.begin(), outbox_.end(), p, [](const Pending& a, const Pending& b) {
        return a.due < b.due || (a.due == b.due && a.seq < b.seq);
      });
  outbox_.insert(pos, std::move(p));
}

void Module::ReleaseLateAnswers(TimePoint now) {
  for (Pending& p : outbox_) p.due = std::min(p.due, now);
}

void Module::Restart(TimePoint at) {
  if (auto b = ParameterMemory::BaudOfCode(memory_.SpeedCode())) baud_ = *b;
  const uint8_t saved = static_cast<uint8_t>(memory_.Word(ParameterMemory::kModeWord) >> 8);
  mode_ = (saved >= 2 && saved <= 6) ? saved : 4;
  carrierOn_ = false;
  busyUntil_ = at;
  deafUntil_ = at + config_.restartTime;
  assembler_.Abandon();
  // Whatever was still to be sent dies with the old firmware run.
  outbox_.clear();
  floodCursor_ = 0;
  nextStream_ = deafUntil_ + config_.streamInterval;
}

void Module::NoteFlashWrite(int words) {
  // The EEPROM lives in a 4 KiB flash page written as a log; the position wraps.
  flashWrPos_ = static_cast<uint16_t>((flashWrPos_ + 2 * words) & 0x0FFF);
}

}  // namespace sim
