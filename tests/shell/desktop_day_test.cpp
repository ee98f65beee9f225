// A day's reading on the desktop, end to end on the headless host: what one pane's scrolling
// leaves of the other, the hit in red mode, paging near an article's end, pairs from the table of
// contents, Reverse, paste into Search, an address that will not open, and the reading measure.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "index/choose_article.h"
#include "index/index_outline.h"
#include "platform/heap.h"
#include "platform/user/clipboard.h"
#include "platform/user/controls.h"
#include "reader/app_state.h"
#include "reader/navigation.h"
#include "reader/panes.h"
#include "reader/selection.h"
#include "shell/display_mode.h"
#include "store/records.h"
#include "support/reader_run.h"
#include "text/convert.h"
#include "text/paint.h"
#include "text/text_pane.h"

namespace {

class DesktopDayTest : public ReaderRunTest {
protected:
    explicit DesktopDayTest(Fonts fonts = Fonts::Synthetic) : ReaderRunTest(fonts) {}
    // The screen's pixels inside a pane.
    std::vector<uint32_t> PanePixels(const TextPane* pane) {
        std::vector<uint32_t> pixels;
        for (int y = pane->top; y < pane->top + pane->height; ++y)
            for (int x = pane->left; x < pane->left + pane->width; ++x)
                pixels.push_back(screen.host().Pixel(x, y));
        return pixels;
    }
    // The pane's first line of text of four bytes or more (the terminator when there is none).
    static const LineEntry* FirstTextLine(const TextPane* pane) {
        const LineEntry* line = pane->lines;
        while (line->style && (IsSeparatorStyle(line->style) || line->count < 4)) ++line;
        return line;
    }
    // Contrast ratio of two screen colours 0x00RRGGBB, by their relative luminance.
    static double Contrast(uint32_t a, uint32_t b) {
        auto lum = [](uint32_t c) {
            auto lin = [](double v) {
                v /= 255;
                return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * lin((c >> 16) & 0xFF) + 0.7152 * lin((c >> 8) & 0xFF) +
                   0.0722 * lin(c & 0xFF);
        };
        double x = lum(a) + 0.05, y = lum(b) + 0.05;
        return x > y ? x / y : y / x;
    }
    // Inside the open Choose Article dialog: shows the article's entry and taps it as a user
    // would. False when the entry cannot be brought into view.
    bool TapArticleEntry(int article) {
        auto* view = const_cast<IndexView*>(OpenIndexView());
        if (!view) return false;
        RevealArticle(view, article);
        for (int pass = 0; pass < 2; ++pass) {
            int row = 0;
            for (int i = 0; view->lines[i].flags != 0; ++i) {
                const IndexLine& line = view->lines[i];
                if (!(line.flags & 0x80)) continue;
                if ((line.key & kArticleEntryKey) &&
                    (line.key & kEntryNumberMask) == uint16_t(article)) {
                    int32_t top = PaintedIndexLineTop(view, i);
                    if (top < 0) {
                        ScrollIndex(view, row - view->firstRow, 1, true);
                        break;
                    }
                    POINT p{line.x + 1, top + line.height / 2};
                    ClientToScreen(Dialog(), &p);
                    screen.host().Tap(p.x, p.y);
                    return true;
                }
                ++row;
            }
        }
        return false;
    }
    static std::string Hex(int v) {
        char text[9];
        std::snprintf(text, sizeof text, "%08x", unsigned(v));
        return text;
    }
    static size_t Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        size_t n = a.size() != b.size() ? std::max(a.size(), b.size()) : 0;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) n += a[i] != b[i];
        return n;
    }
};

// Antialiased text painted over itself thickens, so the real fonts show a repaint without erase.
class PaneIsolationTest : public DesktopDayTest {
protected:
    PaneIsolationTest() : DesktopDayTest(Fonts::Real) {}
};

