// The accessible tree of the real program on the headless host, through the driver's `access`
// and `access events` lines: what a screen reader is told, without a bus.
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace {

class AccessTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        StoreRegistry("\"FontName\"=\"David CLM\"\n\"Lesson\"=dword:00000001\n");
    }
    std::vector<std::string> Lines(const std::string& script) {
        Outcome r = Run(script);
        EXPECT_EQ(r.code, 0) << r.err;
        std::vector<std::string> lines;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

// A JSON string value starting at the quote at `at`, unescaped (the driver escapes only these).
std::string StringAt(const std::string& json, size_t at) {
    std::string out;
    for (size_t i = at + 1; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] != '\\') {
            out += json[i];
            continue;
        }
        char c = json[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

// The value of `key` in the object that starts with the given name.
std::string Field(const std::string& json, const std::string& name, const std::string& key) {
    size_t at = json.find("\"name\":\"" + name + "\"");
    if (at == std::string::npos) return {};
    at = json.find("\"" + key + "\":", at);
    return at == std::string::npos ? std::string() : json.substr(at + key.size() + 3);
}

std::u32string CodePoints(const std::string& utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = utf8[i];
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t v = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n; ++k) v = (v << 6) | (utf8[i + k] & 0x3F);
        out += v;
        i += n;
    }
    return out;
}

// The article's expanded text as the book tool prints it: one line per text record.
std::string ExpandedArticle(int number) {
    std::string cmd = std::string(ORVANEL_BOOK_TOOL) + " expand " + ORVANEL_BOOK_CONTAINERS "/" +
                      std::to_string(1000 + number) + ".bin";
    FILE* p = popen(cmd.c_str(), "r");
    std::string all;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) all.append(buf, n);
    pclose(p);
    std::istringstream in(all);
    std::string text;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("    ", 0) == 0) text += line.substr(4) + "\n";
    return text;
}

TEST_F(AccessTest, TheTreeShowsTheFrameItsToolButtonsByTooltipAndTheActivePaneFocused) {
    std::vector<std::string> out = Lines("access\nquit\n");
    ASSERT_EQ(out.size(), 1u);
    const std::string& tree = out[0];
    EXPECT_EQ(tree.rfind("{\"role\":\"application\",\"name\":\"Orvanel\"", 0), 0u) << tree;
    EXPECT_NE(tree.find("{\"role\":\"frame\",\"name\":\"Orvanel\""), std::string::npos);
    for (const char* tip : {"Choose Article", "Search", "Next Article"})
        EXPECT_NE(tree.find("{\"role\":\"push button\",\"name\":\"" + std::string(tip)),
                  std::string::npos)
            << tip;
    EXPECT_EQ(Field(tree, "Top pane", "states")
                  .rfind("[\"enabled\",\"visible\",\"showing\","
                         "\"focusable\",\"focused\"",
                         0),
              0u);
    EXPECT_EQ(tree.find("\"focused\""), tree.rfind("\"focused\"")) << "exactly one focus";
}

TEST_F(AccessTest, APaneReadsAsItsArticleAndPagingMovesTheCaretToTheFirstLineShown) {
    std::vector<std::string> out =
        Lines("access\nkey PageDown\naccess events\nkey PageUp\naccess events\nquit\n");
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(StringAt(Field(out[0], "Top pane", "text"), 0), ExpandedArticle(1));
    EXPECT_EQ(StringAt(Field(out[0], "Bottom pane", "text"), 0), ExpandedArticle(2));
    EXPECT_EQ(Field(out[0], "Top pane", "caret").rfind("0,", 0), 0u);
    int caret = std::atoi(Field(out[1], "Top pane", "caret").c_str());
    std::u32string text = CodePoints(ExpandedArticle(1));
    EXPECT_GT(caret, 0) << out[1];
    EXPECT_LT(size_t(caret), text.size());
    EXPECT_NE(
        out[2].find("{\"event\":\"caret\",\"role\":\"text\",\"name\":\"Top pane\",\"caret\":0}"),
        std::string::npos)
        << out[2];
}

