#pragma once
// The colours the screen is shown in. The transform is applied once, where the host's screen
// is composed, so every window, dialog, menu and message box follows it and no drawing code
// knows about it.
#include <cairo.h>

#include <cstdint>

enum class ScreenColours {
    Normal = 0,
    Night = 1,  // dark background, light text; coloured marks keep their hue
    Red = 2,    // shades of red on black, no green or blue at all
};

void SetScreenColours(ScreenColours colours);
ScreenColours CurrentScreenColours();

// The dark bands of the window chrome (captions, selections) and the ink on them, 0x00RRGGBB.
// The one place drawing knows the screen's colours: in red the day picture is turned over, so a
// dark band would become the brightest thing on the screen; there the band is drawn light, with
// dark ink, and comes out dim with ink as bright as the text.
struct ChromeBand {
    uint32_t fill;
    uint32_t ink;
};
ChromeBand CaptionBand();
ChromeBand SelectionBand();
// A band's 0x00RRGGBB as a COLORREF (0x00BBGGRR).
constexpr uint32_t Colour(uint32_t rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

// One pixel, 0x00RRGGBB, as the screen shows it in the given colours.
uint32_t TransformScreenPixel(uint32_t rgb, ScreenColours colours);

// Copies rows of RGB24 pixels into the screen's colours. It remembers the colours it has
// transformed, since a screen holds few distinct colours and mostly in long runs; one copier
// serves one thread.
class ScreenColourCopier {
public:
    // Four pixels at a time: the compiler turns these into the processor's vector instructions
    // wherever it has them, and into plain loops where it has none.
    using Pixels4 = uint32_t __attribute__((vector_size(16)));

    explicit ScreenColourCopier(ScreenColours colours);
    // Copies `count` pixels from `from` to `to`, which may be the same row.
    void Row(const uint32_t* from, uint32_t* to, int count);

private:
    uint32_t Pixel(uint32_t in);
    Pixels4 Colours4(Pixels4 v);

    static constexpr int kCacheSize = 4096;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // no colour: colours are 24 bits
    ScreenColours colours_;
    uint32_t keys_[kCacheSize];
    uint32_t values_[kCacheSize];
    uint32_t lastIn_, lastOut_;  // the colour of the run the last pixel was in
};
