// A pane's text as a screen reader places it, through the driver's `access text`, `access at`
// and `access caret`: over every article of the book and several window sizes, the lines are
// the rows on the screen, each character has a cell of its own, a point finds its character and
// putting the caret on a line out of view scrolls it into view.
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace {

struct Box {
    bool shown = false;
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct PaneText {
    int caret = -1;
    std::vector<int> lines;
    std::vector<Box> boxes;
};

// The integers (and nulls) of the JSON array that follows `"key":`.
PaneText Parse(const std::string& json) {
    PaneText t;
    size_t at = json.find("\"caret\":");
    if (at != std::string::npos) t.caret = std::atoi(json.c_str() + at + 8);
    at = json.find("\"lines\":[");
    if (at == std::string::npos) return t;
    for (const char* p = json.c_str() + at + 9; *p && *p != ']';) {
        char* end = nullptr;
        t.lines.push_back(int(std::strtol(p, &end, 10)));
        p = *end == ',' ? end + 1 : end;
    }
    at = json.find("\"boxes\":[");
    for (const char* p = json.c_str() + at + 9; *p && *p != ']';) {
        Box b;
        if (std::strncmp(p, "null", 4) == 0) {
            p += 4;
        } else {
            int n = 0;
            std::sscanf(p, "[%d,%d,%d,%d]%n", &b.left, &b.top, &b.right, &b.bottom, &n);
            b.shown = true;
            p += n;
        }
        t.boxes.push_back(b);
        if (*p == ',') ++p;
    }
    return t;
}

// The line of `offset`: the last start at or before it.
size_t LineOf(const PaneText& t, int offset) {
    size_t line = 0;
    while (line + 1 < t.lines.size() && t.lines[line + 1] <= offset) ++line;
    return line;
}

class AccessTextTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        StoreRegistry("\"FontName\"=\"David CLM\"\n\"Lesson\"=dword:00000001\n");
    }
    std::vector<std::string> Lines(const std::string& script, const std::string& screen) {
        Outcome r = Run(script, "--screen " + screen);
        EXPECT_EQ(r.code, 0) << r.err;
        std::vector<std::string> out;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
};

// What holds of one view of the top pane: lines ascend from 0 through the text; the characters
// shown lie on the screen, a line's on one row, later lines lower down, no two letters in one
// cell; the caret starts the first line shown.
void CheckView(const PaneText& t, int width, int height, const std::string& where) {
    ASSERT_FALSE(t.lines.empty()) << where;
    ASSERT_FALSE(t.boxes.empty()) << where;
    EXPECT_EQ(t.lines.front(), 0) << where;
    for (size_t i = 1; i < t.lines.size(); ++i) {
        ASSERT_LT(t.lines[i - 1], t.lines[i]) << where << " line " << i;
        ASSERT_LT(size_t(t.lines[i]), t.boxes.size()) << where << " line " << i;
    }
    std::vector<int> rowTop(t.lines.size(), -1);
    int firstShownLine = -1;
    for (size_t i = 0; i < t.boxes.size(); ++i) {
        const Box& b = t.boxes[i];
        if (!b.shown) continue;
        size_t line = LineOf(t, int(i));
        if (firstShownLine < 0) firstShownLine = int(line);
        EXPECT_TRUE(b.left >= 0 && b.right <= width && b.top >= 0 && b.bottom <= height &&
                    b.left <= b.right && b.top < b.bottom)
            << where << " character " << i << " at [" << b.left << "," << b.top << "," << b.right
            << "," << b.bottom << "]";
        if (rowTop[line] < 0) rowTop[line] = b.top;
        EXPECT_EQ(b.top, rowTop[line]) << where << " character " << i << " off its row";
    }
    int lastTop = -1;
    for (size_t line = 0; line < rowTop.size(); ++line) {
        if (rowTop[line] < 0) continue;
        EXPECT_GT(rowTop[line], lastTop) << where << " line " << line << " is not below";
        lastTop = rowTop[line];
    }
    for (size_t i = 0; i < t.boxes.size(); ++i)
        for (size_t j = i + 1; j < t.boxes.size() && j < i + 200; ++j) {
            const Box &a = t.boxes[i], &b = t.boxes[j];
            if (!a.shown || !b.shown || a.right == a.left || b.right == b.left || a.top != b.top)
                continue;
            bool overlap = a.left < b.right && b.left < a.right;
            bool sameCell = a.left == b.left && a.right == b.right;
            EXPECT_FALSE(overlap && !sameCell) << where << " characters " << i << " and " << j;
        }
    ASSERT_GE(firstShownLine, 0) << where << " nothing shown";
    EXPECT_EQ(t.caret, t.lines[size_t(firstShownLine)]) << where;
}

TEST_F(AccessTextTest, EveryArticleReadsInItsRowsAndAPointFindsItsCharacter) {
    std::mt19937 random(29);
    for (auto [width, height] : {std::pair{240, 320}, std::pair{480, 360}, std::pair{200, 700}}) {
        std::string screen = std::to_string(width) + "x" + std::to_string(height);
        // Every article: its first page, and the next one.
        std::string script;
        for (int article = 0; article < 26; ++article)
            script += "access text\nkey PageDown\naccess text\nkey PageUp\nkey Right\n";
        std::vector<std::string> out = Lines(script + "quit\n", screen);
        ASSERT_EQ(out.size(), 52u);
        std::string probe;
        std::vector<std::pair<int, int>> asked;  // view, offset
        for (size_t v = 0; v < out.size(); ++v) {
            PaneText t = Parse(out[v]);
            std::string where =
                screen + " article " + std::to_string(v / 2 + 1) + (v % 2 ? " after PageDown" : "");
            CheckView(t, width, height, where);
            // A few letters of each view to point at.
            for (int k = 0; k < 3; ++k) {
                int i = std::uniform_int_distribution<int>(0, int(t.boxes.size()) - 1)(random);
                while (i < int(t.boxes.size()) &&
                       (!t.boxes[size_t(i)].shown ||
                        t.boxes[size_t(i)].right - t.boxes[size_t(i)].left < 2))
                    ++i;
                if (i >= int(t.boxes.size())) continue;
                asked.push_back({int(v), i});
            }
        }
        // The middle of a character's cell finds the character, or one sharing the cell with it
        // (a letter and its points).
        for (int article = 0, k = 0; article < 26; ++article) {
            for (int page = 0; page < 2; ++page) {
                for (; k < int(asked.size()) && asked[size_t(k)].first == 2 * article + page; ++k) {
                    const Box b = Parse(out[size_t(asked[size_t(k)].first)])
                                       .boxes[size_t(asked[size_t(k)].second)];
                    probe += "access at " + std::to_string((b.left + b.right) / 2) + " " +
                             std::to_string((b.top + b.bottom) / 2) + "\n";
                }
                if (page == 0) probe += "key PageDown\n";
            }
            probe += "key PageUp\nkey Right\n";
        }
        std::vector<std::string> found = Lines(probe + "quit\n", screen);
        ASSERT_EQ(found.size(), asked.size());
        for (size_t k = 0; k < asked.size(); ++k) {
            PaneText t = Parse(out[size_t(asked[k].first)]);
            int want = asked[k].second;
            int got = std::atoi(found[k].c_str() + found[k].find(':') + 1);
            ASSERT_GE(got, 0) << found[k];
            const Box &a = t.boxes[size_t(want)], &b = t.boxes[size_t(got)];
            EXPECT_TRUE(got == want || (b.left == a.left && b.right == a.right && b.top == a.top))
                << screen << " view " << asked[k].first << ": pointed at " << want << ", found "
                << got;
        }
    }
}

// A screen reader reading on puts the caret on the next line; when that line is below the
// pane, the pane scrolls to show it, and the caret stays where it was put.
TEST_F(AccessTextTest, PuttingTheCaretOnALineOutOfViewScrollsItIntoView) {
    std::vector<std::string> first = Lines("access text\nquit\n", "240x320");
    ASSERT_EQ(first.size(), 1u);
    PaneText t = Parse(first[0]);
    std::string script;
    std::vector<int> asked;
    for (size_t line = 0; line < t.lines.size(); line += 7) {
        asked.push_back(t.lines[line]);
        script += "access caret " + std::to_string(t.lines[line]) + "\naccess text\n";
    }
    std::vector<std::string> out = Lines(script + "quit\n", "240x320");
    ASSERT_EQ(out.size(), 2 * asked.size());
    for (size_t k = 0; k < asked.size(); ++k) {
        EXPECT_EQ(out[2 * k], "{\"set\":true,\"caret\":" + std::to_string(asked[k]) + "}");
        PaneText now = Parse(out[2 * k + 1]);
        EXPECT_EQ(now.caret, asked[k]);
        ASSERT_LT(size_t(asked[k]), now.boxes.size());
        EXPECT_TRUE(now.boxes[size_t(asked[k])].shown) << "line at " << asked[k] << " not shown";
    }
}

// The caret stands at the start of the first line shown. An arrow that scrolls the pane moves it
// a line at most (a rule going by leaves it), and never leaves it in place for the blank row
// between two paragraphs: in DejaVu Sans 12 at 240 x 160 PageDown lands the first article on
// such a row, and Down after it reads the next line, as does every Down on the way to the rule
// that ends the first section.
TEST_F(AccessTextTest, AnArrowThatScrollsMovesTheCaretALineAtMost) {
    struct Case {
        const char* font;
        const char* screen;
    };
    const Case cases[] = {
        {"\"FontName\"=\"DejaVu Sans\"\n\"FontSize\"=dword:0000000c\n", "240x160"},
        {"\"FontName\"=\"David CLM\"\n", "240x320"}};
    for (const Case& c : cases) {
        for (int article : {1, 5, 12}) {
            const std::string where = std::string(c.screen) + " article " + std::to_string(article);
            char lesson[40];
            std::snprintf(lesson, sizeof lesson, "\"Lesson\"=dword:%08x\n", article);
            StoreRegistry(std::string(c.font) + lesson);
            constexpr size_t kSteps = 30;
            std::string script = "state\naccess text\n";
            for (size_t k = 0; k < kSteps; ++k) script += "key Down\nstate\naccess text\n";
            for (size_t k = 0; k < kSteps; ++k) script += "key Up\nstate\naccess text\n";
            script += "key PageDown\naccess text\nkey Down\naccess text\n";
            std::vector<std::string> out = Lines(script + "quit\n", c.screen);
            ASSERT_EQ(out.size(), 2 + 4 * kSteps + 2) << where;
            auto row = [&](size_t k) {
                size_t at = out[2 * k].find("\"topFirstRow\":");
                return at == std::string::npos ? -1 : std::atoi(out[2 * k].c_str() + at + 14);
            };
            auto line = [&](size_t k) {
                PaneText t = Parse(out[2 * k + 1]);
                return int(LineOf(t, t.caret));
            };
            int moved = 0;
            for (size_t k = 1; k <= 2 * kSteps; ++k) {
                const bool down = k <= kSteps;
                const std::string step = where + (down ? " Down " : " Up ") + std::to_string(k);
                ASSERT_GE(row(k), 0) << out[2 * k];
                const int by = line(k) - line(k - 1);
                if (row(k) == row(k - 1)) {
                    EXPECT_EQ(by, 0) << step << ": the pane stood, the caret too";
                    continue;
                }
                moved += down && by != 0;
                EXPECT_TRUE(by == 0 || by == (down ? 1 : -1)) << step << ": moved " << by;
            }
            EXPECT_GT(moved, 5) << where << ": the article is longer than the pane";
            EXPECT_EQ(row(2 * kSteps), 0) << where << ": Up came back to the top";
            if (c.screen == std::string("240x160") && article == 1) {
                for (size_t k = 1; k <= 10; ++k)
                    EXPECT_EQ(line(k), int(k)) << where << " Down " << k;
                PaneText paged = Parse(out[out.size() - 2]), then = Parse(out.back());
                EXPECT_GT(paged.caret, 0) << where << ": PageDown moved the caret";
                EXPECT_EQ(LineOf(then, then.caret), LineOf(paged, paged.caret) + 1)
                    << where << ": Down after PageDown";
            }
        }
    }
}

}  // namespace
