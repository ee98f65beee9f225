#include "text/layout.h"

#include <algorithm>
#include <cstring>

#include "platform/heap.h"
#include "store/records.h"
#include "text/convert.h"
#include "text/style_font.h"

namespace {

// Right-to-left records are broken in reading order, on a reversed copy of their stored text.
// The copy's buffer is kept and grown, so that a layout allocates only for a record longer than
// any before it.
struct ReverseScratch {
    uint8_t* bytes = nullptr;
    size_t size = 0;
};
ReverseScratch scratch;

const uint8_t* ReversedCopy(const uint8_t* text, size_t n) {
    if (scratch.size < n + 1) {
        size_t size = std::max<size_t>(n + 1, 256);
        auto* bytes = static_cast<uint8_t*>(HeapAllocBlock(size));
        if (!bytes) return nullptr;
        HeapFreeBlock(scratch.bytes);
        scratch.bytes = bytes;
        scratch.size = size;
    }
    for (size_t i = 0; i < n; ++i) scratch.bytes[i] = text[n - 1 - i];
    scratch.bytes[n] = 0;
    return scratch.bytes;
}

void ReleaseText(TextPane* pane) {
    HeapFreeBlock(pane->text);
    pane->text = nullptr;
}

// Makes sure entry i is usable, growing the table by kLineTableGrowth entries when it is full.
// On failure entry i of the old table (there is always one more than the capacity) is zeroed, so
// the table stays terminated.
bool MakeRoom(TextPane* pane, uint16_t i) {
    if (i < pane->capacity) return true;
    uint32_t capacity = uint32_t(pane->capacity) + kLineTableGrowth;
    LineEntry* grown = nullptr;
    if (capacity < 0xFFFF) {
        grown = static_cast<LineEntry*>(HeapAllocBlock((capacity + 1) * sizeof(LineEntry)));
    }
    if (!grown) {
        pane->lines[i] = LineEntry{};
        return false;
    }
    std::memcpy(grown, pane->lines, pane->capacity * sizeof(LineEntry));
    HeapFreeBlock(pane->lines);
    pane->lines = grown;
    pane->capacity = uint16_t(capacity);
    return true;
}

void MeasureLine(TextPane* pane, uint8_t style, const uint8_t* text, int32_t* width,
                 int32_t* count) {
    if (style & kRightToLeft)
        MeasureFitByTable(pane->widths, text, width, count);
    else
        MeasureFit(pane->surface, text, width, count);
}

bool OnlySpaces(const uint8_t* text, size_t from, size_t end) {
    for (size_t i = from; i < end; ++i) {
        if (text[i] != ' ') return false;
    }
    return true;
}

// The running state of one layout.
struct Layout {
    TextPane* pane;
    const uint8_t* list;
    TEXTMETRIC metrics{};
    uint8_t style = 1;   // StyleFlags of the font selected now
    int32_t indent = 0;  // running indent in pixels
    int32_t label = 0;   // label column width, on a labelled record's first line only
    uint16_t line = 0;   // next line entry
    uint32_t gaps = 0;   // paragraph gaps after records' last lines
    int32_t left = 0;    // the text column: the pane, or its middle on a wide pane
    int32_t width = 0;
};

// How many characters of the article's body text a line holds at most: beyond about 80, the eye
// loses its way back to the next line's start.
constexpr int32_t kMeasureCharacters = 75;
// An article with less body text than this is measured by the average letter instead.
constexpr int32_t kMeasureSample = 200;

// The widest text column that keeps lines readable: kMeasureCharacters characters of the
// article's body text at their average width, each record in its own style's font, so that an
// article of narrow letters gets as many characters a line as one of wide letters. 0 when there
// are no widths. Leaves style 1's font selected.
int32_t ReadableMeasure(TextPane* p, const uint8_t* list) {
    int64_t width = 0, characters = 0;
    uint8_t selected = 0;
    for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        const uint8_t style = ArticleRecordStyle(r);
        // Body text only: headings and notes in larger or smaller letters follow its column.
        if (IsSeparatorStyle(style) || (style & (kSmallerFont | kLargerFont))) continue;
        if ((style ^ selected) & kFontKeyMask || !selected) {
            SelectStyleFont(p, style);
            selected = style;
        }
        if (!p->widths) continue;
        const uint8_t* text = ArticleRecordText(r);
        const int32_t n = int32_t(ArticleRecordTextLength(r));
        int32_t w = 0x7FFFFFFF, count = n;
        MeasureFitByTable(p->widths, text, &w, &count);
        width += w;
        for (int32_t i = 0; i < n; ++i) characters += !IsPointByte(text[i]);
    }
    SelectStyleFont(p, 1);
    if (!p->widths) return 0;
    if (characters < kMeasureSample) {
        // The 27 letters of the book's encoding, alef to tav, one space to five letters.
        uint8_t letters[28];
        for (int i = 0; i < 27; ++i) letters[i] = uint8_t(0x61 + i);
        letters[27] = 0;
        int32_t lettersWidth = 0x7FFF, count = 27, spaceWidth = 0x7FFF, one = 1;
        MeasureFitByTable(p->widths, letters, &lettersWidth, &count);
        MeasureFitByTable(p->widths, reinterpret_cast<const uint8_t*>(" "), &spaceWidth, &one);
        width = 5 * lettersWidth + 27 * spaceWidth;
        characters = 27 * 6;
    }
    if (width <= 0) return 0;
    return int32_t(std::min<int64_t>(kMeasureCharacters * width / characters, 0x7FFF));
}

