#include "text/style_font.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/heap.h"
#include "text/convert.h"
#include "text/layout.h"
#include "text/paint.h"
#include "text/text_settings.h"

// A surface that never had a font selected uses the stock font, and that is what has to be put
// back, not "no font".
HGDIOBJ CurrentFont(HDC surface) {
    HGDIOBJ stock = GetStockObject(SYSTEM_FONT);
    HGDIOBJ current = SelectObject(surface, stock);
    if (!current) return stock;
    SelectObject(surface, current);
    return current;
}

namespace {

constexpr int kFirstWidthByte = 0x10;
constexpr int kLastWidthByte = 0x7F;

void MarkUnmeasured(WidthTable* table) {
    table->width[0] = kUnmeasuredFirst;
    table->width[1] = kUnmeasuredSecond;
}

void CreateStyleFont(TextPane* pane, StyleFont* node, uint8_t key) {
    LOGFONT lf{};
    std::memcpy(lf.lfFaceName, pane->fontRecord.FaceName, sizeof lf.lfFaceName);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    // In 64 bits: a stored size can be any 32-bit number, and the font engine caps the height.
    int64_t size = pane->fontRecord.FontSize;
    int64_t height = size;
    if (key & kLargerFont)
        height = size ? size * 5 / 4 : 20;
    else if (key & kSmallerFont)
        height = size ? size * 6 / 8 : 14;
    lf.lfHeight = LONG(std::clamp<int64_t>(height, INT32_MIN, INT32_MAX));
    lf.lfWeight = (key & kBoldFont) ? 700 : 400;
    node->font = CreateFontIndirect(&lf);
    node->key = key;
    MarkUnmeasured(&node->widths);
}

// Makes the node's table the pane's current one and measures it when it has to be.
void RefreshWidthTable(TextPane* pane, StyleFont* node, bool fresh) {
    pane->widths = &node->widths;
    uint16_t* w = node->widths.width;
    if (!fresh && w[0] != kUnmeasuredFirst && w[1] != kUnmeasuredSecond) return;
    const int32_t base = CurrentAsciiBase();
    for (int b = kFirstWidthByte; b <= kLastWidthByte; ++b) {
        char16_t c = MeasuredCharacter(uint8_t(b), base);
        SIZE size{0, 0};
        GetTextExtentPoint32(pane->surface, &c, 1, &size);
        w[b - kFirstWidthByte] = uint16_t(size.cx);
    }
    for (int b = kFirstPointByte; b <= kLastPointByte; ++b) w[b - kFirstWidthByte] = 0;
}

// Deleting a font that is still selected would leave the surface with a dangling font.
void DeselectPaneFonts(TextPane* pane) {
    HGDIOBJ current = CurrentFont(pane->surface);
    for (StyleFont* node = pane->styleFonts; node; node = node->next) {
        if (node->font && node->font == current) {
            SelectObject(pane->surface, GetStockObject(SYSTEM_FONT));
            return;
        }
    }
}

}  // namespace

HFONT SelectStyleFont(TextPane* pane, uint16_t request) {
    if (!pane) return nullptr;
    const uint8_t key = request & kFontKeyMask;
    StyleFont* node = pane->styleFonts;
    while (node && node->key != key) node = node->next;
    bool fresh = false;
    if (!node) {
        node = static_cast<StyleFont*>(HeapAllocBlock(sizeof(StyleFont)));
        if (node) {
            std::memset(node, 0, sizeof *node);
            node->next = pane->styleFonts;
            pane->styleFonts = node;
        }
    }
    // A node whose font was released gets a new font in place: shadowing it with another node
    // would add a node at every selection for as long as font creation keeps failing.
    if (node && !node->font) {
        CreateStyleFont(pane, node, key);
        fresh = true;
    }
    if (request & kColourRequestMask) {
        SetTextColor(pane->surface,
                     (key & kHeadingKey) == kHeadingKey ? kHeadingColour : kTextColour);
    }
    if (!node || !node->font) {
        // No node could be had, or its font could not be made: draw on with the first style
        // font that exists, else with whatever the surface has.
        node = pane->styleFonts;
        while (node && !node->font) node = node->next;
        if (!node) return CurrentFont(pane->surface);
        fresh = false;
    }
    HGDIOBJ before = SelectObject(pane->surface, node->font);
    if (!before) before = GetStockObject(SYSTEM_FONT);
    RefreshWidthTable(pane, node, fresh);
    return before;
}

int SetPaneFont(TextPane* pane, const FontRecord* record) {
    if (!pane) return -1;
    DeselectPaneFonts(pane);
    for (StyleFont* node = pane->styleFonts; node; node = node->next) {
        if (node->font) DeleteObject(node->font);
        node->font = nullptr;
    }
    if (!record) return 0;
    pane->fontRecord = *record;
    for (StyleFont* node = pane->styleFonts; node; node = node->next) {
        CreateStyleFont(pane, node, node->key);
    }
    if (LayoutText(pane, pane->text, false) != 0) return 1;
    return PaintPane(pane, true);
}

void MeasureFitByTable(const WidthTable* widths, const uint8_t* text, int32_t* extent,
                       int32_t* count) {
    const uint32_t maxWidth = uint32_t(*extent);
    const int32_t maxCount = *count;
    *extent = 0;
    if (!widths) return;
    uint32_t width = 0;
    int32_t n = 0;
    for (; n < maxCount && text[n]; ++n) {
        uint8_t b = text[n];
        if (b < kFirstWidthByte || b > kLastWidthByte || IsPointByte(b)) continue;
        uint32_t w = widths->width[b - kFirstWidthByte];
        if (width + w > maxWidth) break;
        width += w;
    }
    *extent = int32_t(width);
    *count = n;
}

namespace {

// How many code units byte b becomes.
int UnitsOf(uint8_t b, int32_t base) {
    if (b < kFirstMappedByte || b > kLastMappedByte) return 1;
    if (base == kUnicodeOutput) return UnicodeMap[b - kFirstMappedByte].second ? 2 : 1;
    return SingleByteMap[b - kFirstMappedByte] ? 1 : 0;
}

}  // namespace

void MeasureFit(HDC surface, const uint8_t* text, int32_t* extent, int32_t* count) {
    const int32_t maxWidth = *extent;
    const int32_t maxCount = *count;
    int32_t units = 0;
    // Measured in stored order: the Reverse option is for drawing only, and fitting has to
    // count from the run's first byte.
    const char16_t* converted =
        ConvertBookRun(text, maxCount, SharedConvertCache(), nullptr, &units, RunOrder::Stored);
    if (!converted) {
        *extent = 0;
        *count = 0;
        return;
    }
    int fit = 0;
    GetTextExtentExPoint(surface, converted, units, maxWidth, &fit, nullptr, nullptr);
    // The platform counts code units; turn them back into whole bytes. A byte fits when all of
    // its units do; bytes that become no unit at all go with the bytes before them.
    const int32_t base = CurrentAsciiBase();
    int32_t bytes = 0, used = 0;
    while (bytes < maxCount && text[bytes]) {
        int u = UnitsOf(text[bytes], base);
        if (used + u > fit) break;
        used += u;
        ++bytes;
    }
    SIZE size{0, 0};
    GetTextExtentPoint32(surface, converted, used, &size);
    *extent = size.cx;
    *count = bytes;
}
