#pragma once
// Dialog templates as records, in dialog units of the dialog's own font.
#include "platform/win32_types.h"

struct DialogItemTemplate {
    const char16_t* className;  // u"BUTTON", u"STATIC", u"EDIT", u"LISTBOX", u"SCROLLBAR"
    const char16_t* text;
    WORD id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD imageId = 0;  // STATIC with SS_BITMAP: the bitmap resource
};

struct DialogTemplate {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    const char16_t* caption;
    const char16_t* fontFace;  // with DS_SETFONT
    WORD pointSize;
    const DialogItemTemplate* items;
    int itemCount;
};

// How FitDialogItems treats bitmaps: a picture that taps are mapped onto stays where the
// template puts it.
enum class FitBitmaps { Move, Keep };
// Puts every control made from the dialog's template back at its template place (at its current
// size), pulled inside the client area and no larger than it: the size handler of a dialog of
// fixed layout that a small screen has cut down.
void FitDialogItems(HWND dialog, FitBitmaps bitmaps = FitBitmaps::Move);

// Messages and codes of the dialog manager.
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT DM_GETDEFID = 0x0400;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DC_HASDEFID = 0x534B;

// Button messages.
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;
constexpr UINT BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;
constexpr LRESULT BST_PUSHED = 4;

// Static messages.
constexpr UINT STM_SETIMAGE = 0x0172;
constexpr UINT STM_GETIMAGE = 0x0173;
constexpr WPARAM IMAGE_BITMAP = 0;

struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    uintptr_t itemData;
};
