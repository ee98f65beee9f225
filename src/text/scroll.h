#pragma once
// Scrolling a TextPane by rows and to a byte offset of its text.
#include <cstdint>

#include "text/text_pane.h"

constexpr int kScrollUnchanged = 1;
constexpr int kScrollMoved = 3;

// Moves firstRow by delta rows. Below 0 stops at 0. With limit, a forward step from maxFirstRow
// or beyond does nothing; without it any row up to rowCount is taken. Past rowCount the position
// becomes maxFirstRow. Returns -1 without pane; kScrollUnchanged when nothing changed (nothing is
// painted then); with repaint the result of PaintPane (erasing); else kScrollMoved.
int ScrollPane(TextPane* pane, int delta, bool repaint, bool limit);

// Moves firstRow by delta rows as ScrollPane does with limit, painting nothing. A step of one
// row between the blank gap after a paragraph and the line of text below it (Down from the
// gap, Up from the line) goes on a row in the same direction: by itself it would leave the same
// line first in the pane, where a screen reader's caret stands, so the key would read nothing
// new. A gap next to a rule is stepped as any row. Returns as ScrollPane.
int ScrollPaneByRowOrLine(TextPane* pane, int delta);

// Scrolls to the first line whose bytes [offset, offset + count] (end inclusive) hold `offset`,
// no further than maxFirstRow, and returns 1; returns 0 and changes nothing when no line does.
int ScrollToOffset(TextPane* pane, uint16_t offset);
// Scrolls to the first line of the paragraph whose text (label included) holds `offset`, no
// further than maxFirstRow, and returns 1; returns 0 and changes nothing when no paragraph does
// or it has no line. The bytes of a label lie outside every line's range.
int ScrollToParagraph(TextPane* pane, uint16_t offset);
