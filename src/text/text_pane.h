#pragma once
// TextPane: one scrolling view of an article, with its line table and its style fonts.
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "text/font_record.h"

// Pixel widths of the characters 0x10-0x7F in one style font. An unmeasured table holds
// kUnmeasuredFirst in its first entry and kUnmeasuredSecond in its second.
struct WidthTable {
    uint16_t width[112];
};
constexpr uint16_t kUnmeasuredFirst = 0xFFFF;
constexpr uint16_t kUnmeasuredSecond = 0xBAAD;

// One node of a pane's style font list; new nodes go to the head.
struct StyleFont {
    StyleFont* next;
    HFONT font;   // none after a release
    uint8_t key;  // StyleFlags & 0x1F
    WidthTable widths;
};

// One display line; the entry after the last line is all zeros.
struct LineEntry {
    uint16_t offset;
    uint16_t count;
    uint16_t x;
    uint16_t labelWidth;
    uint16_t width;
    uint16_t height;
    uint8_t style;
};

struct TextPane {
    LineEntry* lines;  // capacity + 1 entries
    HDC surface;
    uint8_t* text;  // the RecordList shown; the pane owns it
    int32_t rowsPainted;
    FontRecord fontRecord;
    StyleFont* styleFonts;
    WidthTable* widths;
    int32_t left, top;
    int32_t width, height;
    uint16_t firstRow;
    uint16_t rowCount;
    uint16_t lineCount;
    uint16_t capacity;
    uint16_t maxFirstRow;
    uint16_t markStart, markEnd;
};

// Releases the text, the line table and the style fonts, and the pane itself when asked.
void DestroyTextPane(TextPane* pane, bool freePane);
