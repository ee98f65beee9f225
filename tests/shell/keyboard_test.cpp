// The reader without a pointer: the menus by F10, Alt and the arrows, the key labels the menus
// show, the panes by F6 and their mark, Ctrl+B and the bookmark question, and the click that
// only fetches the window. Keys go in through the headless host to the real window procedures.
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "bookmarks/bookmarks.h"
#include "platform/bars/bar_internal.h"
#include "platform/bars/menu.h"
#include "platform/user/controls.h"
#include "platform/user/screen_colours.h"
#include "reader/panes.h"
#include "shell/menu_bar.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

// The main window's commands are recorded, and with `swallow` not carried out, so that a walk
// through the menus can choose Exit and About without leaving or opening anything.
std::vector<UINT> gCommands;
bool gSwallow = false;
WNDPROC gRealProc = nullptr;

LRESULT RecordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        gCommands.push_back(LOWORD(wp));
        if (gSwallow) return 0;
    }
    return CallWindowProc(gRealProc, w, msg, wp, lp);
}

class KeyboardTest : public ReaderRunTest {
protected:
    void SetUp() override {
        ReaderRunTest::SetUp();
        StoreFont();
        gCommands.clear();
        gSwallow = false;
    }
    void Record(bool swallow) {
        gSwallow = swallow;
        gRealProc = reinterpret_cast<WNDPROC>(GetWindowLong(App.MainWindow, GWL_WNDPROC));
        SetWindowLong(App.MainWindow, GWL_WNDPROC, reinterpret_cast<intptr_t>(RecordingProc));
    }
    void Unrecord() {
        SetWindowLong(App.MainWindow, GWL_WNDPROC, reinterpret_cast<intptr_t>(gRealProc));
        gSwallow = false;
    }
    void Press(unsigned vk, bool ctrl = false, bool alt = false, bool shift = false) {
        screen.host().Key(vk, ctrl, alt, shift);
    }
};

struct MenuItem {
    UINT id;
    std::u16string text;  // with its "&" and its key label
};

constexpr UINT kReverse = 122;

// The menu resource's pop-ups, in order, each with its choosable items in order.
std::vector<std::vector<MenuItem>> MenuResource() {
    std::vector<std::vector<MenuItem>> menus;
    HMENU menu = LoadMenu(ProgramInstance(), 102);
    for (int p = 0; p < GetMenuItemCount(menu); ++p) {
        HMENU popup = GetSubMenu(menu, p);
        if (!popup) continue;
        menus.emplace_back();
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            char16_t text[128] = {};
            MENUITEMINFO info{
                sizeof info, MIIM_TYPE | MIIM_ID, 0, 0, 0, nullptr, nullptr, nullptr, 0, text, 128};
            GetMenuItemInfo(popup, UINT(i), TRUE, &info);
            if (info.fType & MFT_SEPARATOR) continue;
            // Reverse is greyed on the desktop: the arrows pass over it and its letter is inert.
            if (info.wID == kReverse) continue;
            menus.back().push_back(MenuItem{info.wID, text});
        }
    }
    DestroyMenu(menu);
    return menus;
}

// The virtual key of the letter after "&", or 0.
unsigned MarkKey(const std::u16string& text) {
    size_t at = text.find(u'&');
    if (at == std::u16string::npos || at + 1 >= text.size()) return 0;
    char16_t c = text[at + 1];
    return c >= u'a' && c <= u'z' ? unsigned(c - u'a' + 'A') : unsigned(c);
}

