// The letter-class matcher against a reference written straight from its rules, on random
// paragraphs and patterns made of letters, letters with marks, vowel points, `?`, `*`, spaces
// and bytes outside the class table. The reference filters the ignored bytes out first and then
// matches, where the matcher skips them as it goes; both must agree on every anchor, length and
// miss, in MatchBackward and in SearchArticleText over a list of such paragraphs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "search/matcher.h"
#include "text/convert.h"

namespace {

// Plain letters, the same letters with marks (0x41 shin with shin dot is shin's class, 0x45 bet
// with dagesh bet's, 0x58 vav with holam vav's), points, wildcards, space, punctuation, and
// bytes below 16 and above 123 (each its own class; 0xE1 is not bet).
constexpr uint8_t kAlphabet[] = {'a', 'b', 'f', 'z', 0x41, 0x45, 0x58, 0x15, 0x16, 0x1F,
                                 '?', '*', ' ', '.', 0x05, 0xE1, 0xFF, 'b',  'z',  'a'};

// The class of a byte, from the rules: table bytes by SingleByteMap, the zero byte 0, any other
// byte a class of its own that no table byte has.
int Class(uint8_t b) {
    if (b == 0) return 0;
    if (b >= 16 && b <= 123) return SingleByteMap[b - 16];
    return 1000 + b;
}

struct Hit {
    int position, length;
};

std::optional<Hit> Reference(const uint8_t* text, int low, const uint8_t* pattern, int m,
                             int start) {
    for (int a = start; a >= low; --a) {
        if (Class(text[a]) != Class(pattern[m - 1])) continue;
        std::vector<int> below;  // the positions under the anchor that the comparison sees
        for (int t = a - 1; t >= low; --t)
            if (Class(text[t]) != 0) below.push_back(t);
        size_t k = 0;
        bool matched = true;
        for (int j = m - 2; j >= 0; --j) {
            if (j == 0 && pattern[0] == '*') break;  // a leading star: the empty run
            if (k >= below.size()) {
                matched = false;
                break;
            }
            if (pattern[j] == '*') {
                std::optional<Hit> sub = Reference(text, low, pattern, j, below[k]);
                if (!sub) return std::nullopt;  // no other anchor is tried
                return Hit{a, a - sub->position + sub->length};
            }
            if (pattern[j] != '?' && Class(pattern[j]) != Class(text[below[k]])) {
                matched = false;
                break;
            }
            ++k;
        }
        if (!matched) continue;
        int t = (k == 0 ? a : below[k - 1]) - 1;  // below the last byte matched
        while (t >= low && Class(text[t]) == 0) --t;
        return Hit{a, a - t};
    }
    return std::nullopt;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int m = 1 + data[0] % kSearchStringLimit;
    const int startChoice = data[1];
    data += 2;
    size -= 2;
    if (size < size_t(m) || size > 600) return 0;
    auto letter = [](uint8_t b) { return kAlphabet[b % sizeof kAlphabet]; };
    std::vector<uint8_t> pattern;
    for (int i = 0; i < m; ++i) pattern.push_back(letter(data[i]));
    pattern.push_back(0);
    // The rest makes up to three paragraphs, split where the input has a byte 0xFE.
    std::vector<std::vector<uint8_t>> paragraphs(1);
    for (size_t i = size_t(m); i < size; ++i) {
        if (data[i] == 0xFE && paragraphs.size() < 3)
            paragraphs.emplace_back();
        else
            paragraphs.back().push_back(letter(data[i]));
    }

    // MatchBackward on the first paragraph, from every start.
    const std::vector<uint8_t>& first = paragraphs[0];
    for (int start = -1; start < int(first.size()); ++start) {
        MatchResult got;
        const bool found = MatchBackward(first.data(), 0, pattern.data(), m, start, &got);
        std::optional<Hit> want = Reference(first.data(), 0, pattern.data(), m, start);
        Check(found == want.has_value());
        if (found) Check(got.position == want->position && got.length == want->length);
    }

    // SearchArticleText over the list of all paragraphs, from one start offset.
    std::vector<uint8_t> list;
    std::vector<int> firsts, zeros;
    for (const auto& p : paragraphs) {
        list.push_back(0xB1);
        list.push_back(0);
        firsts.push_back(int(list.size()));
        list.insert(list.end(), p.begin(), p.end());
        zeros.push_back(int(list.size()));
        list.push_back(0);
    }
    list.push_back(0);
    const int start = startChoice * int(list.size()) / 255;
    std::optional<Hit> want;
    for (size_t i = 0; i < firsts.size() && !want; ++i) {
        if (start > zeros[i]) continue;
        want = Reference(list.data(), firsts[i], pattern.data(), m,
                         start >= firsts[i] ? start : zeros[i] - 1);
    }
    uint16_t length = 0;
    const uint16_t at = SearchArticleText(list.data(), uint16_t(start), pattern.data(), &length);
    Check((at != 0) == want.has_value());
    if (want) Check(at == want->position && length == want->length);
    return 0;
}
