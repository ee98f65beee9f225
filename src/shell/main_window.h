#pragma once
#include "platform/user/user.h"

LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// 0 when the command was handled, 1 when not.
int HandleCommand(HWND hwnd, int command);
