// Reading comfort on the desktop, end to end on the headless host: zoom through the font path,
// the night and red display modes as the composed screen shows them, and F11 full screen.
#include <algorithm>
#include <functional>

#include "index/font_dialog.h"
#include "platform/hosting.h"
#include "platform/resources.h"
#include "platform/services/shell_services.h"
#include "platform/user/controls.h"
#include "platform/user/screen_colours.h"
#include "platform/user/screen_query.h"
#include "reader/app_state.h"
#include "resources/program_resources.h"
#include "shell/display_mode.h"
#include "shell/reader_main.h"
#include "shell/zoom.h"
#include "store/book_resources.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

class ComfortTest : public ReaderRunTest {
protected:
    void SetUp() override {
        ReaderRunTest::SetUp();
        RequestDisplayMode(-1);
    }
    void TearDown() override {
        RequestDisplayMode(-1);
        ReaderRunTest::TearDown();
    }
    void Wheel(int x, int y, int notches, WORD keys) {
        screen.host().Wheel(x, y, notches, keys);
        screen.Settle();
    }
    uint32_t Pixel(int x, int y) { return screen.host().Pixel(x, y); }
    // Calls f(x, y, 0x00RRGGBB) for every pixel of the composed screen.
    void EachPixel(const std::function<void(int, int, uint32_t)>& f) {
        cairo_surface_t* s = ComposeScreen();
        cairo_surface_flush(s);
        int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) +
                                                    y * cairo_image_surface_get_stride(s));
            for (int x = 0; x < w; ++x) f(x, y, row[x] & 0xFFFFFF);
        }
        cairo_surface_destroy(s);
    }
};

// The first line painted at the pane's top, found by walking rows (a gap row shows the line
// after it), and the byte where reading that line starts: its first stored byte, or its last
// for a right-to-left line (stored in display order).
const LineEntry& TopLine(const TextPane* p) {
    const LineEntry* e = p->lines;
    int row = 0;
    while (row < p->firstRow && e->style) row += (e++->style & 0x80) ? 2 : 1;
    return *e;
}
int ReadingStart(const LineEntry& e) {
    return (e.style & 0x10) ? e.offset + e.count - 1 : e.offset;
}
bool Holds(const LineEntry& e, int offset) {
    return offset >= e.offset && offset < e.offset + (e.count ? e.count : 1);
}

TEST(ZoomSizes, StepThroughTheFontDialogsList) {
    EXPECT_EQ(NextZoomSize(16, ZoomDirection::In), 18);
    EXPECT_EQ(NextZoomSize(16, ZoomDirection::Out), 14);
    EXPECT_EQ(NextZoomSize(13, ZoomDirection::In), 14);  // off the list: the next one each way
    EXPECT_EQ(NextZoomSize(13, ZoomDirection::Out), 12);
    EXPECT_EQ(NextZoomSize(32, ZoomDirection::In), 52);
    EXPECT_EQ(NextZoomSize(8, ZoomDirection::In), 10);
    EXPECT_EQ(NextZoomSize(8, ZoomDirection::Out), 0);  // nothing below 10
    EXPECT_EQ(NextZoomSize(10, ZoomDirection::Out), 0);
    EXPECT_EQ(NextZoomSize(72, ZoomDirection::In), 0);  // nothing above 72
    EXPECT_EQ(NextZoomSize(100, ZoomDirection::Out), 72);
}

