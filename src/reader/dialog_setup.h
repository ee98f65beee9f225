#pragma once
// The set-up every dialog of the reader shares: the shell's dialog initialisation, and the whole
// screen in full-screen mode.
#include "platform/user/user.h"

void SetUpDialog(HWND dialog, DWORD flags);
