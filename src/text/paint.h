#pragma once
// Drawing runs of BookText, painting a laid-out TextPane with its separators, labels and the
// highlight of a search hit, and the banner that names the article after a hit.
#include <cstdint>

#include "text/text_pane.h"

// Every run and every character is drawn in a rectangle as wide as its measured text with
// these draw-text flags: centred, vertically centred, single line, no prefix.
constexpr UINT kRunFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;  // 0x825
static_assert(kRunFormat == 0x825);

constexpr COLORREF kHighlightBack = RGB(255, 255, 0);
constexpr COLORREF kHighlightText = RGB(0, 0, 255);
constexpr COLORREF kBannerText = RGB(255, 0, 0);

// The colours a search hit is marked in. The red screen shows the luma turned over in red alone,
// where yellow would come out a red of 29 on a black page: there the mark is drawn dark (bright
// red on the screen) with light letters (black on it).
struct MarkColours {
    COLORREF back;
    COLORREF text;
};
MarkColours HitMarkColours();

// Draws n bytes in the rectangle x, y, x + w, y + h: per character in Unicode output, as one
// converted run otherwise.
void DrawRun(TextPane* pane, const uint8_t* bytes, int n, int x, int y, int w, int h);
// Unicode output: the characters are placed from the rectangle's right edge leftwards, in cells
// from the pane's WidthTable, the first stored byte leftmost; a vowel point is centred in the
// cell of the character that follows it in storage, holam in a 3-pixel cell at its left edge.
// Leaves the background mode transparent.
void DrawRunPerChar(TextPane* pane, const uint8_t* bytes, int n, const RECT* rect);
// Converts n bytes through the shared cache and draws them in one call.
void DrawConverted(HDC surface, const uint8_t* bytes, int n, int x, int y, int w, int h);
// DrawConverted on an opaque background in the given colours; the colours and the background
// mode are put back afterwards.
void DrawColoured(HDC surface, const uint8_t* bytes, int n, int x, int y, int w, int h,
                  COLORREF textColour, COLORREF backColour);
// Fills left, top, left + width, top + height with a stock brush (WHITE_BRUSH for panes).
void FillPaneRect(HDC surface, int left, int top, int width, int height, int stockBrush);
// Draws `passes` nested one-pixel outlines and shrinks the rectangle by as many pixels on every
// side (also when the pen cannot be made).
void DrawFrame(HDC surface, RECT* rect, COLORREF colour, int passes);

// Paints the visible lines from firstRow down, stopping at the first line that does not fit, and
// sets rowsPainted (gaps included). Returns -1 without pane, text or line table; otherwise 0, or
// PaintMarks' result when a highlight is set. A firstRow beyond rowCount becomes maxFirstRow.
int PaintPane(TextPane* pane, bool erase);
// What the layer above draws over a pane once PaintPane has painted it (a selection); nullptr
// for nothing.
using PaneOverlay = void (*)(TextPane* pane);
void SetPaneOverlay(PaneOverlay overlay);
// Redraws the bytes from markStart up to markEnd (exclusive) in blue on yellow. -1 as PaintPane.
int PaintMarks(TextPane* pane);
// Shows the article's title and subtitle in a framed yellow box at the bottom of the pane, or at
// its top when the highlighted bytes are drawn where the box would stand at the bottom. A note,
// when given, stands on a line of its own below them.
void DrawHitBanner(TextPane* pane, const char16_t* note = nullptr);
// Whether any of the bytes [from, to) is drawn on a line that fits in the pane now, labels
// included; the band of those lines is then [*top, *bottom) in surface pixels (either may be
// none).
bool ShownBand(const TextPane* pane, uint16_t from, uint16_t to, int32_t* top, int32_t* bottom);

// Where the label of a labelled right-to-left line lies: after the line's stretch and the
// spaces that follow it, up to the end of the record's text. Returns its length.
int RightToLeftLabel(const TextPane* pane, const LineEntry& line, const uint8_t** label);
// The label word of a labelled left-to-right line, and where its line text starts.
int LeftToRightLabel(const TextPane* pane, const LineEntry& line, const uint8_t** lineText);
