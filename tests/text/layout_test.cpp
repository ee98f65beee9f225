// Line tables of small crafted articles, worked out by hand with the synthetic font (letters 8
// pixels, spaces 4, line height 16, maxCharWidth 16).
#include "text/layout.h"

#include "text/style_font.h"
#include "text_fixture.h"

namespace {

class LayoutTest : public TextFixture {};

constexpr uint8_t kRtl = 0xB1;  // paragraph end, right aligned, right to left
constexpr uint8_t kLtr = 0x81;  // paragraph end, left aligned, left to right

TEST_F(LayoutTest, RightToLeftRecordIsBrokenFromTheEndOfItsStoredText) {
    // Reading order "abc defg hij", stored in display order.
    ASSERT_TRUE(LayOut(0, 0, 60, 200, {{kRtl, 0, "jih gfed cba"}}));
    ASSERT_EQ(pane->lineCount, 2);
    // "abc defg" is 60 pixels and fills the line; its stored bytes are 4..11 of the text.
    EXPECT_LINE(pane->lines[0], 2 + 4, 8, 0, 0, 60, 16, 0x31);
    // "hij" is the stored start; right aligned: 60 - 24.
    EXPECT_LINE(pane->lines[1], 2 + 0, 3, 36, 0, 24, 16, 0x31);  // last line keeps no 0x80
    EXPECT_EQ(pane->lines[2].style, 0);
    EXPECT_EQ(pane->rowCount, 2);
}

TEST_F(LayoutTest, BreaksAtTheLastSpaceThatFits) {
    ASSERT_TRUE(LayOut(0, 0, 50, 200, {{kRtl, 0, "jih gfed cba"}}));
    ASSERT_EQ(pane->lineCount, 3);
    // "abc de" fits (44) but "f" follows: back to the space, "abc" (24).
    EXPECT_LINE(pane->lines[0], 2 + 9, 3, 26, 0, 24, 16, 0x31);
    EXPECT_LINE(pane->lines[1], 2 + 4, 4, 18, 0, 32, 16, 0x31);
    EXPECT_LINE(pane->lines[2], 2 + 0, 3, 26, 0, 24, 16, 0x31);
}

TEST_F(LayoutTest, HyphenStaysOnItsLineAndLongWordsAreCut) {
    ASSERT_TRUE(LayOut(10, 0, 40, 200, {{kLtr, 0, "ab-cdef gh"}, {0x01, 0, "abcdefgh"}}));
    ASSERT_EQ(pane->lineCount, 5);
    EXPECT_LINE(pane->lines[0], 2, 3, 10, 0, 24, 16, 0x01);   // "ab-"
    EXPECT_LINE(pane->lines[1], 5, 4, 10, 0, 32, 16, 0x01);   // "cdef", the space goes
    EXPECT_LINE(pane->lines[2], 10, 2, 10, 0, 16, 16, 0x81);  // "gh" ends the paragraph
    // "abcdefgh" is 64 wide in 40: cut after 5 bytes, then the rest.
    EXPECT_LINE(pane->lines[3], 15, 5, 10, 0, 40, 16, 0x01);
    EXPECT_LINE(pane->lines[4], 20, 3, 10, 0, 24, 16, 0x01);
    EXPECT_EQ(pane->rowCount, 6);  // one gap after "gh"
}

TEST_F(LayoutTest, LabelColumnAndContinuationParagraph) {
    // Reading "ab cd ef gh" with label factor 1 and indent 5: the label column is 16 * 2 / 2.
    // Then a continuation (indent byte 0x47, text starting with a space): indent + 2, no label.
    ASSERT_TRUE(LayOut(0, 0, 60, 200, {{kRtl, 0x45, "hg fe dc ba"}, {kRtl, 0x47, " ji"}}));
    ASSERT_EQ(pane->lineCount, 3);
    // "cd ef" (36) in 60 - 5 - 16 = 39; its stored stretch is "fe dc" at 3..7.
    EXPECT_LINE(pane->lines[0], 2 + 3, 5, 60 - 21 - 36, 16, 36, 16, 0x31);
    // Later lines line up after the label column.
    EXPECT_LINE(pane->lines[1], 2 + 0, 2, 60 - 21 - 16, 0, 16, 16, 0xB1);
    // The continuation, stored " ji" at 16: its reading-order trailing space is measured too.
    EXPECT_LINE(pane->lines[2], 16, 3, 60 - 23 - 20, 0, 20, 16, 0x31);
    EXPECT_EQ(pane->rowCount, 4);
}

TEST_F(LayoutTest, LeftToRightLabelStartsTheLineAtItsWord) {
    ASSERT_TRUE(LayOut(0, 0, 100, 200, {{0x01, 0x83, "1. ab cd"}}));
    // k = 2: label 16 * 3 / 2 = 24; indent 3. The line text "ab cd" (36) starts at 3 + 24.
    ASSERT_EQ(pane->lineCount, 1);
    EXPECT_LINE(pane->lines[0], 2, 5, 27, 24, 36, 16, 0x01);
}

TEST_F(LayoutTest, AlignmentIndentAndCentring) {
    MakePane(20, 0, 100, 200);
    ASSERT_EQ(LayoutText(pane,
                         MakeList({{0x41, 10, "abcd"},    // centred: 20 + 10 + (100-10-32)/2
                                   {0x21, 10, "abcd"},    // right: 20 + 100 - 10 - 32
                                   {0x01, 10, "abcd"},    // left: 20 + 10
                                   {0x01, 0x3F, "ab"}}),  // 63 < 100 stays
                         true),
              kLayoutDone);
    EXPECT_EQ(pane->lines[0].x, 59);
    EXPECT_EQ(pane->lines[1].x, 78);
    EXPECT_EQ(pane->lines[2].x, 30);
    EXPECT_EQ(pane->lines[3].x, 83);
    ResizePane(pane, 60, 200);  // now 63 >= 60: no indent
    EXPECT_EQ(pane->lines[3].x, 20);
}

TEST_F(LayoutTest, SeparatorsOfFixedAndPercentLength) {
    MakePane(0, 0, 300, 400);
    ASSERT_EQ(LayoutText(pane,
                         MakeList({{0x81, 0, "a"},
                                   {0xA7, 200, ""},  // 80 % of 300, right aligned
                                   {0x87, 0, ""},    // no line at all
                                   {0xC7, 255, ""},  // 190 %: limited to the pane
                                   {0x07, 50, ""}}),
                         true),
              kLayoutDone);
    ASSERT_EQ(pane->lineCount, 4);
    EXPECT_LINE(pane->lines[1], 6, 0, 60, 0, 240, 16, 0xA7);
    EXPECT_LINE(pane->lines[2], 12, 0, 0, 0, 300, 16, 0xC7);
    EXPECT_LINE(pane->lines[3], 15, 0, 0, 0, 50, 16, 0x07);
    EXPECT_EQ(pane->rowCount, 7);  // gaps after "a", the 240 rule and the 300 rule
}

TEST_F(LayoutTest, EmptyRecordsAndBadLists) {
    MakePane(0, 0, 100, 200);
    uint8_t* empty = MakeList({{0x81, 0, ""}});
    EXPECT_EQ(LayoutText(pane, empty, true), kLayoutBadList);
    EXPECT_EQ(pane->text, nullptr);  // not taken
    HeapFreeBlock(empty);
    uint8_t* none = MakeList({});
    EXPECT_EQ(LayoutText(pane, none, true), kLayoutBadList);
    HeapFreeBlock(none);
    EXPECT_EQ(LayoutText(pane, nullptr, true), kLayoutNoList);
    EXPECT_EQ(LayoutText(nullptr, nullptr, true), kLayoutNoPane);

    // A record of spaces only makes no line and no gap; so does an empty one after the first.
    ASSERT_EQ(
        LayoutText(pane,
                   MakeList({{0x81, 0, "ab"}, {0x81, 0, "   "}, {0x81, 0, ""}, {0x01, 0, "cd"}}),
                   true),
        kLayoutDone);
    ASSERT_EQ(pane->lineCount, 2);
    EXPECT_EQ(pane->lines[1].offset, 16);
    EXPECT_EQ(pane->rowCount, 3);
}

TEST_F(LayoutTest, LabelOfARecordWithoutLinesDoesNotLeakIntoTheNext) {
    ASSERT_TRUE(LayOut(0, 0, 100, 200, {{0x81, 0x40, " "}, {0x01, 0, "ab"}}));
    ASSERT_EQ(pane->lineCount, 1);
    EXPECT_EQ(pane->lines[0].labelWidth, 0);
    EXPECT_EQ(pane->lines[0].x, 0);
}

TEST_F(LayoutTest, PaneNarrowerThanACharacterStillMakesProgress) {
    // Width 5: no letter fits. Each line takes one letter with the vowel point after it.
    ASSERT_TRUE(LayOut(0, 0, 5, 200,
                       {{0x11, 0,
                         "b\x16"
                         "a"}}));
    // Reversed copy "a", point, "b": the first line is "a" with its point (stored 1..2).
    ASSERT_EQ(pane->lineCount, 2);
    EXPECT_EQ(pane->lines[0].offset, 2 + 1);
    EXPECT_EQ(pane->lines[0].count, 2);
    EXPECT_EQ(pane->lines[1].offset, 2 + 0);
    EXPECT_EQ(pane->lines[1].count, 1);
}

TEST_F(LayoutTest, TableGrowsBy128AndAlwaysKeepsItsTerminator) {
    MakePane(0, 0, 8, 200, 2);
    ASSERT_EQ(LayoutText(pane, MakeList({{0x01, 0, "a"}, {0x01, 0, "b"}}), true), kLayoutDone);
    EXPECT_EQ(pane->capacity, 2);  // exactly full, the terminator still fits
    EXPECT_EQ(pane->lines[2].style, 0);
    ASSERT_EQ(LayoutText(pane, MakeList({{0x01, 0, "abc"}}), true), kLayoutDone);
    EXPECT_EQ(pane->capacity, 130);
    EXPECT_EQ(pane->lineCount, 3);
    EXPECT_EQ(pane->lines[2].offset, 4);
}

TEST_F(LayoutTest, OutOfMemoryKeepsTheLinesMadeSoFarTerminated) {
    // A first layout makes the style fonts, the conversion buffer and the reversal scratch.
    MakePane(0, 0, 100, 200, 2);
    ASSERT_EQ(LayoutText(pane, MakeList({{0x91, 0, "abcdef"}, {0x81, 0, "abcdef"}}), true),
              kLayoutDone);
    pane->width = 8;  // narrower without a relayout: the table stays at 2 entries
    uint8_t* list = MakeList({{0x81, 0, "abc"}});
    SetHeapFailure(1);  // the growth of the table
    EXPECT_EQ(LayoutText(pane, list, true), kLayoutNoMemory);
    SetHeapFailure(0);
    EXPECT_EQ(pane->lineCount, 2);
    EXPECT_EQ(pane->lines[2].style, 0);
    EXPECT_EQ(pane->lines[1].style, 0x01);
    EXPECT_EQ(pane->rowCount, 2);
    ASSERT_NE(pane->text, nullptr);  // the pane keeps the list, so nothing leaks

    // A reversed copy that cannot be had also ends the layout with a terminated table.
    ReleaseLayoutScratch();
    list = MakeList({{0x81, 0, "ab"}, {0x11, 0, "cd"}});
    SetHeapFailure(1);
    EXPECT_EQ(LayoutText(pane, list, true), kLayoutNoMemory);
    SetHeapFailure(0);
    EXPECT_EQ(pane->lineCount, 2);
    EXPECT_EQ(pane->lines[2].style, 0);
}

TEST_F(LayoutTest, MaxFirstRowLeavesNoPartlyVisibleLine) {
    // Rows: a, gap, b, gap, c. Pane 40 high: from the bottom c (16) and the gap and b do not
    // both fit (16 + 16 + 16 > 40), a gap half in view is not counted.
    ASSERT_TRUE(LayOut(0, 0, 100, 40, {{0x81, 0, "a"}, {0x81, 0, "b"}, {0x81, 0, "c"}}));
    EXPECT_EQ(pane->rowCount, 5);
    // c (left 24), b (left 8) then its gap (-8): f = 3 - 1 = 2.
    EXPECT_EQ(pane->maxFirstRow, 3);
    ResizePane(pane, 100, 48);  // c, b and b's gap fit exactly: f = 3
    EXPECT_EQ(pane->maxFirstRow, 2);
    EXPECT_EQ(ResizePane(pane, 0, 48), kResizeEmpty);
    EXPECT_EQ(pane->height, 48);
    EXPECT_EQ(ResizePane(nullptr, 10, 10), -1);
}

TEST_F(LayoutTest, LayingTheShownListOutAgainWithReleaseKeepsIt) {
    MakePane(0, 0, 100, 40);
    uint8_t* list = MakeList({{0x81, 0, "ab"}});
    ASSERT_EQ(LayoutText(pane, list, true), kLayoutDone);
    pane->markStart = 2;
    pane->markEnd = 3;
    ASSERT_EQ(LayoutText(pane, list, true), kLayoutDone);
    EXPECT_EQ(pane->text, list);
    EXPECT_EQ(pane->lines[0].count, 2);
    EXPECT_EQ(pane->markStart, 0);  // a layout clears the highlight
    EXPECT_EQ(pane->markEnd, 0);
}

}  // namespace
