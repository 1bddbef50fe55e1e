#include "maintenance/register.h"

#include "maintenance/reader_commands.h"
#include "shell/handler_registry.h"

void RegisterMaintenanceHandlers(HandlerRegistry& registry) { RegisterReaderCommands(registry); }
