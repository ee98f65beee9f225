// The reader end to end on the headless host: the real main window with the built-in book,
// driven by taps, keys, commands and scroll-bar requests.
#include <functional>

#include "platform/bars/menu.h"
#include "platform/hosting.h"
#include "platform/resources.h"
#include "platform/services/shell_services.h"
#include "platform/user/controls.h"
#include "reader/app_state.h"
#include "reader/panes.h"
#include "resources/program_resources.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "shell/reader_main.h"
#include "store/book_resources.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

class ReaderTest : public ReaderRunTest {
protected:
    using ReaderRunTest::ReaderRunTest;
    TextPane* Top() { return App.TopPane; }
    TextPane* Bottom() { return App.BottomPane; }
};

// The bar at the bottom, 26 pixels high, no gutter, half and half, in a client of 240 x 294.
TEST_F(ReaderTest, PanesAreLaidOutAsInTheWorkedExample) {
    HWND frame = CreateWhiteWindow(u"Frame", DefWindowProc, 240, 294);
    App.Lesson = 1;
    App.MenuBarOnBottom = 1;
    App.MenuBarHeight = 26;
    App.BottomSection = 12;
    App.Flags = kDefaultFlags;
    ASSERT_EQ(CreatePanes(frame), 0);
    LayoutPanes(frame, 240, 294);
    EXPECT_EQ(Top()->left, 0);
    EXPECT_EQ(Top()->top, 0);
    EXPECT_EQ(Top()->width, 227);
    EXPECT_EQ(Top()->height, 132);
    EXPECT_EQ(App.BottomRect.left, 0);
    EXPECT_EQ(App.BottomRect.top, 135);
    EXPECT_EQ(App.BottomRect.right, 227);
    EXPECT_EQ(App.BottomRect.bottom, 268);
    EXPECT_EQ(Bottom()->top, 135);
    EXPECT_EQ(Bottom()->width, 227);
    EXPECT_EQ(Bottom()->height, 133);
    RECT bar;
    GetWindowRect(App.TopScrollBar, &bar);
    EXPECT_EQ(bar.left, 227);
    EXPECT_EQ(bar.top, -2);
    EXPECT_EQ(bar.right - bar.left, 13);
    EXPECT_EQ(bar.bottom - bar.top, 134);
    GetWindowRect(App.BottomScrollBar, &bar);
    EXPECT_EQ(bar.left, 227);
    EXPECT_EQ(bar.top, 133);
    EXPECT_EQ(bar.bottom - bar.top, 135);

    // Two thirds: 268 * 2 / 3 = 178. None: the top pane takes H - 2 and the bottom goes below.
    App.BottomSection = 23;
    Top()->width = 0;  // make the next layout run
    LayoutPanes(frame, kReplayClientSize, 0);
    EXPECT_EQ(Top()->height, 268 - 178 - 2);
    EXPECT_EQ(Bottom()->height, 177);
    App.BottomSection = 1;
    Top()->width = 0;
    LayoutPanes(frame, kReplayClientSize, 0);
    EXPECT_EQ(Top()->height, 266);
    EXPECT_EQ(App.BottomRect.top, 269);
    EXPECT_EQ(Bottom()->top, 269);
    EXPECT_EQ(Bottom()->height, 177);  // a height of 0 is refused: the old size stays
    DestroyTextPane(Top(), true);
    DestroyTextPane(Bottom(), true);
    App.TopPane = App.BottomPane = nullptr;
    DestroyWindow(frame);
    App.MainWindow = nullptr;
}

TEST_F(ReaderTest, FirstPairIsShownWithTheCommandBarAndTheBottomSection) {
    Run({[&] {
        ASSERT_NE(Top(), nullptr);
        ASSERT_NE(Bottom(), nullptr);
        EXPECT_NE(Top()->text, nullptr);
        EXPECT_NE(Bottom()->text, nullptr);
        EXPECT_GT(Top()->lineCount, 5);
        EXPECT_GT(App.MenuBarHeight, 0);
        EXPECT_EQ(Top()->top, App.MenuBarHeight);
        // The pale bottom section and its red line.
        EXPECT_EQ(screen.host().Pixel(5, App.BottomRect.top - 3), 0x0000FFu << 16);
        EXPECT_EQ(screen.host().Pixel(5, App.BottomRect.top - 1), 0xEEFFFFu);
        EXPECT_TRUE(screen.messageBoxes.empty());
    }});
}

