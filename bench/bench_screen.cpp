// Composing a full-HD and a 4K screen of text in each display mode: a screen that did not change
// since it was last composed, and one drawn over in full (composed and transformed in full). In
// the same run the peers: a plain copy of the page, and the night transform applied pixel by
// pixel without the copier, which is what the copier saves.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/host/host_headless.h"
#include "platform/user/screen_colours.h"
#include "platform/user/user.h"

namespace {

struct ScreenSize {
    int width, height;
};
constexpr ScreenSize kSizes[] = {{1920, 1080}, {3840, 2160}};

// A white page of dark text lines with a blue heading, drawn in the real fonts.
LRESULT PageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefWindowProc(w, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    LOGFONT lf{};
    lf.lfHeight = 18;
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ before = SelectObject(dc, font);
    std::u16string line =
        u"\u05dc\u05d9\u05dc\u05d4 \u05d9\u05d5\u05e8\u05d3 \u05e2\u05dc "
        u"\u05d4\u05d2\u05d2\u05d5\u05ea, "
        u"and the last light goes out over the roofs; the stars come one by one. ";
    while (line.size() < 200) line += line;
    RECT client;
    GetClientRect(w, &client);
    for (int y = 0, i = 0; y < client.bottom; y += 20, ++i) {
        SetTextColor(dc, i % 12 == 0 ? RGB(0, 0, 255) : RGB(0, 0, 0));
        ExtTextOut(dc, 4, y, 0, nullptr, line.c_str(), int(line.size()), nullptr);
    }
    SelectObject(dc, before);
    DeleteObject(font);
    EndPaint(w, &ps);
    return 0;
}

// The page window follows the screen: argument 0 picks the screen size.
void UseScreen(benchmark::State& state) {
    const ScreenSize& size = kSizes[state.range(0)];
    HeadlessHost* host = static_cast<HeadlessHost*>(CurrentHost());
    if (host->ScreenWidth() != size.width || host->ScreenHeight() != size.height) {
        host->Resize(size.width, size.height);
        for (HWND page = FindWindow(u"BenchScreen", nullptr); page; page = nullptr)
            UpdateWindow(page);
    }
    state.SetLabel(std::to_string(size.width) + "x" + std::to_string(size.height));
}

void Compose(benchmark::State& state, ScreenColours colours) {
    UseScreen(state);
    SetScreenColours(colours);
    for (auto _ : state) {
        cairo_surface_t* s = ComposeScreen();
        benchmark::DoNotOptimize(cairo_image_surface_get_data(s));
        cairo_surface_destroy(s);
    }
    SetScreenColours(ScreenColours::Normal);
}
void BM_ComposeNormal(benchmark::State& state) {
    Compose(state, ScreenColours::Normal);
}
void BM_ComposeNight(benchmark::State& state) {
    Compose(state, ScreenColours::Night);
}
void BM_ComposeRed(benchmark::State& state) {
    Compose(state, ScreenColours::Red);
}
BENCHMARK(BM_ComposeNormal)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeNight)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeRed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A frame in which the whole page was drawn again (its picture copied back from a memory
// bitmap, so that its pixels stay, outside the timing): the screen is composed and transformed
// in full. The peer is BM_DrawPage, that copy of the page alone, timed: a plain copy of the
// same memory, which no composition of a fully changed screen can beat by much.
void ComposeChanged(benchmark::State& state, ScreenColours colours, bool compose) {
    UseScreen(state);
    SetScreenColours(colours);
    HWND page = FindWindow(u"BenchScreen", nullptr);
    HDC dc = GetDC(page);
    RECT client;
    GetClientRect(page, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP picture = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ before = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    for (auto _ : state) {
        if (compose) state.PauseTiming();
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        if (!compose) continue;
        state.ResumeTiming();
        cairo_surface_t* s = ComposeScreen();
        benchmark::DoNotOptimize(cairo_image_surface_get_data(s));
        cairo_surface_destroy(s);
    }
    SelectObject(memory, before);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(page, dc);
    SetScreenColours(ScreenColours::Normal);
}
void BM_DrawPage(benchmark::State& state) {
    ComposeChanged(state, ScreenColours::Normal, false);
}
void BM_ComposeChangedNormal(benchmark::State& state) {
    ComposeChanged(state, ScreenColours::Normal, true);
}
void BM_ComposeChangedNight(benchmark::State& state) {
    ComposeChanged(state, ScreenColours::Night, true);
}
void BM_ComposeChangedRed(benchmark::State& state) {
    ComposeChanged(state, ScreenColours::Red, true);
}
BENCHMARK(BM_DrawPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeChangedNormal)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeChangedNight)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeChangedRed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The peer: the same screen, the night transform computed for every pixel (into a buffer of
// its own: the composed screen is not to be drawn into).
void BM_NightUncached(benchmark::State& state) {
    UseScreen(state);
    for (auto _ : state) {
        cairo_surface_t* s = ComposeScreen();
        cairo_surface_flush(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        int stride = cairo_image_surface_get_stride(s);
        int width = cairo_image_surface_get_width(s), height = cairo_image_surface_get_height(s);
        std::vector<uint32_t> out(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
            for (int x = 0; x < width; ++x)
                out[size_t(y) * size_t(width) + size_t(x)] =
                    TransformScreenPixel(row[x], ScreenColours::Night);
        }
        benchmark::DoNotOptimize(out.data());
        cairo_surface_destroy(s);
    }
}
BENCHMARK(BM_NightUncached)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    HeadlessHost host(kSizes[0].width, kSizes[0].height);
    WNDCLASS wc{};
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = u"BenchScreen";
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    RegisterClass(&wc);
    HWND page = CreateWindowEx(0, u"BenchScreen", u"", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    UpdateWindow(page);
    std::printf("screens of text in the real fonts, full HD and 4K\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
