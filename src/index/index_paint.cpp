// Painting and scrolling the index view: the shown lines from firstRow down, each record's first
// painted line with its outline marker.
#include <algorithm>

#include "index/index_keys.h"
#include "index/index_view.h"
#include "platform/user/controls.h"
#include "reader/app_state.h"
#include "text/paint.h"

namespace {

constexpr DWORD kSourceCopy = 0xCC0020;

// The scroll position painting uses: one beyond rowCount is pulled back to maxFirstRow.
uint16_t EffectiveFirstRow(const IndexView* view) {
    return view->firstRow > view->rowCount ? view->maxFirstRow : view->firstRow;
}

int TopLineAt(const IndexView* view, uint16_t firstRow) {
    int i = 0;
    uint32_t passed = 0;
    while (passed < firstRow && view->lines[i].flags != 0) {
        if (view->lines[i].flags & kIndexShown) ++passed;
        ++i;
    }
    return i;
}

// 201 boxed plus (closed group heading), 202 boxed minus (open group heading), 203 page.
HBITMAP MarkerFor(const IndexLine& line) {
    if (line.key & 0x8000) return App.MarkerBitmaps[(line.flags & kIndexOpen) ? 1 : 0];
    return App.MarkerBitmaps[2];
}

// The 9 x 9 marker goes 4 pixels right of the text, centred on the line when it is taller.
void DrawMarker(HDC surface, const IndexLine& line, int32_t y) {
    HBITMAP bitmap = MarkerFor(line);
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(surface);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, bitmap);
    int32_t offset = (int32_t(line.height) - kMarkerSize) / 2;
    int32_t top = offset > 0 ? y + offset : y;
    StretchBlt(surface, int32_t(line.x) + line.width + kMarkerGap, top, kMarkerSize, kMarkerSize,
               memory, 0, 0, kMarkerSize, kMarkerSize, kSourceCopy);
    if (old) SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace

int FindIndexTopLine(const IndexView* view) {
    if (!view || !view->lines) return 0;
    return TopLineAt(view, view->firstRow);
}

int PaintIndex(IndexView* view, bool erase) {
    if (!view) return -1;
    view->rowsPainted = 0;
    if (!view->list || !view->lines) return -1;
    view->firstRow = EffectiveFirstRow(view);
    const int topLine = FindIndexTopLine(view);
    HDC surface = view->surface;
    COLORREF oldText = GetTextColor(surface);
    uint8_t style = view->lines[topLine].flags;
    HFONT before = SelectIndexFont(view, style | kIndexColourRequest);
    // The markers of the outermost lines lie in the marker zone right of the view; erasing it
    // too keeps a scroll from leaving their old markers behind.
    if (erase)
        FillPaneRect(surface, view->left, view->top, view->width + kIndentStep, view->height,
                     WHITE_BRUSH);

    // The current entry is drawn as a selection: its lines on the selection band, in its ink.
    const int selected = IndexCurrentLine(view);
    const int selectedEnd = IndexEntryEnd(view, selected);

    int32_t y = view->top;
    int32_t remaining = view->height;
    int lastPainted = -1;
    for (int i = topLine; view->lines[i].flags != 0; ++i) {
        const IndexLine& line = view->lines[i];
        if (remaining < line.height) break;
        if (!(line.flags & kIndexShown)) continue;
        if ((line.flags ^ style) & kIndexFontKeyMask) {
            SelectIndexFont(view, line.flags | kIndexColourRequest);
            style = line.flags;
        }
        // Once per record, on its first painted line (the top line always gets one, so that a
        // record scrolled half out of view still shows what it is).
        if (lastPainted != i - 1 || !ContinuesIndexRecord(view, i)) DrawMarker(surface, line, y);
        if (i >= selected && i < selectedEnd) {
            HBRUSH fill = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
            RECT r{int32_t(line.x) - 2, y, int32_t(line.x) + line.width + 2, y + line.height};
            FillRect(surface, &r, fill);
            DeleteObject(fill);
            COLORREF ink = SetTextColor(surface, GetSysColor(COLOR_HIGHLIGHTTEXT));
            int mode = SetBkMode(surface, TRANSPARENT);
            DrawConverted(surface, view->list + line.offset, line.count, line.x, y, line.width,
                          line.height);
            SetBkMode(surface, mode);
            SetTextColor(surface, ink);
        } else {
            DrawConverted(surface, view->list + line.offset, line.count, line.x, y, line.width,
                          line.height);
        }
        y += line.height;
        remaining -= line.height;
        ++view->rowsPainted;
        lastPainted = i;
    }
    SelectObject(surface, before);
    SetTextColor(surface, oldText);
    return 0;
}

int ScrollIndex(IndexView* view, int delta, int repaint, bool clamp) {
    if (!view) return -1;
    int32_t next = int32_t(view->firstRow) + delta;
    if (next < 0)
        next = 0;
    else if (clamp || next > view->rowCount)
        next = std::min<int32_t>(next, view->maxFirstRow);
    if (repaint == 1 && next == view->firstRow) return 1;
    view->firstRow = uint16_t(next);
    if (repaint == 0) return 1;
    return PaintIndex(view, true);
}

int32_t PaintedIndexLineTop(const IndexView* view, int i) {
    if (!view || !view->list || !view->lines || i < 0 || i >= view->lineCount) return -1;
    int32_t y = view->top;
    int32_t remaining = view->height;
    for (int k = TopLineAt(view, EffectiveFirstRow(view)); view->lines[k].flags != 0; ++k) {
        const IndexLine& line = view->lines[k];
        if (remaining < line.height) return -1;
        if (!(line.flags & kIndexShown)) continue;
        if (k == i) return y;
        y += line.height;
        remaining -= line.height;
    }
    return -1;
}
