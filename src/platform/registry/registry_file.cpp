#include "platform/registry/registry_file.h"

#include <cstddef>
#include <cstdio>

#include "platform/unicode.h"

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted string starting at s[i] == '"'; i ends after the closing quote.
bool ReadQuoted(const std::string& s, size_t& i, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    ++i;
    out.clear();
    while (i < s.size()) {
        char c = s[i++];
        if (c == '"') return true;
        if (c == '\\') {
            if (i >= s.size()) return false;
            char e = s[i++];
            if (e == 'n')
                out.push_back('\n');
            else if (e == 'r')
                out.push_back('\r');
            else if (e == '0')
                out.push_back('\0');
            else
                out.push_back(e);
        } else {
            out.push_back(c);
        }
    }
    return false;
}

bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& out) {
    out.clear();
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i >= s.size()) break;
        if (i + 1 >= s.size()) return false;
        int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(uint8_t(hi * 16 + lo));
        if (out.size() > kMaxValueBytes) return false;
        i += 2;
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i < s.size()) {
            if (s[i] != ',') return false;
            ++i;
        }
    }
    return true;
}

std::vector<uint8_t> Utf16Bytes(const std::u16string& s) {
    std::vector<uint8_t> out;
    out.reserve(s.size() * 2 + 2);
    for (char16_t c : s) {
        out.push_back(uint8_t(c & 0xFF));
        out.push_back(uint8_t(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

// Whether a value line holds a hex list (which may continue on the next line).
bool IsHexValue(const std::string& line) {
    size_t i = 0;
    std::string name;
    if (line[0] == '@')
        i = 1;
    else if (!ReadQuoted(line, i, name))
        return false;
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size() || line[i] != '=') return false;
    ++i;
    while (i < line.size() && line[i] == ' ') ++i;
    return line.compare(i, 3, "hex") == 0;
}

bool ParseValue(const std::string& line, RegValue& v) {
    size_t i = 0;
    std::string name;
    if (line[0] == '@') {
        i = 1;
    } else if (!ReadQuoted(line, i, name)) {
        return false;
    }
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size() || line[i] != '=') return false;
    ++i;
    while (i < line.size() && line[i] == ' ') ++i;
    std::string rest = line.substr(i);
    v.name = Utf8ToUtf16(name);
    if (!rest.empty() && rest[0] == '"') {
        size_t j = 0;
        std::string text;
        if (!ReadQuoted(rest, j, text) || !Trim(rest.substr(j)).empty()) return false;
        v.type = 1;
        v.data = Utf16Bytes(Utf8ToUtf16(text));
        return v.data.size() <= kMaxValueBytes;
    }
    if (rest.rfind("dword:", 0) == 0) {
        std::string hex = Trim(rest.substr(6));
        if (hex.empty() || hex.size() > 8) return false;
        uint32_t value = 0;
        for (char c : hex) {
            int d = HexDigit(c);
            if (d < 0) return false;
            value = value * 16 + uint32_t(d);
        }
        v.type = 4;
        v.data = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        return true;
    }
    if (rest.rfind("hex", 0) == 0) {
        size_t colon = rest.find(':');
        if (colon == std::string::npos) return false;
        std::string kind = rest.substr(0, colon);
        if (kind == "hex") {
            v.type = 3;
        } else if (kind.size() > 5 && kind.rfind("hex(", 0) == 0 && kind.back() == ')') {
            uint32_t t = 0;
            for (size_t k = 4; k + 1 < kind.size(); ++k) {
                int d = HexDigit(kind[k]);
                if (d < 0 || t > 0xFFFFFFF) return false;
                t = t * 16 + uint32_t(d);
            }
            v.type = t;
        } else {
            return false;
        }
        return ParseHexBytes(rest.substr(colon + 1), v.data);
    }
    return false;
}

// The escapes ReadQuoted understands, so that any name or text reads back as it was.
std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\0') {
            out += "\\0";
        } else {
            if (c == '\\' || c == '"') out.push_back('\\');
            out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

// A string value is written as text when it is well-formed UTF-16 ending in its one NUL and
// holds no control characters; anything else keeps its exact bytes as hex(1).
bool PrintableString(const std::vector<uint8_t>& d, std::u16string& out) {
    if (d.size() < 2 || d.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i + 1 < d.size(); i += 2) out.push_back(char16_t(d[i] | (d[i + 1] << 8)));
    if (out.back() != 0) return false;
    out.pop_back();
    for (size_t i = 0; i < out.size(); ++i) {
        char16_t c = out[i];
        if (c < 0x20 || c == 0x7F) return false;
        if (c >= 0xD800 && c < 0xDC00) {
            if (i + 1 >= out.size() || out[i + 1] < 0xDC00 || out[i + 1] >= 0xE000) return false;
            ++i;
        } else if (c >= 0xDC00 && c < 0xE000) {
            return false;
        }
    }
    return true;
}

std::string HexList(const std::vector<uint8_t>& d) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < d.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", d[i]);
        if (i) out.push_back(',');
        out += buf;
    }
    return out;
}

}  // namespace

