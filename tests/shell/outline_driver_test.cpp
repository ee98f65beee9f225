// The driver's outline command and the checked menu items in state, with the built-in book and
// with a book whose index the test writes and compiles with the book tool.
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

struct Line {
    int key = 0;
    bool open = false;
    std::string text;
    int x = 0, width = 0, height = 0;
    int y = -1;  // -1 for null
};

// The lines of one outline JSON line.
std::vector<Line> Lines(const std::string& json) {
    static const std::regex line(
        "\\{\"key\":(\\d+),\"open\":(true|false),\"text\":\"([^\"]*)\",\"x\":(\\d+),"
        "\"y\":(null|\\d+),\"width\":(\\d+),\"height\":(\\d+)\\}");
    std::vector<Line> out;
    for (std::sregex_iterator it(json.begin(), json.end(), line), end; it != end; ++it) {
        const std::smatch& m = *it;
        Line l;
        l.key = std::stoi(m[1]);
        l.open = m[2] == "true";
        l.text = m[3];
        l.x = std::stoi(m[4]);
        l.y = m[5] == "null" ? -1 : std::stoi(m[5]);
        l.width = std::stoi(m[6]);
        l.height = std::stoi(m[7]);
        out.push_back(l);
    }
    return out;
}

int Number(const std::string& json, const std::string& name) {
    std::smatch m;
    if (!std::regex_search(json, m, std::regex("\"" + name + "\":(\\d+)"))) return -1;
    return std::stoi(m[1]);
}

const Line* Find(const std::vector<Line>& lines, int key) {
    for (const Line& l : lines)
        if (l.key == key) return &l;
    return nullptr;
}

class OutlineDriverTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // A stored font: no first-run font dialog comes before the table of contents.
        StoreRegistry("\"FontName\"=\"David CLM\"\n");
    }
    // Standard output, one string per line. Standard error stays out of it: a sanitizer build
    // writes its own summary there.
    std::vector<std::string> Run(const std::string& script, const std::string& extra = "") {
        Outcome o = ProgramTest::Run(script, extra);
        code = o.code;
        std::vector<std::string> lines;
        std::istringstream in(o.out);
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    // A book folder with the built-in articles and this index source, compiled by the tool.
    std::string BookWithIndex(const std::string& index) {
        fs::path source = dir / "source", book = dir / "book";
        fs::create_directories(source);
        fs::create_directories(book);
        for (const auto& entry : fs::directory_iterator(ORVANEL_BOOK_SOURCE))
            if (entry.path().extension() == ".txt")
                fs::copy_file(entry.path(), source / entry.path().filename());
        std::ofstream(source / "index.txt") << index;
        std::string cmd = std::string(ORVANEL_BOOK_TOOL) + " build " + source.string() + " " +
                          book.string() + " 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return "--book " + book.string();
    }
    int code = -1;
};

// Deep nesting, an empty group, a heading and an entry that wrap, and more than 128 lines.
std::string CraftedIndex() {
    std::string s =
        "{group 101 level=0 open} פתיחה\n\n"
        "{article 1 level=1} פרק ראשון\n\n"
        "{group 102 level=1} עמוק\n\n"
        "{group 103 level=2} עמוק יותר\n\n"
        "{article 2 level=3} הכי עמוק\n\n"
        "{group 104 level=1} ריק\n\n"
        "{article 3 level=1} אחרי הריק\n\n"
        "{group 105 level=0 open} כותרת ארוכה מאוד שנמשכת על פני כמה שורות בתוכן העניינים של "
        "הספר\n\n"
        "{article 4 level=1} ערך ארוך מאוד שגם הוא נמשך על פני כמה שורות בתוכן העניינים של "
        "הספר\n\n";
    for (int n = 5; n <= 26; ++n) s += "{article " + std::to_string(n) + " level=1} פרק\n\n";
    for (int k = 0; k < 120; ++k)
        s += "{article " + std::to_string(k % 20 + 5) + " level=1} עוד\n\n";
    return s;
}

TEST_F(OutlineDriverTest, OutlineIsNullWithoutTheDialogAndDescribesItsLines) {
    std::vector<std::string> out = Run("outline\nkey Ctrl+D\noutline\nquit\n");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], "null");
    const std::vector<Line> lines = Lines(out[1]);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(Number(out[1], "firstRow"), 0);
    EXPECT_EQ(Number(out[1], "rowCount"), int(lines.size()));
    EXPECT_EQ(Number(out[1], "rowsPainted"), int(lines.size()));  // everything fits
    EXPECT_EQ(Number(out[1], "maxFirstRow"), 0);
    // The first line of the built-in index, as written in book/index.txt.
    EXPECT_EQ(lines[0].key, 0x8000 | 100);
    EXPECT_TRUE(lines[0].open);
    EXPECT_EQ(lines[0].text, "פתיחה");
    EXPECT_EQ(lines[1].key, 0x4000 | 1);
    EXPECT_FALSE(lines[1].open);
    // The same view from the tool button and from the menu item.
    EXPECT_EQ(Run("menu Choose Article\noutline\nquit\n"), std::vector<std::string>{out[1]});
    // (Down passes over the greyed Reverse.)
    EXPECT_EQ(Run("menu Go\nkey Down\nkey Down\nkey Down\nkey Down\nkey Enter\n"
                  "outline\nquit\n"),
              std::vector<std::string>{out[1]});
    int y = lines[0].y;
    for (const Line& l : lines) {
        EXPECT_EQ(l.y, y) << l.text;
        EXPECT_GT(l.width, 0);
        EXPECT_GE(l.x, 0);
        EXPECT_LE(l.x + l.width + 13, 240);
        y += l.height;
    }
}

