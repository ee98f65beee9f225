#pragma once
// The font engine behind CreateFontIndirect: FreeType with fontconfig for the product, and a
// synthetic engine with simple exact metrics for tests (font_synthetic.h).
#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi.h"

struct FontMetrics {
    int height = 0;  // ascent + descent: the cell height
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

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
};

// The engine in use; the FreeType engine unless another was installed.
FontEngine& CurrentFontEngine();
void InstallFontEngine(std::unique_ptr<FontEngine> engine);
std::unique_ptr<FontEngine> MakeFreeTypeEngine();
