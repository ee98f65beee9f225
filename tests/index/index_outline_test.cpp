// Outline operations on a laid-out index view: taps, opening and closing groups, revealing an
// article, and keeping the outline across a relayout.
#include <algorithm>

#include "index_fixture.h"

namespace {

using IndexOutlineTest = IndexFixture;

// Lines 16 high: the heading at 0-16, the entries at 16-32 and 32-48, the inner heading 48-64.
// An indented entry "ab" is 16 wide at x = 200 - 13 - 16 = 171; its marker zone ends at 200.
TEST_F(IndexOutlineTest, TapsChooseEntriesToggleHeadingsAndReportTapsBelowTheLines) {
    ASSERT_TRUE(LayOut(200, 100,
                       {{0x8007, 0xC9, 0, "gg"},
                        {0x4003, 0x81, 1, "ab"},
                        {0x4004, 0x81, 1, "cd"},
                        {0x8008, 0x89, 1, "hh"},
                        {0x4005, 0x01, 2, "ef"}}));
    PaintIndex(view, true);
    EXPECT_EQ(HitTestIndex(view, 171, 20), 3);
    EXPECT_EQ(HitTestIndex(view, 171 + 16 + 13, 20), 3);  // the marker's right edge
    EXPECT_EQ(HitTestIndex(view, 171 + 16 + 14, 20), 0);  // right of an entry's marker
    EXPECT_EQ(HitTestIndex(view, 170, 20), 0);            // left of its text
    EXPECT_EQ(HitTestIndex(view, 171, 16), 0);            // y 16 is the heading's, left of its text
    EXPECT_EQ(HitTestIndex(view, 180, 40), 4);
    // Right of the inner heading's marker still toggles it (it opens).
    const int hx = 200 - 13 - 18;
    EXPECT_EQ(HitTestIndex(view, hx + 18 + 14, 50), -8);
    EXPECT_TRUE(Open(3));
    EXPECT_TRUE(Shown(4));
    EXPECT_EQ(HitTestIndex(view, 100, 90), kTapBelowLines);  // below the last line
    EXPECT_EQ(HitTestIndex(view, -1, 20), 0);                // outside the view
    // The outermost heading's marker lies right of the view (200 + 4 .. 213) and answers there.
    EXPECT_EQ(HitTestIndex(view, 213, 5), -7);
    EXPECT_EQ(ShownLines(), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_EQ(view->rowCount, 1);

    // A line that does not fit whole at the bottom is "below the lines" too.
    ASSERT_TRUE(
        LayOut(200, 40, {{0x4001, 0x81, 0, "a"}, {0x4002, 0x81, 0, "b"}, {0x4003, 0x81, 0, "c"}}));
    EXPECT_EQ(HitTestIndex(view, 195, 35), kTapBelowLines);
    EXPECT_EQ(HitTestIndex(view, 195, 20), 2);
    EXPECT_EQ(HitTestIndex(nullptr, 195, 20), 0);
}

// Toggles on a laid-out outline, each with the lines shown after it; the row count follows the
// shown lines (no record here wraps).
struct ToggleCase {
    const char* name;
    std::vector<IndexRec> records;
    struct Step {
        int line;
        int32_t result;  // minus the group number
        std::vector<bool> shown;
        bool open;  // the toggled heading's open bit after it
    };
    std::vector<Step> steps;
};

TEST_F(IndexOutlineTest, TogglingAGroupShowsAndHidesItsLines) {
    const ToggleCase cases[] = {
        // Closing hides the whole group at every depth; opening shows the direct children, an
        // inner heading among them closed (its child stays hidden), so one tap opens it.
        {"nested",
         {{0x8001, 0xC9, 0, "aa"},
          {0x4001, 0x81, 1, "bb"},
          {0x8002, 0xC9, 1, "cc"},
          {0x4002, 0x81, 2, "dd"},
          {0x4003, 0x81, 1, "ee"},
          {0x8003, 0x89, 0, "ff"}},
         {{0, -1, {1, 0, 0, 0, 0, 1}, false},
          {0, -1, {1, 1, 1, 0, 1, 1}, true},
          {2, -2, {1, 1, 1, 1, 1, 1}, true},
          {2, -2, {1, 1, 1, 0, 1, 1}, false}}},
        // A heading whose next line is not indented further takes the following lines at its
        // own margin as its children.
        {"empty group",
         {{0x8001, 0x89, 0, "aa"},
          {0x8002, 0x89, 0, "bb"},
          {0x4001, 0x01, 1, "cc"},
          {0x8003, 0x89, 0, "dd"}},
         {{0, -1, {1, 1, 0, 1}, true}, {0, -1, {1, 0, 0, 0}, false}, {0, -1, {1, 1, 0, 1}, true}}},
    };
    for (const ToggleCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(LayOut(200, 300, c.records));
        const std::vector<bool> first = ShownLines();
        EXPECT_EQ(view->rowCount, std::count(first.begin(), first.end(), true));
        for (size_t k = 0; k < c.steps.size(); ++k) {
            const ToggleCase::Step& step = c.steps[k];
            SCOPED_TRACE("toggle " + std::to_string(k));
            EXPECT_EQ(ToggleIndexGroup(view, step.line), step.result);
            const std::vector<bool> shown = ShownLines();
            EXPECT_EQ(shown, step.shown);
            EXPECT_EQ(Open(step.line), step.open);
            EXPECT_EQ(view->rowCount, std::count(shown.begin(), shown.end(), true));
        }
    }
}

// View 60 wide: the bold heading "aaaa bbbb" (77 px) wraps onto two lines. Its first child is an
// article entry with the heading's own number. The heading's lines are never hidden by its own
// toggle, and the child margin comes from the line after them.
TEST_F(IndexOutlineTest, AWrappedHeadingKeepsItsOwnLinesWhenItsGroupCloses) {
    ASSERT_TRUE(LayOut(60, 300,
                       {{0x8003, 0xC9, 0, "aaaa bbbb"},
                        {0x4003, 0x81, 1, "cc"},
                        {0x4005, 0x81, 1, "dd"},
                        {0x8009, 0x89, 0, "ee"}}));
    ASSERT_EQ(view->lineCount, 5);
    EXPECT_TRUE(ContinuesIndexRecord(view, 1));
    EXPECT_FALSE(ContinuesIndexRecord(view, 2));
    PaintIndex(view, true);
    // A tap on the heading's second line closes the group.
    EXPECT_EQ(HitTestIndex(view, Line(1).x + 2, 20), -3);
    EXPECT_EQ(ShownLines(), (std::vector<bool>{true, true, false, false, true}));
    EXPECT_FALSE(Open(0));
    EXPECT_FALSE(Open(1));
    EXPECT_EQ(view->rowCount, 3);
    EXPECT_EQ(MarkerAt(Line(0).x + Line(0).width + 4, 3), '+');
    EXPECT_EQ(ToggleIndexGroup(view, 0), -3);
    EXPECT_EQ(ShownLines(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_TRUE(Open(1));
    EXPECT_EQ(view->rowCount, 5);
}

TEST_F(IndexOutlineTest, RevealingAnArticleShowsItTheNextRecordAndItsAncestorsOpen) {
    ASSERT_TRUE(LayOut(200, 40,
                       {{0x8001, 0x89, 0, "aa"},
                        {0x8002, 0x49, 1, "bb"},
                        {0x4007, 0x01, 2, "cc"},
                        {0x4008, 0x01, 2, "dd"},
                        {0x4009, 0x01, 2, "ee"},
                        {0x8003, 0x89, 0, "ff"}}));
    EXPECT_EQ(view->rowCount, 2);
    EXPECT_EQ(view->maxFirstRow, 0);
    RevealArticle(view, 2);  // only a group has that number: nothing
    RevealArticle(view, 0);
    EXPECT_EQ(view->rowCount, 2);
    RevealArticle(view, 7);
    EXPECT_EQ(ShownLines(), (std::vector<bool>{true, true, true, true, false, true}));
    // Every ancestor shows a child now: its marker is the minus.
    EXPECT_TRUE(Open(1));
    EXPECT_TRUE(Open(0));
    EXPECT_EQ(view->rowCount, 5);
    EXPECT_EQ(view->maxFirstRow, 3);
    EXPECT_EQ(view->firstRow, 0);
    RevealArticle(view, 7);  // already shown
    EXPECT_EQ(view->rowCount, 5);
}

TEST_F(IndexOutlineTest, TheSavedOutlineComesBackAfterARelayoutButCannotHideStoredLines) {
    ASSERT_TRUE(LayOut(200, 300,
                       {{0x8001, 0x89, 0, "aa"},
                        {0x4001, 0x01, 1, "bb"},
                        {0x8002, 0x01, 1, "cc"},
                        {0x4002, 0x01, 2, "dd"},
                        {0x8003, 0xC9, 0, "ee"},
                        {0x4003, 0x81, 1, "ff"}}));
    ToggleIndexGroup(view, 0);  // open the first group
    ToggleIndexGroup(view, 2);  // and the inner one
    ToggleIndexGroup(view, 4);  // close the last
    const std::vector<bool> before = ShownLines();
    EXPECT_EQ(before, (std::vector<bool>{true, true, true, true, true, false}));
    uint16_t* saved = SaveIndexState(view);
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(ResizeIndexView(view, 180, 300), kIndexLaidOut);
    EXPECT_EQ(view->rowCount, 3);  // the stored state
    EXPECT_EQ(RestoreIndexState(view, saved), 0);
    HeapFreeBlock(saved);
    EXPECT_EQ(ShownLines(), (std::vector<bool>{true, true, true, true, true, true}));
    EXPECT_TRUE(Open(0));
    EXPECT_TRUE(Open(2));
    EXPECT_TRUE(Open(4));  // stored open: restoring only ever sets bits
    EXPECT_EQ(view->rowCount, 6);
    EXPECT_EQ(RestoreIndexState(view, nullptr), -1);
}

}  // namespace
