#pragma once
// BookText: the book's own 8-bit character encoding, and its conversion into display characters
// (UTF-16 code units) for a Unicode display font or a single-byte Hebrew font.
#include <cstdint>

// Bytes 0x10-0x7B are mapped through the tables; all other bytes pass through unchanged.
constexpr uint8_t kFirstMappedByte = 0x10;
constexpr uint8_t kLastMappedByte = 0x7B;
constexpr int kMappedByteCount = kLastMappedByte - kFirstMappedByte + 1;  // 108

// Vowel points 0x15-0x1F take no room of their own; 0x1F is holam.
constexpr uint8_t kFirstPointByte = 0x15;
constexpr uint8_t kLastPointByte = 0x1F;
constexpr uint8_t kHolamByte = 0x1F;
constexpr char16_t kHolam = 0x05B9;

inline bool IsPointByte(uint8_t b) {
    return b >= kFirstPointByte && b <= kLastPointByte;
}

// FontAsciiBase of a Unicode display font (alef at U+05D0).
constexpr int32_t kUnicodeOutput = 1488;

// Unicode output: one or two code units per byte; `second` is 0 except for the pair bytes
// 0x10-0x13, 0x59 and 0x5A (a vowel point and a letter).
struct UnicodePair {
    char16_t first;
    char16_t second;
};
extern const UnicodePair UnicodeMap[kMappedByteCount];

// Single-byte output: the byte a book byte becomes, alef at 0xE0; 0 drops the byte (the vowel
// points). Search compares letters by these classes.
extern const uint8_t SingleByteMap[kMappedByteCount];

// A reusable output buffer. `capacity` is the largest byte count the buffer was sized for.
struct ConvertCache {
    char16_t* buffer;
    int32_t capacity;
};

// The one cache that measuring, whole-run drawing and the clipboard export share. A buffer from
// it is valid only until the next conversion through it.
ConvertCache* SharedConvertCache();
// Frees a cache's buffer (the shared one at shutdown, or in tests).
void ReleaseConvertCache(ConvertCache* cache);

// Converts at most maxBytes bytes of text (fewer when a NUL comes first) into NUL-terminated
// code units, reversed for display when the Reverse option applies. With a cache the result
// belongs to the cache; without one the caller frees it with HeapFreeBlock. adjustOut, when
// given, receives (pair bytes converted) - (bytes dropped). Returns nullptr when no buffer can be
// had; nothing is written then.
char16_t* ConvertBookText(const uint8_t* text, int32_t maxBytes, ConvertCache* cache,
                          int32_t* adjustOut);

// Room for the conversion of maxBytes bytes and its NUL: the cache's buffer when it is large
// enough, else a new one (recorded in the cache, or the caller's without one); nullptr when no
// memory can be had.
char16_t* ConvertOutputBuffer(ConvertCache* cache, int32_t maxBytes);

// Whether runs are reversed: in stored order or reversed when the option asks for it.
enum class RunOrder { Stored, Display };

// The same conversion, also reporting the number of code units written (without the NUL), and
// reversing only when asked for RunOrder::Display (and the settings want it).
char16_t* ConvertBookRun(const uint8_t* text, int32_t maxBytes, ConvertCache* cache,
                         int32_t* adjustOut, int32_t* unitsOut, RunOrder order);

// The bracket that faces the other way, for ( ) [ ] { }; any other unit as it is. The display's
// reversal and the reading-order copy both turn brackets with it, so they agree.
char16_t MirroredBracket(char16_t c);

// Reverses n code units in place, mirroring the brackets ( ) [ ] { }. Always succeeds (0); it
// needs no scratch memory.
int ReverseDisplayText(char16_t* units, int32_t n);

// The display character by which the width of a byte is measured: the letter of a pair, the
// mapped byte in single-byte output (0 for a dropped one), the byte itself outside the tables.
char16_t MeasuredCharacter(uint8_t b, int32_t asciiBase);
