#pragma once
// The one place that turns a port name into the byte link that carries it. "COMn" (through the
// port registry) and device paths are serial ports; "socket://HOST:PORT" and
// "rfc2217://HOST:PORT", and a COMn registered as one of them, are network ports. The
// communication module, the runner and the window never name a concrete link class.
#include <memory>
#include <string>

#include "link/byte_link.h"
#include "link/line_settings.h"

// The link for `name` with `line` set, not yet opened (Open throws ComPortError). Never null.
std::unique_ptr<ByteLink> MakeByteLink(const std::string& name, const LineSettings& line);

// Whether `name` stands for a network port (a URL, or a COMn registered as one).
bool IsNetworkPort(const std::string& name);
