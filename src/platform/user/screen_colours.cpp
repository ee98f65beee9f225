#include "platform/user/screen_colours.h"

#include <algorithm>
#include <cmath>

#include "platform/hosting.h"
#include "platform/user/window_internal.h"

namespace {

ScreenColours gColours = ScreenColours::Normal;

// Night: the lightness of HSL is turned over (white becomes black, black white, greys mirror
// about the middle) and hue and saturation stay, so blue headings stay blue, the red line red
// and the yellow highlight yellow. Pure colours sit at the middle lightness, where turning over
// changes nothing, and would be dim on black: they are lifted by a share of their chroma.
constexpr double kChromaLift = 0.15;

double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

uint32_t Pack(double r, double g, double b) {
    auto c = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return c(r) << 16 | c(g) << 8 | c(b);
}

uint32_t Night(uint32_t rgb) {
    double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0,
           b = (rgb & 0xFF) / 255.0;
    double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    double chroma = hi - lo;
    double light = (hi + lo) / 2;
    double turned = std::min(1.0, 1 - light + kChromaLift * chroma);
    if (chroma == 0) return Pack(turned, turned, turned);
    double sat = chroma / (1 - std::fabs(2 * light - 1));
    double hue;
    if (hi == r)
        hue = std::fmod((g - b) / chroma + 6, 6.0) / 6;
    else if (hi == g)
        hue = ((b - r) / chroma + 2) / 6;
    else
        hue = ((r - g) / chroma + 4) / 6;
    double q = turned < 0.5 ? turned * (1 + sat) : turned + sat - turned * sat;
    double p = 2 * turned - q;
    return Pack(HueToChannel(p, q, hue + 1.0 / 3), HueToChannel(p, q, hue),
                HueToChannel(p, q, hue - 1.0 / 3));
}

// Red: the luma turned over, shown in the red channel alone. Turning the luma over keeps every
// contrast of the day picture (text on paper, blue on yellow in a highlight) at full strength,
// so text is full red on black.
uint32_t Red(uint32_t rgb) {
    uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    uint32_t luma = (299 * r + 587 * g + 114 * b + 500) / 1000;
    return (255 - luma) << 16;
}

}  // namespace

void SetScreenColours(ScreenColours colours) {
    if (colours == gColours) return;
    bool bandsChange = (colours == ScreenColours::Red) != (gColours == ScreenColours::Red);
    gColours = colours;
    // The chrome's bands are drawn in other colours in red: every window paints again.
    if (bandsChange)
        for (Window* w : wm::TopLevels()) wm::InvalidateTree(w, true);
    if (Host* host = CurrentHost()) host->ScreenDamaged();
}

// A light grey: its luma 200 turned over is a red of 55.
constexpr uint32_t kRedModeBand = 0xC8C8C8;

ChromeBand CaptionBand() {
    if (gColours == ScreenColours::Red) return {kRedModeBand, 0x000000};
    return {0x000080, 0xFFFFFF};
}

ChromeBand SelectionBand() {
    if (gColours == ScreenColours::Red) return {kRedModeBand, 0x000000};
    return {0x000000, 0xFFFFFF};
}

ScreenColours CurrentScreenColours() {
    return gColours;
}

uint32_t TransformScreenPixel(uint32_t rgb, ScreenColours colours) {
    rgb &= 0xFFFFFF;
    switch (colours) {
        case ScreenColours::Normal:
            return rgb;
        case ScreenColours::Night:
            return Night(rgb);
        case ScreenColours::Red:
            return Red(rgb);
    }
    return rgb;
}

void TransformScreenSurface(cairo_surface_t* surface, ScreenColours colours) {
    TransformScreenArea(surface, colours, 0, 0, cairo_image_surface_get_width(surface),
                        cairo_image_surface_get_height(surface));
}

void TransformScreenArea(cairo_surface_t* surface, ScreenColours colours, int left, int top,
                         int width, int height) {
    if (colours == ScreenColours::Normal) return;
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    if (!data) return;
    left = std::max(0, left);
    top = std::max(0, top);
    int w = std::min(cairo_image_surface_get_width(surface), left + width);
    int h = std::min(cairo_image_surface_get_height(surface), top + height);
    int stride = cairo_image_surface_get_stride(surface);
    // A screen holds few distinct colours in long runs; a small cache keyed by the colour saves
    // recomputing them for every pixel.
    constexpr int kCacheSize = 4096;
    static uint32_t keys[kCacheSize], values[kCacheSize];
    static bool valid[kCacheSize];
    static ScreenColours cached = ScreenColours::Normal;
    if (cached != colours) {
        std::fill(std::begin(valid), std::end(valid), false);
        cached = colours;
    }
    // Runs of one colour are the rule (the page, the gaps between lines): the last colour is
    // remembered before the cache is asked.
    uint32_t lastIn = 0xFFFFFFFFu, lastOut = 0;
    for (int y = top; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = left; x < w; ++x) {
            uint32_t in = row[x];
            if (in == lastIn) {
                row[x] = lastOut;
                continue;
            }
            lastIn = in;
            in &= 0xFFFFFF;
            uint32_t slot = (in ^ (in >> 12) ^ (in >> 7)) & (kCacheSize - 1);
            if (!valid[slot] || keys[slot] != in) {
                keys[slot] = in;
                values[slot] = TransformScreenPixel(in, colours);
                valid[slot] = true;
            }
            lastOut = (lastIn & 0xFF000000u) | values[slot];
            row[x] = lastOut;
        }
    }
    cairo_surface_mark_dirty(surface);
}
