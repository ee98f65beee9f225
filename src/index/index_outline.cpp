// Outline operations on the index view's lines. The structure is read from right margins: the
// children of a heading are the lines after it with a larger right margin.
#include "index/index_outline.h"

#include "platform/heap.h"
#include "reader/checked_alloc.h"
#include "store/records.h"

namespace {

bool Shown(const IndexLine& line) {
    return (line.flags & kIndexShown) != 0;
}

void Show(IndexView* view, IndexLine& line) {
    line.flags |= kIndexShown;
    ++view->rowCount;
}

void Hide(IndexView* view, IndexLine& line) {
    line.flags &= ~kIndexShown;
    --view->rowCount;
}

// Shows the lines of one record from line i in direction d (+1 or -1), while they carry the
// starting line's key. A heading that was hidden is shown closed.
void ShowRecord(IndexView* view, int i, int d) {
    const uint16_t key = view->lines[i].key;
    for (; i >= 0 && i < view->lineCount && view->lines[i].flags != 0; i += d) {
        IndexLine& line = view->lines[i];
        if (line.key != key) break;
        if (Shown(line)) continue;
        Show(view, line);
        if (line.key & kGroupHeadingKey) line.flags &= ~kIndexOpen;
    }
}

// Marks the heading record whose last line is i open, on every one of its lines.
void OpenRecord(IndexView* view, int i) {
    const uint16_t key = view->lines[i].key;
    for (; i >= 0 && view->lines[i].key == key; --i) view->lines[i].flags |= kIndexOpen;
}

}  // namespace

int32_t HitTestIndex(IndexView* view, int tx, int ty) {
    if (!view || !view->list || !view->lines) return 0;
    // The marker zone right of the view belongs to it: the outermost lines have their markers
    // there, and a tap on a marker must reach its line.
    if (tx < view->left || tx > view->left + view->width + kIndentStep || ty < view->top ||
        ty > view->top + view->height)
        return 0;
    int32_t bottom = view->top;
    int32_t remaining = view->height;
    for (int i = FindIndexTopLine(view); view->lines[i].flags != 0; ++i) {
        const IndexLine& line = view->lines[i];
        if (remaining < line.height) return kTapBelowLines;
        if (!Shown(line)) continue;
        remaining -= line.height;
        bottom += line.height;
        if (ty > bottom) continue;
        const int32_t right = int32_t(line.x) + line.width;
        if (tx >= line.x && tx <= right + kIndentStep) {
            if (line.key & kArticleEntryKey) return line.key & kEntryNumberMask;
            return ToggleIndexGroup(view, i);
        }
        // Right of the marker a heading still opens and closes; an entry does nothing.
        if ((line.key & kGroupHeadingKey) && tx > right) return ToggleIndexGroup(view, i);
        return 0;
    }
    return kTapBelowLines;
}

// A heading whose text wraps has continuation lines: they carry its key and margin and follow it
// directly, with falling offsets (ContinuesIndexRecord). They are the heading, not its children:
// a toggle flips the open bit on all of them, never hides or shows them, and the child margin is
// taken from the first line after them. (Comparing only numbers would take an article entry
// with the heading's number for a continuation line, and closing the group would hide the
// heading's own lines for good.)
int32_t ToggleIndexGroup(IndexView* view, int line) {
    if (!view || !view->lines || line < 0 || line >= view->lineCount) return 0;
    int first = line;
    while (first > 0 && ContinuesIndexRecord(view, first)) --first;
    int after = first + 1;
    while (view->lines[after].flags != 0 && ContinuesIndexRecord(view, after)) ++after;

    IndexLine* lines = view->lines;
    const int32_t childMargin = IndexLineMargin(view, lines[after]);
    const bool wasOpen = (lines[first].flags & kIndexOpen) != 0;
    for (int k = first; k < after; ++k) lines[k].flags ^= kIndexOpen;
    const uint16_t rowsBefore = view->rowCount;
    for (int k = after; lines[k].flags != 0; ++k) {
        const int32_t margin = IndexLineMargin(view, lines[k]);
        if (margin < childMargin) break;
        if (wasOpen) {
            // Closing hides the whole group, at every depth.
            if (Shown(lines[k])) Hide(view, lines[k]);
        } else if (margin == childMargin && !Shown(lines[k])) {
            // Opening shows the direct children only; deeper lines stay hidden, so a heading
            // among the children is shown closed, with the plus its hidden children call for.
            Show(view, lines[k]);
            if (lines[k].key & kGroupHeadingKey) lines[k].flags &= ~kIndexOpen;
        }
    }
    if (view->rowCount != rowsBefore) ComputeIndexMaxFirstRow(view);
    PaintIndex(view, true);
    return -int32_t(lines[first].key & kEntryNumberMask);
}

