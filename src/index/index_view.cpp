// The index view's life, its style fonts and its layout: a RecordList in the index layout broken
// into IndexLines, every record right to left and right-aligned.
#include "index/index_view.h"

#include <algorithm>
#include <cstring>

#include "platform/heap.h"
#include "reader/checked_alloc.h"
#include "store/records.h"
#include "text/convert.h"
#include "text/style_font.h"

namespace {

void CreateIndexFont(const FontRecord& record, IndexStyleFont* entry) {
    LOGFONT lf{};
    std::memcpy(lf.lfFaceName, record.FaceName, sizeof lf.lfFaceName);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    const int32_t size = record.FontSize;
    int32_t height = size;
    if (entry->key & kLargerFont)
        height = size ? size * 5 / 4 : 20;
    else if (entry->key & kSmallerFont)
        height = size ? size * 6 / 8 : 14;
    lf.lfHeight = height;
    lf.lfWeight = (entry->key & kBoldFont) ? 700 : 400;
    entry->font = CreateFontIndirect(&lf);
}

int32_t TextHeight(HDC surface) {
    TEXTMETRIC tm{};
    GetTextMetrics(surface, &tm);
    return tm.tmHeight;
}

// Makes line i usable, growing the table by kIndexTableGrowth entries when it is full. On failure
// entry i (the old table always has one more entry than its capacity) ends the table.
bool MakeRoom(IndexView* view, uint16_t i) {
    if (i < view->capacity) return true;
    const uint32_t capacity = uint32_t(view->capacity) + kIndexTableGrowth;
    IndexLine* grown = nullptr;
    // Line numbers are 16-bit: a table that would need more lines than that is full.
    if (capacity < 0xFFFF)
        grown = static_cast<IndexLine*>(CheckedAlloc((capacity + 1) * sizeof(IndexLine)));
    if (!grown) {
        view->lines[i] = IndexLine{};
        return false;
    }
    std::memcpy(grown, view->lines, view->capacity * sizeof(IndexLine));
    HeapFreeBlock(view->lines);
    view->lines = grown;
    view->capacity = uint16_t(capacity);
    return true;
}

// The running state of one layout.
struct Layout {
    IndexView* view;
    uint8_t style = 1;       // StyleFlags of the font selected now
    int32_t lineHeight = 0;  // its text height
    uint16_t line = 0;       // next line entry
};

// Breaks one record into lines, cut from a reversed copy of its stored text so that the first
// line holds the end of the stored text (the start in reading order). False when memory runs out.
bool LayOutRecord(Layout& l, const uint8_t* record) {
    IndexView* view = l.view;
    const uint8_t flags = RecordStyle(record, RecordLayout::Index);
    const uint16_t key = IndexRecordKey(record);
    const uint8_t* stored = RecordText(record, RecordLayout::Index);
    const size_t n = RecordTextLength(record, RecordLayout::Index);
    const size_t position = size_t(stored - view->list);
    int32_t indent = RecordIndent(record, RecordLayout::Index) * kIndentStep;
    if ((flags ^ l.style) & kIndexFontKeyMask) {
        SelectIndexFont(view, flags);
        l.lineHeight = TextHeight(view->surface);
    }
    l.style = flags;
    if (indent >= view->width) indent = 0;

    auto* copy = static_cast<uint8_t*>(CheckedAlloc(n + 1));
    if (!copy) {
        view->lines[l.line] = IndexLine{};
        return false;
    }
    for (size_t k = 0; k < n; ++k) copy[k] = stored[n - 1 - k];
    copy[n] = 0;

    const int32_t avail = view->width - indent;
    size_t p = 0;
    bool ok = true;
    for (;;) {
        while (p < n && copy[p] == ' ') ++p;
        if (p >= n) break;
        if (!MakeRoom(view, l.line)) {
            ok = false;
            break;
        }
        const int32_t remaining = int32_t(n - p);
        int32_t w = std::max(avail, 0), f = remaining;
        if (avail > 0)
            MeasureFit(view->surface, copy + p, &w, &f);
        else
            f = 0;
        if (f > 0 && copy[p + f] != 0 && copy[p + f] != ' ') {
            // The fit ends inside a word: end the line at the last space before it, or cut the
            // word where the fit ends when it has none.
            for (int32_t j = f - 1; j >= 1; --j) {
                if (copy[p + j] != ' ') continue;
                f = j;
                w = avail;
                MeasureFit(view->surface, copy + p, &w, &f);
                break;
            }
        }
        if (f == 0) {
            // Not even one character fits: the line takes the first one with its vowel points
            // anyway, so that the layout moves on. Its rectangle is cut to the room there is, so
            // that its right margin is still the record's indent and the outline keeps its shape.
            f = 1;
            while (f < remaining && IsPointByte(copy[p + f])) ++f;
            w = 0x7FFF;
            MeasureFit(view->surface, copy + p, &w, &f);
            w = std::min(w, std::max(avail, 0));
        }
        IndexLine& line = view->lines[l.line];
        line.offset = uint16_t(position + n - p - size_t(f));
        line.count = uint16_t(f);
        line.width = uint16_t(w);
        line.height = uint16_t(std::clamp(l.lineHeight, 0, 0xFFFF));
        line.key = key;
        line.flags = flags;
        line.x = uint16_t(std::clamp(view->left + view->width - indent - w, 0, 0xFFFF));
        if (flags & kIndexShown) ++view->rowCount;
        p += size_t(f);
        ++l.line;
    }
    HeapFreeBlock(copy);
    return ok;
}

}  // namespace

