// Window device contexts: a window's DC draws into its top-level window's backing surface, at the
// window's client origin, clipped to what of the window is visible (and to the paint rectangle
// of a DC made by BeginPaint).
#include "platform/gdi/gdi_internal.h"
#include "platform/user/window_internal.h"

namespace {

bool WindowTargetOf(HWND window, const RECT* paintRect, gdi::WindowTarget* target) {
    if (!IsWindow(window)) return false;
    Window* top = wm::TopLevelOf(window);
    wm::EnsureBacking(top);
    target->surface = top->backing;
    target->origin = wm::ClientOriginInTopLevel(window);
    target->clip = wm::VisibleClientInTopLevel(window);
    if (paintRect) {
        const POINT o = target->origin;
        target->clip = wm::Intersect(target->clip, RECT{paintRect->left + o.x, paintRect->top + o.y,
                                                        paintRect->right + o.x,
                                                        paintRect->bottom + o.y});
    }
    wm::BackingChanged(top, &target->clip);
    return true;
}

// The drawing layer finds window DCs' targets here from the first window DC on.
void ConnectWindowTargets() {
    static const bool connected = (gdi::SetWindowTargetSource(WindowTargetOf), true);
    (void)connected;
}

}  // namespace

HDC GetDC(HWND w) {
    if (!IsWindow(w)) return nullptr;
    ConnectWindowTargets();
    HDC dc = gdi::NewDC();
    dc->window = w;
    if (w->font) dc->font = w->font;
    return dc;
}

int ReleaseDC(HWND, HDC hdc) {
    if (!gdi::IsValidDC(hdc)) return 0;
    gdi::FreeDC(hdc);
    return 1;
}

HDC BeginPaint(HWND w, PAINTSTRUCT* ps) {
    if (!IsWindow(w)) return nullptr;
    HDC dc = GetDC(w);
    dc->paintClip = true;
    dc->paintRect = w->needsPaint ? w->invalid : RECT{};
    bool erase = w->needsErase;
    w->needsPaint = false;
    w->needsErase = false;
    w->invalid = RECT{};
    if (erase) erase = SendMessage(w, WM_ERASEBKGND, WPARAM(dc), 0) == 0;
    if (ps) *ps = PAINTSTRUCT{dc, erase ? TRUE : FALSE, dc->paintRect};
    return dc;
}

BOOL EndPaint(HWND w, const PAINTSTRUCT* ps) {
    if (ps) ReleaseDC(w, ps->hdc);
    gdi::ScreenDamaged();
    return TRUE;
}
