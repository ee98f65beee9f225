#pragma once
// The reader's selection: a stretch of one pane's article, kept as reading offsets (what a
// screen reader counts, text/pane_reading.h) so that it stays on its text through scrolling,
// zoom and new layouts. One pane at a time holds it.
#include <cstdint>

#include "text/pane_reading.h"

struct TextPane;

// anchor where it began, active where it ends now; nothing is selected while they are equal.
struct Selection {
    int32_t anchor = 0, active = 0;
};

// The selection of the top or bottom pane, or nullptr for another pane.
const Selection* SelectionOf(const TextPane* pane);
// The selected stretch of the pane, ordered; false when nothing of it is selected.
bool SelectionRange(const TextPane* pane, ReadingRange* range);
// Selects [anchor, active) or (active, anchor] of the pane (both clamped to its article) and
// clears the other pane's selection; repaints what changed.
void SetSelection(TextPane* pane, int32_t anchor, int32_t active);
// Clears both panes' selections and repaints a pane that had one.
void ClearSelections();

// The pane's article in reading order, kept while its text stays the same.
const ArticleReading& ReadingOf(const TextPane* pane);
// The offset just past the character at `offset`: its letter's places and the points read after
// it.
int32_t CharacterEnd(const TextPane* pane, int32_t offset);
// The offset of the character at `offset`: its letter's, when it is a point read after it.
int32_t CharacterStart(const TextPane* pane, int32_t offset);
// The word around `offset` (letters with their points, digits, ' and " within words) or, on a
// space or a mark, that character alone.
ReadingRange WordAt(const TextPane* pane, int32_t offset);
// The paragraph (text record) around `offset`, without its line end.
ReadingRange ParagraphAt(const TextPane* pane, int32_t offset);

// Called after every change of the selection (the desktop's primary selection follows it).
void SetSelectionListener(void (*changed)());
// Inverts the selected characters' cells on the pane's surface; the painter calls it after
// painting the pane.
void PaintSelection(TextPane* pane);
