#pragma once
// Menus and the bars that carry them: menu resources with pop-ups, separators, check marks and
// radio checks; pop-up menus that follow the stylus; the shell's menu bar at the bottom of the
// window (built from a menu-bar description) and the command bar at its top, both carrying
// tool buttons from an image strip.
#include "platform/win32_constants.h"
#include "platform/win32_types.h"

// Item flags, as given to AppendMenu and CheckMenuItem and stored in menu templates.
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_END = 0x0080;  // templates: the last item of its level
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

// MENUITEMINFO fields.
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT MFT_SEPARATOR = 0x0800;
constexpr UINT MFS_ENABLED = 0x0000;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_CHECKED = 0x0008;

struct MENUITEMINFO {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    void* hbmpChecked;
    void* hbmpUnchecked;
    uintptr_t dwItemData;
    char16_t* dwTypeData;
    UINT cch;
};

// A menu resource (RT_MENU): items in order, each pop-up followed by its own items; MF_END
// marks the last item of a level. A tab in the text separates the key label.
struct MenuTemplateItem {
    WORD flags;
    WORD id;
    const char16_t* text;
};
struct MenuTemplate {
    const MenuTemplateItem* items;
    int count;
};

HMENU LoadMenu(HINSTANCE instance, WORD id);
HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its pop-ups.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// With MF_POPUP the id is the pop-up menu, which the menu then owns.
BOOL AppendMenu(HMENU menu, UINT flags, uintptr_t idOrPopup, LPCWSTR text);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// By command id (pop-ups are searched too) or by position. Returns the previous state,
// MF_CHECKED or MF_UNCHECKED, or 0xFFFFFFFF when there is no such item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
// Returns the previous MF_GRAYED / MF_DISABLED state, or 0xFFFFFFFF.
DWORD EnableMenuItem(HMENU menu, UINT item, UINT flags);
// Fills the fields the mask names, as far as cbSize reaches; FALSE when there is no such item.
BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFO* info);
// Checks `check` with a radio mark and clears the marks of the other items of its menu whose
// command ids (or positions, with MF_BYPOSITION) lie between first and last.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);

// Pop-up menus.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;
// Shows the menu at screen point (x, y) and follows the stylus until an item is chosen (a tap
// on it, or Enter) or the menu is dismissed (a tap outside, or Escape). The chosen item is
// posted to the owner as WM_COMMAND, or returned with TPM_RETURNCMD; 0 when nothing was chosen.
// The owner hears WM_INITMENUPOPUP first.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* notUsed);
// The pop-up menu window on the screen, or nullptr (for inspection).
HWND OpenPopupMenuWindow();

// Tool-bar buttons and messages, understood by both bars.
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTYLE_BUTTON = 0x00;
constexpr BYTE TBSTYLE_SEP = 0x01;
constexpr BYTE TBSTYLE_DROPDOWN = 0x08;
constexpr BYTE TBSTYLE_AUTOSIZE = 0x10;
struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    BYTE bReserved[2];
    uintptr_t dwData;
    intptr_t iString;
};
struct TBADDBITMAP {
    HINSTANCE hInst;
    uintptr_t nID;
};
constexpr UINT TB_ADDBITMAP = WM_USER + 19;   // wp: image count, lp: TBADDBITMAP*
constexpr UINT TB_ADDBUTTONS = WM_USER + 20;  // wp: count, lp: TBBUTTON*
constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
constexpr UINT TB_SETBITMAPSIZE = WM_USER + 32;  // lp: MAKELPARAM(cx, cy)
constexpr UINT TB_SETTOOLTIPS = WM_USER + 81;    // wp: count, lp: LPCWSTR* (entry 0 unused)

// The shell's menu bar.
constexpr DWORD SHCMBF_EMPTYBAR = 0x0001;
constexpr DWORD SHCMBF_HIDESIPBUTTON = 0x0004;
struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
};
// Builds the bar from the menu-bar description (RCDATA nToolBarId: the menu id, the button
// count, then seven 16-bit words per button: image, command, state, style, string id, 0,
// pop-up index) along the bottom of the parent's client area, and writes it into hwndMB.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);
// Sent to the menu bar with 0 and a button's command: returns that button's pop-up menu.
constexpr UINT SHCMBM_GETSUBMENU = WM_USER + 401;

// The command bar along the top of the parent's client area.
HWND CommandBar_Create(HINSTANCE instance, HWND parent, int id);
int CommandBar_Height(HWND bar);
// Puts the menu's pop-ups at the left of the bar as buttons; `button` is where they go.
BOOL CommandBar_InsertMenubar(HWND bar, HINSTANCE instance, WORD menuId, int button);
// Adds `count` images of cx x cy from bitmap resource `bitmapId`; returns the first image index.
int CommandBar_AddBitmap(HWND bar, HINSTANCE instance, int bitmapId, int count, int cx, int cy);
BOOL CommandBar_AddButtons(HWND bar, UINT count, const TBBUTTON* buttons);
BOOL CommandBar_AddToolTips(HWND bar, UINT count, LPCWSTR* tips);
// The close button at the right end; a tap on it sends WM_CLOSE to the parent.
BOOL CommandBar_AddAdornments(HWND bar, DWORD flags, DWORD reserved);
BOOL CommandBar_Show(HWND bar, BOOL show);
// The menu inserted with CommandBar_InsertMenubar (for button 0), or nullptr.
HMENU CommandBar_GetMenu(HWND bar, int button);

// The key that opens a window's menus (Win32 keeps it among its virtual keys).
constexpr UINT VK_F10 = VK_F1 + 9;
// The bar's menus from the keyboard: F10 opens the first menu, and the key of a menu's
// underlined letter ('A'..'Z', as with Alt) opens that one, with its first item highlighted. In
// an open menu the arrows move, Left and Right go to the neighbouring menu, an item's
// underlined letter or Enter chooses, Escape closes. Returns false when the key opens no menu;
// otherwise the menu has closed again and a chosen item is posted to the bar's parent as
// WM_COMMAND.
bool OpenBarMenuByKey(HWND bar, UINT vk);

// A button of either bar by its text, or a tool button by its tooltip ("&" marks and case
// ignored), in screen coordinates; false when there is none (for the driver and tests).
bool FindBarButton(HWND bar, const char16_t* text, RECT* screenRect);
