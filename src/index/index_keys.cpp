// The current entry of the index view and the keys that move it. An entry is a record: its
// lines are consecutive and shown or hidden together, so the keys step over whole records.
#include "index/index_keys.h"

#include <algorithm>

#include "index/index_outline.h"
#include "platform/user/user.h"
#include "store/records.h"

namespace {

bool HasLines(const IndexView* view) {
    return view && view->list && view->lines && view->lineCount > 0;
}

bool Shown(const IndexView* view, int i) {
    return (view->lines[i].flags & kIndexShown) != 0;
}

int RecordStart(const IndexView* view, int i) {
    while (i > 0 && ContinuesIndexRecord(view, i)) --i;
    return i;
}

// The line after the record that starts at line i.
int RecordEnd(const IndexView* view, int i) {
    ++i;
    while (view->lines[i].flags != 0 && ContinuesIndexRecord(view, i)) ++i;
    return i;
}

// The records before line i's own, counted from 0.
int RecordNumber(const IndexView* view, int i) {
    int n = 0;
    for (int k = 1; k <= i; ++k)
        if (!ContinuesIndexRecord(view, k)) ++n;
    return n;
}

int RecordLine(const IndexView* view, int number) {
    int n = 0;
    for (int k = 0; view->lines[k].flags != 0; ++k) {
        if (k > 0 && !ContinuesIndexRecord(view, k)) ++n;
        if (n == number) return k;
        if (n > number) break;
    }
    return -1;
}

// The shown lines above line i: its row.
int RowOf(const IndexView* view, int i) {
    int row = 0;
    for (int k = 0; k < i; ++k)
        if (Shown(view, k)) ++row;
    return row;
}

int Previous(const IndexView* view, int start) {
    for (int k = start - 1; k >= 0; --k)
        if (Shown(view, k)) return RecordStart(view, k);
    return -1;
}

int Next(const IndexView* view, int start) {
    for (int k = RecordEnd(view, start); view->lines[k].flags != 0; ++k)
        if (Shown(view, k)) return k;
    return -1;
}

bool IsHeading(const IndexView* view, int line) {
    return (view->lines[line].key & kGroupHeadingKey) != 0;
}

bool IsOpen(const IndexView* view, int line) {
    return (view->lines[line].flags & kIndexOpen) != 0;
}

// The heading the record at `start` belongs to: the nearest shown line above with a smaller
// right margin; -1 at the outermost level.
int Parent(const IndexView* view, int start) {
    const int32_t margin = IndexLineMargin(view, view->lines[start]);
    for (int k = start - 1; k >= 0; --k)
        if (Shown(view, k) && IndexLineMargin(view, view->lines[k]) < margin)
            return RecordStart(view, k);
    return -1;
}

// Scrolls so that every line of the record at `start` shows, and repaints.
void ScrollToRecord(IndexView* view, int start) {
    const int first = RowOf(view, start);
    const int last = RecordEnd(view, start) - 1;
    if (view->firstRow > view->maxFirstRow) view->firstRow = view->maxFirstRow;
    if (first < view->firstRow) view->firstRow = uint16_t(first);
    while (view->firstRow < view->maxFirstRow && PaintedIndexLineTop(view, last) < 0)
        ++view->firstRow;
    PaintIndex(view, true);
}

void MakeCurrent(IndexView* view, int start) {
    if (start < 0) return;
    view->current = uint16_t(RecordNumber(view, start) + 1);
    ScrollToRecord(view, start);
}

// The entry a page of rows (the rows of the last paint) below or above the one at `start`: the
// first entry that starts a page or more below, or the last that starts a page or more above;
// the last or the first entry when there is none so far.
int PageFrom(const IndexView* view, int start, int direction) {
    const int page = std::max(1, view->rowsPainted);
    const int target = RowOf(view, start) + direction * page;
    int at = start;
    for (int next; (next = direction > 0 ? Next(view, at) : Previous(view, at)) >= 0;) {
        at = next;
        if (direction > 0 ? RowOf(view, at) >= target : RowOf(view, at) <= target) break;
    }
    return at;
}

int FirstShown(const IndexView* view) {
    for (int k = 0; view->lines[k].flags != 0; ++k)
        if (Shown(view, k)) return k;
    return -1;
}

int LastShown(const IndexView* view) {
    int last = -1;
    for (int k = 0; view->lines[k].flags != 0; ++k)
        if (Shown(view, k)) last = k;
    return last < 0 ? -1 : RecordStart(view, last);
}

}  // namespace