TEST_F(ReaderTest, NextAndPreviousWrapAroundTheBook) {
    Store("\"Lesson\"=dword:00000019\n");  // 25
    Run({[&] {
        EXPECT_EQ(App.Lesson, 25);
        CommandNow(109);
        EXPECT_EQ(App.Lesson, 1);
        Key(VK_LEFT);
        EXPECT_EQ(App.Lesson, 25);
        Key(VK_RIGHT);
        EXPECT_EQ(App.Lesson, 1);
        CommandNow(110);
        EXPECT_EQ(App.Lesson, 25);
        CommandNow(109);
        CommandNow(109);
        EXPECT_EQ(App.Lesson, 3);
        EXPECT_TRUE(screen.messageBoxes.empty());
    }});
}

TEST_F(ReaderTest, ArticleTwentySixOnTopHasNoCompanion) {
    Store("\"Lesson\"=dword:0000001a\n");
    Run({[&] { EXPECT_EQ(App.Lesson, 26); }});
    ASSERT_EQ(screen.messageBoxes.size(), 1u);
    EXPECT_EQ(screen.messageBoxes[0].text, u"Resource not found");
    EXPECT_EQ(screen.messageBoxes[0].caption, u"Error");
    EXPECT_EQ(screen.messageBoxes[0].style, 48u);
}

TEST_F(ReaderTest, TapsPageTheTappedPaneByItsHalves) {
    Store("\"Lesson\"=dword:00000005\n");  // the longest article
    Run({[&] {
        // The step is the rows painted at the last paint, less one: read it before each tap.
        auto step = [&] { return Top()->rowsPainted - 1; };
        ASSERT_GT(step(), 0);
        int lower = Top()->top + Top()->height - 10, upper = Top()->top + 10;
        int expected = step();
        Tap(50, lower);
        EXPECT_EQ(Top()->firstRow, expected);
        expected += step();
        Tap(50, lower);
        EXPECT_EQ(Top()->firstRow, expected);
        expected -= step();
        Tap(50, upper);
        EXPECT_EQ(Top()->firstRow, expected);
        // Left and right halves, and a step of half a page.
        App.Flags &= ~kTapHalvesFlag;
        App.Flags = (App.Flags & ~(7u << kTapStepShift)) | (2u << kTapStepShift);
        expected += Top()->rowsPainted / 2;
        Tap(Top()->left + Top()->width - 5, upper);
        EXPECT_EQ(Top()->firstRow, expected);
        expected -= Top()->rowsPainted / 2;
        Tap(Top()->left + 5, lower);
        EXPECT_EQ(Top()->firstRow, expected);
        // The bottom pane pages and becomes the active pane.
        Tap(50, Bottom()->top + Bottom()->height - 5);
        EXPECT_EQ(App.ActivePane, Bottom());
        // With tap paging off a tap only makes its pane active.
        App.Flags &= ~kTapPagingFlag;
        uint16_t before = Top()->firstRow;
        Tap(50, lower);
        EXPECT_EQ(Top()->firstRow, before);
        EXPECT_EQ(App.ActivePane, Top());
    }});
}

TEST_F(ReaderTest, KeysScrollTheActivePaneByPagesLinesAndEnds) {
    Store("\"Lesson\"=dword:00000005\n");
    Run({[&] {
        int expected = Top()->rowsPainted - 1;
        Key(VK_NEXT);
        EXPECT_EQ(Top()->firstRow, expected);
        Key(VK_DOWN);
        EXPECT_EQ(Top()->firstRow, expected + 1);
        Key(VK_UP);
        Key(VK_HOME);
        EXPECT_EQ(Top()->firstRow, 0);
        Key(VK_HOME);  // already at the top: a page back, which changes nothing
        EXPECT_EQ(Top()->firstRow, 0);
        Key(VK_END);
        EXPECT_EQ(Top()->firstRow, Top()->maxFirstRow);
        Key(VK_HOME);
        EXPECT_EQ(Top()->firstRow, 0);
        App.Flags = (App.Flags & ~(7u << kPageStepShift)) | (4u << kPageStepShift);
        int half = Top()->rowsPainted / 2;
        Key(VK_NEXT);
        EXPECT_EQ(Top()->firstRow, half);
        Key(VK_PRIOR);
        EXPECT_EQ(Top()->firstRow, 0);
        // Keys act on the pane last tapped.
        App.Flags &= ~kTapPagingFlag;
        Tap(50, Bottom()->top + 5);
        Key(VK_DOWN);
        EXPECT_EQ(Bottom()->firstRow, 1);
    }});
}