uint16_t AlignedX(const Layout& l, uint8_t style, int32_t s, int32_t w) {
    int32_t x;
    switch (style & kAlignMask) {
        case kAlignRight:
            x = l.left + l.width - s - w;
            break;
        case kAlignCentre:
            x = l.left + l.indent + (l.width - s - w) / 2;
            break;
        default:
            x = l.left + s;
            break;
    }
    return uint16_t(std::clamp(x, 0, 0xFFFF));
}

bool LayOutSeparator(Layout& l, const uint8_t* record) {
    TextPane* p = l.pane;
    const uint8_t style = record[0], a = record[1];
    if (a == 0) return true;
    if (!MakeRoom(p, l.line)) return false;
    int32_t length = a <= 160 ? a : ((a - 160) * 2 * l.width) / 100;
    length = std::clamp(length, 0, std::max(l.width, 0));
    LineEntry& e = p->lines[l.line];
    e = LineEntry{};
    e.offset = uint16_t(record + 2 - l.list);
    e.width = uint16_t(length);
    e.height = uint16_t(l.metrics.tmHeight);
    e.style = style;
    int32_t x = l.left;
    if ((style & kAlignMask) == kAlignRight)
        x = l.left + l.width - length;
    else if ((style & kAlignMask) == kAlignCentre)
        x = l.left + (l.width - length) / 2;
    e.x = uint16_t(std::clamp(x, 0, 0xFFFF));
    ++l.line;
    if (style & kParagraphEnd) ++l.gaps;
    return true;
}

