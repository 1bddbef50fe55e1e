#pragma once
class HandlerRegistry;
// FDX ID reading, SIC7888, EM4305, animal ID programming and the ID format set-up.
void RegisterFdxHandlers(HandlerRegistry& registry);