TEST_F(ReaderTest, ScrollBarRequestsMoveTheirPane) {
    Store("\"Lesson\"=dword:00000005\n");
    Run({[&] {
        auto scroll = [&](int code, int pos, HWND bar) {
            SendMessage(App.MainWindow, WM_VSCROLL, MAKEWPARAM(code, pos), LPARAM(bar));
            screen.Settle();
        };
        scroll(1, 0, App.TopScrollBar);
        EXPECT_EQ(Top()->firstRow, 1);
        int page = Top()->rowsPainted - 1;
        scroll(3, 0, App.TopScrollBar);
        EXPECT_EQ(Top()->firstRow, 1 + page);
        scroll(4, 7, App.TopScrollBar);
        EXPECT_EQ(Top()->firstRow, 7);
        scroll(7, 0, App.TopScrollBar);  // "bottom" is one line down
        EXPECT_EQ(Top()->firstRow, 8);
        scroll(6, 0, App.TopScrollBar);
        EXPECT_EQ(Top()->firstRow, 0);
        scroll(1, 0, App.BottomScrollBar);
        EXPECT_EQ(Bottom()->firstRow, 1);
        EXPECT_EQ(App.ActivePane, Bottom());
        EXPECT_EQ(App.ActiveScrollBar, App.BottomScrollBar);
        // A tap on the top scroll bar's lower arrow is a line-down request.
        RECT r;
        GetWindowRect(App.TopScrollBar, &r);
        Tap(r.left + 6, r.bottom - 4);
        EXPECT_EQ(Top()->firstRow, 1);
        // The wheel scrolls the pane under the pointer by three lines a notch.
        InjectWheel(60, Bottom()->top + 20, -120);
        screen.Settle();
        EXPECT_EQ(Bottom()->firstRow, 4);
    }});
}

TEST_F(ReaderTest, EveryBottomSizeAndTheRadioCheck) {
    Run({[&] {
        int fullHeight = Top()->height + Bottom()->height;
        for (int id : {414, 413, 423, 434, 412}) {
            CommandNow(id);
            EXPECT_EQ(App.BottomSection, id - 400);
            EXPECT_TRUE(MenuChecked(BottomMenu(), UINT(id))) << id;
            EXPECT_NEAR(Top()->height + Bottom()->height, fullHeight, 2) << id;
        }
        CommandNow(401);
        EXPECT_EQ(App.BottomSection, 1);
        EXPECT_GE(Bottom()->top, Top()->top + Top()->height);
        // Choosing the size already in use changes nothing.
        int height = Top()->height;
        CommandNow(401);
        EXPECT_EQ(Top()->height, height);
    }});
}

// Reverse would only write the table of contents backwards on this desktop: it is greyed, and
// its command (from the driver or another program) changes neither the flags nor the mark.
TEST_F(ReaderTest, ReverseIsGreyedAndItsCommandChangesNothing) {
    Run({[&] {
        uint32_t flags = App.Flags;
        CommandNow(122);
        EXPECT_EQ(App.Flags, flags);
        EXPECT_FALSE(MenuChecked(GoMenu(), 122));
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfo(GoMenu(), 122, FALSE, &info));
        EXPECT_TRUE(info.fState & MFS_GRAYED);
    }});
}

TEST_F(ReaderTest, ARestartReturnsToTheArticleRowsSizeAndFlags) {
    Store("\"BottomSection\"=dword:00000010\n");  // not a menu code: the half
    uint16_t top = 0, bottom = 0;
    Run({[&] {
        EXPECT_EQ(App.BottomSection, 12);
        CommandNow(109);
        CommandNow(109);
        Key(VK_NEXT);
        Key(VK_DOWN);
        SendMessage(App.MainWindow, WM_VSCROLL, 1, LPARAM(App.BottomScrollBar));
        CommandNow(423);
        CommandNow(122);
        screen.Settle();
        top = Top()->firstRow;
        bottom = Bottom()->firstRow;
    }});
    ResetAppState();
    ResetSettingsState();
    SetRegistryFile(file);
    Run({[&] {
        EXPECT_EQ(App.Lesson, 5);
        EXPECT_EQ(App.BottomSection, 23);
        EXPECT_FALSE(App.Flags & kReverseFlag);  // not offered, so never stored
        EXPECT_EQ(Top()->firstRow, top);
        EXPECT_EQ(Bottom()->firstRow, bottom);
    }});
    EXPECT_GT(top, 0);
    EXPECT_EQ(bottom, 1);
}

TEST_F(ReaderTest, TheWindowFollowsTheScreenSize) {
    Run({[&] {
        screen.host().Resize(320, 480);
        screen.Settle();
        EXPECT_EQ(Top()->width + GetSystemMetrics(SM_CXVSCROLL), 320);
        EXPECT_EQ(App.BottomRect.bottom, 480);
    }});
}

