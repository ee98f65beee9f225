#pragma once
// The Search dialog's on-screen keyboard (bitmap 119): three rows of nine letter keys, 17 x 25
// pixels each, the first key at the top right, and a space bar below them.
#include "platform/user/user.h"

constexpr int kKeyboardWidth = 154;
constexpr int kKeyboardHeight = 95;
constexpr int kKeyWidth = 17;
constexpr int kKeyHeight = 25;
// Where the keyboard stands in the dialog, in dialog units.
constexpr int kKeyboardX = 7;
constexpr int kKeyboardY = 71;

// Where the keyboard's top-left pixel stands in the dialog's client area: where the dialog
// placed the bitmap.
POINT KeyboardOrigin(HWND dialog);
// The key position (0 the space bar, 1-27 the letters) under client pixel x, y of a dialog whose
// keyboard stands at `origin`, or -1 when no key is there.
int KeyAtPoint(POINT origin, int x, int y);

// On a pen-down in the Search dialog: 0 when a key was hit (its letter is inserted), 1 otherwise.
int KeyboardHitTest(HWND dialog, int x, int y);
