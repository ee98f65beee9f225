#pragma once
// A deterministic font engine for tests, so that pixel positions can be computed by hand.
//
// Metrics for a LOGFONT height h: the cell height H is h when h > 0, -h when h < 0 (no internal
// leading) and 16 when h is 0. ascent = H * 3 / 4 (truncated), descent = H - ascent,
// internal leading 0. Bold (weight >= 700) adds 1 to every non-zero advance.
//   advance(space U+0020)           = max(1, H / 4)
//   advance(Hebrew points and marks
//           U+0591-U+05C7, except
//           U+05BE, U+05C0, U+05C3,
//           U+05C6)                 = 0
//   advance(any other unit)         = max(1, H / 2)
//   aveCharWidth = max(1, H / 2) (+1 bold); maxCharWidth = H (+1 bold)
// Drawing: a unit with a non-zero advance a paints a solid block of a - 1 pixels wide from its
// pen position, from y = baseline - H / 2 to the baseline (exclusive), in the text colour; a
// space paints nothing. A zero-advance mark paints a 2 x 2 block whose left edge is one pixel
// left of its pen position, its top 1 pixel below the baseline. An underlined font also paints a
// line 1 pixel high at y = baseline + 1 from the first unit's pen position to the end of the last
// unit's advance.
// Families: "Synthetic" (covers Hebrew, and preferred for it) and "Synthetic Latin"; every code
// point counts as installed.
#include <memory>

#include "platform/gdi/font_engine.h"

std::unique_ptr<FontEngine> MakeSyntheticEngine();
