// Search end to end on the headless host, with a book made for the purpose: Search Again, Enter
// and the Search dialog driving the real main window, its panes and the article walk.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "book_files.h"
#include "bookmarks/bookmarks.h"
#include "platform/bars/menu.h"
#include "platform/heap.h"
#include "platform/hosting.h"
#include "platform/resources.h"
#include "platform/services/shell_services.h"
#include "platform/user/clipboard.h"
#include "platform/user/controls.h"
#include "platform/user/screen_query.h"
#include "reader/app_state.h"
#include "reader/settings.h"
#include "resources/program_resources.h"
#include "search/keyboard.h"
#include "search/matcher.h"
#include "search/search_dialog.h"
#include "search/search_field.h"
#include "shell/menu_bar.h"
#include "shell/reader_main.h"
#include "store/book_resources.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

constexpr uint32_t kYellow = 0xFFFF00, kRed = 0xFF0000;

// Words of the book below, in reading order, and as the search field stores them (each letter
// in front of the ones before): letter codes a alef ... z shin, { tav.
//   "נדיר" (only in article 2)           stored "yjdq"
//   "כוכב" (only in articles 4 and 7)    stored "blfl"
//   "שלום" (articles 1 and 9)            stored "nfmz"
//   "עולם" (only in article 1, once)     stored "nmfs"
std::string Article(int n, const std::string& words) {
    std::string text = "{title} פרק " + std::to_string(n) + "\n\n{subtitle} כותרת משנה\n\n";
    text += words + "\n\n";
    for (int i = 0; i < 12; ++i) text += "מילים רגילות של טקסט ארוך שממלא את השורות בעמוד\n\n";
    return text;
}

class SearchTest : public ReaderRunTest {
protected:
    void SetUp() override {
        ReaderRunTest::SetUp();
        MakeBook();
    }
    void TearDown() override {
        SetBookDirectory("");
        ReaderRunTest::TearDown();
    }
    void MakeBook() {
        std::map<int, std::string> words = {
            {1, "שלום עולם ומלואו"}, {2, "דבר נדיר מאוד"}, {4, "כוכב אחד"},
            {7, "ועוד כוכב"},        {9, "שלום שוב"},
        };
        std::filesystem::path src = dir / "src", out = dir / "book";
        std::filesystem::create_directories(src);
        std::filesystem::create_directories(out);
        for (int n = 1; n <= 26; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "article%02d.txt", n);
            std::ofstream(src / name) << Article(n, words.count(n) ? words[n] : "אין כאן דבר");
        }
        std::filesystem::copy_file(std::string(ORVANEL_BOOK_SOURCE_DIR) + "/index.txt",
                                   src / "index.txt");
        ASSERT_EQ(BuildBook(src.string(), out.string()), 0);
        SetBookDirectory(out.string());
    }
    // A key press, carried out before the next step.
    void Press(unsigned vk) { screen.host().Key(vk); }
    std::u16string Field() {
        char16_t text[64] = {};
        GetDlgItemText(Dialog(), kSearchFieldId, text, 64);
        return text;
    }
    std::string Search() { return reinterpret_cast<const char*>(App.SearchString); }
    // The bytes a pane highlights.
    std::string Marked(const TextPane* pane) {
        return std::string(reinterpret_cast<const char*>(pane->text) + pane->markStart,
                           pane->markEnd - pane->markStart);
    }
};

TEST_F(SearchTest, AHitInTheOtherPaneOfThePairMakesItActiveWithoutLoadingTheTopAgain) {
    Store("\"SearchString\"=hex:79,6a,64,71,00\n");
    const uint8_t* top = nullptr;
    Run({[&] {
             top = App.TopPane->text;
             Press(VK_F3);
         },
         [&] {
             EXPECT_EQ(App.Lesson, 1);
             EXPECT_EQ(App.ActivePane, App.BottomPane);
             EXPECT_EQ(App.ActiveScrollBar, App.BottomScrollBar);
             EXPECT_EQ(App.TopPane->text, top);
             EXPECT_EQ(Marked(App.BottomPane), "yjdq");
             EXPECT_EQ(App.TopPane->markEnd, 0);
             EXPECT_TRUE(screen.messageBoxes.empty());
         }});
}