// From a fresh start, every command of both menus is reached by the keys alone, on either bar:
// F10 or Alt with the menu's letter, the arrows (Left and Right between the menus, round the
// bar), Enter, and the item's own letter where no other item of its menu shares it. Each walk
// chooses exactly the command the menu resource has at that place.
TEST_F(KeyboardTest, EveryMenuCommandIsReachedByTheKeysAlone) {
    const auto menus = MenuResource();
    ASSERT_EQ(menus.size(), 2u);
    const unsigned menuLetters[] = {'G', 'B'};
    for (const char* bar : {"", "\"MenuBarOnBottom\"=dword:00000001\n"}) {
        Store(kFont, bar);
        int walks = 0;
        std::vector<std::function<void()>> steps;
        steps.push_back([&] { Record(true); });
        for (size_t m = 0; m < menus.size(); ++m) {
            for (size_t k = 0; k < menus[m].size(); ++k) {
                const MenuItem item = menus[m][k];
                // Four ways: F10 and Right; F10 and Left round the other way; Alt and the
                // menu's letter; Alt, then the item's letter when it is the only one.
                for (int way = 0; way < 4; ++way) {
                    int sharing = 0;
                    for (const MenuItem& other : menus[m])
                        sharing += MarkKey(other.text) && MarkKey(other.text) == MarkKey(item.text);
                    if (way == 3 && sharing != 1) continue;
                    steps.push_back([&, m, k, way] {
                        gCommands.clear();
                        if (way == 0 || way == 1) {
                            Press(VK_F10);
                            for (size_t r = 0; r < (way == 0 ? m : menus.size() - m) % menus.size();
                                 ++r)
                                Press(way == 0 ? VK_RIGHT : VK_LEFT);
                        } else {
                            Press(menuLetters[m], false, true);
                        }
                        if (way == 3) {
                            Press(MarkKey(menus[m][k].text));
                            return;
                        }
                        for (size_t d = 0; d < k; ++d) Press(VK_DOWN);
                        Press(VK_RETURN);
                    });
                    steps.push_back([&, item, way] {
                        EXPECT_EQ(OpenPopupMenuWindow(), nullptr);
                        EXPECT_EQ(gCommands, std::vector<UINT>{item.id})
                            << "way " << way << " to \""
                            << std::string(item.text.begin(), item.text.end()) << "\"";
                        ++walks;
                    });
                }
            }
        }
        steps.push_back([&] { Unrecord(); });
        Run(steps);
        EXPECT_GE(walks, int(3 * (menus[0].size() + menus[1].size())));
    }
}

// Every key label a menu item shows works: the label's keys, pressed in the reading view,
// choose that item's command, and nothing else.
TEST_F(KeyboardTest, TheKeyLabelsTheMenusShowAreTheKeysThatWork) {
    int labels = 0;
    std::vector<std::function<void()>> steps;
    steps.push_back([&] { Record(true); });
    for (const auto& menu : MenuResource()) {
        for (const MenuItem& item : menu) {
            size_t tab = item.text.find(u'\t');
            if (tab == std::u16string::npos) continue;
            std::string label(item.text.begin() + long(tab) + 1, item.text.end());
            bool ctrl = false, alt = false, shift = false;
            unsigned vk = 0;
            for (size_t start = 0; start <= label.size();) {
                size_t plus = label.find('+', start);
                std::string part = label.substr(start, plus - start);
                if (part == "Ctrl")
                    ctrl = true;
                else if (part == "Alt")
                    alt = true;
                else if (part == "Shift")
                    shift = true;
                else if (part.size() > 1 && part[0] == 'F')
                    vk = VK_F1 + unsigned(std::atoi(part.c_str() + 1) - 1);
                else if (part.size() == 1)
                    vk = unsigned(part[0]);
                if (plus == std::string::npos) break;
                start = plus + 1;
            }
            ASSERT_NE(vk, 0u) << label;
            ++labels;
            steps.push_back([&, vk, ctrl, alt, shift] {
                gCommands.clear();
                Press(vk, ctrl, alt, shift);
            });
            steps.push_back(
                [&, item, label] { EXPECT_EQ(gCommands, std::vector<UINT>{item.id}) << label; });
        }
    }
    steps.push_back([&] { Unrecord(); });
    Run(steps);
    EXPECT_EQ(labels, 8);  // Font, Index, Bookmark, Search, Search Again, Copy, Append, Exit
}

// In an open menu: Escape and F10 close it without a command, Left and Right move between the
// menus also in a menu the stylus opened, and an item's letter chooses it there too.
TEST_F(KeyboardTest, AnOpenMenuTakesTheArrowsLettersAndEscape) {
    struct Case {
        const char* what;
        bool byStylus;
        std::vector<unsigned> keys;
        UINT command;   // 0: none
        int openItems;  // items of the menu left open (0: closed)
    };
    const Case cases[] = {
        {"Escape closes", false, {VK_ESCAPE}, 0, 0},
        {"F10 closes", false, {VK_F10}, 0, 0},
        {"Right to Bottom", false, {VK_RIGHT}, 0, 6},
        {"Right, Left back to Go", false, {VK_RIGHT, VK_LEFT}, 0, 18},
        {"letter in the Bottom menu", false, {VK_RIGHT, '3'}, 413, 0},
        {"stylus, then Right", true, {VK_RIGHT}, 0, 6},
        {"stylus, then a letter", true, {'I'}, 119, 0},
        {"a greyed item's letter chooses nothing", false, {'V'}, 0, 18},
        {"stylus, Down, Enter", true, {VK_DOWN, VK_RETURN}, 40004, 0},
        {"shared letter moves, Enter chooses", false, {'A', VK_RETURN}, 40009, 0},
        {"shared letter goes round", false, {'A', 'A', VK_RETURN}, 40004, 0},
    };
    std::vector<std::function<void()>> steps;
    steps.push_back([&] { Record(true); });
    for (const Case& c : cases) {
        steps.push_back([&] {
            gCommands.clear();
            if (c.byStylus) {
                RECT r;
                ASSERT_TRUE(FindBarButton(App.MenuBar, u"Go", &r));
                screen.host().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            } else {
                Press(VK_F10);
            }
            for (unsigned k : c.keys) Press(k);
        });
        steps.push_back([&] {
            HWND open = OpenPopupMenuWindow();
            EXPECT_EQ(open ? int(DescribePopupItems(open).size()) : 0, c.openItems) << c.what;
            if (open) Press(VK_ESCAPE);
        });
        steps.push_back([&] {
            EXPECT_EQ(OpenPopupMenuWindow(), nullptr) << c.what;
            EXPECT_EQ(gCommands, c.command ? std::vector<UINT>{c.command} : std::vector<UINT>{})
                << c.what;
        });
    }
    steps.push_back([&] { Unrecord(); });
    Run(steps);
}

