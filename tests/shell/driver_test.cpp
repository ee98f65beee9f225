// The real program on the headless host, driven by scripts, as a newcomer or CI would run it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

class DriverTest : public ProgramTest {
protected:
    // The switches, and a stored font so that no first-run font dialog comes up.
    void StoreSwitches(const std::string& values) {
        std::ofstream(registry) << "Windows Registry Editor Version 5.00\n\n"
                                   "[HKEY_CURRENT_USER\\software\\Velmora]\n"
                                << values
                                << "\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"
                                   "\"FontName\"=\"David CLM\"\n";
    }
};

// A book container holding `list` as its expanded RecordList, stored with literal tokens only.
std::string Container(const std::vector<uint8_t>& list, unsigned number) {
    std::string stream;
    for (uint8_t b : list) {
        if ((b >= 0x01 && b <= 0x08) || b >= 0x80) stream += '\x01';  // a run of one byte
        stream += char(b);
    }
    std::string c;
    auto be16 = [&](size_t v) {
        c += char((v >> 8) & 0xFF);
        c += char(v & 0xFF);
    };
    be16(stream.size() + 8);  // the body: two lengths, the stream and four zero bytes
    be16(number);
    be16(number);
    be16(stream.size());
    be16(list.size());
    return c + stream + std::string(4, '\0');
}

// PNG width and height from the IHDR chunk.
std::pair<int, int> PngSize(const std::string& png) {
    if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return {0, 0};
    auto be = [&](int at) {
        return (uint8_t(png[at]) << 24) | (uint8_t(png[at + 1]) << 16) |
               (uint8_t(png[at + 2]) << 8) | uint8_t(png[at + 3]);
    };
    return {int(be(16)), int(be(20))};
}

// Which values a first run writes is the start-up tests' business; here, that the program
// writes them to its registry file under the settings key.
TEST_F(DriverTest, QuitWritesTheSettingsOfAFirstRun) {
    Outcome r = Run("quit\n");
    EXPECT_EQ(r.code, 0);
    std::string reg = Registry();
    EXPECT_EQ(reg.rfind("Windows Registry Editor Version 5.00", 0), 0u) << reg;
    EXPECT_NE(reg.find("[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]"), std::string::npos);
    EXPECT_NE(reg.find("\"Program Path\"=\""), std::string::npos);
    EXPECT_NE(reg.find("\"Flags\"=dword:d1140040\n"), std::string::npos);
}

TEST_F(DriverTest, AScriptThatEndsWithoutQuitEndsAsExitDoes) {
    StoreRegistry("\"Lesson\"=\"7\"\n\"Flags\"=\"12\"\n");
    Outcome r = Run("state\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\"lesson\":7,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"flags\":12,"), std::string::npos) << r.out;
    // Decimal strings are read as numbers and written back as DWORDs.
    EXPECT_NE(Registry().find("\"Lesson\"=dword:00000007\n"), std::string::npos);
    EXPECT_NE(Registry().find("\"Flags\"=dword:0000000c\n"), std::string::npos);
}

TEST_F(DriverTest, StateIsOneJsonLineWithEveryKey) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
    Outcome r = Run("state\nquit\n");
    EXPECT_EQ(
        r.out,
        "{\"lesson\":1,\"activePane\":\"top\",\"topFirstRow\":0,\"bottomFirstRow\":0,"
        "\"bottomSection\":12,\"flags\":3507748928,\"bookmarks\":[],\"searchString\":\"\","
        "\"topMark\":[0,0],\"bottomMark\":[0,0],\"topSelection\":null,\"bottomSelection\":null,"
        "\"dialog\":null,\"messageBox\":null,\"inFront\":true,\"lastOpened\":null,"
        "\"checked\":[412],\"fontSize\":0,\"displayMode\":\"off\",\"windowFullScreen\":false}\n");
}

