#include "platform/user/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/unicode.h"
#include "platform/user/instance_socket.h"
#include "platform/user/user.h"
#include "platform/user/window_internal.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest request line, without its line end; every request is a short word.
constexpr size_t kMaxRequest = 32;
// How long a connected peer may take to send its request. The reader does not wait for it
// meanwhile; the time only bounds how long a silent peer keeps its place.
constexpr auto kPeerTime = std::chrono::milliseconds(1000);
// At most this many peers wait for their request at once; more are closed at once.
constexpr size_t kMaxPeers = 8;
// How long a second start waits for the running reader's answer.
constexpr auto kReplyTime = std::chrono::milliseconds(2000);

struct Peer {
    int fd = -1;
    Clock::time_point deadline;
    std::string received;
};

struct Instance {
    std::string profile;
    // The running reader's side: the listening socket, the peers that have not sent their
    // request yet, and a timer for the first of their deadlines, all behind one epoll
    // descriptor, which is what the hosts watch.
    int listenFd = -1;
    int pollFd = -1;
    int timerFd = -1;
    int lockFd = -1;
    std::string socketFile;
    std::vector<Peer> peers;
    // The second start's side: the running reader's main window has been found.
    bool remoteKnown = false;
};

Instance& inst() {
    static Instance i;
    return i;
}

Window gRemoteMain;
Window gRemoteDialog;

// --- The running reader ------------------------------------------------------------------

HWND LocalMain() {
    for (Window* w : wm::TopLevels())
        if (w->alive && w->cls && EqualsIgnoringCase(w->cls->name, u"Orvanel") &&
            w->title == u"Orvanel")
            return w;
    return nullptr;
}

// Returns the answer to a request, or nothing for a request that is not one of the four.
std::optional<std::string> Answer(const std::string& request) {
    HWND main = LocalMain();
    if (request == "FIND") return main ? "1" : "0";
    if (request == "FOREGROUND") {
        HWND fg = GetForegroundWindow();
        if (!fg || !main) return "none";
        if (fg == main) return "main";
        for (HWND p = fg; p; p = GetParent(p))
            if (p == main) return "dialog";
        return "none";
    }
    if (request == "RAISE") return main && SetForegroundWindow(main) ? "1" : "0";
    if (request == "CONTENTS") {
        // Only over the reading view itself: never on top of a dialog that came up meanwhile.
        if (!main || GetForegroundWindow() != main || !IsWindowEnabled(main)) return "0";
        // Posted, not sent: the command opens a modal dialog, and the other start must not
        // wait for it to close.
        PostMessage(main, WM_COMMAND, kOtherStartCommand, 0);
        return "1";
    }
    return std::nullopt;
}

// Takes the peer out of the waiting ones and returns its descriptor, still open.
int Take(std::vector<Peer>::iterator it) {
    Instance& i = inst();
    int fd = it->fd;
    epoll_ctl(i.pollFd, EPOLL_CTL_DEL, fd, nullptr);
    i.peers.erase(it);
    return fd;
}

void Drop(std::vector<Peer>::iterator it) {
    close(Take(it));
}

