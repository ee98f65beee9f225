#pragma once
// The ".reg" text format ("Windows Registry Editor Version 5.00", UTF-8): parsing and writing.
#include <cstdint>
#include <string>
#include <vector>

struct RegValue {
    std::u16string name;  // as written; compared without regard to case
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct RegKey {
    std::u16string path;  // full path with the root, e.g. HKEY_CURRENT_USER\Software\Velmora
    std::vector<RegValue> values;
};

struct RegDocument {
    std::vector<RegKey> keys;
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