// Every way of scrolling one pane (wheel notches, each scroll-bar code, keys on the active pane)
// leaves the other pane's pixels exactly as they were.
TEST_F(PaneIsolationTest, ScrollingOnePaneNeverRepaintsTheOther) {
    Store("\"FontName\"=\"David CLM\"\n\"Lesson\"=\"3\"\n");
    Run({[&] {
        for (TextPane* moved : {App.BottomPane, App.TopPane}) {
            TextPane* other = moved == App.TopPane ? App.BottomPane : App.TopPane;
            ASSERT_TRUE(moved && other);
            HWND bar = moved == App.TopPane ? App.TopScrollBar : App.BottomScrollBar;
            std::vector<uint32_t> before = PanePixels(other);
            int x = moved->left + moved->width / 2, y = moved->top + moved->height / 2;
            for (int i = 0; i < 10; ++i) screen.host().Wheel(x, y, -1);
            screen.Settle();
            for (int i = 0; i < 10; ++i) screen.host().Wheel(x, y, +1);
            screen.Settle();
            for (WPARAM code : {1, 1, 3, 0, 2, 7, 6}) {
                SendMessage(App.MainWindow, WM_VSCROLL, code, LPARAM(bar));
                screen.Settle();
            }
            for (unsigned vk : {VK_NEXT, VK_DOWN, VK_PRIOR, VK_UP, VK_END, VK_HOME}) Key(vk);
            EXPECT_EQ(Changed(before, PanePixels(other)), 0u)
                << (moved == App.TopPane ? "top" : "bottom") << " pane scrolled";
        }
    }});
}

// In red mode a marked word stands out of the page: the mark's colour (the commonest colour in
// the marked line that is not the page's) is at least 3:1 against the page, and the letters
// inside it are at least 3:1 against the mark.
TEST_F(DesktopDayTest, RedModeMarksTheHitPlainly) {
    StoreFont("\"Lesson\"=\"5\"\n");
    Run({[&] {
        TextPane* pane = App.TopPane;
        const LineEntry* line = FirstTextLine(pane);
        ASSERT_NE(line->style, 0);
        pane->markStart = line->offset;
        pane->markEnd = uint16_t(line->offset + line->count);
        RepaintPanes(App.MainWindow, kPaintAll);
        Key('N', true);
        Key('N', true);
        ASSERT_EQ(App.DisplayMode, kDisplayModeRed);
        int32_t top = 0, bottom = 0;
        ASSERT_TRUE(ShownBand(pane, pane->markStart, pane->markEnd, &top, &bottom));
        std::map<uint32_t, int> inBand;
        for (int y = top; y < bottom; ++y)
            for (int x = line->x; x < line->x + line->width; ++x)
                ++inBand[screen.host().Pixel(x, y)];
        const uint32_t page = screen.host().Pixel(pane->left + 1, pane->top + pane->height - 1);
        uint32_t mark = page, letters = page;
        int markCount = 0;
        for (auto [colour, count] : inBand)
            if (colour != page && count > markCount) mark = colour, markCount = count;
        double letterContrast = 0;
        for (auto [colour, count] : inBand)
            if (Contrast(colour, mark) > letterContrast && count > 5)
                letters = colour, letterContrast = Contrast(colour, mark);
        EXPECT_GE(Contrast(mark, page), 3.0) << std::hex << mark << " on " << page;
        EXPECT_GE(letterContrast, 3.0) << std::hex << letters << " on " << mark;
        Key('N', true);
    }});
}

