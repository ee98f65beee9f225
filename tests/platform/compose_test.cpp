// The composed screen is made again only where something changed: after any series of drawing,
// moves, a dialog over the window and colour changes it equals a screen composed from scratch.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <unordered_map>
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

// The composed screen, let go at the end of the statement.
std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> ComposeScreenRef() {
    return {ComposeScreen(), cairo_surface_destroy};
}

// Each pixel of a normal screen as the given colours show it.
std::vector<uint32_t> Transformed(const std::vector<uint32_t>& day, ScreenColours colours) {
    std::unordered_map<uint32_t, uint32_t> known;
    std::vector<uint32_t> out;
    out.reserve(day.size());
    for (uint32_t p : day) {
        auto [it, added] = known.try_emplace(p);
        if (added) it->second = TransformScreenPixel(p, colours);
        out.push_back(it->second);
    }
    return out;
}

// Random drawing, moves, a dialog over the window and colour changes. After each step the
// screen composed again where things changed equals one composed from scratch, and the screen
// in night or red equals the normal screen with every pixel transformed. The larger screen is
// composed by two cores.
void ComposeRandomScreens(int width, int height, int steps) {
    HeadlessScreen screen(width, height);
    HWND page = CreateWhiteWindow(u"ComposePage", DefWindowProc, width, height);
    HWND box = CreateWindowEx(0, u"ComposePage", u"", WS_POPUP | WS_CAPTION, 30, 40, width / 2,
                              height / 3, page, nullptr, nullptr, nullptr);
    screen.Settle();
    std::mt19937 random(7);
    auto below = [&](int n) { return int(random() % unsigned(n)); };
    const ScreenColours modes[] = {ScreenColours::Normal, ScreenColours::Night, ScreenColours::Red};
    ScreenColours mode = ScreenColours::Normal;
    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE(step);
        HWND target = random() % 3 ? page : box;
        HDC dc = GetDC(target);
        switch (random() % 6) {
            case 0:
            case 1: {
                int x = below(width - 40), y = below(height - 40);
                RECT r{x, y, x + 1 + below(width / 4), y + 1 + below(height / 8)};
                HBRUSH brush = CreateSolidBrush(RGB(below(256), below(256), below(2) * 255));
                FillRect(dc, &r, brush);
                DeleteObject(brush);
                break;
            }
            case 2:
                SetTextColor(dc, RGB(0, 0, below(2) * 255));
                ExtTextOut(dc, below(width / 2), below(height - 20), 0, nullptr, u"abc", 3,
                           nullptr);
                break;
            case 3:
                MoveWindow(box, below(width / 2), below(height - 60), width / 2, height / 3, TRUE);
                break;
            case 4:
                ShowWindow(box, random() % 2 ? SW_SHOW : SW_HIDE);
                break;
            case 5:
                mode = modes[random() % 3];
                SetScreenColours(mode);
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
        std::vector<uint32_t> shown = Pixels(fresh);
        EXPECT_EQ(Pixels(reused), shown);
        cairo_surface_destroy(reused);
        cairo_surface_destroy(fresh);
        if (mode != ScreenColours::Normal) {
            // The same windows in normal colours (nothing is painted in between).
            SetScreenColours(ScreenColours::Normal);
            cairo_surface_t* day = ComposeScreen();
            EXPECT_EQ(Transformed(Pixels(day), mode), shown);
            cairo_surface_destroy(day);
            SetScreenColours(mode);
        }
        if (::testing::Test::HasFailure()) break;
    }
    SetScreenColours(ScreenColours::Normal);
}

TEST(ComposeTest, AReusedScreenEqualsOneComposedFromScratchAndTheColoursEqualEachPixels) {
    ComposeRandomScreens(240, 320, 200);
    ComposeRandomScreens(1024, 768, 60);
}

// A dialog's shadow shows under it and beside it wherever it stands on the screen, also where
// the shadow's rows hold nothing of the dialog itself.
TEST(ComposeTest, ADialogCastsItsShadowAtEveryHeight) {
    HeadlessScreen screen;
    HWND page = CreateWhiteWindow(u"ShadowPage", DefWindowProc);
    HWND box = CreateWindowEx(0, u"ShadowPage", u"", WS_POPUP | WS_VISIBLE, 20, 0, 100, 60, page,
                              nullptr, nullptr, nullptr);
    for (int top = 0; top + 62 < 320; ++top) {
        SCOPED_TRACE(top);
        MoveWindow(box, 20, top, 100, 60, TRUE);
        screen.Settle();
        std::vector<uint32_t> shown = Pixels(ComposeScreenRef().get());
        auto at = [&](int x, int y) { return shown[size_t(y) * 240 + size_t(x)]; };
        EXPECT_LT(at(70, top + 60), 0xFFFFFFu);  // under it
        EXPECT_LT(at(70, top + 61), 0xFFFFFFu);
        EXPECT_EQ(at(70, top + 62), 0xFFFFFFu);
        EXPECT_LT(at(120, top + 61), 0xFFFFFFu);  // beside it, to its foot
        EXPECT_EQ(at(122, top + 30), 0xFFFFFFu);
        if (::testing::Test::HasFailure()) break;
    }
}

// Rows copied into night or red give each pixel what the pixel transform gives it: every
// colour, grey runs, colours among greys, at every alignment, in place and to another row.
TEST(ComposeTest, TheRowCopierAgreesWithThePixelTransformForEveryColour) {
    for (ScreenColours colours : {ScreenColours::Night, ScreenColours::Red}) {
        SCOPED_TRACE(int(colours));
        ScreenColourCopier copier(colours);
        std::vector<uint32_t> row(4096 + 2048 + 3), out(row.size());
        std::mt19937 random(3);
        for (uint32_t first = 0; first < (1u << 24); first += 4096) {
            uint32_t grey = (first >> 12) & 0xFF;
            for (size_t i = 0; i < row.size(); ++i) {
                if (i < 4096)  // every colour once
                    row[i] = first + uint32_t(i);
                else if (i < 4096 + 1024)  // greys, singly and in runs
                    row[i] = (random() % 4 ? grey : uint32_t(random() % 256)) * 0x010101u;
                else  // a colour now and then in a run of grey
                    row[i] = random() % 9 ? grey * 0x010101u : first + uint32_t(random() % 4096);
                row[i] |= uint32_t(random() % 2) << 31;  // the unseen fourth byte
            }
            size_t offset = first / 4096 % 4;
            std::vector<uint32_t> expected(row.size());
            for (size_t i = 0; i < row.size(); ++i)
                expected[i] = TransformScreenPixel(row[i], colours);
            copier.Row(row.data() + offset, out.data() + offset, int(row.size() - offset));
            copier.Row(row.data(), row.data(), int(offset));
            for (size_t i = 0; i < row.size(); ++i) {
                uint32_t got = (i < offset ? row[i] : out[i]) & 0xFFFFFF;
                if (got != expected[i]) {
                    ADD_FAILURE() << std::hex << "pixel " << (row[i] & 0xFFFFFF) << " became "
                                  << got << ", not " << expected[i];
                    return;
                }
            }
        }
    }
}

}  // namespace
