#include "export/rtf_encode.h"

#include <cstdio>

namespace {

struct Decomposition {
    char16_t form;
    char16_t parts[3];
};

// Ends at a form of 0.
constexpr Decomposition kDecompositions[] = {
    {0xFB2A, {0x05E9, 0x05C1, 0}},      {0xFB2B, {0x05E9, 0x05C2, 0}},
    {0xFB2C, {0x05E9, 0x05BC, 0x05C1}}, {0xFB2D, {0x05E9, 0x05BC, 0x05C2}},
    {0xFB30, {0x05D0, 0x05BC, 0}},      {0xFB31, {0x05D1, 0x05BC, 0}},
    {0xFB32, {0x05D2, 0x05BC, 0}},      {0xFB33, {0x05D3, 0x05BC, 0}},
    {0xFB34, {0x05D4, 0x05BC, 0}},      {0xFB35, {0x05D5, 0x05BC, 0}},
    {0xFB36, {0x05D6, 0x05BC, 0}},      {0xFB38, {0x05D8, 0x05BC, 0}},
    {0xFB39, {0x05D9, 0x05BC, 0}},      {0xFB3A, {0x05DA, 0x05BC, 0}},
    {0xFB3B, {0x05DB, 0x05BC, 0}},      {0xFB3C, {0x05DC, 0x05BC, 0}},
    {0xFB3E, {0x05DE, 0x05BC, 0}},      {0xFB40, {0x05E0, 0x05BC, 0}},
    {0xFB41, {0x05E1, 0x05BC, 0}},      {0xFB43, {0x05E3, 0x05BC, 0}},
    {0xFB44, {0x05E4, 0x05BC, 0}},      {0xFB46, {0x05E6, 0x05BC, 0}},
    {0xFB47, {0x05E7, 0x05BC, 0}},      {0xFB48, {0x05E8, 0x05BC, 0}},
    {0xFB49, {0x05E9, 0x05BC, 0}},      {0xFB4A, {0x05EA, 0x05BC, 0}},
    {0xFB4B, {0x05D5, 0x05B9, 0}},      {0, {0, 0, 0}},
};

// Lookups start above the last Hebrew letter (U+05EA, 1514).
constexpr char16_t kFirstLookup = 1515;
// At the start of a line: the line is a left-to-right paragraph.
constexpr char16_t kLeftToRightMark = 0x200E;
constexpr char kParagraphMark[] = "\\par\\par\r\n";
constexpr size_t kParagraphMarkLength = sizeof kParagraphMark - 1;

bool IsLineEnd(char16_t c) {
    return c == u'\r' || c == u'\n';
}

// Writes text when there is an output, and counts what it wrote either way.
struct Writer {
    char* out;
    size_t written = 0;
    void Put(char c) {
        if (out) out[written] = c;
        ++written;
    }
    void Put(const char* s, size_t n) {
        for (size_t i = 0; i < n; ++i) Put(s[i]);
    }
    void Escape(char16_t c) {
        char digits[16];
        int n = std::snprintf(digits, sizeof digits, "\\u%u", unsigned(c));
        Put(digits, size_t(n));
    }
};

}  // namespace

const char16_t* HebrewDecomposition(char16_t c) {
    if (c < kFirstLookup) return nullptr;
    for (const Decomposition* d = kDecompositions; d->form; ++d)
        if (d->form == c) return d->parts;
    return nullptr;
}

// A reader takes one space after a \u escape as the escape's delimiter, and reads digits right
// after it as more of its number. So after an escape a run of spaces gets one space more and a
// digit gets a space in front; anywhere else spaces and digits are written as they are, and a
// reader shows exactly the text's characters. The size counts each run of k spaces as k + 1 and
// each digit as 2, which covers both cases.
//
// A line that starts with U+200E is a left-to-right paragraph: "\ltrpar " stands for the mark,
// and "\rtlpar " starts the next line that has no mark. The size counts both for each mark.
size_t RtfEncode(const char16_t* text, char* out) {
    size_t size = 13;  // the closing paragraph mark (10), its 0 and slack
    Writer w{out};
    bool afterEscape = false;
    bool lineStart = true, leftToRight = false;
    for (size_t i = 0; text[i];) {
        char16_t c = text[i];
        if (lineStart) {
            lineStart = false;
            bool marked = c == kLeftToRightMark;
            if (marked != leftToRight) {
                const char* word = marked ? "\\ltrpar " : "\\rtlpar ";
                w.Put(word, 8);
                leftToRight = marked;
                afterEscape = false;
            }
            if (marked) {
                size += 16;
                ++i;
                continue;
            }
        }
        if (c == u' ') {
            size_t k = 0;
            while (text[i] == u' ') ++i, ++k;
            size += k + 1;
            for (size_t s = 0; s < k + (afterEscape ? 1 : 0); ++s) w.Put(' ');
            afterEscape = false;
            continue;
        }
        if (IsLineEnd(c)) {
            while (IsLineEnd(text[i])) ++i;
            size += 12;
            w.Put(kParagraphMark, kParagraphMarkLength);
            afterEscape = false;
            lineStart = true;
            continue;
        }
        ++i;
        if (c == u'\\' || c == u'{' || c == u'}') {
            size += 2;
            w.Put('\\');
            w.Put(char(c));
            afterEscape = false;
        } else if (c >= 33 && c <= 126) {
            bool digit = c >= u'0' && c <= u'9';
            size += digit ? 2 : 1;
            if (digit && afterEscape) w.Put(' ');
            w.Put(char(c));
            afterEscape = false;
        } else if (const char16_t* parts = HebrewDecomposition(c)) {
            for (int p = 0; p < 3 && parts[p]; ++p) {
                size += 6;
                w.Escape(parts[p]);
            }
            afterEscape = true;
        } else {
            size += c < 1000 ? 5 : c < 10000 ? 6 : 7;
            w.Escape(c);
            afterEscape = true;
        }
    }
    w.Put(kParagraphMark, kParagraphMarkLength);
    if (!out) return size;
    out[w.written] = 0;
    return w.written;
}
