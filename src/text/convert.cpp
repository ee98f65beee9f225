#include "text/convert.h"

#include "platform/heap.h"
#include "text/text_settings.h"

// Indexed by (byte - 0x10); the comment gives the first byte of each row.
const UnicodePair UnicodeMap[kMappedByteCount] = {
    /* 10 */ {0x05B8, 0x05DA}, {0x05B8, 0xFB3A}, {0x05B0, 0x05DA}, {0x05B0, 0xFB3A},
    /* 14 */ {0xFB48, 0x0000}, {0x05B4, 0x0000}, {0x05B8, 0x0000}, {0x05B7, 0x0000},
    /* 18 */ {0x05B5, 0x0000}, {0x05B6, 0x0000}, {0x05BB, 0x0000}, {0x05B0, 0x0000},
    /* 1C */ {0x05B3, 0x0000}, {0x05B2, 0x0000}, {0x05B1, 0x0000}, {0x05B9, 0x0000},
    /* 20 */ {0x0020, 0x0000}, {0x0021, 0x0000}, {0x0022, 0x0000}, {0x0023, 0x0000},
    /* 24 */ {0x0024, 0x0000}, {0x0025, 0x0000}, {0x0026, 0x0000}, {0x0027, 0x0000},
    /* 28 */ {0x0028, 0x0000}, {0x0029, 0x0000}, {0x002A, 0x0000}, {0x002B, 0x0000},
    /* 2C */ {0x002C, 0x0000}, {0x002D, 0x0000}, {0x002E, 0x0000}, {0x002F, 0x0000},
    /* 30 */ {0x0030, 0x0000}, {0x0031, 0x0000}, {0x0032, 0x0000}, {0x0033, 0x0000},
    /* 34 */ {0x0034, 0x0000}, {0x0035, 0x0000}, {0x0036, 0x0000}, {0x0037, 0x0000},
    /* 38 */ {0x0038, 0x0000}, {0x0039, 0x0000}, {0x003A, 0x0000}, {0x003B, 0x0000},
    /* 3C */ {0x003C, 0x0000}, {0x003D, 0x0000}, {0x003E, 0x0000}, {0x003F, 0x0000},
    /* 40 */ {0x0040, 0x0000}, {0xFB2A, 0x0000}, {0xFB2B, 0x0000}, {0xFB2C, 0x0000},
    /* 44 */ {0xFB2D, 0x0000}, {0xFB31, 0x0000}, {0xFB32, 0x0000}, {0xFB33, 0x0000},
    /* 48 */ {0xFB34, 0x0000}, {0xFB35, 0x0000}, {0xFB36, 0x0000}, {0xFB38, 0x0000},
    /* 4C */ {0xFB39, 0x0000}, {0xFB3A, 0x0000}, {0xFB3B, 0x0000}, {0xFB3C, 0x0000},
    /* 50 */ {0xFB3E, 0x0000}, {0xFB40, 0x0000}, {0xFB41, 0x0000}, {0xFB44, 0x0000},
    /* 54 */ {0xFB46, 0x0000}, {0xFB47, 0x0000}, {0xFB49, 0x0000}, {0xFB4A, 0x0000},
    /* 58 */ {0xFB4B, 0x0000}, {0x05B9, 0xFB3C}, {0x05B9, 0x05DC}, {0x005B, 0x0000},
    /* 5C */ {0x005C, 0x0000}, {0x005D, 0x0000}, {0x005E, 0x0000}, {0x005F, 0x0000},
    /* 60 */ {0x0060, 0x0000}, {0x05D0, 0x0000}, {0x05D1, 0x0000}, {0x05D2, 0x0000},
    /* 64 */ {0x05D3, 0x0000}, {0x05D4, 0x0000}, {0x05D5, 0x0000}, {0x05D6, 0x0000},
    /* 68 */ {0x05D7, 0x0000}, {0x05D8, 0x0000}, {0x05D9, 0x0000}, {0x05DA, 0x0000},
    /* 6C */ {0x05DB, 0x0000}, {0x05DC, 0x0000}, {0x05DD, 0x0000}, {0x05DE, 0x0000},
    /* 70 */ {0x05DF, 0x0000}, {0x05E0, 0x0000}, {0x05E1, 0x0000}, {0x05E2, 0x0000},
    /* 74 */ {0x05E3, 0x0000}, {0x05E4, 0x0000}, {0x05E5, 0x0000}, {0x05E6, 0x0000},
    /* 78 */ {0x05E7, 0x0000}, {0x05E8, 0x0000}, {0x05E9, 0x0000}, {0x05EA, 0x0000},
};

