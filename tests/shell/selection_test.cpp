// Selecting with the mouse through the driver, over the whole built-in book: random drags, double
// and triple clicks in random articles, both panes, several window sizes and the three mappings.
// What Copy puts on the clipboard is the book's text between the selection's reading offsets,
// computed here from the book compiler's own decoder, not from the reader's conversion.
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "book_encoding.h"
#include "platform/heap.h"
#include "store/book_resources.h"
#include "store/record_list.h"
#include "store/records.h"
#include "support/program_run.h"

namespace {

// One article as it is read: each text record's decoded characters and its line end, which
// make the reading offsets; rules sit between records and have none.
struct Piece {
    bool rule = false;
    std::u32string text;  // a text record's characters
    int first = 0;        // its first offset; for a rule, the offset of what follows it
    int indent = 0, dashes = 0;
    bool gap = false;  // a blank line after it
};

std::vector<Piece> ReadArticle(int article) {
    std::vector<Piece> pieces;
    uint8_t* list = LoadRecordList(article);
    if (!list) return pieces;
    int at = 0;
    for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        uint8_t style = ArticleRecordStyle(r), parameter = ArticleRecordIndent(r);
        Piece p;
        p.gap = (style & 0x80) != 0;
        if ((style & 7) == 7) {
            p.rule = true;
            p.dashes = parameter <= 160 ? parameter : 2 * (parameter - 160);
        } else {
            p.text = DecodeBookText(ArticleRecordText(r), ArticleRecordTextLength(r),
                                    (style & 0x10) ? StoredOrder::Display : StoredOrder::Reading);
            p.indent = parameter & 63;
            p.first = at;
            at += int(p.text.size()) + 1;
        }
        pieces.push_back(p);
    }
    // A rule belongs to the offset after it.
    int next = at;
    for (auto p = pieces.rbegin(); p != pieces.rend(); ++p) {
        if (p->rule)
            p->first = next;
        else
            next = p->first;
    }
    HeapFreeBlock(list);
    return pieces;
}

// The whole reading text, each record followed by its line end.
std::u32string AllText(const std::vector<Piece>& pieces) {
    std::u32string all;
    for (const Piece& p : pieces)
        if (!p.rule) all += p.text + U"\n";
    return all;
}

// What Copy gives for [a, b): each record's characters in the range; its indent and line ends
// when its line end is in it; a rule when the range runs from before it up to it at least.
std::u32string Expected(const std::vector<Piece>& pieces, int a, int b) {
    std::u32string out;
    for (const Piece& p : pieces) {
        std::u32string ends = p.gap ? U"\n\n" : U"\n";
        if (p.rule) {
            if ((a < p.first || (p.first == 0 && a == 0)) && p.first <= b && a < b)
                out += std::u32string(size_t(p.dashes), U'-') + ends;
            continue;
        }
        int end = p.first + int(p.text.size());
        int from = std::max(a, p.first), to = std::min(b, end);
        if (from < to) out += p.text.substr(size_t(from - p.first), size_t(to - from));
        if (end >= a && end < b) out += std::u32string(size_t(p.indent), U' ') + ends;
    }
    return out;
}

// What a single-byte font gives: letters from 0xE0, no points or dots.
std::u32string SingleByte(const std::u32string& text) {
    std::u32string out;
    for (char32_t c : text) {
        if (c >= 0x05D0 && c <= 0x05EA)
            out += 0xE0 + (c - 0x05D0);
        else if (c < 0x05B0 || c > 0x05C7)
            out += c;
    }
    return out;
}

// What the RTF document reads as: every run of line ends one paragraph, and one more at the end.
std::u32string AsRtfParagraphs(const std::u32string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != U'\n') {
            out += text[i++];
            continue;
        }
        while (i < text.size() && text[i] == U'\n') ++i;
        out += U"\n\n";
    }
    return out + U"\n\n";
}

bool IsWordCharacter(char32_t c) {
    return c != U' ' && c != U'\n' &&
           std::u32string_view(U",.;:!?()[]-").find(c) == std::u32string_view::npos;
}

int IntAfter(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + key.size() + 3);
}

// The pair after `"key":`, false for null.
bool PairAfter(const std::string& json, const std::string& key, int* a, int* b) {
    size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return false;
    return std::sscanf(json.c_str() + at + key.size() + 3, "[%d,%d]", a, b) == 2;
}

