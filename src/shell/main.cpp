// The orvanel program: chooses the host, the registry file and the book, then runs the reader.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/heap.h"
#include "platform/host/host_headless.h"
#include "platform/host/host_module.h"
#include "platform/registry/registry.h"
#include "platform/resources.h"
#include "platform/services/shell_services.h"
#include "platform/unicode.h"
#include "platform/user/single_instance.h"
#include "resources/program_resources.h"
#include "shell/display_mode.h"
#include "shell/driver.h"
#include "shell/reader_main.h"
#include "store/book_resources.h"

namespace {

struct Options {
    bool headless = false;
    int width = 240;
    int height = 320;
    int scale = 0;
    bool screenGiven = false;
    std::string registry;
    std::string book;
    std::string script;
    unsigned failAlloc = 0;
    bool help = false;
    bool version = false;
    std::u16string commandLine;
};

// A whole decimal number in [low, high], or false.
bool ParseNumber(const char* text, long low, long high, long* out) {
    if (!*text || !std::isdigit(static_cast<unsigned char>(*text))) return false;
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(text, &end, 10);
    if (errno || *end || n < low || n > high) return false;
    *out = n;
    return true;
}

bool ParseScreen(Options& o, const char* v) {
    long w = 0, h = 0;
    const char* x = std::strchr(v, 'x');
    if (!x) return false;
    std::string width(v, size_t(x - v));
    if (!ParseNumber(width.c_str(), 1, 16384, &w) || !ParseNumber(x + 1, 1, 16384, &h))
        return false;
    o.width = int(w);
    o.height = int(h);
    o.screenGiven = true;
    return true;
}

enum class Takes { Nothing, Value, OptionalValue };

// The options, in the order --help lists them. A Value option takes its value as the next
// argument or after '='; an OptionalValue option only after '='. `apply` returns false when the
// value is not one the option accepts.
struct Option {
    const char* name;
    Takes takes;
    const char* valueName;
    const char* help;
    bool (*apply)(Options&, const char* value);
};

const Option kOptions[] = {
    {"--registry", Takes::Value, "FILE",
     "keep settings and bookmarks in FILE (default ~/.config/orvanel/registry.reg)",
     [](Options& o, const char* v) { return *v && (o.registry = v, true); }},
    {"--book", Takes::Value, "DIR",
     "read the book's containers 1001.bin ... 1026.bin and 32767.bin from DIR",
     [](Options& o, const char* v) { return *v && (o.book = v, true); }},
    {"--scale", Takes::Value, "N",
     "show each of the reader's pixels as N x N screen pixels (default: by the screen's height)",
     [](Options& o, const char* v) {
         long n = 0;
         return ParseNumber(v, 1, 16, &n) && (o.scale = int(n), true);
     }},
    {"--headless", Takes::Nothing, nullptr, "run on an in-memory screen, driven by --script",
     [](Options& o, const char*) { return o.headless = true; }},
    {"--script", Takes::Value, "FILE|-",
     "read driver commands from FILE, or from standard input for -",
     [](Options& o, const char* v) { return *v && (o.script = v, true); }},
    {"--screen", Takes::Value, "WxH",
     "the in-memory screen's size (default 240x320); with a window, its size at a first start",
     ParseScreen},
    {"--fail-alloc", Takes::Value, "N", "make the N-th heap allocation fail",
     [](Options& o, const char* v) {
         long n = 0;
         return ParseNumber(v, 1, LONG_MAX, &n) && (o.failAlloc = unsigned(n), true);
     }},
    {"--night", Takes::OptionalValue, "MODE",
     "show the screen in night colours: night (alone: the same), red, or off",
     [](Options&, const char* v) {
         int32_t mode = *v ? DisplayModeFromName(v) : kDisplayModeNight;
         if (mode < 0) return false;
         RequestDisplayMode(mode);
         return true;
     }},
    {"--version", Takes::Nothing, nullptr, "print the version and exit",
     [](Options& o, const char*) { return o.version = true; }},
    {"--help", Takes::Nothing, nullptr, "print this help and exit",
     [](Options& o, const char*) { return o.help = true; }},
};

void PrintUsage(FILE* to) {
    std::fputs(
        "usage: orvanel [OPTION]... [/today]\n"
        "       orvanel --headless [OPTION]... --script FILE|-\n"
        "\n",
        to);
    for (const Option& option : kOptions) {
        std::string left = option.name;
        if (option.takes == Takes::Value) left += std::string(" ") + option.valueName;
        if (option.takes == Takes::OptionalValue) left += std::string("[=") + option.valueName + "]";
        std::fprintf(to, "  %-22s %s\n", left.c_str(), option.help);
    }
}

// Reports a command-line error with the usage on standard error; the program then exits 2.
bool Refuse(const std::string& message) {
    std::fprintf(stderr, "orvanel: %s\n", message.c_str());
    PrintUsage(stderr);
    return false;
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h") a = "--help";
        if (a.size() < 2 || a[0] != '-') {
            // What is left is the reader's own command line, as the shell would pass it.
            if (!o.commandLine.empty()) o.commandLine += u' ';
            o.commandLine += Utf8ToUtf16(a);
            continue;
        }
        size_t eq = a.find('=');
        std::string name = a.substr(0, eq);
        const Option* option = nullptr;
        for (const Option& s : kOptions)
            if (name == s.name) option = &s;
        if (!option) return Refuse("unknown option " + name);
        std::string value;
        if (eq != std::string::npos) {
            if (option->takes == Takes::Nothing) return Refuse(name + " takes no value");
            value = a.substr(eq + 1);
        } else if (option->takes == Takes::Value) {
            if (i + 1 >= argc) return Refuse(name + " needs a value " + option->valueName);
            value = argv[++i];
        }
        if (!option->apply(o, value.c_str()))
            return Refuse(name + ": \"" + value + "\" is not a valid " + option->valueName);
    }
    if (o.help || o.version) return true;
    if (o.headless && o.script.empty()) return Refuse("--headless needs --script FILE|-");
    if (!o.headless && !o.script.empty()) return Refuse("--script needs --headless");
    return true;
}

