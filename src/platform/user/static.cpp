// STATIC: left and centred text, and bitmaps.
#include "platform/gdi/gdi_internal.h"
#include "platform/user/dialog.h"
#include "platform/user/window_internal.h"

namespace {

struct StaticState {
    HBITMAP image = nullptr;
};

StaticState* StateOf(HWND w) { return static_cast<StaticState*>(w->control); }

void Paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    HBRUSH brush = w->parent ? reinterpret_cast<HBRUSH>(SendMessage(
                                   w->parent, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(w)))
                             : nullptr;
    if (!brush || !gdi::IsValidObject(brush)) {
        brush = GetStockObject(WHITE_BRUSH);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    FillRect(dc, &r, brush);
    DWORD kind = w->style & SS_TYPEMASK;
    if (kind == SS_BITMAP) {
        HBITMAP bmp = StateOf(w)->image;
        if (bmp && bmp->surface) {
            HDC mem = CreateCompatibleDC(dc);
            SelectObject(mem, bmp);
            int bw = cairo_image_surface_get_width(bmp->surface);
            int bh = cairo_image_surface_get_height(bmp->surface);
            BitBlt(dc, 0, 0, bw, bh, mem, 0, 0, SRCCOPY);
            DeleteDC(mem);
        }
    } else {
        if (w->font) SelectObject(dc, w->font);
        SetBkMode(dc, TRANSPARENT);
        UINT format = DT_WORDBREAK | DT_NOPREFIX;
        if (kind == SS_CENTER) format |= DT_CENTER;
        if (kind == SS_RIGHT) format |= DT_RIGHT;
        DrawText(dc, w->title.c_str(), -1, &r, format);
    }
    EndPaint(w, &ps);
}

LRESULT StaticProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: w->control = new StaticState; return 0;
        case WM_DESTROY:
            if (StateOf(w)->image) DeleteObject(StateOf(w)->image);
            delete StateOf(w);
            w->control = nullptr;
            return 0;
        case WM_PAINT: Paint(w); return 0;
        case WM_ERASEBKGND: return 1;
        // Returns the previous image; the control owns the new one and deletes it at the end.
        case STM_SETIMAGE: {
            HBITMAP old = StateOf(w)->image;
            StateOf(w)->image = reinterpret_cast<HBITMAP>(lp);
            // A bitmap static takes the size of its image, as on the handheld's window system.
            HBITMAP bmp = StateOf(w)->image;
            if ((w->style & SS_TYPEMASK) == SS_BITMAP && bmp && bmp->surface)
                SetWindowPos(w, nullptr, 0, 0, cairo_image_surface_get_width(bmp->surface),
                             cairo_image_surface_get_height(bmp->surface),
                             SWP_NOMOVE | SWP_NOZORDER);
            InvalidateRect(w, nullptr, TRUE);
            return LRESULT(old);
        }
        case STM_GETIMAGE: return LRESULT(StateOf(w)->image);
        // Taps go to the parent as STN_CLICKED when the control asks for notifications.
        case WM_LBUTTONUP:
            if ((w->style & SS_NOTIFY) && w->parent)
                SendMessage(w->parent, WM_COMMAND, MAKEWPARAM(w->id, 0), LPARAM(w));
            return 0;
        case WM_SETTEXT: {
            LRESULT r = DefWindowProc(w, msg, wp, lp);
            InvalidateRect(w, nullptr, TRUE);
            return r;
        }
    }
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

WNDPROC StaticWindowProc() { return StaticProc; }

WNDPROC ButtonWindowProc();
WNDPROC EditWindowProc();
WNDPROC ListBoxWindowProc();
WNDPROC ScrollBarWindowProc();

// Registers the standard control classes once.
void RegisterBuiltinControls() {
    // Registering an existing class fails harmlessly, so this also restores the classes after
    // the window system was reset.
    WNDCLASS wc{};
    wc.lpfnWndProc = ButtonWindowProc();
    wc.lpszClassName = u"BUTTON";
    RegisterClass(&wc);
    wc.lpfnWndProc = StaticProc;
    wc.lpszClassName = u"STATIC";
    RegisterClass(&wc);
    wc.lpfnWndProc = EditWindowProc();
    wc.lpszClassName = u"EDIT";
    RegisterClass(&wc);
    wc.lpfnWndProc = ListBoxWindowProc();
    wc.lpszClassName = u"LISTBOX";
    RegisterClass(&wc);
    wc.lpfnWndProc = ScrollBarWindowProc();
    wc.lpszClassName = u"SCROLLBAR";
    RegisterClass(&wc);
}
