#include "container_view.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "book_encoding.h"
#include "book_files.h"
#include "container.h"
#include "store/record_list.h"

namespace {

struct LoadedContainer {
    std::string name;
    std::optional<int> resourceId;  // from the file name, when it is NNNN.bin
    RecordLayout layout = RecordLayout::Article;
    ContainerContents contents;
};

std::optional<LoadedContainer> Load(const std::string& path) {
    std::optional<std::string> content = ReadWholeFile(path);
    if (!content) {
        std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
        return std::nullopt;
    }
    LoadedContainer c;
    c.name = path;
    std::string stem = std::filesystem::path(path).stem().string();
    if (!stem.empty() && stem.find_first_not_of("0123456789") == std::string::npos &&
        stem.size() < 7) {
        c.resourceId = std::stoi(stem);
    }
    std::vector<uint8_t> bytes(content->begin(), content->end());
    // The layout follows from the resource id; without one, from the index's header numbers.
    bool index = c.resourceId
                     ? *c.resourceId == IndexArticleNumber + 1000
                     : bytes.size() >= 6 && bytes[2] == 0 && bytes[3] == kIndexFirstNumber &&
                           bytes[4] == 0 && bytes[5] == kIndexLastNumber;
    c.layout = index ? RecordLayout::Index : RecordLayout::Article;
    c.contents = ReadContainer(bytes, c.layout);
    return c;
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string DescribeIndent(uint8_t style, uint8_t indent, RecordLayout layout) {
    if (layout == RecordLayout::Index) return "level " + std::to_string(indent);
    if (IsSeparatorStyle(style)) {
        if (indent == 0) return "rule 0 (no line)";
        if (indent <= 160) return "rule " + std::to_string(indent) + " px";
        return "rule " + std::to_string((indent - 160) * 2) + "%";
    }
    std::string text = "indent " + std::to_string(indent & 0x3F);
    if (indent >> 6) text += " label " + std::to_string(indent >> 6);
    return text;
}

std::string DescribeKey(uint16_t key) {
    std::string text = Hex(key, 4);
    if (key & kGroupHeadingKey)
        text += " group " + std::to_string(key & kEntryNumberMask);
    else if (key & kArticleEntryKey)
        text += " article " + std::to_string(key & kEntryNumberMask);
    return text;
}

// Faults the reader's layouts would stumble over, beyond the list's shape.
std::vector<std::string> RecordFaults(const LoadedContainer& c) {
    std::vector<std::string> faults;
    const RecordLayout layout = c.layout;
    const uint8_t* list = c.contents.list.data();
    size_t number = 0;
    for (const uint8_t* r = list; !IsListEnd(r, layout); r = NextRecord(r, layout), ++number) {
        const std::string where =
            "record " + std::to_string(number) + " (offset " + std::to_string(r - list) + "): ";
        const uint8_t style = RecordStyle(r, layout);
        const bool empty = *RecordText(r, layout) == 0;
        if ((style & 0x7F) == 0)
            faults.push_back(where + "StyleFlags " + Hex(style, 2) + " has no low bits");
        if (number == 0 && empty && (layout == RecordLayout::Index || !IsSeparatorStyle(style))) {
            faults.push_back(where + "the first record has no text");
        }
        if (layout == RecordLayout::Index) {
            uint16_t key = IndexRecordKey(r);
            bool group = key & kGroupHeadingKey, article = key & kArticleEntryKey;
            if (group == article)
                faults.push_back(where + "EntryKey " + Hex(key, 4) +
                                 " is neither a group nor an article");
            if (article && ((key & kEntryNumberMask) < kFirstArticle ||
                            (key & kEntryNumberMask) > kLastArticle)) {
                faults.push_back(where + "EntryKey " + Hex(key, 4) + " names no article");
            }
        }
    }
    return faults;
}

// The reader takes an article's first entry in the index for the article's own (the bookmark's
// title, the group opened to show the current article). An article's own entry stands next to
// its companion's (an odd article n and n + 1); an entry elsewhere, a "see also", must come
// after it. One warning for each article whose first entry is such a later one.
std::vector<std::string> EntryOrderWarnings(const LoadedContainer& c) {
    std::vector<std::string> warnings;
    if (c.layout != RecordLayout::Index) return warnings;
    std::vector<int> articles;  // per record: its article number, or 0
    const uint8_t* list = c.contents.list.data();
    for (const uint8_t* r = list; !IsListEnd(r, c.layout); r = NextRecord(r, c.layout)) {
        uint16_t key = IndexRecordKey(r);
        articles.push_back((key & kArticleEntryKey) && !(key & kGroupHeadingKey)
                               ? int(key & kEntryNumberMask)
                               : 0);
    }
    auto own = [&](size_t i) {
        int companion = articles[i] % 2 ? articles[i] + 1 : articles[i] - 1;
        return (i > 0 && articles[i - 1] == companion) ||
               (i + 1 < articles.size() && articles[i + 1] == companion);
    };
    for (int n = kFirstArticle; n <= kLastArticle; ++n) {
        size_t first = articles.size(), ownAt = articles.size();
        for (size_t i = 0; i < articles.size(); ++i) {
            if (articles[i] != n) continue;
            if (first == articles.size()) first = i;
            if (ownAt == articles.size() && own(i)) ownAt = i;
        }
        if (ownAt == articles.size() || ownAt == first) continue;
        warnings.push_back("article " + std::to_string(n) + ": record " + std::to_string(first) +
                           " names it before its own entry, record " + std::to_string(ownAt) +
                           " (bookmarks and the opened outline take the first)");
    }
    return warnings;
}

}  // namespace

int ExpandContainerFile(const std::string& path) {
    std::optional<LoadedContainer> c = Load(path);
    if (!c) return 1;
    const ContainerContents& k = c->contents;
    for (const std::string& fault : k.faults)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), fault.c_str());
    if (!k.listCheck.ok) return 1;
    std::printf("%s: %s, numbers %u-%u, %u bytes compressed, %u expanded, %zu records\n",
                path.c_str(), c->layout == RecordLayout::Index ? "index" : "article", k.firstNumber,
                k.lastNumber, k.compressedLength, k.expandedLength, k.listCheck.records);
    const uint8_t* list = k.list.data();
    size_t number = 0;
    for (const uint8_t* r = list; !IsListEnd(r, c->layout);
         r = NextRecord(r, c->layout), ++number) {
        const uint8_t style = RecordStyle(r, c->layout);
        const uint8_t indent = RecordIndent(r, c->layout);
        std::string line = "#" + std::to_string(number) + " @" + std::to_string(r - list);
        if (c->layout == RecordLayout::Index) line += " key " + DescribeKey(IndexRecordKey(r));
        line += " style " + Hex(style, 2) + " indent " + Hex(indent, 2) + " (" +
                DescribeIndent(style, indent, c->layout) + ")";
        std::printf("%s\n", line.c_str());
        if (c->layout == RecordLayout::Article && IsSeparatorStyle(style)) continue;
        const uint8_t* text = RecordText(r, c->layout);
        const bool rtl = c->layout == RecordLayout::Index || (style & 0x10) != 0;
        std::u32string decoded = DecodeBookText(text, NextRecord(r, c->layout) - text - 1,
                                                rtl ? StoredOrder::Display : StoredOrder::Reading);
        std::printf("    %s\n", EncodeUtf8(decoded).c_str());
    }
    return k.faults.empty() ? 0 : 1;
}

