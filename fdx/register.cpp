#include "fdx/register.h"

#include "shell/handler_registry.h"

void RegisterFdxHandlers(HandlerRegistry& /*registry*/) {}
