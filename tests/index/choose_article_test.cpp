// The Choose Article dialog end to end: the real reader on the headless host, opened by command
// 119, Ctrl+D and a second start, driven by taps, keys and scroll-bar requests, with the built-in
// book and with crafted indexes.
#include "index/choose_article.h"

#include <functional>
#include <vector>

#include "container.h"
#include "index_fixture.h"
#include "platform/resources.h"
#include "platform/services/shell_services.h"
#include "platform/user/controls.h"
#include "platform/user/screen_query.h"
#include "resources/program_resources.h"
#include "shell/reader_main.h"
#include "store/book_resources.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

class ChooseArticleTest : public ReaderRunTest {
protected:
    void SetUp() override {
        ReaderRunTest::SetUp();
        StoreFont();
    }
    // A crafted index in place of the built-in one.
    void UseIndex(const std::vector<uint8_t>& list) {
        std::string error;
        ASSERT_TRUE(BuildContainer(list, 1, 255, RecordLayout::Index, &container, &error)) << error;
        static ResourceBlob blob;
        blob = ResourceBlob{RT_RCDATA, 32767, container.data(), container.size()};
        RegisterResources({&blob, 1});
    }
    // After a run that the heap ended: the main window is still there; destroy it (as the
    // platform would at exit) and drop the quit request it leaves.
    void Clear() {
        if (IsWindow(App.MainWindow)) DestroyWindow(App.MainWindow);
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        ResetAppState();
        ResetSettingsState();
        screen.messageBoxes.clear();
    }
    const IndexView* View() { return OpenIndexView(); }
    // The first shown line of the record with this key.
    int LineOf(uint16_t key) {
        const IndexView* v = View();
        for (int i = 0; v && v->lines[i].flags; ++i)
            if (v->lines[i].key == key && (v->lines[i].flags & kIndexShown)) return i;
        return -1;
    }
    // Taps line i's text, two pixels in, in screen coordinates.
    void TapLine(int i) {
        const IndexView* v = View();
        ASSERT_NE(v, nullptr);
        ASSERT_GE(i, 0);
        int32_t y = PaintedIndexLineTop(v, i);
        ASSERT_GE(y, 0) << "line " << i << " is not painted";
        POINT p{v->lines[i].x + 2, y + 2};
        ClientToScreen(Dialog(), &p);
        screen.host().Tap(p.x, p.y);
    }
    int BarMax() {
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(Dialog(), SB_VERT, &info);
        return info.nMax;
    }
    void Scroll(WORD code, int16_t position = 0) {
        SendMessage(Dialog(), WM_VSCROLL, MAKEWPARAM(code, uint16_t(position)), 0);
    }
    std::vector<uint8_t> container;
};

// The crafted index: a deep group, an empty group, a wrapped heading, a wrapped entry and a
// group of 140 entries, so that the line table has to grow.
std::vector<uint8_t> CraftedIndex() {
    std::vector<uint8_t> list = IndexBytes({
        {0x8001, 0xC9, 0, "aa"},
        {0x4001, 0x81, 1, "bb"},
        {0x8002, 0x89, 1, "cc"},
        {0x8003, 0x09, 2, "dd"},
        {0x4003, 0x01, 3, "ee"},
        {0x8004, 0x89, 1, "ff"},
        {0x4005, 0x81, 1, "gg"},
        {0x8005, 0xC9, 0, "hhhh iiii jjjj kkkk llll mmmm nnnn oooo"},
        {0x4007, 0x81, 1, "pppp qqqq rrrr ssss tttt uuuu vvvv wwww xxxx"},
    });
    list.resize(list.size() - 5);
    auto group = ManyIndexBytes(140, [](int k) {
        return IndexRec{uint16_t(0x4009 + k % 18), 0x81, 1, "yy"};
    });
    list.insert(list.end(), group.begin(), group.end());
    return list;
}

