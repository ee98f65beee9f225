#pragma once
// The Bookmarks section of the index: a RecordList in the index layout with a group heading
// "jiyu" and one entry per bookmark found in the index, titled as the article's own index entry,
// put in front of the index when the Choose Article dialog opens.
#include <cstdint>

// The section heading: EntryKey 0x8877 (a group heading), StyleFlags 0xC1 (shown, open, style 1),
// indent 1. Its entries: EntryKey n | 0x4000, StyleFlags 0x81, indent 2.
constexpr uint16_t kBookmarkHeadingKey = 0x8877;
constexpr uint8_t kBookmarkHeadingStyle = 0xC1;
constexpr uint8_t kBookmarkEntryStyle = 0x81;

// A new section built from BookmarkList and the index (which may be nullptr), or nullptr when
// there is no memory or it would not fit in 16-bit offsets.
uint8_t* BuildBookmarkSection(const uint8_t* index);

// A new list with first's records and then second's. Both inputs are consumed: when either is
// nullptr the other is returned; when there is no memory, or the joined list would not fit in
// 16-bit offsets, first is released and second returned.
uint8_t* JoinRecordLists(uint8_t* first, uint8_t* second);

// The list to show for the index (consumed): the index with the section in front when there are
// bookmarks and the section could be built, else the index unchanged.
uint8_t* AddBookmarkSection(uint8_t* index);