IndexView* CreateIndexView(HDC surface, const RECT* rect, const FontRecord* font,
                           uint16_t capacity) {
    if (!surface) return nullptr;
    auto* view = static_cast<IndexView*>(CheckedAlloc(sizeof(IndexView)));
    if (!view) return nullptr;
    std::memset(view, 0, sizeof *view);
    view->surface = surface;
    if (font) view->fontRecord = *font;
    if (rect) {
        view->left = rect->left;
        view->top = rect->top;
        view->width = rect->right - rect->left;
        view->height = rect->bottom - rect->top;
    }
    if (capacity != 0) {
        view->lines =
            static_cast<IndexLine*>(CheckedAlloc((size_t(capacity) + 1) * sizeof(IndexLine)));
        if (view->lines) {
            view->lines[0] = IndexLine{};
            view->capacity = capacity;
        }
    }
    return view;
}

uint16_t LayoutIndex(IndexView* view, uint8_t* list, bool replace) {
    if (!view) return kIndexNoView;
    view->rowCount = 0;
    view->maxFirstRow = 0;
    if (!list) {
        if (replace) {
            HeapFreeBlock(view->list);
            view->list = nullptr;
        }
        return kIndexNoList;
    }
    if (IsListEnd(list, RecordLayout::Index) || RecordTextLength(list, RecordLayout::Index) == 0)
        return kIndexBadList;
    // Laying the shown list out again must not release it.
    if (replace && view->list != list) HeapFreeBlock(view->list);
    view->list = list;
    if (!view->lines || view->capacity == 0) {
        HeapFreeBlock(view->lines);
        view->capacity = 0;
        view->lineCount = 0;
        view->lines = static_cast<IndexLine*>(
            CheckedAlloc((size_t(kIndexTableGrowth) + 1) * sizeof(IndexLine)));
        // The view keeps the list, so that it is not lost, but has no lines to show.
        if (!view->lines) return kIndexNoMemory;
        view->lines[0] = IndexLine{};
        view->capacity = kIndexTableGrowth;
    }

    Layout l;
    l.view = view;
    HGDIOBJ before = SelectIndexFont(view, 1);
    l.lineHeight = TextHeight(view->surface);
    bool complete = true;
    for (const uint8_t* r = list; !IsListEnd(r, RecordLayout::Index);
         r = NextRecord(r, RecordLayout::Index)) {
        // Offsets are 16-bit: a record that does not end within them cannot be shown.
        if (size_t(r - list) + 4 + RecordTextLength(r, RecordLayout::Index) > 0xFFFF) break;
        if (!LayOutRecord(l, r)) {
            complete = false;
            break;
        }
    }
    view->lines[l.line] = IndexLine{};
    view->lineCount = l.line;
    ComputeIndexMaxFirstRow(view);
    SelectObject(view->surface, before);
    return complete ? kIndexLaidOut : kIndexNoMemory;
}

