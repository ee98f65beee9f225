// GDI objects: stock objects, fonts, brushes, pens, bitmaps and font-family enumeration.
#include <cstring>
#include <deque>
#include <map>
#include <set>

#include "platform/gdi/gdi_internal.h"
#include "platform/resources.h"
#include "platform/unicode.h"

namespace {

std::set<GdiObject*>& Live() {
    // Kept for the life of the process: stock objects and shared icons stay reachable to the end.
    static auto* live = new std::set<GdiObject*>;
    return *live;
}

GdiObject* Track(GdiObject* o) {
    Live().insert(o);
    return o;
}

GdiObject* MakeStock(GdiObject::Kind kind, COLORREF color, bool hollow) {
    auto* o = new GdiObject(kind);
    o->stock = true;
    o->color = color;
    o->hollow = hollow;
    return Track(o);
}

struct PngReader {
    const unsigned char* data;
    size_t size;
    size_t pos = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
    auto* r = static_cast<PngReader*>(closure);
    if (r->pos + length > r->size) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data + r->pos, length);
    r->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

namespace gdi {

bool IsValidObject(HGDIOBJ obj) { return obj && Live().count(obj); }

GdiObject* StockFont() {
    static GdiObject* font = [] {
        auto* o = new GdiObject(GdiObject::Kind::Font);
        o->stock = true;
        o->logFont.lfHeight = 0;
        o->logFont.lfWeight = FW_NORMAL;
        return Track(o);
    }();
    return font;
}

FontFace* FaceOf(HDC hdc) {
    GdiObject* f = hdc && hdc->font ? hdc->font : StockFont();
    if (!f->face) f->face = CurrentFontEngine().Create(f->logFont);
    return f->face.get();
}

}  // namespace gdi

// Forgets the faces of stock fonts, after the font engine was changed (tests).
void ResetStockFontFaces() { gdi::StockFont()->face.reset(); }

HGDIOBJ GetStockObject(int index) {
    static GdiObject* white = MakeStock(GdiObject::Kind::Brush, RGB(255, 255, 255), false);
    static GdiObject* ltgray = MakeStock(GdiObject::Kind::Brush, RGB(192, 192, 192), false);
    static GdiObject* gray = MakeStock(GdiObject::Kind::Brush, RGB(128, 128, 128), false);
    static GdiObject* black = MakeStock(GdiObject::Kind::Brush, RGB(0, 0, 0), false);
    static GdiObject* hollowBrush = MakeStock(GdiObject::Kind::Brush, 0, true);
    static GdiObject* whitePen = MakeStock(GdiObject::Kind::Pen, RGB(255, 255, 255), false);
    static GdiObject* blackPen = MakeStock(GdiObject::Kind::Pen, RGB(0, 0, 0), false);
    static GdiObject* hollowPen = MakeStock(GdiObject::Kind::Pen, 0, true);
    switch (index) {
        case WHITE_BRUSH: return white;
        case LTGRAY_BRUSH: return ltgray;
        case GRAY_BRUSH: return gray;
        case BLACK_BRUSH: return black;
        case NULL_BRUSH: return hollowBrush;
        case WHITE_PEN: return whitePen;
        case BLACK_PEN: return blackPen;
        case NULL_PEN: return hollowPen;
        case SYSTEM_FONT: return gdi::StockFont();
    }
    return nullptr;
}

namespace {

// A deleted object gives up its font and bitmap at once, but its record is held back for the
// next few hundred deletions, so that a handle kept by mistake after DeleteObject does not
// name the next object made (whose record would otherwise often take the same address); such a
// handle stays invalid.
void Retire(GdiObject* obj) {
    static std::deque<std::unique_ptr<GdiObject>> retired;
    obj->face.reset();
    if (obj->surface) cairo_surface_destroy(obj->surface);
    obj->surface = nullptr;
    retired.emplace_back(obj);
    if (retired.size() > 256) retired.pop_front();
}

}  // namespace

BOOL DeleteObject(HGDIOBJ obj) {
    if (!gdi::IsValidObject(obj)) return FALSE;
    if (obj->stock) return TRUE;  // deleting a stock object is harmless
    Live().erase(obj);
    Retire(obj);
    return TRUE;
}

int GetObject(HGDIOBJ obj, int size, void* out) {
    if (!gdi::IsValidObject(obj)) return 0;
    if (obj->kind == GdiObject::Kind::Font) {
        if (!out) return sizeof(LOGFONT);
        int n = std::min<int>(size, sizeof(LOGFONT));
        std::memcpy(out, &obj->logFont, n);
        return n;
    }
    if (obj->kind == GdiObject::Kind::Bitmap && obj->surface) {
        BITMAP bm{};
        bm.bmWidth = cairo_image_surface_get_width(obj->surface);
        bm.bmHeight = cairo_image_surface_get_height(obj->surface);
        bm.bmPlanes = 1;
        bm.bmBitsPixel = obj->monochrome ? 1 : 24;
        bm.bmWidthBytes = obj->monochrome ? ((bm.bmWidth + 15) / 16) * 2 : bm.bmWidth * 3;
        if (!out) return sizeof(BITMAP);
        int n = std::min<int>(size, sizeof(BITMAP));
        std::memcpy(out, &bm, n);
        return n;
    }
    return 0;
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
    if (!lf) return nullptr;
    auto* o = new GdiObject(GdiObject::Kind::Font);
    o->logFont = *lf;
    o->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    o->face = CurrentFontEngine().Create(o->logFont);
    return Track(o);
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto* o = new GdiObject(GdiObject::Kind::Brush);
    o->color = color & 0xFFFFFF;
    return Track(o);
}

HPEN CreatePen(int style, int, COLORREF color) {
    auto* o = new GdiObject(GdiObject::Kind::Pen);
    o->color = color & 0xFFFFFF;
    o->hollow = style == 5;  // PS_NULL
    return Track(o);
}

// Decodes PNG bytes. A PNG of bit depth 1 in grey or palette colours is a monochrome bitmap.
HBITMAP BitmapFromPng(const void* bytes, size_t size) {
    if (!bytes || size < 33) return nullptr;
    PngReader reader{static_cast<const unsigned char*>(bytes), size};
    cairo_surface_t* png = cairo_image_surface_create_from_png_stream(ReadPng, &reader);
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        return nullptr;
    }
    int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    cairo_surface_t* rgb = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(rgb);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(png);
    auto* o = new GdiObject(GdiObject::Kind::Bitmap);
    o->surface = rgb;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    o->monochrome = p[24] == 1 && (p[25] == 0 || p[25] == 3);
    return Track(o);
}