namespace {

// The index is kept by the functions below; a document or key changed behind their back (its
// vector grown or shrunk directly) is indexed again on the next look-up.
template <typename Item, typename NameOf>
RegNameIndex& IndexOf(RegNameIndex& index, const std::vector<Item>& items, NameOf name) {
    if (index.size() != items.size()) {
        index.clear();
        for (size_t i = 0; i < items.size(); ++i) index.emplace(LowerAscii(name(items[i])), i);
    }
    return index;
}

RegNameIndex& KeyIndex(RegDocument& doc) {
    return IndexOf(doc.keyIndex, doc.keys, [](const RegKey& k) -> const std::u16string& {
        return k.path;
    });
}

RegNameIndex& ValueIndex(RegKey& key) {
    return IndexOf(key.valueIndex, key.values,
                   [](const RegValue& v) -> const std::u16string& { return v.name; });
}

}  // namespace

RegKey* FindKey(RegDocument& doc, std::u16string_view path) {
    RegNameIndex& index = KeyIndex(doc);
    auto it = index.find(LowerAscii(path));
    return it == index.end() || it->second >= doc.keys.size() ? nullptr : &doc.keys[it->second];
}

RegValue* FindValue(RegKey& key, std::u16string_view name) {
    RegNameIndex& index = ValueIndex(key);
    auto it = index.find(LowerAscii(name));
    return it == index.end() || it->second >= key.values.size() ? nullptr
                                                                 : &key.values[it->second];
}

RegKey& AddKey(RegDocument& doc, std::u16string_view path) {
    if (RegKey* k = FindKey(doc, path)) return *k;
    RegNameIndex& index = KeyIndex(doc);
    index.emplace(LowerAscii(path), doc.keys.size());
    doc.keys.push_back(RegKey{std::u16string(path), {}, {}});
    return doc.keys.back();
}

void PutValue(RegKey& key, RegValue value) {
    if (RegValue* v = FindValue(key, value.name)) {
        v->type = value.type;
        v->data = std::move(value.data);
        return;
    }
    RegNameIndex& index = ValueIndex(key);
    index.emplace(LowerAscii(value.name), key.values.size());
    key.values.push_back(std::move(value));
}

bool RemoveValue(RegKey& key, std::u16string_view name) {
    RegNameIndex& index = ValueIndex(key);
    auto it = index.find(LowerAscii(name));
    if (it == index.end()) return false;
    key.values.erase(key.values.begin() + std::ptrdiff_t(it->second));
    key.valueIndex.clear();
    ValueIndex(key);
    return true;
}

RegDocument ParseRegistryText(const std::string& text) {
    RegDocument doc;
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(text[i]);
        }
    }
    size_t first = 0;
    if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);
    while (first < lines.size() && Trim(lines[first]).empty()) ++first;
    if (first >= lines.size() || (Trim(lines[first]) != kHeader && Trim(lines[first]) != "REGEDIT4"))
        doc.badHeader = true;
    else
        ++first;
    RegKey* key = nullptr;
    for (size_t i = first; i < lines.size(); ++i) {
        std::string line = Trim(lines[i]);
        // A hex list ending in a backslash continues on the next line; a quoted text that ends
        // in an escaped backslash does not.
        while (!line.empty() && line.back() == '\\' && IsHexValue(line) && i + 1 < lines.size()) {
            line.pop_back();
            line += Trim(lines[++i]);
        }
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3 || line[1] == '-') {
                ++doc.badLines;
                key = nullptr;
                continue;
            }
            key = &AddKey(doc, Utf8ToUtf16(line.substr(1, line.size() - 2)));
            continue;
        }
        RegValue v;
        if (!key || !ParseValue(line, v)) {
            ++doc.badLines;
            continue;
        }
        PutValue(*key, std::move(v));
    }
    return doc;
}

std::string FormatRegistryText(const RegDocument& doc) {
    std::string out = std::string(kHeader) + "\n";
    for (const RegKey& k : doc.keys) {
        out += "\n[" + Utf16ToUtf8(k.path) + "]\n";
        for (const RegValue& v : k.values) {
            out += v.name.empty() ? std::string("@") : Quote(Utf16ToUtf8(v.name));
            out += "=";
            std::u16string text;
            if (v.type == 1 && PrintableString(v.data, text)) {
                out += Quote(Utf16ToUtf8(text));
            } else if (v.type == 4 && v.data.size() == 4) {
                char buf[16];
                uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                             (uint32_t(v.data[3]) << 24);
                std::snprintf(buf, sizeof buf, "dword:%08x", d);
                out += buf;
            } else if (v.type == 3) {
                out += "hex:" + HexList(v.data);
            } else {
                char buf[24];
                std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
                out += buf + HexList(v.data);
            }
            out += "\n";
        }
    }
    return out;
}