// In every display mode a selection looks unlike a search hit: the same line, marked as a hit
// and then selected whole, shows plainly different pixels in a good part of its band.
TEST_F(DesktopDayTest, ASelectionLooksUnlikeAHitInEveryMode) {
    StoreFont("\"Lesson\"=\"5\"\n");
    Run({[&] {
        TextPane* pane = App.TopPane;
        const LineEntry* line = FirstTextLine(pane);
        ASSERT_NE(line->style, 0);
        int32_t top = 0, bottom = 0;
        ASSERT_TRUE(ShownBand(pane, line->offset, uint16_t(line->offset + line->count), &top,
                              &bottom));
        auto band = [&] {
            std::vector<uint32_t> pixels;
            for (int y = top; y < bottom; ++y)
                for (int x = line->x; x < line->x + line->width; ++x)
                    pixels.push_back(screen.host().Pixel(x, y));
            return pixels;
        };
        for (int mode = 0; mode < 3; ++mode) {
            pane->markStart = line->offset;
            pane->markEnd = uint16_t(line->offset + line->count);
            RepaintPanes(App.MainWindow, kPaintAll);
            const std::vector<uint32_t> hit = band();
            pane->markStart = pane->markEnd = 0;
            SetSelection(pane, 0, INT32_MAX);
            RepaintPanes(App.MainWindow, kPaintAll);
            const std::vector<uint32_t> selected = band();
            ClearSelections();
            // Pixels that differ as the eye sees it, not by a shade.
            size_t differ = 0;
            for (size_t i = 0; i < hit.size(); ++i) {
                int distance = 0;
                for (int shift : {0, 8, 16})
                    distance += std::abs(int((hit[i] >> shift) & 0xFF) -
                                         int((selected[i] >> shift) & 0xFF));
                differ += distance > 96;
            }
            EXPECT_GT(differ * 4, hit.size()) << "display mode " << App.DisplayMode;
            Key('N', true);
        }
    }});
}

// A companion chosen in the table of contents is shown as a search hit's is: its article on top,
// the companion below, active and at its top; an odd entry shows its pair with the top active.
TEST_F(DesktopDayTest, AnEvenEntryShowsItsPairWithTheCompanionActive) {
    StoreFont();
    struct Choice {
        int entry, top;
        bool bottomActive;
    };
    std::vector<Choice> choices = {{2, 1, true}, {26, 25, true},  {7, 7, false},
                                   {8, 7, true}, {13, 13, false}, {14, 13, true}};
    std::vector<std::function<void()>> steps;
    for (const Choice& c : choices) {
        steps.push_back([&] {
            // The bottom pane scrolled away from its top first, to see that the choice resets it.
            App.BottomPane->firstRow = App.BottomPane->maxFirstRow;
            Command(kCommandChooseArticle);
        });
        steps.push_back([&, c] { ASSERT_TRUE(TapArticleEntry(c.entry)) << c.entry; });
        steps.push_back([&, c] {
            EXPECT_EQ(Dialog(), nullptr) << c.entry;
            EXPECT_EQ(App.Lesson, c.top) << "entry " << c.entry;
            EXPECT_EQ(App.ActivePane, c.bottomActive ? App.BottomPane : App.TopPane) << c.entry;
            if (c.bottomActive) {
                EXPECT_EQ(App.BottomPane->firstRow, 0) << c.entry;
            }
            EXPECT_TRUE(screen.messageBoxes.empty()) << "entry " << c.entry;
        });
    }
    Run(steps);
}

// Whatever Flags are stored, Reverse shows nothing backwards: the table of contents looks the
// same with the stored Reverse bit as without, and the bit is not written back.
TEST_F(DesktopDayTest, AStoredReverseShowsNothingBackwards) {
    std::vector<uint32_t> shots[2];
    for (int reversed = 1; reversed >= 0; --reversed) {
        ResetAppState();
        ResetSettingsState();
        StoreFont(std::string("\"Flags\"=dword:") + (reversed ? "d1140840" : "d1140040") + "\n");
        Run({[&] { Command(kCommandChooseArticle); },
             [&] {
                 ASSERT_NE(Dialog(), nullptr);
                 EXPECT_EQ(App.Flags & kReverseFlag, 0u);
                 shots[reversed] = screen.host().Pixels();
             }});
        EXPECT_TRUE(Has("\"Flags\"=dword:d1140040")) << Stored();
    }
    EXPECT_EQ(Changed(shots[0], shots[1]), 0u);
}

