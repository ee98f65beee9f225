#pragma once
// Selecting with the mouse and the keys in the panes: a press and a move of more than a few
// pixels drags a selection (scrolling the pane while the pointer is beyond its top or bottom), a
// press and release without moving is a tap that pages, a double click selects a word and a
// triple click a paragraph, Shift+click extends; Ctrl+A selects the active pane's article and
// Escape clears. The desktop's primary selection offers the selected text.
#include "platform/win32_types.h"

// The main window's pointer messages. wp carries MK_ flags and, in its high word, the press's
// click count (1 for a single click; 0 counts as 1).
void OnPointerDown(HWND window, WPARAM wp, LPARAM lp);
void OnPointerMove(HWND window, WPARAM wp, LPARAM lp);
void OnPointerUp(HWND window, WPARAM wp, LPARAM lp);
// Returns 0 when the key was one of the selection's keys, 1 when not.
LRESULT OnSelectionKey(HWND window, WPARAM key);
// Offers the selection's plain text (as Copy gives it) as the desktop's primary selection, or
// gives the primary selection up when nothing is selected; the selection's listener.
void OfferPrimarySelection();
