#pragma once
class HandlerRegistry;
// Module commands, parameter memory and the command test dialog.
void RegisterMaintenanceHandlers(HandlerRegistry& registry);
