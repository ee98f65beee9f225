// The Find All list on the real reader with the compiled-in book: opened from the Search dialog
// by its button and by Shift+Enter, driven by keys, the wheel and taps, read by a screen reader,
// and drawn in every display mode and at any screen size; and the Search dialog with its button
// at the handheld size and at a large one.
#include "search/places_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/access/access_tree.h"
#include "platform/user/screen_colours.h"
#include "platform/user/screen_query.h"
#include "reader/display_setting.h"
#include "search/find_all.h"
#include "search/search_dialog.h"
#include "support/reader_run.h"
#include "text/paint.h"
#include "text/text_pane.h"

namespace {

constexpr int kSearch = 116;  // the Search command (Alt+F3)
// "היה" as the search field stores it: 21 places in 14 articles of the book.
constexpr const char* kWord = "\"SearchString\"=hex:65,6a,65,00\n";

class PlacesDialogTest : public ReaderRunTest {
protected:
    explicit PlacesDialogTest(Fonts fonts = Fonts::Synthetic) : ReaderRunTest(fonts) {}
    void SetUp() override {
        ReaderRunTest::SetUp();
        RequestDisplayMode(-1);
    }
    void TearDown() override {
        RequestDisplayMode(-1);
        ReaderRunTest::TearDown();
    }
    // The places Find All lists from where the reader is now.
    std::vector<FoundPlace> Expected(int* articles = nullptr) {
        PlaceList list = FindAllPlaces(App.SearchString, CurrentSearchOrigin());
        FreePlaceTexts(&list);
        if (articles) *articles = list.articles;
        return list.places;
    }
    const PlacesDialogState& List() {
        const PlacesDialogState* list = OpenPlaces();
        EXPECT_NE(list, nullptr);
        static const PlacesDialogState none;
        return list ? *list : none;
    }
    int SelectedPlace() {
        const PlacesDialogState& list = List();
        return list.rows.empty() ? -1 : list.rows[size_t(list.selected)].place;
    }
    // The active pane shows the place: its pair, the pane and the highlight.
    void ExpectShown(const FoundPlace& p) {
        const bool bottom = p.article % 2 == 0;
        EXPECT_EQ(App.Lesson, bottom ? p.article - 1 : p.article);
        EXPECT_EQ(App.ActivePane, bottom ? App.BottomPane : App.TopPane);
        EXPECT_EQ(App.ActivePane->markEnd, p.offset + 1);
        EXPECT_EQ(App.ActivePane->markStart, p.offset - p.length + 1);
    }
    // Taps the dialog's button with this text.
    void TapButton(const std::u16string& text) {
        HWND button = FindButtonByText(Dialog(), text);
        ASSERT_NE(button, nullptr);
        RECT r;
        GetWindowRect(button, &r);
        screen.host().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    const AccessNode* Focused(const AccessSnapshot& s) {
        return s.focus >= 0 ? &s.nodes[size_t(s.focus)] : nullptr;
    }
};

TEST_F(PlacesDialogTest, TheListIsDrivenByKeysWheelAndTapsAndChoosingGoesWhereF3Would) {
    StoreFont(kWord);
    std::vector<FoundPlace> expected;
    int articles = 0;
    Run({
        [&] {
            expected = Expected(&articles);
            ASSERT_EQ(expected.size(), 21u);
            Command(kSearch);
        },
        [&] { TapButton(u"Find All"); },
        [&] {
            ASSERT_EQ(DialogCaption(), u"Find All");
            const PlacesDialogState& list = List();
            EXPECT_TRUE(list.found.places == expected);
            EXPECT_EQ(articles, 14);
            EXPECT_EQ(list.count, u"21 places in 14 articles");
            // Grouped: a title row before each article's places, and none between.
            int titles = 0;
            for (size_t r = 0; r < list.rows.size(); ++r) {
                const bool first =
                    list.rows[r].place >= 0 &&
                    (list.rows[r].place == 0 ||
                     expected[size_t(list.rows[r].place) - 1].article != list.rows[r].article);
                if (list.rows[r].place < 0) {
                    ++titles;
                    ASSERT_LT(r + 1, list.rows.size());
                    EXPECT_EQ(list.rows[r + 1].place >= 0 ? list.rows[r + 1].article : 0,
                              list.rows[r].article);
                } else if (first) {
                    EXPECT_LT(list.rows[r - 1].place, 0) << "row " << r;
                }
            }
            EXPECT_EQ(size_t(titles) + expected.size(), list.rows.size());
            EXPECT_EQ(SelectedPlace(), 0);
            Key(VK_DOWN);
            EXPECT_EQ(SelectedPlace(), 1);
            Key(VK_END);
            EXPECT_EQ(SelectedPlace(), 20);
            EXPECT_EQ(List().firstRow, List().maxFirstRow);
            EXPECT_GT(List().maxFirstRow, 0);
            Key(VK_HOME);
            EXPECT_EQ(SelectedPlace(), 0);
            EXPECT_EQ(List().firstRow, 0);
            Key(VK_NEXT);
            EXPECT_GT(SelectedPlace(), 3);
            EXPECT_GE(PlaceRowTop(List().selected), 0) << "the selected place is shown";
            Key(VK_PRIOR);
            EXPECT_EQ(SelectedPlace(), 0);
            // The wheel scrolls three rows a notch and leaves the selection.
            RECT r;
            GetWindowRect(Dialog(), &r);
            screen.host().Wheel((r.left + r.right) / 2, (r.top + r.bottom) / 2, -1);
            screen.Settle();
            EXPECT_EQ(List().firstRow, 3);
            EXPECT_EQ(SelectedPlace(), 0);
            // A screen reader: a list named by the count, items named by their lines, the
            // selected one focused.
            Key(VK_DOWN);
            AccessSnapshot s = AccessTakeSnapshot();
            const AccessNode* focus = Focused(s);
            ASSERT_NE(focus, nullptr);
            EXPECT_EQ(focus->role, AccessRole::ListItem);
            EXPECT_EQ(focus->name, List().names[1]);
            const AccessNode& parent = s.nodes[size_t(focus->parent)];
            EXPECT_EQ(parent.role, AccessRole::List);
            EXPECT_EQ(parent.name, List().count);
            int items = 0;
            for (int c : parent.children) items += s.nodes[size_t(c)].role == AccessRole::ListItem;
            EXPECT_EQ(items, 21);
            Key(VK_DOWN);
            EXPECT_EQ(Focused(AccessTakeSnapshot())->name, List().names[2]);
            // Enter chooses the selected place.
            screen.host().Key(VK_RETURN);
        },
        [&] {
            EXPECT_EQ(Dialog(), nullptr);
            ExpectShown(expected[2]);
            screen.host().Key(VK_F3);
        },
        [&] {
            ExpectShown(expected[3]);
            // Shift+Enter in the field is Find All, now from the fourth place on.
            expected = Expected();
            Command(kSearch);
        },
        [&] { screen.host().Key(VK_RETURN, false, false, true); },
        [&] {
            ASSERT_EQ(DialogCaption(), u"Find All");
            EXPECT_TRUE(List().found.places == expected);
            // A tap on the third place chooses it; a tap on a title does nothing.
            POINT o{0, 0};
            ClientToScreen(Dialog(), &o);
            Tap(o.x + 20, o.y + PlaceRowTop(0) + 2);
            ASSERT_NE(Dialog(), nullptr) << "a title is not a place";
            int row = 0;
            while (List().rows[size_t(row)].place != 2) ++row;
            screen.host().Tap(o.x + 20, o.y + PlaceRowTop(row) + 2);
        },
        [&] {
            EXPECT_EQ(Dialog(), nullptr);
            ExpectShown(expected[2]);
        },
    });
}

// The list in each display mode, as the screen shows it, and after the screen has grown: the
// marked hits show in the mode's colour of the highlight. Left as places_<mode>.png.
TEST_F(PlacesDialogTest, TheListInEachDisplayModeAndAfterAResize) {
    for (int mode : {kDisplayModeOff, kDisplayModeNight, kDisplayModeRed}) {
        SCOPED_TRACE(mode);
        StoreFont(std::string(kWord) + "\"DisplayMode\"=dword:0000000" + std::to_string(mode) +
                  "\n");
        auto marks = [&] {
            const uint32_t yellow = uint32_t(GetRValue(kHighlightBack)) << 16 |
                                    uint32_t(GetGValue(kHighlightBack)) << 8 |
                                    GetBValue(kHighlightBack);
            const uint32_t mark = TransformScreenPixel(yellow, CurrentScreenColours());
            const std::vector<uint32_t> pixels = screen.host().Pixels();
            return std::count(pixels.begin(), pixels.end(), mark);
        };
        const std::string name = std::string("places_") + (mode == kDisplayModeOff     ? "off"
                                                           : mode == kDisplayModeNight ? "night"
                                                                                       : "red");
        Run({
            [&] { Command(kSearch); },
            [&] { screen.host().Key(VK_RETURN, false, false, true); },
            [&] {
                ASSERT_EQ(DialogCaption(), u"Find All");
                EXPECT_EQ(App.DisplayMode, mode);
                screen.host().SavePng(name + ".png");
                // Every place shown has its hit marked.
                int shown = 0;
                for (size_t r = 0; r < List().rows.size(); ++r)
                    shown += List().rows[r].place >= 0 && PlaceRowTop(int(r)) >= 0;
                EXPECT_GE(shown, 5);
                EXPECT_GT(marks(), 20 * shown);
                // Under each hit a bar in the highlight's text colour, which red mode shows
                // bright on black where the highlight itself is nearly black.
                const uint32_t bar = TransformScreenPixel(
                    uint32_t(GetRValue(kHighlightText)) << 16 |
                        uint32_t(GetGValue(kHighlightText)) << 8 | GetBValue(kHighlightText),
                    CurrentScreenColours());
                POINT o{0, 0};
                ClientToScreen(Dialog(), &o);
                const std::vector<uint32_t> pixels = screen.host().Pixels();
                for (size_t r = 0; r < List().rows.size(); ++r) {
                    const int top = PlaceRowTop(int(r));
                    if (List().rows[r].place < 0 || top < 0) continue;
                    const int y = o.y + top + List().rowHeight - 2;
                    const auto line = pixels.begin() + y * screen.host().ScreenWidth();
                    EXPECT_GT(std::count(line, line + screen.host().ScreenWidth(), bar), 3)
                        << "row " << r;
                }
                if (mode == kDisplayModeRed) {
                    const std::vector<uint32_t> pixels = screen.host().Pixels();
                    for (uint32_t p : pixels) ASSERT_EQ(p & 0xFFFF, 0u);
                }
                screen.host().Resize(480, 640);
            },
            [&] {
                RECT r;
                GetWindowRect(Dialog(), &r);
                EXPECT_EQ(r.right - r.left, 480);
                EXPECT_GE(r.bottom, 600);
                EXPECT_GT(List().rowsShown, 20);
                EXPECT_EQ(List().firstRow, 0);
                screen.host().SavePng(name + "_large.png");
                EXPECT_GT(marks(), 0);
                screen.host().Resize(240, 320);
            },
        });
    }
}

TEST(PlaceCount, OneAndMany) {
    EXPECT_EQ(PlaceCountText(1, 1), u"1 place in 1 article");
    EXPECT_EQ(PlaceCountText(2, 1), u"2 places in 1 article");
    EXPECT_EQ(PlaceCountText(266, 19), u"266 places in 19 articles");
}

class SearchDialogLayoutTest : public PlacesDialogTest {
protected:
    SearchDialogLayoutTest() : PlacesDialogTest(Fonts::Real) {}
};

// With the real fonts, at the handheld size and at a large one, the Search dialog's controls
// lie inside it and none covers another. Left as search_dialog_<width>.png.
TEST_F(SearchDialogLayoutTest, FindAllStandsBesideOkAndCoversNothing) {
    Store("\"FontName\"=\"DejaVu Sans\"\n\"FontSize\"=dword:00000010\n");
    for (SIZE size : {SIZE{240, 320}, SIZE{800, 600}}) {
        screen.host().Resize(size.cx, size.cy);
        Run({[&] { Command(kSearch); },
             [&] {
                 HWND dialog = Dialog();
                 ASSERT_NE(dialog, nullptr);
                 screen.host().SavePng("search_dialog_" + std::to_string(size.cx) + ".png");
                 AccessSnapshot s = AccessTakeSnapshot();
                 std::vector<RECT> controls;
                 RECT frame{};
                 for (const AccessNode& n : s.nodes)
                     if (n.id.window == dialog && n.id.part < 0) frame = n.screen;
                 for (const AccessNode& n : s.nodes) {
                     if (n.parent < 0 || s.nodes[size_t(n.parent)].id.window != dialog) continue;
                     if (n.id.window == dialog) continue;
                     controls.push_back(n.screen);
                     EXPECT_TRUE(n.screen.left >= frame.left && n.screen.top >= frame.top &&
                                 n.screen.right <= frame.right && n.screen.bottom <= frame.bottom)
                         << AccessRoleName(n.role) << " outside the dialog";
                 }
                 EXPECT_GE(controls.size(), 4u);
                 for (size_t i = 0; i < controls.size(); ++i)
                     for (size_t j = i + 1; j < controls.size(); ++j) {
                         const RECT &a = controls[i], &b = controls[j];
                         EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom &&
                                      b.top < a.bottom)
                             << "controls " << i << " and " << j << " overlap";
                     }
                 ASSERT_NE(FindButtonByText(dialog, u"Find All"), nullptr);
             }});
    }
}

}  // namespace