TEST_F(SearchTest, WithoutABottomSectionEvenArticlesAreSkipped) {
    Store("\"SearchString\"=hex:62,6c,66,6c,00\n\"BottomSection\"=dword:00000001\n");
    Run({[&] { Press(VK_F3); },
         [&] {
             EXPECT_EQ(App.Lesson, 7);
             EXPECT_EQ(App.ActivePane, App.TopPane);
             EXPECT_EQ(Marked(App.TopPane), "blfl");
         }});
}

bool BookmarkChecked() {
    return MenuChecked(GoMenu(), kCommandBookmark);
}

// A hit in another pair makes its article current, and the Bookmark item's tick follows it.
TEST_F(SearchTest, TheBookmarkTickFollowsTheArticleOfTheHit) {
    Store(
        "\"SearchString\"=hex:62,6c,66,6c,00\n\"BottomSection\"=dword:00000001\n"
        "\"Bookmarks\"=hex:07,00,00,00\n");
    Run({[&] {
             EXPECT_FALSE(BookmarkChecked());
             Press(VK_F3);
         },
         [&] {
             EXPECT_EQ(App.Lesson, 7);
             EXPECT_TRUE(BookmarkChecked());
         }});
}

TEST_F(SearchTest, WithABottomSectionAnEvenArticleIsShownBelowItsPair) {
    Store("\"SearchString\"=hex:62,6c,66,6c,00\n");
    Run({[&] { Press(VK_F3); },
         [&] {
             EXPECT_EQ(App.Lesson, 3);
             EXPECT_EQ(App.ActivePane, App.BottomPane);
             EXPECT_EQ(Marked(App.BottomPane), "blfl");
             EXPECT_EQ(App.TopPane->firstRow, 0);
         },
         // Again: the bottom pane's article is the start; the next one is article 7, odd.
         [&] { Press(VK_F3); },
         [&] {
             EXPECT_EQ(App.Lesson, 7);
             EXPECT_EQ(App.ActivePane, App.TopPane);
             EXPECT_EQ(Marked(App.TopPane), "blfl");
         }});
}

TEST_F(SearchTest, SearchAgainWalksOnAndWrapsToTheStartArticle) {
    Store("\"SearchString\"=hex:6e,66,6d,7a,00\n");  // "שלום": articles 1 and 9
    uint16_t first = 0;
    Run({[&] { Press(VK_F3); },
         [&] {
             EXPECT_EQ(App.Lesson, 1);
             EXPECT_EQ(Marked(App.TopPane), "nfmz");
             first = App.TopPane->markStart;
             Press(VK_RETURN);  // Enter searches again too
         },
         [&] {
             EXPECT_EQ(App.Lesson, 9);
             EXPECT_EQ(Marked(App.TopPane), "nfmz");
             Press(VK_F3);
         },
         [&] {
             EXPECT_EQ(App.Lesson, 1);
             EXPECT_EQ(App.TopPane->markStart, first);
         }});
}

TEST_F(SearchTest, TheOnlyHitIsFoundAgainByTheWrap) {
    Store("\"SearchString\"=hex:6e,6d,66,73,00\n");  // "עולם": once, in article 1
    uint16_t first = 0;
    Run({[&] { Press(VK_F3); },
         [&] {
             EXPECT_EQ(Marked(App.TopPane), "nmfs");
             first = App.TopPane->markStart;
             Press(VK_F3);
         },
         [&] {
             EXPECT_EQ(App.Lesson, 1);
             EXPECT_EQ(App.TopPane->markStart, first);
             EXPECT_TRUE(screen.messageBoxes.empty());
         }});
}

