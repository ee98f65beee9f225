#pragma once
// A fresh folder for each test, and the real program run in it as a user or CI would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

// An empty folder named for the running test, below the system's temporary folder.
inline std::filesystem::path TestFolder(const std::string& prefix) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                (prefix + "-" + std::to_string(getpid()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// The whole file, or "" when there is none.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct Outcome {
    int code = -1;  // the exit code; -1 when the program did not exit
    std::string out;
    std::string err;
};

#ifdef ORVANEL_BINARY
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = TestFolder("orvanel-program");
        registry = (dir / "registry.reg").string();
    }
    // A reader started in the background may still be writing its settings as it ends.
    void TearDown() override {
        std::error_code error;
        for (int i = 0; i < 100 && (std::filesystem::remove_all(dir, error), error); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Runs the program with `args`, no display and nothing on standard input; standard error
    // is also left in stderr.txt. With a time limit (seconds) a program still running then is
    // stopped and ends with 124.
    Outcome Program(const std::string& args, int seconds = 0) {
        std::string err = (dir / "stderr.txt").string();
        std::string limit = seconds > 0 ? "timeout " + std::to_string(seconds) + " " : "";
        std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " + limit +
                          std::string(ORVANEL_BINARY) + " " + args + " </dev/null 2>" + err;
        Outcome o;
        FILE* p = popen(cmd.c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) o.out.append(buf, n);
        int status = pclose(p);
        o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        o.err = ReadFile(err);
        return o;
    }
    // Runs the script (saved as script.txt) on the headless host with this test's registry.
    Outcome Run(const std::string& script, const std::string& extra = "") {
        std::string file = (dir / "script.txt").string();
        std::ofstream(file) << script;
        return Program("--headless --registry " + registry + " --script " + file + " " + extra);
    }
    std::string Registry() { return ReadFile(registry); }
    // Writes the registry file with these values under the settings key.
    void StoreRegistry(const std::string& values) {
        std::ofstream(registry) << "Windows Registry Editor Version 5.00\n\n"
                                   "[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"
                                << values;
    }

    std::filesystem::path dir;
    std::string registry;
};
#endif
