// The table of contents from the keyboard, through the real dialog: random key scripts over the
// built-in index (with a Bookmarks section) at several screen sizes, each key checked against
// what it must do to the outline, and the keys' table by hand.
#include "index/index_keys.h"

#include <functional>
#include <random>
#include <vector>

#include "index/choose_article.h"
#include "store/records.h"
#include "support/reader_run.h"

namespace {

class IndexKeysTest : public ReaderRunTest {
protected:
    void SetUp() override {
        ReaderRunTest::SetUp();
        // Article 3 bookmarked: the Bookmarks section comes first.
        StoreFont("\"Lesson\"=dword:00000005\n\"Bookmarks\"=hex:03,00,00,00\n");
    }
    const IndexView* View() { return OpenIndexView(); }
};

bool Shown(const IndexView* v, int i) {
    return (v->lines[i].flags & kIndexShown) != 0;
}

// The first lines of the shown entries, top to bottom.
std::vector<int> ShownEntries(const IndexView* v) {
    std::vector<int> starts;
    for (int i = 0; v->lines[i].flags; ++i)
        if (Shown(v, i) && !ContinuesIndexRecord(v, i)) starts.push_back(i);
    return starts;
}

int EntryEnd(const IndexView* v, int start) {
    int i = start + 1;
    while (v->lines[i].flags && ContinuesIndexRecord(v, i)) ++i;
    return i;
}

// The heading above the entry: the nearest shown line before it with a smaller right margin.
int HeadingOf(const IndexView* v, int start) {
    int32_t margin = IndexLineMargin(v, v->lines[start]);
    for (int k = start - 1; k >= 0; --k)
        if (Shown(v, k) && IndexLineMargin(v, v->lines[k]) < margin) {
            while (k > 0 && ContinuesIndexRecord(v, k)) --k;
            return k;
        }
    return -1;
}

bool IsHeading(const IndexView* v, int i) {
    return (v->lines[i].key & kGroupHeadingKey) != 0;
}
bool IsOpen(const IndexView* v, int i) {
    return (v->lines[i].flags & kIndexOpen) != 0;
}

int Position(const std::vector<int>& starts, int line) {
    for (size_t k = 0; k < starts.size(); ++k)
        if (starts[k] == line) return int(k);
    return -1;
}

// The keys, from any current entry, at any size: each moves the current entry where it must, a
// wrapped entry as one; the current entry stays shown whole and is drawn on the selection band.
TEST_F(IndexKeysTest, RandomKeyScriptsMoveTheCurrentEntryAsEachKeyMust) {
    const unsigned keys[] = {VK_UP,   VK_DOWN, VK_PRIOR, VK_NEXT,     VK_HOME,
                             VK_END,  VK_LEFT, VK_RIGHT, VK_OEM_PLUS, VK_OEM_MINUS,
                             VK_DOWN, VK_DOWN, VK_RIGHT, VK_UP};
    const SIZE sizes[] = {{240, 320}, {320, 240}, {200, 520}, {480, 360}};
    std::mt19937 random(28);
    int checked = 0;
    for (const SIZE& size : sizes) {
        std::vector<std::function<void()>> steps;
        steps.push_back([&, size] {
            screen.host().Resize(size.cx, size.cy);
            Command(kCommandChooseArticle);
        });
        // The dialog opens on the current article's entry.
        steps.push_back([&] {
            const IndexView* v = View();
            ASSERT_NE(v, nullptr);
            int current = IndexCurrentLine(v);
            ASSERT_GE(current, 0);
            EXPECT_EQ(v->lines[current].key, kArticleEntryKey | 5);
        });
        struct Before {
            std::vector<int> starts;
            int current = -1;
            bool heading = false, open = false;
            unsigned key = 0;
        };
        auto before = std::make_shared<Before>();
        for (int n = 0; n < 70; ++n) {
            unsigned key = keys[random() % std::size(keys)];
            steps.push_back([&, key, before] {
                const IndexView* v = View();
                ASSERT_NE(v, nullptr) << "the dialog closed";
                if (before->key) {
                    SCOPED_TRACE(testing::Message() << "key " << before->key << " size " << v->width
                                                    << "x" << v->height);
                    const std::vector<int>& was = before->starts;
                    const int at = Position(was, before->current);
                    const int now = IndexCurrentLine(v);
                    ASSERT_GE(at, 0);
                    ASSERT_GE(now, 0);
                    switch (before->key) {
                        case VK_DOWN:
                            EXPECT_EQ(now, was[size_t(std::min<int>(at + 1, int(was.size()) - 1))]);
                            break;
                        case VK_UP:
                            EXPECT_EQ(now, was[size_t(std::max(at - 1, 0))]);
                            break;
                        case VK_HOME:
                            EXPECT_EQ(now, was.front());
                            break;
                        case VK_END:
                            EXPECT_EQ(now, was.back());
                            break;
                        case VK_NEXT:
                        case VK_PRIOR: {
                            int moved = Position(was, now) - at;
                            bool edge =
                                before->key == VK_NEXT ? at + 1 == int(was.size()) : at == 0;
                            if (edge)
                                EXPECT_EQ(moved, 0);
                            else if (before->key == VK_NEXT)
                                EXPECT_GT(moved, 0);
                            else
                                EXPECT_LT(moved, 0);
                            break;
                        }
                        case VK_RIGHT:
                        case VK_OEM_PLUS:
                            if (before->heading && !before->open) {
                                EXPECT_EQ(now, before->current);
                                EXPECT_TRUE(IsOpen(v, now));
                            } else if (!before->heading) {
                                EXPECT_EQ(now, before->current);
                            } else if (now != before->current) {
                                EXPECT_EQ(HeadingOf(v, now), before->current);  // its first entry
                            }
                            break;
                        case VK_LEFT:
                        case VK_OEM_MINUS:
                            if (before->heading && before->open) {
                                EXPECT_EQ(now, before->current);
                                EXPECT_FALSE(IsOpen(v, now));
                            } else {
                                int heading = HeadingOf(v, before->current);
                                EXPECT_EQ(now, heading < 0 ? before->current : heading);
                            }
                            break;
                    }
                    // Shown whole, and drawn as selected (the band left of its text).
                    EXPECT_TRUE(Shown(v, now));
                    EXPECT_FALSE(ContinuesIndexRecord(v, now));
                    for (int i = now; i < EntryEnd(v, now); ++i) {
                        int32_t y = PaintedIndexLineTop(v, i);
                        ASSERT_GE(y, 0) << "line " << i << " of the current entry is not shown";
                        POINT p{v->lines[i].x - 1, y + 1};
                        ClientToScreen(Dialog(), &p);
                        EXPECT_EQ(screen.host().Pixels()[size_t(p.y * size.cx + p.x)], 0x000000u)
                            << "line " << i;
                    }
                    ++checked;
                }
                before->starts = ShownEntries(v);
                before->current = IndexCurrentLine(v);
                before->heading = before->current >= 0 && IsHeading(v, before->current);
                before->open = before->current >= 0 && IsOpen(v, before->current);
                before->key = key;
                screen.host().Key(key);
            });
        }
        steps.push_back([&] { PostMessage(Dialog(), WM_COMMAND, IDCANCEL, 0); });
        Run(steps);
    }
    EXPECT_GE(checked, 4 * 69);
}

}  // namespace