int CheckContainerFile(const std::string& path) {
    std::optional<LoadedContainer> c = Load(path);
    if (!c) return 1;
    std::vector<std::string> faults = c->contents.faults;
    const ContainerContents& k = c->contents;
    if (c->resourceId && k.compressedLength != 0) {
        const bool index = c->layout == RecordLayout::Index;
        const int number = *c->resourceId - 1000;
        const unsigned first = index ? kIndexFirstNumber : static_cast<unsigned>(number);
        const unsigned last = index ? kIndexLastNumber : static_cast<unsigned>(number);
        if (!index && (number < kFirstArticle || number > kLastArticle)) {
            faults.push_back("the file name names no book container (1001-1026 or 32767)");
        } else if (k.firstNumber != first || k.lastNumber != last) {
            faults.push_back("FirstNumber/LastNumber are " + std::to_string(k.firstNumber) + "/" +
                             std::to_string(k.lastNumber) + ", expected " + std::to_string(first) +
                             "/" + std::to_string(last));
        }
    }
    if (k.listCheck.ok) {
        for (std::string& fault : RecordFaults(*c)) faults.push_back(std::move(fault));
    }
    for (const std::string& fault : faults)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), fault.c_str());
    if (!faults.empty()) return 1;
    std::printf("%s: ok (%zu records, %u bytes expanded from %u)\n", path.c_str(),
                k.listCheck.records, k.expandedLength, k.compressedLength);
    for (const std::string& remark : k.remarks)
        std::printf("%s: note: %s\n", path.c_str(), remark.c_str());
    for (const std::string& warning : EntryOrderWarnings(*c))
        std::fprintf(stderr, "%s: warning: %s\n", path.c_str(), warning.c_str());
    return 0;
}