TEST_F(ChooseArticleTest, CommandCtrlDOkAndCancelLeaveTheArticleATapGoesToIt) {
    Run({
        [&] { Command(109); },  // to the pair 3, 4
        [&] {
            EXPECT_EQ(App.Lesson, 3);
            Command(kCommandChooseArticle);
        },
        [&] {
            EXPECT_EQ(DialogCaption(), u"Choose Section");
            ASSERT_NE(View(), nullptr);
            PostMessage(Dialog(), WM_COMMAND, IDOK, 0);
        },
        [&] {
            EXPECT_EQ(Dialog(), nullptr);
            EXPECT_EQ(App.Lesson, 3);
            screen.host().Key('D', true);
        },
        [&] {
            EXPECT_EQ(DialogCaption(), u"Choose Section");
            screen.host().Key(VK_ESCAPE);
        },
        [&] {
            EXPECT_EQ(Dialog(), nullptr);
            EXPECT_EQ(App.Lesson, 3);
            Command(107);
        },
        [&] { TapLine(LineOf(0x4001)); },
        [&] {
            EXPECT_EQ(Dialog(), nullptr);
            EXPECT_EQ(App.Lesson, 1);
            EXPECT_EQ(App.TopPane->firstRow, 0);
        },
    });
}

// The current article's entry lies in closed groups: opening reveals it and its ancestors.
TEST_F(ChooseArticleTest, CraftedIndexGroupsOpenAndCloseAndTheTableGrows) {
    UseIndex(CraftedIndex());
    Store(std::string(kFont) + "\"Lesson\"=dword:00000003\n");
    int rows = 0;
    Run({
        [&] { Command(kCommandChooseArticle); },
        [&] {
            const IndexView* v = View();
            ASSERT_NE(v, nullptr);
            EXPECT_GT(v->lineCount, 150);
            EXPECT_EQ(v->capacity, 100 + 128);
            // Article 3 is revealed with its ancestors, which show it: open.
            EXPECT_GE(LineOf(0x4003), 0);
            EXPECT_GE(LineOf(0x8003), 0);
            EXPECT_NE(v->lines[LineOf(0x8003)].flags & kIndexOpen, 0);
            EXPECT_NE(v->lines[LineOf(0x8002)].flags & kIndexOpen, 0);
            EXPECT_GT(v->maxFirstRow, 0);
            EXPECT_EQ(BarMax(), v->maxFirstRow);
            rows = v->rowCount;
            TapLine(LineOf(0x8001));  // close the first group
        },
        [&] {
            ASSERT_NE(View(), nullptr);
            EXPECT_EQ(View()->rowCount, rows - 6);
            EXPECT_EQ(BarMax(), View()->maxFirstRow);
            TapLine(LineOf(0x8001));  // open it: its direct children only
        },
        [&] {
            EXPECT_EQ(LineOf(0x4003), -1);
            EXPECT_GE(LineOf(0x8002), 0);
            EXPECT_EQ(LineOf(0x8003), -1);
            EXPECT_EQ(View()->rowCount, rows - 2);
            // The wrapped heading: a tap on its second line closes its group, both lines stay.
            int h = LineOf(0x8005);
            ASSERT_TRUE(ContinuesIndexRecord(View(), h + 1));
            TapLine(h + 1);
        },
        [&] {
            int h = LineOf(0x8005);
            EXPECT_TRUE(View()->lines[h + 1].flags & kIndexShown);
            EXPECT_EQ(LineOf(0x4007), -1);
            EXPECT_EQ(View()->maxFirstRow, 0);
            EXPECT_EQ(BarMax(), 0);
            // A tap below the last line changes nothing and keeps the dialog open.
            RECT r;
            GetWindowRect(Dialog(), &r);
            screen.host().Tap(100, r.bottom - 3);
        },
        [&] {
            ASSERT_NE(Dialog(), nullptr);
            EXPECT_EQ(LineOf(0x4007), -1);
            TapLine(LineOf(0x8002));
        },
        [&] { TapLine(LineOf(0x8003)); },
        [&] { TapLine(LineOf(0x4003)); },  // deep entry: chosen, the same article
        [&] {
            EXPECT_EQ(Dialog(), nullptr);
            EXPECT_EQ(App.Lesson, 3);
        },
    });
}

