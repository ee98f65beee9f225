// Drawing primitives for runs of BookText.
#include <utility>

#include "platform/gdi/short_buffer.h"
#include "text/convert.h"
#include "text/paint.h"
#include "text/text_settings.h"

void DrawRun(TextPane* pane, const uint8_t* bytes, int n, int x, int y, int w, int h) {
    if (CurrentAsciiBase() == kUnicodeOutput) {
        RECT rect{x, y, x + w, y + h};
        DrawRunPerChar(pane, bytes, n, &rect);
    } else {
        DrawConverted(pane->surface, bytes, n, x, y, w, h);
    }
}

// Each unit sits in its cell as DrawText with kRunFormat would put it (centred, vertically
// centred, clipped to the cell); the cells go to PolyTextOut in one call, which draws the
// glyphs that their cells leave whole together.
void DrawRunPerChar(TextPane* pane, const uint8_t* bytes, int n, const RECT* rect) {
    HDC surface = pane->surface;
    SetBkMode(surface, TRANSPARENT);
    TEXTMETRIC tm{};
    GetTextMetrics(surface, &tm);
    const WidthTable* widths = pane->widths;
    ShortBuffer<char16_t, 256> unitBuffer{size_t(2 * n)};
    ShortBuffer<POLYTEXT, 256> textBuffer{size_t(2 * n)};
    char16_t* units = unitBuffer.data();
    POLYTEXT* texts = textBuffer.data();
    int count = 0;
    auto place = [&](int at, const RECT& cell) {
        SIZE size{};
        GetTextExtentPoint32(surface, &units[at], 1, &size);
        int x = cell.left + (cell.right - cell.left - size.cx) / 2;
        int y = cell.top + (cell.bottom - cell.top - tm.tmHeight) / 2;
        texts[count++] = POLYTEXT{x, y, 1, &units[at], ETO_CLIPPED, cell, nullptr};
    };
    int right = rect->right;
    int p = 0;  // width of the cell drawn last
    for (int k = n - 1; k >= 0; --k) {
        const uint8_t b = bytes[k];
        RECT cell{right, rect->top, right, rect->bottom};
        if (b == kHolamByte) {
            cell.right = right + 3;
            p = 3;
        } else if (IsPointByte(b)) {
            cell.right = right + p;  // the cell of the character drawn just before
        } else {
            p = (widths && b >= 0x10 && b <= 0x7F) ? widths->width[b - 0x10] : 0;
            cell.left = right - p;
        }
        char16_t first = b, second = 0;
        if (b >= kFirstMappedByte && b <= kLastMappedByte) {
            const UnicodePair& pair = UnicodeMap[b - kFirstMappedByte];
            first = pair.first;
            second = pair.second;
            if (first == kHolam && second) std::swap(first, second);
        }
        units[count] = first;
        place(count, cell);
        if (second) {
            RECT at = cell;
            if (second == kHolam) {
                at.left = cell.left - 2;
                at.right = cell.left + 1;
                p = 3;
            }
            units[count] = second;
            place(count, at);
        }
        right = cell.left;
    }
    PolyTextOut(surface, texts, count);
}

void DrawConverted(HDC surface, const uint8_t* bytes, int n, int x, int y, int w, int h) {
    int32_t units = 0;
    const char16_t* converted =
        ConvertBookRun(bytes, n, SharedConvertCache(), nullptr, &units, RunOrder::Display);
    if (!converted) return;
    RECT rect{x, y, x + w, y + h};
    DrawText(surface, converted, units, &rect, kRunFormat);
}

void DrawColoured(HDC surface, const uint8_t* bytes, int n, int x, int y, int w, int h,
                  COLORREF textColour, COLORREF backColour) {
    COLORREF oldText = SetTextColor(surface, textColour);
    COLORREF oldBack = SetBkColor(surface, backColour);
    int oldMode = SetBkMode(surface, OPAQUE);
    DrawConverted(surface, bytes, n, x, y, w, h);
    SetBkMode(surface, oldMode);
    SetBkColor(surface, oldBack);
    SetTextColor(surface, oldText);
}

void FillPaneRect(HDC surface, int left, int top, int width, int height, int stockBrush) {
    RECT rect{left, top, left + width, top + height};
    FillRect(surface, &rect, GetStockObject(stockBrush));
}

void DrawFrame(HDC surface, RECT* rect, COLORREF colour, int passes) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = nullptr, oldBrush = nullptr;
    if (pen) {
        oldPen = SelectObject(surface, pen);
        oldBrush = SelectObject(surface, GetStockObject(NULL_BRUSH));
    }
    for (int i = 0; i < passes; ++i) {
        if (pen) Rectangle(surface, rect->left, rect->top, rect->right, rect->bottom);
        rect->left += 1;
        rect->top += 1;
        rect->right -= 1;
        rect->bottom -= 1;
    }
    if (pen) {
        SelectObject(surface, oldPen ? oldPen : GetStockObject(BLACK_PEN));
        SelectObject(surface, oldBrush ? oldBrush : GetStockObject(WHITE_BRUSH));
        DeleteObject(pen);
    }
}
