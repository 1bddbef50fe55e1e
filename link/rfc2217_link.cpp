#include "link/rfc2217_link.h"

#include <cstring>

void Rfc2217Link::Send(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return;
  int error = 0;
  const size_t sent =
      SendRaw(bytes.data(), bytes.size(), Clock::now() + std::chrono::milliseconds(1000), &error);
  if (sent < bytes.size()) Close();  // the connection failed; the caller sees it closed
}

void Rfc2217Link::TakeIn(const uint8_t* raw, size_t count, std::vector<uint8_t>& data,
                         TComErrors& errors) {
  codec_.Decode(raw, count, data);
  Send(codec_.TakeReplies());
  for (const telnet::ComPortNotice& n : codec_.TakeNotices()) {
    if (n.command == telnet::cpNotifyLineState && !n.value.empty())
      errors |= telnet::LineStateErrors(n.value[0]);
    else if (n.command == telnet::cpNotifyModemState && !n.value.empty())
      modemState_ = n.value[0];
    else if (n.command == telnet::cpSetBaudRate && n.value.size() == 4)
      confirmedBaud_ = static_cast<uint32_t>(n.value[0]) << 24 |
                       static_cast<uint32_t>(n.value[1]) << 16 |
                       static_cast<uint32_t>(n.value[2]) << 8 | n.value[3];
  }
}

void Rfc2217Link::Encode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const {
  codec_.Encode(bytes, count, out);
}

void Rfc2217Link::Negotiate(Clock::time_point deadline) {
  codec_ = telnet::Codec();
  confirmedBaud_.reset();
  Send(codec_.Offer());
  while (codec_.ComPort() == telnet::Codec::Answer::Pending) {
    if (!ReceiveUntil(deadline)) {
      if (!Connected() || Ended())
        throw ComPortError(Why("the server closed the connection during the Telnet negotiation"));
      throw ComPortError(Why("the server did not answer the COM port option negotiation within " +
                             std::to_string(timing_.negotiate.count()) +
                             " ms (not an RFC 2217 port? a raw TCP port is named socket://)"));
    }
  }
  if (codec_.ComPort() == telnet::Codec::Answer::Refused)
    throw ComPortError(
        Why("the server refused the COM port option (not an RFC 2217 port? a raw "
            "TCP port is named socket://)"));
  if (const std::string why = SendSettings(deadline); !why.empty()) throw ComPortError(why);
  // Only errors are worth a notification; then the server drops what it buffered before us.
  const uint8_t mask[] = {telnet::kLineErrorMask};
  Send(telnet::ComPortCommandBytes(telnet::cpSetLineStateMask, mask));
  const uint8_t both[] = {3};
  Send(telnet::ComPortCommandBytes(telnet::cpPurgeData, both));
  if (!Connected()) throw ComPortError(Why("the connection ended during the negotiation"));
}

std::string Rfc2217Link::SendSettings(Clock::time_point deadline) {
  confirmedBaud_.reset();
  Send(telnet::LineSettingsCommands(line_));
  const uint32_t wanted = BaudRateValue(line_.baud) ? BaudRateValue(line_.baud) : 9600;
  while (!confirmedBaud_) {
    if (!ReceiveUntil(deadline)) {
      if (!Connected() || Ended())
        return Why("the connection ended while the port's speed was being set");
      return Why("the server did not confirm the speed " + std::to_string(wanted) + " within " +
                 std::to_string(timing_.negotiate.count()) + " ms");
    }
  }
  if (*confirmedBaud_ != wanted)
    return Why("the server set the speed " + std::to_string(*confirmedBaud_) + " instead of " +
               std::to_string(wanted));
  return {};
}

std::string Rfc2217Link::ApplyLineSettings(const LineSettings& settings) {
  line_ = settings;
  if (!Connected()) return {};
  const std::string why = SendSettings(Clock::now() + timing_.negotiate);
  // Data that arrived while the answer was awaited is delivered by the event loop.
  DeliverLater();
  return why;
}
