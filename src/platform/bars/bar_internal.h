#pragma once
// Shared by menus and bars: item texts with their "&" marks.
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi.h"

// The text as shown, and which unit the "&" marked (-1: none); "&&" shows one "&".
struct MenuLabel {
    std::u16string text;
    int mark = -1;
};
MenuLabel ParseMenuLabel(std::u16string_view text);
// The virtual key of the label's underlined letter or digit ('A'..'Z', '0'..'9'), or 0.
unsigned MenuLabelKey(const MenuLabel& label);
// Draws the label with its cell's top-left at (x, y), underlining the marked unit.
void DrawMenuLabel(HDC dc, int x, int y, const MenuLabel& label);
int MenuLabelWidth(HDC dc, const std::u16string& text);

// How a menu came up: by the stylus (nothing highlighted) or by a key (its first item
// highlighted).
enum class MenuOpening { Stylus, Key };
// Shows the menu and follows the stylus and the keys until it closes, as TrackPopupMenu does;
// returns the chosen command, or 0. With `step` (a menu of a bar), Left and Right close it and
// set *step to -1 or +1, for the bar to open its neighbour; *step is 0 otherwise.
UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner, MenuOpening opening, int* step);

// The bar window behind both the shell's menu bar and the command bar (toolbar.cpp).
enum class BarEdge { Top, Bottom };
constexpr int kBarHeight = 26;
HWND CreateBar(HWND parent, int id, BarEdge edge, bool visible);
bool IsBar(HWND w);
// A text button that opens `popup` (the bar does not own it).
void AddMenuButton(HWND bar, int at, int command, const std::u16string& text, HMENU popup);
// The menu the bar owns and destroys with itself.
void SetBarMenu(HWND bar, HMENU menu);
HMENU BarMenu(HWND bar);
HMENU BarPopupFor(HWND bar, int command);
void AddCloseButton(HWND bar);

// What the accessible tree shows of bars and open pop-up menus (access_controls.cpp).
struct AccessItemInfo {
    std::u16string name;  // the label without its "&" mark; a tool button's tooltip
    RECT rect{};          // in the window's client coordinates
    bool separator = false;
    bool opensMenu = false;
    bool enabled = true;
    bool checked = false;
    bool radio = false;
    bool hot = false;         // the item the stylus or the keys are on
    std::u16string shortcut;  // the key its label shows after a tab ("Ctrl+F"), if any
};
std::vector<AccessItemInfo> DescribeBarButtons(HWND bar);
bool IsBottomBar(HWND bar);
std::vector<AccessItemInfo> DescribePopupItems(HWND popup);
// The label of the item that opens this pop-up in its menu ("Go"), or "".
std::u16string DescribePopupName(HWND popup);
std::u16string MenuTitleOf(HMENU menu);
