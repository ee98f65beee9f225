// Commands that arrive while a dialog or message box runs its loop (from the driver, another
// program or the desktop): those that would free what the loop's opener still works on (going
// to another article, laying the panes out anew, closing the program) wait until every loop has
// ended, and then run. Under the sanitizers (CI) a command run too early shows as a use of freed
// memory.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

class ModalCommandsTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // A stored font, so that no first-run font dialog comes up.
        StoreRegistry("\"FontName\"=\"David CLM\"\n");
        book = dir / "book";
        fs::copy(ORVANEL_BOOK_CONTAINERS, book);
        // Article 12 damaged as a bad copy would leave it: its stream refers to bytes that do
        // not exist, so UnCompress answers with a message box wherever the article is read.
        std::string bytes = ::ReadFile(book / "1012.bin");
        const std::pair<size_t, char> flips[] = {{288, 0x47},      {317, 0x4b}, {633, 0x30},
                                                 {747, 0x32},      {773, 0x47}, {920, 0x25},
                                                 {931, char(0x80)}};
        for (auto [at, to] : flips)
            if (at < bytes.size()) bytes[at] = to;
        std::ofstream(book / "1012.bin", std::ios::binary | std::ios::trunc) << bytes;
        // And article 20 missing: going there asks with a "Resource not found" box.
        fs::remove(book / "1020.bin");
    }
    Outcome RunOnBook(const std::string& script) { return Run(script, "--book " + book.string()); }
    // A run that ended by itself and was never caught reading freed memory or overflowing.
    static void ExpectSound(const Outcome& r, const std::string& script) {
        EXPECT_NE(r.code, 124) << "the run did not end\n" << script;
        EXPECT_GE(r.code, 0) << "the run died\n" << script << r.err;
        EXPECT_EQ(r.err.find("AddressSanitizer"), std::string::npos) << script << r.err;
        EXPECT_EQ(r.err.find("runtime error:"), std::string::npos) << script << r.err;
    }
    fs::path book;
};

// The lesson of each "state" line.
std::vector<int> Lessons(const std::string& out) {
    std::vector<int> lessons;
    for (size_t at = out.find("{\"lesson\":"); at != std::string::npos;
         at = out.find("{\"lesson\":", at + 1))
        lessons.push_back(std::atoi(out.c_str() + at + 10));
    return lessons;
}

// Next Article sent during each kind of modal loop runs once, after the loop has ended.
TEST_F(ModalCommandsTest, NextArticleDuringEveryModalLoopRunsOnceItEnds) {
    struct Case {
        const char* name;
        std::string prepare;   // before the first state line
        std::string open;      // opens the loop (and any it is inside)
        std::string close;     // ends them all
        int before, after;     // the lesson before and after
        bool damaged = false;  // on the damaged book (else the whole one)
    };
    const std::string next = "command 109\n";
    const Case cases[] = {
        {"Choose Section", "", "command 119\n", "key Escape\n", 1, 3},
        {"Choose Font", "", "command 40006\n", "key Escape\n", 1, 3},
        {"Search", "", "command 116\n", "key Escape\n", 1, 3},
        {"About", "", "command 40004\n", "key Escape\n", 1, 3},
        {"Not Found box in Search", "", "command 116\ntype qqqq\nkey Enter\n",
         "key Enter\nkey Escape\n", 1, 3},
        {"Not Found box of Search Again",
         "command 116\ntype qqqq\nkey Enter\nkey Enter\nkey Escape\n", "command 117\n",
         "key Enter\n", 1, 3},
        // Going to article 11 reads its damaged companion: the box opens inside GoToArticle, and
        // a second one says the article could not be had.
        {"UnCompress box while going to an article", next + next + next + next, next,
         "key Enter\nkey Enter\n", 9, 13, true},
        // The walk of a search meets the damaged article: its box opens deep inside the walk.
        {"UnCompress box inside a search", "", "command 116\ntype qqqq\nkey Enter\n",
         "key Enter\nkey Enter\nkey Escape\n", 1, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreRegistry("\"FontName\"=\"David CLM\"\n");  // each case from the first article
        std::string script =
            c.prepare + "state\n" + c.open + "state\n" + next + c.close + "state\n";
        Outcome r = c.damaged ? RunOnBook(script) : Run(script);
        ExpectSound(r, script);
        EXPECT_EQ(r.code, 0) << r.err;
        std::vector<int> lessons = Lessons(r.out);
        ASSERT_EQ(lessons.size(), 3u) << r.out;
        EXPECT_EQ(lessons[0], c.before) << r.out;
        // The loop was open when the command came, and the command waited for it.
        size_t second = r.out.find("{\"lesson\":", r.out.find("{\"lesson\":") + 1);
        std::string during = r.out.substr(second, r.out.find('\n', second) - second);
        EXPECT_TRUE(during.find("\"dialog\":null") == std::string::npos ||
                    during.find("\"messageBox\":null") == std::string::npos)
            << during;
        EXPECT_EQ(lessons[2], c.after) << r.out;
    }
}

// Random scripts: each opens some dialog or message box and, while it is open, sends commands of
// every kind (other articles, the bottom pane's size, Exit, other dialogs, Copy), then closes it.
// Whatever comes, the run ends by itself, cleanly.
TEST_F(ModalCommandsTest, RandomCommandsDuringModalLoopsNeverFreeWhatTheLoopsOpenerHolds) {
    const std::vector<std::string> openers = {
        "command 119\n",
        "command 40006\n",
        "command 116\n",
        "command 40004\n",
        "command 116\ntype qqqq\nkey Enter\n",
        "key Alt+F3\ntype \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\nkey Enter\n",  // a word: the walk
        "command 117\n",
        "command 123\ncommand 123\n",
        "command 109\ncommand 109\ncommand 109\ncommand 109\ncommand 109\n",
        "command 110\ncommand 110\ncommand 110\ncommand 110\n",
    };
    const std::vector<int> commands = {109,   110, 40005, 122, 401, 412,   423,   434, 40007,
                                       40009, 119, 116,   117, 123, 40004, 40006, 107};
    const std::vector<std::string> closers = {"key Escape\n", "key Enter\n", "key Tab\nkey Enter\n",
                                              "tap 120 160\n"};
    std::mt19937 random(31);
    for (int run = 0; run < 8; ++run) {
        std::string script;
        for (int step = 0; step < 6; ++step) {
            script += openers[random() % openers.size()];
            for (int n = int(random() % 4); n >= 0; --n) {
                int command = commands[random() % commands.size()];
                // Exit is the end of a run: rarely, so that most runs go on after their loops.
                if (command == 40005 && random() % 3) continue;
                script += "command " + std::to_string(command) + "\n";
            }
            for (int n = int(random() % 3); n >= 0; --n)
                script += closers[random() % closers.size()];
            script += "state\n";
        }
        SCOPED_TRACE(script);
        Outcome r = Program(
            "--headless --registry " + registry + " --book " + book.string() + " --script " +
                [&] {
                    std::string file = (dir / "random.txt").string();
                    std::ofstream(file) << script;
                    return file;
                }(),
            120);
        ExpectSound(r, script);
        // The settings were written at the end, whichever way the run ended.
        EXPECT_NE(Registry().find("\"Lesson\"="), std::string::npos) << Registry();
    }
}

}  // namespace
