#pragma once
// Display modes for reading in the dark: night (light text on a dark screen) and red (shades of
// red on black, which keeps the eyes' dark adaptation outdoors). The mode is kept in the
// settings value "DisplayMode" and shown by the platform's screen colours.
#include <cstdint>

constexpr int32_t kDisplayModeOff = 0;
constexpr int32_t kDisplayModeNight = 1;
constexpr int32_t kDisplayModeRed = 2;

// The mode a start asks for on the command line (--night, --night=red); it wins over the stored
// one for this run. -1 forgets the request.
void RequestDisplayMode(int32_t mode);
int32_t RequestedDisplayMode();

// The mode's name ("off", "night", "red") and back; -1 for an unknown name.
const char* DisplayModeName(int32_t mode);
int32_t DisplayModeFromName(const char* name);

// Shows the screen in App.DisplayMode.
void ApplyDisplayMode();
// Ctrl+N: off, night, red, off again.
void CycleDisplayMode();
