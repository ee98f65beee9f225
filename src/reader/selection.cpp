#include "reader/selection.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <tuple>

#include "platform/gdi/gdi.h"
#include "platform/user/screen_colours.h"
#include "reader/app_state.h"
#include "reader/panes.h"
#include "store/records.h"
#include "text/convert.h"
#include "text/pane_geometry.h"
#include "text/text_pane.h"

namespace {

Selection gSelections[2];
void (*gChanged)() = nullptr;

// The article reading of each pane and what it was read from.
struct CachedReading {
    const uint8_t* text = nullptr;
    uint64_t stamp = 0;
    ArticleReading reading;
};
CachedReading gReadings[3];

int SlotOf(const TextPane* pane) {
    if (!pane) return -1;
    if (pane == App.TopPane) return 0;
    if (pane == App.BottomPane) return 1;
    return -1;
}

uint64_t StampOf(const uint8_t* list) {
    const uint8_t* r = list;
    while (!IsArticleListEnd(r)) r = NextArticleRecord(r);
    std::string_view bytes(reinterpret_cast<const char*>(list), size_t(r - list));
    return std::hash<std::string_view>()(bytes) | 1;
}

void Repaint(int slot) {
    if (!App.MainWindow) return;
    RepaintPanes(App.MainWindow, slot == 0 ? kEraseTop | kPaintTop : kEraseTop | kPaintBottom);
}

// Letters, their points, digits and the ' and " of abbreviations; not spaces nor the marks that
// end a word.
bool IsWordByte(uint8_t b) {
    return b > ' ' && !std::strchr(",.;:!?()[]-", b);
}

}  // namespace

const Selection* SelectionOf(const TextPane* pane) {
    int slot = SlotOf(pane);
    return slot < 0 ? nullptr : &gSelections[slot];
}

bool SelectionRange(const TextPane* pane, ReadingRange* range) {
    const Selection* s = SelectionOf(pane);
    if (!s || s->anchor == s->active || !pane->text) return false;
    *range = ReadingRange{std::min(s->anchor, s->active), std::max(s->anchor, s->active)};
    return true;
}

void SetSelection(TextPane* pane, int32_t anchor, int32_t active) {
    int slot = SlotOf(pane);
    if (slot < 0 || !pane->text) return;
    int32_t length = ReadingOf(pane).length;
    anchor = std::clamp(anchor, 0, length);
    active = std::clamp(active, 0, length);
    bool changed = false;
    for (int other = 0; other < 2; ++other) {
        Selection& s = gSelections[other];
        Selection next = other == slot ? Selection{anchor, active} : Selection{};
        bool was = s.anchor != s.active, now = next.anchor != next.active;
        if (!was && !now) {
            s = next;
            continue;
        }
        if (was == now && s.anchor == next.anchor && s.active == next.active) continue;
        bool sameStretch = was && now &&
                           std::min(s.anchor, s.active) == std::min(next.anchor, next.active) &&
                           std::max(s.anchor, s.active) == std::max(next.anchor, next.active);
        s = next;
        if (sameStretch) continue;
        changed = true;
        Repaint(other);
    }
    if (changed && gChanged) gChanged();
}

void ClearSelections() {
    bool changed = false;
    for (int slot = 0; slot < 2; ++slot) {
        Selection& s = gSelections[slot];
        bool had = s.anchor != s.active;
        s = Selection{};
        if (had) {
            changed = true;
            Repaint(slot);
        }
    }
    if (changed && gChanged) gChanged();
}

const ArticleReading& ReadingOf(const TextPane* pane) {
    int slot = SlotOf(pane);
    CachedReading& c = gReadings[slot < 0 ? 2 : slot];
    if (!pane || !pane->text) {
        c = CachedReading{};
        return c.reading;
    }
    uint64_t stamp = StampOf(pane->text);
    if (c.text != pane->text || c.stamp != stamp) {
        c.text = pane->text;
        c.stamp = stamp;
        c.reading = ReadArticle(pane->text);
    }
    return c.reading;
}

namespace {

// The record holding `offset` among its places or at its line end, and the place's index
// (the record's place count at the line end); nullptr past the text.
const ReadingRecord* PlaceOf(const ArticleReading& reading, int32_t offset, size_t* place) {
    for (const ReadingRecord& r : reading.records) {
        if (offset < r.first || offset > r.lineEnd) continue;
        auto it = std::upper_bound(r.at.begin(), r.at.end(), offset);
        *place =
            offset == r.lineEnd || it == r.at.begin() ? r.at.size() : size_t(it - r.at.begin()) - 1;
        return &r;
    }
    return nullptr;
}

int32_t OffsetOfPlace(const ReadingRecord& r, size_t place) {
    return place < r.at.size() ? r.at[place] : r.lineEnd;
}

}  // namespace

int32_t CharacterEnd(const TextPane* pane, int32_t offset) {
    const ArticleReading& reading = ReadingOf(pane);
    size_t place = 0;
    const ReadingRecord* r = PlaceOf(reading, offset, &place);
    if (!r) return offset;
    if (place >= r->at.size()) return r->lineEnd + 1;
    ++place;
    while (place < r->bytes.size() && IsPointByte(pane->text[r->bytes[place]])) ++place;
    return OffsetOfPlace(*r, place);
}