void RevealArticle(IndexView* view, int article) {
    if (!view || article == 0 || !view->list || !view->lines) return;
    IndexLine* lines = view->lines;
    int found = 0;
    while (lines[found].flags != 0 && ((lines[found].key & kGroupHeadingKey) ||
                                       (lines[found].key & kEntryNumberMask) != article))
        ++found;
    if (lines[found].flags == 0 || Shown(lines[found])) return;
    ShowRecord(view, found, +1);
    int next = found;
    while (lines[next].flags != 0 && lines[next].key == lines[found].key) ++next;
    if (lines[next].flags != 0) ShowRecord(view, next, +1);
    int32_t margin = IndexLineMargin(view, lines[found]);
    for (int k = found - 1; k >= 0; --k) {
        const int32_t m = IndexLineMargin(view, lines[k]);
        if (m >= margin) continue;
        ShowRecord(view, k, -1);
        // An ancestor heading now shows a child: it is open, and its marker says so.
        if (lines[k].key & kGroupHeadingKey) OpenRecord(view, k);
        margin = m;
    }
    ComputeIndexMaxFirstRow(view);
}

// Key 0 ends a saved state, so a shown record with key 0 (a plain line, neither heading nor
// entry) is left out: saving it would cut off every pair after it.
uint16_t* SaveIndexState(const IndexView* view) {
    if (!view || !view->lines) return nullptr;
    const IndexLine* lines = view->lines;
    size_t count = 0;
    int previous = -1;
    for (int i = 0; lines[i].flags != 0; ++i) {
        if (!Shown(lines[i])) continue;
        if ((previous < 0 || lines[i].key != lines[previous].key) && lines[i].key != 0) ++count;
        previous = i;
    }
    if (count == 0) return nullptr;
    auto* state = static_cast<uint16_t*>(CheckedAlloc((count + 1) * 2 * sizeof(uint16_t)));
    if (!state) return nullptr;
    size_t at = 0;
    previous = -1;
    for (int i = 0; lines[i].flags != 0; ++i) {
        if (!Shown(lines[i])) continue;
        if ((previous < 0 || lines[i].key != lines[previous].key) && lines[i].key != 0) {
            state[at++] = lines[i].key;
            state[at++] = lines[i].flags & kIndexOpen;
        }
        previous = i;
    }
    state[at] = 0;
    return state;
}

int RestoreIndexState(IndexView* view, const uint16_t* state) {
    if (!view || !view->list || !view->lines || !state) return -1;
    IndexLine* lines = view->lines;
    int cursor = 0;
    for (const uint16_t* pair = state; pair[0] != 0; pair += 2) {
        const uint16_t key = pair[0];
        const uint8_t wanted = kIndexShown | (pair[1] & kIndexOpen);
        while (lines[cursor].flags != 0 && lines[cursor].key != key) ++cursor;
        if (lines[cursor].flags == 0) break;  // this pair and all later ones find nothing
        for (; lines[cursor].flags != 0 && lines[cursor].key == key; ++cursor) {
            IndexLine& line = lines[cursor];
            if ((line.flags & wanted) == wanted) continue;
            if (!Shown(line)) ++view->rowCount;
            line.flags |= wanted;
        }
        --cursor;  // stays on the last line of the record
    }
    ComputeIndexMaxFirstRow(view);
    return 0;
}
