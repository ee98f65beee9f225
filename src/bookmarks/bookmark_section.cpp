// Building the Bookmarks section and putting it in front of the index.
#include "bookmarks/bookmark_section.h"

#include <cstring>

#include "platform/heap.h"
#include "reader/app_state.h"
#include "store/records.h"

namespace {

constexpr size_t kHeadingSize = 9;  // key, style, indent, "jiyu", 0
constexpr size_t kEndRecordSize = 5;
// Offsets into a list are 16-bit: no list the program builds may be longer.
constexpr size_t kLongestList = 0xFFFF;
constexpr uint8_t kHeadingText[] = {106, 105, 121, 117, 0};  // "jiyu"

// The first index record with key n | 0x4000, or nullptr.
const uint8_t* FindEntry(const uint8_t* index, uint16_t n) {
    if (!index) return nullptr;
    const uint16_t key = uint16_t(n | kArticleEntryKey);
    for (const uint8_t* r = index; !IsListEnd(r, RecordLayout::Index);
         r = NextRecord(r, RecordLayout::Index))
        if (IndexRecordKey(r) == key) return r;
    return nullptr;
}

// Bytes of a list's records up to its end record (not counted).
size_t ListLength(const uint8_t* list) {
    const uint8_t* r = list;
    while (!IsListEnd(r, RecordLayout::Index)) r = NextRecord(r, RecordLayout::Index);
    return size_t(r - list);
}

uint8_t* WriteRecord(uint8_t* out, uint16_t key, uint8_t style, uint8_t indent, const uint8_t* text,
                     size_t length) {
    out[0] = uint8_t(key & 0xFF);
    out[1] = uint8_t(key >> 8);
    out[2] = style;
    out[3] = indent;
    std::memcpy(out + 4, text, length);
    out[4 + length] = 0;
    return out + 5 + length;
}

}  // namespace

uint8_t* BuildBookmarkSection(const uint8_t* index) {
    size_t size = kHeadingSize;
    for (const uint16_t* n = App.BookmarkList; n && *n; ++n) {
        if (const uint8_t* entry = FindEntry(index, *n))
            size += RecordTextLength(entry, RecordLayout::Index) + 5;
        // A section that could not be addressed with 16-bit offsets is not built at all.
        if (size + kEndRecordSize > kLongestList) return nullptr;
    }
    auto* section = static_cast<uint8_t*>(HeapAllocBlock(size + kEndRecordSize));
    if (!section) return nullptr;
    uint8_t* out = WriteRecord(section, kBookmarkHeadingKey, kBookmarkHeadingStyle, 1, kHeadingText,
                               sizeof kHeadingText - 1);
    for (const uint16_t* n = App.BookmarkList; n && *n; ++n) {
        const uint8_t* entry = FindEntry(index, *n);
        if (!entry) continue;
        out = WriteRecord(out, uint16_t(*n | kArticleEntryKey), kBookmarkEntryStyle, 2,
                          RecordText(entry, RecordLayout::Index),
                          RecordTextLength(entry, RecordLayout::Index));
    }
    std::memset(out, 0, kEndRecordSize);
    return section;
}

uint8_t* JoinRecordLists(uint8_t* first, uint8_t* second) {
    if (!second) return first;
    if (!first) return second;
    const size_t a = ListLength(first), b = ListLength(second);
    uint8_t* joined = nullptr;
    if (a + b + kEndRecordSize <= kLongestList)
        joined = static_cast<uint8_t*>(HeapAllocBlock(a + b + kEndRecordSize));
    if (!joined) {
        HeapFreeBlock(first);
        return second;
    }
    std::memcpy(joined, first, a);
    std::memcpy(joined + a, second, b);
    std::memset(joined + a + b, 0, kEndRecordSize);
    HeapFreeBlock(first);
    HeapFreeBlock(second);
    return joined;
}

uint8_t* AddBookmarkSection(uint8_t* index) {
    if (!App.BookmarkList || App.BookmarkCount == 0) return index;
    uint8_t* section = BuildBookmarkSection(index);
    if (!section) return index;
    return JoinRecordLists(section, index);
}
