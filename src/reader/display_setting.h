#pragma once
// The display mode as a setting: the values of "DisplayMode", and the mode a start asks for on
// the command line.
#include <cstdint>

constexpr int32_t kDisplayModeOff = 0;
constexpr int32_t kDisplayModeNight = 1;
constexpr int32_t kDisplayModeRed = 2;

// The mode a start asks for on the command line (--night, --night=red); it wins over the stored
// one for this run. -1 forgets the request.
void RequestDisplayMode(int32_t mode);
int32_t RequestedDisplayMode();
