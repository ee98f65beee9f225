// The default window procedure and the frame the platform draws around client areas.
#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi_internal.h"
#include "platform/unicode.h"
#include "platform/user/screen_colours.h"
#include "platform/user/window_internal.h"

namespace {

void SetSourceColour(cairo_t* cr, uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                         (rgb & 0xFF) / 255.0);
}

}  // namespace

namespace wm {

// Caption bars carry the title on the left and, for dialogs, an "ok" button on the right that
// sends IDOK, as the handheld's dialogs do.
RECT CaptionOkButton(const Window* w) {
    int width = w->rect.right - w->rect.left;
    return RECT{width - 30, 3, width - 4, kCaptionHeight - 3};
}

void PaintNonClient(Window* w) {
    RECT in = NonClientInsets(w);
    if (in.left == 0 && in.top == 0 && in.right == 0 && in.bottom == 0) return;
    Window* top = TopLevelOf(w);
    EnsureBacking(top);
    BackingChanged(top);
    POINT origin = ClientOriginInTopLevel(w);
    int ox = origin.x - in.left, oy = origin.y - in.top;
    int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    cairo_t* cr = cairo_create(top->backing);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (!IsTopLevel(w)) {
        RECT clip = VisibleClientInTopLevel(w->parent);
        cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
        cairo_clip(cr);
    }
    cairo_translate(cr, ox, oy);
    cairo_set_source_rgb(cr, 0, 0, 0);
    if (in.left) {
        cairo_rectangle(cr, 0, 0, width, 1);
        cairo_rectangle(cr, 0, height - 1, width, 1);
        cairo_rectangle(cr, 0, 0, 1, height);
        cairo_rectangle(cr, width - 1, 0, 1, height);
        cairo_fill(cr);
    }
    if (IsTopLevel(w) && (w->style & WS_CAPTION) == WS_CAPTION) {
        const ChromeBand band = CaptionBand();
        SetSourceColour(cr, band.fill);
        cairo_rectangle(cr, 1, 1, width - 2, kCaptionHeight - 1);
        cairo_fill(cr);
        cairo_destroy(cr);
        HDC dc = GetDC(w);
        dc->paintClip = false;
        FontFace* face = gdi::FaceOf(dc);
        int textY = (kCaptionHeight - face->Metrics().height) / 2 - in.top;
        SetBkMode(dc, TRANSPARENT);
        // The caption lies above the client area, so draw it through the top-level surface.
        cairo_t* c2 = cairo_create(top->backing);
        cairo_translate(c2, ox, oy);
        SetSourceColour(c2, band.ink);
        std::vector<int> pen(w->title.size());
        int at = 0;
        for (size_t i = 0; i < w->title.size(); ++i) {
            pen[i] = at;
            at += face->Advance(w->title[i]);
        }
        cairo_rectangle(c2, 1, 1, width - 36, kCaptionHeight - 1);
        cairo_clip(c2);
        face->Draw(c2, 5, textY + in.top + face->Metrics().ascent, w->title.data(),
                   int(w->title.size()), pen.data());
        cairo_destroy(c2);
        if (w->captionOk) {
            RECT ok = CaptionOkButton(w);
            cairo_t* c3 = cairo_create(top->backing);
            cairo_set_antialias(c3, CAIRO_ANTIALIAS_NONE);
            cairo_translate(c3, ox, oy);
            // The button is the band turned over: the ink's colour with the band's as its text.
            SetSourceColour(c3, band.ink);
            cairo_rectangle(c3, ok.left, ok.top, ok.right - ok.left, ok.bottom - ok.top);
            cairo_fill(c3);
            SetSourceColour(c3, band.fill);
            const char16_t label[] = u"ok";
            int lw = face->Advance(u'o') + face->Advance(u'k');
            int pens[2] = {0, face->Advance(u'o')};
            int lx = ok.left + (ok.right - ok.left - lw) / 2;
            int ly = ok.top + (ok.bottom - ok.top - face->Metrics().height) / 2 +
                     face->Metrics().ascent;
            face->Draw(c3, lx, ly, label, 2, pens);
            cairo_destroy(c3);
        }
        ReleaseDC(w, dc);
        cr = nullptr;
    }
    if (cr) cairo_destroy(cr);
    if (w->style & WS_VSCROLL) {
        cairo_t* bar = cairo_create(top->backing);
        cairo_set_antialias(bar, CAIRO_ANTIALIAS_NONE);
        if (!IsTopLevel(w)) {
            RECT clip = VisibleClientInTopLevel(w->parent);
            cairo_rectangle(bar, clip.left, clip.top, clip.right - clip.left,
                            clip.bottom - clip.top);
            cairo_clip(bar);
        }
        cairo_translate(bar, ox, oy);
        PaintWindowScrollBar(w, bar);
        cairo_destroy(bar);
    }
}

}  // namespace wm

LRESULT DefWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (!IsWindow(w)) return 0;
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(w, &ps);
            EndPaint(w, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH brush = w->cls ? w->cls->wc.hbrBackground : nullptr;
            if (!brush) return 0;
            RECT r;
            GetClientRect(w, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, brush);
            return 1;
        }
        case WM_CLOSE: DestroyWindow(w); return 0;
        case WM_GETTEXTLENGTH: return LRESULT(w->title.size());
        case WM_GETTEXT: {
            auto* out = reinterpret_cast<char16_t*>(lp);
            int cap = int(wp);
            if (!out || cap <= 0) return 0;
            int n = std::min<int>(cap - 1, int(w->title.size()));
            std::memcpy(out, w->title.data(), n * sizeof(char16_t));
            out[n] = 0;
            return n;
        }
        case WM_SETTEXT: {
            auto* text = reinterpret_cast<const char16_t*>(lp);
            w->title = text ? text : u"";
            if (wm::IsTopLevel(w)) InvalidateRect(w, nullptr, FALSE);
            return TRUE;
        }
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wp);
            if (LOWORD(lp)) InvalidateRect(w, nullptr, TRUE);
            return 0;
        case WM_GETFONT: return LRESULT(w->font);
        // The stylus on the window's own scroll bar.
        case WM_NCLBUTTONDOWN:
        case WM_NCMOUSEMOVE:
        case WM_NCLBUTTONUP:
            if (wp == HTVSCROLL) wm::TrackWindowScrollBar(w, msg, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        // A child that does not use the wheel hands it to its parent.
        case WM_MOUSEWHEEL: return w->parent ? SendMessage(w->parent, msg, wp, lp) : 0;
        case WM_KEYF1: SendMessage(w, WM_HELP, 0, 0); return 0;
        // A child that gives no help hands the request to its parent; a top-level window ends it.
        case WM_HELP:
            return !wm::IsTopLevel(w) && w->parent ? SendMessage(w->parent, msg, wp, lp) : 0;
    }
    return 0;
}
