#include "link/telnet_codec.h"

namespace telnet {

namespace {

// Options we enable on our side when asked, and accept on the server's side.
bool OursToGive(uint8_t option) {
  return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}
bool TheirsToTake(uint8_t option) {
  return option == kBinary || option == kSuppressGoAhead;
}

// A subnegotiation longer than this is not a COM port message: its rest is dropped.
constexpr size_t kMaxSubnegotiation = 256;

}  // namespace

std::vector<uint8_t> Codec::Offer() {
  for (const uint8_t option : {kComPortOption, kBinary, kSuppressGoAhead}) usAsked_[option] = true;
  for (const uint8_t option : {kBinary, kSuppressGoAhead}) himAsked_[option] = true;
  return {kIac, kWill, kComPortOption,   kIac, kWill, kBinary,         kIac, kDo, kBinary,
          kIac, kWill, kSuppressGoAhead, kIac, kDo,   kSuppressGoAhead};
}

void Codec::Reply(uint8_t verb, uint8_t option) {
  replies_.insert(replies_.end(), {kIac, verb, option});
}

// One side of an option (ours: DO/DONT asks, WILL/WONT answers; the server's the other way
// round), kept loop-free: an answer to our own request, or a request that changes nothing, gets
// no reply; an option we do not have is refused.
void Codec::Side(Options& on, Options& asked, bool supported, bool enable, uint8_t yes, uint8_t no,
                 uint8_t option) {
  if (enable && !supported) {
    Reply(no, option);
  } else if (enable && !on[option]) {
    on[option] = true;
    if (!asked[option]) Reply(yes, option);
  } else if (!enable && (on[option] || asked[option])) {
    if (!asked[option]) Reply(no, option);
    on[option] = false;
  }
  asked[option] = false;
}

void Codec::Verb(uint8_t verb, uint8_t option) {
  const bool ours = verb == kDo || verb == kDont;
  const bool enable = verb == kDo || verb == kWill;
  if (ours)
    Side(us_, usAsked_, OursToGive(option), enable, kWill, kWont, option);
  else
    Side(him_, himAsked_, TheirsToTake(option), enable, kDo, kDont, option);
  if (option == kComPortOption && ours)
    comPort_ = enable && us_[option] ? Answer::Accepted : Answer::Refused;
}

void Codec::EndSubnegotiation() {
  if (sbOption_ == kComPortOption && !sb_.empty() && sb_[0] >= kServerOffset) {
    ComPortNotice notice;
    notice.command = static_cast<uint8_t>(sb_[0] - kServerOffset);
    notice.value.assign(sb_.begin() + 1, sb_.end());
    notices_.push_back(std::move(notice));
  }
  sb_.clear();
}

void Codec::Decode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    switch (phase_) {
      case Phase::Data:
        if (b == kIac) {
          phase_ = Phase::Iac;
        } else if (b == 0 && afterCr_ && !him_[kBinary]) {
          afterCr_ = false;  // CR NUL stands for CR alone
        } else {
          data.push_back(b);
          afterCr_ = b == '\r';
        }
        break;
      case Phase::Iac:
        phase_ = Phase::Data;
        if (b == kIac) {
          data.push_back(kIac);
          afterCr_ = false;
        } else if (b >= kWill && b <= kDont) {
          verb_ = b;
          phase_ = Phase::Verb;
        } else if (b == kSb) {
          phase_ = Phase::SbOption;
        }  // NOP, GA, AYT and the other one-byte commands carry nothing for the link
        break;
      case Phase::Verb:
        Verb(verb_, b);
        phase_ = Phase::Data;
        break;
      case Phase::SbOption:
        sbOption_ = b;
        sb_.clear();
        phase_ = Phase::SbData;
        break;
      case Phase::SbData:
        if (b == kIac)
          phase_ = Phase::SbIac;
        else if (sb_.size() < kMaxSubnegotiation)
          sb_.push_back(b);
        break;
      case Phase::SbIac:
        if (b == kIac) {
          if (sb_.size() < kMaxSubnegotiation) sb_.push_back(kIac);
          phase_ = Phase::SbData;
        } else {
          // IAC SE ends it; any other command ends it too and is then taken as a command.
          EndSubnegotiation();
          phase_ = Phase::Data;
          if (b != kSe) {
            const uint8_t again[2] = {kIac, b};
            Decode(again, 2, data);
          }
        }
        break;
    }
  }
}

std::vector<uint8_t> Codec::TakeReplies() {
  std::vector<uint8_t> out;
  out.swap(replies_);
  return out;
}

std::vector<ComPortNotice> Codec::TakeNotices() {
  std::vector<ComPortNotice> out;
  out.swap(notices_);
  return out;
}

void Codec::Encode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const {
  out.reserve(out.size() + count + count / 8 + 2);
  for (size_t i = 0; i < count; ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == kIac)
      out.push_back(kIac);
    else if (bytes[i] == '\r' && !us_[kBinary])
      out.push_back(0);
  }
}

std::vector<uint8_t> ComPortCommandBytes(uint8_t command, std::span<const uint8_t> value) {
  std::vector<uint8_t> out{kIac, kSb, kComPortOption, command};
  for (const uint8_t b : value) {
    out.push_back(b);
    if (b == kIac) out.push_back(kIac);
  }
  out.insert(out.end(), {kIac, kSe});
  return out;
}

std::vector<uint8_t> LineSettingsCommands(const LineSettings& line) {
  std::vector<uint8_t> out;
  auto add = [&out](uint8_t command, std::initializer_list<uint8_t> value) {
    const std::vector<uint8_t> bytes =
        ComPortCommandBytes(command, std::span<const uint8_t>(value.begin(), value.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  };
  uint32_t baud = static_cast<uint32_t>(BaudRateValue(line.baud));
  if (baud == 0) baud = 9600;
  add(cpSetBaudRate, {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
                      static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)});
  add(cpSetDataSize, {static_cast<uint8_t>(static_cast<int>(line.dataBits) + 5)});
  add(cpSetParity, {static_cast<uint8_t>(static_cast<int>(line.parity) + 1)});
  static const uint8_t kStop[] = {1, 3, 2};  // one, one and a half, two
  add(cpSetStopSize, {kStop[static_cast<int>(line.stopBits)]});
  if (line.flow == TFlowControl::fcNone) add(cpSetControl, {1});
  if (line.flow == TFlowControl::fcSoftware) add(cpSetControl, {2});
  if (line.flow == TFlowControl::fcHardware) add(cpSetControl, {3});
  return out;
}

TComErrors LineStateErrors(uint8_t lineState) {
  TComErrors e = 0;
  if (lineState & 0x10) e |= ceBreak;
  if (lineState & 0x08) e |= ceFrame;
  if (lineState & 0x04) e |= ceParity;
  if (lineState & 0x02) e |= ceOverrun;
  return e;
}

}  // namespace telnet
