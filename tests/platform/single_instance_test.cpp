// The channel on which a running reader hears other starts, driven as a client would: with a
// socket file in a private runtime directory and with the abstract name used without one.
#include "platform/user/single_instance.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/user/instance_socket.h"
#include "platform/user/user.h"
#include "support/headless.h"

namespace fs = std::filesystem;

namespace {

struct Logged {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Logged> gMainLog;

// The running reader's main window: it records every message but painting.
LRESULT MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) gMainLog.push_back({msg, wp, lp});
    return DefWindowProc(w, msg, wp, lp);
}

enum class Place { RuntimeDirectory, AbstractName };

class SingleInstanceTest : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override {
        gMainLog.clear();
        signal(SIGPIPE, SIG_IGN);
        dir = fs::temp_directory_path() / ("orvanel-instance-" + std::to_string(getpid()) + "-" +
                                           std::to_string(GetParam() == Place::RuntimeDirectory));
        fs::remove_all(dir);
        fs::create_directories(dir / "run");
        chmod((dir / "run").c_str(), 0700);
        if (GetParam() == Place::RuntimeDirectory)
            setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        profile = (dir / "registry.reg").string();
        main = CreateWhiteWindow(u"Orvanel", MainProc);
        SetWindowText(main, u"Orvanel");
        SetForegroundWindow(main);
        screen.Settle();
        gMainLog.clear();
    }
    void TearDown() override {
        StopListening();
        unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(dir);
    }

    // A connected client socket, or -1.
    int Connect() {
        InstanceSocket s = InstanceSocketFor(profile);
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&s.address), s.length) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }
    // Everything the reader sent before it closed the connection; "<open>" when it is still
    // open (nothing is waiting to be read and the reader has not closed it).
    static std::string Drain(int fd) {
        std::string got;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 0) <= 0) return got + "<open>";
            char buffer[256];
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) return got;
            got.append(buffer, size_t(n));
        }
    }
    // Sends one request, lets the reader serve it, and returns what it answered.
    std::string Request(const std::string& text) {
        int fd = Connect();
        if (fd < 0) return "<no connection>";
        EXPECT_EQ(send(fd, text.data(), text.size(), MSG_NOSIGNAL), ssize_t(text.size()));
        ServeOtherStarts();
        std::string reply = Drain(fd);
        close(fd);
        screen.Settle();
        return reply;
    }

    HeadlessScreen screen;
    fs::path dir;
    std::string profile;
    HWND main = nullptr;
};

// A request that is not one of the four, a message with a pointer as its parameter, an overlong
// line, and lines that are almost requests: each is closed without an answer, and no message
// reaches the main window, which stays in front.
TEST_P(SingleInstanceTest, AnythingButTheFourRequestsGetsNoAnswerAndNoEffect) {
    ASSERT_TRUE(ListenForOtherStarts(profile));
    ASSERT_GE(SingleInstanceFd(), 0);
    const std::string requests[] = {
        "SEND 12 0 4096\n",
        "SEND 273 119 0\n",
        "HELLO\n",
        "find\n",
        "FIND Orvanel\tOrvanel\n",
        "RAISE \n",
        "\n",
        std::string("CONTENTS\0\n", 10),
        std::string(33, 'A') + "\n",
        "CONTENTS" + std::string(40, ' ') + "\n",
        std::string(100000, 'B'),
        "FIND",  // and then the end, without a line end
    };
    for (const std::string& r : requests) {
        std::string shown = r.substr(0, 20);
        int fd = Connect();
        ASSERT_GE(fd, 0);
        send(fd, r.data(), r.size(), MSG_NOSIGNAL);
        if (r == "FIND") shutdown(fd, SHUT_WR);
        ServeOtherStarts();
        EXPECT_EQ(Drain(fd), "") << shown;
        close(fd);
        screen.Settle();
        EXPECT_TRUE(gMainLog.empty()) << shown << ": " << gMainLog.size() << " commands";
        EXPECT_EQ(GetForegroundWindow(), main) << shown;
    }
    // The reader still answers.
    EXPECT_EQ(Request("FIND\n"), "1\n");
}

// The four requests: whether the main window is there, which window is in front, bring it to
// the front, and open the table of contents, which is the only message that crosses.
TEST_P(SingleInstanceTest, TheFourRequestsAreAnswered) {
    ASSERT_TRUE(ListenForOtherStarts(profile));
    EXPECT_EQ(Request("FIND\n"), "1\n");
    EXPECT_EQ(Request("FOREGROUND\n"), "main\n");
    EXPECT_EQ(Request("CONTENTS\n"), "1\n");
    ASSERT_EQ(gMainLog.size(), 1u);
    EXPECT_EQ(gMainLog[0].wp, kOtherStartCommand);
    EXPECT_EQ(gMainLog[0].lp, 0);

    // One of the reader's own windows in front: no table of contents over it.
    gMainLog.clear();
    HWND dialog = CreateWindowEx(0, u"Orvanel", u"Dialog", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                 main, nullptr, nullptr, nullptr);
    SetForegroundWindow(dialog);
    screen.Settle();
    EXPECT_EQ(Request("FOREGROUND\n"), "dialog\n");
    EXPECT_EQ(Request("CONTENTS\n"), "0\n");
    EXPECT_TRUE(gMainLog.empty());
    EXPECT_EQ(Request("RAISE\n"), "1\n");
    EXPECT_EQ(GetForegroundWindow(), main);
    DestroyWindow(dialog);

    DestroyWindow(main);
    screen.Settle();
    EXPECT_EQ(Request("FIND\n"), "0\n");
    EXPECT_EQ(Request("FOREGROUND\n"), "none\n");
    EXPECT_EQ(Request("RAISE\n"), "0\n");
}

