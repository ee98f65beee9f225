// PolyTextOut paints exactly what one ExtTextOut per string paints: glyphs that overlap (points
// in their letter's cell), glyphs their cells clip, empty cells, and opaque strings, with the
// product's fonts and the synthetic ones.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"
#include "support/headless.h"

namespace {

LRESULT PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

constexpr int kBand = 100;  // the one-by-one copy is drawn this far below

// A right-to-left line of cells as the text engine lays them out: letters in cells of their
// advance, a point in the cell of the letter before it, a letter squeezed into a cell narrower
// than its glyph, an empty cell and a space, all on the line at `top`.
std::vector<POLYTEXT> Cells(HDC dc, int top, std::vector<char16_t>& units) {
    const char16_t text[] = {u'\u05E9', u'\u05C1', u'\u05DC', u'\u05D5', u'\u05B9',
                             u'\u05DD', u'\u05DE', u' ',      u'\u05D0', u'\u05B8',
                             u'W',      u'\u05D1', u'\u05BC', u'\u05E8', u'\u05D9'};
    units.assign(std::begin(text), std::end(text));
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    std::vector<POLYTEXT> cells;
    int right = 220;
    RECT last{right, top, right, top + 24};
    for (size_t i = 0; i < units.size(); ++i) {
        SIZE size{};
        GetTextExtentPoint32(dc, &units[i], 1, &size);
        RECT cell = last;
        bool point = units[i] >= 0x0591 && units[i] <= 0x05C7;
        if (!point) {
            int width = size.cx;
            if (units[i] == u'W') width = 3;       // clipped: far narrower than the glyph
            if (units[i] == u'\u05DE') width = 0;  // an empty cell draws nothing
            cell = RECT{right - width, top, right, top + 24};
            right = cell.left;
            last = cell;
        }
        int x = cell.left + (cell.right - cell.left - size.cx) / 2;
        int y = cell.top + (cell.bottom - cell.top - tm.tmHeight) / 2;
        cells.push_back(POLYTEXT{x, y, 1, &units[i], ETO_CLIPPED, cell, nullptr});
    }
    return cells;
}

class PolyTextTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) InstallFontEngine(MakeFreeTypeEngine());
        window = CreateWhiteWindow(u"Canvas", PlainProc);
        screen.Settle();
        dc = GetDC(window);
        LOGFONT lf{};
        lf.lfHeight = 22;
        const char16_t face[] = u"Frank Ruehl CLM";
        std::copy(std::begin(face), std::end(face), lf.lfFaceName);
        font = CreateFontIndirect(&lf);
        old = SelectObject(dc, font);
    }
    void TearDown() override {
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(window, dc);
    }
    // Draws the cells with PolyTextOut at the top band and one by one a band lower, then
    // compares the bands pixel by pixel; returns how many pixels are not white.
    int DrawBothWaysAndCompare(int top) {
        std::vector<char16_t> units;
        std::vector<POLYTEXT> cells = Cells(dc, top, units);
        EXPECT_TRUE(PolyTextOut(dc, cells.data(), int(cells.size())));
        for (POLYTEXT t : cells) {
            t.y += kBand;
            t.rcl.top += kBand;
            t.rcl.bottom += kBand;
            ExtTextOut(dc, t.x, t.y, t.uiFlags, &t.rcl, t.lpstr, t.n, t.pdx);
        }
        int inked = 0, differ = 0;
        for (int y = top - 8; y < top + 32; ++y) {
            for (int x = 0; x < 240; ++x) {
                uint32_t a = screen.host().Pixel(x, y), b = screen.host().Pixel(x, y + kBand);
                if (a != 0xFFFFFF) ++inked;
                if (a != b && ++differ <= 5)
                    ADD_FAILURE() << "at (" << x << ", " << y << "): PolyTextOut " << std::hex << a
                                  << ", ExtTextOut " << b;
            }
        }
        return inked;
    }

    HeadlessScreen screen;
    HWND window = nullptr;
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ old = nullptr;
};

TEST_P(PolyTextTest, TransparentCellsPaintWhatOneCallEachPaints) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(20, 40, 160));
    EXPECT_GT(DrawBothWaysAndCompare(20), 60);
    // Again over what is already there: the order of overlapping glyphs shows in the blend.
    SetTextColor(dc, RGB(200, 30, 30));
    EXPECT_GT(DrawBothWaysAndCompare(20), 60);
}

TEST_P(PolyTextTest, GlyphsDrawnOverEachOtherBlendInTheirOrder) {
    // Round letters two pixels apart, unclipped: their antialiased edges cover the same pixels,
    // so drawing them together in one call would blend those pixels differently.
    SetBkMode(dc, TRANSPARENT);
    const char16_t units[] = u"OQOCOGO";
    std::vector<POLYTEXT> texts;
    for (int i = 0; i < 7; ++i)
        texts.push_back(POLYTEXT{20 + 2 * i, 150, 1, &units[i], 0, RECT{}, nullptr});
    SetTextColor(dc, RGB(0, 90, 200));
    ASSERT_TRUE(PolyTextOut(dc, texts.data(), int(texts.size())));
    for (const POLYTEXT& t : texts)
        ExtTextOut(dc, t.x, t.y + kBand, 0, nullptr, t.lpstr, 1, nullptr);
    int inked = 0;
    for (int y = 145; y < 185; ++y) {
        for (int x = 10; x < 70; ++x) {
            uint32_t a = screen.host().Pixel(x, y), b = screen.host().Pixel(x, y + kBand);
            inked += a != 0xFFFFFF;
            ASSERT_EQ(a, b) << "at (" << x << ", " << y << ")";
        }
    }
    EXPECT_GT(inked, 40);
}

TEST_P(PolyTextTest, OpaqueCellsFillTheirBackgroundsAsExtTextOutDoes) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 0));
    EXPECT_GT(DrawBothWaysAndCompare(60), 200);
}

TEST_P(PolyTextTest, NothingToDrawAndBadArguments) {
    EXPECT_TRUE(PolyTextOut(dc, nullptr, 0));
    EXPECT_FALSE(PolyTextOut(dc, nullptr, 1));
    EXPECT_FALSE(PolyTextOut(nullptr, nullptr, 0));
}

INSTANTIATE_TEST_SUITE_P(Engines, PolyTextTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FreeType" : "Synthetic"; });

}  // namespace
