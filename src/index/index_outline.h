#pragma once
// The index view as an outline the user works with: a tap chooses an article entry or opens or
// closes a group heading; the entry of an article can be revealed with all its ancestors; and the
// open and shown state can be saved before a relayout and restored after it. These work on the
// view's line table only, never on the RecordList.
#include <cstdint>

#include "index/index_view.h"

// HitTestIndex's result for a tap below the last line that fits.
constexpr int32_t kTapBelowLines = INT32_MIN;

// A tap at surface pixels tx, ty: the ArticleNumber of a tapped article entry (> 0); minus the
// number of a group heading that was opened or closed; kTapBelowLines below the last line that
// fits; 0 for anything else (outside the view, left of an entry's text, no view).
int32_t HitTestIndex(IndexView* view, int tx, int ty);

// Opens or closes the group whose heading has line `line` (any of the heading's own lines) and
// repaints. Returns minus the heading's number (key & 0x3FFF); 0 without view or lines.
int32_t ToggleIndexGroup(IndexView* view, int line);

// Shows the first entry of the article (not a group heading) with the record after it and every
// ancestor heading (those that were hidden are shown closed). firstRow does not change.
void RevealArticle(IndexView* view, int article);

// The shown records' (key, open bit) pairs in order, ended by a single 0, in a new block the
// caller releases with HeapFreeBlock; nullptr when nothing is shown or memory ran out.
uint16_t* SaveIndexState(const IndexView* view);

// Shows every line of each saved record and sets its open bit when it was saved open (it never
// hides or closes). 0, or -1 without view, list, lines or state.
int RestoreIndexState(IndexView* view, const uint16_t* state);
