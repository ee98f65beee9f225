#include "shell/access_panes.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "book_encoding.h"
#include "platform/access/access.h"
#include "platform/unicode.h"
#include "reader/app_state.h"
#include "store/records.h"
#include "text/text_pane.h"

namespace {

constexpr uint8_t kParagraphEnd = 0x80;
constexpr uint8_t kRightToLeft = 0x10;

// Where a record's text went in the pane's text.
struct RecordSpan {
    uint16_t start, end;  // its stored bytes, as offsets into the list
    int first;            // code point of its first character in reading order
    bool rightToLeft;
};

// The article of one pane, in reading order: each text record a line of its own (rules have no
// text), as the book's expanded text shows it.
struct PaneText {
    uint64_t stamp = 0;
    std::u16string text;
    std::vector<RecordSpan> records;
};

PaneText gTexts[2];

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
                                       uint16_t(text - pane->text + length), int(all.size()), rtl});
        all += Decode(text, length, rtl);
        all += U'\n';
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

// The first line the pane shows (a line of text, not a rule), or nullptr.
const LineEntry* FirstShownLine(const TextPane* pane) {
    if (!pane->lines) return nullptr;
    uint32_t first = pane->firstRow > pane->rowCount ? pane->maxFirstRow : pane->firstRow;
    const LineEntry* line = pane->lines;
    for (uint32_t row = 0; row < first && line->style != 0; ++line)
        row += (line->style & kParagraphEnd) ? 2 : 1;
    while (line->style != 0 && IsSeparatorStyle(line->style)) ++line;
    return line->style != 0 ? line : nullptr;
}

TextPane* PaneOf(int index) {
    return index == 0 ? App.TopPane : App.BottomPane;
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
            const LineEntry* line = FirstShownLine(pane);
            // A right-to-left line is read from its last stored byte.
            if (line) {
                bool rtl = (line->style & kRightToLeft) != 0;
                part.caret = ReadingOffset(
                    pane, t, uint16_t(rtl ? line->offset + line->count : line->offset));
            }
            if (pane->markEnd > pane->markStart) {
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

const AccessProvider kPanes{Parts, Text};

}  // namespace

void ExposePanes(HWND mainWindow) {
    SetAccessProvider(mainWindow, &kPanes);
}