// Breaks one text record into lines. Returns false when memory runs out.
bool LayOutTextRecord(Layout& l, const uint8_t* record, int k) {
    TextPane* p = l.pane;
    const uint8_t style = record[0];
    const uint8_t* stored = record + 2;
    if ((style ^ l.style) & kFontKeyMask) {
        SelectStyleFont(p, style);
        GetTextMetrics(p->surface, &l.metrics);
    }
    l.style = style;
    const size_t n = std::strlen(reinterpret_cast<const char*>(stored));
    const uint16_t position = uint16_t(stored - l.list);
    // A label belongs to its own record's first line only, even when that record makes no line.
    l.label = 0;
    if (k != 0) {
        l.indent &= 0x3F;
        l.label = l.metrics.tmMaxCharWidth * (k + 1) / 2;
    }
    const uint8_t* text = stored;
    if (style & kRightToLeft) {
        text = ReversedCopy(stored, n);
        if (!text) {
            p->lines[l.line] = LineEntry{};
            return false;
        }
    }
    if (l.indent >= l.width || l.indent < 0) l.indent = 0;

    size_t pos = 0;
    for (;;) {
        while (pos < n && text[pos] == ' ') ++pos;
        if (pos >= n) break;
        if (!MakeRoom(p, l.line)) return false;
        int32_t avail = l.width - l.indent;
        size_t labelBytes = 0;
        if (l.label != 0) {
            size_t q = pos;
            while (q < n && text[q] != ' ') ++q;
            while (q < n && text[q] == ' ') ++q;
            labelBytes = q - pos;
            avail = std::max(0, avail - l.label);
        }
        const size_t start = pos + labelBytes;
        const int32_t count = int32_t(n - start);
        int32_t width = avail, fit = count;
        MeasureLine(p, style, text + start, &width, &fit);
        int32_t take = fit;
        if (fit < count && text[start + fit] != ' ') {
            for (int32_t j = fit - 1; j >= 1; --j) {
                uint8_t c = text[start + j];
                if (c != ' ' && c != '-') continue;
                take = c == ' ' ? j : j + 1;
                int32_t again = width;
                MeasureLine(p, style, text + start, &again, &take);
                width = again;
                break;
            }
        }
        if (take == 0 && labelBytes == 0) {
            // Not even one character fits: the line takes the first one with its vowel points
            // anyway, so that the layout moves on.
            take = 1;
            while (take < count && IsPointByte(text[start + take])) ++take;
            width = 0x7FFF;
            int32_t taken = take;
            MeasureLine(p, style, text + start, &width, &taken);
        }
        LineEntry& e = p->lines[l.line];
        e = LineEntry{};
        if (style & kRightToLeft)
            e.offset = uint16_t(position + n - start - take);
        else
            e.offset = uint16_t(position + pos);
        e.count = uint16_t(take);
        e.labelWidth = uint16_t(l.label);
        e.width = uint16_t(std::max(width, 0));
        e.height = uint16_t(l.metrics.tmHeight);
        const int32_t s = l.indent + l.label;
        e.x = AlignedX(l, style, s, width);
        l.indent = s;
        l.label = 0;
        pos = start + take;
        // Spaces left at the end of the record belong to no line, so this is its last line.
        if (OnlySpaces(text, pos, n)) {
            e.style = style;
            if (style & kParagraphEnd) ++l.gaps;
            pos = n;
        } else {
            e.style = style & 0x7F;
        }
        ++l.line;
    }
    return true;
}

}  // namespace

TextPane* CreateTextPane(HDC surface, const RECT* rect, const FontRecord* font, uint16_t capacity) {
    if (!surface) return nullptr;
    auto* pane = static_cast<TextPane*>(HeapAllocBlock(sizeof(TextPane)));
    if (!pane) return nullptr;
    std::memset(pane, 0, sizeof *pane);
    pane->surface = surface;
    if (font) pane->fontRecord = *font;
    if (rect) {
        pane->left = rect->left;
        pane->top = rect->top;
        pane->width = rect->right - rect->left;
        pane->height = rect->bottom - rect->top;
    }
    if (capacity != 0) {
        pane->lines =
            static_cast<LineEntry*>(HeapAllocBlock((size_t(capacity) + 1) * sizeof(LineEntry)));
        if (pane->lines) {
            pane->lines[0] = LineEntry{};
            pane->capacity = capacity;
        }
    }
    return pane;
}

bool IsLayoutableArticle(const uint8_t* list) {
    return list[0] != 0 && (IsSeparatorStyle(list[0]) || list[2] != 0);
}