// The pixels of a window's rectangle on the screen.
std::vector<uint32_t> PixelsOf(HeadlessScreen& screen, HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    std::vector<uint32_t> all = screen.host().Pixels();
    std::vector<uint32_t> out;
    for (int y = std::max(0, int(r.top)); y < std::min(320, int(r.bottom)); ++y)
        for (int x = std::max(0, int(r.left)); x < std::min(240, int(r.right)); ++x)
            out.push_back(all[size_t(y * 240 + x)]);
    return out;
}

int Count(const std::vector<uint32_t>& pixels, uint32_t colour) {
    int n = 0;
    for (uint32_t p : pixels) n += p == colour;
    return n;
}

// The largest difference of one channel: red shows everything in its red channel alone.
int Contrast(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift : {16, 8, 0})
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

// F6 and Shift+F6 move between the panes, skipping a hidden bottom section; the active pane's
// scroll-bar track is marked in every display mode and at every zoom, the other's is not, and
// Copy takes the active pane.
TEST_F(KeyboardTest, F6MovesBetweenThePanesAndTheMarkFollows) {
    struct Case {
        int bottomCommand;                            // the size chosen first
        std::vector<std::pair<unsigned, bool>> keys;  // F6 with Shift or not
        const char* active;
    };
    const Case cases[] = {
        {412, {{VK_F1 + 5, false}}, "bottom"},
        {412, {{VK_F1 + 5, false}, {VK_F1 + 5, false}}, "top"},
        {414, {{VK_F1 + 5, true}}, "bottom"},
        {434, {{VK_F1 + 5, true}, {VK_F1 + 5, true}}, "top"},
        {401, {{VK_F1 + 5, false}}, "top"},  // no bottom section: nothing to move to
        {401, {{VK_F1 + 5, true}, {VK_F1 + 5, false}}, "top"},
    };
    const uint32_t track = 0x285ABE;  // the mark's colour, 0x00RRGGBB
    int marks = 0;
    std::vector<std::function<void()>> steps;
    for (const Case& c : cases) {
        for (int mode = 0; mode < 3; ++mode) {
            steps.push_back([&, mode] {
                Command(c.bottomCommand);
                Command(412 == c.bottomCommand ? 413 : 412);  // a size change resets nothing
                Command(c.bottomCommand);
                // The active pane starts at the top: a tap on it.
                screen.host().Tap(App.TopPane->left + 5, App.TopPane->top + 5);
                for (int m = 0; m < mode; ++m) Press('N', true);  // night, then red
                if (mode == 2) Press(VK_OEM_PLUS, true);          // and a zoom step
            });
            steps.push_back([&, mode] {
                // The tap paged the top pane and made it active; F6 from there.
                for (auto [vk, shift] : c.keys) Press(vk, false, false, shift);
            });
            steps.push_back([&, mode] {
                bool bottom = std::string(c.active) == "bottom";
                EXPECT_EQ(KeyPane() == App.BottomPane, bottom) << c.bottomCommand << " " << mode;
                ScreenColours colours = ScreenColours(mode);
                uint32_t mark = TransformScreenPixel(track, colours);
                HWND on = bottom ? App.BottomScrollBar : App.TopScrollBar;
                HWND off = bottom ? App.TopScrollBar : App.BottomScrollBar;
                auto onPixels = PixelsOf(screen, on), offPixels = PixelsOf(screen, off);
                EXPECT_GT(Count(onPixels, mark), int(onPixels.size()) / 4) << c.bottomCommand;
                EXPECT_EQ(Count(offPixels, mark), 0) << c.bottomCommand;
                // Told apart by brightness, not by hue alone: red has no hue.
                uint32_t plain = TransformScreenPixel(0xE0E0E0, colours);
                EXPECT_GE(Contrast(mark, plain), 100) << mode;
                ++marks;
                for (int m = mode; m % 3 != 0; ++m) Press('N', true);  // back to day
                if (mode == 2) Press('0', true);
            });
        }
    }
    Run(steps);
    EXPECT_EQ(marks, 18);
}

