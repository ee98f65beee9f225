// Text measuring and drawing: one glyph per code unit, placed by advance widths, left to right.
#include <algorithm>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/short_buffer.h"
#include "platform/hosting.h"

namespace {

int Extent(FontFace* face, const char16_t* text, int n) {
    int w = 0;
    for (int i = 0; i < n; ++i) w += face->Advance(text[i]);
    return w;
}

int Length(const char16_t* text, int count) {
    if (!text) return 0;
    if (count >= 0) return count;
    int n = 0;
    while (text[n]) ++n;
    return n;
}

// Draws a run with its cell's top-left at (x, y), clipped to `clip` when given; an opaque
// background fills `fill` (or the text cell) first.
void DrawRun(HDC hdc, int x, int y, const char16_t* text, int n, const RECT* clip, const RECT* fill,
             const int* dx) {
    cairo_t* cr = gdi::Begin(hdc);
    if (!cr) return;
    FontFace* face = gdi::FaceOf(hdc);
    const FontMetrics& m = face->Metrics();
    if (clip) {
        cairo_rectangle(cr, clip->left, clip->top, clip->right - clip->left,
                        clip->bottom - clip->top);
        cairo_clip(cr);
    }
    // Short runs (a character, a line) place their pens on the stack: drawing a pane allocates
    // nothing of its own.
    ShortBuffer<int, 256> pens{static_cast<size_t>(n)};
    int* pen = pens.data();
    int at = 0;
    for (int i = 0; i < n; ++i) {
        pen[i] = at;
        at += dx ? dx[i] : face->Advance(text[i]);
    }
    if (fill) {
        gdi::SetColor(cr, hdc->bkColor);
        cairo_rectangle(cr, fill->left, fill->top, fill->right - fill->left,
                        fill->bottom - fill->top);
        cairo_fill(cr);
    } else if (hdc->bkMode == OPAQUE && n > 0) {
        gdi::SetColor(cr, hdc->bkColor);
        cairo_rectangle(cr, x, y, at, m.height);
        cairo_fill(cr);
    }
    if (n > 0) {
        gdi::SetColor(cr, hdc->textColor);
        face->Draw(cr, x, y + m.ascent, text, n, pen);
    }
    cairo_destroy(cr);
    if (CurrentHost()) CurrentHost()->ScreenDamaged();
}

}  // namespace

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm) {
    if (!hdc || !tm) return FALSE;
    FontFace* face = gdi::FaceOf(hdc);
    const FontMetrics& m = face->Metrics();
    *tm = TEXTMETRIC{};
    tm->tmHeight = m.height;
    tm->tmAscent = m.ascent;
    tm->tmDescent = m.descent;
    tm->tmInternalLeading = m.internalLeading;
    tm->tmAveCharWidth = m.aveCharWidth;
    tm->tmMaxCharWidth = m.maxCharWidth;
    GdiObject* f = hdc->font ? hdc->font : gdi::StockFont();
    tm->tmWeight = f->logFont.lfWeight ? f->logFont.lfWeight : FW_NORMAL;
    tm->tmCharSet = f->logFont.lfCharSet;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = u'?';
    tm->tmBreakChar = u' ';
    tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, const char16_t* text, int count, SIZE* size) {
    if (!hdc || !size || count < 0 || (count > 0 && !text)) return FALSE;
    FontFace* face = gdi::FaceOf(hdc);
    *size = SIZE{Extent(face, text, count), face->Metrics().height};
    return TRUE;
}

