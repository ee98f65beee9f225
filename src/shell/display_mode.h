#pragma once
// Display modes for reading in the dark: night (light text on a dark screen) and red (shades of
// red on black, which keeps the eyes' dark adaptation outdoors). The mode is kept in the
// settings value "DisplayMode" and shown by the platform's screen colours.
#include <cstdint>

#include "reader/display_setting.h"

// The mode's name ("off", "night", "red") and back; -1 for an unknown name.
const char* DisplayModeName(int32_t mode);
int32_t DisplayModeFromName(const char* name);

// Shows the screen in App.DisplayMode.
void ApplyDisplayMode();
// Ctrl+N: off, night, red, off again.
void CycleDisplayMode();
