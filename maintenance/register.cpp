#include "maintenance/register.h"

#include "app/handler_registry.h"
#include "maintenance/command_test.h"
#include "maintenance/parameter_memory_commands.h"
#include "maintenance/reader_check_model.h"
#include "maintenance/reader_commands.h"

void RegisterMaintenanceHandlers(HandlerRegistry& registry) {
  RegisterReaderCommands(registry);
  RegisterParameterMemoryCommands(registry);
  RegisterCommandTest(registry);
  registry.Add("MnReaderCheck", [](AppCore& a, const std::string&) { ShowReaderCheck(a); });
}