uint16_t LayoutText(TextPane* pane, uint8_t* list, bool releasePrevious) {
    if (!pane) return kLayoutNoPane;
    pane->rowCount = 0;
    pane->maxFirstRow = 0;
    pane->markStart = 0;
    pane->markEnd = 0;
    if (!list) {
        if (releasePrevious) ReleaseText(pane);
        return kLayoutNoList;
    }
    if (!IsLayoutableArticle(list)) return kLayoutBadList;
    // Laying the shown list out again with release must not free it.
    if (releasePrevious && pane->text != list) ReleaseText(pane);
    if (!pane->lines || pane->capacity == 0) {
        HeapFreeBlock(pane->lines);
        pane->capacity = 0;
        pane->lineCount = 0;
        pane->lines = static_cast<LineEntry*>(
            HeapAllocBlock((size_t(kLineTableGrowth) + 1) * sizeof(LineEntry)));
        // The pane keeps the list it was given, so that it is not lost, but has no lines.
        pane->text = list;
        if (!pane->lines) return kLayoutNoMemory;
        pane->lines[0] = LineEntry{};
        pane->capacity = kLineTableGrowth;
    }

    Layout l;
    l.pane = pane;
    l.list = list;
    HGDIOBJ before = SelectStyleFont(pane, 1);
    // A wide pane keeps a margin on both sides; painting follows, since it draws each line where
    // its entry says.
    l.left = pane->left;
    l.width = pane->width;
    const int32_t measure = ReadableMeasure(pane, list);
    GetTextMetrics(pane->surface, &l.metrics);
    if (measure > 0 && pane->width > measure) {
        l.left = pane->left + (pane->width - measure) / 2;
        l.width = measure;
    }
    bool complete = true;
    const uint8_t* previous = nullptr;
    for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        // Offsets are 16-bit: a record that does not end within them cannot be shown.
        if (size_t(r - list) + 2 + ArticleRecordTextLength(r) > 0xFFFF) break;
        const uint8_t a = ArticleRecordIndent(r);
        int k = a >> 6;
        if (k != 0 && r[2] == ' ' && l.line > 0) {
            // Continues the paragraph before: its indent shifts, and it has no label.
            l.indent += (a & 0x3F) - (ArticleRecordIndent(previous) & 0x3F);
            k = 0;
        } else {
            l.indent = a;
        }
        previous = r;
        bool ok = IsSeparatorStyle(r[0]) ? LayOutSeparator(l, r) : LayOutTextRecord(l, r, k);
        if (!ok) {
            complete = false;
            break;
        }
    }

    // Out of memory or not, the table ends at a zero entry and the counts describe it.
    pane->lines[l.line] = LineEntry{};
    pane->lineCount = l.line;
    uint32_t rows = l.gaps + l.line;
    if (l.line > 0 && (pane->lines[l.line - 1].style & kParagraphEnd)) {
        pane->lines[l.line - 1].style &= ~kParagraphEnd;
        --rows;
    }
    pane->rowCount = uint16_t(std::min<uint32_t>(rows, 0xFFFF));
    pane->text = list;
    ComputeMaxFirstRow(pane);
    SelectObject(pane->surface, before);
    return complete ? kLayoutDone : kLayoutNoMemory;
}

void ComputeMaxFirstRow(TextPane* pane) {
    if (!pane || !pane->lines || pane->rowCount == 0 || pane->lineCount == 0) return;
    int32_t left = pane->height;
    int32_t fitting = 0;
    for (int32_t i = pane->lineCount - 1; i >= 0; --i) {
        const LineEntry& e = pane->lines[i];
        if (e.height > left) break;
        left -= e.height;
        ++fitting;
        if (e.style & kParagraphEnd) {
            left -= e.height;
            ++fitting;
        }
    }
    if (left < 0) --fitting;
    // A pane lower than the last line still scrolls to that line, shown clipped.
    if (fitting <= 0) fitting = (pane->lines[pane->lineCount - 1].style & kParagraphEnd) ? 2 : 1;
    fitting = std::clamp<int32_t>(fitting, 0, pane->rowCount);
    pane->maxFirstRow = uint16_t(pane->rowCount - fitting);
}

int ResizePane(TextPane* pane, int width, int height) {
    if (!pane) return -1;
    if (width <= 0 || height <= 0) return kResizeEmpty;
    pane->width = width;
    pane->height = height;
    return LayoutText(pane, pane->text, false);
}

void ReleaseLayoutScratch() {
    HeapFreeBlock(scratch.bytes);
    scratch = ReverseScratch{};
}
