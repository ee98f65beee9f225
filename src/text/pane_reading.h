#pragma once
// A pane's article in the order it is read: each text record's characters (a stored byte is one
// place, a letter carrying its point two code points) and then its line end; rules have no
// places. Offsets count Unicode code points (presentation forms taken apart) from the article's
// start, as a screen reader and a selection count them, whatever the display font maps the bytes
// to.
#include <cstdint>
#include <vector>

struct ReadingRecord {
    const uint8_t* record;  // in the list
    uint16_t start, end;    // its stored text, [start, end) in the list
    bool rightToLeft;
    std::vector<uint16_t> bytes;  // the stored byte of each place, in reading order
    std::vector<int32_t> at;      // the offset of each place
    int32_t first;                // the offset of its first place
    int32_t lineEnd;              // the offset of its line end, which is one code point
};

struct ArticleReading {
    std::vector<ReadingRecord> records;
    int32_t length = 0;  // up to and with the last line end
};

// A stretch of an article in reading offsets, [from, to).
struct ReadingRange {
    int32_t from, to;
};

// An empty reading for a missing list.
ArticleReading ReadArticle(const uint8_t* list);
// The offset of stored byte `offset` (a list offset), or -1 when no text record holds it.
int32_t ReadingOffsetOf(const ArticleReading& reading, uint16_t offset);
// The places of record `r` whose offsets lie in the range: [*from, *to) in r.bytes.
void PlacesIn(const ReadingRecord& r, ReadingRange range, int32_t* from, int32_t* to);
// The code points of the place at `offset` (1 on a line end or past the text).
int32_t PlaceLength(const ArticleReading& reading, int32_t offset);
// The offset of the place holding `offset` (a point's letter for the second code point of a
// pair): selections begin and end on places.
int32_t PlaceStart(const ArticleReading& reading, int32_t offset);
