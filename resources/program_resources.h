#pragma once
// The program's own resources (menus, dialogs, strings, accelerators, bitmaps, icon).

// Adds them to the resource table.
void RegisterProgramResources();
