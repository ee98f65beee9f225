#pragma once
// The colours the screen is shown in. The transform is applied once, where the host's screen
// is composed, so every window, dialog, menu and message box follows it and no drawing code
// knows about it.
#include <cairo.h>

#include <cstdint>

enum class ScreenColours {
    Normal = 0,
    Night = 1,  // dark background, light text; coloured marks keep their hue
    Red = 2,    // shades of red on black, no green or blue at all
};

void SetScreenColours(ScreenColours colours);
ScreenColours CurrentScreenColours();

// One pixel, 0x00RRGGBB, as the screen shows it in the given colours.
uint32_t TransformScreenPixel(uint32_t rgb, ScreenColours colours);
// Transforms an RGB24 image surface in place; nothing for Normal.
void TransformScreenSurface(cairo_surface_t* surface, ScreenColours colours);