// Full screen with the command bar: the close button's X at the bar's right end, whatever the
// screen's width, and a tap on it ends the reader as Exit does.
class CloseButtonTest : public ReaderTest, public ::testing::WithParamInterface<int> {};

TEST_P(CloseButtonTest, TheXIsDrawnAtTheRightEndAndATapOnItEnds) {
    const int width = GetParam();
    Store("", "\"FullScreen\"=dword:00000001\n");
    constexpr uint32_t kFace = 0xD4D0C8;  // the bar's grey
    Run({[&] {
        screen.host().Resize(width, 320);
        screen.Settle();
        CommandNow(109);  // so that the stored article shows what was written
        EXPECT_EQ(App.MenuBarOnBottom, 0);
        RECT bar;
        GetWindowRect(App.MenuBar, &bar);
        EXPECT_EQ(bar.right, width);
        EXPECT_EQ(bar.bottom - bar.top, 26);
        // The button is the bar's last 26 pixels less one; its X is two 10-pixel diagonals, two
        // pixels thick, centred at (cx, 13).
        int cx = (width - 26 + width - 1) / 2;
        for (int k = 0; k < 10; ++k) {
            EXPECT_EQ(screen.host().Pixel(cx - 5 + k, 8 + k), 0u) << "\\ at " << k;
            EXPECT_EQ(screen.host().Pixel(cx + 4 - k, 8 + k), 0u) << "/ at " << k;
        }
        EXPECT_EQ(screen.host().Pixel(cx, 7), kFace);
        EXPECT_EQ(screen.host().Pixel(cx - 6, 12), kFace);
        // Nothing else is drawn in the button: no tool button reaches under it.
        for (int x = width - 26; x < width - 1; ++x) {
            EXPECT_EQ(screen.host().Pixel(x, 3), kFace) << x;
            EXPECT_EQ(screen.host().Pixel(x, 22), kFace) << x;
        }
        EXPECT_TRUE(screen.host().SavePng("close_" + std::to_string(width) + ".png"));
        // Its leftmost pixel column closes the reader as well as its middle would.
        screen.host().Tap(width - 26, 12);
    }});
    EXPECT_FALSE(IsWindow(App.MainWindow));
    EXPECT_TRUE(Has("\"Lesson\"=dword:00000003"));
    EXPECT_TRUE(Has("\"Flags\"=dword:d1140040"));
}

INSTANTIATE_TEST_SUITE_P(ScreenWidths, CloseButtonTest, ::testing::Values(240, 320));

// Any non-zero "MenuBarOnBottom" puts the shell bar at the bottom and the panes above it, as 1
// does: the panes start at the top of the window and the bottom section ends at the bar.
class MenuBarOnBottomTest : public ReaderTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MenuBarOnBottomTest, EveryNonZeroValuePutsTheBarBelowThePanes) {
    Store("", std::string("\"MenuBarOnBottom\"=") + GetParam() + "\n");
    Run({[&] {
        EXPECT_EQ(App.MenuBarOnBottom, 1);
        RECT bar;
        GetWindowRect(App.MenuBar, &bar);
        EXPECT_EQ(bar.bottom, 320);
        EXPECT_EQ(bar.top, 320 - App.MenuBarHeight);
        EXPECT_EQ(Top()->top, 0);
        EXPECT_EQ(App.BottomRect.bottom, bar.top);
        EXPECT_EQ(Bottom()->top + Bottom()->height, bar.top);
        // The top pane's text reaches its first row; the pale bottom section ends right above
        // the bar.
        bool inkOnTop = false;
        for (int y = 0; y < 20 && !inkOnTop; ++y)
            for (int x = 0; x < Top()->width && !inkOnTop; ++x)
                inkOnTop = screen.host().Pixel(x, y) != 0xFFFFFFu;
        EXPECT_TRUE(inkOnTop) << "the top strip is empty";
        EXPECT_EQ(screen.host().Pixel(2, bar.top - 1), 0xEEFFFFu);
        EXPECT_TRUE(screen.host().SavePng("menubar_on_bottom.png"));
    }});
}

INSTANTIATE_TEST_SUITE_P(SwitchValues, MenuBarOnBottomTest,
                         ::testing::Values("dword:00000001", "dword:00000002", "dword:ffffffff",
                                           "\"7\""));

