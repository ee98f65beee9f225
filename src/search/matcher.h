#pragma once
// The letter-class matcher: finds a search string in BookText by comparing letter classes, with
// the wildcards `*` and `?`, walking from higher byte positions to lower ones and consuming the
// pattern from its last byte to its first. In a right-to-left record, whose text is stored in
// display order, that is reading order.
#include <cstdint>

// A SearchString holds at most 33 bytes and its terminating zero.
constexpr int kSearchStringSize = 34;
constexpr int kSearchStringLimit = 33;

constexpr uint8_t kStarByte = '*';
constexpr uint8_t kAnyOneByte = '?';

// The comparison class of a BookText byte. Bytes 16-123 take their class from SingleByteMap:
// letters with marks share the class of their plain letter, and the vowel points have class 0,
// which the comparison skips. The zero byte has class 0 too.
//
// Bytes below 16 and above 123 are outside that table. Each of them is a class of its own that
// no table byte shares (256 + the byte), so such a byte matches itself and nothing else: a
// non-Hebrew character typed into the search field finds that same character, and never a
// Hebrew letter whose class happens to have the same value (0xE0 is alef's class, but byte 0xE0
// is not alef).
uint16_t LetterClass(uint8_t b);

struct MatchResult {
    int32_t position;  // the highest byte of the match
    int32_t length;    // bytes from the lowest byte of the match up to position, inclusive
};

// Matches `pattern` (m >= 1 bytes) in text[low .. start], trying anchors from start down to low;
// the anchor holds the pattern's last byte. Positions are indexes into `text`. Returns false
// when no anchor matches, or at once when a `*` finds nothing for the bytes stored before it.
//
// A `*` that is the first stored byte of the pattern (nothing before it in storage, so it stands
// last in reading order) matches the empty run: the match ends where the bytes after it ended,
// even at the start of the paragraph, and, as for any match, takes the marks that follow its
// last letter. That is what "any run" means when nothing has to be found after it.
bool MatchBackward(const uint8_t* text, int32_t low, const uint8_t* pattern, int32_t m,
                   int32_t start, MatchResult* result);

// Searches an article's RecordList from offset `start`: the paragraph holding that offset from
// there down to its first text byte, then every later paragraph from its end down. Returns the
// 16-bit offset of the hit (its highest byte) and sets *length, or returns 0 for no hit (a hit
// can never lie at offset 0: the first text byte of an article is at offset 2). The pattern is a
// NUL-terminated SearchString; an empty one finds nothing.
uint16_t SearchArticleText(const uint8_t* text, uint16_t start, const uint8_t* pattern,
                           uint16_t* length);
