// The index view's layout, table growth, scroll limits and painting, with hand-worked geometry
// from the synthetic font.
#include "index_fixture.h"

namespace {

using IndexViewTest = IndexFixture;

// View 100 wide, indent 1 (13 px), so 87 px for the text. The reversed copy "cccc bbbb aaaa"
// fits "cccc bbbb a" (80 px) but that ends inside a word: the first line is "cccc bbbb", 68 px,
// which is the end of the stored text (offset 4 + 5). The second line is "aaaa", 32 px.
TEST_F(IndexViewTest, AWrappedRecordStartsWithTheEndOfItsStoredText) {
    NewView(0, 0, 100, 200);
    uint8_t* list = MakeIndex({{0x4003, 0x81, 1, "aaaa bbbb cccc"}, {0x8005, 0x09, 0, "dd"}});
    ASSERT_EQ(LayoutIndex(view, list, false), kIndexLaidOut);
    ASSERT_EQ(view->lineCount, 3);
    EXPECT_EQ(Line(0).offset, 4 + 5);
    EXPECT_EQ(Line(0).count, 9);
    EXPECT_EQ(Line(0).width, 68);
    EXPECT_EQ(Line(0).x, 100 - 13 - 68);
    EXPECT_EQ(Line(1).offset, 4);
    EXPECT_EQ(Line(1).count, 4);
    EXPECT_EQ(Line(1).width, 32);
    EXPECT_EQ(Line(1).x, 100 - 13 - 32);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Line(i).key, 0x4003);
        EXPECT_EQ(Line(i).flags, 0x81);
        EXPECT_EQ(Line(i).height, 16);
        EXPECT_EQ(Margin(i), 13);
    }
    EXPECT_TRUE(ContinuesIndexRecord(view, 1));
    // The heading is bold: 9 px letters, no indent; it is not shown, so it is no row.
    EXPECT_EQ(Line(2).width, 18);
    EXPECT_EQ(Line(2).x, 100 - 18);
    EXPECT_EQ(Line(2).offset, 4 + 15 + 4);
    EXPECT_FALSE(ContinuesIndexRecord(view, 2));
    EXPECT_EQ(Line(3).flags, 0);
    EXPECT_EQ(view->rowCount, 2);
    EXPECT_EQ(view->list, list);
}

TEST_F(IndexViewTest, AnEmptyFirstRecordIsRefusedAndAMissingListReportsTwo) {
    ASSERT_TRUE(LayOut(100, 200, {{0x4001, 0x81, 0, "ab"}}));
    view->firstRow = 1;
    uint8_t* empty = MakeIndex({{0x4001, 0x81, 0, ""}, {0x4002, 0x81, 0, "cd"}});
    EXPECT_EQ(LayoutIndex(view, empty, true), kIndexBadList);
    HeapFreeBlock(empty);
    uint8_t* styleZero = MakeIndex({{0x4001, 0x00, 0, "ab"}});
    EXPECT_EQ(LayoutIndex(view, styleZero, true), kIndexBadList);
    HeapFreeBlock(styleZero);
    // The old list, lines and scroll position stay; the counts are 0.
    EXPECT_NE(view->list, nullptr);
    EXPECT_EQ(view->lineCount, 1);
    EXPECT_EQ(view->firstRow, 1);
    EXPECT_EQ(view->rowCount, 0);
    EXPECT_EQ(LayoutIndex(view, nullptr, true), kIndexNoList);
    EXPECT_EQ(view->list, nullptr);
    EXPECT_EQ(PaintIndex(view, true), -1);
    EXPECT_EQ(LayoutIndex(nullptr, nullptr, false), kIndexNoView);
    EXPECT_EQ(PaintIndex(nullptr, true), -1);
    EXPECT_EQ(ScrollIndex(nullptr, 1, 1, true), -1);
}

TEST_F(IndexViewTest, AnIndentAsWideAsTheViewIsDroppedAndALongWordIsCut) {
    ASSERT_TRUE(LayOut(40, 200, {{0x4001, 0x81, 4, "ab"}, {0x4002, 0x81, 0, "cccccccccc"}}, 10));
    // 4 x 13 = 52 >= 40: no indent.
    EXPECT_EQ(Line(0).x, 10 + 40 - 16);
    // Ten letters, 80 px, in a view of 40: five letters a line, cut inside the word.
    ASSERT_EQ(view->lineCount, 3);
    EXPECT_EQ(Line(1).count, 5);
    EXPECT_EQ(Line(2).count, 5);
    EXPECT_EQ(Line(1).offset, 4 + 3 + 4 + 5);
    EXPECT_EQ(Line(2).offset, 4 + 3 + 4);
}

