// Network port names: what parses, into what, and the reason for what does not.
#include "link/net_address.h"

#include <gtest/gtest.h>

namespace {

TEST(NetAddress, ParsesBothSchemesIpv4NamesAndBracketedIpv6) {
  const auto a = ParseNetAddress("rfc2217://gate-3:2001");
  ASSERT_TRUE(a);
  EXPECT_EQ(*a, (NetAddress{NetScheme::Rfc2217, "gate-3", 2001}));
  const auto b = ParseNetAddress("socket://[::1]:65535");
  ASSERT_TRUE(b);
  EXPECT_EQ(*b, (NetAddress{NetScheme::Socket, "::1", 65535}));
  EXPECT_EQ(NetAddressUrl(*b), "socket://[::1]:65535");
  EXPECT_EQ(NetAddressUrl(*ParseNetAddress("rfc2217://10.0.0.7:7000")), "rfc2217://10.0.0.7:7000");
}

TEST(NetAddress, RefusesWhatIsNotAPortWithItsReason) {
  const std::pair<const char*, const char*> bad[] = {
      {"rfc2217://gate-3", "port number is missing"},
      {"rfc2217://gate-3:0", "1 to 65535"},
      {"rfc2217://gate-3:65536", "1 to 65535"},
      {"rfc2217://gate-3:20x1", "1 to 65535"},
      {"rfc2217://:2001", "host name"},
      {"socket://::1:2001", "in brackets"},
      {"socket://[::1:2001", "lacks its ']'"},
      {"socket://[zz]:2001", "not an IPv6 address"},
      {"rfc2217://a b:1", "host name"},
      {"telnet://gate-3:23", "not a network port"},
  };
  for (const auto& [text, why] : bad) {
    std::string error;
    EXPECT_FALSE(ParseNetAddress(text, &error)) << text;
    EXPECT_NE(error.find(why), std::string::npos) << text << ": " << error;
    EXPECT_EQ(error.rfind(text, 0), 0u) << "the reason names the port: " << error;
  }
  EXPECT_TRUE(LooksLikeUrl("telnet://gate-3:23"));
  EXPECT_FALSE(LooksLikeUrl("/dev/ttyUSB0"));
  EXPECT_FALSE(LooksLikeUrl("COM12"));
}

}  // namespace