TEST_F(ChooseArticleTest, ScrollBarCodesAndPageKeysMoveTheView) {
    UseIndex(CraftedIndex());
    Run({
        [&] { Command(kCommandChooseArticle); },
        [&] {
            const IndexView* v = View();
            ASSERT_NE(v, nullptr);
            const int page = v->rowsPainted;
            ASSERT_GT(page, 5);
            Scroll(SB_LINEDOWN);
            EXPECT_EQ(v->firstRow, 1);
            Scroll(SB_BOTTOM);  // one more line, not to the end
            EXPECT_EQ(v->firstRow, 2);
            Scroll(SB_LINEUP);
            EXPECT_EQ(v->firstRow, 1);
            Scroll(SB_PAGEDOWN);
            EXPECT_EQ(v->firstRow, 1 + page);
            Scroll(SB_PAGEUP);
            EXPECT_EQ(v->firstRow, 1);
            Scroll(SB_THUMBTRACK, 40);
            EXPECT_EQ(v->firstRow, 40);
            EXPECT_EQ(GetScrollPos(Dialog(), SB_VERT), 40);
            Scroll(SB_THUMBPOSITION, 30000);  // clamped
            EXPECT_EQ(v->firstRow, v->maxFirstRow);
            Scroll(SB_TOP);
            EXPECT_EQ(v->firstRow, 0);
            Scroll(SB_LINEUP);
            EXPECT_EQ(v->firstRow, 0);
            // PageDown turns a page of the rows shown, taking the current entry along; the other
            // keys move the current entry, and the view only as far as it must to show it.
            screen.host().Key(VK_NEXT);
        },
        [&] {
            EXPECT_EQ(View()->firstRow, View()->rowsPainted);
            screen.host().Key(VK_END);
        },
        [&] {
            EXPECT_EQ(View()->firstRow, View()->maxFirstRow);
            EXPECT_EQ(GetScrollPos(Dialog(), SB_VERT), View()->maxFirstRow);
            screen.host().Key(VK_HOME);
        },
        [&] {
            EXPECT_EQ(View()->firstRow, 0);
            Scroll(SB_LINEDOWN);
            EXPECT_EQ(View()->firstRow, 1);
            EXPECT_EQ(GetScrollPos(Dialog(), SB_VERT), 1);
            // A tap on the bar's lower arrow moves one line.
            RECT r;
            GetWindowRect(Dialog(), &r);
            screen.host().Tap(r.right - 5, r.bottom - 5);
        },
        [&] {
            EXPECT_EQ(View()->firstRow, 2);
            PostMessage(Dialog(), WM_COMMAND, IDCANCEL, 0);
        },
    });
}

// Resizing lays the view out again with every shown entry and open heading kept, and goes back
// to the top when everything fits.
TEST_F(ChooseArticleTest, ResizingKeepsTheOutline) {
    Run({
        [&] { Command(kCommandChooseArticle); },
        [&] {
            ASSERT_NE(View(), nullptr);
            EXPECT_EQ(View()->maxFirstRow, 0);
            TapLine(LineOf(0x8000 | 210));  // open the closed group "the sun"
        },
        [&] {
            ASSERT_GE(LineOf(0x4003), 0);
            MoveWindow(Dialog(), 0, 0, 200, 150, TRUE);
            screen.Settle();
            const IndexView* v = View();
            EXPECT_GE(LineOf(0x4003), 0);
            EXPECT_TRUE(v->lines[LineOf(0x8000 | 210)].flags & kIndexOpen);
            EXPECT_GT(v->maxFirstRow, 0);
            RECT c;
            GetClientRect(Dialog(), &c);
            EXPECT_EQ(v->width, c.right - GetSystemMetrics(SM_CXVSCROLL));
            Scroll(SB_THUMBPOSITION, 3);
            EXPECT_EQ(v->firstRow, 3);
            MoveWindow(Dialog(), 0, 0, 240, 320, TRUE);
            screen.Settle();
            EXPECT_EQ(v->maxFirstRow, 0);
            EXPECT_EQ(v->firstRow, 0);
            EXPECT_GE(LineOf(0x4003), 0);
            PostMessage(Dialog(), WM_COMMAND, IDOK, 0);
        },
    });
}

// A second start while the reader is in front asks it for the dialog.
TEST_F(ChooseArticleTest, ASecondStartOpensTheDialogWhenTheReaderIsInFront) {
    Run({
        [&] {
            ASSERT_EQ(GetForegroundWindow(), App.MainWindow);
            EXPECT_EQ(StartInstance(SW_SHOW), nullptr);  // runs the dialog meanwhile
        },
        [&] {
            EXPECT_EQ(DialogCaption(), u"Choose Section");
            // With the dialog in front, another start leaves the reader alone.
            EXPECT_EQ(StartInstance(SW_SHOW), nullptr);
            PostMessage(Dialog(), WM_COMMAND, IDCANCEL, 0);
        },
    });
}

// In full-screen mode the dialog hides the taskbar again whenever it becomes active.
TEST_F(ChooseArticleTest, TheDialogHidesTheTaskbarWhenActivated) {
    Store(kFont, "\"FullScreen\"=dword:00000001\n");
    Run({
        [&] {
            ASSERT_NE(App.TaskbarWindow, nullptr);
            ShowWindow(App.TaskbarWindow, SW_SHOW);
            Command(kCommandChooseArticle);
        },
        [&] {
            EXPECT_EQ(DialogCaption(), u"Choose Section");
            EXPECT_FALSE(IsWindowVisible(App.TaskbarWindow));
            PostMessage(Dialog(), WM_COMMAND, IDCANCEL, 0);
        },
    });
}

