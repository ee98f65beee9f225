// The product's font engine: faces matched through fontconfig, measured with FreeType and drawn
// with cairo. A code point the face lacks is drawn from the face's own letter and marks when it
// is a presentation form, else from the face fontconfig ranks best for it, so that measuring and
// drawing always agree on one glyph per unit.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/font_fallback.h"
#include "platform/gdi/font_synthetic.h"
#include "platform/gdi/short_buffer.h"
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

// One font file opened at the face's size: for measuring, and the same file again for cairo,
// so that cairo's size changes never disturb the measurements.
class SizedFile {
public:
    SizedFile(FT_Face measure, FT_Face drawing, int pixels) : face_(measure) {
        FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixels));
        cairoFace_ = cairo_ft_font_face_create_for_ft_face(drawing, 0);
        cairo_font_face_set_user_data(cairoFace_, &kFaceKey, drawing,
                                      [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
    }
    ~SizedFile() {
        cairo_font_face_destroy(cairoFace_);
        FT_Done_Face(face_);
    }
    SizedFile(const SizedFile&) = delete;
    SizedFile& operator=(const SizedFile&) = delete;
    // Opens the file twice; nullptr when FreeType cannot.
    static std::unique_ptr<SizedFile> Open(const MatchedFile& file, int pixels) {
        if (pixels < 1) pixels = 1;
        FT_Face measure = nullptr, drawing = nullptr;
        if (file.path.empty() || FT_New_Face(Library(), file.path.c_str(), file.index, &measure))
            return nullptr;
        if (FT_New_Face(Library(), file.path.c_str(), file.index, &drawing)) {
            FT_Done_Face(measure);
            return nullptr;
        }
        return std::make_unique<SizedFile>(measure, drawing, pixels);
    }
    FT_Face face() const { return face_; }
    cairo_font_face_t* cairoFace() const { return cairoFace_; }
    FT_UInt Glyph(char32_t c) const { return FT_Get_Char_Index(face_, c); }
    // The hinted advance in whole pixels, as drawing places glyphs.
    int Advance(FT_UInt glyph) const {
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_DEFAULT) != 0) return 0;
        return int((face_->glyph->advance.x + 32) >> 6);
    }
    // The middle of the glyph's ink, in pixels right of its pen.
    int InkMiddle(FT_UInt glyph) const {
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_DEFAULT) != 0) return 0;
        if (face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return 0;
        FT_BBox box;
        FT_Outline_Get_CBox(&face_->glyph->outline, &box);
        return int(((box.xMin + box.xMax) / 2 + 32) >> 6);
    }

private:
    FT_Face face_;
    cairo_font_face_t* cairoFace_ = nullptr;
};

// Fonts made again and again at one size (each dialog's font, each time it opens) share their
// file: a new cairo face for each would leave cairo's cache of recently used fonts holding a
// couple of hundred of them, glyphs and all. Files no face uses any more stay for a while, so
// that the next dialog finds them, and are closed when the pool grows past its size.
std::shared_ptr<SizedFile> SharedSizedFile(const MatchedFile& file, int pixels) {
    constexpr size_t kPoolSize = 48;
    using Key = std::tuple<std::string, int, int>;
    static auto& pool = *new std::map<Key, std::shared_ptr<SizedFile>>;
    Key key{file.path, file.index, pixels};
    auto it = pool.find(key);
    if (it != pool.end()) return it->second;
    std::shared_ptr<SizedFile> opened = SizedFile::Open(file, pixels);
    if (!opened) return nullptr;
    if (pool.size() >= kPoolSize)
        for (auto at = pool.begin(); at != pool.end();)
            at = at->second.use_count() == 1 ? pool.erase(at) : std::next(at);
    pool.emplace(std::move(key), opened);
    return opened;
}

// How one code unit is drawn: up to three glyphs of one file (a letter and its marks, for a
// decomposed presentation form), each at an offset from the unit's pen, and the unit's advance.
struct GlyphPlan {
    uint8_t file = 0;  // 0: the face's own file; else an index into the fallback files + 1
    uint8_t count = 1;
    int16_t advance = -1;  // -1: not planned yet
    FT_UInt glyph[3] = {};
    int16_t offset[3] = {};
};