// A --book folder must exist and hold at least one of the book's containers; one that lacks
// only some is accepted (the reader reports a missing article when it is shown).
bool CheckBookFolder(const std::string& dir) {
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        return Refuse("--book " + dir + ": the folder does not exist");
    for (int id = 1001; id <= 1026; ++id)
        if (std::filesystem::is_regular_file(dir + "/" + std::to_string(id) + ".bin", error))
            return true;
    if (std::filesystem::is_regular_file(dir + "/32767.bin", error)) return true;
    return Refuse("--book " + dir +
                  ": the folder holds none of the book's containers (1001.bin ... 1026.bin, "
                  "32767.bin)");
}

// Another start of the reader runs with this registry file: wait for its main window, then let
// the reader's own start-up hand it the request and end.
int SecondStart(const Options& o) {
    for (int i = 0; i < 50 && !FindWindow(kMainClassName, kMainTitle); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!FindWindow(kMainClassName, kMainTitle)) {
        std::fprintf(stderr, "orvanel: another start with the registry file %s does not answer\n",
                     RegistryFile().c_str());
        return 1;
    }
    return ReaderMain(ProgramInstance(), nullptr, o.commandLine.c_str(), SW_SHOW);
}

// The desktop window cannot be opened: says why (and, without a display, how to use the reader
// anyway) and ends the program. It may be called from the message loop, once the module has
// loaded, so it ends at once instead of unwinding the reader.
[[noreturn]] void NoDesktopWindow(DesktopHostResult result, const std::string& detail) {
    if (result == DesktopHostResult::NoModule) {
        std::fprintf(stderr, "orvanel: the desktop window cannot be opened: %s\n", detail.c_str());
    } else {
        std::fputs(
            "orvanel: there is no display to show the reader on (DISPLAY is not set or "
            "cannot be opened).\n"
            "To use the reader without a display, run the scripted driver, for example:\n"
            "  printf 'shot page.png\\nquit\\n' | orvanel --headless --script -\n",
            stderr);
    }
    StopListening();
    std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) return 2;
    if (o.help) {
        PrintUsage(stdout);
        return 0;
    }
    if (o.version) {
        std::puts("Orvanel " ORVANEL_VERSION);
        return 0;
    }
    if (!o.book.empty() && !CheckBookFolder(o.book)) return 2;
    SetRegistryFile(o.registry.empty() ? DefaultRegistryFile() : o.registry);
    RegisterProgramResources();
    RegisterBookResources();
    if (!o.book.empty()) SetBookDirectory(o.book);

    if (!ListenForOtherStarts(RegistryFile())) {
        SetInstanceProfile(RegistryFile());
        return SecondStart(o);
    }

    int code = 0;
    if (o.headless) {
        int fd = o.script == "-" ? STDIN_FILENO : open(o.script.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "orvanel: cannot read the script %s: %s\n", o.script.c_str(),
                         std::strerror(errno));
            return 2;
        }
        HeadlessHost host(o.width, o.height);
        CreateShellWindows();
        ScriptDriver driver(host, fd, o.script == "-" ? "<stdin>" : o.script);
        host.SetIdleHook([&driver] { return driver.Step(); });
        if (o.failAlloc) SetHeapFailure(o.failAlloc);
        code = ReaderMain(ProgramInstance(), nullptr, o.commandLine.c_str(), SW_SHOW);
        driver.ReportUnrun();
        if (code == 0 && driver.errors()) code = 1;
    } else {
        DesktopHostResult result;
        std::string detail;
        std::unique_ptr<Host> host = StartDesktopHost({o.width, o.height, o.scale, o.screenGiven},
                                                      NoDesktopWindow, &result, &detail);
        if (!host) NoDesktopWindow(result, detail);
        CreateShellWindows();
        code = ReaderMain(ProgramInstance(), nullptr, o.commandLine.c_str(), SW_SHOW);
    }
    // What the host or the driver set after the reader's own save (the desktop window's size).
    RegFlushKey(HKEY_CURRENT_USER);
    StopListening();
    return code;
}
