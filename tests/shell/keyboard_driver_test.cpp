// A session without a pointer, through the scripted driver: the companion article read by F6,
// bookmarked with Ctrl+B, the question backed out of with Escape, the bottom size changed in the
// "Bottom" menu, an article opened from the table of contents through a closed group, About and
// Check For Updates reached from the menus.
#include <regex>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace {

class KeyboardDriverTest : public ProgramTest {};

// The state lines the script printed, in order.
std::vector<std::string> States(const std::string& out) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < out.size()) {
        size_t nl = out.find('\n', at);
        if (nl == std::string::npos) nl = out.size();
        std::string line = out.substr(at, nl - at);
        if (line.rfind("{\"lesson\"", 0) == 0) lines.push_back(line);
        at = nl + 1;
    }
    return lines;
}

std::string Field(const std::string& state, const std::string& name) {
    std::smatch m;
    std::regex re("\"" + name + "\":(\"[^\"]*\"|\\[[^\\]]*\\]|[^,}]*)");
    return std::regex_search(state, m, re) ? m[1].str() : "?";
}

TEST_F(KeyboardDriverTest, AWholeSessionWithoutAPointer) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");
    struct Step {
        const char* keys;  // script lines, then a state line
        const char* field;
        const char* want;
    };
    const Step steps[] = {
        {"key F6\nkey PageDown\n", "activePane", "\"bottom\""},
        {"", "bottomFirstRow", "!0"},
        {"key Ctrl+B\n", "bookmarks", "[1]"},
        {"key Ctrl+B\n", "messageBox", "!null"},
        {"key Escape\n", "bookmarks", "[1]"},
        {"", "messageBox", "null"},
        {"key Alt+B\nkey Down\nkey Enter\n", "bottomSection", "13"},
        {"", "activePane", "\"bottom\""},
        // The dialog opens on article 1's entry: past article 2 and the open heading to the
        // closed group of the sun, opened with Right; its first entry is article 3.
        {"key Ctrl+D\nkey Down\nkey Down\nkey Down\nkey Right\nkey Down\nkey Enter\n", "lesson",
         "3"},
        {"key F10\nkey Enter\n", "dialog", "!null"},
        {"key Escape\n", "dialog", "null"},
        {"key F10\nkey Down\nkey Enter\n", "lastOpened", "!null"},
        {"key Alt+G\nkey Escape\nkey F10\nkey Right\nkey End\nkey Enter\n", "bottomSection", "1"},
        {"key F6\n", "activePane", "\"top\""},
    };
    std::string script;
    for (const Step& s : steps) script += std::string(s.keys) + "state\n";
    script += "quit\n";
    Outcome r = Run(script);
    EXPECT_EQ(r.code, 0) << r.err;
    std::vector<std::string> states = States(r.out);
    ASSERT_EQ(states.size(), std::size(steps)) << r.out << r.err;
    for (size_t i = 0; i < states.size(); ++i) {
        std::string got = Field(states[i], steps[i].field);
        std::string want = steps[i].want;
        if (want[0] == '!')
            EXPECT_NE(got, want.substr(1)) << "step " << i << ": " << states[i];
        else
            EXPECT_EQ(got, want) << "step " << i << ": " << states[i];
    }
    EXPECT_NE(Registry().find("\"Bookmarks\"=hex:01,00,00,00"), std::string::npos) << Registry();
}

}  // namespace
