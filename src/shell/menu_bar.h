#pragma once
// The bar that carries the "Go" and "Bottom" menus and the six tool buttons: the shell's menu
// bar at the bottom of the screen, or a command bar at the top of the window.
#include "platform/user/user.h"
#include "reader/menus.h"

void CreateMenuBar(HWND window);
