#pragma once
// The bar that carries the "Go" and "Bottom" menus and the six tool buttons: the shell's menu
// bar at the bottom of the screen, or a command bar at the top of the window.
#include "platform/menu.h"
#include "platform/user.h"

void CreateMenuBar(HWND window);
// The menus that hold the items of the pop-ups "&Go" and "&Bottom" (nullptr without a bar).
HMENU GoMenu();
HMENU BottomMenu();
// Set mode (non-zero): checks the item when state is not 0 and returns 1, else unchecks it and
// returns 0. Toggle mode (0): flips the item's check mark and returns the new state.
int SetMenuCheck(HMENU menu, int setMode, UINT id, uint32_t state);
