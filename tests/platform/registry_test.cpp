// The registry file store: value types, names without case, the .reg file, damaged and locked
// files, and writes that never clobber another process's values.
#include "platform/registry/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "platform/heap.h"
#include "platform/registry/registry_file.h"
#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = TestFolder("orvanel-reg");
        file = (dir / "registry.reg").string();
        SetRegistryFile(file);
        SetRegistryLockTimeout(300);
    }
    void TearDown() override {
        SetRegistryLockTimeout(2000);
        fs::remove_all(dir);
    }
    void WriteFile(const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
        SetRegistryFile(file);  // forget what was loaded
    }
    // The file once this process's changes are written to it.
    std::string ReadFile() {
        RegFlushKey(HKEY_CURRENT_USER);
        return ::ReadFile(file);
    }
    HKEY Create(const char16_t* path = u"Software\\Velmora\\Orvanel") {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    LONG SetDword(HKEY key, const char16_t* name, uint32_t v) {
        return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    }
    // The DWORD of a value, or -1.
    int64_t GetDword(const char16_t* name, const char16_t* path = u"Software\\Velmora\\Orvanel") {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
        uint32_t v = 0;
        DWORD type = 0, size = 4;
        LONG r = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
        RegCloseKey(key);
        return r == ERROR_SUCCESS && type == REG_DWORD ? int64_t(v) : -1;
    }
    std::vector<fs::path> SetAside() {
        std::vector<fs::path> out;
        for (auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().find(".corrupt-") != std::string::npos)
                out.push_back(e.path());
        return out;
    }
    fs::path dir;
    std::string file;
};

