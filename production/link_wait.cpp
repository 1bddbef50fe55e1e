#include "production/link_wait.h"

#include "app/app_core.h"

namespace production {

void PumpFor(uint32_t ms) {
  TTirisC1Dlg::PumpFor(ms);
}

bool PortLost(AppCore& app) {
  return !app.Comm() || app.Comm()->PortLost();
}

std::string PortName(AppCore& app) {
  return app.Comm() ? app.Comm()->CommX1().Port() : std::string();
}

}  // namespace production