BOOL GetTextExtentExPoint(HDC hdc, const char16_t* text, int count, int maxExtent, int* fitOut,
                          int* dxOut, SIZE* size) {
    if (!hdc || count < 0 || (count > 0 && !text)) return FALSE;
    FontFace* face = gdi::FaceOf(hdc);
    int at = 0, fit = 0;
    bool fitting = true;
    for (int i = 0; i < count; ++i) {
        at += face->Advance(text[i]);
        if (dxOut) dxOut[i] = at;
        if (fitting && at <= maxExtent)
            fit = i + 1;
        else
            fitting = false;
    }
    if (fitOut) *fitOut = fit;
    if (size) *size = SIZE{at, face->Metrics().height};
    return TRUE;
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char16_t* text,
                UINT count, const int* dx) {
    if (!hdc) return FALSE;
    const RECT* clip = (options & ETO_CLIPPED) ? rect : nullptr;
    const RECT* fill = (options & ETO_OPAQUE) ? rect : nullptr;
    if (fill && (!text || count == 0)) {
        cairo_t* cr = gdi::Begin(hdc);
        if (!cr) return FALSE;
        gdi::SetColor(cr, hdc->bkColor);
        cairo_rectangle(cr, fill->left, fill->top, fill->right - fill->left,
                        fill->bottom - fill->top);
        cairo_fill(cr);
        cairo_destroy(cr);
        return TRUE;
    }
    DrawRun(hdc, x, y, text, int(count), clip, fill, dx);
    return TRUE;
}

namespace {

// Single transparent units that PolyTextOut draws in a few calls instead of one each. Each
// glyph gets a layer one above the highest of the earlier glyphs whose pixels it may touch, so
// no two glyphs of a layer share a pixel, and drawing the layers in turn paints every pixel in
// the same order as drawing the glyphs one by one: the same pixels. A glyph that its rectangle
// clips is drawn on its own, clipped, in its layer's turn.
class GlyphLayers {
public:
    GlyphLayers(HDC hdc, FontFace* face, int capacity)
        : hdc_(hdc),
          face_(face),
          glyphs_(size_t(capacity)),
          units_(size_t(capacity)),
          pens_(size_t(capacity)) {}
    ~GlyphLayers() {
        if (cr_) cairo_destroy(cr_);
    }
    // Takes the unit, or returns false when its ink is unknown (the caller draws it itself,
    // after Flush).
    bool Add(const POLYTEXT& t, int ascent) {
        const InkBox& ink = face_->Ink(t.lpstr[0]);
        if (!ink.known) return false;
        if (ink.empty) return true;  // paints nothing, clipped or not
        Glyph g{t.lpstr[0], t.x, t.y + ascent, {}, false, t.rcl, 0};
        g.touches =
            RECT{t.x + ink.left, g.baseline + ink.top, t.x + ink.right, g.baseline + ink.bottom};
        if (t.uiFlags & ETO_CLIPPED) {
            const RECT& c = t.rcl;
            RECT& b = g.touches;
            g.clipped =
                b.left < c.left || b.top < c.top || b.right > c.right || b.bottom > c.bottom;
            b = RECT{std::max(b.left, c.left), std::max(b.top, c.top), std::min(b.right, c.right),
                     std::min(b.bottom, c.bottom)};
            if (b.left >= b.right || b.top >= b.bottom) return true;  // clipped away
        }
        Glyph* glyphs = glyphs_.data();
        for (int i = 0; i < n_; ++i)
            if (glyphs[i].layer >= g.layer && Overlaps(glyphs[i].touches, g.touches))
                g.layer = glyphs[i].layer + 1;
        layers_ = std::max(layers_, g.layer + 1);
        glyphs[n_++] = g;
        return true;
    }
    void Flush() {
        if (n_ > 0 && !cr_) {
            cr_ = gdi::Begin(hdc_);
            if (cr_) gdi::SetColor(cr_, hdc_->textColor);
        }
        const Glyph* glyphs = glyphs_.data();
        for (int layer = 0; cr_ && layer < layers_; ++layer) {
            int batched = 0, baseline = 0;
            for (int i = 0; i < n_; ++i) {
                const Glyph& g = glyphs[i];
                if (g.layer != layer) continue;
                if (g.clipped) {
                    cairo_save(cr_);
                    cairo_rectangle(cr_, g.clip.left, g.clip.top, g.clip.right - g.clip.left,
                                    g.clip.bottom - g.clip.top);
                    cairo_clip(cr_);
                    const int pen = 0;
                    face_->Draw(cr_, g.x, g.baseline, &g.unit, 1, &pen);
                    cairo_restore(cr_);
                    continue;
                }
                if (batched > 0 && g.baseline != baseline) {
                    face_->Draw(cr_, 0, baseline, units_.data(), batched, pens_.data());
                    batched = 0;
                }
                baseline = g.baseline;
                units_.data()[batched] = g.unit;
                pens_.data()[batched++] = g.x;
            }
            if (batched > 0) face_->Draw(cr_, 0, baseline, units_.data(), batched, pens_.data());
        }
        n_ = 0;
        layers_ = 0;
    }

private:
    struct Glyph {
        char16_t unit;
        int x;
        int baseline;
        RECT touches;  // the pixels it may paint: its ink, within its clip
        bool clipped;  // whether the clip cuts its ink
        RECT clip;
        int layer;
    };
    static bool Overlaps(const RECT& a, const RECT& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    }
    HDC hdc_;
    FontFace* face_;
    cairo_t* cr_ = nullptr;
    ShortBuffer<Glyph, 128> glyphs_;
    ShortBuffer<char16_t, 128> units_;
    ShortBuffer<int, 128> pens_;
    int n_ = 0;
    int layers_ = 0;
};

}  // namespace