// A view narrower than one letter: each line takes one character (with its vowel point), its
// rectangle cut to the room there is, so its right margin is still the record's indent.
TEST_F(IndexViewTest, AViewTooNarrowForOneCharacterStillMakesProgress) {
    ASSERT_TRUE(LayOut(20, 200,
                       {{0x4001, 0x81, 1,
                         "bc d\x16"
                         "a"}}));  // the point before its letter
    // Reading order: the point's letter, then d, then c, b; the space is no line.
    ASSERT_EQ(view->lineCount, 4);
    EXPECT_EQ(Line(0).count, 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Margin(i), 13) << "line " << i;
        EXPECT_EQ(Line(i).width, 7) << "line " << i;
        EXPECT_GT(Line(i).count, 0);
    }
    view->width = 0;
    EXPECT_EQ(LayoutIndex(view, view->list, false), kIndexLaidOut);
    EXPECT_EQ(view->lineCount, 4);
    EXPECT_EQ(Line(0).width, 0);
}

TEST_F(IndexViewTest, TheLineTableGrowsInStepsOf128) {
    NewView(0, 0, 200, 100);
    auto bytes = ManyIndexBytes(300, [](int i) {
        return IndexRec{uint16_t(0x4000 + i % 26 + 1), 0x81, 0, "ab"};
    });
    ASSERT_EQ(LayoutIndex(view, HeapList(bytes), false), kIndexLaidOut);
    EXPECT_EQ(view->lineCount, 300);
    EXPECT_EQ(view->capacity, 100 + 128 + 128);
    EXPECT_EQ(view->rowCount, 300);
    EXPECT_EQ(Line(300).flags, 0);
    EXPECT_EQ(Line(299).offset, 299 * 7 + 4);
    // 100 px hold six lines of 16.
    EXPECT_EQ(view->maxFirstRow, 294);

    // A view without a table starts with 128 entries.
    RECT r{0, 0, 200, 100};
    IndexView* bare = CreateIndexView(dc, &r, &font, 0);
    ASSERT_EQ(LayoutIndex(bare, HeapList(bytes), false), kIndexLaidOut);
    EXPECT_EQ(bare->capacity, 128 + 128 + 128);
    DestroyIndexView(bare, true);
}

// Every allocation of a layout may fail: the program has been told ("There is not enough
// memory, aborting"), and nothing is left behind. A failed line table or scratch copy ends the
// table at the last complete line; a failed style font entry leaves the font that is selected.
TEST_F(IndexViewTest, RunningOutOfMemoryEndsTheTableAtTheLastCompleteLine) {
    auto bytes = ManyIndexBytes(150, [](int i) {
        return IndexRec{uint16_t(0x4001 + i % 26), uint8_t(i % 2 ? 0x81 : 0x89), 0, "ab cd"};
    });
    // The shared conversion buffer is made on first use and kept; make it before counting.
    NewView(0, 0, 200, 100);
    ASSERT_EQ(LayoutIndex(view, HeapList(bytes), false), kIndexLaidOut);
    NewView(0, 0, 200, 100);
    unsigned path = HeapAllocationCount();
    ASSERT_EQ(LayoutIndex(view, HeapList(bytes), false), kIndexLaidOut);
    path = HeapAllocationCount() - path - 1;
    int cut = 0;
    for (unsigned n = 1; n <= path + 2; ++n) {
        DestroyIndexView(view, true);
        view = nullptr;
        const long before = HeapBlocksInUse();
        screen.messageBoxes.clear();
        NewView(0, 0, 200, 100);
        uint8_t* list = HeapList(bytes);
        SetHeapFailure(n);
        const uint16_t r = LayoutIndex(view, list, false);
        SetHeapFailure(0);
        DrainQueue();
        ASSERT_NE(view->lines, nullptr);
        EXPECT_EQ(Line(view->lineCount).flags, 0) << "n = " << n;
        for (int i = 0; i < view->lineCount; ++i) EXPECT_EQ(Line(i).count, 5);
        if (r == kIndexLaidOut) {
            EXPECT_EQ(view->lineCount, 150);
        } else {
            ASSERT_EQ(r, kIndexNoMemory);
            EXPECT_LT(view->lineCount, 150);
            ++cut;
        }
        const bool told = screen.messageBoxes.size() == 1 &&
                          screen.messageBoxes[0].text == u"There is not enough memory, aborting";
        EXPECT_EQ(told, n <= path) << "n = " << n;
        DestroyIndexView(view, true);
        view = nullptr;
        EXPECT_EQ(HeapBlocksInUse(), before) << "n = " << n;
    }
    // 150 scratch copies and one growth of the table.
    EXPECT_EQ(cut, 151);
}