// Check For Updates on a desktop that cannot open the address: a message box names it, and
// Ctrl+C there puts its text, address included, on the clipboard.
TEST_F(DesktopDayTest, AnAddressThatCannotBeOpenedIsShownAndCanBeCopied) {
    StoreFont();
    Run({[&] {
        screen.host().SetOpenAddressFails(true);
        screen.answerMessageBoxes = false;
        std::u16string shown;
        int boxes = 0;
        bool copied = false;
        nestedIdle = [&] {
            ModalInfo info;
            if (!DescribeActiveModal(&info) || !info.messageBox) return false;
            if (!copied) {
                ++boxes;
                shown = info.text;
                copied = true;
                screen.host().Key('C', true);
            } else {
                PostMessage(info.window, WM_COMMAND, IDOK, 0);
            }
            return true;
        };
        SendMessage(App.MainWindow, WM_COMMAND, 129, 0);
        nestedIdle = nullptr;
        screen.answerMessageBoxes = true;
        const std::string opened = screen.host().lastOpened();
        ASSERT_FALSE(opened.empty());
        EXPECT_EQ(boxes, 1);
        EXPECT_NE(shown.find(std::u16string(opened.begin(), opened.end())), std::u16string::npos);
        ASSERT_TRUE(OpenClipboard(nullptr));
        const auto* text = static_cast<const char16_t*>(GetClipboardData(CF_UNICODETEXT));
        EXPECT_EQ(text ? std::u16string(text) : u"", shown);
        CloseClipboard();
        // An address that opens shows nothing.
        screen.host().SetOpenAddressFails(false);
        SendMessage(App.MainWindow, WM_COMMAND, 129, 0);
        EXPECT_TRUE(screen.messageBoxes.empty());
    }});
}

// A wide window keeps lines readable: in every article, in both panes, no line of body text
// holds more than 90 characters, and the ink on the screen keeps a margin on both sides of a wide pane (the
// painting follows the layout). At the handheld's width there is no margin: the longest line
// spans nearly the whole pane.
TEST_F(DesktopDayTest, WidePanesKeepAReadableMeasure) {
    StoreFont();
    struct Extent {
        int left = 1 << 30, right = -1, longest = 0, widestLine = 0;
    };
    // Where the pane's ink lies, and its lines' character counts, after painting it.
    auto measure = [&](TextPane* pane) {
        Extent e;
        for (const LineEntry* line = pane->lines; line->style; ++line) {
            if (IsSeparatorStyle(line->style)) continue;
            int characters = 0;
            for (int i = 0; i < line->count; ++i)
                characters += !IsPointByte(pane->text[line->offset + i]);
            // Body text: neither the larger letters of headings nor the smaller of notes.
            if (line->style & 0x06) continue;
            e.longest = std::max(e.longest, characters);
            e.widestLine = std::max(e.widestLine, int(line->width));
        }
        for (int y = pane->top; y < pane->top + pane->height; ++y)
            for (int x = pane->left; x < pane->left + pane->width; ++x) {
                uint32_t p = screen.host().Pixel(x, y);
                if (((p >> 16) & 0xFF) < 128 || ((p >> 8) & 0xFF) < 128 || (p & 0xFF) < 128) {
                    e.left = std::min(e.left, x);
                    e.right = std::max(e.right, x);
                }
            }
        return e;
    };
    int longestAnywhere = 0;
    Run({[&] {
             screen.host().Resize(1280, 720);
             screen.Settle();
         },
         [&] {
             for (int article = 1; article <= 25; article += 2) {
                 ASSERT_EQ(GoToArticle(App.MainWindow, uint32_t(article)), 0);
                 screen.Settle();
                 for (TextPane* pane : {App.TopPane, App.BottomPane}) {
                     const int number = article + (pane == App.BottomPane);
                     ASSERT_GT(pane->width, 1000);
                     Extent e = measure(pane);
                     EXPECT_LE(e.longest, 90) << "article " << number;
                     longestAnywhere = std::max(longestAnywhere, e.longest);
                     EXPECT_GE(e.left - pane->left, pane->width / 10) << "article " << number;
                     EXPECT_GE(pane->left + pane->width - 1 - e.right, pane->width / 10)
                         << "article " << number;
                 }
             }
             EXPECT_GE(longestAnywhere, 65) << "the column is narrower than it need be";
             screen.host().Resize(240, 320);
             screen.Settle();
         },
         [&] {
             TextPane* pane = App.TopPane;
             Extent e = measure(pane);
             EXPECT_GE(e.widestLine, pane->width * 8 / 10) << "a margin at the handheld's width";
         }});
}