// Dialogs whose OK is the caption's "ok" button take `button OK` (any case) there, as a tap.
TEST_F(DriverTest, ButtonOkTapsTheCaptionOkOfADialogWithoutAnOkControl) {
    Outcome r = Run("state\nbutton OK\nstate\nkey Alt+F3\ntype \u05e9\nbutton ok\nstate\nquit\n");
    EXPECT_EQ(r.code, 0) << r.out;
    std::istringstream lines(r.out);
    std::string font, closed, searched;
    std::getline(lines, font);
    std::getline(lines, closed);
    std::getline(lines, searched);
    EXPECT_NE(font.find("\"dialog\":\"Choose Font\""), std::string::npos) << font;
    EXPECT_NE(closed.find("\"dialog\":null"), std::string::npos) << closed;
    EXPECT_NE(searched.find("\"dialog\":null"), std::string::npos) << searched;
    EXPECT_EQ(searched.find("\"searchString\":\"\""), std::string::npos) << searched;
    EXPECT_NE(Registry().find("\"FontName\"="), std::string::npos);
}

// Alt+F3, a word typed on the desktop keyboard in reading order, OK: the hit is highlighted;
// F3 goes on; the string is in the registry for the next start.
TEST_F(DriverTest, ASearchTypedOnTheDesktopKeyboardFindsTheWordAndIsKeptForTheNextStart) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
    Outcome r = Run("key Alt+F3\ntype הצל\nstate\nkey Enter\nstate\nkey F3\nstate\nquit\n");
    std::istringstream lines(r.out);
    std::string dialog, first, second;
    std::getline(lines, dialog);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_NE(dialog.find("\"dialog\":\"Orvanel\""), std::string::npos) << dialog;
    // ל צ ה as stored: the word's first letter last, as the book stores right-to-left text.
    EXPECT_NE(first.find("\"searchString\":\"6d7765\""), std::string::npos) << first;
    EXPECT_NE(first.find("\"dialog\":null"), std::string::npos) << first;
    EXPECT_EQ(first.find("\"topMark\":[0,0]"), std::string::npos) << first;
    EXPECT_NE(first.find("\"bottomMark\":[0,0]"), std::string::npos) << first;
    EXPECT_NE(second, first);
    EXPECT_NE(Registry().find("\"SearchString\"=hex:6d,77,65,00\n"), std::string::npos);
    r = Run("state\nkey Enter\nstate\nquit\n");
    EXPECT_NE(r.out.find("\"searchString\":\"6d7765\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"topMark\":[0,0]"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("\"topMark\":[0,0]"), r.out.find("\"topMark\":[0,0]")) << r.out;
}

// `places` describes the open Find All list and `place K` chooses its K-th place, which is then
// what `state` shows highlighted; without a list both say so and fail the run.
TEST_F(DriverTest, PlacesDescribesTheFindAllListAndPlaceChoosesOne) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");
    Outcome r =
        Run("places\nplace 1\nkey Alt+F3\ntype הצל\nkey Shift+Enter\nplaces\nplace 3\n"
            "state\nplaces\nquit\n");
    EXPECT_EQ(r.code, 1);
    std::istringstream lines(r.out);
    std::string none, list, state, after;
    std::getline(lines, none);
    std::getline(lines, list);
    std::getline(lines, state);
    std::getline(lines, after);
    EXPECT_EQ(none, "null");
    EXPECT_EQ(after, "null");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(list, m,
                                  std::regex("^\\{\"count\":\"(\\d+) places in (\\d+) articles\"")))
        << list;
    // One entry a place, the first one selected, the third one's highlight.
    size_t entries = 0;
    for (size_t at = list.find("\"article\":"); at != std::string::npos;
         at = list.find("\"article\":", at + 1))
        ++entries;
    EXPECT_EQ(std::to_string(entries), m[1].str());
    EXPECT_NE(list.find("\"selected\":1,"), std::string::npos) << list;
    std::smatch third;
    const std::string rest = list.substr(list.find("\"places\":["));
    ASSERT_TRUE(std::regex_search(
        rest, third,
        std::regex(
            "(\\{\"article\":(\\d+),\"markStart\":(\\d+),\"markEnd\":(\\d+)[^}]*\\},?){3}")));
    const int article = std::stoi(third[2].str());
    const std::string mark = "[" + third[3].str() + "," + third[4].str() + "]";
    EXPECT_NE(state.find((article % 2 ? "\"topMark\":" : "\"bottomMark\":") + mark),
              std::string::npos)
        << state << " " << mark;
    std::string err = ReadFile(dir / "stderr.txt");
    EXPECT_NE(err.find("script.txt:2: no Find All list is open"), std::string::npos) << err;
}

