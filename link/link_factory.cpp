#include "link/link_factory.h"

#include "link/com_port.h"

std::unique_ptr<ByteLink> MakeByteLink(const std::string& name, const LineSettings& line) {
  auto port = std::make_unique<TComPort>();
  port->SetPort(name);
  port->ApplyLineSettings(line);
  return port;
}
