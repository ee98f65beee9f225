#pragma once
// The font engine behind CreateFontIndirect: FreeType with fontconfig for the product, and a
// synthetic engine with simple exact metrics for tests (font_synthetic.h).
#include <cairo.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/gdi.h"

struct FontMetrics {
    int height = 0;  // ascent + descent: the cell height
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

// Where a unit's ink falls when drawn with its pen at x = 0 on the baseline y = 0: pixels
// [left, right) x [top, bottom). `empty` when it paints nothing; `known` is false when the ink
// could not be measured (it spilled past the scratch surface).
struct InkBox {
    bool known = false;
    bool empty = true;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The largest height a font is made at, in pixels; a LOGFONT asking for more (a stored size
// that is nonsense) gets this one, so that no size reaches the arithmetic of the metrics out of
// range.
constexpr int kMaxFontPixels = 2048;

class FontFace {
public:
    virtual ~FontFace() = default;
    virtual const FontMetrics& Metrics() const = 0;
    // Advance width in whole pixels of one code unit.
    virtual int Advance(char16_t unit) = 0;
    // Draws the units with their left edge at x, each at the given pen position (pixels from
    // x), on the baseline y, in the source colour already set on cr.
    virtual void Draw(cairo_t* cr, int x, int baselineY, const char16_t* units, int n,
                      const int* penX) = 0;
    // The pixels Draw paints for one unit, measured by drawing it once and kept. Text drawing
    // uses it to know that a clip leaves a glyph whole, so that such glyphs can be drawn
    // together in one call with the same pixels as one by one.
    const InkBox& Ink(char16_t unit);
    // Whether Draw adds a line under the whole run (then units drawn together differ from
    // units drawn one by one).
    virtual bool Underlined() const { return false; }

private:
    std::unordered_map<char16_t, InkBox> ink_;
};

struct FontFamily {
    std::u16string name;
    bool coversHebrew = false;
};

class FontEngine {
public:
    virtual ~FontEngine() = default;
    // Never fails for a well-formed record: an unknown face falls back to the engine's default.
    virtual std::unique_ptr<FontFace> Create(const LOGFONT& lf) = 0;
    virtual std::vector<FontFamily> Families() = 0;
    // Whether some installed face has a glyph for the code point.
    virtual bool AnyFaceHas(char32_t c) = 0;
    // Whether a face of the family has a glyph for the code point.
    virtual bool FamilyHas(const std::u16string& family, char32_t c) = 0;
    // The family fontconfig prefers for Hebrew text among those with every Hebrew letter and
    // point; empty when there is none.
    virtual std::u16string PreferredHebrewFamily() = 0;
};

// The engine in use; the FreeType engine unless another was installed.
FontEngine& CurrentFontEngine();
void InstallFontEngine(std::unique_ptr<FontEngine> engine);
std::unique_ptr<FontEngine> MakeFreeTypeEngine();