TEST_F(ComfortTest, ZoomKeepsTheTopTextOfBothPanesAndReturnsToTheSameLine) {
    Store("\"Lesson\"=dword:00000003\n");
    Run({[&] {
        TextPane* top = App.TopPane;
        TextPane* bottom = App.BottomPane;
        ASSERT_TRUE(top && bottom);
        // Somewhere inside both articles, away from their first lines.
        for (int i = 0; i < 3; ++i) Key(VK_NEXT);
        App.ActivePane = bottom;
        for (int i = 0; i < 4; ++i) Key(VK_DOWN);
        ASSERT_GT(top->firstRow, 0);
        ASSERT_GT(bottom->firstRow, 0);
        const int topRow = top->firstRow, bottomRow = bottom->firstRow;
        const int topStart = ReadingStart(TopLine(top));
        const int bottomStart = ReadingStart(TopLine(bottom));
        EXPECT_EQ(TopTextOffset(top), topStart);
        EXPECT_EQ(TopTextOffset(bottom), bottomStart);
        EXPECT_EQ(App.Font.FontSize, 0);

        // The default font shows 16 pixels, so the steps are 18, 20, 22 and back.
        const int up[] = {18, 20, 22};
        for (int size : up) {
            Key(VK_OEM_PLUS, true);
            EXPECT_EQ(App.Font.FontSize, size);
            EXPECT_EQ(top->fontRecord.FontSize, size);
            EXPECT_EQ(bottom->fontRecord.FontSize, size);
            EXPECT_TRUE(Holds(TopLine(top), topStart)) << "top pane at size " << size;
            EXPECT_TRUE(Holds(TopLine(bottom), bottomStart)) << "bottom pane at size " << size;
        }
        // Laid out again in the new size: a line in the plain font is as high as the size.
        int plain = 0;
        for (const LineEntry* e = top->lines; e->style; ++e)
            if ((e->style & 0x07) != 0x07 && !(e->style & 0x06)) {
                EXPECT_EQ(e->height, 22);
                ++plain;
            }
        EXPECT_GT(plain, 0);
        Key(VK_OEM_MINUS, true);
        Key(VK_SUBTRACT, true);
        EXPECT_EQ(App.Font.FontSize, 18);
        EXPECT_TRUE(Holds(TopLine(top), topStart));
        EXPECT_TRUE(Holds(TopLine(bottom), bottomStart));
        Key('0', true);
        EXPECT_EQ(App.Font.FontSize, 0);
        EXPECT_EQ(top->firstRow, topRow);
        EXPECT_EQ(bottom->firstRow, bottomRow);
        EXPECT_EQ(ReadingStart(TopLine(top)), topStart);
    }});
    // The zoomed size is kept as the font dialog's is: Ctrl+0 went back to 0, which is not
    // written, and nothing was stored before.
    EXPECT_FALSE(HasValue("FontSize"));
}

TEST_F(ComfortTest, ZoomedSizeIsSavedAndCtrlZeroGoesBackToTheStoredOne) {
    Store("\"FontSize\"=dword:0000000c\n");  // 12
    Run({[&] {
        Key(VK_ADD, true);
        EXPECT_EQ(App.Font.FontSize, 14);
        Key('0', true);
        EXPECT_EQ(App.Font.FontSize, 12);
        // The ends of the list stop the steps.
        for (int i = 0; i < 20; ++i) Key(VK_OEM_PLUS, true);
        EXPECT_EQ(App.Font.FontSize, 72);
        EXPECT_EQ(App.TopPane->fontRecord.FontSize, 72);
        Key(VK_OEM_MINUS, true);
        EXPECT_EQ(App.Font.FontSize, 52);
    }});
    EXPECT_TRUE(Has("\"FontSize\"=dword:00000034"));
}

