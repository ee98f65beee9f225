// Scroll bars: the SCROLLBAR control and the vertical bar of WS_VSCROLL windows. Both share one
// geometry, one look and one way of following the stylus: a press on an arrow sends a line
// request, on the trough a page request, and dragging the thumb sends SB_THUMBTRACK while it
// moves and SB_THUMBPOSITION where it is let go; every press ends with SB_ENDSCROLL. The bar
// never moves its own position: the receiver does, with SetScrollInfo.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/user/controls.h"
#include "platform/user/window_internal.h"

namespace {

enum class Part { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// Lengths along the bar: arrows at both ends, the trough between them, the thumb inside it.
struct Geometry {
    int length = 0;
    int arrow = 0;
    int troughTop = 0;
    int troughLen = 0;
    int thumbTop = 0;
    int thumbLen = 0;  // 0: no thumb (nothing to scroll, or no room)
};

int MaxPos(const ScrollBarState& s) {
    return s.max - std::max(s.page - 1, 0);
}
bool Scrollable(const ScrollBarState& s) {
    return MaxPos(s) > s.min;
}

Geometry Measure(const ScrollBarState& s, int length, int thickness) {
    Geometry g;
    g.length = length;
    g.arrow = std::min(thickness, length / 2);
    g.troughTop = g.arrow;
    g.troughLen = std::max(0, length - 2 * g.arrow);
    if (!Scrollable(s) || g.troughLen < 6) return g;
    int span = s.max - s.min + 1;
    g.thumbLen = s.page > 0 ? int(int64_t(g.troughLen) * s.page / span) : thickness;
    g.thumbLen = std::clamp(g.thumbLen, std::min(8, g.troughLen), g.troughLen);
    int pos = std::clamp(s.pos, s.min, MaxPos(s));
    g.thumbTop =
        g.troughTop + int(int64_t(g.troughLen - g.thumbLen) * (pos - s.min) / (MaxPos(s) - s.min));
    return g;
}

Part HitPart(const Geometry& g, int along) {
    if (along < 0 || along >= g.length) return Part::None;
    if (along < g.troughTop) return Part::LineUp;
    if (along >= g.troughTop + g.troughLen) return Part::LineDown;
    if (g.thumbLen == 0) return Part::None;
    if (along < g.thumbTop) return Part::PageUp;
    if (along >= g.thumbTop + g.thumbLen) return Part::PageDown;
    return Part::Thumb;
}

// The position whose thumb starts at `thumbTop`, rounded to the nearest.
int PosAt(const ScrollBarState& s, const Geometry& g, int thumbTop) {
    int travel = g.troughLen - g.thumbLen;
    if (travel <= 0) return s.min;
    int off = std::clamp(thumbTop - g.troughTop, 0, travel);
    int64_t span = MaxPos(s) - s.min;
    return s.min + int((off * span + travel / 2) / travel);
}

// The one bar that follows the stylus at a time.
struct Tracking {
    Window* window = nullptr;
    bool control = false;  // a SCROLLBAR control rather than a window's own bar
    Part part = Part::None;
    int grab = 0;  // stylus offset from the thumb's top
    int pos = 0;
} gTrack;

bool Vertical(const Window* w, bool control) {
    return !control || (w->style & SBS_VERT);
}

// The bar's rectangle: the control's client area, or the window's bar in window coordinates.
RECT BarRect(const Window* w, bool control) {
    if (control) return wm::ClientRectOf(w);
    RECT in = wm::NonClientInsets(w);
    int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    int border = in.right - wm::kScrollBarWidth;
    return RECT{width - in.right, in.top, width - border, height - in.bottom};
}

Geometry MeasureBar(const Window* w, bool control) {
    RECT r = BarRect(w, control);
    bool v = Vertical(w, control);
    int length = v ? r.bottom - r.top : r.right - r.left;
    int thickness = v ? r.right - r.left : r.bottom - r.top;
    return Measure(w->vscroll, length, thickness);
}

// The stylus position along the bar, from screen coordinates.
int AlongBar(const Window* w, bool control, int sx, int sy) {
    RECT r = BarRect(w, control);
    POINT origin{};
    if (control) {
        ClientToScreen(const_cast<Window*>(w), &origin);
    } else {
        RECT wr;
        GetWindowRect(const_cast<Window*>(w), &wr);
        origin = POINT{wr.left, wr.top};
    }
    return Vertical(w, control) ? sy - origin.y - r.top : sx - origin.x - r.left;
}

void Notify(Window* w, bool control, WORD code, int pos) {
    UINT msg = Vertical(w, control) ? WM_VSCROLL : WM_HSCROLL;
    if (control) {
        if (w->parent) SendMessage(w->parent, msg, MAKEWPARAM(code, pos), LPARAM(w));
    } else {
        SendMessage(w, msg, MAKEWPARAM(code, pos), 0);
    }
}

void Redraw(Window* w, bool control) {
    if (control)
        InvalidateRect(w, nullptr, FALSE);
    else
        wm::InvalidateNonClient(w);
}

void Press(Window* w, bool control, int along) {
    if (!Scrollable(w->vscroll)) return;
    Geometry g = MeasureBar(w, control);
    Part part = HitPart(g, along);
    if (part == Part::None) return;
    gTrack = Tracking{w, control, part, along - g.thumbTop, w->vscroll.pos};
    w->vscroll.trackPos = w->vscroll.pos;
    Redraw(w, control);
    switch (part) {
        case Part::LineUp:
            Notify(w, control, SB_LINEUP, 0);
            break;
        case Part::LineDown:
            Notify(w, control, SB_LINEDOWN, 0);
            break;
        case Part::PageUp:
            Notify(w, control, SB_PAGEUP, 0);
            break;
        case Part::PageDown:
            Notify(w, control, SB_PAGEDOWN, 0);
            break;
        default:
            break;
    }
}

void Move(Window* w, bool control, int along) {
    if (gTrack.window != w || gTrack.part != Part::Thumb) return;
    Geometry g = MeasureBar(w, control);
    int pos = PosAt(w->vscroll, g, along - gTrack.grab);
    if (pos == gTrack.pos) return;
    gTrack.pos = w->vscroll.trackPos = pos;
    Notify(w, control, SB_THUMBTRACK, pos);
}

void Release(Window* w, bool control, int along) {
    if (gTrack.window != w) return;
    Move(w, control, along);
    Part part = gTrack.part;
    int pos = gTrack.pos;
    gTrack = Tracking{};
    if (part == Part::Thumb) Notify(w, control, SB_THUMBPOSITION, pos);
    Notify(w, control, SB_ENDSCROLL, 0);
    if (IsWindow(w)) Redraw(w, control);
}

void Triangle(cairo_t* cr, double cx, double cy, bool up, double size) {
    double d = up ? -1 : 1;
    cairo_move_to(cr, cx - size, cy - d * size / 2);
    cairo_line_to(cr, cx + size, cy - d * size / 2);
    cairo_line_to(cr, cx, cy + d * size / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// Draws a bar of `length` along and `thickness` across, vertical in the context's coordinates.
// The track is `track`'s colour when there is that brush.
void PaintBar(cairo_t* cr, const ScrollBarState& s, int length, int thickness, Part pressed,
              const GdiObject* track) {
    Geometry g = Measure(s, length, thickness);
    bool enabled = Scrollable(s);
    if (track && gdi::IsValidObject(const_cast<GdiObject*>(track)) &&
        track->kind == GdiObject::Kind::Brush && !track->hollow)
        cairo_set_source_rgb(cr, GetRValue(track->color) / 255.0, GetGValue(track->color) / 255.0,
                             GetBValue(track->color) / 255.0);
    else
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_rectangle(cr, 0, 0, thickness, length);
    cairo_fill(cr);
    auto box = [&](int top, int len, bool down) {
        cairo_set_source_rgb(cr, down ? 0.35 : 0.78, down ? 0.35 : 0.78, down ? 0.35 : 0.78);
        cairo_rectangle(cr, 0, top, thickness, len);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
        cairo_rectangle(cr, 0.5, top + 0.5, thickness - 1, len - 1);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    };
    box(0, g.arrow, pressed == Part::LineUp);
    box(length - g.arrow, g.arrow, pressed == Part::LineDown);
    double shade = enabled ? 0.0 : 0.6;
    cairo_set_source_rgb(cr, shade, shade, shade);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    double size = std::max(2, thickness / 2 - 2);
    Triangle(cr, thickness / 2.0, g.arrow / 2.0, true, size);
    cairo_set_source_rgb(cr, shade, shade, shade);
    Triangle(cr, thickness / 2.0, length - g.arrow / 2.0, false, size);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (pressed == Part::PageUp || pressed == Part::PageDown) {
        int top = pressed == Part::PageUp ? g.troughTop : g.thumbTop + g.thumbLen;
        int end = pressed == Part::PageUp ? g.thumbTop : g.troughTop + g.troughLen;
        cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
        cairo_rectangle(cr, 0, top, thickness, end - top);
        cairo_fill(cr);
    }
    if (g.thumbLen > 0) box(g.thumbTop, g.thumbLen, pressed == Part::Thumb);
}

void PaintInto(cairo_t* cr, Window* w, bool control, RECT r, HDC dc = nullptr) {
    Part pressed = gTrack.window == w ? gTrack.part : Part::None;
    // A control's parent may colour its track (the reader marks the active pane's bar so).
    HBRUSH track = nullptr;
    if (control && w->parent)
        track = reinterpret_cast<HBRUSH>(
            SendMessage(w->parent, WM_CTLCOLORSCROLLBAR, WPARAM(dc), LPARAM(w)));
    ScrollBarState shown = w->vscroll;
    if (pressed == Part::Thumb) shown.pos = gTrack.pos;  // the thumb follows the stylus
    cairo_save(cr);
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_clip(cr);
    cairo_translate(cr, r.left, r.top);
    if (Vertical(w, control)) {
        PaintBar(cr, shown, r.bottom - r.top, r.right - r.left, pressed, track);
    } else {
        cairo_matrix_t swap{0, 1, 1, 0, 0, 0};  // x and y trade places
        cairo_transform(cr, &swap);
        PaintBar(cr, shown, r.right - r.left, r.bottom - r.top, pressed, track);
    }
    cairo_restore(cr);
}

void ApplyInfo(ScrollBarState& s, const SCROLLINFO& info) {
    if (info.fMask & SIF_RANGE) {
        s.min = info.nMin;
        s.max = std::max(info.nMin, info.nMax);
    }
    if (info.fMask & SIF_PAGE) s.page = int(std::min<UINT>(info.nPage, UINT(s.max - s.min + 1)));
    if (info.fMask & SIF_POS) s.pos = info.nPos;
    s.pos = std::clamp(s.pos, s.min, std::max(s.min, MaxPos(s)));
}

void FillInfo(const ScrollBarState& s, bool tracking, SCROLLINFO* info) {
    if (info->fMask & SIF_RANGE) info->nMin = s.min, info->nMax = s.max;
    if (info->fMask & SIF_PAGE) info->nPage = UINT(s.page);
    if (info->fMask & SIF_POS) info->nPos = s.pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = tracking ? s.trackPos : s.pos;
}

// A window's own bar appears when there is something to scroll and goes when there is not.
// The window hears of its new client size; a change it makes to the bar while it handles that
// does not toggle the bar again, so a range that only fits without the bar cannot oscillate.
int gToggling = 0;

void ShowWindowBar(Window* w, bool show) {
    if (gToggling || bool(w->style & WS_VSCROLL) == show) return;
    ++gToggling;
    if (show)
        w->style |= WS_VSCROLL;
    else
        w->style &= ~WS_VSCROLL;
    RECT c = wm::ClientRectOf(w);
    SendMessage(w, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    if (IsWindow(w)) wm::InvalidateTree(w, true);
    --gToggling;
}

// SCROLLBAR control.
LRESULT ScrollBarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    ScrollBarState& s = w->vscroll;
    switch (msg) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            if (gTrack.window == w) gTrack = Tracking{};
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            if (cairo_t* cr = gdi::Begin(dc)) {
                PaintInto(cr, w, true, wm::ClientRectOf(w), dc);
                cairo_destroy(cr);
            }
            EndPaint(w, &ps);
            return 0;
        }
        // Applies the record (first parameter: redraw); returns the new position.
        case SBM_SETSCROLLINFO: {
            auto* info = reinterpret_cast<const SCROLLINFO*>(lp);
            if (!info) return s.pos;
            ApplyInfo(s, *info);
            if (wp) InvalidateRect(w, nullptr, FALSE);
            return s.pos;
        }
        // Fills the fields the record's mask names; returns TRUE.
        case SBM_GETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(lp);
            if (!info) return FALSE;
            FillInfo(s, gTrack.window == w, info);
            return TRUE;
        }
        // Sets the position (second parameter: redraw); returns the previous one.
        case SBM_SETPOS: {
            int old = s.pos;
            SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, int(wp), 0};
            ApplyInfo(s, info);
            if (lp) InvalidateRect(w, nullptr, FALSE);
            return old;
        }
        case SBM_GETPOS:
            return s.pos;
        // Sets the range; returns the previous position.
        case SBM_SETRANGE: {
            int old = s.pos;
            SCROLLINFO info{sizeof info, SIF_RANGE, int(wp), int(lp), 0, 0, 0};
            ApplyInfo(s, info);
            InvalidateRect(w, nullptr, FALSE);
            return old;
        }
        case WM_LBUTTONDOWN: {
            if (!IsWindowEnabled(w)) return 0;
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            SetCapture(w);
            Press(w, true, Vertical(w, true) ? p.y : p.x);
            return 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            if (gTrack.window != w) return 0;
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            int along = Vertical(w, true) ? p.y : p.x;
            if (msg == WM_MOUSEMOVE) {
                Move(w, true, along);
                if (gTrack.part == Part::Thumb) InvalidateRect(w, nullptr, FALSE);
            } else {
                if (GetCapture() == w) ReleaseCapture();
                Release(w, true, along);
            }
            return 0;
        }
        case WM_ENABLE:
            InvalidateRect(w, nullptr, FALSE);
            return 0;
    }
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

namespace wm {

void PaintWindowScrollBar(Window* w, cairo_t* windowCr) {
    if (!(w->style & WS_VSCROLL)) return;
    PaintInto(windowCr, w, false, BarRect(w, false));
}

bool InWindowScrollBar(Window* w, int sx, int sy) {
    if (!w || !(w->style & WS_VSCROLL)) return false;
    RECT wr;
    GetWindowRect(w, &wr);
    RECT r = BarRect(w, false);
    return Contains(RECT{wr.left + r.left, wr.top + r.top, wr.left + r.right, wr.top + r.bottom},
                    sx, sy);
}

Window* WindowScrollBarTracking() {
    return gTrack.window && !gTrack.control ? gTrack.window : nullptr;
}

// WM_NCLBUTTONDOWN, WM_NCMOUSEMOVE and WM_NCLBUTTONUP on a window's own bar (screen point).
void TrackWindowScrollBar(Window* w, UINT msg, int sx, int sy) {
    int along = AlongBar(w, false, sx, sy);
    if (msg == WM_NCLBUTTONDOWN) {
        Press(w, false, along);
    } else if (msg == WM_NCMOUSEMOVE) {
        Move(w, false, along);
        if (gTrack.window == w && gTrack.part == Part::Thumb) InvalidateNonClient(w);
    } else if (msg == WM_NCLBUTTONUP) {
        Release(w, false, along);
    }
}

// The stylus was let go somewhere the bar will not hear of (the window went away).
void CancelScrollBarTracking(Window* w) {
    if (gTrack.window == w) gTrack = Tracking{};
}

}  // namespace wm

WNDPROC ScrollBarWindowProc() {
    return ScrollBarProc;
}

int SetScrollInfo(HWND w, int bar, const SCROLLINFO* info, BOOL redraw) {
    if (!IsWindow(w) || !info) return 0;
    if (bar == SB_CTL) return int(SendMessage(w, SBM_SETSCROLLINFO, WPARAM(redraw), LPARAM(info)));
    if (bar != SB_VERT) return 0;  // FIXME: windows have no horizontal bar of their own yet
    ApplyInfo(w->vscroll, *info);
    bool wanted = Scrollable(w->vscroll) || (info->fMask & SIF_DISABLENOSCROLL);
    ShowWindowBar(w, wanted);
    if (redraw && IsWindow(w)) wm::InvalidateNonClient(w);
    return w->vscroll.pos;
}

BOOL GetScrollInfo(HWND w, int bar, SCROLLINFO* info) {
    if (!IsWindow(w) || !info) return FALSE;
    if (bar == SB_CTL) return BOOL(SendMessage(w, SBM_GETSCROLLINFO, 0, LPARAM(info)));
    if (bar != SB_VERT) return FALSE;
    FillInfo(w->vscroll, gTrack.window == w, info);
    return TRUE;
}

int SetScrollPos(HWND w, int bar, int pos, BOOL redraw) {
    if (!IsWindow(w)) return 0;
    int old = GetScrollPos(w, bar);
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(w, bar, &info, redraw);
    return old;
}

int GetScrollPos(HWND w, int bar) {
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(w, bar, &info) ? info.nPos : 0;
}

BOOL SetScrollRange(HWND w, int bar, int min, int max, BOOL redraw) {
    SCROLLINFO info{sizeof info, SIF_RANGE, min, max, 0, 0, 0};
    if (!IsWindow(w)) return FALSE;
    SetScrollInfo(w, bar, &info, redraw);
    return TRUE;
}
