#include "shell/access_panes.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "book_encoding.h"
#include "platform/access/access.h"
#include "platform/unicode.h"
#include "reader/app_state.h"
#include "reader/panes.h"
#include "reader/selection.h"
#include "store/records.h"
#include "text/pane_geometry.h"
#include "text/text_pane.h"

namespace {

constexpr uint8_t kParagraphEnd = 0x80;
constexpr uint8_t kRightToLeft = 0x10;

// Where a record's text went in the pane's text.
struct RecordSpan {
    uint16_t start, end;  // its stored bytes, as offsets into the list
    int first;            // code point of its first character in reading order
    bool rightToLeft;
    uint8_t style;
};

// The article of one pane, in reading order: each text record a line of its own (rules have no
// text), as the book's expanded text shows it.
struct PaneText {
    uint64_t stamp = 0;
    std::u16string text;
    std::vector<RecordSpan> records;
    // Where each stored byte's character starts in reading order (-1: no character of the
    // text), and the stored byte of each code point (kNoByte for the newlines).
    std::vector<int> readingOf;
    std::vector<uint16_t> byteOf;
};

constexpr uint16_t kNoByte = 0xFFFF;

// What the caret of a pane is: the start of the first line shown, until a screen reader puts
// it elsewhere; it goes back there when the reader scrolls the pane or loads another article.
struct PaneCaret {
    uint64_t stamp = 0;
    uint16_t firstRow = 0;
    int placed = -1;  // where the screen reader put it, while the pane stays where it was
    uint16_t markStart = 0, markEnd = 0;  // the highlight it was last seen with
};

constexpr uint8_t kTitleStyle = 0xDC;
constexpr uint8_t kSubtitleStyle = 0xD1;

// The article's title, and its subtitle after it, as the banner shows them after a search hit:
// what a screen reader says when the pane's article changes.
std::u16string TitleOf(const PaneText& t) {
    std::u16string title;
    size_t line = 0, at = 0;
    for (const RecordSpan& r : t.records) {
        size_t end = t.text.find(u'\n', at);
        if (end == std::u16string::npos) break;
        bool wanted =
            (line == 0 && r.style == kTitleStyle) || (line == 1 && r.style == kSubtitleStyle);
        if (!wanted) break;
        title += (title.empty() ? u"" : u", ") + t.text.substr(at, end - at);
        at = end + 1;
        ++line;
    }
    return title;
}

PaneText gTexts[2];
PaneCaret gCarets[2];

std::u32string Decode(const uint8_t* bytes, size_t count, bool rightToLeft) {
    return DecodeBookText(bytes, count, rightToLeft ? StoredOrder::Display : StoredOrder::Reading);
}

size_t ListLength(const uint8_t* list) {
    const uint8_t* r = list;
    while (!IsArticleListEnd(r)) r = NextArticleRecord(r);
    return size_t(r - list) + 2;
}

// The text of a pane, built again only when its list's bytes changed.
const PaneText& TextOf(const TextPane* pane, int slot) {
    PaneText& t = gTexts[slot];
    if (!pane || !pane->text) {
        t = PaneText{};
        return t;
    }
    std::string_view bytes(reinterpret_cast<const char*>(pane->text), ListLength(pane->text));
    uint64_t stamp = std::hash<std::string_view>()(bytes) | 1;
    if (stamp == t.stamp) return t;
    t = PaneText{};
    t.stamp = stamp;
    std::u32string all;
    for (const uint8_t* r = pane->text; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        uint8_t style = ArticleRecordStyle(r);
        if (IsSeparatorStyle(style)) continue;
        const uint8_t* text = ArticleRecordText(r);
        size_t length = ArticleRecordTextLength(r);
        bool rtl = (style & kRightToLeft) != 0;
        t.records.push_back(RecordSpan{uint16_t(text - pane->text),
                                       uint16_t(text - pane->text + length), int(all.size()), rtl,
                                       style});
        // A byte's character counts as many code points alone as in its record, so a record's
        // places are sums of counts: from the end for a right-to-left record, whose last stored
        // byte is read first. (A number in such a record is read in stored order, so its
        // digits' places are mirrored within the number.)
        std::vector<int> counts(length);
        for (size_t k = 0; k < length; ++k) counts[k] = int(Decode(text + k, 1, rtl).size());
        size_t base = size_t(text - pane->text);
        if (t.readingOf.size() < base + length + 1) t.readingOf.resize(base + length + 1, -1);
        int at = int(all.size());
        for (size_t n = 0; n < length; ++n) {
            size_t k = rtl ? length - 1 - n : n;
            t.readingOf[base + k] = at;
            at += counts[k];
        }
        all += Decode(text, length, rtl);
        t.byteOf.resize(all.size(), kNoByte);
        for (size_t k = 0; k < length; ++k)
            for (int c = 0; c < counts[k]; ++c)
                if (size_t(t.readingOf[base + k] + c) < t.byteOf.size())
                    t.byteOf[size_t(t.readingOf[base + k] + c)] = uint16_t(base + k);
        all += U'\n';
        t.byteOf.push_back(kNoByte);
    }
    t.text = Utf8ToUtf16(EncodeUtf8(all));
    return t;
}

// The reading position of stored byte `offset` within the pane's text: for a right-to-left
// record the characters stored after it come first.
int ReadingOffset(const TextPane* pane, const PaneText& t, uint16_t offset) {
    for (const RecordSpan& r : t.records) {
        if (offset < r.start || offset > r.end) continue;
        size_t before = r.rightToLeft
                            ? Decode(pane->text + offset, r.end - offset, true).size()
                            : Decode(pane->text + r.start, offset - r.start, false).size();
        return r.first + int(before);
    }
    return -1;
}

TextPane* PaneOf(int index) {
    return index == 0 ? App.TopPane : App.BottomPane;
}

// Where the first character of a line's own bytes is read, or -1 when it has none.
int FirstRead(const PaneText& t, const LineEntry& line) {
    int first = -1;
    for (uint32_t b = line.offset; b < uint32_t(line.offset) + line.count; ++b)
        if (b < t.readingOf.size() && t.readingOf[b] >= 0)
            first = first < 0 ? t.readingOf[b] : std::min(first, t.readingOf[b]);
    return first;
}

// The reading-order offset where each of the pane's lines starts: a line's first character
// in reading order, a record's first line at the record's start (so that a label read before
// the text goes with it). One start a line, ascending.
std::vector<int> LineStartsOf(const PaneText& t, const std::vector<PaneLine>& lines) {
    std::vector<int> starts;
    size_t record = 0;
    bool recordStarted = false;
    for (const PaneLine& line : lines) {
        const LineEntry& e = *line.line;
        while (record < t.records.size() && e.offset > t.records[record].end) {
            ++record;
            recordStarted = false;
        }
        if (record >= t.records.size()) break;
        // The record's first line in the table is its first on the screen, whichever end of
        // the stored text it holds.
        if (!recordStarted) {
            recordStarted = true;
            starts.push_back(t.records[record].first);
            continue;
        }
        if (int first = FirstRead(t, e); first >= 0) starts.push_back(first);
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    if (starts.empty() || starts.front() != 0) starts.insert(starts.begin(), 0);
    return starts;
}

// The start of the first line the pane shows, or -1.
int FirstShownStart(const TextPane* pane, const PaneText& t) {
    std::vector<PaneLine> lines = PaneLines(pane);
    std::vector<int> starts = LineStartsOf(t, lines);
    for (const PaneLine& line : lines) {
        if (!line.shown) continue;
        int first = FirstRead(t, *line.line);
        if (first < 0) continue;
        auto it = std::upper_bound(starts.begin(), starts.end(), first);
        return it == starts.begin() ? 0 : *(it - 1);
    }
    return -1;
}

void Parts(HWND, std::vector<AccessPart>* out) {
    TextPane* active = App.ActivePane ? App.ActivePane : App.TopPane;
    for (int i = 0; i < 2; ++i) {
        TextPane* pane = PaneOf(i);
        AccessPart part;
        part.role = AccessRole::Document;
        part.name = i == 0 ? u"Top pane" : u"Bottom pane";
        part.hasText = true;
        if (pane && pane->width > 0 && pane->height > 0) {
            part.rect =
                RECT{pane->left, pane->top, pane->left + pane->width, pane->top + pane->height};
            part.states = kAccessFocusable | kAccessReadOnly | kAccessMultiLine;
            if (pane == active) part.states |= kAccessFocused;
            const PaneText& t = TextOf(pane, i);
            part.textStamp = t.stamp;
            part.description = TitleOf(t);
            PaneCaret& caret = gCarets[i];
            if (caret.stamp != t.stamp || caret.firstRow != pane->firstRow ||
                caret.markStart != pane->markStart || caret.markEnd != pane->markEnd) {
                caret = PaneCaret{t.stamp, pane->firstRow, -1, pane->markStart, pane->markEnd};
                // A search hit: the caret stands at the word found, so its line is read.
                if (pane->markEnd > pane->markStart) {
                    int a = ReadingOffset(pane, t, pane->markStart);
                    int b = ReadingOffset(pane, t, pane->markEnd);
                    if (a >= 0 && b >= 0) caret.placed = std::min(a, b);
                }
            }
            part.caret = caret.placed >= 0 ? caret.placed : FirstShownStart(pane, t);
            ReadingRange chosen{};
            if (SelectionRange(pane, &chosen)) {
                // The reader's selection counts in the same reading offsets as this text.
                part.selectionStart = chosen.from;
                part.selectionEnd = chosen.to;
            } else if (pane->markEnd > pane->markStart) {
                int a = ReadingOffset(pane, t, pane->markStart);
                int b = ReadingOffset(pane, t, pane->markEnd);
                if (a >= 0 && b >= 0) {
                    part.selectionStart = std::min(a, b);
                    part.selectionEnd = std::max(a, b);
                }
            }
        }
        out->push_back(std::move(part));
    }
}

std::u16string Text(HWND, int index) {
    TextPane* pane = PaneOf(index);
    return pane ? TextOf(pane, index).text : std::u16string();
}

std::vector<int> LineStarts(HWND, int index) {
    TextPane* pane = PaneOf(index);
    if (!pane || !pane->text) return {0};
    return LineStartsOf(TextOf(pane, index), PaneLines(pane));
}

// The stored byte of the character at `offset`; a newline answers for the character before it.
int ByteAt(const PaneText& t, int offset) {
    if (offset < 0 || size_t(offset) >= t.byteOf.size()) return -1;
    if (t.byteOf[size_t(offset)] == kNoByte)
        return offset > 0 && t.byteOf[size_t(offset) - 1] != kNoByte ? t.byteOf[size_t(offset) - 1]
                                                                     : -1;
    return t.byteOf[size_t(offset)];
}

bool CharacterBox(HWND, int index, int offset, RECT* box) {
    TextPane* pane = PaneOf(index);
    if (!pane || !pane->text) return false;
    int byte = ByteAt(TextOf(pane, index), offset);
    return byte >= 0 && PaneByteBox(pane, PaneLines(pane), uint16_t(byte), box);
}

int OffsetAt(HWND, int index, POINT point) {
    TextPane* pane = PaneOf(index);
    if (!pane || !pane->text) return -1;
    int byte = PaneByteAt(pane, PaneLines(pane), point.x, point.y);
    const PaneText& t = TextOf(pane, index);
    return byte >= 0 && size_t(byte) < t.readingOf.size() ? t.readingOf[size_t(byte)] : -1;
}

// The caret goes where it is put, and the pane scrolls to show its line: a screen reader
// reading on (Say All) turns the pages as it goes.
bool SetCaret(HWND window, int index, int offset) {
    TextPane* pane = PaneOf(index);
    if (!pane || !pane->text) return false;
    const PaneText& t = TextOf(pane, index);
    if (offset < 0 || size_t(offset) > t.byteOf.size()) return false;
    int byte = ByteAt(t, offset);
    if (byte >= 0 && ScrollPaneToByte(pane, uint16_t(byte))) {
        RepaintPanes(window, kEraseTop | (index == 0 ? kPaintTop : kPaintBottom));
        UpdateScrollBars();
    }
    gCarets[index] = PaneCaret{t.stamp, pane->firstRow, offset, pane->markStart, pane->markEnd};
    return true;
}

const AccessProvider kPanes{Parts, Text, LineStarts, CharacterBox, OffsetAt, SetCaret};

}  // namespace

void ExposePanes(HWND mainWindow) {
    SetAccessProvider(mainWindow, &kPanes);
}
