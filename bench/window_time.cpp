// Times programs from launch to a viewable, painted top-level window on the X display:
//   window_time RUNS NAME -- COMMAND [ARG]... [-- NAME -- COMMAND [ARG]...]...
// Runs the commands in turn, RUNS times each, and prints each one's median, minimum and maximum,
// and the median CPU time (user + system) the process had used by then.
// A window counts as painted once its contents hold more than one colour; each program is
// ended (SIGTERM) as soon as it was measured.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string name;
    std::vector<char*> argv;
    std::vector<double> times;
    std::vector<double> cpu;  // user + system time of the process, until it was ended
};

bool Painted(Display* d, Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
    XImage* image =
        XGetImage(d, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image) return false;
    unsigned long first = XGetPixel(image, 0, 0);
    bool varied = false;
    for (int y = 0; y < a.height && !varied; y += 2)
        for (int x = 0; x < a.width && !varied; ++x) varied = XGetPixel(image, x, y) != first;
    XDestroyImage(image);
    return varied;
}

// Milliseconds from fork to the first painted top-level window, or -1 after 20 s.
double TimeOne(Display* d, Program& p) {
    Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, True);
    auto start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        execvp(p.argv[0], p.argv.data());
        _exit(127);
    }
    Window mapped = 0;
    double ms = -1;
    while (Clock::now() - start < std::chrono::seconds(20)) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && e.xmap.event == root && !e.xmap.override_redirect)
                mapped = e.xmap.window;
        }
        if (mapped && Painted(d, mapped)) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, 1);
    }
    kill(child, SIGTERM);
    rusage usage{};
    wait4(child, nullptr, 0, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    if (ms >= 0) p.cpu.push_back(seconds(usage.ru_utime) + seconds(usage.ru_stime));
    XSelectInput(d, root, NoEventMask);
    XSync(d, True);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: window_time RUNS NAME -- COMMAND [ARG]... [-- NAME -- ...]\n");
        return 2;
    }
    int runs = std::max(1, std::atoi(argv[1]));
    std::vector<Program> programs;
    for (int i = 2; i < argc;) {
        Program p;
        p.name = argv[i++];
        if (i >= argc || std::strcmp(argv[i], "--") != 0) {
            std::fprintf(stderr, "window_time: expected -- after %s\n", p.name.c_str());
            return 2;
        }
        for (++i; i < argc && std::strcmp(argv[i], "--") != 0; ++i) p.argv.push_back(argv[i]);
        if (i < argc) ++i;
        p.argv.push_back(nullptr);
        programs.push_back(std::move(p));
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "window_time: no X display\n");
        return 1;
    }
    for (Program& p : programs) TimeOne(d, p);  // warm-up: caches, fonts
    for (int r = 0; r < runs; ++r) {
        for (Program& p : programs) {
            double ms = TimeOne(d, p);
            if (ms < 0) {
                std::fprintf(stderr, "window_time: %s showed no painted window\n", p.name.c_str());
                return 1;
            }
            p.times.push_back(ms);
        }
    }
    for (const Program& p : programs) {
        std::printf("%-10s median %6.1f ms  (min %.1f, max %.1f, %d runs; CPU median %.1f ms)\n",
                    p.name.c_str(), Median(p.times),
                    *std::min_element(p.times.begin(), p.times.end()),
                    *std::max_element(p.times.begin(), p.times.end()), runs, Median(p.cpu));
    }
    XCloseDisplay(d);
    return 0;
}
