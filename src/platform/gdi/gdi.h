#pragma once
// Drawing: device contexts and GDI objects with Win32 pixel rules. Rectangles include their
// left and top edges and exclude their right and bottom edges; text is drawn from its cell's
// top-left corner, one glyph per code unit by advance widths, with no reordering or shaping.
#include "platform/win32_constants.h"
#include "platform/win32_types.h"

constexpr int LF_FACESIZE = 32;

struct LOGFONT {
    LONG lfHeight = 0;  // > 0 cell height, < 0 em height, 0 the default
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char16_t lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONT) == 92, "the logical-font record is 92 bytes");

struct TEXTMETRIC {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    char16_t tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
    BYTE tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};


struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

// Device contexts.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);

// Objects. SelectObject returns the object it replaces (nullptr for an object of no kind).
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);
// Copies the object's logical record (LOGFONT for a font, BITMAP for a bitmap); returns bytes.
int GetObject(HGDIOBJ obj, int size, void* out);
HFONT CreateFontIndirect(const LOGFONT* lf);
HBRUSH CreateSolidBrush(COLORREF color);
constexpr int PS_SOLID = 0;
HPEN CreatePen(int style, int width, COLORREF color);
// A bitmap from resource type RT_BITMAP (PNG bytes); one-bit images stay monochrome.
HBITMAP LoadBitmap(HINSTANCE instance, WORD id);
HICON LoadIcon(HINSTANCE instance, WORD id);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);

// State.
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int GetDeviceCaps(HDC hdc, int index);

// Clipping. IntersectClipRect limits what the DC draws to a rectangle (client coordinates)
// within any limit already set; it returns SIMPLEREGION, NULLREGION when nothing is left to draw
// in, or ERROR for a bad DC. SelectClipRgn with no region lifts the limit again (SIMPLEREGION);
// no other region is supported (ERROR).
constexpr int kRegionError = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC hdc, const void* region);

// Shapes.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
// The ellipse inscribed in the rectangle (right and bottom excluded): outline with the pen,
// inside with the brush.
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
// Turns every colour in the rectangle into its complement (white to black).
BOOL InvertRect(HDC hdc, const RECT* rect);
COLORREF GetPixel(HDC hdc, int x, int y);
BOOL SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL LineTo(HDC hdc, int x, int y);

// Text.
BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm);
BOOL GetTextExtentPoint32(HDC hdc, const char16_t* text, int count, SIZE* size);
// How many of `count` units fit into maxExtent (fitOut), with the cumulative extents.
BOOL GetTextExtentExPoint(HDC hdc, const char16_t* text, int count, int maxExtent, int* fitOut,
                          int* dxOut, SIZE* size);
// count -1 means up to the NUL. Formats: DT_CENTER, DT_VCENTER, DT_SINGLELINE, DT_NOPREFIX,
// DT_WORDBREAK, DT_CALCRECT, DT_RIGHT, DT_BOTTOM. Returns the height of the drawn text.
int DrawText(HDC hdc, const char16_t* text, int count, RECT* rect, UINT format);
// One string of PolyTextOut: drawn as ExtTextOut(x, y, uiFlags, &rcl, lpstr, n, pdx) would.
struct POLYTEXT {
    int x;
    int y;
    UINT n;
    const char16_t* lpstr;
    UINT uiFlags;
    RECT rcl;
    const int* pdx;
};
// Draws the strings in order, each as ExtTextOut would; fails on the first that cannot be drawn.
BOOL PolyTextOut(HDC hdc, const POLYTEXT* texts, int count);
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char16_t* text,
                UINT count, const int* dx);

// Bitmaps.
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);

// Font families. The callback gets each family's LOGFONT (lfCharSet 177 when the family covers
// Hebrew) and TEXTMETRIC, and returns non-zero to go on; the last callback result is returned.
using FONTENUMPROC = int (*)(const LOGFONT*, const TEXTMETRIC*, DWORD fontType, LPARAM);
int EnumFontFamilies(HDC hdc, LPCWSTR family, FONTENUMPROC proc, LPARAM param);
// The family the font system prefers for Hebrew text among those with every Hebrew letter and
// point, NUL-terminated in `face` (LF_FACESIZE units); FALSE, with `face` empty, when there is
// none.
BOOL GetPreferredHebrewFace(char16_t* face);
