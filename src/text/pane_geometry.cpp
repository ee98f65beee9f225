#include "text/pane_geometry.h"

#include <algorithm>
#include <cstdlib>

#include "store/records.h"
#include "text/convert.h"
#include "text/paint.h"
#include "text/style_font.h"

namespace {

// The rows a line takes: a paragraph's last line is followed by a gap row of its height.
uint32_t RowsOf(const LineEntry& line) {
    return (line.style & kParagraphEnd) ? 2 : 1;
}

// The measured width table of the line's style font: the one the painter draws it with.
const WidthTable* WidthsOf(const TextPane* pane, const LineEntry& line) {
    for (const StyleFont* f = pane->styleFonts; f; f = f->next)
        if (f->key == (line.style & kFontKeyMask) && f->widths.width[0] != kUnmeasuredFirst)
            return &f->widths;
    return pane->widths;
}

int32_t ByteWidth(const WidthTable* widths, uint8_t b) {
    if (!widths || b < 0x10 || b > 0x7F || IsPointByte(b)) return 0;
    return widths->width[b - 0x10];
}

// The cells of the line's own bytes, from its right edge leftwards as the painter places them
// (the first stored byte leftmost): cell i is [lefts[i], lefts[i] + widths[i]).
void Cells(const TextPane* pane, const LineEntry& line, std::vector<int32_t>* lefts,
           std::vector<int32_t>* widths) {
    const WidthTable* table = WidthsOf(pane, line);
    lefts->assign(line.count, 0);
    widths->assign(line.count, 0);
    int32_t right = line.x + line.width;
    int32_t drawnLast = 0;  // the cell a point is drawn in: the letter's after it in storage
    int32_t drawnLastLeft = right;
    for (int k = int(line.count) - 1; k >= 0; --k) {
        uint8_t b = pane->text[line.offset + k];
        if (IsPointByte(b)) {
            (*lefts)[size_t(k)] = drawnLastLeft;
            (*widths)[size_t(k)] = drawnLast;
            continue;
        }
        int32_t w = ByteWidth(table, b);
        right -= w;
        (*lefts)[size_t(k)] = right;
        (*widths)[size_t(k)] = w;
        drawnLast = w;
        drawnLastLeft = right;
    }
}

// Where the line's label is drawn: [*left, *right).
void LabelPlace(const LineEntry& line, int32_t* left, int32_t* right) {
    if (line.style & kRightToLeft) {
        *left = line.x + line.width;
        *right = *left + line.labelWidth;
    } else {
        *right = line.x;
        *left = *right - line.labelWidth;
    }
}

// The first row the pane shows, as the painter takes it.
uint32_t FirstRow(const TextPane* pane) {
    return pane->firstRow > pane->rowCount ? pane->maxFirstRow : pane->firstRow;
}

}  // namespace

std::vector<PaneLine> PaneLines(const TextPane* pane) {
    std::vector<PaneLine> out;
    if (!pane || !pane->text || !pane->lines) return out;
    const uint32_t first = FirstRow(pane);
    uint32_t row = 0;
    // Painting starts at the line that holds the first row; when that row is a gap, a gap's
    // height below the pane's top.
    int32_t y = pane->top;
    bool started = false, stopped = false;
    // Where each line stands from the article's top; a line out of view is placed where it
    // would be drawn, above the pane or below it, as a scrolled text places what it hides.
    std::vector<int32_t> fromTop;
    int32_t articleY = 0, base = 0;
    bool placed = false;
    for (const LineEntry* e = pane->lines; e->style != 0; ++e) {
        int32_t lineY = articleY;
        articleY += int32_t(RowsOf(*e)) * e->height;
        bool shown = false;
        int32_t top = 0;
        if (!started && row + RowsOf(*e) > first) {
            started = true;
            if (row < first) y += e->height;  // the line is above; its gap is the first row
        }
        if (started && !stopped && row >= first) {
            if (!placed) {
                placed = true;
                base = y - lineY;
            }
            if (y + e->height <= pane->top + pane->height) {
                shown = true;
                top = y;
                y += int32_t(RowsOf(*e)) * e->height;
            } else {
                stopped = true;
            }
        }
        if (!IsSeparatorStyle(e->style)) {
            PaneLine line{e, row, e->offset, uint16_t(e->offset + e->count), shown, top};
            if (e->labelWidth != 0) {
                const uint8_t* part = nullptr;
                if (e->style & kRightToLeft) {
                    int n = RightToLeftLabel(pane, *e, &part);
                    line.to = uint16_t(std::max<int32_t>(line.to, int32_t(part - pane->text) + n));
                } else {
                    LeftToRightLabel(pane, *e, &part);
                    line.to = uint16_t(part - pane->text + e->count);
                }
            }
            out.push_back(line);
            fromTop.push_back(lineY);
        }
        row += RowsOf(*e);
    }
    for (size_t i = 0; i < out.size(); ++i)
        if (!out[i].shown) out[i].top = base + fromTop[i];
    return out;
}

