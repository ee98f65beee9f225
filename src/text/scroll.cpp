#include "text/scroll.h"

#include <algorithm>

#include "store/records.h"
#include "text/paint.h"
#include "text/style_font.h"

int ScrollPane(TextPane* pane, int delta, bool repaint, bool limit) {
    if (!pane) return -1;
    int32_t row = int32_t(pane->firstRow) + delta;
    if (row < 0) {
        row = 0;
    } else if (limit || row > pane->rowCount) {
        if (row >= pane->firstRow && pane->firstRow >= pane->maxFirstRow) return kScrollUnchanged;
        if (row > pane->rowCount) row = pane->maxFirstRow;
    }
    if (repaint && row == pane->firstRow) return kScrollUnchanged;
    const bool moved = row != pane->firstRow;
    pane->firstRow = uint16_t(row);
    if (repaint) return PaintPane(pane, true);
    return moved ? kScrollMoved : kScrollUnchanged;
}

namespace {

// Row `row` is the blank gap after a paragraph's last line, and a line of text starts on the
// row after it.
bool IsGapAboveText(const TextPane* pane, uint32_t row) {
    uint32_t at = 0;
    for (const LineEntry* e = pane->lines; e->style != 0; ++e) {
        const uint32_t rows = (e->style & kParagraphEnd) ? 2 : 1;
        if (at + rows > row) {
            if (rows != 2 || at + 1 != row) return false;  // the line itself, or no gap
            return e[1].style != 0 && !IsSeparatorStyle(e[1].style);
        }
        at += rows;
    }
    return false;
}

}  // namespace

int ScrollPaneByRowOrLine(TextPane* pane, int delta) {
    if (!pane) return -1;
    const uint32_t before = pane->firstRow;
    const int result = ScrollPane(pane, delta, false, true);
    if (result != kScrollMoved || pane->firstRow > pane->rowCount || !pane->lines) return result;
    // Down from the gap onto the line below it, or Up from a line onto the gap above it: the
    // same line of text is still the first one shown.
    if ((delta == 1 && IsGapAboveText(pane, before)) ||
        (delta == -1 && IsGapAboveText(pane, pane->firstRow)))
        ScrollPane(pane, delta, false, true);
    return result;
}

int ScrollToOffset(TextPane* pane, uint16_t offset) {
    if (!pane || !pane->lines) return 0;
    uint32_t row = 0;
    for (const LineEntry* e = pane->lines; e->style != 0; ++e) {
        if (e->offset <= offset && offset <= e->offset + e->count) {
            pane->firstRow = uint16_t(std::min<uint32_t>(row, pane->maxFirstRow));
            return 1;
        }
        row += (e->style & kParagraphEnd) ? 2 : 1;
    }
    return 0;
}

int ScrollToParagraph(TextPane* pane, uint16_t offset) {
    if (!pane || !pane->lines || !pane->text) return 0;
    for (const uint8_t* record = pane->text; !IsArticleListEnd(record);
         record = NextArticleRecord(record)) {
        const uint32_t first = uint32_t(ArticleRecordText(record) - pane->text);
        const uint32_t zero = first + uint32_t(ArticleRecordTextLength(record));
        if (offset < first || offset > zero) continue;
        // The paragraph's first line in the table is its first line on the screen, whichever
        // end of the stored text it was cut from.
        uint32_t row = 0;
        for (const LineEntry* e = pane->lines; e->style != 0; ++e) {
            if (e->offset >= first && e->offset <= zero) {
                pane->firstRow = uint16_t(std::min<uint32_t>(row, pane->maxFirstRow));
                return 1;
            }
            row += (e->style & kParagraphEnd) ? 2 : 1;
        }
        return 0;
    }
    return 0;
}
