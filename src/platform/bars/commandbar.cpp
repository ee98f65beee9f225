// The command bar along the top of its parent: the menu's pop-ups as buttons, tool buttons and
// an optional close button.
#include "platform/bars/bar_internal.h"
#include "platform/bars/menu.h"
#include "platform/resources.h"
#include "platform/user/user.h"

HWND CommandBar_Create(HINSTANCE, HWND parent, int id) {
    return CreateBar(parent, id, BarEdge::Top, false);
}

int CommandBar_Height(HWND bar) {
    RECT r;
    return IsBar(bar) && GetWindowRect(bar, &r) ? int(r.bottom - r.top) : 0;
}

BOOL CommandBar_InsertMenubar(HWND bar, HINSTANCE instance, WORD menuId, int button) {
    if (!IsBar(bar)) return FALSE;
    HMENU menu = LoadMenu(instance, menuId);
    if (!menu) return FALSE;
    SetBarMenu(bar, menu);
    for (int i = 0, at = button; i < GetMenuItemCount(menu); ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (!popup) continue;
        char16_t text[64] = {};
        MENUITEMINFO mi{sizeof mi, MIIM_TYPE, 0, 0, 0, nullptr, nullptr, nullptr, 0, text, 64};
        GetMenuItemInfo(menu, UINT(i), TRUE, &mi);
        AddMenuButton(bar, at++, 0, text, popup);
    }
    return TRUE;
}

int CommandBar_AddBitmap(HWND bar, HINSTANCE instance, int bitmapId, int count, int cx, int cy) {
    if (!IsBar(bar)) return -1;
    SendMessage(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
    TBADDBITMAP add{instance, uintptr_t(bitmapId)};
    return int(SendMessage(bar, TB_ADDBITMAP, WPARAM(count), LPARAM(&add)));
}

BOOL CommandBar_AddButtons(HWND bar, UINT count, const TBBUTTON* buttons) {
    return IsBar(bar) ? BOOL(SendMessage(bar, TB_ADDBUTTONS, count, LPARAM(buttons))) : FALSE;
}

BOOL CommandBar_AddToolTips(HWND bar, UINT count, LPCWSTR* tips) {
    return IsBar(bar) ? BOOL(SendMessage(bar, TB_SETTOOLTIPS, count, LPARAM(tips))) : FALSE;
}

BOOL CommandBar_AddAdornments(HWND bar, DWORD, DWORD) {
    if (!IsBar(bar)) return FALSE;
    AddCloseButton(bar);
    return TRUE;
}

BOOL CommandBar_Show(HWND bar, BOOL show) {
    if (!IsBar(bar)) return FALSE;
    ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
    return TRUE;
}

HMENU CommandBar_GetMenu(HWND bar, int button) {
    return button == 0 ? BarMenu(bar) : nullptr;
}
