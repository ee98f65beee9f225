// The product's font engine: faces matched through fontconfig, measured with FreeType and drawn
// with cairo. Each font keeps two FreeType faces, one for measuring and one owned by cairo, so
// that cairo's size changes never disturb the measurements.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "platform/font_engine.h"
#include "platform/font_synthetic.h"
#include "platform/short_buffer.h"
#include "platform/unicode.h"

namespace {

// Height of the default font (LOGFONT height 0), as a cell height in pixels.
constexpr int kDefaultCellHeight = 16;

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        FT_Init_FreeType(&l);
        return l;
    }();
    return lib;
}

const cairo_user_data_key_t kFaceKey{};

struct MatchedFile {
    std::string path;
    int index = 0;
};

MatchedFile Match(const LOGFONT& lf) {
    std::string family = Utf16ToUtf8(std::u16string(lf.lfFaceName, WideLength(lf.lfFaceName)));
    FcPattern* pat = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    else
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    if (family.empty()) {
        FcLangSet* ls = FcLangSetCreate();
        FcLangSetAdd(ls, reinterpret_cast<const FcChar8*>("he"));
        FcPatternAddLangSet(pat, FC_LANG, ls);
        FcLangSetDestroy(ls);
    }
    FcPatternAddInteger(pat, FC_WEIGHT,
                        lf.lfWeight >= FW_BOLD ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, lf.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    MatchedFile out;
    if (match) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            out.path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &out.index);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
    return out;
}

class FreeTypeFace : public FontFace {
public:
    FreeTypeFace(FT_Face measure, FT_Face drawing, const LOGFONT& lf)
        : face_(measure), underline_(lf.lfUnderline != 0) {
        int requested = lf.lfHeight;
        double span = double(face_->ascender - face_->descender);
        if (span <= 0) span = face_->units_per_EM;
        if (requested > 0)
            em_ = std::max(1.0, requested * face_->units_per_EM / span);
        else if (requested < 0)
            em_ = -requested;
        else
            em_ = std::max(1.0, kDefaultCellHeight * face_->units_per_EM / span);
        FT_Set_Pixel_Sizes(face_, 0, FT_UInt(std::lround(em_)));
        double scale = std::lround(em_) / double(face_->units_per_EM);
        m_.ascent = int(std::ceil(face_->ascender * scale));
        m_.descent = int(std::ceil(-face_->descender * scale));
        m_.height = requested > 0 ? requested : m_.ascent + m_.descent;
        if (requested > 0) m_.descent = std::max(0, m_.height - m_.ascent);
        m_.internalLeading = std::max(0, m_.height - int(std::lround(em_)));
        m_.maxCharWidth = std::max(1, int(std::ceil(face_->max_advance_width * scale)));
        int sum = 0;
        for (char16_t c = u'a'; c <= u'z'; ++c) sum += Advance(c);
        for (char16_t c = u'A'; c <= u'Z'; ++c) sum += Advance(c);
        m_.aveCharWidth = std::max(1, (sum + 26) / 52);
        cairoFace_ = cairo_ft_font_face_create_for_ft_face(drawing, 0);
        options_ = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
        cairo_font_face_set_user_data(cairoFace_, &kFaceKey, drawing,
                                      [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
    }
    ~FreeTypeFace() override {
        cairo_font_options_destroy(options_);
        cairo_font_face_destroy(cairoFace_);
        FT_Done_Face(face_);
    }
    const FontMetrics& Metrics() const override { return m_; }
    bool Underlined() const override { return underline_; }
    int Advance(char16_t c) override {
        std::unique_ptr<AdvancePage>& page = advances_[c >> 8];
        if (!page) {
            page = std::make_unique<AdvancePage>();
            page->fill(-1);
        }
        int16_t& cached = (*page)[c & 0xFF];
        if (cached >= 0) return cached;
        int a = 0;
        if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT) == 0)
            a = int((face_->glyph->advance.x + 32) >> 6);
        cached = int16_t(std::min(a, 32767));
        return a;
    }
    void Draw(cairo_t* cr, int x, int baseline, const char16_t* units, int n,
              const int* penX) override {
        ShortBuffer<cairo_glyph_t, 128> buffer{static_cast<size_t>(n)};
        cairo_glyph_t* glyphs = buffer.data();
        for (int i = 0; i < n; ++i) {
            FT_UInt index = FT_Get_Char_Index(face_, units[i]);
            glyphs[i] = cairo_glyph_t{index, double(x + penX[i]), double(baseline)};
        }
        cairo_set_font_face(cr, cairoFace_);
        cairo_set_font_size(cr, std::lround(em_));
        cairo_set_font_options(cr, options_);
        cairo_show_glyphs(cr, glyphs, n);
        if (underline_ && n > 0) {
            int end = penX[n - 1] + Advance(units[n - 1]);
            cairo_rectangle(cr, x, baseline + 1, end, 1);
            cairo_fill(cr);
        }
    }

private:
    FT_Face face_;
    cairo_font_face_t* cairoFace_ = nullptr;
    cairo_font_options_t* options_ = nullptr;
    double em_ = 12;
    bool underline_;
    FontMetrics m_;
    // Advance widths by code unit (-1: not yet measured), in pages of 256 units made on first
    // use: a face is measured in a few blocks (Latin, Hebrew, punctuation), and a whole table
    // per face would cost more to clear than the start-up spends laying out.
    using AdvancePage = std::array<int16_t, 256>;
    std::array<std::unique_ptr<AdvancePage>, 256> advances_;
};

