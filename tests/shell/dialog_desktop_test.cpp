// Dialogs on a desktop window through the driver: every dialog and message box follows a resized
// screen and keeps its state; commands that arrive while one is open neither nest nor crash; and
// random scripts of taps, keys, typing, resizes, buttons and commands end cleanly.
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace {

struct Box {
    int left, top, right, bottom;
};

// Every "rect":[l,t,r,b] of a line, in order: the dialog's own first, then its controls'.
std::vector<Box> Rects(const std::string& json) {
    static const std::regex rect("\"rect\":\\[(-?\\d+),(-?\\d+),(-?\\d+),(-?\\d+)\\]");
    std::vector<Box> out;
    for (std::sregex_iterator it(json.begin(), json.end(), rect), end; it != end; ++it)
        out.push_back(
            {std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3]), std::stoi((*it)[4])});
    return out;
}

// A dialog line with its rects dropped: what the dialog shows, wherever it is.
std::string Contents(const std::string& json) {
    static const std::regex rect(",\"rect\":\\[[-0-9,]*\\]");
    return std::regex_replace(json, rect, "");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

class DialogDesktopTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // A stored font: no first-run font dialog comes first.
        StoreRegistry("\"FontName\"=\"David CLM\"\n\"FontSize\"=dword:00000010\n");
    }

    // Opens a dialog with `open`, then resizes the screen through larger and smaller sizes (the
    // smallest narrower than the dialog), printing the dialog after each; checks that the dialog
    // and every control lie on the screen and that what the dialog shows stays as it was.
    void ExpectFollowsScreen(const std::string& open, const std::string& caption,
                             std::pair<int, int> small = {200, 220}) {
        const std::vector<std::pair<int, int>> sizes = {{240, 320}, {1024, 768},  {240, 320},
                                                        small,      {1920, 1080}, {240, 320}};
        std::string script = open + "\n";
        for (auto [w, h] : sizes)
            script += "resize " + std::to_string(w) + " " + std::to_string(h) + "\ndialog\n";
        script += "quit\n";
        Outcome o = Run(script);
        ASSERT_EQ(o.code, 0) << o.err;
        std::vector<std::string> out = Lines(o.out);
        ASSERT_EQ(out.size(), sizes.size()) << o.out;
        for (size_t i = 0; i < sizes.size(); ++i) {
            SCOPED_TRACE(out[i]);
            EXPECT_NE(out[i].find("\"dialog\":\"" + caption + "\""), std::string::npos);
            auto [w, h] = sizes[i];
            std::vector<Box> rects = Rects(out[i]);
            ASSERT_FALSE(rects.empty());
            const Box& d = rects[0];
            EXPECT_TRUE(d.left >= 0 && d.top >= 0 && d.right <= w && d.bottom <= h)
                << "dialog at " << d.left << "," << d.top << "-" << d.right << "," << d.bottom
                << " on a " << w << "x" << h << " screen";
            for (size_t c = 1; c < rects.size(); ++c) {
                const Box& r = rects[c];
                if (r.right == r.left || r.bottom == r.top) continue;
                EXPECT_TRUE(r.left >= d.left && r.top >= d.top && r.right <= d.right &&
                            r.bottom <= d.bottom)
                    << "control " << c << " at " << r.left << "," << r.top << "-" << r.right << ","
                    << r.bottom;
            }
            EXPECT_EQ(Contents(out[i]), Contents(out[0]));
        }
        // The same size gives the same layout back.
        EXPECT_EQ(out[2], out[0]);
        EXPECT_EQ(out[5], out[0]);
    }
};

TEST_F(DialogDesktopTest, ChooseFontFollowsTheScreen) {
    ExpectFollowsScreen("command 40006\nkey Down\nkey Down", "Choose Font");
}

TEST_F(DialogDesktopTest, SearchFollowsTheScreen) {
    // The keyboard keeps its place, where taps on it are mapped: the screen is only narrower.
    ExpectFollowsScreen("command 116\ntype abc", "Orvanel", {200, 290});
}

TEST_F(DialogDesktopTest, AboutFollowsTheScreen) {
    ExpectFollowsScreen("command 40004", "Orvanel");
}

TEST_F(DialogDesktopTest, MessageBoxFollowsTheScreen) {
    // Bookmarking the article twice asks before the bookmark goes.
    ExpectFollowsScreen("command 123\ncommand 123", "Bookmark");
}