const uint8_t SingleByteMap[kMappedByteCount] = {
    /* 10 */ 0xEA, 0xEA, 0xEA, 0xEA, 0xF8, 0x00, 0x00, 0x00,
    /* 18 */ 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    /* 20 */ 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,
    /* 28 */ 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    /* 30 */ 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37,
    /* 38 */ 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    /* 40 */ 0x40, 0xF9, 0xF9, 0xF9, 0xF9, 0xE1, 0xE2, 0xE3,
    /* 48 */ 0xE4, 0xE5, 0xE6, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC,
    /* 50 */ 0xEE, 0xF0, 0xF1, 0xF4, 0xF6, 0xF7, 0xF9, 0xFA,
    /* 58 */ 0xE5, 0xEC, 0xEC, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    /* 60 */ 0x60, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6,
    /* 68 */ 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE,
    /* 70 */ 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6,
    /* 78 */ 0xF7, 0xF8, 0xF9, 0xFA,
};

namespace {

ConvertCache sharedCache{nullptr, 0};

}  // namespace

char16_t MirroredBracket(char16_t c) {
    switch (c) {
        case u'(':
            return u')';
        case u')':
            return u'(';
        case u'[':
            return u']';
        case u']':
            return u'[';
        case u'{':
            return u'}';
        case u'}':
            return u'{';
    }
    return c;
}

ConvertCache* SharedConvertCache() {
    return &sharedCache;
}

void ReleaseConvertCache(ConvertCache* cache) {
    if (!cache) return;
    HeapFreeBlock(cache->buffer);
    cache->buffer = nullptr;
    cache->capacity = 0;
}

char16_t* ConvertOutputBuffer(ConvertCache* cache, int32_t maxBytes) {
    if (maxBytes < 0) maxBytes = 0;
    if (cache && cache->buffer && cache->capacity >= maxBytes) return cache->buffer;
    // A pair byte yields two units, so 2 units a byte is always enough.
    auto* out =
        static_cast<char16_t*>(HeapAllocBlock(2 * (size_t(maxBytes) + 1) * sizeof(char16_t)));
    if (out && cache) {
        HeapFreeBlock(cache->buffer);
        cache->buffer = out;
        cache->capacity = maxBytes;
    }
    return out;
}

char16_t* ConvertBookRun(const uint8_t* text, int32_t maxBytes, ConvertCache* cache,
                         int32_t* adjustOut, int32_t* unitsOut, RunOrder order) {
    if (adjustOut) *adjustOut = 0;
    if (unitsOut) *unitsOut = 0;
    if (maxBytes < 0) maxBytes = 0;
    char16_t* out = ConvertOutputBuffer(cache, maxBytes);
    if (!out) return nullptr;

    const int32_t base = CurrentAsciiBase();
    int32_t adjust = 0;
    int32_t n = 0;
    for (int32_t i = 0; text && i < maxBytes && text[i]; ++i) {
        uint8_t b = text[i];
        if (b < kFirstMappedByte || b > kLastMappedByte) {
            out[n++] = b;
        } else if (base == kUnicodeOutput) {
            const UnicodePair& pair = UnicodeMap[b - kFirstMappedByte];
            out[n++] = pair.first;
            if (pair.second) {
                out[n++] = pair.second;
                ++adjust;
            }
        } else if (uint8_t c = SingleByteMap[b - kFirstMappedByte]) {
            out[n++] = c;
        } else {
            --adjust;
        }
    }
    out[n] = 0;
    // Only the units actually written are reversed: a text shorter than maxBytes must not pull
    // its terminator (or stale buffer contents) into the run.
    if (order == RunOrder::Display && maxBytes > 0 && base != kLatinAsciiBase &&
        (CurrentViewFlags() & kReverseRunsFlag)) {
        ReverseDisplayText(out, n);
    }
    if (adjustOut) *adjustOut = adjust;
    if (unitsOut) *unitsOut = n;
    return out;
}

char16_t* ConvertBookText(const uint8_t* text, int32_t maxBytes, ConvertCache* cache,
                          int32_t* adjustOut) {
    return ConvertBookRun(text, maxBytes, cache, adjustOut, nullptr, RunOrder::Display);
}

int ReverseDisplayText(char16_t* units, int32_t n) {
    if (!units) return 0;
    int32_t i = 0, j = n - 1;
    for (; i < j; ++i, --j) {
        char16_t a = units[i];
        units[i] = MirroredBracket(units[j]);
        units[j] = MirroredBracket(a);
    }
    if (i == j) units[i] = MirroredBracket(units[i]);
    return 0;
}

char16_t MeasuredCharacter(uint8_t b, int32_t asciiBase) {
    if (b < kFirstMappedByte || b > kLastMappedByte) return b;
    if (asciiBase == kUnicodeOutput) {
        const UnicodePair& pair = UnicodeMap[b - kFirstMappedByte];
        return pair.second ? pair.second : pair.first;
    }
    return SingleByteMap[b - kFirstMappedByte];
}