// Serving never waits for a peer: a silent one and one that stops inside its line stay open
// while a later peer is answered, and are closed without an answer once their short time is up;
// the descriptor the hosts watch wakes them for it.
TEST_P(SingleInstanceTest, ASilentPeerHoldsNothingUpAndIsClosedAfterItsTime) {
    ASSERT_TRUE(ListenForOtherStarts(profile));
    int silent = Connect();
    int partial = Connect();
    ASSERT_GE(silent, 0);
    ASSERT_GE(partial, 0);
    ASSERT_EQ(send(partial, "FOREGR", 6, MSG_NOSIGNAL), 6);
    ServeOtherStarts();
    EXPECT_EQ(Request("FIND\n"), "1\n");
    EXPECT_EQ(Drain(silent), "<open>");
    EXPECT_EQ(Drain(partial), "<open>");

    for (int i = 0; i < 10 && (Drain(silent) == "<open>" || Drain(partial) == "<open>"); ++i) {
        pollfd p{SingleInstanceFd(), POLLIN, 0};
        ASSERT_EQ(poll(&p, 1, 5000), 1) << "the reader is not woken for the waiting peers";
        ServeOtherStarts();
    }
    EXPECT_EQ(Drain(silent), "");
    EXPECT_EQ(Drain(partial), "");
    close(silent);
    close(partial);
    EXPECT_TRUE(gMainLog.empty());
    EXPECT_EQ(Request("FOREGROUND\n"), "main\n");
}

// Runs `child` as the user nobody in a child process and serves other starts until it ends;
// returns its exit code.
int AsAnotherUser(const std::function<int()>& child) {
    pid_t pid = fork();
    if (pid == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(100);
        _exit(child());
    }
    int status = 0;
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (SingleInstanceFd() >= 0) {
            pollfd p{SingleInstanceFd(), POLLIN, 0};
            poll(&p, 1, 10);
            ServeOtherStarts();
        } else {
            usleep(10000);
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

// Another user's process either cannot reach the socket (the private directory) or is closed
// without an answer (the abstract name), and drives nothing.
TEST_P(SingleInstanceTest, AnotherUsersPeerGetsNoAnswer) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run a client as another user";
    ASSERT_TRUE(ListenForOtherStarts(profile));
    InstanceSocket s = InstanceSocketFor(profile);
    int code = AsAnotherUser([&] {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&s.address), s.length) != 0) return 0;
        // The reader may already have closed it: the request then does not even go out.
        send(fd, "CONTENTS\n", 9, MSG_NOSIGNAL);
        char c;
        return read(fd, &c, 1) > 0 ? 2 : 1;  // 1: closed (or reset) without an answer
    });
    EXPECT_EQ(code, GetParam() == Place::RuntimeDirectory ? 0 : 1);
    screen.Settle();
    EXPECT_TRUE(gMainLog.empty());
    EXPECT_EQ(Request("FIND\n"), "1\n");
}

class AbstractNameTest : public SingleInstanceTest {};

// Another user's process that took the abstract name first neither keeps the reader from
// starting nor is taken for a running reader by a second start.
TEST_P(AbstractNameTest, ANameHeldByAnotherUserDoesNotStopTheReader) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run a process as another user";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    InstanceSocket s = InstanceSocketFor(profile);
    pid_t pid = fork();
    if (pid == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(100);
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (bind(fd, reinterpret_cast<const sockaddr*>(&s.address), s.length) != 0 ||
            listen(fd, 8) != 0)
            _exit(101);
        ssize_t n = write(ready[1], "x", 1);
        (void)n;
        for (;;) {
            int peer = accept(fd, nullptr, nullptr);
            ssize_t m = write(peer, "1\nmain\n1\n", 9);
            (void)m;
            close(peer);
        }
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);

    EXPECT_TRUE(ListenForOtherStarts(profile));
    EXPECT_EQ(SingleInstanceFd(), -1);
    StopListening();
    // As a second start would ask.
    DestroyWindow(main);
    SetInstanceProfile(profile);
    EXPECT_EQ(FindWindow(u"Orvanel", u"Orvanel"), nullptr);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string PlaceName(const ::testing::TestParamInfo<Place>& info) {
    return info.param == Place::RuntimeDirectory ? "RuntimeDirectory" : "AbstractName";
}

INSTANTIATE_TEST_SUITE_P(Places, SingleInstanceTest,
                         ::testing::Values(Place::RuntimeDirectory, Place::AbstractName),
                         PlaceName);
// Only the abstract name can be taken by someone else first.
INSTANTIATE_TEST_SUITE_P(Places, AbstractNameTest, ::testing::Values(Place::AbstractName),
                         PlaceName);

}  // namespace
