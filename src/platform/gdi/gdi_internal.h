#pragma once
// GDI objects and device contexts behind the handles of gdi.h.
#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/gdi.h"

struct GdiObject {
    enum class Kind { Font, Brush, Pen, Bitmap };
    explicit GdiObject(Kind k) : kind(k) {}
    Kind kind;
    bool stock = false;
    COLORREF color = 0;
    bool hollow = false;  // NULL_BRUSH / NULL_PEN
    LOGFONT logFont{};
    std::unique_ptr<FontFace> face;
    cairo_surface_t* surface = nullptr;  // bitmaps: RGB24
    bool monochrome = false;             // white pixels are 1 bits, black pixels 0 bits
    ~GdiObject() {
        if (surface) cairo_surface_destroy(surface);
    }
};

struct DeviceContext {
    HWND window = nullptr;        // window DC: draws into its top-level's backing surface
    GdiObject* bitmap = nullptr;  // memory DC: draws into the selected bitmap
    GdiObject* font = nullptr;
    GdiObject* brush = nullptr;
    GdiObject* pen = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    bool paintClip = false;
    RECT paintRect{};  // client coordinates
    bool extraClip = false;
    RECT extraClipRect{};  // client coordinates, from IntersectClipRect
    POINT penPos{};
};

namespace gdi {
// Where a window DC draws: the surface, the window's client origin on it and the clip there.
struct WindowTarget {
    cairo_surface_t* surface = nullptr;
    POINT origin{};
    RECT clip{};
};
// The window system answers for its windows: false when the window is gone. It is told the
// paint rectangle of a DC made by BeginPaint (client coordinates), or nullptr.
using WindowTargetSource = bool (*)(HWND window, const RECT* paintRect, WindowTarget* target);
void SetWindowTargetSource(WindowTargetSource source);
// Device context records: a new one with the stock objects selected, whether a handle is a
// live one, and its release.
HDC NewDC();
bool IsValidDC(HDC hdc);
void FreeDC(HDC hdc);
// Tells the host that the screen changed.
void ScreenDamaged();
// A cairo context on the DC's target, translated to the client origin and clipped; nullptr
// when there is nothing to draw into. Antialiasing is off so shapes hit whole pixels.
cairo_t* Begin(HDC hdc);
void SetColor(cairo_t* cr, COLORREF c);
FontFace* FaceOf(HDC hdc);
GdiObject* StockFont();
bool IsValidObject(HGDIOBJ obj);
}  // namespace gdi
