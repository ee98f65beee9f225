// The program's command line: --version, --help, and how it refuses unknown options, missing or
// bad values and unusable --book folders (usage on standard error, exit 2, nothing started).
#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

class CommandLineTest : public ProgramTest {
protected:
    // A refusal: exit 2, the reason and the usage on standard error, nothing on standard output,
    // and no registry file (nothing was started).
    void ExpectRefused(const std::string& args, const std::string& reason) {
        Outcome o = Program("--registry " + registry + " " + args);
        EXPECT_EQ(o.code, 2) << args;
        EXPECT_NE(o.err.find(reason), std::string::npos) << args << "\n" << o.err;
        EXPECT_NE(o.err.find("usage: orvanel"), std::string::npos) << args << "\n" << o.err;
        EXPECT_EQ(o.out, "") << args;
        EXPECT_FALSE(fs::exists(registry)) << args;
    }
};

TEST_F(CommandLineTest, VersionPrintsTheProgramsVersionAndExits) {
    Outcome o = Program("--version");
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, "Orvanel 1.84a\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(CommandLineTest, HelpListsEveryOptionOnALineOfItsOwn) {
    Outcome o = Program("--help");
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out.rfind("usage: orvanel", 0), 0u) << o.out;
    for (const char* option :
         {"--registry FILE", "--book DIR", "--scale N", "--headless", "--script FILE|-",
          "--screen WxH", "--fail-alloc N", "--version", "--help"}) {
        std::string line = std::string("\n  ") + option + " ";
        size_t at = o.out.find(line);
        ASSERT_NE(at, std::string::npos) << option << "\n" << o.out;
        EXPECT_EQ(o.out.find(line, at + 1), std::string::npos) << option;
        // The description follows on the same line.
        size_t end = o.out.find('\n', at + 1);
        EXPECT_GT(end - at, line.size() + 10) << option;
    }
    EXPECT_EQ(Program("-h").out, o.out);
}

TEST_F(CommandLineTest, UnknownOptionsAndMissingOrBadValuesAreRefused) {
    ExpectRefused("--frobnicate", "orvanel: unknown option --frobnicate");
    ExpectRefused("-x", "unknown option -x");
    ExpectRefused("--version=2", "--version takes no value");
    ExpectRefused("--scale", "--scale needs a value N");
    ExpectRefused("--book", "--book needs a value DIR");
    ExpectRefused("--scale 0", "--scale: \"0\" is not a valid N");
    ExpectRefused("--scale 2x", "--scale: \"2x\" is not a valid N");
    ExpectRefused("--headless --screen 240 --script -", "--screen: \"240\" is not a valid WxH");
    ExpectRefused("--headless --fail-alloc many --script -", "--fail-alloc: \"many\"");
    ExpectRefused("--headless", "--headless needs --script");
    ExpectRefused("--script -", "--script needs --headless");
    // The registry option itself, with its value missing at the end.
    Outcome o = Program("--registry");
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("--registry needs a value FILE"), std::string::npos) << o.err;
}

TEST_F(CommandLineTest, ValuesMayFollowAnEqualsSign) {
    std::ofstream(dir / "script") << "shot " << (dir / "shot.png").string() << "\nquit\n";
    Outcome o = Program("--headless --registry=" + registry +
                        " --screen=200x100 --script=" + (dir / "script").string());
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(fs::exists(registry));
    std::ifstream png(dir / "shot.png", std::ios::binary);
    unsigned char header[24] = {};
    png.read(reinterpret_cast<char*>(header), sizeof header);
    EXPECT_EQ((header[18] << 8) | header[19], 200);  // the width from --screen=200x100
    EXPECT_EQ((header[22] << 8) | header[23], 100);
}

TEST_F(CommandLineTest, BookFoldersThatDoNotExistOrHoldNoContainersAreRefusedBeforeAnyWindow) {
    ExpectRefused("--book " + (dir / "nowhere").string(),
                  "--book " + (dir / "nowhere").string() + ": the folder does not exist");
    // The desktop start is refused the same way, before it looks for a display.
    ExpectRefused("--book /nowhere/at/all", "--book /nowhere/at/all: the folder does not exist");
    std::ofstream(dir / "plain-file") << "x";
    ExpectRefused("--headless --script - --book " + (dir / "plain-file").string(),
                  "the folder does not exist");
    fs::create_directories(dir / "empty");
    std::ofstream(dir / "empty" / "notes.txt") << "no containers here";
    std::ofstream(dir / "empty" / "1027.bin") << "not a book container";
    ExpectRefused("--headless --script - --book " + (dir / "empty").string(),
                  "--book " + (dir / "empty").string() +
                      ": the folder holds none of the book's "
                      "containers");
}

TEST_F(CommandLineTest, AFolderWithSomeContainersIsAccepted) {
    fs::create_directories(dir / "some");
    fs::copy_file(fs::path(ORVANEL_BOOK_CONTAINERS) / "1001.bin", dir / "some" / "1001.bin");
    std::ofstream(dir / "script") << "state\nquit\n";
    Outcome o = Program("--headless --registry " + registry + " --book " + (dir / "some").string() +
                        " --script " + (dir / "script").string());
    EXPECT_EQ(o.code, 0) << o.err;
    // Article 2 is missing: the start reports it as a missing resource, as before.
    EXPECT_NE(o.out.find("Resource not found"), std::string::npos) << o.out;
}

}  // namespace