TEST_F(IndexViewTest, MaxFirstRowCountsShownLinesAndScrollingStopsThere) {
    ASSERT_TRUE(LayOut(200, 50,
                       {{0x4001, 0x81, 0, "a"},
                        {0x4002, 0x01, 0, "b"},
                        {0x4003, 0x81, 0, "c"},
                        {0x4004, 0x81, 0, "d"},
                        {0x4005, 0x81, 0, "e"},
                        {0x4006, 0x81, 0, "f"}}));
    // Five shown lines of 16 in 50 px: three fit.
    EXPECT_EQ(view->rowCount, 5);
    EXPECT_EQ(view->maxFirstRow, 2);
    view->rowsPainted = -7;
    EXPECT_EQ(ScrollIndex(view, -1, 1, true), 1);  // already at the top: no paint
    EXPECT_EQ(view->rowsPainted, -7);
    EXPECT_EQ(ScrollIndex(view, 100, 1, true), 0);
    EXPECT_EQ(view->firstRow, 2);
    EXPECT_EQ(view->rowsPainted, 3);
    // Without clamp a position up to rowCount is kept; painting keeps it too.
    EXPECT_EQ(ScrollIndex(view, 2, 0, false), 1);
    EXPECT_EQ(view->firstRow, 4);
    PaintIndex(view, true);
    EXPECT_EQ(view->firstRow, 4);
    EXPECT_EQ(view->rowsPainted, 1);
    // Beyond rowCount, painting pulls it back to maxFirstRow.
    view->firstRow = 9;
    PaintIndex(view, true);
    EXPECT_EQ(view->firstRow, 2);
    // The top line is found by passing firstRow shown lines: the hidden "b" is passed over.
    view->firstRow = 1;
    EXPECT_EQ(FindIndexTopLine(view), 1);
    EXPECT_EQ(PaintedIndexLineTop(view, 1), -1);
    EXPECT_EQ(PaintedIndexLineTop(view, 2), 0);
    EXPECT_EQ(PaintedIndexLineTop(view, 4), 32);
    EXPECT_EQ(PaintedIndexLineTop(view, 5), -1);  // does not fit
}

TEST_F(IndexViewTest, WithEveryLineHiddenPaintingOnlyErases) {
    ASSERT_TRUE(LayOut(200, 50, {{0x4001, 0x01, 0, "abc"}}));
    EXPECT_EQ(view->rowCount, 0);
    EXPECT_EQ(view->maxFirstRow, 0);
    RECT dirt{0, 0, 200, 50};
    FillRect(dc, &dirt, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(PaintIndex(view, true), 0);
    EXPECT_EQ(view->rowsPainted, 0);
    for (int y = 0; y < 50; y += 7)
        for (int x = 0; x < 200; x += 9) ASSERT_FALSE(Dark(x, y)) << x << "," << y;
}

// Markers go 4 px right of the text, once per record, vertically centred on a 16 px line
// ((16 - 9) / 2 = 3); the outermost line's marker lies in the zone right of the view.
TEST_F(IndexViewTest, EachRecordGetsItsMarkerOnItsFirstPaintedLine) {
    ASSERT_TRUE(LayOut(
        100, 64,
        {{0x8001, 0xC9, 0, "gg"}, {0x4003, 0x81, 1, "aaaa bbbb cccc"}, {0x8002, 0x89, 1, "hh"}}));
    ASSERT_EQ(PaintIndex(view, true), 0);
    EXPECT_EQ(view->rowsPainted, 4);
    auto markerX = [&](int i) { return Line(i).x + Line(i).width + 4; };
    EXPECT_EQ(markerX(0), 104);
    EXPECT_EQ(MarkerAt(markerX(0), 3), '-');       // open heading
    EXPECT_EQ(MarkerAt(markerX(1), 16 + 3), 'p');  // entry
    EXPECT_EQ(MarkerAt(markerX(2), 32 + 3), ' ');  // its second line has none
    EXPECT_EQ(MarkerAt(markerX(3), 48 + 3), '+');  // closed heading
    // Text: the first letter cell of the entry's first line is dark.
    EXPECT_TRUE(Dark(Line(1).x + 1, 16 + 10));
    // Two lines high and scrolled by two, the entry's second line is on top and gets the
    // marker; the heading's old marker in the zone right of the view is erased.
    ASSERT_EQ(ResizeIndexView(view, 100, 32), kIndexLaidOut);
    EXPECT_EQ(view->maxFirstRow, 2);
    EXPECT_EQ(ScrollIndex(view, 2, 1, true), 0);
    EXPECT_EQ(MarkerAt(markerX(2), 3), 'p');
    EXPECT_EQ(MarkerAt(markerX(3), 16 + 3), '+');
    EXPECT_EQ(MarkerAt(104, 3), ' ');
}

}  // namespace
