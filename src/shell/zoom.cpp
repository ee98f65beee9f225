#include "shell/zoom.h"

#include <cstring>
#include <iterator>

#include "index/font_sizes.h"
#include "platform/gdi/gdi.h"
#include "reader/app_state.h"
#include "reader/panes.h"
#include "text/style_font.h"
#include "text/text_pane.h"

namespace {

// The offset each pane keeps at its top across a run of zoom steps. Taking a new one from the
// top line at every step would let the top drift a little each time (a line re-wrapped in a
// larger font starts earlier in the text); the kept one is used again while it still lies on
// the pane's top line, so zooming in and back out returns to the very line it started from.
struct Anchor {
    const uint8_t* text = nullptr;
    int32_t offset = -1;
    bool gap = false;  // the pane started at the paragraph gap above the anchor's line
};
Anchor gTopAnchor, gBottomAnchor;

const LineEntry* FirstVisibleLine(const TextPane* pane) {
    if (!pane || !pane->lines || pane->lineCount == 0) return nullptr;
    const LineEntry* line = pane->lines;
    uint32_t row = 0;
    while (row < pane->firstRow && line->style != 0) {
        row += (line->style & kParagraphEnd) ? 2 : 1;
        ++line;
    }
    if (line->style == 0) return line == pane->lines ? nullptr : line - 1;
    return line;
}

bool LineHolds(const LineEntry& line, int32_t offset) {
    if (line.count == 0) return offset == line.offset;
    return offset >= line.offset && offset < int32_t(line.offset) + line.count;
}

// The row of the first line that holds the offset, or -1.
int32_t RowOfOffset(const TextPane* pane, int32_t offset) {
    uint32_t row = 0;
    for (const LineEntry* e = pane->lines; e->style != 0; ++e) {
        if (LineHolds(*e, offset)) return int32_t(row);
        row += (e->style & kParagraphEnd) ? 2 : 1;
    }
    return -1;
}

void AnchorFor(const TextPane* pane, Anchor& kept) {
    const LineEntry* top = FirstVisibleLine(pane);
    if (!top) {
        kept = Anchor{};
        return;
    }
    if (kept.text != pane->text || kept.offset < 0 || !LineHolds(*top, kept.offset)) {
        kept.text = pane->text;
        kept.offset = TopTextOffset(pane);
        kept.gap = RowOfOffset(pane, kept.offset) > int32_t(pane->firstRow);
    }
}

// The row that shows the anchor at the top: its line's row, or the gap row above the line when
// the pane started at that gap.
int32_t AnchorRow(const TextPane* pane, const Anchor& kept) {
    if (kept.offset < 0 || !pane->lines) return -1;
    uint32_t row = 0;
    const LineEntry* before = nullptr;
    for (const LineEntry* e = pane->lines; e->style != 0; before = e, ++e) {
        if (LineHolds(*e, kept.offset))
            return int32_t(row) - (kept.gap && before && (before->style & kParagraphEnd) ? 1 : 0);
        row += (e->style & kParagraphEnd) ? 2 : 1;
    }
    return -1;
}

// The cell height the display font shows at its stored size: the size itself when it is a
// cell height, else what the platform makes of it (the default font for 0, an em height for
// sizes below 0).
int32_t ShownSize(HDC surface) {
    if (App.Font.FontSize > 0) return App.Font.FontSize;
    LOGFONT lf{};
    std::memcpy(lf.lfFaceName, App.Font.FaceName, sizeof lf.lfFaceName);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    lf.lfHeight = App.Font.FontSize;
    lf.lfWeight = 400;
    HFONT font = CreateFontIndirect(&lf);
    if (!font) return 0;
    HGDIOBJ before = SelectObject(surface, font);
    TEXTMETRIC tm{};
    GetTextMetrics(surface, &tm);
    SelectObject(surface, before);
    DeleteObject(font);
    return tm.tmHeight;
}

// Applies a new FontSize to both panes through the font path, then brings each pane's anchor
// back to its top and repaints the main window's panes.
void ApplySize(HWND window, int32_t size) {
    struct {
        TextPane* pane;
        Anchor& kept;
    } panes[] = {{App.TopPane, gTopAnchor}, {App.BottomPane, gBottomAnchor}};
    for (auto& p : panes)
        if (p.pane) AnchorFor(p.pane, p.kept);
    App.Font.FontSize = size;
    for (auto& p : panes) {
        if (!p.pane) continue;
        SetPaneFont(p.pane, &App.Font);
        int32_t row = AnchorRow(p.pane, p.kept);
        if (row >= 0)
            p.pane->firstRow = uint16_t(row < p.pane->maxFirstRow ? row : p.pane->maxFirstRow);
        else if (p.pane->firstRow > p.pane->maxFirstRow)
            p.pane->firstRow = p.pane->maxFirstRow;
    }
    RepaintPanes(window, kEraseTop | kPaintTop | kPaintBottom);
}

}  // namespace

int32_t NextZoomSize(int32_t shown, ZoomDirection direction) {
    if (direction == ZoomDirection::In) {
        for (int32_t size : kFontSizes)
            if (size > shown) return size;
        return 0;
    }
    for (auto it = std::rbegin(kFontSizes); it != std::rend(kFontSizes); ++it)
        if (*it < shown) return *it;
    return 0;
}

int32_t TopTextOffset(const TextPane* pane) {
    const LineEntry* line = FirstVisibleLine(pane);
    if (!line) return -1;
    if ((line->style & kRightToLeft) && line->count > 0)
        return int32_t(line->offset) + line->count - 1;
    return line->offset;
}

bool StepZoom(HWND window, ZoomDirection direction) {
    if (!App.TopPane) return false;
    int32_t size = NextZoomSize(ShownSize(App.TopPane->surface), direction);
    if (size == 0 || size == App.Font.FontSize) return false;
    ApplySize(window, size);
    return true;
}

bool ResetZoom(HWND window) {
    if (!App.TopPane || App.Font.FontSize == App.StartFontSize) return false;
    ApplySize(window, App.StartFontSize);
    return true;
}
