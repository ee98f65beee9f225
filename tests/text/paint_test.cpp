// Painting with the synthetic font: a letter of a 16-pixel font is a 7 x 8 block from its pen x,
// rows y + 4 to y + 11; a vowel point is a 2 x 2 block from one pixel left of its pen position,
// rows y + 13 and y + 14.
#include "text/paint.h"

#include "text/style_font.h"
#include "text_fixture.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kYellow = 0xFFFF00, kBlue = 0x0000FF,
                   kRed = 0xFF0000;

class PaintTest : public TextFixture {};

TEST_F(PaintTest, RowsPaintedStopsAtTheFirstLineThatDoesNotFit) {
    ASSERT_TRUE(LayOut(10, 20, 100, 40, {{0x81, 0, "a"}, {0x81, 0, "b"}, {0x81, 0, "c"}}));
    EXPECT_EQ(PaintPane(pane, true), 0);
    // "a" and its gap (32 of 40); "b" would be cut.
    EXPECT_EQ(pane->rowsPainted, 2);
    EXPECT_EQ(Px(10, 24), kBlack);
    EXPECT_EQ(Px(16, 31), kBlack);
    EXPECT_EQ(Px(17, 28), kWhite);
    EXPECT_EQ(Px(10, 56), kWhite);

    // First row on the gap after "a": "b" starts one gap height down.
    pane->firstRow = 1;
    EXPECT_EQ(PaintPane(pane, true), 0);
    EXPECT_EQ(Px(10, 24), kWhite);
    EXPECT_EQ(Px(10, 40), kBlack);
    EXPECT_EQ(pane->rowsPainted, 2);

    // A first row beyond rowCount is brought back to maxFirstRow.
    pane->firstRow = 50;
    PaintPane(pane, true);
    EXPECT_EQ(pane->firstRow, 3);
    EXPECT_EQ(PaintPane(nullptr, true), -1);
}

TEST_F(PaintTest, SeparatorIsAOnePixelRuleAcrossTheMiddleOfItsRow) {
    ASSERT_TRUE(LayOut(10, 20, 100, 100, {{0x81, 0, "a"}, {0x27, 50, ""}}));
    PaintPane(pane, true);
    // Row of the rule at y 52 (after "a" and its gap); middle 60; right aligned: x 60 to 109.
    EXPECT_EQ(Px(60, 60), kBlack);
    EXPECT_EQ(Px(109, 60), kBlack);
    EXPECT_EQ(Px(110, 60), kWhite);
    EXPECT_EQ(Px(59, 60), kWhite);
    EXPECT_EQ(Px(80, 59), kWhite);
    EXPECT_EQ(Px(80, 61), kWhite);
    EXPECT_EQ(pane->rowsPainted, 3);
}

TEST_F(PaintTest, HighlightCoversMarkStartUpToMarkEnd) {
    // One right-to-left line "abc defg hij", right aligned from x 112 to 200 at y 10. Stored
    // "jih gfed cba": stored byte k starts at 112 + the widths before it.
    ASSERT_TRUE(LayOut(0, 10, 200, 100, {{0xB1, 0, "jih gfed cba"}}));
    ASSERT_EQ(pane->lines[0].x, 112);
    pane->markStart = 2 + 4;  // "g" (x 140)
    pane->markEnd = 2 + 8;    // up to the space after "d" (x 172), exclusive
    EXPECT_EQ(PaintPane(pane, true), 0);
    EXPECT_EQ(Px(140, 14), kBlue);    // "g" in blue
    EXPECT_EQ(Px(164, 21), kBlue);    // "d"
    EXPECT_EQ(Px(147, 14), kYellow);  // between the letters
    EXPECT_EQ(Px(150, 9), kYellow);   // one pixel above the row
    EXPECT_EQ(Px(150, 26), kYellow);  // and one below
    EXPECT_EQ(Px(150, 27), kWhite);
    EXPECT_EQ(Px(171, 12), kYellow);
    EXPECT_EQ(Px(172, 12), kWhite);
    EXPECT_EQ(Px(139, 12), kWhite);
    EXPECT_EQ(Px(176, 14), kBlack);  // "c" is not marked
    EXPECT_EQ(Px(128, 14), kBlack);  // nor "h"
}

