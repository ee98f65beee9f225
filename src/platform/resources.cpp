#include "platform/resources.h"

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/win32_constants.h"

namespace {

struct Table {
    std::map<std::pair<WORD, WORD>, ResourceBlob> entries;
    std::string bookDir;
    // Files read from the book folder, kept for the life of the process like resource bytes.
    std::deque<std::vector<unsigned char>> fileData;
    std::deque<ResourceBlob> fileBlobs;
};

Table& table() {
    static Table t;
    return t;
}

bool IsBookContainer(WORD type, WORD id) {
    return type == RT_RCDATA && ((id >= 1001 && id <= 1026) || id == 32767);
}

HRSRC FindInBookDirectory(WORD id) {
    Table& t = table();
    std::string path = t.bookDir + "/" + std::to_string(id) + ".bin";
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    std::vector<unsigned char> bytes;
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return nullptr;
    t.fileData.push_back(std::move(bytes));
    auto& data = t.fileData.back();
    t.fileBlobs.push_back(ResourceBlob{RT_RCDATA, id, data.data(), data.size()});
    return &t.fileBlobs.back();
}

}  // namespace

void RegisterResources(std::span<const ResourceBlob> blobs) {
    for (const ResourceBlob& b : blobs) table().entries[{b.type, b.id}] = b;
}

void SetBookDirectory(const std::string& dir) { table().bookDir = dir; }

void ResetResources() {
    table().entries.clear();
    table().bookDir.clear();
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
