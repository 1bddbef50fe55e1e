#pragma once
// Telnet (IAC commands, option negotiation, subnegotiation) and its COM port option, the client's
// side, as pure functions over bytes: the RFC 2217 link feeds it what the network delivers and
// sends what it gives back. Nothing here touches a socket, so a test or a fuzzer can drive it a
// byte at a time.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "link/byte_link.h"
#include "link/line_settings.h"

namespace telnet {

inline constexpr uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                         kSe = 240;
inline constexpr uint8_t kBinary = 0, kEcho = 1, kSuppressGoAhead = 3, kComPortOption = 44;

// Commands of the COM port option, as the client sends them; the server's answers and
// notifications carry the same code plus kServerOffset.
enum ComPortCommand : uint8_t {
  cpSignature = 0,
  cpSetBaudRate = 1,
  cpSetDataSize = 2,
  cpSetParity = 3,
  cpSetStopSize = 4,
  cpSetControl = 5,
  cpNotifyLineState = 6,
  cpNotifyModemState = 7,
  cpSetLineStateMask = 10,
  cpSetModemStateMask = 11,
  cpPurgeData = 12,
};
inline constexpr uint8_t kServerOffset = 100;

// A subnegotiation of the COM port option from the server: the command (server offset taken
// off) and its value bytes, IAC escapes undone.
struct ComPortNotice {
  uint8_t command = 0;
  std::vector<uint8_t> value;
  bool operator==(const ComPortNotice&) const = default;
};

class Codec {
 public:
  enum class Answer { Pending, Accepted, Refused };

  // The client's opening: WILL COM-PORT-OPTION, binary both ways, no go-aheads.
  std::vector<uint8_t> Offer();
  // Takes bytes as the network delivered them (any split): data bytes are appended to `data`,
  // answers to the server's negotiation queue up for TakeReplies, COM port subnegotiations for
  // TakeNotices.
  void Decode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data);
  std::vector<uint8_t> TakeReplies();
  std::vector<ComPortNotice> TakeNotices();
  // Data for the network: IAC doubled, and CR followed by NUL while the server has not taken
  // binary transmission (a Telnet line would take CR alone as a line end).
  void Encode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const;

  // Whether the server took the COM port option (DO), refused it (DONT), or has not said yet.
  Answer ComPort() const { return comPort_; }

 private:
  enum class Phase { Data, Iac, Verb, SbOption, SbData, SbIac };
  using Options = std::array<bool, 256>;
  void Verb(uint8_t verb, uint8_t option);
  void Side(Options& on, Options& asked, bool supported, bool enable, uint8_t yes, uint8_t no,
            uint8_t option);
  void EndSubnegotiation();
  void Reply(uint8_t verb, uint8_t option);

  Phase phase_ = Phase::Data;
  uint8_t verb_ = 0;
  uint8_t sbOption_ = 0;
  std::vector<uint8_t> sb_;
  bool afterCr_ = false;  // the last data byte was CR (a NUL after it is padding)
  // Per option: enabled on our side (we WILL) / the server's side (it WILL), and whether we asked
  // for it ourselves (its answer then needs no reply).
  Options us_{}, usAsked_{}, him_{}, himAsked_{};
  Answer comPort_ = Answer::Pending;
  std::vector<uint8_t> replies_;
  std::vector<ComPortNotice> notices_;
};

// One COM port option command: IAC SB 44 command value IAC SE, IAC in the value doubled.
std::vector<uint8_t> ComPortCommandBytes(uint8_t command, std::span<const uint8_t> value);
// The commands that set a remote port to `line`, in the recommended order: baud rate, data
// size, parity, stop size, then flow control.
std::vector<uint8_t> LineSettingsCommands(const LineSettings& line);
// The line errors of a NOTIFY-LINESTATE value (break, framing, parity, overrun).
TComErrors LineStateErrors(uint8_t lineState);
// The mask that asks the server to notify exactly those line states.
inline constexpr uint8_t kLineErrorMask = 0x1E;

}  // namespace telnet
