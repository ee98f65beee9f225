#pragma once
// The "Go" and "Bottom" menus of the bar the program made (App.MenuBar), and their check marks.
#include <cstdint>

#include "platform/bars/menu.h"
#include "platform/user/user.h"

// The menus that hold the items of the pop-ups "&Go" and "&Bottom" (nullptr without a bar).
HMENU GoMenu();
HMENU BottomMenu();
// Set mode (non-zero): checks the item when state is not 0 and returns 1, else unchecks it and
// returns 0. Toggle mode (0): flips the item's check mark and returns the new state.
int SetMenuCheck(HMENU menu, int setMode, UINT id, uint32_t state);