TEST_F(AccessTest, FocusGoesToTheSearchFieldAndBackToThePaneAndTypingIsTold) {
    std::vector<std::string> out = Lines(
        "access\nkey Alt+F3\naccess events\ntype \u05e9\naccess events\nkey Escape\naccess "
        "events\nquit\n");
    ASSERT_EQ(out.size(), 4u);
    EXPECT_NE(out[1].find("{\"event\":\"added\",\"role\":\"dialog\",\"name\":\"Search\"}"),
              std::string::npos)
        << out[1];
    EXPECT_NE(out[1].find("{\"event\":\"state\",\"role\":\"text\",\"name\":\"Top pane\","
                          "\"state\":\"focused\",\"on\":false}"),
              std::string::npos)
        << out[1];
    // The focus is the last thing told.
    const std::string last = "{\"event\":\"focus\",\"role\":\"entry\",\"name\":\"Search\"}]";
    EXPECT_EQ(out[1].rfind(last) + last.size(), out[1].size()) << out[1];
    EXPECT_NE(out[2].find("{\"event\":\"text\",\"role\":\"entry\""), std::string::npos) << out[2];
    EXPECT_NE(out[2].find("{\"event\":\"caret\",\"role\":\"entry\",\"name\":\"Search\""),
              std::string::npos)
        << out[2];
    EXPECT_NE(out[3].find("{\"event\":\"removed\",\"role\":\"dialog\""), std::string::npos);
    EXPECT_NE(out[3].find("{\"event\":\"focus\",\"role\":\"text\",\"name\":\"Top pane\"}"),
              std::string::npos)
        << out[3];
}

TEST_F(AccessTest, ASearchHitIsThePaneSelection) {
    std::vector<std::string> out = Lines("key Alt+F3\ntype הצל\nkey Enter\naccess\nquit\n");
    ASSERT_EQ(out.size(), 1u);
    std::string pane = out[0].substr(out[0].find("\"name\":\"Top pane\""));
    std::u32string text = CodePoints(StringAt(Field(pane, "Top pane", "text"), 0));
    int a = 0, b = 0;
    ASSERT_EQ(std::sscanf(Field(pane, "Top pane", "selection").c_str(), "[%d,%d]", &a, &b), 2);
    ASSERT_LT(a, b);
    ASSERT_LE(size_t(b), text.size());
    // The word as read, whatever points its letters carry.
    std::u32string letters;
    for (char32_t c : text.substr(size_t(a), size_t(b - a)))
        if (c >= 0x05D0 && c <= 0x05EA) letters += c;
    EXPECT_EQ(letters, U"הצל");
}

TEST_F(AccessTest, TheTableOfContentsIsAnOutlineWhoseTopEntryTakesTheFocus) {
    std::vector<std::string> out = Lines("access\ncommand 119\naccess events\naccess\nquit\n");
    ASSERT_EQ(out.size(), 3u);
    EXPECT_NE(out[1].find("{\"event\":\"added\",\"role\":\"tree\",\"name\":\"Contents\"}"),
              std::string::npos);
    size_t focus = out[1].find("{\"event\":\"focus\",\"role\":\"tree item\"");
    EXPECT_NE(focus, std::string::npos) << out[1];
    const std::string& tree = out[2];
    EXPECT_NE(tree.find("\"role\":\"dialog\",\"name\":\"Choose Section\""), std::string::npos);
    EXPECT_NE(tree.find("\"expandable\",\"expanded\"]"), std::string::npos) << "an open heading";
    EXPECT_NE(tree.find("\"expandable\"]"), std::string::npos) << "a closed heading";
}

// The Search field shows a word right to left and keeps it so; it is read as typed, numbers
// in their own order, with the caret after what was typed (and one back after Right, which
// moves it towards the word's start).
TEST_F(AccessTest, TheSearchFieldIsReadInReadingOrder) {
    struct Case {
        const char* typed;
        const char* read;
        int caret, caretAfterRight;
    };
    for (const Case& c :
         {Case{"\u05db\u05d5\u05db\u05d1", "\u05db\u05d5\u05db\u05d1", 4, 3},
          Case{"\u05d0\u05d112\u05d2", "\u05d0\u05d112\u05d2", 5, 4}, Case{"ab", "ab", 2, 1}}) {
        std::vector<std::string> out = Lines(std::string("key Alt+F3\ntype ") + c.typed +
                                             "\naccess\nkey Right\naccess\nquit\n");
        ASSERT_EQ(out.size(), 2u);
        std::string field = out[0].substr(out[0].find("\"name\":\"Search\""));
        EXPECT_EQ(StringAt(Field(field, "Search", "text"), 0), c.read) << c.typed;
        EXPECT_EQ(std::atoi(Field(field, "Search", "caret").c_str()), c.caret) << c.typed;
        field = out[1].substr(out[1].find("\"name\":\"Search\""));
        EXPECT_EQ(std::atoi(Field(field, "Search", "caret").c_str()), c.caretAfterRight) << c.typed;
    }
}

