#pragma once
// Style fonts: one platform font per StyleFlags font key (StyleFlags & 0x1F) in each pane, each
// with a WidthTable measured lazily, and the two measuring operations of the layout and the
// painter.
#include <cstdint>

#include "text/text_pane.h"

// StyleFlags bits that choose the font.
constexpr uint8_t kFontKeyMask = 0x1F;
constexpr uint8_t kSmallerFont = 0x02;
constexpr uint8_t kLargerFont = 0x04;
constexpr uint8_t kBoldFont = 0x08;
constexpr uint8_t kHeadingKey = kLargerFont | kBoldFont;  // both: the heading colour
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kAlignMask = 0x60;
constexpr uint8_t kAlignRight = 0x20;
constexpr uint8_t kAlignCentre = 0x40;
constexpr uint8_t kParagraphEnd = 0x80;

// Extra request bits of SelectStyleFont that never occur in stored data: set the text colour too.
constexpr uint16_t kColourRequest = 0x100;
constexpr uint16_t kColourRequestMask = 0x300;

constexpr COLORREF kHeadingColour = RGB(0, 0, 255);
constexpr COLORREF kTextColour = RGB(0, 0, 0);

// The font selected in a surface now, for a caller that selects its own and puts this one back.
HGDIOBJ CurrentFont(HDC surface);

// Selects the style font for request (StyleFlags, optionally with 0x100 or 0x200) into the
// pane's surface, making its WidthTable the pane's `widths` and measuring the table first when
// it is new or marked unmeasured. Returns the font selected before, for the caller to put back.
HFONT SelectStyleFont(TextPane* pane, uint16_t request);

// Without a record: deletes the fonts of all the pane's style fonts (the nodes stay) and returns 0.
// With a record: takes the FontRecord, recreates every style font, lays the current text out again
// and repaints; returns 1 when the layout fails, else the painter's result. -1 without pane.
int SetPaneFont(TextPane* pane, const FontRecord* record);

// In: *extent = pixels available, *count = most bytes to consider. Out: how many bytes fit and
// their width, measured by the platform in the font selected in the surface. The count is in
// bytes even when a byte converts to two code units or to none.
void MeasureFit(HDC surface, const uint8_t* text, int32_t* extent, int32_t* count);

// The same, with widths from a WidthTable. Bytes without width (vowel points, bytes below 0x10
// and from 0x80) are always taken; the first byte that does not fit ends the measurement.
// Without a table the width is 0 and the count is left as it was.
void MeasureFitByTable(const WidthTable* widths, const uint8_t* text, int32_t* extent,
                       int32_t* count);