class FreeTypeFace : public FontFace {
public:
    // `probe` is the face's file at any size: its design metrics give the size to use.
    FreeTypeFace(std::shared_ptr<SizedFile> probe, const MatchedFile& file, const LOGFONT& lf,
                 std::shared_ptr<FallbackFaces> fallback)
        : underline_(lf.lfUnderline != 0), fallback_(std::move(fallback)) {
        FT_Face face = probe->face();
        int requested = int(std::clamp<int64_t>(lf.lfHeight, -kMaxFontPixels, kMaxFontPixels));
        double span = double(face->ascender - face->descender);
        if (span <= 0) span = face->units_per_EM;
        if (requested > 0)
            em_ = std::max(1.0, requested * face->units_per_EM / span);
        else if (requested < 0)
            em_ = -requested;
        else
            em_ = std::max(1.0, kDefaultCellHeight * face->units_per_EM / span);
        em_ = std::min(em_, double(kMaxFontPixels));
        pixels_ = std::max(1, int(std::lround(em_)));
        std::shared_ptr<SizedFile> own = SharedSizedFile(file, pixels_);
        files_.push_back(own ? std::move(own) : std::move(probe));
        double scale = pixels_ / double(face->units_per_EM);
        m_.ascent = int(std::ceil(face->ascender * scale));
        m_.descent = int(std::ceil(-face->descender * scale));
        m_.height = requested > 0 ? requested : m_.ascent + m_.descent;
        if (requested > 0) m_.descent = std::max(0, m_.height - m_.ascent);
        m_.internalLeading = std::max(0, m_.height - pixels_);
        m_.maxCharWidth = std::max(1, int(std::ceil(face->max_advance_width * scale)));
        int sum = 0;
        for (char16_t c = u'a'; c <= u'z'; ++c) sum += Advance(c);
        for (char16_t c = u'A'; c <= u'Z'; ++c) sum += Advance(c);
        m_.aveCharWidth = std::max(1, (sum + 26) / 52);
        options_ = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
    }
    ~FreeTypeFace() override { cairo_font_options_destroy(options_); }
    const FontMetrics& Metrics() const override { return m_; }
    bool Underlined() const override { return underline_; }
    int Advance(char16_t c) override { return Plan(c).advance; }
    void Draw(cairo_t* cr, int x, int baseline, const char16_t* units, int n,
              const int* penX) override {
        ShortBuffer<cairo_glyph_t, 128> buffer{static_cast<size_t>(3 * n)};
        cairo_glyph_t* glyphs = buffer.data();
        cairo_set_font_options(cr, options_);
        // Glyphs go to cairo file by file, in the order of the units within each file; a run
        // that the face shows all by itself is one call, as it always was.
        uint32_t pending = 0;  // files with glyphs still to draw, one bit each (first 32)
        for (int i = 0; i < n; ++i) pending |= 1u << std::min<int>(Plan(units[i]).file, 31);
        for (size_t f = 0; f < files_.size() && pending; ++f) {
            if (!(pending & (1u << std::min<size_t>(f, 31)))) continue;
            int count = 0;
            for (int i = 0; i < n; ++i) {
                const GlyphPlan& p = Plan(units[i]);
                if (p.file != f) continue;
                for (int g = 0; g < p.count; ++g)
                    glyphs[count++] = cairo_glyph_t{p.glyph[g], double(x + penX[i] + p.offset[g]),
                                                    double(baseline)};
            }
            if (count == 0) continue;
            cairo_set_font_face(cr, files_[f]->cairoFace());
            cairo_set_font_size(cr, pixels_);
            cairo_show_glyphs(cr, glyphs, count);
        }
        if (underline_ && n > 0) {
            int end = penX[n - 1] + Advance(units[n - 1]);
            cairo_rectangle(cr, x, baseline + 1, end, 1);
            cairo_fill(cr);
        }
    }

private:
    // The glyphs for c: the face's own glyph; else, for a presentation form, its letter and marks
    // from this face; else the glyph of the first fallback face that has c; else the face's
    // missing glyph.
    const GlyphPlan& Plan(char16_t c) {
        std::unique_ptr<PlanPage>& page = plans_[c >> 8];
        if (!page) page = std::make_unique<PlanPage>();
        GlyphPlan& plan = (*page)[c & 0xFF];
        if (plan.advance >= 0) return plan;
        plan = GlyphPlan{};
        plan.glyph[0] = files_[0]->Glyph(c);
        if (c >= 0x20 && (plan.glyph[0] == 0 || (fallback_ && !fallback_->OwnShows(c))))
            PlanMissing(c, &plan);
        if (plan.count == 1)
            plan.advance = int16_t(std::min(files_[plan.file]->Advance(plan.glyph[0]), 32767));
        return plan;
    }
    void PlanMissing(char16_t c, GlyphPlan* plan) {
        char16_t parts[3];
        int n = CanonicalDecomposition(c, parts);
        FT_UInt glyphs[3] = {};
        bool whole = n > 0;
        for (int i = 0; i < n && whole; ++i) {
            glyphs[i] = files_[0]->Glyph(parts[i]);
            whole = glyphs[i] != 0 && (!fallback_ || fallback_->OwnShows(parts[i]));
        }
        if (whole) {
            // The marks' ink is centred on the letter: faces place their marks' ink on either
            // side of the pen.
            int letter = files_[0]->Advance(glyphs[0]);
            plan->count = uint8_t(n);
            for (int i = 0; i < n; ++i) {
                plan->glyph[i] = glyphs[i];
                plan->offset[i] =
                    int16_t(i == 0 ? 0 : letter / 2 - files_[0]->InkMiddle(glyphs[i]));
            }
            plan->advance = int16_t(std::min(letter, 32767));
            return;
        }
        if (!fallback_) return;
        const FaceFile* file = fallback_->FaceFor(c);
        if (!file) return;
        int index = FileIndex(*file);
        if (index < 0) return;
        FT_UInt g = files_[size_t(index)]->Glyph(c);
        if (g == 0) return;
        plan->file = uint8_t(index);
        plan->glyph[0] = g;
        // A mark from another face has its ink centred on the pen, where the reader puts a
        // point: the middle of its letter's cell.
        if (files_[size_t(index)]->Advance(g) == 0)
            plan->offset[0] = int16_t(-files_[size_t(index)]->InkMiddle(g));
    }
    // The index of a fallback file in files_, opened at this face's size on first use; -1 when
    // it cannot be opened.
    int FileIndex(const FaceFile& file) {
        auto known = fallbackIndex_.find(file);
        if (known != fallbackIndex_.end()) return known->second;
        int index = -1;
        if (files_.size() < 255) {
            if (auto opened = SharedSizedFile(MatchedFile{file.path, file.index}, pixels_)) {
                files_.push_back(std::move(opened));
                index = int(files_.size()) - 1;
            }
        }
        fallbackIndex_.emplace(file, index);
        return index;
    }

