#pragma once
// The index view from the keyboard: a current entry, drawn as selected, that the arrows, the
// page keys, Home and End move (a wrapped entry moves as one); Right or + opens a group, Left or
// - closes it or goes from an entry to its heading; Enter chooses an article entry or opens or
// closes a heading. The view scrolls to keep the current entry shown.
#include <cstdint>

#include "index/index_view.h"
#include "platform/win32_types.h"

// The first line of the current entry, or -1 when there is none.
int IndexCurrentLine(const IndexView* view);
// The line after the entry that starts at line `first` (a wrapped entry has several lines).
int IndexEntryEnd(const IndexView* view, int first);

// Makes the entry whose record has line `line` current (nothing for a hidden line), scrolls it
// into view and repaints.
void SetIndexCurrent(IndexView* view, int line);

// Makes the article's entry current: the last one shown (the index's own rather than the
// Bookmarks section's), or the first shown line when none is; scrolled into view.
void SetIndexCurrentArticle(IndexView* view, int article);

// After a group closed under the current entry: its nearest shown heading becomes current.
void KeepIndexCurrentShown(IndexView* view);

// Handles a key: returns false when it is none of the view's keys. *article is set to the
// ArticleNumber of an article entry chosen with Enter, 0 otherwise.
bool IndexViewKey(IndexView* view, WPARAM key, int32_t* article);
