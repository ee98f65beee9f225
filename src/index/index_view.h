#pragma once
// IndexView: the table of contents (a RecordList in the index layout) as a collapsible outline
// drawn straight onto a window's drawing surface. Every entry is laid out right to left and
// right-aligned, indented from the right edge in steps of 13 pixels; a line is shown or hidden by
// bit 0x80 of its flags and a group heading is open with bit 0x40.
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "text/font_record.h"

// IndexLine flags: the record's StyleFlags, later changed by the view.
constexpr uint8_t kIndexShown = 0x80;
constexpr uint8_t kIndexOpen = 0x40;
constexpr uint8_t kIndexFontKeyMask = 0x1F;

// SelectIndexFont request bit that never occurs in stored data: set the text colour too.
constexpr uint16_t kIndexColourRequest = 0x100;

constexpr int32_t kIndentStep = 13;          // pixels per indent level
constexpr int32_t kMarkerSize = 9;           // the outline markers are 9 x 9
constexpr int32_t kMarkerGap = 4;            // between a line's text and its marker
constexpr uint16_t kIndexTableGrowth = 128;  // the line table grows by this many entries

// LayoutIndex and ResizeIndexView results, as unsigned 16-bit codes.
constexpr uint16_t kIndexLaidOut = 0;
constexpr uint16_t kIndexNoList = 2;
constexpr uint16_t kIndexBadList = 0xFFFC;   // -4
constexpr uint16_t kIndexNoMemory = 0xFFFE;  // -2
constexpr uint16_t kIndexNoView = 0xFFFF;    // -1

// One display line. An entry with flags 0 ends the table. All lines of one record are
// consecutive, carry the record's key and right margin, and show stretches of its stored text
// from the end backwards: the first line of a record has the highest offset.
struct IndexLine {
    uint16_t offset;  // of the first stored byte the line shows, from the start of the list
    uint16_t count;   // stored bytes the line shows
    uint16_t x;       // pixel x of the text's left edge
    uint16_t width;   // pixel width of the text
    uint16_t height;  // text height of the line's style font
    uint16_t key;     // the record's EntryKey
    uint8_t flags;    // StyleFlags; 0x80 shown, 0x40 open
};
static_assert(sizeof(IndexLine) == 14, "an IndexLine is 14 bytes");

// One entry of a view's style font cache; new entries go to the head.
struct IndexStyleFont {
    IndexStyleFont* next;
    HFONT font;   // none after a release
    uint8_t key;  // StyleFlags & 0x1F
};

struct IndexView {
    IndexLine* lines;  // capacity + 1 entries, so that a terminator always fits
    HDC surface;       // the dialog's device context; all measuring and drawing uses it
    uint8_t* list;     // the RecordList shown; the view owns it
    int32_t rowsPainted;
    FontRecord fontRecord;
    IndexStyleFont* styleFonts;
    int32_t left, top;
    int32_t width, height;
    uint16_t firstRow;  // shown lines above the top of the view
    uint16_t rowCount;  // shown lines
    uint16_t lineCount;
    uint16_t capacity;
    uint16_t maxFirstRow;
    // The current entry, drawn as selected, that the keys move: 1 + the number of records
    // before its record (so that a zeroed view has none); 0 for none. A record is counted
    // the same at every width, so it survives a relayout.
    uint16_t current;
};

// A new view for the surface, with the rectangle (left, top, right, bottom) when given, a copy of
// the font record and, for capacity > 0, a line table of capacity + 1 entries (none when that
// allocation fails). nullptr without surface or memory.
IndexView* CreateIndexView(HDC surface, const RECT* rect, const FontRecord* font,
                           uint16_t capacity);

// Lays `list` out into the line table, every line in its stored state; the view takes the list
// over. With `replace` the list held before is released. firstRow is left alone. Returns
// kIndexLaidOut; kIndexNoList (the old lines stay); kIndexBadList when the first record is empty
// (the list is not taken); kIndexNoMemory with the table ended at the last complete line; or
// kIndexNoView.
uint16_t LayoutIndex(IndexView* view, uint8_t* list, bool replace);

// Sets the size and lays the current list out again (not released); LayoutIndex's result.
uint16_t ResizeIndexView(IndexView* view, int width, int height);

// Releases the list, the line table and the style fonts, and the view itself when asked.
void DestroyIndexView(IndexView* view, bool releaseSelf);

// Selects the style font for request (StyleFlags, with kIndexColourRequest to set the text
// colour: blue for big bold styles, else black) and returns the font selected before.
HFONT SelectIndexFont(IndexView* view, uint16_t request);

// Paints the shown lines from firstRow down to the last that fits, with their markers; sets
// rowsPainted. A firstRow beyond rowCount becomes maxFirstRow. 0, or -1 without list or lines.
int PaintIndex(IndexView* view, bool erase);

// Moves firstRow by delta (never below 0; with clamp, or past rowCount, at most maxFirstRow).
// With repaint 1 nothing happens when the position stays; otherwise it paints with erasing.
// 1 when nothing was painted, else PaintIndex's result; -1 without view.
int ScrollIndex(IndexView* view, int delta, int repaint, bool clamp);

// Sets maxFirstRow: the largest firstRow at which the last shown line is still fully visible.
void ComputeIndexMaxFirstRow(IndexView* view);

// The line at which painting and hit testing start: firstRow shown lines are passed over.
int FindIndexTopLine(const IndexView* view);

// Pixels between the line's right end and the view's right edge: its depth in the outline.
int32_t IndexLineMargin(const IndexView* view, const IndexLine& line);

// Whether line i continues the record of line i - 1 (the same record wrapped onto more lines).
bool ContinuesIndexRecord(const IndexView* view, int i);

// Where painting puts line i at the current scroll position: its top in surface pixels, or -1
// when it is not painted (hidden, above firstRow or below the last line that fits).
int32_t PaintedIndexLineTop(const IndexView* view, int i);
