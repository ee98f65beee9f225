// Drawing on the headless screen: Win32 pixel rules, text placement with the synthetic font,
// monochrome bitmaps, and the font engines.
#include <gtest/gtest.h>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/gdi.h"
#include "platform/resources.h"
#include "platform/user/user.h"
#include "resources/tools/one_bit_png.h"
#include "support/headless.h"

namespace {

LRESULT PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProc(w, msg, wp, lp); }

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateWhiteWindow(u"Canvas", PlainProc);
        screen.Settle();
        dc = GetDC(window);
    }
    void TearDown() override { ReleaseDC(window, dc); }
    uint32_t Px(int x, int y) { return screen.host().Pixel(x, y); }

    HeadlessScreen screen;
    HWND window = nullptr;
    HDC dc = nullptr;
};

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;

TEST_F(GdiTest, RectangleIncludesLeftTopAndExcludesRightBottom) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc, red);
    EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 10, 10, 20, 16);
    EXPECT_EQ(Px(10, 10), kBlack);  // outline
    EXPECT_EQ(Px(19, 15), kBlack);
    EXPECT_EQ(Px(20, 15), kWhite);  // right edge excluded
    EXPECT_EQ(Px(19, 16), kWhite);  // bottom edge excluded
    EXPECT_EQ(Px(11, 11), 0xFF0000u);  // inside: the brush
    // A rectangle one pixel high is a one-pixel line.
    Rectangle(dc, 30, 50, 60, 51);
    EXPECT_EQ(Px(30, 50), kBlack);
    EXPECT_EQ(Px(59, 50), kBlack);
    EXPECT_EQ(Px(60, 50), kWhite);
    EXPECT_EQ(Px(45, 49), kWhite);
    EXPECT_EQ(Px(45, 51), kWhite);
    EXPECT_EQ(SelectObject(dc, oldBrush), red);
    DeleteObject(red);
}

// Lines of every slope, one pixel wide, with the end point left out.
TEST_F(GdiTest, LinesOfAnySlopeLeaveOutTheirEndPoint) {
    HPEN red = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, red);
    constexpr uint32_t kRed = 0xFF0000;
    // A diagonal down to the right: (10,10) (11,11) (12,12) (13,13), not (14,14).
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, 14, 14);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Px(10 + i, 10 + i), kRed) << i;
    EXPECT_EQ(Px(14, 14), kWhite);
    EXPECT_EQ(Px(11, 10), kWhite);
    EXPECT_EQ(Px(10, 11), kWhite);
    // Up to the left, from the start: (30,40) (29,39) (28,38), not (27,37).
    MoveToEx(dc, 30, 40, nullptr);
    LineTo(dc, 27, 37);
    EXPECT_EQ(Px(30, 40), kRed);
    EXPECT_EQ(Px(29, 39), kRed);
    EXPECT_EQ(Px(28, 38), kRed);
    EXPECT_EQ(Px(27, 37), kWhite);
    // A shallow slope, 8 across and 2 down: two pixels on the first row, then steps of four,
    // ending with two on the last row, each column drawn once.
    MoveToEx(dc, 50, 10, nullptr);
    LineTo(dc, 58, 12);
    const int rowOf[8] = {10, 10, 11, 11, 11, 11, 12, 12};
    for (int i = 0; i < 8; ++i) {
        for (int y = 9; y <= 13; ++y)
            EXPECT_EQ(Px(50 + i, y), y == rowOf[i] ? kRed : kWhite) << "column " << 50 + i;
    }
    EXPECT_EQ(Px(58, 12), kWhite);
    // A steep one, 1 across and 4 up.
    MoveToEx(dc, 70, 20, nullptr);
    LineTo(dc, 71, 16);
    EXPECT_EQ(Px(70, 20), kRed);
    EXPECT_EQ(Px(70, 19), kRed);
    EXPECT_EQ(Px(71, 18), kRed);
    EXPECT_EQ(Px(71, 17), kRed);
    EXPECT_EQ(Px(71, 16), kWhite);
    EXPECT_EQ(Px(70, 18), kWhite);
    // Horizontal and vertical lines as ever: left to right and top to bottom.
    MoveToEx(dc, 80, 30, nullptr);
    LineTo(dc, 90, 30);
    LineTo(dc, 90, 35);
    EXPECT_EQ(Px(80, 30), kRed);
    EXPECT_EQ(Px(89, 30), kRed);
    EXPECT_EQ(Px(90, 30), kRed) << "the corner, drawn by the second line";
    EXPECT_EQ(Px(90, 34), kRed);
    EXPECT_EQ(Px(90, 35), kWhite);
    EXPECT_EQ(Px(85, 29), kWhite);
    EXPECT_EQ(Px(85, 31), kWhite);
    // A line to where the pen already is draws nothing and still moves nothing.
    POINT at{};
    MoveToEx(dc, 100, 100, nullptr);
    LineTo(dc, 100, 100);
    EXPECT_EQ(Px(100, 100), kWhite);
    MoveToEx(dc, 0, 0, &at);
    EXPECT_EQ(at.x, 100);
    EXPECT_EQ(at.y, 100);
    SelectObject(dc, old);
    DeleteObject(red);
}

