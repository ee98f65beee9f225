#pragma once
// Walking a RecordList: TextRecords one after another up to a record whose StyleFlags byte is 0.
//
// Article layout:  StyleFlags, indent byte, BookText, 0.
// Index layout:    EntryKey (16-bit, low byte first), StyleFlags, indent byte, BookText, 0.
//
// The walkers read a list in place and trust it; LoadRecordList only hands out lists that
// CheckRecordList accepted, so every record, its text and the end record lie inside the buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>

enum class RecordLayout { Article, Index };

// EntryKey bits of an index record.
constexpr uint16_t kGroupHeadingKey = 0x8000;
constexpr uint16_t kArticleEntryKey = 0x4000;
constexpr uint16_t kEntryNumberMask = 0x3FFF;

// Separators carry 7 in the low three bits of their StyleFlags.
inline bool IsSeparatorStyle(uint8_t style) {
    return (style & 7) == 7;
}

// --- either layout --------------------------------------------------------------------------

constexpr size_t RecordHeaderSize(RecordLayout layout) {
    return layout == RecordLayout::Article ? 2 : 4;
}
inline uint8_t RecordStyle(const uint8_t* record, RecordLayout layout) {
    return record[RecordHeaderSize(layout) - 2];
}
inline uint8_t RecordIndent(const uint8_t* record, RecordLayout layout) {
    return record[RecordHeaderSize(layout) - 1];
}
inline bool IsListEnd(const uint8_t* record, RecordLayout layout) {
    return RecordStyle(record, layout) == 0;
}
inline const uint8_t* RecordText(const uint8_t* record, RecordLayout layout) {
    return record + RecordHeaderSize(layout);
}
inline size_t RecordTextLength(const uint8_t* record, RecordLayout layout) {
    return std::strlen(reinterpret_cast<const char*>(RecordText(record, layout)));
}
inline const uint8_t* NextRecord(const uint8_t* record, RecordLayout layout) {
    return RecordText(record, layout) + RecordTextLength(record, layout) + 1;
}

// --- article layout, for the text engine's loops ----------------------------------------------

inline uint8_t ArticleRecordStyle(const uint8_t* record) {
    return RecordStyle(record, RecordLayout::Article);
}
inline uint8_t ArticleRecordIndent(const uint8_t* record) {
    return RecordIndent(record, RecordLayout::Article);
}
inline bool IsArticleListEnd(const uint8_t* record) {
    return IsListEnd(record, RecordLayout::Article);
}
inline const uint8_t* ArticleRecordText(const uint8_t* record) {
    return RecordText(record, RecordLayout::Article);
}
inline size_t ArticleRecordTextLength(const uint8_t* record) {
    return RecordTextLength(record, RecordLayout::Article);
}
inline const uint8_t* NextArticleRecord(const uint8_t* record) {
    return NextRecord(record, RecordLayout::Article);
}

// --- index layout: the EntryKey in front -------------------------------------------------------

inline uint16_t IndexRecordKey(const uint8_t* record) {
    return static_cast<uint16_t>(record[0] | (record[1] << 8));
}

// The outcome of checking a list of known size.
struct ListCheck {
    bool ok = false;
    size_t records = 0;           // text and separator records before the end record
    size_t offset = 0;            // where the fault lies, or the offset of the end record
    const char* fault = nullptr;  // a short English description when !ok
};

// Checks that the records of `list` (`size` bytes of data, plus whatever `slack` zero bytes
// follow it in the same block) all lie inside the block and that an end record is reached there.
ListCheck CheckRecordList(const uint8_t* list, size_t size, size_t slack, RecordLayout layout);