TEST_F(PaintTest, HighlightFromAnEarlierLineStartsAtTheLineStart) {
    // Width 50 gives "abc" / "defg" / "hij" (stored 9..11, 4..7, 0..2; x 26, 18, 26).
    ASSERT_TRUE(LayOut(0, 0, 50, 200, {{0x31, 0, "jih gfed cba"}}));
    ASSERT_EQ(pane->lineCount, 3);
    pane->markStart = 2 + 1;  // from "i", which is on the third line
    pane->markEnd = 2 + 6;    // to "e" exclusive: "g", "f" on the second line
    PaintPane(pane, true);
    // Second line at y 16: "g" at 18, "f" at 26, "e" at 34.
    EXPECT_EQ(Px(18, 20), kBlue);
    EXPECT_EQ(Px(26, 20), kBlue);
    EXPECT_EQ(Px(34, 20), kBlack);
    // Third line at y 32: "j" at 26 is before markStart, "i" at 34 and "h" at 42 are marked.
    EXPECT_EQ(Px(26, 36), kBlack);
    EXPECT_EQ(Px(34, 36), kBlue);
    EXPECT_EQ(Px(42, 36), kBlue);
    // The first line is outside the mark.
    EXPECT_EQ(Px(26, 4), kBlack);
    EXPECT_EQ(Px(25, 2), kWhite);
}

TEST_F(PaintTest, VowelPointsSitOnTheirLetterAndHolamAtItsLeftEdge) {
    MakePane(0, 0, 200, 100);
    SelectObject(dc, SelectStyleFont(pane, 1));
    RECT r{100, 0, 108, 16};
    // A point, then alef: the point is centred in alef's cell [100, 108): pen 104.
    DrawRunPerChar(pane,
                   reinterpret_cast<const uint8_t*>("\x16"
                                                    "a"),
                   2, &r);
    EXPECT_EQ(Px(100, 4), kBlack);
    EXPECT_EQ(Px(103, 13), kBlack);
    EXPECT_EQ(Px(104, 14), kBlack);
    EXPECT_EQ(Px(102, 13), kWhite);
    RECT r2{100, 20, 108, 36};
    // Holam in a 3-pixel cell at alef's left edge: pen 101, block 100..101.
    DrawRunPerChar(pane,
                   reinterpret_cast<const uint8_t*>("\x1F"
                                                    "a"),
                   2, &r2);
    EXPECT_EQ(Px(100, 33), kBlack);
    EXPECT_EQ(Px(101, 34), kBlack);
    EXPECT_EQ(Px(102, 33), kWhite);
    RECT r3{100, 40, 108, 56};
    // Holam + lamed: the letter fills [100, 108), the holam goes to [98, 101).
    DrawRunPerChar(pane, reinterpret_cast<const uint8_t*>("\x5A"), 1, &r3);
    EXPECT_EQ(Px(100, 44), kBlack);
    EXPECT_EQ(Px(98, 53), kBlack);
    EXPECT_EQ(Px(99, 54), kBlack);
}

TEST_F(PaintTest, RelayoutAndRepaintAllocateNothingOnceWarm) {
    ASSERT_TRUE(LayOut(0, 0, 60, 200, {{0xB1, 0x45, "hg fe dc ba"}, {0x81, 0, "ab-cd ef"}}));
    PaintPane(pane, true);
    unsigned before = HeapAllocationCount();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(LayoutText(pane, pane->text, false), kLayoutDone);
        PaintPane(pane, true);
    }
    EXPECT_EQ(HeapAllocationCount(), before);
}

TEST_F(PaintTest, HitBannerBoxFrameAndText) {
    ASSERT_TRUE(LayOut(0, 0, 240, 200, {{0xDC, 0, "abc"}, {0xD1, 0, "de"}, {0x81, 0, "x"}}));
    PaintPane(pane, true);
    DrawHitBanner(pane);
    // Smaller font: 12 high, letters 6. Box 18 + 24 + 8 = 50 wide from 95; rows 164 to 197.
    EXPECT_EQ(Px(95, 164), kRed);
    EXPECT_EQ(Px(144, 197), kRed);
    EXPECT_EQ(Px(145, 180), kWhite);
    EXPECT_EQ(Px(96, 165), kRed);
    EXPECT_EQ(Px(97, 166), kWhite);
    EXPECT_EQ(Px(98, 167), kBlue);
    EXPECT_EQ(Px(99, 168), kBlue);
    EXPECT_EQ(Px(100, 169), kYellow);
    EXPECT_EQ(Px(139, 192), kYellow);
    // Title centred in the inner box [100, 140): x 111; subtitle 12 wide at 114, one row lower.
    EXPECT_EQ(Px(111, 172), kRed);
    EXPECT_EQ(Px(110, 172), kYellow);
    EXPECT_EQ(Px(114, 184), kRed);
    EXPECT_EQ(Px(113, 184), kYellow);
}

TEST_F(PaintTest, BannerWithOnlyASubtitleHasOneRow) {
    ASSERT_TRUE(LayOut(0, 0, 240, 200, {{0xD1, 0, "de"}, {0x81, 0, "x"}}));
    PaintPane(pane, true);
    DrawHitBanner(pane);
    // Box 12 + 24 + 8 = 44 wide from 98; top 200 - 12 - 12 = 176.
    EXPECT_EQ(Px(98, 176), kRed);
    EXPECT_EQ(Px(98, 175), kWhite);
    EXPECT_EQ(Px(103, 181), kYellow);
}

}  // namespace
