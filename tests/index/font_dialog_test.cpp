// The Choose Font dialog on the headless host with the synthetic families "Synthetic" (Hebrew,
// character set 177) and "Synthetic Latin": the first run, the Font command, the lists, the
// radio buttons, the sample and what OK and Cancel leave in the font record and the panes.
#include "index/font_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "index/font_sizes.h"
#include "platform/gdi/font_engine.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "platform/user/screen_query.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

class FontDialogTest : public ReaderRunTest {
protected:
    explicit FontDialogTest(Fonts fonts = Fonts::Synthetic) : ReaderRunTest(fonts) {
        driveFirstRunDialog = true;
    }
    HWND Dialog() {
        ModalInfo modal;
        return DescribeActiveModal(&modal) && modal.caption == u"Choose Font" ? modal.window
                                                                              : nullptr;
    }
    HWND Item(int id) { return GetDlgItem(Dialog(), id); }
    std::u16string Sample() {
        char16_t text[64] = {};
        GetWindowText(Item(kSampleId), text, 63);
        return text;
    }
    // The sample for a base: base + 26 down to base.
    static std::u16string Codes(int base) {
        std::u16string s;
        for (int c = base + 26; c >= base; --c) s.push_back(char16_t(c));
        return s;
    }
    bool Checked(int id) { return SendMessage(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int Selection(int id) { return int(SendMessage(Item(id), LB_GETCURSEL, 0, 0)); }
    std::u16string ItemText(int id, int index) {
        char16_t text[64] = {};
        SendMessage(Item(id), LB_GETTEXT, WPARAM(index), LPARAM(text));
        return text;
    }
    // Taps an item of a list box, as the user picks it.
    void TapItem(int id, int index) {
        RECT r;
        GetWindowRect(Item(id), &r);
        int h = int(SendMessage(Item(id), LB_GETITEMHEIGHT, 0, 0));
        int top = int(SendMessage(Item(id), LB_GETTOPINDEX, 0, 0));
        screen.host().Tap(r.left + 10, r.top + 2 + (index - top) * h + h / 2);
    }
    void Press(int id) { PostMessage(Dialog(), WM_COMMAND, WPARAM(id), 0); }
    static std::u16string Face(const FontRecord& f) { return f.FaceName; }
};

TEST_F(FontDialogTest, TheFirstRunAsksOverTheShownWindowAndOkTakesTheFirstFamily) {
    bool asked = false;
    Run({[&] {
             ASSERT_NE(Dialog(), nullptr);
             asked = true;
             EXPECT_TRUE(IsWindowVisible(App.MainWindow));
             EXPECT_EQ(Selection(kFaceListId), 0);  // an empty face matches the first family
             EXPECT_EQ(ItemText(kFaceListId, 0), u"Synthetic");
             EXPECT_EQ(ItemText(kFaceListId, 1), u"Synthetic Latin");
             EXPECT_EQ(Selection(kSizeListId), LB_ERR);
             EXPECT_TRUE(Checked(kUnicodeButtonId));
             EXPECT_FALSE(Checked(kUpperHalfButtonId));
             EXPECT_EQ(Sample(), Codes(1488));
             EXPECT_EQ(GetFocus(), Item(kFaceListId));
             Press(IDOK);
         },
         [&] {
             EXPECT_EQ(Dialog(), nullptr);
             EXPECT_EQ(Face(App.Font), u"Synthetic");
             EXPECT_EQ(Face(App.TopPane->fontRecord), u"Synthetic");
             EXPECT_EQ(Face(App.BottomPane->fontRecord), u"Synthetic");
         }});
    EXPECT_TRUE(asked);
    EXPECT_TRUE(Has("\"FontName\"=\"Synthetic\""));
}

TEST_F(FontDialogTest, ACancelledFirstRunStillAppliesTheRecordAndItsDefaultBase) {
    Store("\"FontAsciiBase\"=dword:00000000\n\"FontSize\"=dword:00000012\n");
    Run({[&] {
             ASSERT_NE(Dialog(), nullptr);
             EXPECT_EQ(App.Font.FontAsciiBase, 1488);  // set on opening
             Press(IDCANCEL);
         },
         [&] {
             EXPECT_EQ(App.TopPane->fontRecord.FontAsciiBase, 1488);
             EXPECT_EQ(App.TopPane->fontRecord.FontSize, 18);
             EXPECT_EQ(std::memcmp(&App.BottomPane->fontRecord, &App.Font, sizeof App.Font), 0);
         }});
    EXPECT_FALSE(HasValue("FontName"));
    EXPECT_TRUE(Has("\"FontAsciiBase\"=dword:000005d0"));
}

TEST_F(FontDialogTest, AStoredBaseOf97ShowsItsSampleWithNoButtonAndOkKeepsIt) {
    StoreFont("\"FontAsciiBase\"=dword:00000061\n");
    Run({[&] { Command(40006); },
         [&] {
             ASSERT_NE(Dialog(), nullptr);
             EXPECT_EQ(Sample(), Codes(97));  // "{" down to "a"
             EXPECT_FALSE(Checked(kUpperHalfButtonId));
             EXPECT_FALSE(Checked(kUnicodeButtonId));
             EXPECT_EQ(GetDlgItem(Dialog(), kLatinButtonId), nullptr);
             EXPECT_EQ(Selection(kSizeListId), 4);  // 16
             Press(IDOK);
         },
         [&] {
             EXPECT_EQ(App.Font.FontAsciiBase, 97);
             EXPECT_EQ(App.Font.FontSize, 16);
             EXPECT_EQ(Face(App.Font), u"Synthetic");
         }});
}

TEST_F(FontDialogTest, TheSizeListPutsASmallStoredSizeFirstAndSelectsOnlyListedSizes) {
    StoreFont();
    auto open = [&](int size) {
        return [&, size] {
            App.Font.FontSize = size;
            Command(40006);
        };
    };
    Run({open(8),
         [&] {
             EXPECT_EQ(SendMessage(Item(kSizeListId), LB_GETCOUNT, 0, 0), kFontSizeCount + 1);
             EXPECT_EQ(ItemText(kSizeListId, 0), u"8");
             EXPECT_EQ(ItemText(kSizeListId, 1), u"10");
             EXPECT_EQ(ItemText(kSizeListId, kFontSizeCount), u"72");
             EXPECT_EQ(Selection(kSizeListId), 0);
             Press(IDCANCEL);
         },
         open(13),
         [&] {
             EXPECT_EQ(SendMessage(Item(kSizeListId), LB_GETCOUNT, 0, 0), kFontSizeCount);
             EXPECT_EQ(Selection(kSizeListId), LB_ERR);
             Press(IDOK);
         },
         [&] { EXPECT_EQ(App.Font.FontSize, 13); }, open(0),
         [&] {
             EXPECT_EQ(Selection(kSizeListId), LB_ERR);
             Press(IDOK);
         },
         [&] { EXPECT_EQ(App.Font.FontSize, 0); }});
}

TEST_F(FontDialogTest, TheStoredFaceSelectsTheFirstFamilyItBegins) {
    StoreFont();
    auto open = [&](const char16_t* face) {
        return [&, face] {
            std::memset(App.Font.FaceName, 0, sizeof App.Font.FaceName);
            std::memcpy(App.Font.FaceName, face, std::char_traits<char16_t>::length(face) * 2);
            Command(40006);
        };
    };
    Run({open(u"Synth"),
         [&] {
             EXPECT_EQ(Selection(kFaceListId), 0);
             Press(IDCANCEL);
         },
         open(u"Synthetic L"),
         [&] {
             EXPECT_EQ(Selection(kFaceListId), 1);
             Press(IDOK);
         },
         [&] { EXPECT_EQ(Face(App.Font), u"Synthetic Latin"); },  // the whole name on OK
         open(u"Tahoma"),
         [&] {
             EXPECT_EQ(Selection(kFaceListId), LB_ERR);
             Press(IDOK);
         },
         [&] { EXPECT_EQ(Face(App.Font), u"Tahoma"); }});  // no selection: the face stays
}

TEST_F(FontDialogTest, PickingAHebrewFamilySwitchesTo5D0AndThePreviewFollows) {
    StoreFont("\"FontAsciiBase\"=dword:000000e0\n");
    HFONT preview = nullptr;
    Run({[&] { Command(40006); },
         [&] {
             EXPECT_TRUE(Checked(kUpperHalfButtonId));
             EXPECT_EQ(Sample(), Codes(224));
             EXPECT_EQ(FontDialog.previewFont, nullptr);  // none until the first change
             TapItem(kFaceListId, 1);                     // "Synthetic Latin"
         },
         [&] {
             EXPECT_EQ(Selection(kFaceListId), 1);
             EXPECT_TRUE(Checked(kUpperHalfButtonId));
             EXPECT_EQ(Sample(), Codes(224));
             ASSERT_NE(FontDialog.previewFont, nullptr);
             EXPECT_EQ(HFONT(SendMessage(Item(kSampleId), WM_GETFONT, 0, 0)),
                       FontDialog.previewFont);
             TapItem(kFaceListId, 0);  // "Synthetic", character set 177
         },
         [&] {
             EXPECT_TRUE(Checked(kUnicodeButtonId));
             EXPECT_FALSE(Checked(kUpperHalfButtonId));
             EXPECT_EQ(Sample(), Codes(1488));
             LOGFONT lf{};
             GetObject(FontDialog.previewFont, sizeof lf, &lf);
             EXPECT_EQ(std::u16string(lf.lfFaceName), u"Synthetic");
             EXPECT_EQ(lf.lfHeight, 16);
             // Back to "224" by its button; choosing the Hebrew family again while "5D0" is
             // not checked switches once more, and while it is checked changes nothing.
             SendMessage(Item(kUpperHalfButtonId), BM_CLICK, 0, 0);
         },
         [&] {
             EXPECT_TRUE(Checked(kUpperHalfButtonId));
             EXPECT_FALSE(Checked(kUnicodeButtonId));
             EXPECT_EQ(Sample(), Codes(224));
             preview = FontDialog.previewFont;
             Press(IDOK);
         },
         [&] {
             EXPECT_EQ(App.Font.FontAsciiBase, 224);
             EXPECT_EQ(GetObject(preview, 0, nullptr), 0);  // the preview font was deleted
         }});
}

TEST_F(FontDialogTest, OkLaysThePanesOutAgainInTheNewSizeAndCancelLeavesThemAlone) {
    StoreFont();
    FontRecord before{};
    int heightBefore = 0, heightAfter = 0;
    HFONT preview = nullptr;
    Run({[&] {
             before = App.Font;
             heightBefore = App.TopPane->lines[0].height;
             Command(40006);
         },
         [&] {
             TapItem(kSizeListId, 6);  // 20
         },
         [&] {
             TapItem(kSizeListId, 11);  // 32
         },
         [&] {
             preview = FontDialog.previewFont;
             Press(IDCANCEL);
         },
         [&] {
             EXPECT_EQ(std::memcmp(&App.Font, &before, sizeof before), 0);
             EXPECT_EQ(App.TopPane->fontRecord.FontSize, 16);
             EXPECT_EQ(App.TopPane->lines[0].height, heightBefore);
             EXPECT_EQ(FontDialog.previewFont, nullptr);
             EXPECT_EQ(FontDialog.fontsHead, nullptr);
             EXPECT_EQ(GetObject(preview, 0, nullptr), 0);  // no preview font left behind
             screen.host().Key('F', true);                  // Ctrl+F
         },
         [&] {
             ASSERT_NE(Dialog(), nullptr);
             TapItem(kSizeListId, 11);  // 32
         },
         [&] { Press(IDOK); },
         [&] {
             EXPECT_EQ(App.Font.FontSize, 32);
             EXPECT_EQ(App.TopPane->fontRecord.FontSize, 32);
             EXPECT_EQ(App.BottomPane->fontRecord.FontSize, 32);
             heightAfter = App.TopPane->lines[0].height;
         }});
    EXPECT_EQ(heightAfter, heightBefore * 2);  // synthetic cells scale with the size
    EXPECT_TRUE(Has("\"FontSize\"=dword:00000020"));
}

// The size handler lays the controls out in pixels from the client size.
TEST_F(FontDialogTest, TheControlsFillTheDialogByThirds) {
    StoreFont();
    Run({[&] { Command(40006); },
         [&] {
             RECT client;
             GetClientRect(Dialog(), &client);
             int w = client.right - 14, h = client.bottom - 14;
             int W = 2 * w / 3, H = 2 * h / 3;
             auto rectOf = [&](int id) {
                 RECT r;
                 GetWindowRect(Item(id), &r);
                 POINT p{r.left, r.top};
                 ScreenToClient(Dialog(), &p);
                 return RECT{p.x, p.y, p.x + r.right - r.left, p.y + r.bottom - r.top};
             };
             auto expect = [&](int id, int x, int y, int cx, int cy) {
                 RECT r = rectOf(id);
                 EXPECT_EQ(r.left, x) << id;
                 EXPECT_EQ(r.top, y) << id;
                 EXPECT_EQ(r.right - r.left, cx) << id;
                 EXPECT_EQ(r.bottom - r.top, cy) << id;
             };
             expect(kFaceListId, 7, 7, W - 7, H - 7);
             expect(kSizeListId, W + 7, 59, w - W, H - 59);
             expect(kSampleId, 7, H, w, h - H);
             expect(kUpperHalfButtonId, W + 7, 24, w - W, 10);
             expect(kUnicodeButtonId, W + 7, 41, w - W, 10);
         }});
}

TEST_F(FontDialogTest, BecomingActiveHidesTheTaskbarAgainInFullScreen) {
    Store("\"FontName\"=\"Synthetic\"\n", "\"FullScreen\"=dword:00000001\n");
    Run({[&] { Command(40006); },
         [&] {
             ASSERT_NE(App.TaskbarWindow, nullptr);
             ShowWindow(App.TaskbarWindow, SW_SHOW);
             SendMessage(Dialog(), WM_ACTIVATE, 1, 0);
             EXPECT_FALSE(IsWindowVisible(App.TaskbarWindow));
             ShowWindow(App.TaskbarWindow, SW_SHOW);
             SendMessage(Dialog(), WM_ACTIVATE, 0, 0);  // deactivation leaves it alone
             EXPECT_TRUE(IsWindowVisible(App.TaskbarWindow));
         }});
}

// Blocks of 25 entries: 60 families take three blocks, and all of them go back.
TEST(FontList, FamiliesFillBlocksOfTwentyFiveAndAreReleasedTogether) {
    FontDialog = FontDialogState{};
    FontDialog.fontsTail = &FontDialog.fontsHead;
    unsigned before = HeapAllocationCount();
    for (int i = 0; i < 60; ++i) {
        LOGFONT lf{};
        lf.lfFaceName[0] = char16_t(u'A' + i % 26);
        TEXTMETRIC tm{};
        tm.tmCharSet = i == 30 ? 177 : 0;
        ASSERT_EQ(AddFontFamily(&lf, &tm, 4, 0), 1);
    }
    EXPECT_EQ(HeapAllocationCount() - before, 3u);
    int count = 0, starts = 0;
    for (FontListEntry* e = FontDialog.fontsHead; e; e = e->next, ++count) {
        starts += e->blockStart;
        if (count == 30) {
            EXPECT_EQ(e->charSet, 177);
        }
    }
    EXPECT_EQ(count, 60);
    EXPECT_EQ(starts, 3);
    FreeFontList();
    EXPECT_EQ(FontDialog.fontsHead, nullptr);
    EXPECT_EQ(FontDialog.freeCount, 0);
    // A block that cannot be had stops the enumeration and keeps what was gathered.
    SetHeapFailure(1);
    LOGFONT lf{};
    TEXTMETRIC tm{};
    EXPECT_EQ(AddFontFamily(&lf, &tm, 4, 0), 0);
    SetHeapFailure(0);
    EXPECT_EQ(FontDialog.fontsHead, nullptr);
}

}  // namespace

namespace {

// The first run on this machine's fonts: the face selected is the one the font system prefers
// for Hebrew text, not the first family in sorted order, and it has every Hebrew letter and
// point; OK gives it to the panes.
class RealFontsDialogTest : public FontDialogTest {
protected:
    RealFontsDialogTest() : FontDialogTest(Fonts::Real) {}
};

TEST_F(RealFontsDialogTest, TheFirstRunPreselectsAHebrewTextFaceAndOkTakesIt) {
    std::u16string chosen;
    Run({[&] {
             ASSERT_NE(Dialog(), nullptr);
             int selected = Selection(kFaceListId);
             ASSERT_NE(selected, LB_ERR);
             chosen = ItemText(kFaceListId, selected);
             FontEngine& engine = CurrentFontEngine();
             for (char32_t c = 0x05D0; c <= 0x05EA; ++c) EXPECT_TRUE(engine.FamilyHas(chosen, c));
             for (char32_t c = 0x05B0; c <= 0x05BC; ++c) EXPECT_TRUE(engine.FamilyHas(chosen, c));
             Press(IDOK);
         },
         [&] { EXPECT_EQ(Face(App.TopPane->fontRecord), chosen); }});
    EXPECT_FALSE(chosen.empty());
}

}  // namespace
