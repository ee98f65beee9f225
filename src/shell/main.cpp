// The orvanel program: chooses the host, the registry file and the book, then runs the reader.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/heap.h"
#include "platform/host/host_gtk.h"
#include "platform/host/host_headless.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/shell_services.h"
#include "platform/single_instance.h"
#include "platform/unicode.h"
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
    std::string registry;
    std::string book;
    std::string script;
    unsigned failAlloc = 0;
    std::u16string commandLine;
};

void Usage() {
    std::fputs(
        "usage: orvanel [--scale N] [--registry FILE] [--book DIR] [--night[=red]] [/today]\n"
        "       orvanel --headless [--screen WxH] [--registry FILE] [--book DIR] [--night[=red]]\n"
        "               [--fail-alloc N] --script FILE|-\n",
        stderr);
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--headless") {
            o.headless = true;
        } else if (a == "--screen") {
            if (!value(v) || std::sscanf(v.c_str(), "%dx%d", &o.width, &o.height) != 2 ||
                o.width <= 0 || o.height <= 0)
                return false;
        } else if (a == "--scale") {
            if (!value(v) || (o.scale = std::atoi(v.c_str())) <= 0) return false;
        } else if (a == "--registry") {
            if (!value(o.registry)) return false;
        } else if (a == "--book") {
            if (!value(o.book)) return false;
        } else if (a == "--script") {
            if (!value(o.script)) return false;
        } else if (a == "--fail-alloc") {
            if (!value(v)) return false;
            o.failAlloc = unsigned(std::strtoul(v.c_str(), nullptr, 10));
        } else if (a == "--night" || a.rfind("--night=", 0) == 0) {
            int32_t mode = a == "--night" ? kDisplayModeNight : DisplayModeFromName(a.c_str() + 8);
            if (mode < 0) {
                std::fprintf(stderr, "orvanel: --night takes night, red or off, not %s\n",
                             a.c_str() + 8);
                return false;
            }
            RequestDisplayMode(mode);
        } else if (a == "--help" || a == "-h") {
            return false;
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "orvanel: unknown option %s\n", a.c_str());
            return false;
        } else {
            // What is left is the reader's own command line, as the shell would pass it.
            if (!o.commandLine.empty()) o.commandLine += u' ';
            o.commandLine += Utf8ToUtf16(a);
        }
    }
    return !o.headless || !o.script.empty();
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

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        Usage();
        return 2;
    }
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
        if (code == 0 && driver.errors()) code = 1;
    } else {
        std::unique_ptr<GtkHost> host = GtkHost::Create({o.width, o.height, o.scale});
        if (!host) {
            std::fputs(
                "orvanel: there is no display to show the reader on (DISPLAY is not set or "
                "cannot be opened).\n"
                "To use the reader without a display, run the scripted driver, for example:\n"
                "  printf 'shot page.png\\nquit\\n' | orvanel --headless --script -\n",
                stderr);
            StopListening();
            return 1;
        }
        CreateShellWindows();
        code = ReaderMain(ProgramInstance(), nullptr, o.commandLine.c_str(), SW_SHOW);
    }
    StopListening();
    return code;
}
