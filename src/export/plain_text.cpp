#include "export/plain_text.h"

#include "store/records.h"
#include "text/pane_reading.h"
#include "text/reading_order.h"
#include "text/style_font.h"

namespace {

constexpr uint8_t kParagraphGap = 0x80;
constexpr uint8_t kIndentMask = 63;

}  // namespace

int RuleDashCount(uint8_t parameter) {
    // Above 160 the parameter counts pairs of dashes: 170 gives 20.
    return parameter <= 160 ? parameter : 2 * (parameter - 160);
}

// The sums are kept in size_t, so no article can wrap them.
size_t PlainTextBufferSize(const uint8_t* article, DirectionMarks marks) {
    size_t length = 0, records = 0, dashes = 0, indents = 0, leftToRight = 0;
    const uint8_t* r = article;
    for (; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        uint8_t style = ArticleRecordStyle(r);
        records += (style & kParagraphGap) ? 2 : 1;
        if (IsSeparatorStyle(style))
            dashes += size_t(RuleDashCount(ArticleRecordIndent(r)));
        else
            indents += ArticleRecordIndent(r) & kIndentMask;
        if (!IsSeparatorStyle(style) && !(style & kRightToLeft)) ++leftToRight;
    }
    length = size_t(r - article);
    if (marks == DirectionMarks::None) leftToRight = 0;
    return 2 * (length + length / 2 + 2 * records + dashes + indents + leftToRight + 1);
}

int BuildPlainText(const uint8_t* article, char16_t* out, size_t bufferSize, DirectionMarks marks,
                   const ReadingRange* range) {
    const size_t capacity = bufferSize / 2;
    size_t used = 0;
    // Room for n more units and the terminating 0 that must still follow them.
    auto fits = [&](size_t n) { return used + n + 1 <= capacity; };
    auto put = [&](char16_t c, size_t n) {
        for (size_t i = 0; i < n; ++i) out[used++] = c;
    };
    // A range takes, of each text record, its places and its line end (with the indent and the
    // paragraph gap) that lie in it; a rule goes with the place after it (the next record's
    // first, or the article's end), and with the range only when the range reaches it from
    // before. The whole article takes everything.
    ArticleReading reading;
    if (range) reading = ReadArticle(article);
    size_t next = 0;  // the next text record in `reading`
    for (const uint8_t* r = article; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        uint8_t style = ArticleRecordStyle(r);
        uint8_t parameter = ArticleRecordIndent(r);
        bool lineEnd = true;
        if (IsSeparatorStyle(style)) {
            if (range) {
                int32_t p =
                    next < reading.records.size() ? reading.records[next].first : reading.length;
                bool reached = range->from < p || (p == 0 && range->from == 0);
                if (!reached || p > range->to || range->to <= range->from) continue;
            }
            size_t dashes = size_t(RuleDashCount(parameter));
            if (!fits(dashes)) return kPlainTextTooLong;
            put(u'-', dashes);
        } else {
            int32_t bytes = int32_t(ArticleRecordTextLength(r));
            int32_t from = 0, to = INT32_MAX;
            if (range) {
                const ReadingRecord& rec = reading.records[next++];
                PlacesIn(rec, *range, &from, &to);
                lineEnd = rec.lineEnd >= range->from && rec.lineEnd < range->to;
                if (from == to && !lineEnd) continue;
            }
            // The book stores a right-to-left record in display order: turned round, except
            // for its numbers, which it keeps as they read.
            StoredDirection direction = (style & kRightToLeft) ? StoredDirection::RightToLeft
                                                               : StoredDirection::LeftToRight;
            int32_t count = 0;
            const char16_t* units = ConvertReadingOrderPart(ArticleRecordText(r), bytes, direction,
                                                            from, to, SharedConvertCache(), &count);
            if (!units) return kPlainTextNoMemory;
            size_t n = size_t(count);
            size_t indent = lineEnd ? parameter & kIndentMask : 0;
            size_t mark = marks == DirectionMarks::LeftToRightLines &&
                                  direction == StoredDirection::LeftToRight && from < to
                              ? 1
                              : 0;
            if (!fits(mark + n + indent)) return kPlainTextTooLong;
            put(kLeftToRightLine, mark);
            for (size_t i = 0; i < n; ++i) out[used++] = units[i];
            put(u' ', indent);
        }
        if (!lineEnd) continue;
        size_t lineEnds = (style & kParagraphGap) ? 2 : 1;
        if (!fits(2 * lineEnds)) return kPlainTextTooLong;
        for (size_t i = 0; i < lineEnds; ++i) {
            out[used++] = u'\r';
            out[used++] = u'\n';
        }
    }
    if (!fits(0)) return kPlainTextTooLong;
    out[used] = 0;
    return kPlainTextDone;
}
