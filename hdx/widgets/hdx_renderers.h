#pragma once
// The HDX family's bespoke windows: the multipage editor and the tag memory viewer.

// Registers them with the window's prompts (WidgetPrompts); the program calls it once.
void RegisterHdxDialogRenderers();
