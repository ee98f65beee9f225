#include "shell/display_mode.h"

#include <cstring>

#include "platform/user/screen_colours.h"
#include "reader/app_state.h"

namespace {

constexpr const char* kNames[] = {"off", "night", "red"};

}  // namespace

const char* DisplayModeName(int32_t mode) {
    return mode >= kDisplayModeOff && mode <= kDisplayModeRed ? kNames[mode] : "off";
}

int32_t DisplayModeFromName(const char* name) {
    for (int32_t i = 0; i < 3; ++i)
        if (std::strcmp(name, kNames[i]) == 0) return i;
    return -1;
}

void ApplyDisplayMode() {
    ScreenColours colours = ScreenColours::Normal;
    if (App.DisplayMode == kDisplayModeNight) colours = ScreenColours::Night;
    if (App.DisplayMode == kDisplayModeRed) colours = ScreenColours::Red;
    SetScreenColours(colours);
}

void CycleDisplayMode() {
    App.DisplayMode = App.DisplayMode >= kDisplayModeRed ? kDisplayModeOff : App.DisplayMode + 1;
    App.DisplayModeChanged = 1;
    ApplyDisplayMode();
}
