#include "platform/gdi/font_synthetic.h"

#include <algorithm>
#include <cstdint>

namespace {

bool IsMark(char16_t c) {
    return c >= 0x0591 && c <= 0x05C7 && c != 0x05BE && c != 0x05C0 && c != 0x05C3 && c != 0x05C6;
}

class SyntheticFace : public FontFace {
public:
    explicit SyntheticFace(const LOGFONT& lf) {
        int64_t h = lf.lfHeight > 0 ? int64_t(lf.lfHeight) : lf.lfHeight < 0 ? -int64_t(lf.lfHeight) : 16;
        h_ = int(std::clamp<int64_t>(h, 1, kMaxFontPixels));
        bold_ = lf.lfWeight >= FW_BOLD ? 1 : 0;
        underline_ = lf.lfUnderline != 0;
        m_.height = h_;
        m_.ascent = h_ * 3 / 4;
        m_.descent = h_ - m_.ascent;
        m_.aveCharWidth = std::max(1, h_ / 2) + bold_;
        m_.maxCharWidth = h_ + bold_;
    }
    const FontMetrics& Metrics() const override { return m_; }
    int Advance(char16_t c) override {
        if (IsMark(c)) return 0;
        if (c == u' ') return std::max(1, h_ / 4) + bold_;
        return std::max(1, h_ / 2) + bold_;
    }
    void Draw(cairo_t* cr, int x, int baseline, const char16_t* units, int n,
              const int* penX) override {
        for (int i = 0; i < n; ++i) {
            char16_t c = units[i];
            int a = Advance(c);
            int px = x + penX[i];
            if (a == 0) {
                cairo_rectangle(cr, px - 1, baseline + 1, 2, 2);
            } else if (c != u' ' && a > 1) {
                cairo_rectangle(cr, px, baseline - h_ / 2, a - 1, h_ / 2);
            }
        }
        if (underline_ && n > 0) {
            int from = x + penX[0], to = x + penX[n - 1] + Advance(units[n - 1]);
            cairo_rectangle(cr, from, baseline + 1, to - from, 1);
        }
        cairo_fill(cr);
    }

private:
    int h_ = 16;
    int bold_ = 0;
    bool underline_ = false;
    FontMetrics m_;
};

class SyntheticEngine : public FontEngine {
public:
    std::unique_ptr<FontFace> Create(const LOGFONT& lf) override {
        return std::make_unique<SyntheticFace>(lf);
    }
    std::vector<FontFamily> Families() override {
        return {{u"Synthetic", true}, {u"Synthetic Latin", false}};
    }
    bool AnyFaceHas(char32_t) override { return true; }
    bool FamilyHas(const std::u16string& family, char32_t) override {
        return family == u"Synthetic" || family == u"Synthetic Latin";
    }
    std::u16string PreferredHebrewFamily() override { return u"Synthetic"; }
};

}  // namespace

std::unique_ptr<FontEngine> MakeSyntheticEngine() {
    return std::make_unique<SyntheticEngine>();
}
