#include "text/pane_reading.h"

#include <algorithm>

#include "store/records.h"
#include "text/reading_order.h"
#include "text/style_font.h"

namespace {

// The code points a stored byte gives in Unicode, its letters' marks each one of their own: a
// presentation form is its letter with dagesh and the shin or sin dot, a letter that carries its
// vowel point is followed by it.
int32_t CodePointsOf(uint8_t b) {
    if (b >= 0x41 && b <= 0x44) return b >= 0x43 ? 3 : 2;  // shin, dagesh, its dot
    if (b >= 0x45 && b <= 0x57) return 2;                  // a letter with dagesh
    if (b == 0x14) return 2;                               // resh with dagesh
    if (b >= 0x10 && b <= 0x13) return (b & 1) ? 3 : 2;    // final kaf (dagesh), its point
    if (b == 0x58) return 2;                               // vav with holam
    if (b == 0x59) return 3;                               // lamed, dagesh, holam
    if (b == 0x5A) return 2;                               // lamed, holam
    return 1;
}

}  // namespace

ArticleReading ReadArticle(const uint8_t* list) {
    ArticleReading out;
    if (!list) return out;
    int32_t at = 0;
    std::vector<int32_t> places;
    for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        uint8_t style = ArticleRecordStyle(r);
        if (IsSeparatorStyle(style)) continue;
        const uint8_t* text = ArticleRecordText(r);
        int32_t length = int32_t(ArticleRecordTextLength(r));
        ReadingRecord rec{r,
                          uint16_t(text - list),
                          uint16_t(text - list + length),
                          (style & kRightToLeft) != 0,
                          {},
                          {},
                          at,
                          0};
        ReadingPlaces(text, length,
                      rec.rightToLeft ? StoredDirection::RightToLeft : StoredDirection::LeftToRight,
                      &places);
        for (size_t i = 0; i < places.size(); ++i) {
            rec.bytes.push_back(uint16_t(rec.start + places[i]));
            rec.at.push_back(at);
            at += CodePointsOf(text[places[i]]);
        }
        rec.lineEnd = at++;
        out.records.push_back(std::move(rec));
    }
    out.length = at;
    return out;
}

int32_t ReadingOffsetOf(const ArticleReading& reading, uint16_t offset) {
    for (const ReadingRecord& r : reading.records) {
        if (offset < r.start || offset >= r.end) continue;
        for (size_t i = 0; i < r.bytes.size(); ++i)
            if (r.bytes[i] == offset) return r.at[i];
    }
    return -1;
}

void PlacesIn(const ReadingRecord& r, ReadingRange range, int32_t* from, int32_t* to) {
    *from = int32_t(std::lower_bound(r.at.begin(), r.at.end(), range.from) - r.at.begin());
    *to = int32_t(std::lower_bound(r.at.begin(), r.at.end(), range.to) - r.at.begin());
    if (*to < *from) *to = *from;
}

namespace {

// The record whose places or line end hold `offset`, or nullptr.
const ReadingRecord* RecordAt(const ArticleReading& reading, int32_t offset) {
    for (const ReadingRecord& r : reading.records)
        if (offset >= r.first && offset <= r.lineEnd) return &r;
    return nullptr;
}

}  // namespace

int32_t PlaceLength(const ArticleReading& reading, int32_t offset) {
    const ReadingRecord* r = RecordAt(reading, offset);
    if (!r || offset == r->lineEnd) return 1;
    auto it = std::upper_bound(r->at.begin(), r->at.end(), offset);
    int32_t next = it == r->at.end() ? r->lineEnd : *it;
    return next - *(it - 1);
}

int32_t PlaceStart(const ArticleReading& reading, int32_t offset) {
    const ReadingRecord* r = RecordAt(reading, offset);
    if (!r || offset == r->lineEnd || r->at.empty()) return offset;
    auto it = std::upper_bound(r->at.begin(), r->at.end(), offset);
    return *(it - 1);
}