// The marks of checked menu items as a person sees them, with both font engines: the tick
// beside "Reverse" once it is on, and the dot beside the bottom size in use. A snapshot of each
// open menu is left in the test's working folder (menu_go_<engine>.png, menu_bottom_<engine>.png).
class MenuMarksTest : public ReaderTest, public ::testing::WithParamInterface<Fonts> {
protected:
    MenuMarksTest() : ReaderTest(GetParam()) {}
    std::string Engine() const { return GetParam() == Fonts::Real ? "real" : "synthetic"; }
    // The screen point of a point in the open pop-up's client area.
    POINT InPopup(int x, int y) {
        POINT p{x, y};
        ClientToScreen(OpenPopupMenuWindow(), &p);
        return p;
    }
    bool Dark(int x, int y) {
        POINT p = InPopup(x, y);
        uint32_t c = screen.host().Pixel(p.x, p.y);
        return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF) < 3 * 128;
    }
    // Dark pixels in the check column (14 pixels) of a pop-up row.
    int DarkInCheckColumn(int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 14; ++x) n += Dark(x, y);
        return n;
    }
    void TapBarButton(const char16_t* text) {
        RECT r{};
        ASSERT_TRUE(FindBarButton(App.MenuBar, text, &r)) << "no bar button";
        screen.host().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

TEST_P(MenuMarksTest, ReverseCarriesATickAndTheBottomSizeADot) {
    // Rows of a pop-up: text height + 4 each, separators 7, from y = 1.
    HDC mem = CreateCompatibleDC(nullptr);
    TEXTMETRIC tm;
    GetTextMetrics(mem, &tm);
    DeleteDC(mem);
    const int row = int(tm.tmHeight) + 4;
    Run({[&] {
             // Reverse itself is greyed and never checked on the desktop; its item, enabled and
             // checked here, still shows how a tick looks.
             EnableMenuItem(GoMenu(), 122, MF_BYCOMMAND | MF_ENABLED);
             CheckMenuItem(GoMenu(), 122, MF_BYCOMMAND | MF_CHECKED);
             TapBarButton(u"Go");
         },
         [&] {  // "Go": About, Check For Updates, separator, Font, Reverse, ...
             ASSERT_NE(OpenPopupMenuWindow(), nullptr);
             int top = 1 + 3 * row + 7, cy = top + row / 2, cx = 8;
             // The tick: down from (cx-4, cy-1) to (cx-1, cy+2), up to (cx+4, cy-3), two
             // pixels thick.
             const POINT tick[] = {{-4, -1}, {-3, 0}, {-2, 1}, {-1, 2}, {0, 1},
                                   {1, 0},   {2, -1}, {3, -2}, {4, -3}};
             for (POINT p : tick) {
                 EXPECT_TRUE(Dark(cx + p.x, cy + p.y)) << p.x << "," << p.y;
                 EXPECT_TRUE(Dark(cx + p.x, cy + p.y + 1)) << p.x << "," << p.y + 1;
             }
             EXPECT_EQ(DarkInCheckColumn(top, top + row), 18);
             EXPECT_EQ(DarkInCheckColumn(top - row, top), 0) << "Font is not checked";
             UpdateWindow(OpenPopupMenuWindow());
             EXPECT_TRUE(screen.host().SavePng("menu_go_" + Engine() + ".png"));
             screen.host().Key(VK_ESCAPE);
         },
         [&] { TapBarButton(u"Bottom"); },
         [&] {  // "Bottom": 1/4, 1/3, 1/2 (the size in use), ...
             ASSERT_NE(OpenPopupMenuWindow(), nullptr);
             int top = 1 + 2 * row, cy = top + row / 2, cx = 8;
             // A round dot seven pixels across.
             for (POINT p : {POINT{0, 0}, POINT{-3, 0}, POINT{3, 0}, POINT{0, -3}, POINT{0, 3},
                             POINT{-2, -2}, POINT{2, 2}})
                 EXPECT_TRUE(Dark(cx + p.x, cy + p.y)) << p.x << "," << p.y;
             EXPECT_FALSE(Dark(cx - 3, cy - 3));
             EXPECT_FALSE(Dark(cx + 3, cy + 3));
             EXPECT_EQ(DarkInCheckColumn(top, top + row), 37);
             EXPECT_EQ(DarkInCheckColumn(1, top), 0) << "1/4 and 1/3 are not checked";
             UpdateWindow(OpenPopupMenuWindow());
             EXPECT_TRUE(screen.host().SavePng("menu_bottom_" + Engine() + ".png"));
             screen.host().Key(VK_ESCAPE);
         }});
}

INSTANTIATE_TEST_SUITE_P(BothFontEngines, MenuMarksTest,
                         ::testing::Values(Fonts::Synthetic, Fonts::Real), [](const auto& info) {
                             return info.param == Fonts::Real ? "Real" : "Synthetic";
                         });

}  // namespace