// Paging, over every article of the book in both panes, for each character mapping and several
// font and section sizes (down to a top pane lower than one line): PageDown moves down until the
// last row, PageUp moves up until the first, and paging back reaches the article's top. The
// scroll bar's page codes page the same way.
struct PagingCase {
    int asciiBase;
    int fontSize;
    int bottomSection;
};

class PagingTest : public DesktopDayTest, public ::testing::WithParamInterface<PagingCase> {};

TEST_P(PagingTest, PagingAlwaysMovesAndComesBack) {
    const PagingCase c = GetParam();
    Store("\"FontName\"=\"Synthetic\"\n\"FontAsciiBase\"=dword:" + Hex(c.asciiBase) +
          "\n\"FontSize\"=dword:" + Hex(c.fontSize) +
          "\n\"BottomSection\"=dword:" + Hex(c.bottomSection) + "\n\"Flags\"=dword:51140040\n");
    int paged = 0;
    Run({[&] {
        for (int article = 1; article <= 25; article += 2) {
            ASSERT_EQ(GoToArticle(App.MainWindow, uint32_t(article)), 0) << article;
            for (TextPane* pane : {App.TopPane, App.BottomPane}) {
                const bool bottom = pane == App.BottomPane;
                App.ActivePane = pane;
                App.ActiveScrollBar = bottom ? App.BottomScrollBar : App.TopScrollBar;
                const std::string where = "article " + std::to_string(article + bottom) +
                                          (bottom ? " (bottom pane)" : " (top pane)");
                if (pane->maxFirstRow == 0) continue;  // the whole article fits
                ++paged;
                for (int row = pane->firstRow; row < pane->maxFirstRow; row = pane->firstRow) {
                    SendMessage(App.MainWindow, WM_KEYDOWN, VK_NEXT, 0);
                    ASSERT_GT(pane->firstRow, row) << where << ": PageDown stalled";
                    ASSERT_GT(pane->rowsPainted, 0) << where << ": a blank page at " << row;
                }
                // At the end (a last page may start past maxFirstRow, as the handheld's did),
                // PageDown stays.
                const int end = pane->firstRow;
                EXPECT_GE(end, pane->maxFirstRow) << where;
                SendMessage(App.MainWindow, WM_KEYDOWN, VK_NEXT, 0);
                EXPECT_EQ(pane->firstRow, end) << where;
                for (int row = pane->firstRow; row > 0; row = pane->firstRow) {
                    SendMessage(App.MainWindow, WM_KEYDOWN, VK_PRIOR, 0);
                    ASSERT_LT(pane->firstRow, row) << where << ": PageUp stalled";
                }
                HWND bar = App.ActiveScrollBar;
                SendMessage(App.MainWindow, WM_VSCROLL, 3, LPARAM(bar));
                const int down = pane->firstRow;
                EXPECT_GT(down, 0) << where << ": the scroll bar's page down";
                SendMessage(App.MainWindow, WM_VSCROLL, 2, LPARAM(bar));
                EXPECT_LT(pane->firstRow, down) << where << ": the scroll bar's page up";
            }
        }
    }});
    EXPECT_GE(paged, 13) << "most articles are longer than a pane";
}

INSTANTIATE_TEST_SUITE_P(MappingsAndSizes, PagingTest,
                         ::testing::Values(PagingCase{1488, 16, 12}, PagingCase{224, 16, 12},
                                           PagingCase{97, 16, 12}, PagingCase{224, 30, 23},
                                           PagingCase{1488, 72, 34}, PagingCase{224, 72, 34},
                                           PagingCase{97, 72, 34}),
                         [](const auto& info) {
                             return "Base" + std::to_string(info.param.asciiBase) + "Size" +
                                    std::to_string(info.param.fontSize) + "Section" +
                                    std::to_string(info.param.bottomSection);
                         });

}  // namespace