// The JSON string after `"key":` from `from` on, its escapes undone (\n, \", \\ and \u00XX).
std::string JsonStringAfter(const std::string& json, size_t from, const std::string& key) {
    size_t at = json.find("\"" + key + "\":\"", from);
    if (at == std::string::npos) return "";
    std::string out;
    for (size_t i = at + key.size() + 4; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] != '\\') {
            out += json[i];
            continue;
        }
        char c = json[++i];
        if (c == 'n') {
            out += '\n';
        } else if (c == 'u') {
            out += char(std::stoi(json.substr(i + 1, 4), nullptr, 16));
            i += 4;
        } else {
            out += c;
        }
    }
    return out;
}

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

Rect PaneRect(const std::string& access, const std::string& name) {
    Rect r;
    size_t at = access.find("\"name\":\"" + name + "\"");
    at = access.find("\"rect\":", at);
    if (at != std::string::npos)
        std::sscanf(access.c_str() + at + 7, "[%d,%d,%d,%d]", &r.left, &r.top, &r.right, &r.bottom);
    return r;
}

enum class Gesture { Drag, Word, Paragraph };

struct Sample {
    Gesture gesture;
    bool top;
};

class SelectionTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        RegisterBookResources();
    }
    void Store(int base) {
        char values[160];
        std::snprintf(values, sizeof values,
                      "\"FontName\"=\"David CLM\"\n\"Lesson\"=dword:00000001\n"
                      "\"FontAsciiBase\"=dword:%08x\n",
                      unsigned(base));
        StoreRegistry(values);
    }
    std::vector<std::string> Lines(const std::string& script, const std::string& screen) {
        Outcome r = Run(script, "--screen " + screen);
        EXPECT_EQ(r.code, 0) << r.err;
        // Nothing on standard error but, under the leak checker, its list of suppressions.
        std::string err = r.err;
        size_t summary = err.find("Suppressions used:");
        if (summary != std::string::npos) err.erase(err.find("-----"));
        EXPECT_EQ(err, "");
        std::vector<std::string> out;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    std::string File(int n, const char* kind) {
        return (dir / (std::string(kind) + std::to_string(n) + ".txt")).string();
    }
};

class SelectEveryWay : public SelectionTest,
                       public ::testing::WithParamInterface<std::tuple<int, const char*>> {};

