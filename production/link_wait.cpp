#include "production/link_wait.h"

#include "app/app_core.h"
#include "link/event_pump.h"

namespace production {

void PumpFor(uint32_t ms, const std::function<bool()>& until) {
  PumpUntil(until, ms);
}

bool PortLost(AppCore& app) {
  return !app.Comm() || app.Comm()->PortLost();
}

std::string PortName(AppCore& app) {
  return app.Comm() ? app.Comm()->PortName() : std::string();
}

}  // namespace production
