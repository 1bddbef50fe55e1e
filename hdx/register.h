#pragma once
class HandlerRegistry;
// TI HDX, multipage editor, SIC279, HDX+ and the tag memory viewer.
void RegisterHdxHandlers(HandlerRegistry& registry);
