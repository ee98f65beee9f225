#pragma once
// The two panes as a screen reader sees them: text objects holding their articles in reading
// order, the caret at the start of the first line shown, a search hit as the selection.
#include "platform/win32_types.h"

// Describes the panes of the main window to the accessibility layer.
void ExposePanes(HWND mainWindow);