TEST_F(DriverTest, ShotWritesAPngOfTheScreenSize) {
    std::string png = (dir / "s.png").string();
    EXPECT_EQ(Run("shot " + png + "\nquit\n", "--screen 300x200").code, 0);
    EXPECT_EQ(PngSize(ReadFile(png)), std::make_pair(300, 200));
    EXPECT_EQ(Run("shot " + png + "\nquit\n").code, 0);
    EXPECT_EQ(PngSize(ReadFile(png)), std::make_pair(240, 320));
}

TEST_F(DriverTest, AnOutOfMemoryMessageBoxShowsItsTextAndTheProgramEnds) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n\"Lesson\"=dword:00000003\n");
    std::string png = (dir / "box.png").string();
    Outcome r = Run("state\nshot " + png + "\nbutton OK\nstate\n", "--fail-alloc 1");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\"messageBox\":{\"caption\":\"Error\",\"text\":\"There is not enough "
                         "memory, aborting\"}"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(PngSize(ReadFile(png)), std::make_pair(240, 320));
    // The stored values were not replaced by a half-read record.
    EXPECT_NE(Registry().find("\"FontName\"=\"David CLM\""), std::string::npos);
    EXPECT_NE(Registry().find("\"Lesson\"=dword:00000003"), std::string::npos);
}

TEST_F(DriverTest, TheBookFolderReplacesTheBuiltInBook) {
    fs::path book = dir / "book";
    fs::copy(ORVANEL_BOOK_CONTAINERS, book);
    // A stored font: Next waits for the first run's Choose Font dialog to end.
    StoreRegistry("\"FontName\"=\"David CLM\"\n");
    Outcome r = Run("command 109\nstate\n", "--book " + book.string());
    EXPECT_NE(r.out.find("\"lesson\":3,"), std::string::npos) << r.out;
    // Without article 5 in the folder, Next from 3 stays: the folder is what is read.
    fs::remove(book / "1005.bin");
    r = Run("command 109\nstate\n", "--book " + book.string());
    EXPECT_NE(r.out.find("\"lesson\":3,"), std::string::npos) << r.out;
    // And a missing article on top is reported as a missing resource.
    fs::remove(book / "1003.bin");
    r = Run("state\nbutton OK\n", "--book " + book.string());
    EXPECT_NE(r.out.find("\"text\":\"Resource not found\""), std::string::npos) << r.out;
}

// A book file that is no regular file or far too large is not read (said once, by name): its
// article is a missing resource, and nothing blocks or runs out of memory.
TEST_F(DriverTest, BookFilesThatAreNotRegularOrTooLargeAreRefusedWithoutBlocking) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        const char* said;
    };
    const Case cases[] = {
        {"a FIFO", [](const fs::path& p) { mkfifo(p.c_str(), 0600); }, "is not a regular file"},
        {"a link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
         "is not a regular file"},
        {"50 MB",
         [](const fs::path& p) {
             std::ofstream(p, std::ios::binary) << std::string(50 << 20, '\x01');
         },
         "is larger than the 8 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path book = dir / "book";
        fs::remove_all(book);
        fs::copy(ORVANEL_BOOK_CONTAINERS, book);
        fs::remove(book / "1003.bin");
        c.make(book / "1003.bin");
        std::string script = (dir / "book.txt").string();
        // The article stored as the current one is the refused file's.
        StoreRegistry("\"FontName\"=\"David CLM\"\n\"Lesson\"=dword:00000003\n");
        std::ofstream(script) << "state\nbutton OK\nstate\n";
        Outcome r = Program("--headless --registry " + registry + " --book " + book.string() +
                                " --script " + script,
                            60);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.out.find("\"text\":\"Resource not found\""), std::string::npos) << r.out;
        size_t said = r.err.find(std::string("1003.bin ") + c.said);
        EXPECT_NE(said, std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("1003.bin", said + 1), std::string::npos) << "said once\n" << r.err;
    }
}

