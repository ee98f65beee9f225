#pragma once
// Where a pane's text stands: each layout line with its row and, while it fits in the pane, its
// place on the surface; the box each stored byte is drawn in; the byte drawn at a point. What
// the painter does, answered without painting, for whoever has to point at the text (a screen
// reader's lines and character boxes, a selection by the mouse).
#include <cstdint>
#include <vector>

#include "text/text_pane.h"

struct PaneLine {
    const LineEntry* line;  // in the pane's line table
    uint32_t row;           // the row it starts, counted from the article's top
    // [from, to): its stored bytes, label included, as the painter draws them.
    uint16_t from, to;
    bool shown;   // the whole line is drawn in the pane now
    int32_t top;  // its top on the surface while shown
};

// Every text line of the pane (rules have none) in table order: an empty list without pane,
// text or line table.
std::vector<PaneLine> PaneLines(const TextPane* pane);
// The index in `lines` of the line that draws stored byte `offset`, or -1.
int PaneLineOf(const std::vector<PaneLine>& lines, uint16_t offset);
// The cell stored byte `offset` is drawn in on its line, in surface pixels: a vowel point has
// the cell of the letter it is drawn on, a label byte the label's whole place. A byte out of
// view has the cell it would have above or below the pane. False when no line draws the byte.
bool PaneByteBox(const TextPane* pane, const std::vector<PaneLine>& lines, uint16_t offset,
                 RECT* box);
// The stored byte drawn at x, y on the surface: the nearest one on the row at y, or on the
// nearest row when y is between rows or below them; -1 when the point is outside the pane
// (its right and bottom edges count as inside) or nothing is shown.
int PaneByteAt(const TextPane* pane, const std::vector<PaneLine>& lines, int32_t x, int32_t y);
// Scrolls so that the line drawing byte `offset` shows: not at all when it shows already, to
// make it the first line when it is above, and the last when it is below (no further than
// maxFirstRow). True when firstRow changed; nothing is painted.
bool ScrollPaneToByte(TextPane* pane, uint16_t offset);