// Takes the waiting connections. A peer of another user is closed without a word, and so is
// one beyond the peers already waiting.
void AcceptPeers() {
    Instance& i = inst();
    for (int n = 0; n < 16; ++n) {
        int fd = accept4(i.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        if (!PeerIsThisUser(fd) || i.peers.size() >= kMaxPeers ||
            epoll_ctl(i.pollFd, EPOLL_CTL_ADD, fd, &ev) != 0) {
            close(fd);
            continue;
        }
        i.peers.push_back(Peer{fd, Clock::now() + kPeerTime, {}});
    }
}

// Reads what the peer has sent. A whole request line is answered (when it is one of the
// four) and the peer closed; an overlong line, an end without a line, or an error closes it
// without an answer.
void ReadPeer(int fd) {
    Instance& i = inst();
    auto it =
        std::find_if(i.peers.begin(), i.peers.end(), [fd](const Peer& p) { return p.fd == fd; });
    if (it == i.peers.end()) return;
    char buffer[kMaxRequest + 2];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) return Drop(it);
    it->received.append(buffer, size_t(n));
    size_t end = it->received.find('\n');
    if (end == std::string::npos) {
        if (it->received.size() > kMaxRequest) Drop(it);
        return;
    }
    std::string request = it->received.substr(0, end);
    // Out of the list before answering: the answer runs window procedures, which may serve
    // other starts in turn.
    Take(it);
    if (end <= kMaxRequest) {
        if (std::optional<std::string> reply = Answer(request)) {
            std::string line = *reply + "\n";
            ssize_t sent = send(fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            (void)sent;  // a peer that does not take its answer loses it
        }
    }
    close(fd);
}

// Closes the peers whose time is up and sets the timer for the next deadline.
void ExpirePeers() {
    Instance& i = inst();
    Clock::time_point now = Clock::now();
    for (size_t k = 0; k < i.peers.size();) {
        if (i.peers[k].deadline <= now)
            Drop(i.peers.begin() + ptrdiff_t(k));
        else
            ++k;
    }
    itimerspec timer{};
    if (!i.peers.empty()) {
        Clock::time_point first = i.peers.front().deadline;
        for (const Peer& p : i.peers) first = std::min(first, p.deadline);
        auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(first - now).count();
        wait = std::max<long long>(wait, 1);
        timer.it_value.tv_sec = time_t(wait / 1000000000);
        timer.it_value.tv_nsec = long(wait % 1000000000);
    }
    timerfd_settime(i.timerFd, 0, &timer, nullptr);
}

void Warn(const char* what) {
    std::fprintf(stderr, "orvanel: %s; other starts of the reader will not find this one\n", what);
}

enum class Binding { Bound, HeldByThisUser, HeldByAnother, Failed };

Binding Bind(Instance& i, const InstanceSocket& s, int fd) {
    if (!s.file.empty()) {
        // The lock says who runs: a socket file left by a reader that died is replaced.
        i.lockFd = open(s.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (i.lockFd < 0) return Binding::Failed;
        if (flock(i.lockFd, LOCK_EX | LOCK_NB) != 0)
            return errno == EWOULDBLOCK ? Binding::HeldByThisUser : Binding::Failed;
        unlink(s.file.c_str());
        if (bind(fd, reinterpret_cast<const sockaddr*>(&s.address), s.length) != 0)
            return Binding::Failed;
        i.socketFile = s.file;
        return Binding::Bound;
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&s.address), s.length) == 0)
        return Binding::Bound;
    if (errno != EADDRINUSE) return Binding::Failed;
    // The abstract name is taken: by a reader of this user, or by another user's process,
    // which must not keep this reader from starting.
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    bool ours = probe >= 0 &&
                connect(probe, reinterpret_cast<const sockaddr*>(&s.address), s.length) == 0 &&
                PeerIsThisUser(probe);
    if (probe >= 0) close(probe);
    return ours ? Binding::HeldByThisUser : Binding::HeldByAnother;
}

// --- The second start --------------------------------------------------------------------

// Reads one line until the deadline; false when none came whole.
bool ReadReply(int fd, std::string& out) {
    Clock::time_point deadline = Clock::now() + kReplyTime;
    out.clear();
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, int(left.count())) <= 0) return false;
        char buffer[64];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;
        out.append(buffer, size_t(n));
        size_t end = out.find('\n');
        if (end != std::string::npos) {
            out.resize(end);
            return true;
        }
        if (out.size() > kMaxRequest) return false;
    }
}

// One request to the running reader of this user; empty when nobody answers.
std::string Ask(const std::string& request) {
    Instance& i = inst();
    if (i.profile.empty() || i.listenFd >= 0) return {};
    InstanceSocket s = InstanceSocketFor(i.profile);
    // Not blocking: a reader that does not take connections must not hold this start up.
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return {};
    std::string reply;
    std::string line = request + "\n";
    if (connect(fd, reinterpret_cast<const sockaddr*>(&s.address), s.length) != 0 ||
        !PeerIsThisUser(fd) ||
        send(fd, line.data(), line.size(), MSG_NOSIGNAL) != ssize_t(line.size()) ||
        !ReadReply(fd, reply))
        reply.clear();
    close(fd);
    return reply;
}

}  // namespace

