#pragma once
// What the FreeType engine does for a code point that the chosen face lacks: the canonical
// decomposition of a Hebrew presentation form, and the installed faces that fontconfig ranks
// for the family, best first, with their coverage.
#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>
#include <vector>

struct FaceFile {
    std::string path;
    int index = 0;
    bool operator<(const FaceFile& o) const {
        return path != o.path ? path < o.path : index < o.index;
    }
};

// The canonical decomposition of c into at most three units (a letter, then its marks) in
// `out`; returns how many, 0 when c has none.
int CanonicalDecomposition(char16_t c, char16_t out[3]);

// The faces fontconfig sorts for a family, weight and slant, with Hebrew preferred: the family's
// own face first, then the faces that add coverage. Owns the fontconfig set.
class FallbackFaces {
public:
    // `own` is the face the family was matched to.
    FallbackFaces(const std::string& family, bool bold, bool italic, const FaceFile& own);
    ~FallbackFaces();
    FallbackFaces(const FallbackFaces&) = delete;
    FallbackFaces& operator=(const FallbackFaces&) = delete;
    // The first face in the order that has c, or nullptr.
    const FaceFile* FaceFor(char32_t c) const;
    // Whether the matched face shows c. FreeType also maps code points to glyphs that draw
    // nothing (some faces map every point to an empty glyph); fontconfig's coverage leaves
    // those out. True when the face is not among the sorted ones.
    bool OwnShows(char32_t c) const { return !own_ || FcCharSetHasChar(own_, c); }

private:
    FcFontSet* set_ = nullptr;
    std::vector<FaceFile> files_;
    std::vector<FcCharSet*> coverage_;  // owned by set_
    FcCharSet* own_ = nullptr;          // owned by set_
};

// Whether any installed face (of the family, when one is given) has c.
bool InstalledFaceHas(char32_t c, const std::string& family = "");
// The family fontconfig ranks first for Hebrew text among faces with every Hebrew letter and
// the points the book uses (UTF-8), or empty.
std::string PreferredHebrewFamily();
