#pragma once
// Network port names: "socket://HOST:PORT" (raw TCP) and "rfc2217://HOST:PORT" (Telnet with the
// COM port option), HOST a name, an IPv4 address or an IPv6 address in brackets ("[::1]:2001").
#include <cstdint>
#include <optional>
#include <string>

enum class NetScheme { Socket, Rfc2217 };

struct NetAddress {
  NetScheme scheme = NetScheme::Socket;
  std::string host;  // without the brackets of an IPv6 address
  uint16_t port = 0;

  bool operator==(const NetAddress&) const = default;
};

// Whether the text is written as a URL ("scheme://..."), well formed or not: such a name is
// never a serial device.
bool LooksLikeUrl(const std::string& text);

// The address of a well-formed network port name; nothing, with the reason in *error, otherwise.
std::optional<NetAddress> ParseNetAddress(const std::string& text, std::string* error = nullptr);

// "rfc2217://[::1]:2001": the name the address was parsed from, in its one written form.
std::string NetAddressUrl(const NetAddress& address);
