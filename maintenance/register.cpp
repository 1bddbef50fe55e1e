#include "maintenance/register.h"

#include "maintenance/command_test.h"
#include "maintenance/parameter_memory_commands.h"
#include "maintenance/reader_commands.h"
#include "shell/handler_registry.h"

void RegisterMaintenanceHandlers(HandlerRegistry& registry) {
  RegisterReaderCommands(registry);
  RegisterParameterMemoryCommands(registry);
  RegisterCommandTest(registry);
}
