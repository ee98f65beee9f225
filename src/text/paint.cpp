// Painting a laid-out pane: visible lines from firstRow down, separators, labels, and the
// highlight of a search hit.
#include "text/paint.h"

#include <algorithm>
#include <cstring>

#include "platform/user/screen_colours.h"
#include "store/records.h"
#include "text/style_font.h"

namespace {

PaneOverlay gOverlay = nullptr;

constexpr int32_t kMarkMeasureLimit = 32767;
// Luma 15 (a red of 240 on the red screen) and white (black there): both over 4:1 against the
// black page and against each other.
constexpr COLORREF kRedScreenMarkBack = RGB(0, 0, 128);
constexpr COLORREF kRedScreenMarkText = RGB(255, 255, 255);

// Where painting starts: the first visible line, and the y and height left above it.
struct VisibleStart {
    const LineEntry* line;
    int32_t y;
    int32_t avail;
};

// Walks the rows up to firstRow (maxFirstRow when firstRow is beyond rowCount). When firstRow is
// the gap after a line, painting starts that gap's height below the pane top.
VisibleStart FirstVisible(const TextPane* pane) {
    const uint32_t first = pane->firstRow > pane->rowCount ? pane->maxFirstRow : pane->firstRow;
    const LineEntry* line = pane->lines;
    uint32_t row = 0;
    while (row < first && line->style != 0) {
        row += (line->style & kParagraphEnd) ? 2 : 1;
        ++line;
    }
    VisibleStart start{line, pane->top, pane->height};
    if (row > first) {
        start.y += line[-1].height;
        start.avail -= line[-1].height;
    }
    return start;
}

// Brings firstRow back into range, then finds where painting starts.
VisibleStart FindFirstVisible(TextPane* pane) {
    if (pane->firstRow > pane->rowCount) pane->firstRow = pane->maxFirstRow;
    return FirstVisible(pane);
}

// The font key painting starts with: separators and the terminator have no font of their own.
uint8_t StartStyle(const LineEntry* line) {
    return (line->style == 0 || IsSeparatorStyle(line->style)) ? 1 : line->style;
}

void Advance(const LineEntry& line, int32_t* y, int32_t* avail, int32_t* rows) {
    int32_t steps = (line.style & kParagraphEnd) ? 2 : 1;
    *y += steps * line.height;
    *avail -= steps * line.height;
    if (rows) *rows += steps;
}

void DrawSeparator(HDC surface, const LineEntry& line, int32_t y) {
    HGDIOBJ oldBrush = SelectObject(surface, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(surface, GetStockObject(BLACK_PEN));
    int32_t middle = y + line.height / 2;
    if (line.width > 0) Rectangle(surface, line.x, middle, line.x + line.width, middle + 1);
    if (oldPen) SelectObject(surface, oldPen);
    if (oldBrush) SelectObject(surface, oldBrush);
}

int32_t TableWidth(const TextPane* pane, const uint8_t* bytes, int32_t* count) {
    int32_t width = kMarkMeasureLimit;
    MeasureFitByTable(pane->widths, bytes, &width, count);
    return width;
}

// Marks the part of the stretch s (n bytes drawn at x) that lies in [markStart, markEnd).
void MarkStretch(TextPane* pane, const uint8_t* s, int32_t n, int32_t x, int32_t y,
                 int32_t height) {
    int32_t d = int32_t(pane->markStart) - int32_t(s - pane->text);
    if (d >= 0) {
        if (d > n) return;
        int32_t skipped = d;
        x += TableWidth(pane, s, &skipped);
        s += d;
        n -= d;
    }
    n = std::min(n, int32_t(pane->markEnd) - int32_t(s - pane->text));
    if (n <= 0) return;
    int32_t counted = n;
    int32_t w = TableWidth(pane, s, &counted);
    HDC surface = pane->surface;
    const MarkColours colours = HitMarkColours();
    if (HBRUSH brush = CreateSolidBrush(colours.back)) {
        RECT back{x, y - 1, x + w, y + height + 1};
        FillRect(surface, &back, brush);
        DeleteObject(brush);
    }
    COLORREF oldText = SetTextColor(surface, colours.text);
    COLORREF oldBack = SetBkColor(surface, colours.back);
    DrawRun(pane, s, n, x, y, w, height);
    SetBkColor(surface, oldBack);
    SetTextColor(surface, oldText);
}

// The shown bytes of a line, label included: [*from, *to).
void ShownRange(const TextPane* pane, const LineEntry& line, int32_t* from, int32_t* to) {
    *from = line.offset;
    *to = line.offset + line.count;
    if (line.labelWidth == 0) return;
    const uint8_t* part = nullptr;
    if (line.style & kRightToLeft) {
        int n = RightToLeftLabel(pane, line, &part);
        *to = std::max(*to, int32_t(part - pane->text) + n);
    } else {
        LeftToRightLabel(pane, line, &part);
        *to = int32_t(part - pane->text) + line.count;
    }
}

}  // namespace

MarkColours HitMarkColours() {
    if (CurrentScreenColours() == ScreenColours::Red)
        return {kRedScreenMarkBack, kRedScreenMarkText};
    return {kHighlightBack, kHighlightText};
}

int RightToLeftLabel(const TextPane* pane, const LineEntry& line, const uint8_t** label) {
    const uint8_t* p = pane->text + line.offset + line.count;
    while (*p == ' ') ++p;
    *label = p;
    return int(std::strlen(reinterpret_cast<const char*>(p)));
}

int LeftToRightLabel(const TextPane* pane, const LineEntry& line, const uint8_t** lineText) {
    const uint8_t* label = pane->text + line.offset;
    int n = 0;
    while (label[n] && label[n] != ' ') ++n;
    const uint8_t* p = label + n;
    while (*p == ' ') ++p;
    *lineText = p;
    return n;
}

bool ShownBand(const TextPane* pane, uint16_t from, uint16_t to, int32_t* top, int32_t* bottom) {
    if (!pane || !pane->text || !pane->lines || from >= to) return false;
    VisibleStart start = FirstVisible(pane);
    bool shown = false;
    int32_t y = start.y, avail = start.avail;
    for (const LineEntry* e = start.line; e->style != 0 && avail >= e->height; ++e) {
        int32_t lineFrom = 0, lineTo = 0;
        if (!IsSeparatorStyle(e->style)) ShownRange(pane, *e, &lineFrom, &lineTo);
        if (lineFrom < to && from < lineTo) {
            if (!shown && top) *top = y;
            if (bottom) *bottom = y + e->height;
            shown = true;
        }
        Advance(*e, &y, &avail, nullptr);
    }
    return shown;
}

int PaintPane(TextPane* pane, bool erase) {
    if (!pane || !pane->text || !pane->lines) return -1;
    pane->rowsPainted = 0;
    VisibleStart start = FindFirstVisible(pane);
    HDC surface = pane->surface;
    COLORREF oldText = GetTextColor(surface);
    uint8_t current = StartStyle(start.line);
    HGDIOBJ before = SelectStyleFont(pane, current | kColourRequest);
    if (erase) FillPaneRect(surface, pane->left, pane->top, pane->width, pane->height, WHITE_BRUSH);

    int32_t y = start.y, avail = start.avail;
    for (const LineEntry* e = start.line; e->style != 0; ++e) {
        // A line taller than the whole pane is shown clipped to it, so that the pane is never
        // blank and pages on; any other line that does not fit waits for the next page.
        const bool clipped = avail < e->height;
        if (clipped && e != start.line) break;
        if (clipped) {
            // After the gap of the line above, such a line starts at the pane's top.
            if (avail <= 0) y = pane->top, avail = pane->height;
            IntersectClipRect(surface, pane->left, pane->top, pane->left + pane->width,
                              pane->top + pane->height);
        }
        if (IsSeparatorStyle(e->style)) {
            DrawSeparator(surface, *e, y);
        } else {
            if ((e->style ^ current) & kFontKeyMask)
                SelectStyleFont(pane, e->style | kColourRequest);
            current = e->style;
            const uint8_t* lineText = pane->text + e->offset;
            if (e->labelWidth != 0) {
                const uint8_t* label = nullptr;
                if (e->style & kRightToLeft) {
                    int32_t count = RightToLeftLabel(pane, *e, &label);
                    int32_t w = e->labelWidth;
                    MeasureFitByTable(pane->widths, label, &w, &count);
                    DrawRun(pane, label, count, e->x + e->width + e->labelWidth - w, y, w,
                            e->height);
                } else {
                    label = lineText;
                    int32_t count = LeftToRightLabel(pane, *e, &lineText);
                    int32_t w = e->labelWidth;
                    MeasureFit(surface, label, &w, &count);
                    DrawConverted(surface, label, count, e->x - e->labelWidth, y, w, e->height);
                }
            }
            DrawRun(pane, lineText, e->count, e->x, y, e->width, e->height);
        }
        Advance(*e, &y, &avail, &pane->rowsPainted);
        if (clipped) {
            SelectClipRgn(surface, nullptr);
            break;
        }
    }
    SelectObject(surface, before);
    SetTextColor(surface, oldText);
    int marked = (pane->markStart != 0 || pane->markEnd != 0) ? PaintMarks(pane) : 0;
    if (gOverlay) gOverlay(pane);
    return marked;
}

void SetPaneOverlay(PaneOverlay overlay) {
    gOverlay = overlay;
}

int PaintMarks(TextPane* pane) {
    if (!pane || !pane->text || !pane->lines) return -1;
    VisibleStart start = FindFirstVisible(pane);
    HDC surface = pane->surface;
    uint8_t current = StartStyle(start.line);
    HGDIOBJ before = SelectStyleFont(pane, current);
    int32_t y = start.y, avail = start.avail;
    for (const LineEntry* e = start.line; e->style != 0 && avail >= e->height; ++e) {
        int32_t from = 0, to = 0;
        if (!IsSeparatorStyle(e->style)) ShownRange(pane, *e, &from, &to);
        if (!IsSeparatorStyle(e->style) && pane->markEnd >= from && pane->markStart <= to) {
            if ((e->style ^ current) & kFontKeyMask) SelectStyleFont(pane, e->style);
            current = e->style;
            const uint8_t* lineText = pane->text + e->offset;
            if (e->labelWidth != 0 && (e->style & kRightToLeft)) {
                const uint8_t* label = nullptr;
                int32_t count = RightToLeftLabel(pane, *e, &label);
                int32_t w = e->labelWidth;
                MeasureFitByTable(pane->widths, label, &w, &count);
                DrawColoured(surface, label, count, e->x + e->width + e->labelWidth - w, y, w,
                             e->height, HitMarkColours().text, HitMarkColours().back);
            } else if (e->labelWidth != 0) {
                const uint8_t* label = lineText;
                int32_t count = LeftToRightLabel(pane, *e, &lineText);
                MarkStretch(pane, label, count, e->x - e->labelWidth, y, e->height);
            }
            MarkStretch(pane, lineText, e->count, e->x, y, e->height);
        }
        Advance(*e, &y, &avail, nullptr);
    }
    SelectObject(surface, before);
    return 0;
}
