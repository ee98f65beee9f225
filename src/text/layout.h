#pragma once
// Article layout: a RecordList broken into the LineEntries of a TextPane.
#include <cstdint>

#include "text/text_pane.h"

// LayoutText results, as unsigned 16-bit codes.
constexpr uint16_t kLayoutDone = 0;
constexpr uint16_t kLayoutNoList = 2;
constexpr uint16_t kLayoutBadList = 0xFFFC;   // -4
constexpr uint16_t kLayoutNoMemory = 0xFFFE;  // -2
constexpr uint16_t kLayoutNoPane = 0xFFFF;    // -1

constexpr int kResizeEmpty = -5;

// The line table grows by this many entries at a time.
constexpr uint16_t kLineTableGrowth = 128;

// A new pane for the surface, with the rectangle (left, top, right, bottom) when given, a copy of
// the FontRecord and a line table of `capacity` entries (none for 0). nullptr without surface or
// memory.
TextPane* CreateTextPane(HDC surface, const RECT* rect, const FontRecord* font, uint16_t capacity);

// Lays `list` out into the pane's line table; the pane takes the list over as its text (also
// after running out of memory part way, when it keeps the lines made so far). With
// releasePrevious the text shown before is freed first. Clears the highlight and rowCount; the
// scroll position is left alone. Returns 0, kLayoutNoList, kLayoutBadList (the list is then not
// taken), kLayoutNoMemory or kLayoutNoPane.
uint16_t LayoutText(TextPane* pane, uint8_t* list, bool releasePrevious);

// Whether LayoutText takes the article list: false (kLayoutBadList) when the list ends at once
// or its first record is a text record with no text.
bool IsLayoutableArticle(const uint8_t* list);

// Sets the pane's text area size and lays the text out again; -1 without pane, kResizeEmpty for
// a width or height of 0 or less (nothing changes), else the LayoutText code.
int ResizePane(TextPane* pane, int width, int height);

// Sets maxFirstRow: the largest firstRow at which the last line is still fully visible.
void ComputeMaxFirstRow(TextPane* pane);

// Frees the scratch buffer that holds reversed copies of right-to-left records between layouts.
void ReleaseLayoutScratch();