TEST_P(SelectEveryWay, CopyGivesTheBookTextBetweenTheSelectionsOffsets) {
    const auto [base, screen] = GetParam();
    Store(base);
    std::vector<std::string> first = Lines("access\nquit\n", screen);
    ASSERT_EQ(first.size(), 1u);
    Rect panes[2] = {PaneRect(first[0], "Top pane"), PaneRect(first[0], "Bottom pane")};
    ASSERT_GT(panes[0].bottom - panes[0].top, 20) << first[0];
    ASSERT_GT(panes[1].bottom - panes[1].top, 20) << first[0];

    std::mt19937 random(unsigned(base) * 7 + unsigned(screen[0]));
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    constexpr int kSamples = 30;
    std::string script;
    std::vector<Sample> samples;
    for (int n = 0; n < kSamples; ++n) {
        for (int k = in(0, 2); k > 0; --k) script += "key Right\n";
        Sample s{Gesture(in(0, 3) % 3), in(0, 1) == 0};
        const Rect& r = panes[s.top ? 0 : 1];
        int x = in(r.left + 2, r.right - 3), y = in(r.top + 2, r.bottom - 3);
        if (s.gesture == Gesture::Drag) {
            int x2 = in(r.left + 2, r.right - 3), y2 = in(r.top + 2, r.bottom - 3);
            if (std::abs(x2 - x) < 10 && std::abs(y2 - y) < 10)
                x2 = x > r.left + 20 ? x - 15 : x + 15;
            script += "press " + std::to_string(x) + " " + std::to_string(y) + "\ndrag " +
                      std::to_string(x2) + " " + std::to_string(y2) + "\nrelease " +
                      std::to_string(x2) + " " + std::to_string(y2) + "\n";
        } else {
            script += "click " + std::to_string(x) + " " + std::to_string(y) +
                      (s.gesture == Gesture::Word ? " 2\n" : " 3\n");
        }
        script += "state\n";
        if (n < 4) script += "access\n";
        script += "command 40007\nclipboard text " + File(n, "copy") + "\nclipboard primary " +
                  File(n, "primary") + "\nkey Escape\nstate\n";
        samples.push_back(s);
    }
    std::vector<std::string> out = Lines(script + "quit\n", screen);
    ASSERT_EQ(out.size(), size_t(2 * kSamples + 4));
    size_t line = 0;
    for (int n = 0; n < kSamples; ++n) {
        const Sample& s = samples[size_t(n)];
        const std::string& state = out[line++];
        std::string where = std::string(screen) + " mapping " + std::to_string(base) + " sample " +
                            std::to_string(n) + ": " + state;
        int a = 0, b = 0, other = 0;
        ASSERT_TRUE(PairAfter(state, s.top ? "topSelection" : "bottomSelection", &a, &b)) << where;
        EXPECT_FALSE(PairAfter(state, s.top ? "bottomSelection" : "topSelection", &other, &other))
            << where;
        if (a > b) std::swap(a, b);
        int article = IntAfter(state, "lesson") + (s.top ? 0 : 1);
        std::vector<Piece> pieces = ReadArticle(article);
        ASSERT_FALSE(pieces.empty()) << where;
        std::u32string expected = Expected(pieces, a, b);
        std::u32string all = AllText(pieces);
        ASSERT_LE(b, int(all.size())) << where;
        std::string copied = ReadFile(File(n, "copy")), primary = ReadFile(File(n, "primary"));
        if (base == 1488) {
            EXPECT_EQ(copied, EncodeUtf8(AsRtfParagraphs(expected))) << where;
            EXPECT_FALSE(primary.empty()) << where;
        } else {
            EXPECT_EQ(copied, EncodeUtf8(SingleByte(expected))) << where;
            EXPECT_EQ(primary, copied) << where;
        }
        if (s.gesture == Gesture::Word) {
            // One word, or one character that is none.
            std::u32string word = all.substr(size_t(a), size_t(b - a));
            bool isWord = IsWordCharacter(word[0]);
            for (char32_t c : word) EXPECT_TRUE(!isWord || IsWordCharacter(c)) << where;
            if (isWord) {
                EXPECT_TRUE(a == 0 || !IsWordCharacter(all[size_t(a - 1)])) << where;
                EXPECT_TRUE(!IsWordCharacter(all[size_t(b)])) << where;
            } else {
                EXPECT_EQ(word.size(), 1u) << where;
            }
        }
        if (s.gesture == Gesture::Paragraph) {
            bool found = false;
            for (const Piece& p : pieces)
                found |= !p.rule && p.first == a && p.first + int(p.text.size()) == b;
            EXPECT_TRUE(found) << where << " is not one paragraph";
        }
        if (n < 4) {
            // The screen reader's selection of the pane is the same stretch.
            const std::string& access = out[line++];
            size_t at = access.find(s.top ? "\"name\":\"Top pane\"" : "\"name\":\"Bottom pane\"");
            ASSERT_NE(at, std::string::npos) << where;
            int sa = -1, sb = -1;
            PairAfter(access.substr(access.find("\"selection\":", at) - 1), "selection", &sa, &sb);
            EXPECT_EQ(sa, a) << where;
            EXPECT_EQ(sb, b) << where;
            // And its text is the book's, offset for offset.
            EXPECT_EQ(JsonStringAfter(access, at, "text"), EncodeUtf8(all)) << where;
        }
        const std::string& cleared = out[line++];
        EXPECT_FALSE(PairAfter(cleared, "topSelection", &other, &other)) << cleared;
        EXPECT_FALSE(PairAfter(cleared, "bottomSelection", &other, &other)) << cleared;
    }
}

INSTANTIATE_TEST_SUITE_P(SizesAndMappings, SelectEveryWay,
                         ::testing::Combine(::testing::Values(1488, 224, 97),
                                            ::testing::Values("240x320", "480x360", "800x600")));

