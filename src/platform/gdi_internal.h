#pragma once
// GDI objects and device contexts behind the handles of gdi.h.
#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/font_engine.h"
#include "platform/gdi.h"
#include "platform/window_internal.h"

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
    Window* window = nullptr;   // window DC: draws into its top-level's backing surface
    GdiObject* bitmap = nullptr;  // memory DC: draws into the selected bitmap
    GdiObject* font = nullptr;
    GdiObject* brush = nullptr;
    GdiObject* pen = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    bool paintClip = false;
    RECT paintRect{};  // client coordinates
    POINT penPos{};
};

namespace gdi {
// A cairo context on the DC's target, translated to the client origin and clipped; nullptr
// when there is nothing to draw into. Antialiasing is off so shapes hit whole pixels.
cairo_t* Begin(HDC hdc);
void SetColor(cairo_t* cr, COLORREF c);
FontFace* FaceOf(HDC hdc);
GdiObject* StockFont();
bool IsValidObject(HGDIOBJ obj);
}  // namespace gdi