int PaneLineOf(const std::vector<PaneLine>& lines, uint16_t offset) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].from <= offset && offset < lines[i].to) return int(i);
    return -1;
}

bool PaneByteBox(const TextPane* pane, const std::vector<PaneLine>& lines, uint16_t offset,
                 RECT* box) {
    int at = PaneLineOf(lines, offset);
    if (!pane || at < 0) return false;
    const PaneLine& l = lines[size_t(at)];
    const LineEntry& e = *l.line;
    // A left-to-right label comes first in storage and the line's own bytes after it; a
    // right-to-left one after the line's bytes and the spaces between.
    uint16_t own = e.offset;
    if (e.labelWidth != 0 && !(e.style & kRightToLeft)) {
        const uint8_t* part = nullptr;
        LeftToRightLabel(pane, e, &part);
        own = uint16_t(part - pane->text);
    }
    int32_t left = 0, right = 0;
    if (offset >= own && offset < own + e.count) {
        std::vector<int32_t> lefts, widths;
        LineEntry shifted = e;
        shifted.offset = own;
        Cells(pane, shifted, &lefts, &widths);
        left = lefts[offset - own];
        right = left + widths[offset - own];
    } else {
        LabelPlace(e, &left, &right);
    }
    *box = RECT{left, l.top, right, l.top + e.height};
    return true;
}

int PaneByteAt(const TextPane* pane, const std::vector<PaneLine>& lines, int32_t x, int32_t y) {
    if (!pane || y < pane->top || y > pane->top + pane->height || x < pane->left ||
        x > pane->left + pane->width)
        return -1;
    // The row at y; in a gap between rows or below the last, the nearest row.
    const PaneLine* row = nullptr;
    int32_t rowDistance = 0;
    for (const PaneLine& l : lines) {
        if (!l.shown) continue;
        int32_t d = y < l.top                     ? l.top - y
                    : y >= l.top + l.line->height ? y - l.top - l.line->height + 1
                                                  : 0;
        if (!row || d < rowDistance) {
            row = &l;
            rowDistance = d;
        }
    }
    if (!row) return -1;
    int best = -1;
    int32_t bestDistance = 0;
    for (uint32_t b = row->from; b < row->to; ++b) {
        RECT box{};
        if (!PaneByteBox(pane, lines, uint16_t(b), &box)) continue;
        if (box.right <= box.left) continue;  // a point: its letter answers for it
        int32_t d = x < box.left ? box.left - x : x >= box.right ? x - box.right + 1 : 0;
        if (best < 0 || d < bestDistance) {
            best = int(b);
            bestDistance = d;
        }
    }
    return best >= 0 ? best : row->from;
}

bool ScrollPaneToByte(TextPane* pane, uint16_t offset) {
    std::vector<PaneLine> lines = PaneLines(pane);
    int at = PaneLineOf(lines, offset);
    if (at < 0 || lines[size_t(at)].shown) return false;
    uint32_t row = lines[size_t(at)].row;
    if (row > FirstRow(pane)) {
        // Below: back up row by row while the line still shows, so that it ends up last.
        TextPane trial = *pane;
        for (uint32_t r = row; r > FirstRow(pane); --r) {
            trial.firstRow = uint16_t(r - 1);
            if (!PaneLines(&trial)[size_t(at)].shown) break;
            row = r - 1;
        }
    }
    row = std::min<uint32_t>(row, pane->maxFirstRow);
    if (row == pane->firstRow) return false;
    pane->firstRow = uint16_t(row);
    return true;
}