// An 11-pixel circle: round, outlined with the pen, filled with the brush, symmetric.
TEST_F(GdiTest, EllipsesAreRoundOutlinedAndFilled) {
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldBrush = SelectObject(dc, blue);
    Ellipse(dc, 20, 20, 31, 31);
    // Rows from the top: 5, 7, 9, then five of 11, then 9, 7, 5 pixels wide.
    const int half[11] = {2, 3, 4, 5, 5, 5, 5, 5, 4, 3, 2};
    for (int j = 0; j < 11; ++j) {
        EXPECT_EQ(Px(25 - half[j], 20 + j), kBlack) << "left end of row " << j;
        EXPECT_EQ(Px(25 + half[j], 20 + j), kBlack) << "right end of row " << j;
        EXPECT_EQ(Px(25 - half[j] - 1, 20 + j), kWhite) << "left of row " << j;
        EXPECT_EQ(Px(25 + half[j] + 1, 20 + j), kWhite) << "right of row " << j;
    }
    EXPECT_EQ(Px(25, 20), kBlack);  // top and bottom of the outline
    EXPECT_EQ(Px(25, 30), kBlack);
    EXPECT_EQ(Px(25, 31), kWhite);
    EXPECT_EQ(Px(25, 25), 0x0000FFu);  // the brush inside
    EXPECT_EQ(Px(25, 21), 0x0000FFu);
    EXPECT_EQ(Px(20, 20), kWhite);  // the corners of the box stay clear
    EXPECT_EQ(Px(30, 30), kWhite);
    // Without a pen the brush covers the whole shape.
    SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 40, 20, 47, 27);
    EXPECT_EQ(Px(43, 20), 0x0000FFu);
    EXPECT_EQ(Px(40, 23), 0x0000FFu);
    EXPECT_EQ(Px(40, 20), kWhite);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, oldBrush), blue);
    DeleteObject(blue);
}

TEST_F(GdiTest, FillRectAndClippingToTheChildWindow) {
    HWND child = CreateWindowEx(0, u"Canvas", u"", WS_CHILD | WS_VISIBLE, 100, 100, 20, 20, window,
                                nullptr, nullptr, nullptr);
    screen.Settle();
    HDC cdc = GetDC(child);
    RECT big{-50, -50, 500, 500};
    FillRect(cdc, &big, GetStockObject(BLACK_BRUSH));
    ReleaseDC(child, cdc);
    EXPECT_EQ(Px(100, 100), kBlack);
    EXPECT_EQ(Px(119, 119), kBlack);
    EXPECT_EQ(Px(120, 119), kWhite);
    EXPECT_EQ(Px(99, 100), kWhite);
}