// The dialog at 240 x 320 with the synthetic font: every painted line has its text and, on its
// record's first line, the marker its key and open bit call for, 4 px right of the text.
TEST_F(ChooseArticleTest, TheDialogAsAPersonSeesIt) {
    Run({
        [&] { Command(kCommandChooseArticle); },
        [&] {
            const IndexView* v = View();
            ASSERT_NE(v, nullptr);
            screen.host().SavePng((dir / "choose_article.png").string());
            POINT o{0, 0};
            ClientToScreen(Dialog(), &o);
            const std::vector<uint32_t> pixels = screen.host().Pixels();
            auto dark = [&](int x, int y) { return pixels[size_t(y * 240 + x)] != 0xFFFFFF; };
            int painted = 0;
            for (int i = 0; v->lines[i].flags; ++i) {
                int32_t y = PaintedIndexLineTop(v, i);
                if (y < 0) continue;
                ++painted;
                const IndexLine& line = v->lines[i];
                bool text = false;
                for (int x = line.x; x < line.x + line.width; ++x)
                    text = text || dark(o.x + x, o.y + y + 10);
                EXPECT_TRUE(text) << "line " << i;
                const int mx = o.x + line.x + line.width + 4, my = o.y + y + 3;
                char want = ContinuesIndexRecord(v, i) ? ' '
                            : (line.key & 0x8000)      ? ((line.flags & kIndexOpen) ? '-' : '+')
                                                       : 'p';
                bool corner = dark(mx, my), plusBar = dark(mx + 4, my + 2);
                bool pageEdge = !dark(mx, my) && dark(mx + 1, my);
                switch (want) {
                    case '+':
                        EXPECT_TRUE(corner && plusBar) << "line " << i;
                        break;
                    case '-':
                        EXPECT_TRUE(corner && !plusBar) << "line " << i;
                        break;
                    case 'p':
                        EXPECT_TRUE(pageEdge) << "line " << i;
                        break;
                    default:
                        EXPECT_FALSE(corner || pageEdge) << "line " << i;
                        break;
                }
                // Every marker lies inside the dialog.
                EXPECT_LT(mx + 8, 240);
            }
            EXPECT_EQ(painted, v->rowsPainted);
            EXPECT_GT(painted, 10);
            PostMessage(Dialog(), WM_COMMAND, IDCANCEL, 0);
        },
    });
}

// Every allocation on the way into the dialog may fail: the program says so when the failure is
// one it reports, never crashes, and leaves no block behind.
TEST_F(ChooseArticleTest, RunningOutOfMemoryOnTheDialogsPathLeaksNothing) {
    Store(std::string(kFont) + "\"Bookmarks\"=hex:03,00,01,00,00,00\n");
    bool opened = false;
    unsigned used = 0;
    auto openAndCancel = [&](unsigned n) {
        return std::vector<std::function<void()>>{
            [&, n] {
                used = HeapAllocationCount();
                SetHeapFailure(n);
                Command(kCommandChooseArticle);
            },
            [&] {
                SetHeapFailure(0);
                used = HeapAllocationCount() - used;
                opened = Dialog() != nullptr;
                if (opened) PostMessage(Dialog(), WM_COMMAND, IDCANCEL, 0);
            },
        };
    };
    // Once without failures: the program makes the buffers it keeps for good, and the number of
    // allocations on the dialog's path is known.
    Run(openAndCancel(0));
    ASSERT_TRUE(opened);
    const unsigned path = used;
    ASSERT_GT(path, 30u);
    std::printf("%u allocations on the way into the dialog\n", path);
    int told = 0;
    for (unsigned n = 1; n <= path; ++n) {
        Clear();
        const long before = HeapBlocksInUse();
        opened = false;
        Run(openAndCancel(n), false);
        SetHeapFailure(0);
        for (const auto& box : screen.messageBoxes) {
            EXPECT_EQ(box.text, u"There is not enough memory, aborting") << "n = " << n;
            ++told;
        }
        Clear();
        EXPECT_EQ(HeapBlocksInUse(), before) << "n = " << n;
    }
    EXPECT_GT(told, 20);
}

}  // namespace
