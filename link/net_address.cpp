#include "link/net_address.h"

#include <cctype>

namespace {

constexpr const char* kSocket = "socket://";
constexpr const char* kRfc2217 = "rfc2217://";

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

std::optional<NetAddress> Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return std::nullopt;
}

// A host name or IPv4 address: letters, digits, '-', '.' and '_' only (nothing a shell or an
// INI line would take apart).
bool PlainHost(const std::string& host) {
  for (const char c : host)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_')
      return false;
  return !host.empty();
}

bool Ipv6Text(const std::string& host) {
  for (const char c : host)
    if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
  return host.find(':') != std::string::npos;
}

}  // namespace

bool LooksLikeUrl(const std::string& text) {
  const size_t at = text.find("://");
  if (at == std::string::npos || at == 0) return false;
  for (size_t i = 0; i < at; ++i)
    if (!std::isalnum(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

std::optional<NetAddress> ParseNetAddress(const std::string& text, std::string* error) {
  NetAddress a;
  std::string rest;
  if (StartsWith(text, kSocket)) {
    a.scheme = NetScheme::Socket;
    rest = text.substr(std::string(kSocket).size());
  } else if (StartsWith(text, kRfc2217)) {
    a.scheme = NetScheme::Rfc2217;
    rest = text.substr(std::string(kRfc2217).size());
  } else {
    return Fail(error, text + ": not a network port (socket://HOST:PORT or rfc2217://HOST:PORT)");
  }
  size_t colon;
  if (!rest.empty() && rest[0] == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos) return Fail(error, text + ": the IPv6 address lacks its ']'");
    a.host = rest.substr(1, close - 1);
    if (!Ipv6Text(a.host)) return Fail(error, text + ": not an IPv6 address: " + a.host);
    colon = close + 1;
    if (colon >= rest.size() || rest[colon] != ':')
      return Fail(error, text + ": the port number is missing (HOST:PORT)");
  } else {
    colon = rest.rfind(':');
    if (colon == std::string::npos)
      return Fail(error, text + ": the port number is missing (HOST:PORT)");
    a.host = rest.substr(0, colon);
    if (a.host.find(':') != std::string::npos)
      return Fail(error, text + ": an IPv6 address is written in brackets ([::1]:2001)");
    if (!PlainHost(a.host)) return Fail(error, text + ": the host name is missing or not valid");
  }
  const std::string port = rest.substr(colon + 1);
  long value = 0;
  for (const char c : port) {
    if (!std::isdigit(static_cast<unsigned char>(c)) || value > 65535) {
      value = -1;
      break;
    }
    value = value * 10 + (c - '0');
  }
  if (port.empty() || value < 1 || value > 65535)
    return Fail(error, text + ": the port number must be 1 to 65535");
  a.port = static_cast<uint16_t>(value);
  return a;
}

std::string NetAddressUrl(const NetAddress& address) {
  const std::string host =
      address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
  return std::string(address.scheme == NetScheme::Socket ? kSocket : kRfc2217) + host + ":" +
         std::to_string(address.port);
}
