#include "link/link_factory.h"

#include "link/com_port.h"
#include "link/net_address.h"
#include "link/port_registry.h"
#include "link/rfc2217_link.h"
#include "link/tcp_link.h"

std::unique_ptr<ByteLink> MakeByteLink(const std::string& name, const LineSettings& line) {
  std::unique_ptr<ByteLink> link;
  if (const std::string url = port_registry::NetworkUrl(name); !url.empty()) {
    // A URL of another scheme, or a malformed one, gets a link whose Open says what is wrong.
    if (url.rfind("rfc2217://", 0) == 0)
      link = std::make_unique<Rfc2217Link>(url);
    else
      link = std::make_unique<TcpLink>(url);
  } else {
    auto port = std::make_unique<TComPort>();
    port->SetPort(name);
    link = std::move(port);
  }
  link->ApplyLineSettings(line);
  return link;
}

bool IsNetworkPort(const std::string& name) {
  return !port_registry::NetworkUrl(name).empty();
}