TEST_F(SearchTest, NothingFoundSaysSoAndChangesNothing) {
    Store("\"SearchString\"=hex:7a,7a,7a,7a,00\n");
    Run({[&] { Press(VK_F3); },
         [&] {
             ASSERT_EQ(screen.messageBoxes.size(), 1u);
             EXPECT_EQ(screen.messageBoxes[0].text, u"Not Found!");
             EXPECT_EQ(screen.messageBoxes[0].caption, u"Orvanel");
             EXPECT_EQ(screen.messageBoxes[0].style, 0u);
             EXPECT_EQ(App.Lesson, 1);
             EXPECT_EQ(App.TopPane->firstRow, 0);
             EXPECT_EQ(App.TopPane->markEnd, 0);
         }});
}

TEST_F(SearchTest, AnEmptySearchStringMakesSearchAgainAndEnterDoNothing) {
    Run({[&] {
             Press(VK_F3);
             Press(VK_RETURN);
         },
         [&] {
             EXPECT_TRUE(screen.messageBoxes.empty());
             EXPECT_EQ(App.TopPane->markEnd, 0);
         }});
}

TEST_F(SearchTest, TheHitIsHighlightedAndTheBannerNamesTheArticle) {
    Store("\"SearchString\"=hex:79,6a,64,71,00\n");
    Run({[&] { Press(VK_F3); },
         [&] {
             TextPane* pane = App.BottomPane;
             ASSERT_EQ(App.ActivePane, pane);
             // Yellow behind the highlighted bytes, on the row of the hit.
             int yellow = 0;
             for (int y = pane->top; y < pane->top + pane->height; ++y)
                 for (int x = pane->left; x < pane->left + pane->width; ++x)
                     yellow += screen.host().Pixel(x, y) == kYellow;
             EXPECT_GT(yellow, 20);
             // The banner's red frame along the bottom of the pane, yellow inside.
             const int middle = pane->left + pane->width / 2;
             const int bottom = pane->top + pane->height - 2;
             EXPECT_EQ(screen.host().Pixel(middle, bottom - 1), kRed);
             EXPECT_EQ(screen.host().Pixel(middle, bottom - 2), kRed);
             EXPECT_EQ(screen.host().Pixel(middle, bottom - 6), kYellow);
             // The box is as wide as the title and subtitle, not the pane.
             EXPECT_NE(screen.host().Pixel(pane->left + 2, bottom - 6), kYellow);
             EXPECT_NE(screen.host().Pixel(pane->left + 2, bottom - 1), kRed);
         }});
}

// The screen point of the middle of a keyboard key.
POINT KeyCentre(HWND dialog, int position) {
    int x, y;
    if (position == 0) {
        x = 4 * kKeyWidth + 8;
        y = 3 * kKeyHeight + 10;
    } else {
        const int row = (position - 1) / 9, column = 9 * (row + 1) - position;
        x = column * kKeyWidth + 8;
        y = row * kKeyHeight + 12;
    }
    const POINT origin = KeyboardOrigin(dialog);
    POINT p{origin.x + x, origin.y + y};
    ClientToScreen(dialog, &p);
    return p;
}

TEST_F(SearchTest, KeysTappedOnTheKeyboardGoInFrontOfEachOther) {
    Run({[&] { Command(116); },
         [&] {
             HWND dialog = Dialog();
             ASSERT_NE(dialog, nullptr);
             for (int key : {1, 2, 3, 0, 27}) {
                 POINT p = KeyCentre(dialog, key);
                 screen.host().Tap(p.x, p.y);
             }
         },
         [&] {
             // alef, bet, gimel, space, tav: each in front of the one before.
             EXPECT_EQ(Field(), u"\u05EA \u05D2\u05D1\u05D0");
             Press(VK_RETURN);
         },
         [&] { EXPECT_EQ(Search(), "{ cba"); }});
}