TEST_F(GdiTest, TextIsDrawnFromItsCellsTopLeftByAdvances) {
    LOGFONT lf{};
    lf.lfHeight = 16;  // synthetic: ascent 12, advance 8, block 7 x 8 above the baseline
    HFONT font = CreateFontIndirect(&lf);
    SelectObject(dc, font);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_EQ(tm.tmAscent, 12);
    SetBkMode(dc, TRANSPARENT);
    ExtTextOut(dc, 10, 20, 0, nullptr, u"ab c", 4, nullptr);
    // 'a' covers x 10..16 and y 24..31; 'b' starts at 18; space 4 wide; 'c' at 30.
    EXPECT_EQ(Px(10, 24), kBlack);
    EXPECT_EQ(Px(16, 31), kBlack);
    EXPECT_EQ(Px(17, 28), kWhite);
    EXPECT_EQ(Px(10, 23), kWhite);
    EXPECT_EQ(Px(10, 32), kWhite);
    EXPECT_EQ(Px(18, 28), kBlack);
    EXPECT_EQ(Px(27, 28), kWhite);
    EXPECT_EQ(Px(30, 28), kBlack);
    SIZE size;
    GetTextExtentPoint32(dc, u"ab c", 4, &size);
    EXPECT_EQ(size.cx, 28);
    int fit = -1, dx[4];
    GetTextExtentExPoint(dc, u"ab c", 4, 20, &fit, dx, &size);
    EXPECT_EQ(fit, 3);  // 8 + 8 + 4 fills 20 exactly
    EXPECT_EQ(dx[2], 20);
    GetTextExtentExPoint(dc, u"ab c", 4, 19, &fit, nullptr, nullptr);
    EXPECT_EQ(fit, 2);
    GetTextExtentExPoint(dc, u"ab c", 4, 7, &fit, nullptr, nullptr);
    EXPECT_EQ(fit, 0);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST_F(GdiTest, DrawTextCentresASingleLineAndOpaqueModeFillsTheCell) {
    LOGFONT lf{};
    lf.lfHeight = 10;  // advance 5, ascent 7, block 4 x 5
    HFONT font = CreateFontIndirect(&lf);
    SelectObject(dc, font);
    SetBkColor(dc, RGB(255, 255, 0));
    SetBkMode(dc, OPAQUE);
    RECT r{100, 100, 140, 130};
    DrawText(dc, u"xy", 2, &r, 0x825);
    // Width 10 in 40: x from 115; height 10 in 30: y from 110.
    EXPECT_EQ(Px(115, 110), 0xFFFF00u);  // background of the cell
    EXPECT_EQ(Px(115, 112), kBlack);     // block rows 112..116
    EXPECT_EQ(Px(124, 119), 0xFFFF00u);
    EXPECT_EQ(Px(125, 115), kWhite);
    EXPECT_EQ(Px(114, 115), kWhite);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST_F(GdiTest, MonochromeBitmapsUseTextAndBackgroundColours) {
    std::string png = OneBitPng({{0, 1, 0, 1}, {1, 1, 0, 0}});
    static std::string keep;
    keep = png;
    ResourceBlob blob{RT_BITMAP, 990, keep.data(), keep.size()};
    RegisterResources({&blob, 1});
    HBITMAP bmp = LoadBitmap(ProgramInstance(), 990);
    ASSERT_NE(bmp, nullptr);
    BITMAP info{};
    ASSERT_GT(GetObject(bmp, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmBitsPixel, 1);
    HDC mem = CreateCompatibleDC(dc);
    SelectObject(mem, bmp);
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkColor(dc, RGB(0, 255, 0));
    StretchBlt(dc, 50, 60, 8, 4, mem, 0, 0, 4, 2, SRCCOPY);
    EXPECT_EQ(Px(50, 60), 0x0000FFu);  // 0 bit: text colour, doubled
    EXPECT_EQ(Px(51, 61), 0x0000FFu);
    EXPECT_EQ(Px(52, 60), 0x00FF00u);  // 1 bit: background colour
    EXPECT_EQ(Px(50, 62), 0x00FF00u);
    EXPECT_EQ(Px(57, 63), 0x0000FFu);
    EXPECT_EQ(Px(58, 63), kWhite);
    DeleteDC(mem);
    DeleteObject(bmp);
}

int CollectFamily(const LOGFONT* lf, const TEXTMETRIC*, DWORD, LPARAM param) {
    auto* out = reinterpret_cast<std::vector<std::pair<std::u16string, int>>*>(param);
    out->push_back({lf->lfFaceName, lf->lfCharSet});
    return 1;
}

TEST_F(GdiTest, FontFamiliesCoveringHebrewReportCharacterSet177) {
    std::vector<std::pair<std::u16string, int>> families;
    EnumFontFamilies(dc, nullptr, CollectFamily, LPARAM(&families));
    EXPECT_EQ(families, (std::vector<std::pair<std::u16string, int>>{{u"Synthetic", 177},
                                                                      {u"Synthetic Latin", 0}}));
    InstallFontEngine(MakeFreeTypeEngine());
    families.clear();
    EnumFontFamilies(dc, nullptr, CollectFamily, LPARAM(&families));
    bool culmus = false, latinOnly = false;
    for (auto& [name, charset] : families) {
        if (name == u"David CLM") culmus = charset == 177;
        if (name == u"DejaVu Serif") latinOnly = charset != 177;
    }
    EXPECT_TRUE(culmus);
    EXPECT_TRUE(latinOnly);
}

TEST_F(GdiTest, FreeTypeFontsHonourCellHeightEmHeightAndWeight) {
    InstallFontEngine(MakeFreeTypeEngine());
    LOGFONT lf{};
    std::u16string face = u"David CLM";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    lf.lfHeight = 20;
    HFONT cell = CreateFontIndirect(&lf);
    lf.lfHeight = -20;
    HFONT em = CreateFontIndirect(&lf);
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirect(&lf);
    TEXTMETRIC tm;
    SelectObject(dc, cell);
    GetTextMetrics(dc, &tm);
    EXPECT_EQ(tm.tmHeight, 20);
    SIZE cellAlef;
    GetTextExtentPoint32(dc, u"\u05D0", 1, &cellAlef);
    SelectObject(dc, em);
    GetTextMetrics(dc, &tm);
    EXPECT_GT(tm.tmHeight, 20);  // the em is 20, the cell adds the font's leading
    SIZE emAlef;
    GetTextExtentPoint32(dc, u"\u05D0", 1, &emAlef);
    EXPECT_GE(emAlef.cx, cellAlef.cx);
    EXPECT_GT(cellAlef.cx, 0);
    // Hebrew text draws dark pixels inside its cell.
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, bold);
    ExtTextOut(dc, 20, 200, 0, nullptr, u"\u05E9\u05DC\u05D5\u05DD", 4, nullptr);
    int dark = 0;
    for (int y = 200; y < 230; ++y)
        for (int x = 20; x < 90; ++x)
            if ((Px(x, y) & 0xFF) < 0x80) ++dark;
    EXPECT_GT(dark, 40);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(cell);
    DeleteObject(em);
    DeleteObject(bold);
}

// Text is never reordered: the first unit is drawn leftmost, whatever its direction.
TEST_F(GdiTest, RealFontsDrawUnitsLeftToRightInStoredOrder) {
    InstallFontEngine(MakeFreeTypeEngine());
    LOGFONT lf{};
    std::u16string face = u"David CLM";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    lf.lfHeight = 40;
    HFONT font = CreateFontIndirect(&lf);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    auto ink = [&](int x0, int y0, int w, int h) {
        std::vector<bool> dots;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) dots.push_back((Px(x, y) & 0xFF) < 0x80);
        return dots;
    };
    SIZE tav;
    GetTextExtentPoint32(dc, u"\u05EA", 1, &tav);
    ExtTextOut(dc, 10, 10, 0, nullptr, u"\u05EA", 1, nullptr);        // tav alone
    ExtTextOut(dc, 10, 60, 0, nullptr, u"\u05EA\u05D0", 2, nullptr);  // tav then alef
    ExtTextOut(dc, 10, 110, 0, nullptr, u"\u05D0", 1, nullptr);       // alef alone
    EXPECT_EQ(ink(10, 10, tav.cx, 40), ink(10, 60, tav.cx, 40));
    EXPECT_NE(ink(10, 110, tav.cx, 40), ink(10, 60, tav.cx, 40));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

}  // namespace
