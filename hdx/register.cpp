#include "hdx/register.h"

#include "shell/handler_registry.h"

void RegisterHdxHandlers(HandlerRegistry& /*registry*/) {}
