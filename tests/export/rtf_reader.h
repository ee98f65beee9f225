#pragma once
// A small RTF reader for the tests, apart from the program's own: it reads a document into
// paragraphs with their text, direction and alignment, as a word processor lays them out. It
// knows \uN with its \ucN fallback characters, \'hh (as Latin-1), \par, \pard, \plain, \rtlpar,
// \ltrpar, \ql \qr \qc, and skips the tables, the information and \* destinations.
#include <cctype>
#include <string>
#include <vector>

struct RtfParagraph {
    std::u16string text;
    bool rightToLeft = false;
    char align = 'l';  // l, r, c
    bool operator==(const RtfParagraph&) const = default;
};

inline std::vector<RtfParagraph> ReadRtfParagraphs(const std::string& rtf) {
    struct State {
        bool skip = false;
        long uc = 1;
        bool rtl = false;
        char align = 'l';
    };
    std::vector<RtfParagraph> out;
    std::vector<State> stack;
    State s;
    std::u16string text;
    long fallback = 0;  // characters still to skip after a \u escape
    auto emit = [&](char16_t c) {
        if (fallback > 0) {
            --fallback;
            return;
        }
        if (!s.skip) text += c;
    };
    for (size_t i = 0; i < rtf.size();) {
        char c = rtf[i];
        if (c == '{' || c == '}') {
            if (c == '{') {
                stack.push_back(s);
            } else if (!stack.empty()) {
                s = stack.back();
                stack.pop_back();
            }
            fallback = 0;
            ++i;
            if (c == '{' && rtf.compare(i, 2, "\\*") == 0) s.skip = true;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            emit(char16_t(static_cast<unsigned char>(c)));
            ++i;
            continue;
        }
        ++i;
        if (i < rtf.size() && !std::isalpha(static_cast<unsigned char>(rtf[i]))) {
            char sym = rtf[i++];
            if (sym == '\'' && i + 2 <= rtf.size()) {
                emit(char16_t(std::stoi(rtf.substr(i, 2), nullptr, 16)));
                i += 2;
            } else if (sym == '\\' || sym == '{' || sym == '}') {
                emit(char16_t(sym));
            }
            continue;
        }
        std::string word;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) word += rtf[i++];
        bool hasNumber = false, negative = false;
        long n = 0;
        if (i < rtf.size() && rtf[i] == '-') negative = true, ++i;
        while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i])))
            hasNumber = true, n = n * 10 + (rtf[i++] - '0');
        if (negative) n = -n;
        if (i < rtf.size() && rtf[i] == ' ') ++i;
        if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info") {
            s.skip = true;
        } else if (word == "u" && hasNumber) {
            fallback = 0;
            emit(char16_t(n < 0 ? n + 65536 : n));
            fallback = s.uc;
        } else if (word == "uc") {
            s.uc = n;
        } else if (word == "par") {
            fallback = 0;
            if (!s.skip) out.push_back({text, s.rtl, s.align});
            text.clear();
        } else if (word == "pard") {
            s.rtl = false;
            s.align = 'l';
        } else if (word == "rtlpar" || word == "ltrpar") {
            s.rtl = word == "rtlpar";
        } else if (word == "ql" || word == "qr" || word == "qc") {
            s.align = word[1];
        }
    }
    if (!text.empty()) out.push_back({text, s.rtl, s.align});
    return out;
}