// The table of contents fills the screen at every size, with its open groups and its first row
// kept, and pages by the rows it shows now.
TEST_F(DialogDesktopTest, ChooseArticleFollowsTheScreenWithItsOutline) {
    Outcome o =
        Run("resize 240 160\nkey Ctrl+D\nwheel 100 80 -1\noutline\nresize 230 150\noutline\n"
            "resize 1024 768\noutline\nresize 240 120\noutline\nkey PageDown\noutline\nquit\n");
    ASSERT_EQ(o.code, 0) << o.err;
    std::vector<std::string> out = Lines(o.out);
    ASSERT_EQ(out.size(), 5u) << o.out;
    // The shown records and their open state; a record that wraps counts once.
    static const std::regex shown("\"key\":(\\d+),\"open\":(true|false)");
    auto outline = [](const std::string& json) {
        std::string keys, last;
        for (std::sregex_iterator it(json.begin(), json.end(), shown), end; it != end; ++it) {
            std::string record = (*it)[1].str() + (*it)[2].str() + " ";
            if (record != last) keys += record;
            last = record;
        }
        return keys;
    };
    auto number = [](const std::string& json, const std::string& name) {
        std::smatch m;
        return std::regex_search(json, m, std::regex("\"" + name + "\":(\\d+)")) ? std::stoi(m[1])
                                                                                 : -1;
    };
    for (const std::string& line : out) EXPECT_EQ(outline(line), outline(out[0]));
    EXPECT_EQ(number(out[0], "firstRow"), 3);
    EXPECT_EQ(number(out[1], "firstRow"), 3);
    EXPECT_EQ(number(out[2], "firstRow"), 0);  // everything fits: back at the top
    EXPECT_EQ(number(out[2], "maxFirstRow"), 0);
    EXPECT_GT(number(out[2], "rowsPainted"), number(out[0], "rowsPainted"));
    EXPECT_LT(number(out[3], "rowsPainted"), number(out[0], "rowsPainted"));
    // PageDown pages by the rows of the smaller screen.
    EXPECT_EQ(number(out[4], "firstRow"), number(out[3], "rowsPainted"));
    // The painted lines end inside the smaller screen.
    static const std::regex y("\"y\":(\\d+),\"width\":\\d+,\"height\":(\\d+)");
    for (std::sregex_iterator it(out[3].begin(), out[3].end(), y), end; it != end; ++it)
        EXPECT_LE(std::stoi((*it)[1]) + std::stoi((*it)[2]), 120);
}

TEST_F(DialogDesktopTest, TheTableOfContentsScrollsByWheelHomeEndAndPages) {
    Outcome o =
        Run("resize 240 120\nkey Ctrl+D\noutline\nwheel 100 80 -1\noutline\nkey End\noutline\n"
            "wheel 100 80 1\noutline\nkey Home\noutline\nkey PageDown\noutline\nkey PageUp\n"
            "outline\nquit\n");
    ASSERT_EQ(o.code, 0) << o.err;
    std::vector<std::string> out = Lines(o.out);
    ASSERT_EQ(out.size(), 7u) << o.out;
    std::vector<int> first, painted;
    int maxFirst = -1;
    for (const std::string& line : out) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(line, m, std::regex("\"firstRow\":(\\d+)")));
        first.push_back(std::stoi(m[1]));
        ASSERT_TRUE(std::regex_search(line, m, std::regex("\"maxFirstRow\":(\\d+)")));
        maxFirst = std::stoi(m[1]);
        ASSERT_TRUE(std::regex_search(line, m, std::regex("\"rowsPainted\":(\\d+)")));
        painted.push_back(std::stoi(m[1]));
    }
    ASSERT_GT(maxFirst, 6) << "the index should not fit a 240 x 120 screen";
    EXPECT_EQ(first, (std::vector<int>{0, 3, maxFirst, maxFirst - 3, 0, painted[4], 0}));
}

// While a dialog is open, commands that would open another one are dropped: one dialog, whose
// OK still works, and the program ends cleanly with its settings written.
TEST_F(DialogDesktopTest, CommandsMidDialogOpenNothingMore) {
    Outcome o =
        Run("command 40006\ncommand 40006\ncommand 116\ncommand 40004\ncommand 119\ncommand 123\n"
            "command 117\nkey F1\nstate\nkey Down\nbutton ok\nstate\n"
            "command 116\ncommand 40006\ncommand 40004\ndialog\nkey Escape\nstate\nquit\n");
    ASSERT_EQ(o.code, 0) << o.err;
    std::vector<std::string> out = Lines(o.out);
    ASSERT_EQ(out.size(), 4u) << o.out;
    EXPECT_NE(out[0].find("\"dialog\":\"Choose Font\""), std::string::npos) << out[0];
    EXPECT_NE(out[1].find("\"dialog\":null"), std::string::npos) << out[1];
    EXPECT_NE(out[1].find("\"bookmarks\":[]"), std::string::npos) << out[1];
    EXPECT_NE(out[2].find("\"id\":1013"), std::string::npos) << out[2];  // the search field
    EXPECT_NE(out[3].find("\"dialog\":null"), std::string::npos) << out[3];
}

