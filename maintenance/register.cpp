#include "maintenance/register.h"

#include "shell/handler_registry.h"

void RegisterMaintenanceHandlers(HandlerRegistry& /*registry*/) {}
