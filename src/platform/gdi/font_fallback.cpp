#include "platform/gdi/font_fallback.h"

#include <array>

namespace {

// The Hebrew presentation forms with a canonical decomposition (U+FB1D to U+FB4E): the form,
// its letter and up to two marks.
struct Decomposition {
    char16_t form;
    char16_t units[3];
};
constexpr char16_t kDagesh = 0x05BC;
constexpr Decomposition kDecompositions[] = {
    {0xFB1D, {0x05D9, 0x05B4, 0}},       {0xFB1F, {0x05F2, 0x05B7, 0}},
    {0xFB2A, {0x05E9, 0x05C1, 0}},       {0xFB2B, {0x05E9, 0x05C2, 0}},
    {0xFB2C, {0x05E9, kDagesh, 0x05C1}}, {0xFB2D, {0x05E9, kDagesh, 0x05C2}},
    {0xFB2E, {0x05D0, 0x05B7, 0}},       {0xFB2F, {0x05D0, 0x05B8, 0}},
    {0xFB30, {0x05D0, kDagesh, 0}},      {0xFB31, {0x05D1, kDagesh, 0}},
    {0xFB32, {0x05D2, kDagesh, 0}},      {0xFB33, {0x05D3, kDagesh, 0}},
    {0xFB34, {0x05D4, kDagesh, 0}},      {0xFB35, {0x05D5, kDagesh, 0}},
    {0xFB36, {0x05D6, kDagesh, 0}},      {0xFB38, {0x05D8, kDagesh, 0}},
    {0xFB39, {0x05D9, kDagesh, 0}},      {0xFB3A, {0x05DA, kDagesh, 0}},
    {0xFB3B, {0x05DB, kDagesh, 0}},      {0xFB3C, {0x05DC, kDagesh, 0}},
    {0xFB3E, {0x05DE, kDagesh, 0}},      {0xFB40, {0x05E0, kDagesh, 0}},
    {0xFB41, {0x05E1, kDagesh, 0}},      {0xFB43, {0x05E3, kDagesh, 0}},
    {0xFB44, {0x05E4, kDagesh, 0}},      {0xFB46, {0x05E6, kDagesh, 0}},
    {0xFB47, {0x05E7, kDagesh, 0}},      {0xFB48, {0x05E8, kDagesh, 0}},
    {0xFB49, {0x05E9, kDagesh, 0}},      {0xFB4A, {0x05EA, kDagesh, 0}},
    {0xFB4B, {0x05D5, 0x05B9, 0}},       {0xFB4C, {0x05D1, 0x05BF, 0}},
    {0xFB4D, {0x05DB, 0x05BF, 0}},       {0xFB4E, {0x05E4, 0x05BF, 0}},
};

// What a Hebrew text face must have: the letters and final forms, and the points, dagesh and
// shin and sin dots the book writes.
bool CoversHebrewText(FcCharSet* cs) {
    for (FcChar32 c = 0x05D0; c <= 0x05EA; ++c)
        if (!FcCharSetHasChar(cs, c)) return false;
    for (FcChar32 c = 0x05B0; c <= 0x05BC; ++c)
        if (!FcCharSetHasChar(cs, c)) return false;
    return FcCharSetHasChar(cs, 0x05C1) && FcCharSetHasChar(cs, 0x05C2);
}

FcPattern* HebrewPattern(const std::string& family, bool bold, bool italic) {
    FcPattern* pat = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcLangSet* ls = FcLangSetCreate();
    FcLangSetAdd(ls, reinterpret_cast<const FcChar8*>("he"));
    FcPatternAddLangSet(pat, FC_LANG, ls);
    FcLangSetDestroy(ls);
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    return pat;
}

}  // namespace

int CanonicalDecomposition(char16_t c, char16_t out[3]) {
    if (c < 0xFB1D || c > 0xFB4E) return 0;
    for (const Decomposition& d : kDecompositions) {
        if (d.form != c) continue;
        int n = 0;
        while (n < 3 && d.units[n]) {
            out[n] = d.units[n];
            ++n;
        }
        return n;
    }
    return 0;
}

FallbackFaces::FallbackFaces(const std::string& family, bool bold, bool italic,
                             const FaceFile& own) {
    FcPattern* pat = HebrewPattern(family, bold, italic);
    FcResult result;
    // Trimmed: a face that adds nothing to the faces before it is left out.
    set_ = FcFontSort(nullptr, pat, FcTrue, nullptr, &result);
    FcPatternDestroy(pat);
    for (int i = 0; set_ && i < set_->nfont; ++i) {
        FcChar8* file = nullptr;
        FcCharSet* cs = nullptr;
        if (FcPatternGetString(set_->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        if (FcPatternGetCharSet(set_->fonts[i], FC_CHARSET, 0, &cs) != FcResultMatch) continue;
        FaceFile f{reinterpret_cast<const char*>(file), 0};
        FcPatternGetInteger(set_->fonts[i], FC_INDEX, 0, &f.index);
        files_.push_back(f);
        coverage_.push_back(cs);
        if (!own_ && f.path == own.path && f.index == own.index) own_ = cs;
    }
}

FallbackFaces::~FallbackFaces() {
    if (set_) FcFontSetDestroy(set_);
}

const FaceFile* FallbackFaces::FaceFor(char32_t c) const {
    for (size_t i = 0; i < files_.size(); ++i)
        if (FcCharSetHasChar(coverage_[i], c)) return &files_[i];
    return nullptr;
}

bool InstalledFaceHas(char32_t c, const std::string& family) {
    FcPattern* pat = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcCharSet* cs = FcCharSetCreate();
    FcCharSetAddChar(cs, c);
    FcPatternAddCharSet(pat, FC_CHARSET, cs);
    FcObjectSet* os = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(nullptr, pat, os);
    bool found = set && set->nfont > 0;
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(os);
    FcCharSetDestroy(cs);
    FcPatternDestroy(pat);
    return found;
}

std::string PreferredHebrewFamily() {
    FcPattern* pat = HebrewPattern("", false, false);
    FcResult result;
    FcFontSet* set = FcFontSort(nullptr, pat, FcFalse, nullptr, &result);
    FcPatternDestroy(pat);
    std::string family;
    for (int i = 0; set && i < set->nfont && family.empty(); ++i) {
        FcCharSet* cs = nullptr;
        FcChar8* name = nullptr;
        if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &cs) != FcResultMatch) continue;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch) continue;
        if (CoversHebrewText(cs)) family = reinterpret_cast<const char*>(name);
    }
    if (set) FcFontSetDestroy(set);
    return family;
}