// Exit while a dialog or a message box is open ends the program with the settings written.
TEST_F(DialogDesktopTest, ExitWhateverIsOpen) {
    for (std::string open : {"command 40006", "key Ctrl+D", "command 116\ntype x", "command 40004",
                             "command 123\ncommand 123"}) {
        SCOPED_TRACE(open);
        StoreRegistry("\"FontName\"=\"David CLM\"\n\"FontSize\"=dword:00000010\n");
        Outcome o = Run("command 109\n" + open + "\ncommand 40005\nstate\n");
        EXPECT_EQ(o.code, 0) << o.err;
        EXPECT_NE(Registry().find("\"Lesson\"=dword:00000003"), std::string::npos) << Registry();
        EXPECT_NE(o.err.find("not run"), std::string::npos) << o.err;
    }
}

// Random scripts: taps, keys, typing, the wheel, resizes, buttons and commands (the dialog
// commands among them). No crash, no hang, no sanitizer report. ORVANEL_RANDOM_SCRIPTS and
// ORVANEL_RANDOM_STEPS make the run larger by hand.
TEST_F(DialogDesktopTest, RandomScriptsEndCleanly) {
    const char* scriptsEnv = std::getenv("ORVANEL_RANDOM_SCRIPTS");
    const char* stepsEnv = std::getenv("ORVANEL_RANDOM_STEPS");
    const int scripts = scriptsEnv ? std::atoi(scriptsEnv) : 8;
    const int steps = stepsEnv ? std::atoi(stepsEnv) : 40;
    const char* keys[] = {"Enter",  "Escape",    "Tab",        "PageUp", "PageDown", "Home",
                          "End",    "Up",        "Down",       "Left",   "Right",    "Ctrl+D",
                          "Ctrl+F", "F1",        "F3",         "F11",    "Alt+F3",   "Backspace",
                          "Ctrl+N", "Ctrl+Plus", "Ctrl+Minus", "Space"};
    const int commands[] = {109,   110,   122,   123, 116, 117, 119, 107, 40004,
                            40006, 40007, 40009, 401, 412, 413, 414, 423, 434};
    const char* buttons[] = {"ok", "OK", "Yes", "No", "Cancel", "224", "5D0"};
    const char* words[] = {"abc", "\u05d0\u05d1", "*", "?x", "zz"};
    for (int n = 0; n < scripts; ++n) {
        std::mt19937 random(unsigned(n) * 7919u + 17u);
        auto pick = [&](int count) { return int(random() % unsigned(count)); };
        int w = 240, h = 320;
        std::string script;
        for (int i = 0; i < steps; ++i) {
            switch (pick(9)) {
                case 0:
                case 1:
                    script += "tap " + std::to_string(pick(w)) + " " + std::to_string(pick(h));
                    break;
                case 2:
                    script += std::string("key ") + keys[pick(std::size(keys))];
                    break;
                case 3:
                    script += std::string("type ") + words[pick(std::size(words))];
                    break;
                case 4:
                    script += "wheel " + std::to_string(pick(w)) + " " + std::to_string(pick(h)) +
                              " " + std::to_string(pick(5) - 2);
                    break;
                case 5:
                    w = 80 + pick(900);
                    h = 80 + pick(700);
                    script += "resize " + std::to_string(w) + " " + std::to_string(h);
                    break;
                case 6:
                    script += std::string("button ") + buttons[pick(std::size(buttons))];
                    break;
                default:
                    script += "command " + std::to_string(commands[pick(std::size(commands))]);
            }
            script += "\n";
        }
        StoreRegistry("\"FontName\"=\"David CLM\"\n");
        std::string file = (dir / "script.txt").string();
        std::ofstream(file) << script;
        // A script that hangs is stopped (exit code 124).
        Outcome o = Program("--headless --registry " + registry + " --script " + file, 120);
        // A missing button is a script error (exit code 1) and fine here; a sanitizer report,
        // an abort or a failed assertion is a fault.
        std::string faults;
        for (const std::string& line : Lines(o.err))
            if (line.find("ERROR: ") != std::string::npos ||
                line.find("runtime error") != std::string::npos ||
                line.find("Assertion") != std::string::npos ||
                line.find("message loop waits") != std::string::npos)
                faults += line + "\n";
        EXPECT_TRUE(o.code == 0 || o.code == 1)
            << "script " << n << " ended with " << o.code << "\n"
            << script << o.err;
        EXPECT_EQ(faults, "") << "script " << n << "\n" << script << o.err;
        if (HasFailure()) break;
    }
}

}  // namespace
