#pragma once
// Message boxes whose Escape is not their Cancel button.
#include "platform/user/user.h"

// MessageBox, except that Escape (and only Escape) ends the box with `escapeAnswer` (IDYES,
// IDNO, IDCANCEL or IDOK): for a question whose Cancel button does more than back out, so
// that the key a user presses to back out cannot do it.
int MessageBoxEscaping(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style, int escapeAnswer);