// A search hit in the bottom pane makes it the active one: the mark goes with it.
TEST_F(KeyboardTest, TheMarkFollowsASearchHitIntoTheBottomPane) {
    StoreFont("\"SearchString\"=hex:79,6a,64,71,00\n");  // found first in article 2
    const uint32_t mark = 0x285ABE;
    Run({
        [&] {
            EXPECT_EQ(KeyPane(), App.TopPane);
            EXPECT_GT(Count(PixelsOf(screen, App.TopScrollBar), mark), 0);
            Press(VK_F3);
        },
        [&] {
            EXPECT_EQ(KeyPane(), App.BottomPane);
            EXPECT_GT(Count(PixelsOf(screen, App.BottomScrollBar), mark), 0);
            EXPECT_EQ(Count(PixelsOf(screen, App.TopScrollBar), mark), 0);
        },
    });
}

// Ctrl+B bookmarks; on the question, Escape and No keep the bookmark, Yes removes it, and the
// Cancel button removes it and stops the question.
TEST_F(KeyboardTest, CtrlBAndTheAnswersToRemoveBookmark) {
    struct Case {
        const char* answer;  // a key name or a button's text
        bool kept;
        bool asksAgain;
    };
    const Case cases[] = {
        {"Escape", true, true},
        {"No", true, true},
        {"Yes", false, true},
        {"Cancel", false, false},
    };
    screen.answerMessageBoxes = false;
    for (const Case& c : cases) {
        StoreFont();
        Run({
            [&] {
                EXPECT_FALSE(IsBookmarked());
                Press('B', true);
            },
            [&] {
                EXPECT_TRUE(IsBookmarked()) << c.answer;
                EXPECT_TRUE(MenuChecked(GoMenu(), kCommandBookmark));
                Press('B', true);
            },
            [&] {
                ModalInfo box;
                ASSERT_TRUE(DescribeActiveModal(&box) && box.messageBox) << c.answer;
                EXPECT_EQ(box.caption, u"Bookmark");
                if (std::string(c.answer) == "Escape") {
                    Press(VK_ESCAPE);
                    return;
                }
                HWND button = FindButtonByText(
                    box.window, std::u16string(c.answer, c.answer + std::strlen(c.answer)));
                ASSERT_NE(button, nullptr);
                RECT r;
                GetWindowRect(button, &r);
                screen.host().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            },
            [&] {
                ModalInfo box;
                EXPECT_FALSE(DescribeActiveModal(&box));
                EXPECT_EQ(IsBookmarked(), c.kept) << c.answer;
                EXPECT_EQ(MenuChecked(GoMenu(), kCommandBookmark), c.kept) << c.answer;
                // Once more, from bookmarked: does the question come?
                if (!c.kept) Press('B', true);
            },
            [&] {
                if (c.kept) return;
                Press('B', true);
            },
            [&] {
                ModalInfo box;
                bool asked = DescribeActiveModal(&box) && box.messageBox;
                if (!c.kept) {
                    EXPECT_EQ(asked, c.asksAgain) << c.answer;
                }
                if (asked) Press(VK_ESCAPE);
            },
        });
    }
}

// The press that brings the window forward from behind another program is no tap: the page
// stays; the next tap pages as always.
TEST_F(KeyboardTest, AFocusingClickDoesNotTurnThePage) {
    struct Case {
        bool focused;
        bool turns;
    };
    const Case cases[] = {{false, false}, {true, true}};
    for (const Case& c : cases) {
        StoreFont();
        uint16_t first = 0;
        Run({
            [&] {
                screen.host().SetDesktopFocus(c.focused);
                first = App.TopPane->firstRow;
                // The lower half pages forward.
                screen.host().Tap(App.TopPane->left + 20,
                                  App.TopPane->top + App.TopPane->height - 10);
            },
            [&] {
                EXPECT_EQ(App.TopPane->firstRow != first, c.turns) << c.focused;
                EXPECT_TRUE(screen.host().HasDesktopFocus());
                EXPECT_EQ(GetForegroundWindow(), App.MainWindow);
                first = App.TopPane->firstRow;
                screen.host().Tap(App.TopPane->left + 20,
                                  App.TopPane->top + App.TopPane->height - 10);
            },
            [&] { EXPECT_NE(App.TopPane->firstRow, first) << "the next tap pages"; },
        });
    }
}

}  // namespace