TEST_F(SearchTest, TheKeyboardLiesUnderItsKeys) {
    // Every key's letter is drawn inside the cell the hit test gives it: the pixels of each key
    // cell differ from the empty white of the dialog, and a tap outside the bitmap is no key.
    Run({[&] { Command(116); },
         [&] {
             HWND dialog = Dialog();
             ASSERT_NE(dialog, nullptr);
             for (int key = 1; key <= 27; ++key) {
                 POINT p = KeyCentre(dialog, key);
                 int dark = 0;
                 for (int dy = -6; dy <= 6; ++dy)
                     for (int dx = -5; dx <= 5; ++dx)
                         dark += screen.host().Pixel(p.x + dx, p.y + dy) == 0;
                 EXPECT_GT(dark, 3) << "key " << key;
             }
             EXPECT_EQ(KeyAtPoint(KeyboardOrigin(dialog), 0, 0), -1);
             // The tap areas start where the bitmap was placed (the dialog rounds dialog units
             // to the nearest pixel; truncating put every key a pixel to the left).
             POINT origin = KeyboardOrigin(dialog);
             ClientToScreen(dialog, &origin);
             int bitmaps = 0;
             for (const ControlInfo& c : DescribeControls(dialog)) {
                 if (c.className != u"STATIC" || c.rect.right - c.rect.left != kKeyboardWidth)
                     continue;
                 ++bitmaps;
                 EXPECT_EQ(c.rect.left, origin.x);
                 EXPECT_EQ(c.rect.top, origin.y);
             }
             EXPECT_EQ(bitmaps, 1);
         }});
}

TEST_F(SearchTest, TheDialogOpensWithTheStoredWordSelectedAndTypingReplacesIt) {
    // A stored word of the longest length: the first letter typed replaces it all.
    std::string stored;
    for (int i = 0; i < kSearchStringLimit; ++i) stored += "7a,";
    Store("\"SearchString\"=hex:" + stored + "00\n");
    Run({[&] { screen.host().Key(VK_F3, false, true); },  // Alt+F3
         [&] {
             HWND dialog = Dialog();
             ASSERT_NE(dialog, nullptr);
             EXPECT_EQ(Field().size(), size_t(kSearchStringLimit));
             DWORD start = 9, end = 9;
             SendMessage(GetDlgItem(dialog, kSearchFieldId), EM_GETSEL, WPARAM(&start),
                         LPARAM(&end));
             EXPECT_EQ(start, 0u);
             EXPECT_EQ(end, DWORD(kSearchStringLimit));
             screen.host().Type(u"1אב");
         },
         [&] {
             EXPECT_EQ(Field(), u"\u05D1\u05D01");
             Press(VK_ESCAPE);
         },
         [&] { screen.host().Key(VK_F3, false, true); },
         [&] {
             // A key of the on-screen keyboard replaces the selection as well.
             HWND dialog = Dialog();
             ASSERT_NE(dialog, nullptr);
             POINT p = KeyCentre(dialog, 27);
             screen.host().Tap(p.x, p.y);
         },
         [&] {
             EXPECT_EQ(Field(), u"\u05EA");
             Press(VK_ESCAPE);
         }});
}

TEST_F(SearchTest, DesktopTypingShowsTheWordRightToLeftAndFindsIt) {
    Run({[&] { screen.host().Key(VK_F3, false, true); },  // Alt+F3
         [&] {
             ASSERT_NE(Dialog(), nullptr);
             screen.host().Type(u"שלום");
         },
         [&] {
             EXPECT_EQ(Field(), u"\u05DD\u05D5\u05DC\u05E9");  // first letter at the right
             Press(VK_RETURN);
         },
         [&] {
             EXPECT_EQ(Dialog(), nullptr);
             EXPECT_EQ(Search(), "nfmz");
             EXPECT_EQ(Marked(App.TopPane), "nfmz");
             // The banner is still there once the dialog has gone.
             TextPane* pane = App.TopPane;
             EXPECT_EQ(
                 screen.host().Pixel(pane->left + pane->width / 2, pane->top + pane->height - 3),
                 kRed);
         }});
}

