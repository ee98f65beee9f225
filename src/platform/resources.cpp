#include "platform/resources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "platform/win32_constants.h"

namespace {

// A container larger than this is refused: the book's are a few kilobytes, and a file of any
// size (or one linked to a device that never ends) must not take the program's memory.
constexpr size_t kMaxBookFileBytes = 8 << 20;

// A file of the book folder, read at its first use and kept for the life of the process like
// resource bytes; a file that could not be used stays missing.
struct BookFile {
    bool found = false;
    std::vector<unsigned char> data;
    ResourceBlob blob{};
};

struct Table {
    std::map<std::pair<WORD, WORD>, ResourceBlob> entries;
    std::string bookDir;
    std::map<WORD, BookFile> bookFiles;
};

Table& table() {
    static Table t;
    return t;
}

bool IsBookContainer(WORD type, WORD id) {
    return type == RT_RCDATA && ((id >= 1001 && id <= 1026) || id == 32767);
}

void Refuse(const std::string& path, const char* why) {
    std::fprintf(stderr, "orvanel: the book file %s %s; it is not used\n", path.c_str(), why);
}

// Reads a container whole. Only a regular file is read, and opening never waits (a FIFO in the
// folder would otherwise hold up the start for ever).
bool ReadBookFile(const std::string& path, std::vector<unsigned char>& bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) Refuse(path, "cannot be read");
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        Refuse(path, "is not a regular file");
        return false;
    }
    if (size_t(st.st_size) > kMaxBookFileBytes) {
        close(fd);
        Refuse(path, "is larger than the 8 MB a book file may have");
        return false;
    }
    bytes.clear();
    bytes.reserve(size_t(st.st_size));
    unsigned char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            if (n < 0) Refuse(path, "cannot be read");
            return n == 0;
        }
        bytes.insert(bytes.end(), buf, buf + n);
        // A file that grew after it was measured is read to the cap only.
        if (bytes.size() > kMaxBookFileBytes) {
            close(fd);
            Refuse(path, "is larger than the 8 MB a book file may have");
            return false;
        }
    }
}

HRSRC FindInBookDirectory(WORD id) {
    Table& t = table();
    auto [it, fresh] = t.bookFiles.try_emplace(id);
    BookFile& file = it->second;
    if (fresh) {
        file.found = ReadBookFile(t.bookDir + "/" + std::to_string(id) + ".bin", file.data);
        file.blob = ResourceBlob{RT_RCDATA, id, file.data.data(), file.data.size()};
    }
    return file.found ? &file.blob : nullptr;
}

}  // namespace

void RegisterResources(std::span<const ResourceBlob> blobs) {
    for (const ResourceBlob& b : blobs) table().entries[{b.type, b.id}] = b;
}

void SetBookDirectory(const std::string& dir) {
    table().bookDir = dir;
    table().bookFiles.clear();
}

void ResetResources() {
    table().entries.clear();
    table().bookDir.clear();
    table().bookFiles.clear();
}

HRSRC FindResource(HINSTANCE, WORD id, WORD type) {
    Table& t = table();
    if (!t.bookDir.empty() && IsBookContainer(type, id)) return FindInBookDirectory(id);
    auto it = t.entries.find({type, id});
    return it == t.entries.end() ? nullptr : &it->second;
}

DWORD SizeofResource(HINSTANCE, HRSRC res) { return res ? DWORD(res->size) : 0; }

const void* LoadResource(HINSTANCE, HRSRC res) { return res ? res->data : nullptr; }

int LoadString(HINSTANCE module, UINT id, char16_t* buffer, int capacity) {
    if (!buffer || capacity <= 0 || id > 0xFFFF) return 0;
    auto* text = static_cast<const char16_t*>(LoadResource(module, FindResource(module, WORD(id), RT_STRING)));
    int n = 0;
    while (text && text[n] && n < capacity - 1) {
        buffer[n] = text[n];
        ++n;
    }
    buffer[n] = 0;
    return n;
}

HINSTANCE ProgramInstance() {
    static int anchor;
    return &anchor;
}
