// Text measuring and drawing: one glyph per code unit, placed by advance widths, left to right.
#include <algorithm>
#include <vector>

#include "platform/gdi_internal.h"
#include "platform/host/host.h"
#include "platform/short_buffer.h"

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
void DrawRun(HDC hdc, int x, int y, const char16_t* text, int n, const RECT* clip,
             const RECT* fill, const int* dx) {
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

// Splits text into lines at line breaks and, with DT_WORDBREAK, at spaces so that each line
// fits `width`. Returns [start, length) pairs.
std::vector<std::pair<int, int>> BreakLines(FontFace* face, const char16_t* text, int n,
                                            int width, bool wordBreak) {
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
        DrawRun(hdc, x, y, text + s, len, (format & DT_NOCLIP) ? nullptr : rect, nullptr,
                nullptr);
        y += lineHeight;
    }
    return total;
}
