#pragma once
// The Search dialog (dialog 115): the field, the on-screen keyboard and OK, which searches.
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

constexpr WORD kSearchDialogId = 115;
constexpr WORD kKeyboardBitmapId = 119;
// The Find All button beside OK; Shift+Enter presses it too.
constexpr int kFindAllButtonId = 1014;

// What the dialog keeps while it is open; zeroed each time it opens.
struct SearchDialogState {
    HFONT font;  // made for the field from the top pane's font record
    int baseX;   // dialog base units, in pixels
    int baseY;
    bool foundHit;  // OK found and showed a hit
};
extern SearchDialogState SearchDialog;

// The Search command: runs the dialog modally over `owner`. Its result is not used.
void RunSearchDialog(HWND owner);
LRESULT SearchDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
