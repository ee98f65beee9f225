// The composed screen is made again only where something changed: after any series of drawing,
// moves, a dialog over the window and colour changes it equals a screen composed from scratch.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/hosting.h"
#include "platform/user/screen_colours.h"
#include "platform/user/user.h"
#include "support/headless.h"

namespace {

std::vector<uint32_t> Pixels(cairo_surface_t* s) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    std::vector<uint32_t> out;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                      y * cairo_image_surface_get_stride(s));
        // The fourth byte of an RGB24 pixel is not shown; cairo leaves it as it likes.
        for (int x = 0; x < w; ++x) out.push_back(row[x] & 0xFFFFFF);
    }
    return out;
}

TEST(ComposeTest, AReusedScreenEqualsOneComposedFromScratch) {
    HeadlessScreen screen;
    HWND page = CreateWhiteWindow(u"ComposePage", DefWindowProc);
    HWND box = CreateWindowEx(0, u"ComposePage", u"", WS_POPUP | WS_CAPTION, 30, 40, 120, 90, page,
                              nullptr, nullptr, nullptr);
    screen.Settle();
    std::mt19937 random(7);
    const ScreenColours modes[] = {ScreenColours::Normal, ScreenColours::Night, ScreenColours::Red};
    for (int step = 0; step < 200; ++step) {
        SCOPED_TRACE(step);
        HWND target = random() % 3 ? page : box;
        HDC dc = GetDC(target);
        switch (random() % 6) {
            case 0:
            case 1: {
                int x = int(random() % 200), y = int(random() % 280);
                RECT r{x, y, x + 1 + int(random() % 60), y + 1 + int(random() % 40)};
                HBRUSH brush = CreateSolidBrush(RGB(random() % 256, random() % 256, 0));
                FillRect(dc, &r, brush);
                DeleteObject(brush);
                break;
            }
            case 2:
                ExtTextOut(dc, int(random() % 100), int(random() % 200), 0, nullptr, u"abc", 3,
                           nullptr);
                break;
            case 3:
                MoveWindow(box, int(random() % 120), int(random() % 200), 120, 90, TRUE);
                break;
            case 4:
                ShowWindow(box, random() % 2 ? SW_SHOW : SW_HIDE);
                break;
            case 5:
                SetScreenColours(modes[random() % 3]);
                break;
        }
        ReleaseDC(target, dc);
        screen.Settle();
        // The screen as composed again where things changed, then from scratch; the latter is
        // what the next step changes.
        cairo_surface_t* reused = ComposeScreen();
        ForgetComposedScreen();
        cairo_surface_t* fresh = ComposeScreen();
        EXPECT_NE(reused, fresh);
        EXPECT_EQ(Pixels(reused), Pixels(fresh));
        cairo_surface_destroy(reused);
        cairo_surface_destroy(fresh);
        if (HasFailure()) break;
    }
    SetScreenColours(ScreenColours::Normal);
}

}  // namespace
