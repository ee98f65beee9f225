// Scrolling by rows and to byte offsets. Six one-letter paragraphs in a pane 40 high: 11 rows
// (6 lines, 5 gaps), maxFirstRow 9.
#include "text/scroll.h"

#include "text_fixture.h"

namespace {

class ScrollTest : public TextFixture {
protected:
    void SetUp() override {
        TextFixture::SetUp();
        ASSERT_TRUE(LayOut(0, 0, 100, 40,
                           {{0x81, 0, "a"},
                            {0x81, 0, "b"},
                            {0x81, 0, "c"},
                            {0x81, 0, "d"},
                            {0x81, 0, "e"},
                            {0x81, 0, "f"}}));
        ASSERT_EQ(pane->rowCount, 11);
        ASSERT_EQ(pane->maxFirstRow, 9);
    }
};

TEST_F(ScrollTest, BackwardsStopsAtZero) {
    pane->firstRow = 3;
    EXPECT_EQ(ScrollPane(pane, -5, false, true), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 0);
    EXPECT_EQ(ScrollPane(pane, -1, false, true), kScrollUnchanged);
    EXPECT_EQ(ScrollPane(nullptr, 1, false, true), -1);
}

TEST_F(ScrollTest, LimitStopsForwardStepsFromTheEnd) {
    pane->firstRow = 9;
    pane->rowsPainted = 77;
    EXPECT_EQ(ScrollPane(pane, 1, true, true), kScrollUnchanged);
    EXPECT_EQ(pane->rowsPainted, 77);  // nothing was painted
    // A step that starts before the end may end beyond it, up to rowCount.
    pane->firstRow = 8;
    EXPECT_EQ(ScrollPane(pane, 2, false, true), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 10);
    EXPECT_EQ(ScrollPane(pane, 1, false, true), kScrollUnchanged);
    EXPECT_EQ(pane->firstRow, 10);
}

TEST_F(ScrollTest, WithoutLimitAnyRowUpToRowCount) {
    pane->firstRow = 5;
    EXPECT_EQ(ScrollPane(pane, 6, false, false), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 11);
    pane->firstRow = 0;
    EXPECT_EQ(ScrollPane(pane, 20, false, false), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 9);  // past rowCount: maxFirstRow
}

TEST_F(ScrollTest, RepaintOnlyWhenMoved) {
    pane->firstRow = 4;
    pane->rowsPainted = 77;
    EXPECT_EQ(ScrollPane(pane, 0, true, true), kScrollUnchanged);
    EXPECT_EQ(pane->rowsPainted, 77);
    EXPECT_EQ(ScrollPane(pane, 2, true, true), 0);  // PaintPane's result
    EXPECT_EQ(pane->firstRow, 6);
    EXPECT_EQ(pane->rowsPainted, 2);  // "d" and its gap, then "e" would be cut
}

// Line i sits at row 2i, its gap at 2i + 1. A step of one row between a gap and the line below
// it would leave that line first; it goes on a row.
TEST_F(ScrollTest, OneRowStepsPassOverAGapAndTheLineBelowIt) {
    pane->firstRow = 0;
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 1);  // "a" went: the gap is on top, "b" below it
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 3);  // row 2 would have left "b" first again
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, -1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 2);  // "b" came back
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, -1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 0);  // row 1 would have left "b" first
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, -1), kScrollUnchanged);
    EXPECT_EQ(pane->firstRow, 0);
    // Longer steps are taken as they are, a gap on top or not.
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 3), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 3);
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, -2), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 1);
    // Near the end the limit holds: from the gap before "e" to the gap after it, and no further.
    pane->firstRow = 7;
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 9);
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollUnchanged);
    EXPECT_EQ(pane->firstRow, 9);
    EXPECT_EQ(ScrollPaneByRowOrLine(nullptr, 1), -1);
}

// Rows: "a" 0, its gap 1, a rule 2, "b" 3, its gap 4, "c" 5, its gap 6, "d" 7. A rule is
// shown: a gap above it is stepped as any row.
class RuleScrollTest : public TextFixture {};

TEST_F(RuleScrollTest, AGapAboveARuleIsARowOfItsOwn) {
    ASSERT_TRUE(
        LayOut(0, 0, 100, 40,
               {{0x81, 0, "a"}, {0x27, 50, ""}, {0x81, 0, "b"}, {0x81, 0, "c"}, {0x81, 0, "d"}}));
    ASSERT_GE(pane->maxFirstRow, 6);
    pane->firstRow = 1;
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 2);
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, -1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 1);
    pane->firstRow = 2;
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 3);  // "b" after the rule
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 4);
    EXPECT_EQ(ScrollPaneByRowOrLine(pane, 1), kScrollMoved);
    EXPECT_EQ(pane->firstRow, 6);  // past the gap and "c"
}

TEST_F(ScrollTest, ScrollToOffsetFindsTheLineWithTheEndInclusive) {
    // Line i shows byte 2 + 4i and sits at row 2i.
    EXPECT_EQ(ScrollToOffset(pane, 3), 1);  // just past "a"
    EXPECT_EQ(pane->firstRow, 0);
    EXPECT_EQ(ScrollToOffset(pane, 14), 1);
    EXPECT_EQ(pane->firstRow, 6);
    EXPECT_EQ(ScrollToOffset(pane, 22), 1);
    EXPECT_EQ(pane->firstRow, 9);           // row 10 capped at maxFirstRow
    EXPECT_EQ(ScrollToOffset(pane, 5), 0);  // a record header: no line holds it
    EXPECT_EQ(pane->firstRow, 9);
    EXPECT_EQ(ScrollToOffset(pane, 500), 0);
}

}  // namespace