int IndexEntryEnd(const IndexView* view, int first) {
    return HasLines(view) && first >= 0 ? RecordEnd(view, first) : first;
}

int IndexCurrentLine(const IndexView* view) {
    if (!HasLines(view) || view->current == 0) return -1;
    return RecordLine(view, view->current - 1);
}

void SetIndexCurrent(IndexView* view, int line) {
    if (!HasLines(view) || line < 0 || line >= view->lineCount || !Shown(view, line)) return;
    MakeCurrent(view, RecordStart(view, line));
}

void SetIndexCurrentArticle(IndexView* view, int article) {
    if (!HasLines(view)) return;
    // The last shown entry: the index's own rather than the Bookmarks section's when both show,
    // so that the keys start from where the article stands in the book.
    int found = -1;
    for (int k = 0; view->lines[k].flags != 0; ++k) {
        const uint16_t key = view->lines[k].key;
        if (Shown(view, k) && (key & kArticleEntryKey) && (key & kEntryNumberMask) == article)
            found = k;
    }
    MakeCurrent(view, found >= 0 ? found : FirstShown(view));
}

void KeepIndexCurrentShown(IndexView* view) {
    int line = IndexCurrentLine(view);
    if (line < 0 || Shown(view, line)) return;
    const int32_t margin = IndexLineMargin(view, view->lines[line]);
    int heading = -1;
    for (int k = line - 1; k >= 0 && heading < 0; --k)
        if (Shown(view, k) && IndexLineMargin(view, view->lines[k]) < margin)
            heading = RecordStart(view, k);
    if (heading < 0) heading = FirstShown(view);
    if (heading < 0)
        view->current = 0;
    else
        MakeCurrent(view, heading);
}

bool IndexViewKey(IndexView* view, WPARAM key, int32_t* article) {
    *article = 0;
    switch (key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_OEM_PLUS:
        case VK_ADD:
        case VK_OEM_MINUS:
        case VK_SUBTRACT:
        case VK_RETURN:
            break;
        default:
            return false;
    }
    if (!HasLines(view)) return true;
    int at = IndexCurrentLine(view);
    if (at < 0 || !Shown(view, at)) {
        // Nothing current yet: the first key makes the first entry current.
        MakeCurrent(view, FirstShown(view));
        return true;
    }
    switch (key) {
        case VK_UP:
            MakeCurrent(view, Previous(view, at));
            break;
        case VK_DOWN:
            MakeCurrent(view, Next(view, at));
            break;
        // The page keys turn the view by a page, as they always did, and take the current entry
        // along by as many rows.
        case VK_PRIOR:
        case VK_NEXT: {
            const int direction = key == VK_NEXT ? 1 : -1;
            const int along = PageFrom(view, at, direction);
            ScrollIndex(view, direction * std::max(1, view->rowsPainted), 0, true);
            MakeCurrent(view, along);
            break;
        }
        case VK_HOME:
            MakeCurrent(view, FirstShown(view));
            break;
        case VK_END:
            MakeCurrent(view, LastShown(view));
            break;
        case VK_RIGHT:
        case VK_OEM_PLUS:
        case VK_ADD:
            if (IsHeading(view, at) && !IsOpen(view, at)) {
                ToggleIndexGroup(view, at);
                ScrollToRecord(view, at);
            } else if (IsHeading(view, at)) {
                // An open heading: on to its first entry, as a desktop tree does.
                int next = Next(view, at);
                if (next >= 0 && Parent(view, next) == at) MakeCurrent(view, next);
            }
            break;
        case VK_LEFT:
        case VK_OEM_MINUS:
        case VK_SUBTRACT:
            if (IsHeading(view, at) && IsOpen(view, at)) {
                ToggleIndexGroup(view, at);
                ScrollToRecord(view, at);
            } else {
                MakeCurrent(view, Parent(view, at));
            }
            break;
        case VK_RETURN:
            if (view->lines[at].key & kArticleEntryKey) {
                *article = view->lines[at].key & kEntryNumberMask;
            } else if (IsHeading(view, at)) {
                ToggleIndexGroup(view, at);
                ScrollToRecord(view, at);
            }
            break;
    }
    return true;
}
