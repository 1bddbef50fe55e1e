// The Telnet / COM port option codec: negotiation without loops, IAC escaping both ways however
// the network splits the bytes, subnegotiations, and the commands that set a remote port.
#include "link/telnet_codec.h"

#include <gtest/gtest.h>

namespace {

using namespace telnet;
using Bytes = std::vector<uint8_t>;

// Feeds the bytes one at a time: every split the network may make is a prefix of this one.
Bytes DecodeByteByByte(Codec& c, const Bytes& in) {
  Bytes data;
  for (const uint8_t b : in) c.Decode(&b, 1, data);
  return data;
}

TEST(TelnetCodec, NegotiationAnswersOnceAndNeverLoops) {
  Codec c;
  const Bytes offer = c.Offer();
  EXPECT_EQ(Bytes(offer.begin(), offer.begin() + 3), (Bytes{kIac, kWill, kComPortOption}));
  EXPECT_EQ(c.ComPort(), Codec::Answer::Pending);
  // What ser2net sends on a new connection: answers to our own requests need no reply, ECHO is
  // refused (the module's bytes must come back as they are), the COM port option is taken.
  const Bytes server = {kIac,  kWill, 3,     kIac,  kDo,   3,    kIac,
                        kWill, kEcho, kIac,  kDont, kEcho, kIac, kDo,
                        0,     kIac,  kWill, 0,     kIac,  kDo,  kComPortOption};
  EXPECT_TRUE(DecodeByteByByte(c, server).empty());
  EXPECT_EQ(c.TakeReplies(), (Bytes{kIac, kDont, kEcho}));
  EXPECT_EQ(c.ComPort(), Codec::Answer::Accepted);
  // The same requests again change nothing: only the refusal is repeated, and the requests we
  // agreed to get no reply, so two peers never echo each other.
  DecodeByteByByte(c, server);
  EXPECT_EQ(c.TakeReplies(), (Bytes{kIac, kDont, kEcho}));
  // An option we do not have is refused on both sides; a server that withdraws an option it
  // had gets our confirmation.
  DecodeByteByByte(c, {kIac, kDo, 24, kIac, kWill, 31, kIac, kWont, 3});
  EXPECT_EQ(c.TakeReplies(), (Bytes{kIac, kWont, 24, kIac, kDont, 31, kIac, kDont, 3}));

  Codec refused;
  refused.Offer();
  DecodeByteByByte(refused, {kIac, kDont, kComPortOption});
  EXPECT_EQ(refused.ComPort(), Codec::Answer::Refused);
  EXPECT_TRUE(refused.TakeReplies().empty());
}

TEST(TelnetCodec, IacIsDoubledOnTheWayOutAndUndoubledOnTheWayInAcrossAnySplit) {
  Codec c;
  c.Offer();
  DecodeByteByByte(c, {kIac, kDo, kBinary, kIac, kWill, kBinary});
  // A frame whose data and SUM hold 0xFF: each 0xFF travels as two.
  const Bytes frame = {0x02, 0x00, 0x30, 0x03, 0x83, 0xFF, 0xFF, 0x03, 0xFF, 0x0D};
  Bytes wire;
  c.Encode(frame.data(), frame.size(), wire);
  EXPECT_EQ(wire,
            (Bytes{0x02, 0x00, 0x30, 0x03, 0x83, 0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0xFF, 0xFF, 0x0D}));
  // Back through the decoder a byte at a time, and in one piece: the frame exactly.
  EXPECT_EQ(DecodeByteByByte(c, wire), frame);
  Bytes whole;
  c.Decode(wire.data(), wire.size(), whole);
  EXPECT_EQ(whole, frame);
  // In binary mode a NUL after CR is data.
  EXPECT_EQ(DecodeByteByByte(c, {0x0D, 0x00, 0x41}), (Bytes{0x0D, 0x00, 0x41}));
}

TEST(TelnetCodec, WithoutBinaryModeCrTravelsAsCrNul) {
  Codec c;  // the server never took binary mode
  const Bytes data = {0x41, 0x0D, 0x42};
  Bytes wire;
  c.Encode(data.data(), data.size(), wire);
  EXPECT_EQ(wire, (Bytes{0x41, 0x0D, 0x00, 0x42}));
  EXPECT_EQ(DecodeByteByByte(c, wire), data);
}

TEST(TelnetCodec, ComPortNoticesArriveWithTheirValuesAmidData) {
  Codec c;
  c.Offer();
  // Data, the server's answer to SET-BAUDRATE 57600, data, a line-state notice, a
  // subnegotiation of another option (ignored), and a value byte 0xFF escaped inside one.
  const Bytes wire = {0x31,
                      kIac,
                      kSb,
                      kComPortOption,
                      101,
                      0x00,
                      0x00,
                      0xE1,
                      0x00,
                      kIac,
                      kSe,
                      0x32,
                      kIac,
                      kSb,
                      kComPortOption,
                      106,
                      0x0C,
                      kIac,
                      kSe,
                      kIac,
                      kSb,
                      24,
                      0x00,
                      0x41,
                      kIac,
                      kSe,
                      kIac,
                      kSb,
                      kComPortOption,
                      107,
                      kIac,
                      kIac,
                      kIac,
                      kSe,
                      0x33};
  EXPECT_EQ(DecodeByteByByte(c, wire), (Bytes{0x31, 0x32, 0x33}));
  const std::vector<ComPortNotice> notices = c.TakeNotices();
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0], (ComPortNotice{cpSetBaudRate, {0x00, 0x00, 0xE1, 0x00}}));
  EXPECT_EQ(notices[1], (ComPortNotice{cpNotifyLineState, {0x0C}}));
  EXPECT_EQ(notices[2], (ComPortNotice{cpNotifyModemState, {0xFF}}));
  EXPECT_EQ(LineStateErrors(0x0C), ceFrame | ceParity);
  EXPECT_EQ(LineStateErrors(0x13), ceBreak | ceOverrun);  // Data Ready is no error
  // A subnegotiation cut short by another command ends there; the command still counts.
  Codec d;
  d.Offer();
  DecodeByteByByte(d, {kIac, kSb, kComPortOption, 106, 0x08, kIac, kDont, kComPortOption});
  EXPECT_EQ(d.TakeNotices().size(), 1u);
  EXPECT_EQ(d.ComPort(), Codec::Answer::Refused);
}

TEST(TelnetCodec, LineSettingsBecomeTheCommandsInTheirOrder) {
  LineSettings line{TBaudRate::br57600, TDataBits::dbEight, TParityBits::prEven,
                    TStopBits::sbTwoStopBits, TFlowControl::fcHardware};
  const Bytes expected = {kIac, kSb, 44, 1, 0x00, 0x00, 0xE1, 0x00, kIac, kSe,  // 57600
                          kIac, kSb, 44, 2, 8,    kIac, kSe,                    // 8 bits
                          kIac, kSb, 44, 3, 3,    kIac, kSe,                    // even
                          kIac, kSb, 44, 4, 2,    kIac, kSe,                    // two stop bits
                          kIac, kSb, 44, 5, 3,    kIac, kSe};                   // hardware flow
  EXPECT_EQ(LineSettingsCommands(line), expected);
  // A value byte 0xFF is doubled inside the subnegotiation.
  const uint8_t value[] = {0x00, 0xFF};
  EXPECT_EQ(ComPortCommandBytes(cpSetBaudRate, value),
            (Bytes{kIac, kSb, 44, 1, 0x00, 0xFF, 0xFF, kIac, kSe}));
}

}  // namespace