// Stored values of any size or none (an empty hex list, the largest and smallest numbers) start
// the reader and draw without arithmetic faults (the sanitizers' build checks this in CI).
TEST_F(DriverTest, HostileStoredValuesStartTheReaderCleanly) {
    for (const char* size : {"7fffffff", "80000000", "ffffffff"}) {
        SCOPED_TRACE(size);
        StoreRegistry(std::string("\"FontName\"=\"David CLM\"\n\"Lesson\"=hex:\n") +
                      "\"FontSize\"=dword:" + size +
                      "\n\"LastPosition\"=hex:\n\"FontAsciiBase\"=hex(4):\n");
        Outcome r = Run("state\ncommand 109\ncommand 40006\nkey Escape\nstate\n");
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("\"lesson\":3,"), std::string::npos) << r.out;
    }
}

TEST_F(DriverTest, BadScriptsAreReportedAndFailTheRun) {
    Outcome r = Run("frobnicate\nkey NoSuchKey\nbutton Nowhere\nquit\n");
    EXPECT_EQ(r.code, 1);
    std::string err = ReadFile(dir / "stderr.txt");
    EXPECT_NE(err.find("script.txt:1: unknown command \"frobnicate\""), std::string::npos) << err;
    EXPECT_NE(err.find("script.txt:2: unknown key \"NoSuchKey\""), std::string::npos) << err;
    EXPECT_NE(err.find("script.txt:3: no button \"Nowhere\""), std::string::npos) << err;
}