// Another article in a pane is told by its title (the pane's description); a search hit puts
// the caret at the word found, so that its line is read.
TEST_F(AccessTest, AnArticleIsToldByItsTitleAndAHitByItsLine) {
    std::vector<std::string> out = Lines(
        "access\nkey Right\naccess events\naccess\nkey Alt+F3\ntype "
        "\u05d4\u05e6\u05dc\naccess\nkey "
        "Enter\naccess events\naccess\nquit\n");
    ASSERT_EQ(out.size(), 6u);
    std::string before = StringAt(Field(out[0], "Top pane", "description"), 0);
    std::string after = StringAt(Field(out[2], "Top pane", "description"), 0);
    // The title is the article's first line (the subtitle follows it).
    EXPECT_EQ(ExpandedArticle(1).rfind(before.substr(0, before.find(", ")) + "\n", 0), 0u)
        << before;
    EXPECT_FALSE(before.empty());
    EXPECT_NE(after, before);
    EXPECT_NE(out[1].find("{\"event\":\"description\",\"role\":\"text\",\"name\":\"Top pane\"}"),
              std::string::npos)
        << out[1];
    // Back in the pane, the focus is told before the caret and the selection, so that the line
    // is read with the pane and the word found after it.
    size_t focus = out[4].find("{\"event\":\"focus\",\"role\":\"text\",\"name\":\"Top pane\"}");
    size_t caret = out[4].find("{\"event\":\"caret\",\"role\":\"text\",\"name\":\"Top pane\"");
    size_t selection =
        out[4].find("{\"event\":\"selection\",\"role\":\"text\",\"name\":\"Top pane\"}");
    ASSERT_NE(focus, std::string::npos) << out[4];
    EXPECT_LT(focus, caret) << out[4];
    EXPECT_LT(focus, selection) << out[4];
    std::string pane = out[5].substr(out[5].find("\"name\":\"Top pane\""));
    int a = 0, b = 0;
    ASSERT_EQ(std::sscanf(Field(pane, "Top pane", "selection").c_str(), "[%d,%d]", &a, &b), 2);
    EXPECT_LT(a, b);
    EXPECT_EQ(std::atoi(Field(pane, "Top pane", "caret").c_str()), a);
}

// Every dialog is named for what it is, and so is every list, choice and picture in it; a menu
// is named by its button and its items tell their keys.
TEST_F(AccessTest, DialogsListsPicturesAndMenusAreNamed) {
    struct Case {
        const char* open;
        std::vector<std::string> wanted;
    };
    const Case cases[] = {
        {"command 40006",
         {"{\"role\":\"dialog\",\"name\":\"Choose Font\"", "{\"role\":\"list\",\"name\":\"Font\"",
          "{\"role\":\"list\",\"name\":\"Size\"",
          "{\"role\":\"radio button\",\"name\":\"Letters at 224 (code page 1255)\"",
          "{\"role\":\"radio button\",\"name\":\"Letters at 5D0 (Unicode)\"",
          "{\"role\":\"entry\",\"name\":\"Sample\""}},
        {"key Alt+F3",
         {"{\"role\":\"dialog\",\"name\":\"Search\"", "{\"role\":\"image\",\"name\":\"Keyboard\""}},
        {"command 40004",
         {"{\"role\":\"dialog\",\"name\":\"About\"",
          "{\"role\":\"image\",\"name\":\"Orvanel: an open book under a star\""}},
        {"menu Go",
         {"{\"role\":\"menu\",\"name\":\"Go\"",
          "{\"role\":\"menu item\",\"name\":\"Font\",\"shortcut\":\"Ctrl+F\"",
          "{\"role\":\"menu item\",\"name\":\"Search\",\"shortcut\":\"Alt+F3\""}},
        {"menu Bottom", {"{\"role\":\"menu\",\"name\":\"Bottom\""}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> out = Lines(std::string(c.open) + "\naccess\nkey Escape\nquit\n");
        ASSERT_EQ(out.size(), 1u) << c.open;
        for (const std::string& w : c.wanted)
            EXPECT_NE(out[0].find(w), std::string::npos) << c.open << ": no " << w;
    }
    // The font sample is read as the alphabet, whatever letters the font shows it in.
    std::vector<std::string> out = Lines("command 40006\naccess\nkey Escape\nquit\n");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(StringAt(Field(out[0], "Sample", "text"), 0),
              "\u05d0\u05d1\u05d2\u05d3\u05d4\u05d5\u05d6\u05d7\u05d8\u05d9\u05da\u05db\u05dc\u05dd"
              "\u05de\u05df\u05e0\u05e1\u05e2\u05e3\u05e4\u05e5\u05e6\u05e7\u05e8\u05e9\u05ea");
}

// Another program in front takes "active" and "focused" away; coming back tells them again,
// the focus last.
TEST_F(AccessTest, TheDesktopFocusDecidesActiveAndFocused) {
    std::vector<std::string> out =
        Lines("access\nfocus off\naccess\nfocus on\naccess events\nquit\n");
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].find("\"focused\""), std::string::npos) << out[1];
    EXPECT_EQ(out[1].find("\"active\""), std::string::npos) << out[1];
    EXPECT_NE(out[2].find("{\"event\":\"state\",\"role\":\"frame\",\"name\":\"Orvanel\","
                          "\"state\":\"active\",\"on\":true}"),
              std::string::npos)
        << out[2];
    const std::string last = "{\"event\":\"focus\",\"role\":\"text\",\"name\":\"Top pane\"}]";
    EXPECT_EQ(out[2].rfind(last) + last.size(), out[2].size()) << out[2];
}

