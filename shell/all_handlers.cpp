// Links every family's handlers into one registry (the window and the command runner use it).
#include "app/handler_registry.h"
#include "fdx/register.h"
#include "hdx/register.h"
#include "maintenance/register.h"
#include "production/series_program_dlg.h"

void RegisterAllHandlers(HandlerRegistry& registry) {
  RegisterMaintenanceHandlers(registry);
  RegisterHdxHandlers(registry);
  RegisterFdxHandlers(registry);
  RegisterSeriesProgramming(registry);
}