    cairo_font_options_t* options_ = nullptr;
    double em_ = 12;
    int pixels_ = 12;
    bool underline_;
    FontMetrics m_;
    std::shared_ptr<FallbackFaces> fallback_;
    std::vector<std::shared_ptr<SizedFile>> files_;  // [0] is the face's own
    std::map<FaceFile, int> fallbackIndex_;
    // Plans by code unit, in pages of 256 units made on first use: a face is measured in a few
    // blocks (Latin, Hebrew, punctuation), and a whole table per face would cost more to clear
    // than the start-up spends laying out.
    using PlanPage = std::array<GlyphPlan, 256>;
    std::array<std::unique_ptr<PlanPage>, 256> plans_;
};

class FreeTypeEngine : public FontEngine {
public:
    std::unique_ptr<FontFace> Create(const LOGFONT& lf) override {
        // The panes make several sizes of one face: fontconfig is asked once per face, weight
        // and slant (the size does not enter the match).
        MatchKey key{std::u16string(lf.lfFaceName, WideLength(lf.lfFaceName)),
                     lf.lfWeight >= FW_BOLD, lf.lfItalic != 0};
        auto known = matches_.find(key);
        if (known == matches_.end()) {
            std::string family = Utf16ToUtf8(std::get<0>(key));
            MatchedFile file = Match(lf);
            Matched m{file,
                      std::make_shared<FallbackFaces>(family, std::get<1>(key), std::get<2>(key),
                                                      FaceFile{file.path, file.index})};
            known = matches_.emplace(key, std::move(m)).first;
        }
        auto probe = SharedSizedFile(known->second.file, 12);
        // No usable font file at all: draw with the synthetic shapes rather than nothing.
        if (!probe) return MakeSyntheticEngine()->Create(lf);
        return std::make_unique<FreeTypeFace>(std::move(probe), known->second.file, lf,
                                              known->second.fallback);
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

    bool AnyFaceHas(char32_t c) override { return InstalledFaceHas(c); }
    bool FamilyHas(const std::u16string& family, char32_t c) override {
        return InstalledFaceHas(c, Utf16ToUtf8(family));
    }

    std::u16string PreferredHebrewFamily() override {
        return Utf8ToUtf16(::PreferredHebrewFamily());
    }

private:
    using MatchKey = std::tuple<std::u16string, bool, bool>;
    struct Matched {
        MatchedFile file;
        std::shared_ptr<FallbackFaces> fallback;
    };
    std::map<MatchKey, Matched> matches_;
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