// A drag held beyond the pane's bottom scrolls it and carries the selection on; a tap pages
// and clears; a double click after a tap selects on the page that was clicked, not the next.
TEST_F(SelectionTest, DragBeyondTheEdgeScrollsAndATapStillPages) {
    Store(1488);
    std::vector<std::string> first = Lines("access\nquit\n", "480x360");
    ASSERT_EQ(first.size(), 1u);
    Rect top = PaneRect(first[0], "Top pane");
    std::string x = std::to_string((top.left + top.right) / 2);
    std::string below = std::to_string(top.bottom + 30);
    std::string script = "press " + x + " " + std::to_string(top.top + 20) + "\ndrag " + x + " " +
                         std::to_string(top.bottom - 5) + "\nstate\n";
    for (int i = 0; i < 4; ++i) script += "drag " + x + " " + below + "\n";
    script += "state\nrelease " + x + " " + below + "\nstate\n";
    script += "tap " + x + " " + std::to_string(top.bottom - 10) + "\nstate\n";
    script += "click " + x + " " + std::to_string(top.bottom - 10) + " 2\nstate\n";
    std::vector<std::string> out = Lines(script + "quit\n", "480x360");
    ASSERT_EQ(out.size(), 5u);
    int a0 = 0, b0 = 0, a1 = 0, b1 = 0, a2 = 0, b2 = 0;
    ASSERT_TRUE(PairAfter(out[0], "topSelection", &a0, &b0)) << out[0];
    ASSERT_TRUE(PairAfter(out[1], "topSelection", &a1, &b1)) << out[1];
    EXPECT_EQ(IntAfter(out[0], "topFirstRow"), 0);
    EXPECT_GE(IntAfter(out[1], "topFirstRow"), 4) << out[1];
    EXPECT_EQ(a1, a0);
    EXPECT_GT(b1, b0) << "the selection goes on with the text scrolled in";
    ASSERT_TRUE(PairAfter(out[2], "topSelection", &a2, &b2)) << out[2];
    EXPECT_EQ(b2, b1) << "releasing keeps the selection";
    int row = IntAfter(out[2], "topFirstRow");
    EXPECT_GT(IntAfter(out[3], "topFirstRow"), row) << "a tap pages: " << out[3];
    EXPECT_FALSE(PairAfter(out[3], "topSelection", &a2, &b2)) << "a tap clears: " << out[3];
    EXPECT_EQ(IntAfter(out[4], "topFirstRow"), IntAfter(out[3], "topFirstRow"))
        << "a double click pages once, then selects on that page: " << out[4];
    EXPECT_TRUE(PairAfter(out[4], "topSelection", &a2, &b2)) << out[4];
}

// Shift+click moves the selection's free end and keeps its anchor; the screen reader is told
// that the selection changed; Ctrl+A selects the active pane's whole article and a new article
// clears it.
TEST_F(SelectionTest, ShiftClickExtendsCtrlASelectsAllAndAnotherArticleClears) {
    Store(1488);
    std::vector<std::string> first = Lines("access\nquit\n", "480x360");
    ASSERT_EQ(first.size(), 1u);
    Rect top = PaneRect(first[0], "Top pane");
    int x1 = top.right - 60, y1 = top.top + 30, x2 = top.left + 120, y2 = top.top + 60;
    std::string script =
        "access events\npress " + std::to_string(x1) + " " + std::to_string(y1) + "\ndrag " +
        std::to_string(x2) + " " + std::to_string(y2) + "\nrelease " + std::to_string(x2) + " " +
        std::to_string(y2) + "\nstate\naccess events\nclick " + std::to_string(x2) + " " +
        std::to_string(top.bottom - 10) + " 1 shift\nstate\nkey Ctrl+A\nstate\nkey Right\nstate\n";
    std::vector<std::string> out = Lines(script + "quit\n", "480x360");
    ASSERT_EQ(out.size(), 6u);
    EXPECT_NE(out[2].find("{\"event\":\"selection\",\"role\":\"text\",\"name\":\"Top pane\"}"),
              std::string::npos)
        << out[2];
    int a = 0, b = 0, c = 0, d = 0;
    ASSERT_TRUE(PairAfter(out[1], "topSelection", &a, &b)) << out[1];
    ASSERT_TRUE(PairAfter(out[3], "topSelection", &c, &d)) << out[3];
    EXPECT_EQ(c, a) << "the anchor stays";
    EXPECT_GT(d, b) << "the end moves on to the click";
    ASSERT_TRUE(PairAfter(out[4], "topSelection", &c, &d)) << out[4];
    std::u32string all = AllText(ReadArticle(1));
    EXPECT_EQ(c, 0);
    EXPECT_EQ(d, int(all.size()));
    EXPECT_FALSE(PairAfter(out[5], "topSelection", &c, &d)) << out[5];
    EXPECT_EQ(IntAfter(out[5], "lesson"), 3);
}

}  // namespace
