#include "fdx/register.h"

#include "app/handler_registry.h"
#include "fdx/animal_id_programming.h"
#include "fdx/em4305_commands.h"
#include "fdx/fdx_id_read.h"
#include "fdx/id_format_setup.h"
#include "fdx/sic7888_commands.h"

void RegisterFdxHandlers(HandlerRegistry& registry) {
  RegisterFdxIdRead(registry);
  RegisterSic7888Commands(registry);
  RegisterEm4305Commands(registry);
  RegisterAnimalIdProgramming(registry);
  RegisterIdFormatSetup(registry);
}