int32_t CharacterStart(const TextPane* pane, int32_t offset) {
    const ArticleReading& reading = ReadingOf(pane);
    size_t place = 0;
    const ReadingRecord* r = PlaceOf(reading, offset, &place);
    if (!r || place >= r->at.size()) return offset;
    while (place > 0 && IsPointByte(pane->text[r->bytes[place]])) --place;
    return r->at[place];
}

ReadingRange WordAt(const TextPane* pane, int32_t offset) {
    const ArticleReading& reading = ReadingOf(pane);
    size_t place = 0;
    const ReadingRecord* r = PlaceOf(reading, offset, &place);
    if (!r) return ReadingRange{offset, offset};
    if (place >= r->at.size()) return ReadingRange{r->lineEnd, r->lineEnd + 1};
    auto word = [&](size_t i) { return IsWordByte(pane->text[r->bytes[i]]); };
    auto point = [&](size_t i) { return IsPointByte(pane->text[r->bytes[i]]); };
    // Back to the character's letter: a point is read after it.
    while (place > 0 && point(place)) --place;
    if (!word(place))
        return ReadingRange{OffsetOfPlace(*r, place), CharacterEnd(pane, r->at[place])};
    size_t from = place, to = place + 1;
    while (from > 0 && (word(from - 1) || point(from - 1))) --from;
    while (to < r->bytes.size() && (word(to) || point(to))) ++to;
    return ReadingRange{OffsetOfPlace(*r, from), OffsetOfPlace(*r, to)};
}

ReadingRange ParagraphAt(const TextPane* pane, int32_t offset) {
    const ArticleReading& reading = ReadingOf(pane);
    size_t place = 0;
    const ReadingRecord* r = PlaceOf(reading, offset, &place);
    if (!r) return ReadingRange{offset, offset};
    return ReadingRange{r->first, r->lineEnd};
}

void SetSelectionListener(void (*changed)()) {
    gChanged = changed;
}

namespace {

// On the red screen a search hit is a bright block with dark letters, which is what inverted
// cells become there too; so there the selection is a bright frame round each row's run of
// selected cells, its letters left as they are. The frame is drawn in the day picture's black,
// which the red screen shows brightest, and thickens with the letters.
void FrameSelection(HDC dc, const std::set<std::tuple<int32_t, int32_t, int32_t, int32_t>>& cells) {
    std::map<std::pair<int32_t, int32_t>, std::pair<int32_t, int32_t>> rows;  // top, bottom: run
    for (const auto& [left, top, right, bottom] : cells) {
        auto [at, added] = rows.try_emplace({top, bottom}, left, right);
        if (!added) {
            at->second.first = std::min(at->second.first, left);
            at->second.second = std::max(at->second.second, right);
        }
    }
    HBRUSH ink = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (const auto& [span, run] : rows) {
        const auto [top, bottom] = span;
        const auto [left, right] = run;
        const int32_t t = std::max<int32_t>(1, (bottom - top) / 14);
        const RECT edges[] = {{left, top, right, top + t},
                              {left, bottom - t, right, bottom},
                              {left, top, left + t, bottom},
                              {right - t, top, right, bottom}};
        for (const RECT& edge : edges) FillRect(dc, &edge, ink);
    }
}

}  // namespace

void PaintSelection(TextPane* pane) {
    ReadingRange range{};
    if (!SelectionRange(pane, &range) || !pane->surface) return;
    const ArticleReading& reading = ReadingOf(pane);
    std::vector<PaneLine> lines = PaneLines(pane);
    // A letter and its points, or the bytes of a label, share one cell: each cell is inverted
    // once.
    std::set<std::tuple<int32_t, int32_t, int32_t, int32_t>> cells;
    // Only the stored bytes of the lines shown can have a cell.
    uint32_t shownFrom = UINT32_MAX, shownTo = 0;
    for (const PaneLine& l : lines) {
        if (!l.shown) continue;
        shownFrom = std::min<uint32_t>(shownFrom, l.from);
        shownTo = std::max<uint32_t>(shownTo, l.to);
    }
    for (const ReadingRecord& r : reading.records) {
        if (r.lineEnd < range.from || r.first >= range.to) continue;
        if (r.end <= shownFrom || r.start >= shownTo) continue;
        int32_t from = 0, to = 0;
        PlacesIn(r, range, &from, &to);
        for (int32_t i = from; i < to; ++i) {
            uint16_t byte = r.bytes[size_t(i)];
            if (byte < shownFrom || byte >= shownTo) continue;
            RECT box{};
            if (PaneByteBox(pane, lines, byte, &box) && box.right > box.left)
                cells.insert({box.left, box.top, box.right, box.bottom});
        }
    }
    if (CurrentScreenColours() == ScreenColours::Red) {
        FrameSelection(pane->surface, cells);
        return;
    }
    for (const auto& [left, top, right, bottom] : cells) {
        RECT box{left, top, right, bottom};
        InvertRect(pane->surface, &box);
    }
}