// Whatever arrives at once (a paste with Ctrl+V or WM_PASTE) enters as typing it would: the same
// field, and so the same word found.
TEST_F(SearchTest, PastedTextEntersAsIfTyped) {
    const std::u16string samples[] = {
        u"ירח",       u"שלום",   u"א12ב",        u"12 34",
        u"שלום עולם", u"ab3.5c", u"כוכב\r\nאחד", u"אבגדהוזחטיכלמנסעפצקרשתאבגדהוזחטיכלמנסעפצ"};
    std::vector<std::function<void()>> steps;
    for (const std::u16string& sample : samples) {
        auto typed = std::make_shared<std::u16string>();
        std::u16string asTyped = sample;
        for (char16_t& c : asTyped)
            if (c == u'\n') c = u' ';
        std::erase(asTyped, u'\r');
        steps.push_back([&] { screen.host().Key(VK_F3, false, true); });
        steps.push_back([&, asTyped] { screen.host().Type(asTyped); });
        steps.push_back([&, typed] {
            *typed = Field();
            Press(VK_ESCAPE);
        });
        for (bool byKey : {true, false}) {
            steps.push_back([&] { screen.host().Key(VK_F3, false, true); });
            steps.push_back([&, sample, byKey] {
                ASSERT_TRUE(OpenClipboard(nullptr));
                EmptyClipboard();
                auto* block = static_cast<char16_t*>(LocalAlloc(0, (sample.size() + 1) * 2));
                std::copy(sample.begin(), sample.end(), block);
                block[sample.size()] = 0;
                SetClipboardData(CF_UNICODETEXT, block);
                CloseClipboard();
                HWND field = GetDlgItem(Dialog(), kSearchFieldId);
                if (byKey)
                    screen.host().Key('V', true);
                else
                    SendMessage(field, WM_PASTE, 0, 0);
            });
            steps.push_back([&, typed, sample, byKey] {
                EXPECT_EQ(Field(), *typed) << (byKey ? "Ctrl+V" : "WM_PASTE") << " of sample "
                                           << sample.size() << " units long";
                Press(VK_ESCAPE);
            });
        }
    }
    // The pasted moon is found as the typed one is: the field reads back as the word typed.
    steps.push_back([&] { screen.host().Key(VK_F3, false, true); });
    steps.push_back([&] {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        const std::u16string word = u"שלום";
        auto* block = static_cast<char16_t*>(LocalAlloc(0, (word.size() + 1) * 2));
        std::copy(word.begin(), word.end(), block);
        block[word.size()] = 0;
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
        screen.host().Key('V', true);
    });
    steps.push_back([&] { Press(VK_RETURN); });
    steps.push_back([&] {
        EXPECT_EQ(Search(), "nfmz");
        EXPECT_EQ(Marked(App.TopPane), "nfmz");
    });
    Run(steps);
}

TEST_F(SearchTest, NumbersKeepTheirOrderAndBackspaceTakesBackTheLastCharacter) {
    Run({[&] { Command(116); }, [&] { screen.host().Type(u"א12ב"); },
         [&] {
             EXPECT_EQ(Field(), u"\u05D112\u05D0");
             Press(VK_BACK);
         },
         [&] {
             EXPECT_EQ(Field(), u"12\u05D0");
             Press(VK_BACK);
         },
         [&] { EXPECT_EQ(Field(), u"1\u05D0"); }});
}