class FreeTypeEngine : public FontEngine {
public:
    std::unique_ptr<FontFace> Create(const LOGFONT& lf) override {
        // The panes make several sizes of one face: fontconfig is asked once per face, weight
        // and slant (the size does not enter the match).
        MatchKey key{std::u16string(lf.lfFaceName, WideLength(lf.lfFaceName)),
                     lf.lfWeight >= FW_BOLD, lf.lfItalic != 0};
        auto known = matches_.find(key);
        if (known == matches_.end()) known = matches_.emplace(key, Match(lf)).first;
        const MatchedFile& file = known->second;
        FT_Face measure = nullptr, drawing = nullptr;
        if (file.path.empty() || FT_New_Face(Library(), file.path.c_str(), file.index, &measure)) {
            // No usable font file at all: draw with the synthetic shapes rather than nothing.
            return MakeSyntheticEngine()->Create(lf);
        }
        if (FT_New_Face(Library(), file.path.c_str(), file.index, &drawing)) {
            FT_Done_Face(measure);
            return MakeSyntheticEngine()->Create(lf);
        }
        return std::make_unique<FreeTypeFace>(measure, drawing, lf);
    }

    std::vector<FontFamily> Families() override {
        std::map<std::u16string, bool> families;
        FcPattern* pat = FcPatternCreate();
        FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_CHARSET, nullptr);
        FcFontSet* set = FcFontList(nullptr, pat, os);
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8* name = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch) continue;
            FcCharSet* cs = nullptr;
            bool hebrew = false;
            if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &cs) == FcResultMatch)
                hebrew = FcCharSetHasChar(cs, 0x05D0) && FcCharSetHasChar(cs, 0x05EA);
            auto key = Utf8ToUtf16(reinterpret_cast<const char*>(name));
            families[key] = families[key] || hebrew;
        }
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(os);
        FcPatternDestroy(pat);
        std::vector<FontFamily> out;
        for (auto& [name, hebrew] : families) out.push_back(FontFamily{name, hebrew});
        return out;
    }

private:
    using MatchKey = std::tuple<std::u16string, bool, bool>;
    std::map<MatchKey, MatchedFile> matches_;
};

std::unique_ptr<FontEngine>& Installed() {
    static std::unique_ptr<FontEngine> engine;
    return engine;
}

}  // namespace

std::unique_ptr<FontEngine> MakeFreeTypeEngine() {
    return std::make_unique<FreeTypeEngine>();
}

FontEngine& CurrentFontEngine() {
    if (!Installed()) Installed() = MakeFreeTypeEngine();
    return *Installed();
}

void InstallFontEngine(std::unique_ptr<FontEngine> engine) {
    Installed() = std::move(engine);
}
