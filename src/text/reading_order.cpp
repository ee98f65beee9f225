#include "text/reading_order.h"

#include <cstdint>

#include "text/text_settings.h"

namespace {

bool IsDigitByte(uint8_t b) {
    return b >= '0' && b <= '9';
}

bool IsNumberSeparator(uint8_t b) {
    return b == '.' || b == ',' || b == ':' || b == '/' || b == '+' || b == '-';
}

// Writes the units of stored bytes in reading order into `out`. Each stored byte is one place
// of the reading order, counted as it is written; only the places in [from, to) are written,
// and `places` (when given) receives the stored index of every place.
struct Writer {
    char16_t* out;
    int32_t n = 0;
    bool unicode;
    int32_t from = 0, to = INT32_MAX;
    std::vector<int32_t>* places = nullptr;
    int32_t place = 0;

    // One byte as the conversion writes it, except that a pair byte (a point and its letter)
    // gives the letter first.
    void Byte(const uint8_t* bytes, int32_t i, bool mirror = false) {
        if (places) places->push_back(i);
        bool wanted = place >= from && place < to;
        ++place;
        if (!wanted || !out) return;
        const uint8_t b = bytes[i];
        const int32_t at = n;
        if (b < kFirstMappedByte || b > kLastMappedByte) {
            out[n++] = b;
        } else if (unicode) {
            const UnicodePair& pair = UnicodeMap[b - kFirstMappedByte];
            if (pair.second) out[n++] = pair.second;
            out[n++] = pair.first;
        } else if (uint8_t c = SingleByteMap[b - kFirstMappedByte]) {
            out[n++] = c;
        }
        // A lone character is turned as the display turns it: by what it shows (a stored byte
        // may be a letter where ASCII has a brace).
        if (mirror && n == at + 1) out[at] = MirroredBracket(out[at]);
    }
    // A cluster of stored bytes [begin, end): the points that come before their letter in
    // storage, then the letter. Read, the letter comes first and its points after it.
    void Cluster(const uint8_t* bytes, int32_t begin, int32_t end, bool mirror) {
        uint8_t last = bytes[end - 1];
        if (IsPointByte(last)) {  // points with no letter after them (a damaged text)
            for (int32_t i = begin; i < end; ++i) Byte(bytes, i);
            return;
        }
        Byte(bytes, end - 1, mirror && end - begin == 1);
        for (int32_t i = begin; i + 1 < end; ++i) Byte(bytes, i);
    }
};

// The start of the cluster that ends at `end`: its letter and the points stored before it (or
// points that end the text with no letter after them, which are a cluster of their own).
int32_t ClusterStart(const uint8_t* bytes, int32_t end) {
    int32_t start = end - 1;
    while (start > 0 && IsPointByte(bytes[start - 1])) --start;
    return start;
}

bool IsSingle(const uint8_t* bytes, int32_t begin, int32_t end, bool (*test)(uint8_t)) {
    return end - begin == 1 && test(bytes[begin]);
}

// Right to left: clusters from the last stored to the first, each number whole.
void WriteRightToLeft(Writer& w, const uint8_t* bytes, int32_t count) {
    int32_t end = count;
    while (end > 0) {
        int32_t start = ClusterStart(bytes, end);
        if (!IsSingle(bytes, start, end, IsDigitByte)) {
            w.Cluster(bytes, start, end, true);
            end = start;
            continue;
        }
        // The number stretches back over digits and single separators between digits.
        while (start > 0) {
            int32_t before = ClusterStart(bytes, start);
            if (IsSingle(bytes, before, start, IsDigitByte)) {
                start = before;
            } else if (before > 0 && IsSingle(bytes, before, start, IsNumberSeparator)) {
                int32_t digit = ClusterStart(bytes, before);
                if (!IsSingle(bytes, digit, before, IsDigitByte)) break;
                start = digit;
            } else {
                break;
            }
        }
        for (int32_t i = start; i < end; ++i) w.Byte(bytes, i);
        end = start;
    }
}

void WriteLeftToRight(Writer& w, const uint8_t* bytes, int32_t count) {
    int32_t start = 0;
    while (start < count) {
        int32_t end = start;
        while (end < count && IsPointByte(bytes[end])) ++end;
        if (end < count) ++end;  // the letter the points belong to
        w.Cluster(bytes, start, end, false);
        start = end;
    }
}

}  // namespace

char16_t* ConvertReadingOrder(const uint8_t* text, int32_t maxBytes, StoredDirection direction,
                              ConvertCache* cache, int32_t* unitsOut) {
    return ConvertReadingOrderPart(text, maxBytes, direction, 0, INT32_MAX, cache, unitsOut);
}

char16_t* ConvertReadingOrderPart(const uint8_t* text, int32_t maxBytes, StoredDirection direction,
                                  int32_t from, int32_t to, ConvertCache* cache,
                                  int32_t* unitsOut) {
    if (unitsOut) *unitsOut = 0;
    if (maxBytes < 0) maxBytes = 0;
    char16_t* out = ConvertOutputBuffer(cache, maxBytes);
    if (!out) return nullptr;
    int32_t count = 0;
    while (text && count < maxBytes && text[count]) ++count;
    Writer w{out, 0, CurrentAsciiBase() == kUnicodeOutput, from, to};
    if (direction == StoredDirection::RightToLeft)
        WriteRightToLeft(w, text, count);
    else
        WriteLeftToRight(w, text, count);
    out[w.n] = 0;
    if (unitsOut) *unitsOut = w.n;
    return out;
}

void ReadingPlaces(const uint8_t* text, int32_t count, StoredDirection direction,
                   std::vector<int32_t>* places) {
    places->clear();
    Writer w{nullptr, 0, true};
    w.places = places;
    if (direction == StoredDirection::RightToLeft)
        WriteRightToLeft(w, text, count);
    else
        WriteLeftToRight(w, text, count);
}
