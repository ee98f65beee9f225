#pragma once
// Zoom: Ctrl+Plus, Ctrl+Minus, Ctrl+0 and Ctrl with the wheel step the display font's size
// through the sizes the font dialog lists (kFontSizes), laying both panes out again through the font path
// and keeping the text that was at each pane's top at its top.
#include <cstdint>

#include "platform/user/user.h"

enum class ZoomDirection { Out = -1, In = 1 };

// The size after one step from `shown` (the cell height the font shows now): the next listed
// size above or below it, or 0 when there is none.
int32_t NextZoomSize(int32_t shown, ZoomDirection direction);

// One step; returns true when the size changed.
bool StepZoom(HWND window, ZoomDirection direction);
// Back to the size stored when the reader started; true when the size changed.
bool ResetZoom(HWND window);

struct TextPane;
// The byte offset where reading starts on the pane's first visible line (the line after a gap
// row when the pane starts at one): its first stored byte for left-to-right lines, its last for
// right-to-left lines, which are stored in display order. -1 without lines.
int32_t TopTextOffset(const TextPane* pane);