TEST_F(ComfortTest, CtrlZeroGoesBackToTheSizeLastChosenInChooseFont) {
    StoreFont();  // 16
    HWND dialog = nullptr;
    Run({[&] {
             Key(VK_ADD, true);
             EXPECT_EQ(App.Font.FontSize, 18);
             Command(40006);  // Font
         },
         [&] {
             dialog = GetActiveWindow();
             ASSERT_EQ(DialogCaption(), u"Choose Font");
             // A tap on the seventh size, 20, as the user picks it.
             HWND list = GetDlgItem(dialog, kSizeListId);
             RECT r;
             GetWindowRect(list, &r);
             int h = int(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
             int top = int(SendMessage(list, LB_GETTOPINDEX, 0, 0));
             screen.host().Tap(r.left + 10, r.top + 2 + (6 - top) * h + h / 2);
         },
         [&] { PostMessage(dialog, WM_COMMAND, IDOK, 0); },
         [&] {
             EXPECT_EQ(App.Font.FontSize, 20);
             Key(VK_ADD, true);
             Key(VK_ADD, true);
             EXPECT_EQ(App.Font.FontSize, 24);
             Key('0', true);
             EXPECT_EQ(App.Font.FontSize, 20);
             EXPECT_EQ(App.TopPane->fontRecord.FontSize, 20);
         }});
}

TEST_F(ComfortTest, CtrlWheelZoomsAndThePlainWheelStillScrolls) {
    Run({[&] {
        Wheel(60, App.TopPane->top + 20, 2, MK_CONTROL);
        EXPECT_EQ(App.Font.FontSize, 20);
        EXPECT_EQ(App.TopPane->firstRow, 0);
        Wheel(60, App.TopPane->top + 20, -1, MK_CONTROL);
        EXPECT_EQ(App.Font.FontSize, 18);
        Wheel(60, App.TopPane->top + 20, -1, 0);
        EXPECT_EQ(App.Font.FontSize, 18);
        EXPECT_EQ(App.TopPane->firstRow, 3);
    }});
}

TEST(ScreenColours, NightTurnsLightnessOverAndKeepsHues) {
    auto night = [](uint32_t c) { return TransformScreenPixel(c, ScreenColours::Night); };
    EXPECT_EQ(night(0xFFFFFF), 0x000000u);
    EXPECT_EQ(night(0x000000), 0xFFFFFFu);
    EXPECT_EQ(night(0x808080), 0x7F7F7Fu);
    // Pure blue, red and yellow keep their hue and come out lighter: (0.3, 0.3, 1) and so on.
    EXPECT_EQ(night(0x0000FF), 0x4D4DFFu);
    EXPECT_EQ(night(0xFF0000), 0xFF4D4Du);
    EXPECT_EQ(night(0xFFFF00), 0xFFFF4Du);
    // The pale bottom section becomes a dark cyan, set apart from the black page.
    uint32_t pale = night(0xEEFFFF);
    EXPECT_EQ(pale >> 16, 0u);
    EXPECT_EQ((pale >> 8) & 0xFF, pale & 0xFF);
    EXPECT_GT(pale & 0xFF, 0x08u);
    EXPECT_LT(pale & 0xFF, 0x30u);
    EXPECT_EQ(TransformScreenPixel(0x123456, ScreenColours::Normal), 0x123456u);
}

TEST(ScreenColours, RedKeepsOnlyTheRedChannelWithTheLumaTurnedOver) {
    auto red = [](uint32_t c) { return TransformScreenPixel(c, ScreenColours::Red); };
    EXPECT_EQ(red(0xFFFFFF), 0x000000u);
    EXPECT_EQ(red(0x000000), 0xFF0000u);
    EXPECT_EQ(red(0x0000FF), uint32_t(255 - 29) << 16);   // blue text: luma 29
    EXPECT_EQ(red(0xFFFF00), uint32_t(255 - 226) << 16);  // yellow highlight: luma 226
    for (uint32_t c = 0; c < 0x1000000; c += 0x010307) EXPECT_EQ(red(c) & 0xFFFF, 0u) << c;
}

TEST_F(ComfortTest, NightModeShowsADarkPageWithBlueHeadingsAndLightText) {
    Run({[&] {
        const uint32_t dayPage = Pixel(120, App.TopPane->top + 2);
        EXPECT_EQ(dayPage, 0xFFFFFFu);
        Key('N', true);
        EXPECT_EQ(App.DisplayMode, kDisplayModeNight);
        EXPECT_EQ(CurrentScreenColours(), ScreenColours::Night);
        EXPECT_EQ(Pixel(120, App.TopPane->top + 2), 0x000000u);
        // The first line is the article's heading: its pixels are blue on black, and the body
        // text below it light.
        int blue = 0, light = 0, bright = 0;
        const LineEntry& heading = App.TopPane->lines[0];
        const TextPane* top = App.TopPane;
        EachPixel([&](int x, int y, uint32_t p) {
            if (x < top->left || x >= top->left + top->width || y < top->top ||
                y >= top->top + top->height)
                return;
            int r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
            bool inHeading = y < top->top + heading.height;
            if (inHeading && b > 200 && b > r + 100 && b > g + 100) ++blue;
            if (!inHeading && r > 200 && g > 200 && b > 200) ++light;
            if (r + g + b > 3 * 250 && inHeading) ++bright;
        });
        EXPECT_GT(blue, 50);
        EXPECT_GT(light, 50);
        EXPECT_EQ(bright, 0);
        // The red line above the bottom section stays red, the section itself dark.
        uint32_t line = Pixel(5, App.BottomRect.top - 3);
        EXPECT_GT(int(line >> 16), 200);
        EXPECT_LT(int((line >> 8) & 0xFF), 100);
        EXPECT_LT(int(Pixel(5, App.BottomRect.top - 1) & 0xFF), 0x30);
    }});
}

TEST_F(ComfortTest, RedModeHasNoGreenOrBlueAnywhereOnTheScreenNorInAMessageBox) {
    Run({[&] {
        Key('N', true);
        Key('N', true);
        EXPECT_EQ(App.DisplayMode, kDisplayModeRed);
        auto scan = [&](int* lit) {
            int coloured = 0;
            *lit = 0;
            EachPixel([&](int, int, uint32_t p) {
                if (p & 0xFFFF) ++coloured;
                if ((p >> 16) > 200) ++*lit;
            });
            return coloured;
        };
        int lit = 0;
        EXPECT_EQ(scan(&lit), 0);
        EXPECT_GT(lit, 500);  // the text is bright enough to read
        // A message box over the reader follows the mode too.
        screen.answerMessageBoxes = false;
        int boxLit = 0, boxColoured = -1;
        // Its caption band is dim, not the brightest thing on the screen; the caption's text
        // is as bright as the reader's.
        int band = -1, captionInk = -1;
        nestedIdle = [&] {
            boxColoured = scan(&boxLit);
            ModalInfo info;
            if (DescribeActiveModal(&info)) {
                RECT r;
                GetWindowRect(info.window, &r);
                band = int(Pixel(r.right - 40, r.top + 2) >> 16);
                for (int y = r.top + 1; y < r.top + 20; ++y)
                    for (int x = r.left + 2; x < r.left + 40; ++x)
                        captionInk = std::max(captionInk, int(Pixel(x, y) >> 16));
                PostMessage(info.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            return true;
        };
        MessageBox(App.MainWindow, u"Not Found!", u"Orvanel", MB_OK);
        nestedIdle = nullptr;
        EXPECT_EQ(boxColoured, 0);
        EXPECT_GT(boxLit, 0);
        EXPECT_LT(band, 64);
        EXPECT_GT(captionInk, 200);
        Key('N', true);
        EXPECT_EQ(App.DisplayMode, kDisplayModeOff);
        EXPECT_EQ(Pixel(120, App.TopPane->top + 2), 0xFFFFFFu);
    }});
    // Switched during the run and different from what was stored (nothing): kept.
    EXPECT_FALSE(HasValue("DisplayMode"));
}

TEST_F(ComfortTest, TheModeIsStoredOnlyWhenTheUserChangedIt) {
    Run({[&] { Key('N', true); }});
    EXPECT_TRUE(Has("\"DisplayMode\"=dword:00000001"));
    // The stored mode shows from the start; a run that does not change it writes nothing.
    Store("\"DisplayMode\"=dword:00000002\n");
    ResetSettingsState();
    Run({[&] {
        EXPECT_EQ(App.DisplayMode, kDisplayModeRed);
        EXPECT_EQ(Pixel(120, App.TopPane->top + 2), 0x000000u);
        EXPECT_EQ(Pixel(120, App.TopPane->top + 2) & 0xFFFF, 0u);
    }});
    EXPECT_TRUE(Has("\"DisplayMode\"=dword:00000002"));
    // A mode asked for on the command line is for that run only.
    RequestDisplayMode(kDisplayModeNight);
    Run({[&] { EXPECT_EQ(App.DisplayMode, kDisplayModeNight); }});
    EXPECT_TRUE(Has("\"DisplayMode\"=dword:00000002"));
    // An unknown stored value reads as off.
    RequestDisplayMode(-1);
    Store("\"DisplayMode\"=dword:00000009\n");
    Run({[&] {
        EXPECT_EQ(App.DisplayMode, kDisplayModeOff);
        EXPECT_EQ(Pixel(120, App.TopPane->top + 2), 0xFFFFFFu);
    }});
}

TEST_F(ComfortTest, F11TogglesTheDesktopFullScreenAndEscapeLeavesIt) {
    Run({[&] {
        int handheld = App.FullScreen;
        EXPECT_FALSE(screen.host().fullScreen());
        Key(VK_F11);
        EXPECT_TRUE(screen.host().fullScreen());
        Key(VK_F11);
        EXPECT_FALSE(screen.host().fullScreen());
        Key(VK_F11);
        Key(VK_ESCAPE);
        EXPECT_FALSE(screen.host().fullScreen());
        Key(VK_ESCAPE);  // not full screen: nothing
        EXPECT_FALSE(screen.host().fullScreen());
        EXPECT_EQ(App.FullScreen, handheld);
        EXPECT_EQ(App.Lesson, 1);
    }});
}

}  // namespace
