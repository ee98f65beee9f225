#include "search/matcher.h"

#include <cstring>

#include "store/records.h"
#include "text/convert.h"

namespace {

constexpr uint16_t kOwnClass = 0x100;

struct ClassTable {
    uint16_t of[256];
    constexpr ClassTable() : of{} {
        for (int b = 0; b < 256; ++b) of[b] = uint16_t(kOwnClass + b);
        of[0] = 0;
    }
};

// Filled once from SingleByteMap, which is constant data defined in another file.
const ClassTable& Classes() {
    static const ClassTable table = [] {
        ClassTable t;
        for (int b = kFirstMappedByte; b <= kLastMappedByte; ++b)
            t.of[b] = SingleByteMap[b - kFirstMappedByte];
        return t;
    }();
    return table;
}

bool Match(const uint16_t* K, const uint8_t* text, int32_t low, const uint8_t* pattern, int32_t m,
           int32_t start, MatchResult* result) {
    const uint16_t c = K[pattern[m - 1]];
    for (int32_t a = start; a >= low; --a) {
        // The last pattern byte is always compared by class, so `*` or `?` there matches only
        // the same character in the text.
        if (K[text[a]] != c) continue;
        int32_t j = m - 2;
        int32_t t = a - 1;
        bool failed = false;
        while (j >= 0) {
            if (j == 0 && pattern[0] == kStarByte) {
                j = -1;  // a leading `*` takes the empty run
                break;
            }
            if (t < low) {
                failed = true;
                break;
            }
            const uint16_t k = K[text[t]];
            if (k == 0) {
                --t;
                continue;
            }
            const uint16_t p = K[pattern[j]];
            if (p == kStarByte) {
                // The bytes stored before the `*` are searched from here down; their first hit
                // decides, and if there is none no other anchor is tried.
                MatchResult sub;
                if (!Match(K, text, low, pattern, j, t, &sub)) return false;
                *result = {a, (a - sub.position) + sub.length};
                return true;
            }
            if (p != kAnyOneByte && p != k) {
                failed = true;
                break;
            }
            --j;
            --t;
        }
        if (failed) continue;
        // The match takes the marks that follow its last letter.
        while (t >= low && K[text[t]] == 0) --t;
        *result = {a, a - t};
        return true;
    }
    return false;
}

}  // namespace

uint16_t LetterClass(uint8_t b) {
    return Classes().of[b];
}

bool MatchBackward(const uint8_t* text, int32_t low, const uint8_t* pattern, int32_t m,
                   int32_t start, MatchResult* result) {
    if (m < 1) return false;
    return Match(Classes().of, text, low, pattern, m, start, result);
}

uint16_t SearchArticleText(const uint8_t* text, uint16_t start, const uint8_t* pattern,
                           uint16_t* length) {
    if (length) *length = 0;
    if (!text || !pattern || !pattern[0]) return 0;
    const int32_t m = int32_t(strnlen(reinterpret_cast<const char*>(pattern), kSearchStringLimit));
    const uint16_t* K = Classes().of;
    // The paragraphs are visited in order as the records are walked; nothing is collected.
    const uint8_t* record = text;
    while (!IsArticleListEnd(record)) {
        const int32_t first = int32_t(ArticleRecordText(record) - text);
        const int32_t zero = first + int32_t(ArticleRecordTextLength(record));
        if (start <= zero) {
            const int32_t from = start >= first ? start : zero - 1;
            MatchResult hit;
            if (Match(K, text, first, pattern, m, from, &hit)) {
                if (length) *length = uint16_t(hit.length);
                return uint16_t(hit.position);
            }
        }
        record = text + zero + 1;
    }
    return 0;
}