void SetInstanceProfile(const std::string& profilePath) {
    inst().profile = profilePath;
}

bool ListenForOtherStarts(const std::string& profilePath) {
    Instance& i = inst();
    i.profile = profilePath;
    if (i.listenFd >= 0) return true;
    InstanceSocket s = InstanceSocketFor(profilePath);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    Binding binding = fd >= 0 ? Bind(i, s, fd) : Binding::Failed;
    if (binding == Binding::Bound && listen(fd, 8) == 0) {
        i.listenFd = fd;
        i.pollFd = epoll_create1(EPOLL_CLOEXEC);
        i.timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = i.listenFd;
        bool watched = i.pollFd >= 0 && i.timerFd >= 0 &&
                       epoll_ctl(i.pollFd, EPOLL_CTL_ADD, i.listenFd, &ev) == 0;
        ev.data.fd = i.timerFd;
        if (watched && epoll_ctl(i.pollFd, EPOLL_CTL_ADD, i.timerFd, &ev) == 0) return true;
        StopListening();
        Warn("the start-up channel cannot be watched");
        return true;
    }
    if (fd >= 0) close(fd);
    if (!i.socketFile.empty()) unlink(i.socketFile.c_str());
    i.socketFile.clear();
    if (i.lockFd >= 0) close(i.lockFd);
    i.lockFd = -1;
    if (binding == Binding::HeldByThisUser) return false;
    Warn(binding == Binding::HeldByAnother
             ? "another user's program holds the name of this reader's start-up channel"
             : "the start-up channel cannot be made");
    return true;
}

void StopListening() {
    Instance& i = inst();
    for (Peer& p : i.peers) close(p.fd);
    i.peers.clear();
    for (int* fd : {&i.pollFd, &i.timerFd, &i.listenFd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    // The file goes before the lock: whoever takes the lock next binds a fresh one.
    if (!i.socketFile.empty()) unlink(i.socketFile.c_str());
    i.socketFile.clear();
    if (i.lockFd >= 0) close(i.lockFd);
    i.lockFd = -1;
}

int SingleInstanceFd() {
    return inst().pollFd;
}

void ServeOtherStarts() {
    Instance& i = inst();
    if (i.pollFd < 0) return;
    // A bounded number of rounds: a flood of peers must not keep the reader from its input.
    for (int round = 0; round < 8; ++round) {
        epoll_event events[16];
        int n = epoll_wait(i.pollFd, events, 16, 0);
        if (n <= 0) break;
        for (int k = 0; k < n && i.pollFd >= 0; ++k) {
            int fd = events[k].data.fd;
            if (fd == i.listenFd) {
                AcceptPeers();
            } else if (fd == i.timerFd) {
                uint64_t expirations;
                ssize_t got = read(i.timerFd, &expirations, sizeof expirations);
                (void)got;
            } else {
                ReadPeer(fd);
            }
        }
    }
    if (i.pollFd >= 0) ExpirePeers();
}

HWND FindRemoteWindow(LPCWSTR className, LPCWSTR title) {
    if (!className || !EqualsIgnoringCase(className, u"Orvanel")) return nullptr;
    if (title && std::u16string_view(title) != u"Orvanel") return nullptr;
    if (Ask("FIND") != "1") return nullptr;
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

bool IsRemoteWindow(HWND hwnd) {
    return hwnd == &gRemoteMain || hwnd == &gRemoteDialog;
}

HWND RemoteParent(HWND hwnd) {
    return hwnd == &gRemoteDialog ? &gRemoteMain : nullptr;
}

BOOL RemoteSetForeground(HWND hwnd) {
    return hwnd == &gRemoteMain && Ask("RAISE") == "1" ? TRUE : FALSE;
}

LRESULT RemoteSendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (hwnd == &gRemoteMain && msg == WM_COMMAND && wp == kOtherStartCommand && lp == 0)
        Ask("CONTENTS");
    return 0;
}
