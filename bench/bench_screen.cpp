// Composing a full-HD and a 4K screen of text in each display mode, and in the same run the
// night transform applied pixel by pixel without its colour cache, which is what the cache saves.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <string>

#include "platform/gdi.h"
#include "platform/host/host_headless.h"
#include "platform/screen_colours.h"
#include "platform/user.h"

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

// The peer: the same screen, the night transform computed for every pixel.
void BM_NightUncached(benchmark::State& state) {
    UseScreen(state);
    for (auto _ : state) {
        cairo_surface_t* s = ComposeScreen();
        cairo_surface_flush(s);
        unsigned char* data = cairo_image_surface_get_data(s);
        int stride = cairo_image_surface_get_stride(s);
        int width = cairo_image_surface_get_width(s), height = cairo_image_surface_get_height(s);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
            for (int x = 0; x < width; ++x)
                row[x] = TransformScreenPixel(row[x], ScreenColours::Night);
        }
        benchmark::DoNotOptimize(data);
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