uint16_t ResizeIndexView(IndexView* view, int width, int height) {
    if (!view) return kIndexNoView;
    view->width = width;
    view->height = height;
    return LayoutIndex(view, view->list, false);
}

void DestroyIndexView(IndexView* view, bool releaseSelf) {
    if (!view) return;
    HeapFreeBlock(view->list);
    view->list = nullptr;
    HeapFreeBlock(view->lines);
    view->lines = nullptr;
    view->capacity = view->lineCount = view->rowCount = view->maxFirstRow = 0;
    // A font still selected in a surface that lives on must not be deleted under it.
    HGDIOBJ current = CurrentFont(view->surface);
    for (IndexStyleFont* entry = view->styleFonts; entry;) {
        IndexStyleFont* next = entry->next;
        if (entry->font) {
            if (entry->font == current) SelectObject(view->surface, GetStockObject(SYSTEM_FONT));
            DeleteObject(entry->font);
        }
        HeapFreeBlock(entry);
        entry = next;
    }
    view->styleFonts = nullptr;
    if (releaseSelf) HeapFreeBlock(view);
}

HFONT SelectIndexFont(IndexView* view, uint16_t request) {
    if (!view) return nullptr;
    const uint8_t key = request & kIndexFontKeyMask;
    IndexStyleFont* entry = view->styleFonts;
    while (entry && entry->key != key) entry = entry->next;
    if (!entry) {
        entry = static_cast<IndexStyleFont*>(CheckedAlloc(sizeof(IndexStyleFont)));
        if (entry) {
            std::memset(entry, 0, sizeof *entry);
            entry->key = key;
            entry->next = view->styleFonts;
            view->styleFonts = entry;
        }
    }
    // An entry whose font could not be made gets another try in place: a new entry in front of
    // it would add one at every selection for as long as font creation keeps failing.
    if (entry && !entry->font) CreateIndexFont(view->fontRecord, entry);
    if (request & kIndexColourRequest)
        SetTextColor(view->surface, (key & kHeadingKey) == kHeadingKey ? kHeadingColour : kTextColour);
    if (!entry || !entry->font) {
        // No entry could be had (the program has already been asked to quit), or no font made:
        // draw on with the first style font there is, else with what the surface has.
        entry = view->styleFonts;
        while (entry && !entry->font) entry = entry->next;
        if (!entry) return static_cast<HFONT>(CurrentFont(view->surface));
    }
    HGDIOBJ before = SelectObject(view->surface, entry->font);
    return static_cast<HFONT>(before ? before : GetStockObject(SYSTEM_FONT));
}

void ComputeIndexMaxFirstRow(IndexView* view) {
    if (!view || !view->lines || view->rowCount == 0 || view->lineCount == 0) return;
    int32_t remaining = int16_t(view->height);
    int32_t fitting = 0;
    for (int32_t i = view->lineCount - 1; i >= 0; --i) {
        const IndexLine& line = view->lines[i];
        if (line.height > remaining) break;
        if (line.flags & kIndexShown) {
            remaining -= line.height;
            ++fitting;
        }
    }
    if (remaining < 0) --fitting;
    // A view of no height fits no line; maxFirstRow never passes rowCount.
    fitting = std::clamp<int32_t>(fitting, 0, view->rowCount);
    view->maxFirstRow = uint16_t(view->rowCount - fitting);
}

int32_t IndexLineMargin(const IndexView* view, const IndexLine& line) {
    return view->left + view->width - (int32_t(line.x) + line.width);
}

bool ContinuesIndexRecord(const IndexView* view, int i) {
    if (!view || !view->lines || i <= 0) return false;
    const IndexLine& line = view->lines[i];
    const IndexLine& before = view->lines[i - 1];
    // A record's lines show its stored text from the end backwards, and every record's text
    // lies after the text of the records before it: within a record the offsets fall.
    return line.flags != 0 && line.key == before.key && line.offset < before.offset;
}
