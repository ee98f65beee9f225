#include "platform/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/unicode.h"
#include "platform/user.h"
#include "platform/window_internal.h"

namespace {

constexpr char kMainClass[] = "Orvanel";
constexpr int kReplyTimeoutMs = 2000;

struct Instance {
    std::string profile;
    int listenFd = -1;
    bool remoteKnown = false;
};

Instance& inst() {
    static Instance i;
    return i;
}

Window gRemoteMain;
Window gRemoteDialog;

// Abstract socket names need no file and vanish with the process; one per user and profile.
sockaddr_un Address(const std::string& profile, socklen_t* len) {
    char resolved[PATH_MAX];
    std::string key = realpath(profile.c_str(), resolved) ? resolved : profile;
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : key) h = (h ^ c) * 1099511628211ull;
    std::string name = "orvanel-" + std::to_string(getuid()) + "-" + std::to_string(h);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    a.sun_path[0] = 0;
    std::memcpy(a.sun_path + 1, name.data(), name.size());
    *len = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return a;
}

bool ReadLine(int fd, std::string& out) {
    out.clear();
    char c;
    while (out.size() < 4096) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kReplyTimeoutMs) <= 0) return false;
        ssize_t n = read(fd, &c, 1);
        if (n <= 0) return !out.empty();
        if (c == '\n') return true;
        out.push_back(c);
    }
    return false;
}

void WriteLine(int fd, const std::string& s) {
    std::string line = s + "\n";
    ssize_t n = write(fd, line.data(), line.size());
    (void)n;
}

// One request to the running reader; empty when nobody answers.
std::string Ask(const std::string& request) {
    Instance& i = inst();
    if (i.profile.empty() || i.listenFd >= 0) return {};
    socklen_t len;
    sockaddr_un a = Address(i.profile, &len);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), len) == 0) {
        WriteLine(fd, request);
        if (!ReadLine(fd, reply)) reply.clear();
    }
    close(fd);
    return reply;
}

HWND LocalMain() {
    for (Window* w : wm::TopLevels())
        if (w->alive && w->cls && EqualsIgnoringCase(w->cls->name, u"Orvanel") &&
            w->title == u"Orvanel")
            return w;
    return nullptr;
}

std::string Answer(const std::string& req) {
    if (req.rfind("FIND ", 0) == 0) {
        std::string rest = req.substr(5);
        size_t tab = rest.find('\t');
        std::string cls = rest.substr(0, tab);
        std::string title = tab == std::string::npos ? "\x01" : rest.substr(tab + 1);
        std::u16string c16 = Utf8ToUtf16(cls), t16 = Utf8ToUtf16(title);
        for (Window* w : wm::TopLevels())
            if (w->alive && w->cls && EqualsIgnoringCase(w->cls->name, c16) &&
                (title == "\x01" || w->title == t16))
                return "1";
        return "0";
    }
    HWND main = LocalMain();
    if (req == "FOREGROUND") {
        HWND fg = GetForegroundWindow();
        if (!fg || !main) return "none";
        if (fg == main) return "main";
        for (HWND p = fg; p; p = GetParent(p))
            if (p == main) return "dialog";
        return "none";
    }
    if (req.rfind("SEND ", 0) == 0 && main) {
        unsigned long msg = 0, wp = 0;
        long lp = 0;
        if (std::sscanf(req.c_str() + 5, "%lu %lu %ld", &msg, &wp, &lp) != 3) return "0";
        // Posted, not sent: the command may open a modal dialog, and the other start must not
        // wait for it to close.
        PostMessage(main, UINT(msg), WPARAM(wp), LPARAM(lp));
        return "0";
    }
    if (req == "RAISE" && main) return SetForegroundWindow(main) ? "1" : "0";
    return "0";
}

}  // namespace

void SetInstanceProfile(const std::string& profilePath) { inst().profile = profilePath; }

bool ListenForOtherStarts(const std::string& profilePath) {
    Instance& i = inst();
    i.profile = profilePath;
    if (i.listenFd >= 0) return true;
    socklen_t len;
    sockaddr_un a = Address(profilePath, &len);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return false;
    }
    i.listenFd = fd;
    return true;
}

void StopListening() {
    if (inst().listenFd >= 0) close(inst().listenFd);
    inst().listenFd = -1;
}

int SingleInstanceFd() { return inst().listenFd; }

void ServeOtherStarts() {
    int lfd = inst().listenFd;
    if (lfd < 0) return;
    for (;;) {
        int fd = accept4(lfd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        std::string req;
        if (ReadLine(fd, req)) WriteLine(fd, Answer(req));
        close(fd);
    }
}

HWND FindRemoteWindow(LPCWSTR className, LPCWSTR title) {
    if (!className || !EqualsIgnoringCase(className, u"Orvanel")) return nullptr;
    std::string req = std::string("FIND ") + kMainClass;
    if (title) req += "\t" + Utf16ToUtf8(title);
    if (Ask(req) != "1") return nullptr;
    inst().remoteKnown = true;
    return &gRemoteMain;
}

HWND RemoteForegroundWindow() {
    if (!inst().remoteKnown) return nullptr;
    std::string r = Ask("FOREGROUND");
    if (r == "main") return &gRemoteMain;
    if (r == "dialog") return &gRemoteDialog;
    return nullptr;
}

bool IsRemoteWindow(HWND hwnd) { return hwnd == &gRemoteMain || hwnd == &gRemoteDialog; }

HWND RemoteParent(HWND hwnd) { return hwnd == &gRemoteDialog ? &gRemoteMain : nullptr; }

BOOL RemoteSetForeground(HWND hwnd) {
    return hwnd == &gRemoteMain && Ask("RAISE") == "1" ? TRUE : FALSE;
}

LRESULT RemoteSendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (hwnd != &gRemoteMain) return 0;
    std::string r = Ask("SEND " + std::to_string(msg) + " " + std::to_string(wp) + " " +
                        std::to_string(long(lp)));
    return r.empty() ? 0 : std::atol(r.c_str());
}
