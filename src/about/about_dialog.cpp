#include "about/about_dialog.h"

#include "about/maker_site.h"
#include "about/update_check.h"
#include "platform/access/access.h"
#include "platform/gdi/gdi.h"
#include "platform/user/dialog_template.h"
#include "reader/app_state.h"

namespace {

constexpr int kPictureBitmap = 113;  // the program's picture

// The one value the dialog keeps while it is open.
HFONT gLinkFont = nullptr;

constexpr int kLinkTextCapacity = 100;
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr LONG kLinkWeight = 800;
constexpr int kDefaultLinkPoints = 10;

// Gives the link its own font (the control's, underlined and heavy) and sizes the control to its
// text. Without the font the control keeps its own font and size.
void MakeLinkFont(HWND dialog) {
    HWND link = GetDlgItem(dialog, kAboutLinkId);
    HDC dc = GetDC(link);
    LOGFONT lf{};
    GetObject(HGDIOBJ(SendMessage(link, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfUnderline = 1;
    if (!lf.lfFaceName[0]) {
        const char16_t tahoma[] = u"Tahoma";
        for (int i = 0; tahoma[i]; ++i) lf.lfFaceName[i] = tahoma[i];
    }
    if (lf.lfHeight == 0) lf.lfHeight = -(GetDeviceCaps(dc, LOGPIXELSY) * kDefaultLinkPoints) / 72;
    lf.lfWeight = kLinkWeight;
    gLinkFont = CreateFontIndirect(&lf);
    if (gLinkFont) {
        HGDIOBJ before = SelectObject(dc, gLinkFont);
        char16_t text[kLinkTextCapacity + 1] = {};
        int n = GetWindowText(link, text, kLinkTextCapacity);
        SendMessage(link, WM_SETFONT, WPARAM(gLinkFont), 1);
        SIZE size{};
        GetTextExtentPoint32(dc, text, n, &size);
        size.cx += 2 * GetSystemMetrics(SM_CXEDGE);
        size.cy += 2 * GetSystemMetrics(SM_CYEDGE);
        SetWindowPos(link, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
        SelectObject(dc, before);
    }
    ReleaseDC(link, dc);
}

// Draws the link as blue text on the control's own background.
void DrawLink(const DRAWITEMSTRUCT* item) {
    char16_t text[kLinkTextCapacity + 1] = {};
    int n = GetWindowText(item->hwndItem, text, kLinkTextCapacity);
    HDC dc = item->hDC;
    SetTextColor(dc, kLinkBlue);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, kWhite);
    ExtTextOut(dc, GetSystemMetrics(SM_CXEDGE) / 2, 0, ETO_CLIPPED, &item->rcItem, text, UINT(n),
               nullptr);
}

// The control lets go of the font before it is deleted.
void ReleaseLinkFont(HWND dialog) {
    if (!gLinkFont) return;
    SendMessage(GetDlgItem(dialog, kAboutLinkId), WM_SETFONT, 0, FALSE);
    DeleteObject(gLinkFont);
    gLinkFont = nullptr;
}

}  // namespace

// Returns TRUE only for OK and Cancel, which end the dialog.
LRESULT AboutDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            // Its caption is the program's name; a screen reader names it for what it is.
            SetAccessName(dialog, u"About");
            SetAccessImageName(kPictureBitmap, u"Orvanel: an open book under a star");
            MakeLinkFont(dialog);
            return FALSE;
        case WM_SIZE:
            // The dialog keeps its template layout; a screen smaller than the dialog pulls the
            // controls inside.
            FitDialogItems(dialog);
            return FALSE;
        case WM_DESTROY:
            // Also when the dialog goes without OK or Cancel (the program is closing).
            ReleaseLinkFont(dialog);
            return FALSE;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item && item->CtlID == UINT(kAboutLinkId)) DrawLink(item);
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, LOWORD(wp));
                    ReleaseLinkFont(dialog);
                    return TRUE;
                case kAboutLinkId:
                    OpenWebAddress(GetDlgItem(dialog, kAboutLinkId), kMakerSite);
                    return FALSE;
            }
            return FALSE;
    }
    return FALSE;
}

void RunAboutDialog(HWND owner) {
    DialogBoxParam(App.Instance, kAboutDialogId, owner, AboutDialogProc, 0);
}