TEST_F(OutlineDriverTest, ACraftedIndexIsOpenedTappedAndScrolledThroughTheDriver) {
    const std::string book = BookWithIndex(CraftedIndex());
    std::vector<std::string> out = Run("key Ctrl+D\noutline\nquit\n", book);
    ASSERT_EQ(out.size(), 1u);
    std::vector<Line> lines = Lines(out[0]);
    const int rows = Number(out[0], "rowCount");
    EXPECT_EQ(rows, int(lines.size()));
    EXPECT_GT(rows, 128);
    EXPECT_GT(Number(out[0], "maxFirstRow"), 0);
    EXPECT_LT(Number(out[0], "rowsPainted"), rows);
    EXPECT_EQ(lines.back().y, -1);  // far below the view
    // The long heading and the long entry take several lines each, with the key of their record.
    int headingLines = 0, entryLines = 0;
    for (const Line& l : lines) {
        headingLines += l.key == (0x8000 | 105);
        entryLines += l.key == (0x4000 | 4);
    }
    EXPECT_GE(headingLines, 2);
    EXPECT_GE(entryLines, 2);
    const Line* deep = Find(lines, 0x8000 | 102);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(Find(lines, 0x8000 | 103), nullptr);
    EXPECT_EQ(Find(lines, 0x4000 | 2), nullptr);

    // Open the deep groups by tapping them, then choose the deepest entry.
    std::string tap = "tap " + std::to_string(deep->x + 2) + " " + std::to_string(deep->y + 2);
    out = Run("key Ctrl+D\n" + tap + "\noutline\nquit\n", book);
    ASSERT_EQ(out.size(), 1u);
    lines = Lines(out[0]);
    ASSERT_NE(Find(lines, 0x8000 | 102), nullptr);
    EXPECT_TRUE(Find(lines, 0x8000 | 102)->open);
    const Line* deeper = Find(lines, 0x8000 | 103);
    ASSERT_NE(deeper, nullptr);
    EXPECT_EQ(Number(out[0], "rowCount"), rows + 1);
    std::string tap2 = "tap " + std::to_string(deeper->x + 2) + " " + std::to_string(deeper->y + 2);
    out = Run("key Ctrl+D\n" + tap + "\n" + tap2 + "\noutline\nquit\n", book);
    lines = Lines(out.at(0));
    const Line* deepest = Find(lines, 0x4000 | 2);
    ASSERT_NE(deepest, nullptr);
    std::string tap3 =
        "tap " + std::to_string(deepest->x + 2) + " " + std::to_string(deepest->y + 2);
    out = Run("key Ctrl+D\n" + tap + "\n" + tap2 + "\n" + tap3 + "\noutline\nstate\nquit\n", book);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], "null");  // the dialog closed
    // Article 2 is a companion: shown below article 1, active.
    EXPECT_NE(out[1].find("\"lesson\":1,\"activePane\":\"bottom\""), std::string::npos)
        << out[1];

    // PageDown moves a page of the rows shown, taking the current entry along; Down moves the
    // current entry to the next one, which is in view, so the view stays.
    out = Run("key Ctrl+D\noutline\nkey PageDown\noutline\nkey Down\noutline\nquit\n", book);
    EXPECT_EQ(Number(out.at(1), "firstRow"),
              std::min(Number(out.at(0), "rowsPainted"), Number(out.at(0), "maxFirstRow")));
    EXPECT_GT(Number(out.at(1), "current"), Number(out.at(0), "current"));
    EXPECT_EQ(Number(out.at(2), "firstRow"), Number(out.at(1), "firstRow"));
    EXPECT_GT(Number(out.at(2), "current"), Number(out.at(1), "current"));
}

TEST_F(OutlineDriverTest, StateListsTheCheckedMenuItems) {
    std::vector<std::string> out =
        Run("state\ncommand 122\ncommand 123\ncommand 413\nstate\n"
            "command 123\nbutton Yes\ncommand 122\nstate\nquit\n");
    ASSERT_EQ(out.size(), 3u);
    EXPECT_NE(out[0].find("\"checked\":[412]"), std::string::npos) << out[0];
    // Reverse is not offered on the desktop: its command checks nothing.
    EXPECT_NE(out[1].find("\"checked\":[123,413]"), std::string::npos) << out[1];
    EXPECT_NE(out[2].find("\"checked\":[413]"), std::string::npos) << out[2];
    // The same after a restart: the bookmark and the bottom size are stored.
    out = Run("command 122\ncommand 123\nquit\n");
    out = Run("state\nquit\n");
    EXPECT_NE(out.at(0).find("\"checked\":[123,413]"), std::string::npos) << out[0];
}

}  // namespace