TEST_F(RegistryTest, ValuesRoundTripThroughTheFileWithNamesInAnyCase) {
    HKEY key = Create();
    EXPECT_EQ(SetDword(key, u"Flags", 0xD1140040), ERROR_SUCCESS);
    const char16_t text[] = u"/usr/bin/orvanel \"x\"";
    EXPECT_EQ(RegSetValueEx(key, u"Program Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            sizeof text),
              ERROR_SUCCESS);
    const BYTE bytes[] = {0x61, 0x62, 0x00};
    EXPECT_EQ(RegSetValueEx(key, u"SearchString", 0, REG_BINARY, bytes, 3), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, u"FLAGS", 12), ERROR_SUCCESS);  // the same value
    RegCloseKey(key);
    std::string written = ReadFile();
    EXPECT_NE(written.find("[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]"), std::string::npos);
    EXPECT_NE(written.find("\"Flags\"=dword:0000000c"), std::string::npos);
    EXPECT_NE(written.find("\"Program Path\"=\"/usr/bin/orvanel \\\"x\\\"\""), std::string::npos);
    EXPECT_NE(written.find("\"SearchString\"=hex:61,62,00"), std::string::npos);

    SetRegistryFile(file);  // read back from the file alone
    EXPECT_EQ(GetDword(u"flags", u"SOFTWARE\\velmora\\ORVANEL"), 12);
    HKEY read = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"software\\Velmora\\Orvanel", 0, KEY_READ, &read),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueEx(read, u"program path", nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof text);
    char16_t small[4];
    DWORD smallSize = sizeof small;
    EXPECT_EQ(RegQueryValueEx(read, u"Program Path", nullptr, &type, reinterpret_cast<BYTE*>(small),
                              &smallSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(RegQueryValueEx(read, u"Missing", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(read);
    HKEY none = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Nobody", 0, KEY_READ, &none),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, GarbageIsKeptAsideAndTheStoreStartsEmpty) {
    WriteFile(std::string("\x00\x01\xFFgarbage\n\xC3(", 12));
    EXPECT_EQ(GetDword(u"Flags"), -1);
    auto aside = SetAside();
    ASSERT_EQ(aside.size(), 1u);
    std::ifstream in(aside[0], std::ios::binary);
    std::string kept((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(kept.size(), 12u);
    HKEY key = Create();
    EXPECT_EQ(SetDword(key, u"Lesson", 3), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ParseRegistryText(ReadFile()).corrupt(), false);
}

TEST_F(RegistryTest, ATruncatedFileKeepsEveryValueThatCouldBeRead) {
    WriteFile(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"
        "\"Lesson\"=dword:00000007\n"
        "\"Flags\"=dword:d11400\n"
        "\"FontName\"=\"Dav");
    EXPECT_EQ(GetDword(u"Lesson"), 7);
    EXPECT_EQ(GetDword(u"Flags"), 0xD11400);
    EXPECT_EQ(SetAside().size(), 1u);
    // The next write brings the readable values into the new file.
    HKEY key = Create();
    SetDword(key, u"BottomSection", 12);
    RegCloseKey(key);
    std::string now = ReadFile();
    EXPECT_NE(now.find("\"Lesson\"=dword:00000007"), std::string::npos);
    EXPECT_NE(now.find("\"BottomSection\"=dword:0000000c"), std::string::npos);
}

TEST_F(RegistryTest, AbsurdValuesAreRefusedAndTheRestKept) {
    std::string huge = "\"Bookmarks\"=hex:";
    for (size_t i = 0; i < kMaxValueBytes + 10; ++i) huge += i ? ",00" : "00";
    WriteFile(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n" +
        huge + "\n\"Lesson\"=dword:00000002\n\"Flags\"=dword:123456789\n");
    EXPECT_EQ(GetDword(u"Lesson"), 2);
    EXPECT_EQ(GetDword(u"Flags"), -1);  // nine digits do not make a DWORD
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Velmora\\Orvanel", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, u"Bookmarks", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, WritesReReadTheFileSoAnotherWritersValuesSurvive) {
    HKEY key = Create();
    SetDword(key, u"Lesson", 5);
    // Another process adds a value behind this one's back.
    std::string other = ReadFile();
    other += "\"FontSize\"=dword:00000010\n";
    std::ofstream(file, std::ios::binary) << other;
    SetDword(key, u"Flags", 1);
    RegCloseKey(key);
    std::string now = ReadFile();
    EXPECT_NE(now.find("\"FontSize\"=dword:00000010"), std::string::npos);
    EXPECT_NE(now.find("\"Lesson\"=dword:00000005"), std::string::npos);
    EXPECT_NE(now.find("\"Flags\"=dword:00000001"), std::string::npos);
    EXPECT_FALSE(fs::exists(file + ".tmp-" + std::to_string(getpid())));
}

TEST_F(RegistryTest, AWriteThatChangesNothingLeavesTheFileInPlace) {
    HKEY key = Create();
    ASSERT_EQ(SetDword(key, u"Lesson", 5), ERROR_SUCCESS);
    ASSERT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    struct stat first {};
    ASSERT_EQ(stat(file.c_str(), &first), 0);
    // The same value again: the file is not replaced (a replacement is a new file).
    EXPECT_EQ(SetDword(key, u"lesson", 5), ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    struct stat again {};
    ASSERT_EQ(stat(file.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, first.st_ino);
    // A new value is written, and so is one that another process changed in the meantime.
    EXPECT_EQ(SetDword(key, u"Lesson", 6), ERROR_SUCCESS);
    EXPECT_EQ(GetDword(u"Lesson"), 6);
    std::string other = ReadFile();
    other.replace(other.find("dword:00000006"), 14, "dword:00000009");
    std::ofstream(file, std::ios::binary) << other;
    EXPECT_EQ(SetDword(key, u"Lesson", 6), ERROR_SUCCESS);
    EXPECT_NE(ReadFile().find("\"Lesson\"=dword:00000006"), std::string::npos) << ReadFile();
    RegCloseKey(key);
}

TEST_F(RegistryTest, ALockedFileFailsTheWriteAndLeavesTheFileAlone) {
    HKEY key = Create();
    SetDword(key, u"Lesson", 5);
    std::string before = ReadFile();
    int fd = open((file + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    // The change is kept in memory; writing it waits for the lock, gives up and leaves the file.
    EXPECT_EQ(SetDword(key, u"Lesson", 6), ERROR_SUCCESS);
    EXPECT_NE(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(::ReadFile(file), before);
    EXPECT_EQ(GetDword(u"Lesson"), 6);
    close(fd);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_NE(::ReadFile(file).find("\"Lesson\"=dword:00000006"), std::string::npos);
    RegCloseKey(key);
}

TEST_F(RegistryTest, AnUnwritablePlaceFailsWritesButReadsWork) {
    WriteFile(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"
        "\"Lesson\"=\"7\"\n");
    std::ofstream(dir / "blocker") << "a file where a folder should be";
    SetRegistryFile((dir / "blocker" / "registry.reg").string());
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Velmora\\Orvanel", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, StringsThatAreNotPlainTextKeepTheirExactBytes) {
    HKEY key = Create();
    const BYTE odd[] = {0x41, 0x00, 0x0A, 0x00, 0x42};  // "A\n" and half a unit, no NUL
    ASSERT_EQ(RegSetValueEx(key, u"Odd", 0, REG_SZ, odd, sizeof odd), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_NE(ReadFile().find("\"Odd\"=hex(1):41,00,0a,00,42"), std::string::npos);
    SetRegistryFile(file);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Velmora\\Orvanel", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    BYTE back[8];
    DWORD type = 0, size = sizeof back;
    ASSERT_EQ(RegQueryValueEx(key, u"Odd", nullptr, &type, back, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::vector<BYTE>(back, back + size), std::vector<BYTE>(odd, odd + sizeof odd));
    RegCloseKey(key);
}

TEST_F(RegistryTest, NamesWithLineBreaksAndTextsEndingInABackslashReadBackAsWritten) {
    HKEY key = Create();
    const char16_t text[] = u"C:\\";
    ASSERT_EQ(RegSetValueEx(key, u"two\nlines", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            sizeof text),
              ERROR_SUCCESS);
    SetDword(key, u"After", 9);
    RegCloseKey(key);
    EXPECT_FALSE(ParseRegistryText(ReadFile()).corrupt()) << ReadFile();
    SetRegistryFile(file);
    EXPECT_EQ(GetDword(u"After"), 9);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Velmora\\Orvanel", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char16_t back[8] = {};
    DWORD size = sizeof back;
    ASSERT_EQ(
        RegQueryValueEx(key, u"two\nlines", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(back), u"C:\\");
    RegCloseKey(key);
    EXPECT_TRUE(SetAside().empty());
}

// Files the reader may find at its registry path. Whatever it is, start-up never blocks, a file
// it cannot read or may not write is never replaced (and the user is told once), a link is
// followed to a target that is replaced in its own folder with its permissions kept, and a file
// too large to read is kept aside.
TEST_F(RegistryTest, HostileFilesAreNeverOverwrittenNorBlockTheStart) {
    const std::string valid =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"
        "\"Lesson\"=dword:00000007\n\"Foreign\"=\"kept\"\n";
    struct Case {
        const char* name;
        std::function<void()> make;
        int64_t lessonRead;  // what the store reads, -1 for nothing
        bool written;        // the change reaches the file (or the link's target)
        std::function<void()> check;
    };
    fs::path real = dir / "real";
    std::string target = (real / "target.reg").string();
    auto mode = [](const std::string& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    auto kind = [](const std::string& path) {
        struct stat st {};
        return lstat(path.c_str(), &st) == 0 ? int(st.st_mode & S_IFMT) : -1;
    };
    std::vector<Case> cases = {
        {"unreadable",
         [&] {
             std::ofstream(file) << valid;
             chmod(file.c_str(), 0);
         },
         geteuid() == 0 ? 7 : -1, false,
         [&] {
             EXPECT_EQ(mode(file), 0);
             chmod(file.c_str(), 0600);
             EXPECT_EQ(::ReadFile(file), valid);
         }},
        {"read-only",
         [&] {
             std::ofstream(file) << valid;
             chmod(file.c_str(), 0444);
         },
         7, false,
         [&] {
             EXPECT_EQ(mode(file), 0444);
             EXPECT_EQ(::ReadFile(file), valid);
         }},
        {"a folder", [&] { fs::create_directory(file); }, -1, false,
         [&] { EXPECT_EQ(kind(file), int(S_IFDIR)); }},
        {"a FIFO", [&] { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }, -1, false,
         [&] { EXPECT_EQ(kind(file), int(S_IFIFO)); }},
        {"a link",
         [&] {
             fs::create_directory(real);
             std::ofstream(target) << valid;
             chmod(target.c_str(), 0640);
             fs::create_symlink("real/target.reg", file);
         },
         7, true,
         [&] {
             EXPECT_EQ(kind(file), int(S_IFLNK));
             EXPECT_EQ(mode(target), 0640);
             std::string now = ::ReadFile(target);
             EXPECT_NE(now.find("\"Lesson\"=dword:00000009"), std::string::npos) << now;
             EXPECT_NE(now.find("\"Foreign\"=\"kept\""), std::string::npos) << now;
             for (auto& e : fs::directory_iterator(real))
                 EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos)
                     << e.path();
         }},
        {"huge",
         [&] {
             std::ofstream out(file, std::ios::binary);
             out << valid;
             out << std::string(17 << 20, ';');
         },
         -1, true,
         [&] {
             ASSERT_EQ(SetAside().size(), 1u);
             EXPECT_GT(fs::file_size(SetAside()[0]), uintmax_t(17 << 20));
             EXPECT_NE(::ReadFile(file).find("\"Lesson\"=dword:00000009"), std::string::npos);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        c.make();
        SetRegistryFile(file);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(GetDword(u"Lesson"), c.lessonRead);
        HKEY key = Create();
        EXPECT_EQ(SetDword(key, u"Lesson", 9), ERROR_SUCCESS);
        EXPECT_EQ(GetDword(u"Lesson"), 9);  // the run goes on with what it set
        EXPECT_EQ(RegFlushKey(key) == ERROR_SUCCESS, c.written);
        EXPECT_EQ(SetDword(key, u"Flags", 1), ERROR_SUCCESS);
        EXPECT_EQ(RegFlushKey(key) == ERROR_SUCCESS, c.written);
        RegCloseKey(key);
        std::string said = ::testing::internal::GetCapturedStderr();
        size_t told = 0;
        for (size_t at = said.find("left as it is"); at != std::string::npos;
             at = said.find("left as it is", at + 1))
            ++told;
        EXPECT_EQ(told, c.written ? 0u : 1u) << said;
        c.check();
        EXPECT_FALSE(fs::exists(file + ".tmp-" + std::to_string(getpid())));
    }
}

// A run killed while it wrote leaves its temporary file: the next write removes it, and a
// temporary or lock file that is a link is never written through.
TEST_F(RegistryTest, StaleTemporariesGoAndOwnFilesNeverFollowLinks) {
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    std::string stale = file + ".tmp-" + std::to_string(gone);
    std::ofstream(stale) << "half a file";
    std::string victim = (dir / "victim").string();
    std::ofstream(victim) << "untouched";
    fs::create_symlink(victim, file + ".tmp-" + std::to_string(getpid()));
    HKEY key = Create();
    SetDword(key, u"Lesson", 4);
    ASSERT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(::ReadFile(victim), "untouched");
    EXPECT_NE(::ReadFile(file).find("\"Lesson\"=dword:00000004"), std::string::npos);
    // A lock file that is a link: the write is refused and the link's target left alone.
    fs::remove(file + ".lock");
    fs::create_symlink(victim, file + ".lock");
    SetDword(key, u"Lesson", 5);
    EXPECT_NE(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(::ReadFile(victim), "untouched");
    EXPECT_NE(::ReadFile(file).find("\"Lesson\"=dword:00000004"), std::string::npos);
    RegCloseKey(key);
}

// Values stored as nothing at all (an empty hex list) read as empty values, not as data.
TEST_F(RegistryTest, AnEmptyValueReadsAsZeroBytes) {
    WriteFile(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Velmora\\Orvanel]\n"
        "\"Lesson\"=hex:\n\"FontSize\"=hex(4):\n");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Velmora\\Orvanel", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    for (const char16_t* name : {u"Lesson", u"FontSize"}) {
        BYTE buffer[4] = {1, 2, 3, 4};
        DWORD type = 0, size = 0;
        EXPECT_EQ(RegQueryValueEx(key, name, nullptr, &type, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(buffer[0], 1);
    }
    RegCloseKey(key);
}

TEST(Heap, InjectedFailuresHitExactlyTheChosenAllocations) {
    SetHeapFailure(2, 2);
    void* a = HeapAllocBlock(8);
    void* b = HeapAllocBlock(8);
    void* c = HeapAllocBlock(8);
    void* d = HeapAllocBlock(8);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(c, nullptr);
    EXPECT_NE(d, nullptr);
    HeapFreeBlock(a);
    HeapFreeBlock(d);
    SetHeapFailure(0);
}

}  // namespace
