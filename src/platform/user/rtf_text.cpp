#include "platform/user/rtf_text.h"

#include <cctype>
#include <vector>

namespace {

// Windows-1255 from 0x80: Hebrew letters at 0xE0-0xFA; 0 where the code page has no character.
constexpr char16_t kCp1255High[128] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0,      0x2039,
    0,      0,      0,      0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0,      0x203A, 0,      0,      0,      0,      0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x20AA, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00D7, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00F7, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x05B0, 0x05B1, 0x05B2, 0x05B3, 0x05B4, 0x05B5, 0x05B6, 0x05B7,
    0x05B8, 0x05B9, 0x05BA, 0x05BB, 0x05BC, 0x05BD, 0x05BE, 0x05BF, 0x05C0, 0x05C1, 0x05C2, 0x05C3,
    0x05F0, 0x05F1, 0x05F2, 0x05F3, 0x05F4, 0,      0,      0,      0,      0,      0,      0,
    0x05D0, 0x05D1, 0x05D2, 0x05D3, 0x05D4, 0x05D5, 0x05D6, 0x05D7, 0x05D8, 0x05D9, 0x05DA, 0x05DB,
    0x05DC, 0x05DD, 0x05DE, 0x05DF, 0x05E0, 0x05E1, 0x05E2, 0x05E3, 0x05E4, 0x05E5, 0x05E6, 0x05E7,
    0x05E8, 0x05E9, 0x05EA, 0,      0,      0x200E, 0x200F, 0,
};

bool IsSkippedDestination(const std::string& word) {
    static const char* const kSkipped[] = {
        "fonttbl", "colortbl",  "stylesheet",        "info",      "pict",     "object", "header",
        "footer",  "listtable", "listoverridetable", "themedata", "datastore"};
    for (const char* s : kSkipped)
        if (word == s) return true;
    return false;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The state a group opens with and gives back when it closes.
struct Group {
    bool skipped;
    long fallback;  // \uc: characters to skip after a \u escape
};

}  // namespace

std::u16string RtfToText(const std::string& rtf) {
    std::u16string out;
    std::vector<Group> stack;
    Group g{false, 1};
    long pendingFallback = 0;  // characters of a \u escape's fallback still to skip
    bool groupStart = false;   // right after "{": a destination word may follow
    size_t i = 0, n = rtf.size();
    auto emit = [&](char16_t c) {
        if (pendingFallback > 0) {
            --pendingFallback;
            return;
        }
        if (!g.skipped) out.push_back(c);
    };
    while (i < n) {
        char c = rtf[i];
        if (c == '{') {
            stack.push_back(g);
            groupStart = true;
            pendingFallback = 0;
            ++i;
            continue;
        }
        if (c == '}') {
            if (!stack.empty()) {
                g = stack.back();
                stack.pop_back();
            }
            groupStart = false;
            pendingFallback = 0;
            ++i;
            continue;
        }
        bool atGroupStart = groupStart;
        groupStart = false;
        if (c == '\r' || c == '\n') {
            ++i;
            groupStart = atGroupStart;
            continue;
        }
        if (c != '\\') {
            emit(char16_t(static_cast<unsigned char>(c) < 0x80
                              ? c
                              : kCp1255High[static_cast<unsigned char>(c) - 0x80]));
            ++i;
            continue;
        }
        ++i;
        if (i >= n) break;
        char s = rtf[i];
        if (!std::isalpha(static_cast<unsigned char>(s))) {
            ++i;
            switch (s) {
                case '\\':
                case '{':
                case '}':
                    emit(char16_t(s));
                    break;
                case '~':
                    emit(0x00A0);
                    break;
                case '*':
                    if (atGroupStart) g.skipped = true;
                    break;
                case '\'': {
                    int hi = i < n ? HexValue(rtf[i]) : -1;
                    int lo = i + 1 < n ? HexValue(rtf[i + 1]) : -1;
                    if (hi >= 0 && lo >= 0) {
                        i += 2;
                        int b = hi * 16 + lo;
                        char16_t u = b < 0x80 ? char16_t(b) : kCp1255High[b - 0x80];
                        if (u)
                            emit(u);
                        else if (pendingFallback > 0)
                            --pendingFallback;
                    }
                    break;
                }
                case '\r':
                case '\n':
                    emit(u'\n');
                    break;  // an escaped line end is \par
                default:
                    break;
            }
            continue;
        }
        std::string word;
        while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i])) && word.size() < 32)
            word.push_back(rtf[i++]);
        while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
        bool negative = false, hasNumber = false;
        long number = 0;
        if (i < n && rtf[i] == '-') {
            negative = true;
            ++i;
        }
        while (i < n && std::isdigit(static_cast<unsigned char>(rtf[i]))) {
            hasNumber = true;
            if (number < 1000000) number = number * 10 + (rtf[i] - '0');
            ++i;
        }
        if (negative) number = -number;
        if (i < n && rtf[i] == ' ') ++i;  // the delimiter belongs to the word
        if (atGroupStart && IsSkippedDestination(word)) {
            g.skipped = true;
        } else if (word == "u" && hasNumber) {
            pendingFallback = 0;
            emit(char16_t(number < 0 ? number + 65536 : number));
            pendingFallback = g.fallback;
        } else if (word == "uc" && hasNumber) {
            g.fallback = number < 0 ? 0 : number;
        } else if (word == "par" || word == "line") {
            pendingFallback = 0;
            emit(u'\n');
        } else if (word == "tab") {
            emit(u'\t');
        }
    }
    return out;
}
