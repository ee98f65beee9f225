// A running reader and what reaches it on its start-up channel from other processes: clients
// that send anything but the four requests, a client that never finishes its line, and a real
// second start. Run with the socket file of a runtime directory and with the abstract name.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/user/instance_socket.h"
#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

class SecondStartTest : public ProgramTest {
protected:
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (script >= 0) close(script);
        unsetenv("XDG_RUNTIME_DIR");
        ProgramTest::TearDown();
    }

    // Starts the reader on the headless host, reading its script from a pipe kept open.
    void StartReader() {
        StoreRegistry("\"FontName\"=\"David CLM\"\n");  // no first-run font dialog
        std::string fifo = (dir / "script.fifo").string();
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        out = (dir / "first.out").string();
        pid = fork();
        if (pid == 0) {
            freopen(out.c_str(), "w", stdout);
            freopen(out.c_str(), "a", stderr);
            execl(ORVANEL_BINARY, ORVANEL_BINARY, "--headless", "--registry", registry.c_str(),
                  "--script", fifo.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        script = open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(script, 0);
    }
    void Say(const std::string& s) {
        ASSERT_EQ(write(script, s.data(), s.size()), ssize_t(s.size()));
    }
    // Asks for the state and returns its line (the n-th of the run), or "" when none comes.
    std::string State() {
        ++states;
        Say("state\n");
        for (int i = 0; i < 400; ++i) {
            std::string text = ReadFile(out);
            int n = 0;
            for (size_t p = text.find("{\"lesson\""); p != std::string::npos;
                 p = text.find("{\"lesson\"", p + 1)) {
                size_t end = text.find('\n', p);
                if (++n == states && end != std::string::npos) return text.substr(p, end - p);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return "";
    }
    int Connect() {
        InstanceSocket s = InstanceSocketFor(registry);
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&s.address), s.length) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }
    // Sends `text` as a client and returns all the reader sent back before it closed the
    // connection ("<no answer in time>" when it did not close it within five seconds).
    std::string Client(const std::string& text) {
        int fd = Connect();
        if (fd < 0) return "<no connection>";
        send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        std::string got;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) {
                got += "<no answer in time>";
                break;
            }
            char buffer[256];
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        close(fd);
        return got;
    }
    int SecondStart() {
        std::string cmd = std::string(ORVANEL_BINARY) + " --registry " + registry + " >" +
                          (dir / "second.out").string() + " 2>&1";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pid_t pid = -1;
    int script = -1;
    int states = 0;
    std::string out;
};

void Place(const fs::path& dir, bool runtimeDirectory) {
    if (!runtimeDirectory) {
        unsetenv("XDG_RUNTIME_DIR");
        return;
    }
    fs::create_directories(dir / "run");
    chmod((dir / "run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
}

TEST_F(SecondStartTest, OnlyTheFourRequestsReachTheRunningReader) {
    for (bool runtimeDirectory : {true, false}) {
        SCOPED_TRACE(runtimeDirectory ? "socket file" : "abstract name");
        Place(dir, runtimeDirectory);
        StartReader();
        std::string before = State();
        ASSERT_NE(before, "") << ReadFile(out);
        EXPECT_NE(before.find("\"inFront\":true"), std::string::npos) << before;
        if (runtimeDirectory) {
            bool socketFile = false;
            for (auto& e : fs::directory_iterator(dir / "run" / "orvanel"))
                socketFile |= e.path().extension() == ".socket" && e.is_socket();
            EXPECT_TRUE(socketFile);
        }

        // A peer that never sends its line is held while the others are served.
        int silent = Connect();
        EXPECT_GE(silent, 0);
        // The message that made the reader write through a made-up pointer, an unknown
        // request, an overlong line: each is closed without an answer.
        EXPECT_EQ(Client("SEND 12 0 4096\n"), "");
        EXPECT_EQ(Client("SEND 273 119 0\n"), "");
        EXPECT_EQ(Client("HELLO\n"), "");
        EXPECT_EQ(Client(std::string(5000, 'x') + "\n"), "");
        EXPECT_EQ(State(), before) << "the reader changed";
        EXPECT_EQ(kill(pid, 0), 0) << "the reader ended";

        EXPECT_EQ(Client("FIND\n"), "1\n");
        EXPECT_EQ(Client("FOREGROUND\n"), "main\n");
        EXPECT_EQ(Client("RAISE\n"), "1\n");
        EXPECT_EQ(State(), before);
        pollfd p{silent, POLLIN, 0};
        char c;
        EXPECT_TRUE(poll(&p, 1, 5000) == 1 && read(silent, &c, 1) == 0)
            << "the silent peer was not closed";
        close(silent);

        // A second start with the reader in front opens its table of contents and ends.
        EXPECT_EQ(SecondStart(), 0) << ReadFile(dir / "second.out");
        std::string after = State();
        EXPECT_NE(after.find("\"dialog\":\"Choose Section\""), std::string::npos) << after;

        // With the dialog in front, a second start leaves it alone.
        EXPECT_EQ(SecondStart(), 0) << ReadFile(dir / "second.out");
        EXPECT_EQ(State(), after);

        Say("key Escape\nquit\n");
        close(script);
        script = -1;
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFile(out);
        if (runtimeDirectory) {
            for (auto& e : fs::directory_iterator(dir / "run" / "orvanel"))
                EXPECT_NE(e.path().extension(), ".socket") << "left behind: " << e.path();
        }
        fs::remove(dir / "script.fifo");
        states = 0;
    }
}

}  // namespace
