// The Bookmark command end to end: its check mark in the real "Go" menu, the Bookmarks section
// at the top of the next table of contents, and the list across a restart.
#include "bookmarks/bookmarks.h"
#include "index/choose_article.h"
#include "index/index_view.h"
#include "platform/bars/menu.h"
#include "shell/menu_bar.h"
#include "support/reader_run.h"

namespace {

class BookmarkCommandTest : public ReaderRunTest {
protected:
    void SetUp() override {
        ReaderRunTest::SetUp();
        StoreFont();
    }
};

bool Checked() {
    return MenuChecked(GoMenu(), kCommandBookmark);
}

TEST_F(BookmarkCommandTest, TheCheckMarkFollowsTheArticleAndTheListSurvivesARestart) {
    Run({
        [&] { Command(109); },
        [&] {
            EXPECT_EQ(App.Lesson, 3);
            EXPECT_FALSE(Checked());
            Command(kCommandBookmark);
        },
        [&] {
            EXPECT_TRUE(Checked());
            EXPECT_EQ(App.BookmarkCount, 1);
            Command(109);
        },
        [&] {
            EXPECT_EQ(App.Lesson, 5);
            EXPECT_FALSE(Checked());
            Command(kCommandChooseArticle);
        },
        [&] {
            // The section comes first: its open heading, then the entry for article 3 with the
            // text of the index's own entry.
            const IndexView* v = OpenIndexView();
            ASSERT_NE(v, nullptr);
            EXPECT_EQ(v->lines[0].key, 0x8877);
            EXPECT_EQ(v->lines[0].flags, 0xC1);
            EXPECT_EQ(v->lines[1].key, 0x4003);
            int own = 2;
            while (v->lines[own].flags && v->lines[own].key != 0x4003) ++own;
            ASSERT_NE(v->lines[own].flags, 0);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(v->list + v->lines[1].offset),
                                  v->lines[1].count),
                      std::string(reinterpret_cast<const char*>(v->list + v->lines[own].offset),
                                  v->lines[own].count));
            // A tap on the bookmark goes to its article.
            POINT p{v->lines[1].x + 2, PaintedIndexLineTop(v, 1) + 2};
            ClientToScreen(Dialog(), &p);
            screen.host().Tap(p.x, p.y);
        },
        [&] {
            EXPECT_EQ(App.Lesson, 3);
            EXPECT_TRUE(Checked());
        },
    });
    EXPECT_TRUE(Has("\"Bookmarks\"=hex:03,00,00,00"));
    EXPECT_EQ(App.BookmarkList, nullptr);  // freed at exit

    Run({[&] {
        EXPECT_EQ(App.Lesson, 3);
        EXPECT_EQ(App.BookmarkCount, 1);
        EXPECT_TRUE(Checked());  // set when the window was created
    }});
}

TEST_F(BookmarkCommandTest, NoKeepsTheBookmarkAndItsCheckMarkYesRemovesIt) {
    Store(std::string(kFont) + "\"Lesson\"=dword:00000003\n\"Bookmarks\"=hex:03,00,05,00,00,00\n");
    Run({
        [&] {
            EXPECT_TRUE(Checked());
            screen.messageBoxAnswer = IDNO;
            Command(kCommandBookmark);
        },
        [&] {
            ASSERT_EQ(screen.messageBoxes.size(), 1u);
            EXPECT_EQ(screen.messageBoxes[0].caption, u"Bookmark");
            EXPECT_TRUE(Checked());
            screen.messageBoxAnswer = IDYES;
            Command(kCommandBookmark);
        },
        [&] {
            EXPECT_FALSE(Checked());
            EXPECT_EQ(App.BookmarkCount, 1);
        },
    });
    EXPECT_TRUE(Has("\"Bookmarks\"=hex:05,00,00,00"));
}

// With the shell's menu bar at the bottom the "Go" menu is the bar button's pop-up.
TEST_F(BookmarkCommandTest, TheCheckMarkWorksWithTheMenuBarAtTheBottom) {
    Store(kFont, "\"MenuBarOnBottom\"=dword:00000001\n");
    Run({
        [&] {
            EXPECT_EQ(App.MenuBarOnBottom, 1);
            EXPECT_FALSE(Checked());
            Command(kCommandBookmark);
        },
        [&] {
            EXPECT_TRUE(Checked());
            EXPECT_EQ(UpdateBookmarkCheck(1), 1);
            Command(110);
        },
        [&] { EXPECT_FALSE(Checked()); },
    });
}

// What a person sees: opening "Go" shows a tick beside "Bookmark" while the article is
// bookmarked, and none after it was removed; nothing else in the menu changes.
TEST_F(BookmarkCommandTest, TheTickIsDrawnBesideTheItem) {
    std::vector<uint32_t> with, without;
    RECT menu{};
    auto grab = [&](std::vector<uint32_t>& out, const char* shot) {
        HWND popup = OpenPopupMenuWindow();
        ASSERT_NE(popup, nullptr);
        GetWindowRect(popup, &menu);
        const std::vector<uint32_t> all = screen.host().Pixels();
        const int w = screen.host().ScreenWidth();
        for (int y = menu.top; y < menu.bottom; ++y)
            for (int x = menu.left; x < menu.right; ++x)
                out.push_back(all[size_t(y * w + x)] | uint32_t(x - menu.left) << 24);
        screen.host().SavePng((dir / shot).string());
        screen.host().Key(VK_ESCAPE);
    };
    auto openGo = [&] {
        RECT button;
        ASSERT_TRUE(FindBarButton(App.MenuBar, u"Go", &button));
        screen.host().Tap((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    };
    Run({
        [&] { Command(kCommandBookmark); },
        [&] { openGo(); },
        [&] { grab(with, "go-checked.png"); },
        [&] {
            screen.messageBoxAnswer = IDYES;
            Command(kCommandBookmark);
        },
        [&] { openGo(); },
        [&] { grab(without, "go-unchecked.png"); },
    });
    ASSERT_EQ(with.size(), without.size());
    ASSERT_FALSE(with.empty());
    const size_t perRow = with.size() / size_t(menu.bottom - menu.top);
    int differing = 0, maxX = 0, minY = 1 << 20, maxY = 0;
    for (size_t i = 0; i < with.size(); ++i) {
        if (with[i] == without[i]) continue;
        ++differing;
        const int x = int(with[i] >> 24), y = int(i / perRow);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
        EXPECT_NE(with[i] & 0xFFFFFF, 0xFFFFFFu);  // the tick adds dark pixels
    }
    EXPECT_GT(differing, 5);
    EXPECT_LT(maxX, 16);         // in the check column at the left
    EXPECT_LT(maxY - minY, 16);  // on one item's row
}

}  // namespace
