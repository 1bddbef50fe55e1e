#pragma once
// The one place where series programming reaches the link's waits and port state: the engine and
// the production window wait and look at the port only through these.
#include <cstdint>
#include <functional>
#include <string>

class AppCore;

namespace production {

// Lets the event loop run for up to ms milliseconds (the port's events are handled meanwhile), or
// until `until` holds.
void PumpFor(uint32_t ms, const std::function<bool()>& until = nullptr);
// The module's port was open and has vanished since (no module: true).
bool PortLost(AppCore& app);
// The module's port as the user named it ("COM9", a device path); "" without a module.
std::string PortName(AppCore& app);

}  // namespace production