// One random step a person could take: keys that page, move, open and close every dialog,
// taps anywhere (bar buttons, menus, list and outline entries, the on-screen keyboard), typing,
// the About box and window sizes.
std::string RandomStep(std::mt19937& random, int width, int height) {
    static const char* const kKeys[] = {
        "PageDown", "PageUp", "Down",   "Up",     "Left",   "Right",  "Home",     "End",
        "Enter",    "Escape", "Tab",    "Ctrl+D", "Alt+F3", "F3",     "Ctrl+F",   "Space",
        "Ctrl+C",   "Ctrl+E", "Ctrl+N", "Ctrl+=", "Ctrl+-", "Ctrl+0", "Backspace"};
    switch (std::uniform_int_distribution<int>(0, 9)(random)) {
        case 0:
        case 1:
        case 2:
        case 3:
            return std::string("key ") +
                   kKeys[std::uniform_int_distribution<size_t>(0, std::size(kKeys) - 1)(random)];
        case 4:
        case 5:
        case 6:
            return "tap " +
                   std::to_string(std::uniform_int_distribution<int>(0, width - 1)(random)) + " " +
                   std::to_string(std::uniform_int_distribution<int>(0, height - 1)(random));
        case 7:
            return std::uniform_int_distribution<int>(0, 1)(random) ? "type \u05db\u05d5"
                                                                    : "type ab";
        case 8:
            return "command 40004";
        default:
            return "key Down";
    }
}

// Whatever a person does, the tree stands still once the step is over: telling the changes a
// second time tells nothing, in the main window and in every dialog, menu and message box.
TEST_F(AccessTest, AStepThatChangesNothingTellsNothing) {
    std::mt19937 random(2911);
    for (int round = 0; round < 6; ++round) {
        int width = 200 + 60 * round, height = 240 + 50 * round;
        std::string script =
            "resize " + std::to_string(width) + " " + std::to_string(height) + "\naccess\n";
        std::vector<std::string> steps;
        for (int i = 0; i < 50; ++i) {
            steps.push_back(RandomStep(random, width, height));
            script += steps.back() + "\naccess events\naccess events\n";
        }
        Outcome r = Run(script + "quit\n");
        std::vector<std::string> out;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        ASSERT_GE(out.size(), 1u) << r.err;
        // A step may end the reader (a tap on Exit); the steps up to there count.
        for (size_t i = 0; 2 + 2 * i < out.size() && i < steps.size(); ++i)
            ASSERT_EQ(out[2 + 2 * i], "[]")
                << "round " << round << ", after step " << i << " \"" << steps[i]
                << "\" the first telling was " << out[1 + 2 * i];
    }
}

}  // namespace
