#pragma once
// The ".reg" text format ("Windows Registry Editor Version 5.00", UTF-8): parsing and writing.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct RegValue {
    std::u16string name;  // as written; compared without regard to case
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// Names fold to one case for the lookups below, so that a file of many values reads in time
// linear in its size.
using RegNameIndex = std::unordered_map<std::u16string, size_t>;

struct RegKey {
    std::u16string path;  // full path with the root, e.g. HKEY_CURRENT_USER\Software\Velmora
    std::vector<RegValue> values;
    RegNameIndex valueIndex;  // folded name -> place in values; rebuilt when it is out of step
};

struct RegDocument {
    std::vector<RegKey> keys;
    RegNameIndex keyIndex;  // folded path -> place in keys; rebuilt when it is out of step
    // Lines that could not be read; the document still holds every value that could.
    int badLines = 0;
    bool badHeader = false;
    bool corrupt() const { return badLines > 0 || badHeader; }
};

// Values larger than this are refused as unusable.
constexpr size_t kMaxValueBytes = 1 << 20;

RegDocument ParseRegistryText(const std::string& text);
std::string FormatRegistryText(const RegDocument& doc);

RegKey* FindKey(RegDocument& doc, std::u16string_view path);
RegValue* FindValue(RegKey& key, std::u16string_view name);
// The key of that path, added at the end when there is none.
RegKey& AddKey(RegDocument& doc, std::u16string_view path);
// Replaces the value of the same name (keeping its place and the name's first spelling) or adds it.
void PutValue(RegKey& key, RegValue value);
// Removes the value of that name; false when there was none.
bool RemoveValue(RegKey& key, std::u16string_view name);