BOOL PolyTextOut(HDC hdc, const POLYTEXT* texts, int count) {
    if (!hdc || count < 0 || (count > 0 && !texts)) return FALSE;
    FontFace* face = gdi::FaceOf(hdc);
    // Transparent single units are layered; anything else is drawn as ExtTextOut draws it, in
    // its turn.
    const bool layering = hdc->bkMode == TRANSPARENT && !face->Underlined();
    GlyphLayers layers(hdc, face, count);
    const int ascent = face->Metrics().ascent;
    for (int i = 0; i < count; ++i) {
        const POLYTEXT& t = texts[i];
        if (layering && t.n == 1 && t.lpstr && !(t.uiFlags & ETO_OPAQUE) && layers.Add(t, ascent))
            continue;
        layers.Flush();
        if (!ExtTextOut(hdc, t.x, t.y, t.uiFlags, &t.rcl, t.lpstr, t.n, t.pdx)) return FALSE;
    }
    layers.Flush();
    if (CurrentHost()) CurrentHost()->ScreenDamaged();
    return TRUE;
}

namespace {

// Splits text into lines at line breaks and, with DT_WORDBREAK, at spaces so that each line
// fits `width`. Returns [start, length) pairs.
std::vector<std::pair<int, int>> BreakLines(FontFace* face, const char16_t* text, int n, int width,
                                            bool wordBreak) {
    std::vector<std::pair<int, int>> lines;
    int start = 0;
    while (start <= n) {
        int end = start;
        while (end < n && text[end] != u'\n' && text[end] != u'\r') ++end;
        int lineStart = start;
        while (wordBreak && Extent(face, text + lineStart, end - lineStart) > width) {
            int cut = -1, w = 0;
            for (int i = lineStart; i < end; ++i) {
                w += face->Advance(text[i]);
                if (w > width) break;
                if (text[i] == u' ') cut = i;
            }
            if (cut <= lineStart) break;
            lines.push_back({lineStart, cut - lineStart});
            lineStart = cut + 1;
        }
        lines.push_back({lineStart, end - lineStart});
        if (end >= n) break;
        start = end + 1;
        if (text[end] == u'\r' && start < n && text[start] == u'\n') ++start;
    }
    return lines;
}

}  // namespace

int DrawText(HDC hdc, const char16_t* text, int count, RECT* rect, UINT format) {
    if (!hdc || !rect) return 0;
    int n = Length(text, count);
    FontFace* face = gdi::FaceOf(hdc);
    int lineHeight = face->Metrics().height;
    std::vector<std::pair<int, int>> lines;
    if (format & DT_SINGLELINE)
        lines.push_back({0, n});
    else
        lines = BreakLines(face, text, n, rect->right - rect->left, format & DT_WORDBREAK);
    int total = int(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (auto& [s, len] : lines) widest = std::max(widest, Extent(face, text + s, len));
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - lineHeight;
    }
    for (auto& [s, len] : lines) {
        int w = Extent(face, text + s, len);
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (rect->right - rect->left - w) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - w;
        DrawRun(hdc, x, y, text + s, len, (format & DT_NOCLIP) ? nullptr : rect, nullptr, nullptr);
        y += lineHeight;
    }
    return total;
}
