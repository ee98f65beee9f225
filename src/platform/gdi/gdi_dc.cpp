// Device contexts: targets, state, shapes and bitmaps.
#include <algorithm>
#include <cstdint>
#include <set>

#include "platform/gdi/gdi_internal.h"
#include "platform/hosting.h"

namespace {

std::set<DeviceContext*>& LiveDCs() {
    // Kept for the life of the process, like the contexts it tracks.
    static auto* dcs = new std::set<DeviceContext*>;
    return *dcs;
}

bool Valid(HDC hdc) { return gdi::IsValidDC(hdc); }

gdi::WindowTargetSource gWindowTargets = nullptr;

}  // namespace

namespace gdi {

void SetWindowTargetSource(WindowTargetSource source) { gWindowTargets = source; }

HDC NewDC() {
    auto* dc = new DeviceContext;
    dc->font = StockFont();
    dc->brush = GetStockObject(WHITE_BRUSH);
    dc->pen = GetStockObject(BLACK_PEN);
    LiveDCs().insert(dc);
    return dc;
}

bool IsValidDC(HDC hdc) { return hdc && LiveDCs().count(hdc); }

void FreeDC(HDC hdc) {
    LiveDCs().erase(hdc);
    delete hdc;
}

void ScreenDamaged() {
    if (CurrentHost()) CurrentHost()->ScreenDamaged();
}

cairo_t* Begin(HDC hdc) {
    if (!Valid(hdc)) return nullptr;
    cairo_surface_t* target = nullptr;
    RECT clip{};
    POINT origin{};
    if (hdc->window) {
        WindowTarget window;
        if (!gWindowTargets ||
            !gWindowTargets(hdc->window, hdc->paintClip ? &hdc->paintRect : nullptr, &window))
            return nullptr;
        target = window.surface;
        origin = window.origin;
        clip = window.clip;
    } else if (hdc->bitmap && hdc->bitmap->surface) {
        target = hdc->bitmap->surface;
        clip = RECT{0, 0, cairo_image_surface_get_width(target),
                    cairo_image_surface_get_height(target)};
    } else {
        return nullptr;
    }
    if (hdc->extraClip) {
        const RECT& e = hdc->extraClipRect;
        clip = RECT{std::max(clip.left, e.left + origin.x), std::max(clip.top, e.top + origin.y),
                    std::min(clip.right, e.right + origin.x),
                    std::min(clip.bottom, e.bottom + origin.y)};
        if (clip.right < clip.left) clip.right = clip.left;
        if (clip.bottom < clip.top) clip.bottom = clip.top;
    }
    cairo_t* cr = cairo_create(target);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
    cairo_clip(cr);
    cairo_translate(cr, origin.x, origin.y);
    return cr;
}

void SetColor(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

}  // namespace gdi

HDC CreateCompatibleDC(HDC) { return gdi::NewDC(); }

BOOL DeleteDC(HDC hdc) {
    if (!Valid(hdc)) return FALSE;
    gdi::FreeDC(hdc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    if (!Valid(hdc) || !gdi::IsValidObject(obj)) return nullptr;
    GdiObject** slot = nullptr;
    switch (obj->kind) {
        case GdiObject::Kind::Font: slot = &hdc->font; break;
        case GdiObject::Kind::Brush: slot = &hdc->brush; break;
        case GdiObject::Kind::Pen: slot = &hdc->pen; break;
        case GdiObject::Kind::Bitmap:
            if (hdc->window) return nullptr;
            slot = &hdc->bitmap;
            break;
    }
    GdiObject* old = *slot;
    *slot = obj;
    return old;
}

COLORREF SetTextColor(HDC hdc, COLORREF c) {
    if (!Valid(hdc)) return 0xFFFFFFFF;
    COLORREF old = hdc->textColor;
    hdc->textColor = c & 0xFFFFFF;
    return old;
}
COLORREF GetTextColor(HDC hdc) { return Valid(hdc) ? hdc->textColor : 0; }
COLORREF SetBkColor(HDC hdc, COLORREF c) {
    if (!Valid(hdc)) return 0xFFFFFFFF;
    COLORREF old = hdc->bkColor;
    hdc->bkColor = c & 0xFFFFFF;
    return old;
}
COLORREF GetBkColor(HDC hdc) { return Valid(hdc) ? hdc->bkColor : 0; }
int SetBkMode(HDC hdc, int mode) {
    if (!Valid(hdc)) return 0;
    int old = hdc->bkMode;
    hdc->bkMode = mode;
    return old;
}
int GetBkMode(HDC hdc) { return Valid(hdc) ? hdc->bkMode : 0; }

int GetDeviceCaps(HDC, int index) {
    if (index == LOGPIXELSX || index == LOGPIXELSY) return 96;
    return 0;
}

// The outline is drawn with the pen one pixel wide inside the rectangle; the inside with the
// brush. A rectangle one pixel high is therefore a one-pixel line.
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    if (!gdi::IsValidDC(hdc)) return kRegionError;
    RECT r{left, top, std::max(left, right), std::max(top, bottom)};
    if (hdc->extraClip) {
        const RECT& e = hdc->extraClipRect;
        r = RECT{std::max(r.left, e.left), std::max(r.top, e.top), std::min(r.right, e.right),
                 std::min(r.bottom, e.bottom)};
        r.right = std::max(r.right, r.left);
        r.bottom = std::max(r.bottom, r.top);
    }
    hdc->extraClip = true;
    hdc->extraClipRect = r;
    return r.left < r.right && r.top < r.bottom ? SIMPLEREGION : NULLREGION;
}

int SelectClipRgn(HDC hdc, const void* region) {
    if (!gdi::IsValidDC(hdc) || region) return kRegionError;
    hdc->extraClip = false;
    return SIMPLEREGION;
}

BOOL Rectangle(HDC hdc, int l, int t, int r, int b) {
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return FALSE;
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    if (hdc->brush && !hdc->brush->hollow) {
        gdi::SetColor(cr, hdc->brush->color);
        cairo_rectangle(cr, l, t, r - l, b - t);
        cairo_fill(cr);
    }
    if (hdc->pen && !hdc->pen->hollow) {
        gdi::SetColor(cr, hdc->pen->color);
        cairo_rectangle(cr, l, t, r - l, 1);
        cairo_rectangle(cr, l, b - 1, r - l, 1);
        cairo_rectangle(cr, l, t, 1, b - t);
        cairo_rectangle(cr, r - 1, t, 1, b - t);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    gdi::ScreenDamaged();
    return TRUE;
}

// A pixel belongs to the ellipse when its centre lies inside it; it belongs to the outline when
// one of its four neighbours does not. The shape is the same whichever way it is drawn, and a
// circle drawn this way is symmetric in both axes.
BOOL Ellipse(HDC hdc, int l, int t, int r, int b) {
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return FALSE;
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    int w = r - l, h = b - t;
    // In units of half pixels, so that every test is exact in integers: a pixel's centre is
    // (2i + 1 - w, 2j + 1 - h) from the centre, and the radii are w and h.
    auto inside = [&](int i, int j) {
        if (i < 0 || j < 0 || i >= w || j >= h) return false;
        int64_t u = 2 * i + 1 - w, v = 2 * j + 1 - h;
        return u * u * int64_t(h) * h + v * v * int64_t(w) * w <= int64_t(w) * w * h * h;
    };
    bool brush = hdc->brush && !hdc->brush->hollow, pen = hdc->pen && !hdc->pen->hollow;
    for (int pass = 0; pass < 2; ++pass) {
        bool outline = pass == 1;
        if (outline ? !pen : !brush) continue;
        gdi::SetColor(cr, outline ? hdc->pen->color : hdc->brush->color);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                if (!inside(i, j)) continue;
                bool edge = !inside(i - 1, j) || !inside(i + 1, j) || !inside(i, j - 1) ||
                            !inside(i, j + 1);
                if (edge == outline || (!outline && !pen)) cairo_rectangle(cr, l + i, t + j, 1, 1);
            }
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    gdi::ScreenDamaged();
    return TRUE;
}

int FillRect(HDC hdc, const RECT* r, HBRUSH brush) {
    if (!r || !gdi::IsValidObject(brush) || brush->kind != GdiObject::Kind::Brush) return 0;
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return 0;
    if (!brush->hollow && r->right > r->left && r->bottom > r->top) {
        gdi::SetColor(cr, brush->color);
        cairo_rectangle(cr, r->left, r->top, r->right - r->left, r->bottom - r->top);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    gdi::ScreenDamaged();
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* r) {
    if (!r) return FALSE;
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return FALSE;
    if (r->right > r->left && r->bottom > r->top) {
        cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, r->left, r->top, r->right - r->left, r->bottom - r->top);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    gdi::ScreenDamaged();
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return 0xFFFFFFFF;
    double dx = x, dy = y;
    cairo_user_to_device(cr, &dx, &dy);
    cairo_surface_t* s = cairo_get_target(cr);
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    COLORREF c = 0xFFFFFFFF;
    int px = int(dx), py = int(dy);
    if (px >= 0 && py >= 0 && px < w && py < h) {
        auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) +
                                                py * cairo_image_surface_get_stride(s));
        uint32_t v = row[px];
        c = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    cairo_destroy(cr);
    return c;
}

BOOL SetPixel(HDC hdc, int x, int y, COLORREF color) {
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return FALSE;
    gdi::SetColor(cr, color);
    cairo_rectangle(cr, x, y, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
    if (!Valid(hdc)) return FALSE;
    if (old) *old = hdc->penPos;
    hdc->penPos = POINT{x, y};
    return TRUE;
}

// A one-pixel line of any slope from the pen position, which the end point is not part of
// (so a polyline draws each corner once). The pixels are those of the Bresenham walk from the
// start, where a point of the ideal line exactly half way between two pixels takes the one
// farther along; runs of pixels on one row or one column are filled as one rectangle.
BOOL LineTo(HDC hdc, int x, int y) {
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return FALSE;
    POINT p = hdc->penPos;
    if (hdc->pen && !hdc->pen->hollow && (p.x != x || p.y != y)) {
        gdi::SetColor(cr, hdc->pen->color);
        int x0 = int(p.x), y0 = int(p.y);
        int dx = std::abs(x - x0), dy = std::abs(y - y0);
        int sx = x > x0 ? 1 : -1, sy = y > y0 ? 1 : -1;
        bool xMajor = dx >= dy;
        int steps = xMajor ? dx : dy, minor = xMajor ? dy : dx;
        // The run being collected: from (rx, ry), `length` pixels along the major axis.
        int rx = x0, ry = y0, length = 0;
        auto flush = [&] {
            if (length == 0) return;
            if (xMajor)
                cairo_rectangle(cr, sx > 0 ? rx : rx - length + 1, ry, length, 1);
            else
                cairo_rectangle(cr, rx, sy > 0 ? ry : ry - length + 1, 1, length);
        };
        int cx = x0, cy = y0, error = 2 * minor - steps;
        for (int i = 0; i < steps; ++i) {
            ++length;
            if (xMajor)
                cx += sx;
            else
                cy += sy;
            if (error >= 0) {
                flush();
                if (xMajor)
                    cy += sy;
                else
                    cx += sx;
                rx = cx, ry = cy, length = 0;
                error -= 2 * steps;
            }
            error += 2 * minor;
        }
        flush();
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    hdc->penPos = POINT{x, y};
    gdi::ScreenDamaged();
    return TRUE;
}

// Copies with SRCCOPY. A monochrome source draws its 0 bits in the destination's text colour
// and its 1 bits in its background colour.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                DWORD) {
    if (!Valid(src) || !src->bitmap || !src->bitmap->surface || sw <= 0 || sh <= 0) return FALSE;
    cairo_surface_t* from = src->bitmap->surface;
    cairo_surface_t* mapped = nullptr;
    if (src->bitmap->monochrome) {
        int bw = cairo_image_surface_get_width(from), bh = cairo_image_surface_get_height(from);
        mapped = cairo_image_surface_create(CAIRO_FORMAT_RGB24, bw, bh);
        cairo_surface_flush(from);
        uint32_t fg = (GetRValue(dst->textColor) << 16) | (GetGValue(dst->textColor) << 8) |
                      GetBValue(dst->textColor);
        uint32_t bg = (GetRValue(dst->bkColor) << 16) | (GetGValue(dst->bkColor) << 8) |
                      GetBValue(dst->bkColor);
        for (int row = 0; row < bh; ++row) {
            auto* in = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(from) +
                                                   row * cairo_image_surface_get_stride(from));
            auto* out = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(mapped) +
                                                    row * cairo_image_surface_get_stride(mapped));
            for (int col = 0; col < bw; ++col) {
                uint32_t v = in[col];
                int lum = ((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF);
                out[col] = lum >= 384 ? bg : fg;
            }
        }
        cairo_surface_mark_dirty(mapped);
        from = mapped;
    }
    cairo_t* cr = gdi::Begin(dst);
    if (!cr) {
        if (mapped) cairo_surface_destroy(mapped);
        return FALSE;
    }
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, double(w) / sw, double(h) / sh);
    cairo_set_source_surface(cr, from, -sx, -sy);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_destroy(cr);
    if (mapped) cairo_surface_destroy(mapped);
    gdi::ScreenDamaged();
    return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
    if (!gdi::IsValidObject(icon) || !icon->surface) return FALSE;
    HDC mem = CreateCompatibleDC(hdc);
    SelectObject(mem, icon);
    int w = cairo_image_surface_get_width(icon->surface);
    int h = cairo_image_surface_get_height(icon->surface);
    BOOL ok = BitBlt(hdc, x, y, w, h, mem, 0, 0, SRCCOPY);
    DeleteDC(mem);
    return ok;
}