// What follows quit is not run: one warning names where it starts, and the exit code is the
// one the script earned (1 for its bad line, 0 without).
TEST_F(DriverTest, LinesAfterTheReaderHasEndedAreNamedInOneWarning) {
    for (std::string bad : {"", "frobnicate\n"}) {
        Outcome r = Run(bad + "state\nquit\n\n# a comment\n  key Down\ntap 10 10\n");
        EXPECT_EQ(r.code, bad.empty() ? 0 : 1);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        std::string err = ReadFile(dir / "stderr.txt"), warning = "the reader had ended";
        std::string line = bad.empty() ? "5" : "6";
        EXPECT_NE(err.find("orvanel: " + (dir / "script.txt").string() + ":" + line + ": " +
                           warning + "; 2 script lines not run, from \"key Down\"\n"),
                  std::string::npos)
            << err;
        EXPECT_EQ(err.find(warning), err.rfind(warning)) << err;
    }
    Outcome r = Run("state\nquit\n# nothing after it\n\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(ReadFile(dir / "stderr.txt").find("had ended"), std::string::npos);
}

TEST_F(DriverTest, GarbageAndLockedRegistryFilesStillStartAndNeverCrash) {
    std::ofstream(registry, std::ios::binary) << std::string("\x01\x02garbage\xFF\n[broken", 17);
    EXPECT_EQ(Run("quit\n").code, 0);
    EXPECT_NE(Registry().find("\"Flags\"=dword:d1140040"), std::string::npos);
    int kept = 0;
    for (auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().find("registry.reg.corrupt-") == 0) ++kept;
    EXPECT_EQ(kept, 1);

    StoreRegistry("\"Lesson\"=dword:00000002\n");
    std::string before = Registry();
    int fd = open((registry + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    Outcome r = Run("state\nquit\n");
    close(fd);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\"lesson\":2,"), std::string::npos);
    EXPECT_EQ(Registry(), before);
}

TEST_F(DriverTest, ASecondStartEndsAtOnceAndBringsTheRunningReaderToTheFront) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
    // The first start reads its script from a pipe that stays open while the second starts.
    std::string fifo = (dir / "script.fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string out = (dir / "first.out").string();
    std::string cmd = std::string(ORVANEL_BINARY) + " --headless --registry " + registry +
                      " --script " + fifo + " >" + out + " 2>&1 &";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    int w = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(w, 0);
    auto say = [&](const std::string& s) {
        ASSERT_EQ(write(w, s.data(), s.size()), ssize_t(s.size()));
    };
    say("focus off\nstate\n");
    // Wait until the first start has written its state line: it is then running its loop.
    for (int i = 0; i < 400 && ReadFile(out).find("lesson") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::string programPath = Registry();
    std::string second = std::string(ORVANEL_BINARY) + " --registry " + registry + " >" +
                         (dir / "second.out").string() + " 2>&1";
    int status = std::system(second.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Registry(), programPath);  // the second start wrote nothing
    // Line 4 is the unknown command: the other start's request counts as no script line.
    say("state\nnonsense\nquit\n");
    close(w);
    auto states = [&] {
        std::string text = ReadFile(out);
        int n = 0;
        for (size_t at = text.find("inFront"); at != std::string::npos;
             at = text.find("inFront", at + 1))
            ++n;
        return n;
    };
    for (int i = 0; i < 400 && states() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(ReadFile(out).find("\"inFront\":true"), std::string::npos) << ReadFile(out);
    EXPECT_NE(ReadFile(out).find("script.fifo:4: "), std::string::npos) << ReadFile(out);
}

// Full screen with the command bar: the close button at the bar's right end ends the reader as
// Exit does, at any width; no tool button takes its taps. After the tap the script has no reader
// left to ask for its state.
TEST_F(DriverTest, TheFullScreenCloseButtonEndsTheReaderWithItsSettingsWritten) {
    for (int width : {240, 320}) {
        for (int x : {width - 26, width - 14, width - 2}) {
            StoreSwitches("\"FullScreen\"=dword:00000001\n");
            std::string screen = "--screen " + std::to_string(width) + "x320";
            Outcome r = Run("command 109\ntap " + std::to_string(x) + " 12\nstate\n", screen);
            EXPECT_EQ(r.code, 0) << width << " " << x;
            EXPECT_EQ(r.out, "") << width << " " << x;
            EXPECT_NE(ReadFile(dir / "stderr.txt")
                          .find("script.txt:3: the reader had ended; 1 script line not run, "
                                "from \"state\""),
                      std::string::npos)
                << width << " " << x;
            EXPECT_NE(Registry().find("\"Lesson\"=dword:00000003\n"), std::string::npos)
                << width << " " << x << "\n"
                << Registry();
        }
    }
    // Just left of the button the tap is the bar's, and the reader goes on.
    StoreSwitches("\"FullScreen\"=dword:00000001\n");
    Outcome r = Run("tap 213 12\nstate\nquit\n");
    EXPECT_NE(r.out.find("\"lesson\":1,"), std::string::npos) << r.out;
}

TEST_F(DriverTest, ALessonStoredAsTextWithALoneTrailingByteCountsWholeUnitsOnly) {
    StoreRegistry("\"Lesson\"=hex(1):33,00,32\n");
    Outcome r = Run("state\n");
    EXPECT_NE(r.out.find("\"lesson\":3,"), std::string::npos) << r.out;
    EXPECT_NE(Registry().find("\"Lesson\"=dword:00000003\n"), std::string::npos);
}

// Articles whose list the layout refuses (an empty first record, or the end at once) are treated
// as missing ones: the former article stays, shown and scrollable, with the messages a missing
// article gives. Under the sanitizer build the exit code also says that nothing leaked.
TEST_F(DriverTest, ArticlesTheLayoutRefusesAreTreatedAsMissing) {
    fs::path book = dir / "book";
    fs::copy(ORVANEL_BOOK_CONTAINERS, book);
    const std::vector<uint8_t> emptyFirst = {0x01, 0x00, 0x00, 0x01, 0x00, 'a', 'b', 0x00, 0x00};
    const std::vector<uint8_t> endAtOnce = {0x00};
    std::string a = (dir / "a.png").string(), b = (dir / "b.png").string();
    for (const auto& list : {emptyFirst, endAtOnce}) {
        std::ofstream(book / "1003.bin", std::ios::binary) << Container(list, 3);
        StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
        // Next from 1 stays on 1, silently; the screen is what it was, and the top pane still
        // scrolls.
        Outcome r = Run("shot " + a + "\ncommand 109\nstate\nshot " + b + "\nkey PageDown\nstate\n",
                        "--book " + book.string());
        EXPECT_EQ(r.code, 0) << r.out << ReadFile(dir / "stderr.txt");
        size_t second = r.out.find('\n');
        ASSERT_NE(second, std::string::npos) << r.out;
        std::string before = r.out.substr(0, second), after = r.out.substr(second + 1);
        EXPECT_NE(before.find("\"lesson\":1,\"activePane\":\"top\",\"topFirstRow\":0,"),
                  std::string::npos)
            << before;
        EXPECT_NE(before.find("\"messageBox\":null"), std::string::npos) << before;
        EXPECT_EQ(ReadFile(a), ReadFile(b)) << "the screen changed";
        EXPECT_NE(after.find("\"lesson\":1,"), std::string::npos) << after;
        EXPECT_EQ(after.find("\"topFirstRow\":0,"), std::string::npos) << after;
        EXPECT_NE(Registry().find("\"Lesson\"=dword:00000001\n"), std::string::npos);

        // Stored as the current article, it is reported at start as a missing one is.
        StoreRegistry("\"Lesson\"=dword:00000003\n");
        r = Run("state\nbutton OK\nstate\n", "--book " + book.string());
        EXPECT_EQ(r.code, 0) << ReadFile(dir / "stderr.txt");
        EXPECT_NE(r.out.find("\"text\":\"Resource not found\""), std::string::npos) << r.out;
        fs::remove(registry);
    }
    // A refused companion: "Resource not found" for the bottom pane, and the top one moves on.
    fs::copy(fs::path(ORVANEL_BOOK_CONTAINERS) / "1003.bin", book / "1003.bin",
             fs::copy_options::overwrite_existing);
    std::ofstream(book / "1004.bin", std::ios::binary) << Container(emptyFirst, 4);
    Outcome r = Run("command 109\nstate\nbutton OK\nstate\n", "--book " + book.string());
    EXPECT_EQ(r.code, 0) << ReadFile(dir / "stderr.txt");
    EXPECT_NE(r.out.find("\"lesson\":3,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"text\":\"Resource not found\""), std::string::npos) << r.out;
}

}  // namespace

namespace {

// The first run's Choose Font dialog as the dialog command shows it, then no dialog.
TEST_F(DriverTest, DialogDescribesTheOpenDialogsControls) {
    Outcome r = Run("dialog\nkey Escape\ndialog\n");
    EXPECT_EQ(r.code, 0);
    // Where the dialog and its controls are is the resize tests' business.
    std::string first = std::regex_replace(r.out.substr(0, r.out.find('\n')),
                                           std::regex(",\"rect\":\\[[-0-9,]*\\]"), "");
    EXPECT_EQ(first.rfind("{\"dialog\":\"Choose Font\",\"controls\":[{\"id\":1001,"
                          "\"class\":\"LISTBOX\",\"text\":\"\",\"items\":[",
                          0),
              0u)
        << first;
    EXPECT_NE(
        first.find("{\"id\":1006,\"class\":\"LISTBOX\",\"text\":\"\",\"items\":[\"10\",\"11\","
                   "\"12\",\"14\",\"16\",\"18\",\"20\",\"22\",\"24\",\"26\",\"28\",\"32\","
                   "\"52\",\"72\"],\"selection\":-1}"),
        std::string::npos)
        << first;
    EXPECT_NE(first.find("{\"id\":1002,\"class\":\"EDIT\",\"text\":\"\xd7\xaa\xd7\xa9\xd7\xa8"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("\xd7\x91\xd7\x90\",\"selection\":[0,0]}"), std::string::npos) << first;
    EXPECT_NE(first.find("{\"id\":1004,\"class\":\"BUTTON\",\"text\":\"224\",\"checked\":false},"
                         "{\"id\":1005,\"class\":\"BUTTON\",\"text\":\"5D0\",\"checked\":true}]}"),
              std::string::npos)
        << first;
    EXPECT_EQ(r.out.substr(r.out.find('\n') + 1), "{\"dialog\":null,\"controls\":[]}\n");
}

// The value of a key in a state line, as written.
std::string StateValue(const std::string& line, const std::string& key) {
    size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) return "";
    at += key.size() + 3;
    size_t end = line.find_first_of(",}", at);
    return line.substr(at, end - at);
}

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

TEST_F(DriverTest, ZoomKeysAndTheWheelShowInState) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
    Outcome r =
        Run("key Ctrl+Plus\nstate\nkey Ctrl+=\nkey Ctrl+-\nstate\nwheel 100 100 3 Ctrl\n"
            "state\nkey Ctrl+0\nstate\nwheel 100 100 -2\nstate\n");
    ASSERT_EQ(r.code, 0);
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(StateValue(lines[0], "fontSize"), "18");
    EXPECT_EQ(StateValue(lines[1], "fontSize"), "18");
    EXPECT_EQ(StateValue(lines[2], "fontSize"), "24");
    EXPECT_EQ(StateValue(lines[3], "fontSize"), "0");
    EXPECT_EQ(StateValue(lines[4], "fontSize"), "0");
    EXPECT_EQ(StateValue(lines[4], "topFirstRow"), "6");  // the plain wheel scrolls 3 rows a notch
}

TEST_F(DriverTest, NightModesFromTheCommandLineAndCtrlN) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
    std::string png = (dir / "red.png").string();
    Outcome r =
        Run("state\nkey Ctrl+N\nstate\nkey Ctrl+N\nstate\nkey F11\nstate\nkey Escape\nstate\n",
            "--night=red");
    ASSERT_EQ(r.code, 0);
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(StateValue(lines[0], "displayMode"), "\"red\"");
    EXPECT_EQ(StateValue(lines[1], "displayMode"), "\"off\"");
    EXPECT_EQ(StateValue(lines[2], "displayMode"), "\"night\"");
    EXPECT_EQ(StateValue(lines[3], "windowFullScreen"), "true");
    EXPECT_EQ(StateValue(lines[4], "windowFullScreen"), "false");
    EXPECT_NE(Registry().find("\"DisplayMode\"=dword:00000001"), std::string::npos) << Registry();

    // --night alone; the stored night mode is not rewritten by a run that leaves it alone.
    r = Run("state\n", "--night");
    EXPECT_EQ(StateValue(Lines(r.out).at(0), "displayMode"), "\"night\"");
    r = Run("state\n");
    EXPECT_EQ(StateValue(Lines(r.out).at(0), "displayMode"), "\"night\"");

    EXPECT_EQ(Run("state\n", "--night=blue").code, 2);
    EXPECT_NE(ReadFile(dir / "stderr.txt").find("--night"), std::string::npos);
}

TEST_F(DriverTest, BadWheelCommandsAreReported) {
    StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
    Outcome r = Run("wheel 1 2\nwheel 1 2 3 Shift\nwheel a b c\nwheel 10 10 1 Ctrl\nstate\n");
    EXPECT_EQ(r.code, 1);
    std::string err = ReadFile(dir / "stderr.txt");
    EXPECT_NE(err.find(":1: usage: wheel X Y NOTCHES [Ctrl]"), std::string::npos) << err;
    EXPECT_NE(err.find(":2: usage: wheel"), std::string::npos) << err;
    EXPECT_NE(err.find(":3: usage: wheel"), std::string::npos) << err;
    EXPECT_EQ(err.find(":4:"), std::string::npos) << err;
    EXPECT_EQ(StateValue(r.out, "fontSize"), "18");
}

}  // namespace
