#include "platform/user/screen_colours.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "platform/hosting.h"
#include "platform/user/controls.h"
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

DWORD GetSysColor(int index) {
    if (index == COLOR_HIGHLIGHT) return Colour(SelectionBand().fill);
    if (index == COLOR_HIGHLIGHTTEXT) return Colour(SelectionBand().ink);
    return 0;
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

namespace {

using Pixels4 = ScreenColourCopier::Pixels4;

Pixels4 Load4(const uint32_t* from) {
    Pixels4 v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

void Store4(uint32_t* to, Pixels4 v) {
    std::memcpy(to, &v, sizeof v);
}

bool Zero(Pixels4 v) {
    uint64_t halves[2];
    std::memcpy(halves, &v, sizeof halves);
    return (halves[0] | halves[1]) == 0;
}

// The red transform in whole numbers, for four pixels: the luma's division by 1000 is a
// division by 8 and then a multiplication by the reciprocal of 125, exact for every luma sum
// (below 2^18) and without overflow.
Pixels4 Red4(Pixels4 v) {
    Pixels4 sum = 299 * ((v >> 16) & 0xFF) + 587 * ((v >> 8) & 0xFF) + 114 * (v & 0xFF) + 500;
    Pixels4 luma = ((sum >> 3) * 33555) >> 22;
    return (v & 0xFF000000u) | ((255 - luma) << 16);
}

}  // namespace

ScreenColourCopier::ScreenColourCopier(ScreenColours colours)
    : colours_(colours), lastIn_(0), lastOut_(TransformScreenPixel(0, colours)) {
    std::fill(std::begin(keys_), std::end(keys_), kEmpty);
}

uint32_t ScreenColourCopier::Pixel(uint32_t in) {
    if (in == lastIn_) return lastOut_;
    lastIn_ = in;
    uint32_t rgb = in & 0xFFFFFF;
    uint32_t slot = (rgb ^ (rgb >> 12) ^ (rgb >> 7)) & (kCacheSize - 1);
    if (keys_[slot] != rgb) {
        keys_[slot] = rgb;
        values_[slot] = TransformScreenPixel(rgb, colours_);
    }
    lastOut_ = (in & 0xFF000000u) | values_[slot];
    return lastOut_;
}

void ScreenColourCopier::Row(const uint32_t* from, uint32_t* to, int count) {
    if (count <= 0) return;
    int x = 0;
    if (colours_ == ScreenColours::Normal) {
        // Sixteen bytes at a time is also faster here than the library's copy of a screen row,
        // which picks string instructions for rows of this length.
        if (from == to) return;
        for (; x + 4 <= count; x += 4) Store4(to + x, Load4(from + x));
        for (; x < count; ++x) to[x] = from[x];
        return;
    }
    // Kept in locals: the rows could alias the copier's members as far as the compiler knows.
    bool red = colours_ == ScreenColours::Red;
    Pixels4 runIn = Pixels4{} + lastIn_, runOut = Pixels4{} + lastOut_;
    for (; x + 4 <= count; x += 4) {
        Pixels4 v = Load4(from + x);
        if (Zero(v ^ runIn)) {
            // Most of a screen is runs of one colour: the page, the gaps between lines.
            Store4(to + x, runOut);
            continue;
        }
        Pixels4 out;
        if (Zero(((v >> 8) ^ v) & 0xFFFF)) {
            // Black, white and the greys between them (the page, the text and its smoothed
            // edges): a grey's luma is its level, and both transforms turn it over exactly.
            out = red ? (v & 0xFF000000u) | ((~v & 0xFF) << 16) : v ^ 0xFFFFFF;
        } else if (red) {
            out = Red4(v);
        } else {
            // A colour among them: pixel by pixel, through the remembered colours.
            out = Colours4(v);
        }
        Store4(to + x, out);
        runIn = Pixels4{} + v[3];
        runOut = Pixels4{} + out[3];
    }
    lastIn_ = runIn[0];
    lastOut_ = runOut[0];
    for (; x < count; ++x) to[x] = Pixel(from[x]);
}

Pixels4 ScreenColourCopier::Colours4(Pixels4 v) {
    Pixels4 out;
    for (int i = 0; i < 4; ++i) out[i] = Pixel(v[i]);
    return out;
}