TEST_F(SearchTest, NotFoundKeepsTheDialogOpenWithTheFieldSelected) {
    Run({[&] { Command(116); }, [&] { screen.host().Type(u"שששש"); }, [&] { Press(VK_RETURN); },
         [&] {
             ASSERT_EQ(screen.messageBoxes.size(), 1u);
             EXPECT_EQ(screen.messageBoxes[0].text, u"Not Found!");
             HWND dialog = Dialog();
             ASSERT_NE(dialog, nullptr);
             DWORD start = 9, end = 9;
             SendMessage(GetDlgItem(dialog, kSearchFieldId), EM_GETSEL, WPARAM(&start),
                         LPARAM(&end));
             EXPECT_EQ(start, 0u);
             EXPECT_EQ(end, 4u);
             EXPECT_EQ(Search(), "zzzz");
             // Typing replaces the selection; the field takes no more than 33 characters.
             screen.host().Type(u"אבגדהוזחטיכלמנסעפצקרשתאבגדהוזחטיכלמנסעפצ");
         },
         [&] {
             EXPECT_EQ(Field().size(), 33u);
             Press(VK_ESCAPE);
         },
         [&] {
             EXPECT_EQ(Dialog(), nullptr);
             EXPECT_EQ(Search(), "zzzz");  // Cancel keeps the string
             // The input-panel button was shown while the dialog was in front; closing forced
             // the panel down, switched it off and hid the button, in that order.
             const auto& log = ShellCallLog();
             std::string calls;
             for (const ShellCall& c : log)
                 if (c.name != "SHHandleWMActivate")
                     calls += c.name + " " + std::to_string(c.value) + ";";
             EXPECT_NE(calls.find("SHFullScreen 4;"), std::string::npos) << calls;
             EXPECT_NE(calls.find("SHSipPreference 2;SipShowIM 0;SHFullScreen 8;"),
                       std::string::npos)
                 << calls;
         }});
}

TEST_F(SearchTest, HebrewTypedForASingleByteFontBecomesItsLetters) {
    Store("\"FontAsciiBase\"=dword:000000e0\n");
    Run({[&] { Command(116); }, [&] { screen.host().Type(u"אב"); },
         [&] {
             EXPECT_EQ(Field(), u"\u00E1\u00E0");
             Press(VK_ESCAPE);
         }});
}

TEST_F(SearchTest, TheSearchStringSurvivesARestart) {
    Run({[&] { Command(116); }, [&] { screen.host().Type(u"שלום"); }, [&] { Press(VK_RETURN); }});
    EXPECT_TRUE(Has("\"SearchString\"=hex:6e,66,6d,7a,00"));
    Run({[&] {
             EXPECT_EQ(Search(), "nfmz");
             Command(116);
         },
         [&] {
             // The dialog shows the stored string as it was typed.
             EXPECT_EQ(Field(), u"\u05DD\u05D5\u05DC\u05E9");
             Press(VK_ESCAPE);
         },
         [&] { Press(VK_F3); }, [&] { EXPECT_EQ(Marked(App.TopPane), "nfmz"); }});
}

TEST(SearchInputTest, FieldTextBecomesBookText) {
    ResetAppState();
    App.Font.FontAsciiBase = 1488;
    auto read = [](const char16_t* text) {
        ReadSearchInput(text);
        return std::string(reinterpret_cast<const char*>(App.SearchString));
    };
    EXPECT_EQ(read(u"\u05D0  \u05EA"), "a {");     // a run of spaces leaves one
    EXPECT_EQ(read(u"ab{ *?"), "ab{ *?");          // Latin letters are the letter codes
    EXPECT_EQ(read(u"\uFB2A\u05B8\u05D1"), "Ab");  // shin with its dot stays; points go
    EXPECT_EQ(read(u"\u0161"), "a");               // other characters: the low 8 bits
    App.Font.FontAsciiBase = 224;
    EXPECT_EQ(read(u"\u00E0\u05D1"), "ab");
    EXPECT_EQ(read(u"1234567890123456789012345678901234567"), "123456789012345678901234567890123");
}

}  // namespace