HBITMAP LoadBitmap(HINSTANCE instance, WORD id) {
    HRSRC res = FindResource(instance, id, RT_BITMAP);
    return BitmapFromPng(LoadResource(instance, res), SizeofResource(instance, res));
}

// Icons are shared, as on Win32: each is made once, lives as long as the program and is not
// deleted by DeleteObject.
HICON LoadIcon(HINSTANCE instance, WORD id) {
    static auto& icons = *new std::map<WORD, HICON>;
    auto it = icons.find(id);
    if (it != icons.end() && gdi::IsValidObject(it->second)) return it->second;
    HRSRC res = FindResource(instance, id, RT_ICON);
    HICON icon = BitmapFromPng(LoadResource(instance, res), SizeofResource(instance, res));
    if (icon) {
        icon->stock = true;
        icons[id] = icon;
    }
    return icon;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto* o = new GdiObject(GdiObject::Kind::Bitmap);
    o->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    return Track(o);
}

BOOL GetPreferredHebrewFace(char16_t* face) {
    if (!face) return FALSE;
    std::u16string name = CurrentFontEngine().PreferredHebrewFamily();
    face[0] = 0;
    if (name.empty() || name.size() >= LF_FACESIZE) return FALSE;
    std::memcpy(face, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    return TRUE;
}

int EnumFontFamilies(HDC, LPCWSTR family, FONTENUMPROC proc, LPARAM param) {
    if (!proc) return 0;
    int result = 1;
    for (const FontFamily& f : CurrentFontEngine().Families()) {
        if (family && !EqualsIgnoringCase(f.name, family)) continue;
        LOGFONT lf{};
        size_t n = std::min<size_t>(f.name.size(), LF_FACESIZE - 1);
        std::memcpy(lf.lfFaceName, f.name.data(), n * sizeof(char16_t));
        lf.lfCharSet = f.coversHebrew ? HEBREW_CHARSET : ANSI_CHARSET;
        lf.lfWeight = FW_NORMAL;
        TEXTMETRIC tm{};
        tm.tmCharSet = lf.lfCharSet;
        tm.tmWeight = FW_NORMAL;
        result = proc(&lf, &tm, 4 /* TRUETYPE_FONTTYPE */, param);
        if (!result) break;
    }
    return result;
}
