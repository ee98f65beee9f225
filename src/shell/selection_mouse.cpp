#include "shell/selection_mouse.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "export/export_article.h"
#include "platform/user/clipboard.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "reader/panes.h"
#include "reader/selection.h"
#include "text/pane_geometry.h"
#include "text/scroll.h"
#include "text/text_pane.h"

namespace {

// A press that moves further than this, either way, drags a selection instead of tapping.
constexpr int kDragDistance = 4;
// Beyond the pane's edge the pane scrolls a row at each move, and a row more for every this
// many pixels further out.
constexpr int kScrollPixelsPerRow = 24;

// The press the pointer holds.
struct Press {
    bool held = false;
    bool dragging = false;  // moved, or a press that selected at once (a double click, Shift)
    TextPane* pane = nullptr;
    POINT at{};
    int32_t offset = -1;  // the character pressed on
};
Press gPress;

// The last tap, which paged: a double click's first click is such a tap, and its second press
// takes the page back before selecting a word.
struct Tap {
    TextPane* pane = nullptr;
    uint16_t firstRowBefore = 0;
    uint16_t firstRowAfter = 0;
};
Tap gTap;

bool Contains(const TextPane* pane, int x, int y) {
    return pane && pane->text && x >= pane->left && x < pane->left + pane->width &&
           y >= pane->top && y < pane->top + pane->height;
}

TextPane* PaneAt(int x, int y) {
    if (Contains(App.TopPane, x, y)) return App.TopPane;
    if (Contains(App.BottomPane, x, y)) return App.BottomPane;
    return nullptr;
}

// The character at a point of the pane, taken on the nearest line shown when the point is
// between lines or beyond the text; -1 when the pane shows no text.
int32_t CharacterAt(TextPane* pane, int x, int y) {
    std::vector<PaneLine> lines = PaneLines(pane);
    y = std::clamp(y, int(pane->top), int(pane->top + pane->height - 1));
    int byte = PaneByteAt(pane, lines, x, y);
    if (byte < 0) {
        const PaneLine* nearest = nullptr;
        int32_t best = 0;
        for (const PaneLine& l : lines) {
            if (!l.shown) continue;
            int32_t d = y < l.top ? l.top - y : std::max(0, y - (l.top + l.line->height - 1));
            if (!nearest || d < best) {
                nearest = &l;
                best = d;
            }
        }
        if (!nearest) return -1;
        byte = PaneByteAt(pane, lines, x, nearest->top);
    }
    if (byte < 0) return -1;
    // A point shares its letter's cell; the letter is the character there.
    int32_t at = ReadingOffsetOf(ReadingOf(pane), uint16_t(byte));
    return at < 0 ? -1 : CharacterStart(pane, at);
}

void RepaintPane(HWND window, const TextPane* pane) {
    RepaintPanes(window, pane == App.TopPane ? kEraseTop | kPaintTop : kEraseTop | kPaintBottom);
}

// Selects from the character `from` to the character `to`, both included, whichever comes
// first in reading.
void SelectCharacters(TextPane* pane, int32_t from, int32_t to) {
    if (to >= from)
        SetSelection(pane, from, CharacterEnd(pane, to));
    else
        SetSelection(pane, CharacterEnd(pane, from), to);
}

// Scrolls the pane while the pointer is held beyond its top or bottom; true when it moved.
bool ScrollBeyondEdge(HWND window, TextPane* pane, int y) {
    int beyond = y < pane->top                   ? y - pane->top
                 : y >= pane->top + pane->height ? y - (pane->top + pane->height - 1)
                                                 : 0;
    if (beyond == 0) return false;
    int rows = 1 + std::abs(beyond) / kScrollPixelsPerRow;
    uint16_t before = pane->firstRow;
    ScrollPane(pane, beyond < 0 ? -rows : rows, false, true);
    if (pane->firstRow == before) return false;
    RepaintPane(window, pane);
    return true;
}

void SelectRange(TextPane* pane, ReadingRange range) {
    SetSelection(pane, range.from, range.to);
}

}  // namespace

void OnPointerDown(HWND window, WPARAM wp, LPARAM lp) {
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    int clicks = HIWORD(wp) ? HIWORD(wp) : 1;
    TextPane* pane = PaneAt(x, y);
    gPress = Press{true, false, pane, POINT{x, y}, -1};
    SetCapture(window);
    if (!pane) return;
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const Selection* s = SelectionOf(pane);
    if (shift && s && s->anchor != s->active) {
        // Shift+click moves the end that is not the anchor.
        int32_t at = CharacterAt(pane, x, y);
        if (at >= 0) SetSelection(pane, s->anchor, at >= s->anchor ? CharacterEnd(pane, at) : at);
        gPress.dragging = true;
        return;
    }
    if (clicks >= 2) {
        // The first click paged; the page the reader clicked on comes back.
        if (clicks == 2 && gTap.pane == pane && pane->firstRow == gTap.firstRowAfter &&
            gTap.firstRowBefore != gTap.firstRowAfter) {
            pane->firstRow = gTap.firstRowBefore;
            RepaintPane(window, pane);
            UpdateScrollBars();
        }
        gTap = Tap{};
        int32_t at = CharacterAt(pane, x, y);
        if (at >= 0) SelectRange(pane, clicks == 2 ? WordAt(pane, at) : ParagraphAt(pane, at));
        gPress.dragging = true;
        return;
    }
    gPress.offset = CharacterAt(pane, x, y);
}

void OnPointerMove(HWND window, WPARAM, LPARAM lp) {
    if (!gPress.held || !gPress.pane || gPress.offset < 0) return;
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    if (!gPress.dragging) {
        if (std::abs(x - gPress.at.x) <= kDragDistance &&
            std::abs(y - gPress.at.y) <= kDragDistance)
            return;
        gPress.dragging = true;
    }
    TextPane* pane = gPress.pane;
    if (ScrollBeyondEdge(window, pane, y)) UpdateScrollBars();
    int32_t at = CharacterAt(pane, x, y);
    if (at >= 0) SelectCharacters(pane, gPress.offset, at);
}

void OnPointerUp(HWND window, WPARAM, LPARAM) {
    if (GetCapture() == window) ReleaseCapture();
    if (!gPress.held) return;
    Press press = gPress;
    gPress = Press{};
    if (press.dragging) return;
    // A tap: it clears the selection and pages as it always has.
    ClearSelections();
    TextPane* pane = PaneAt(press.at.x, press.at.y);
    uint16_t before = pane ? pane->firstRow : 0;
    TapPanes(window, press.at.x, press.at.y);
    gTap = pane ? Tap{pane, before, pane->firstRow} : Tap{};
}

LRESULT OnSelectionKey(HWND, WPARAM key) {
    bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (ctrl && key == 'A') {
        TextPane* pane = App.ActivePane ? App.ActivePane : App.TopPane;
        if (pane && pane->text) SetSelection(pane, 0, ReadingOf(pane).length);
        return 0;
    }
    if (key == VK_ESCAPE && !ctrl) {
        ReadingRange range{};
        if (!SelectionRange(App.TopPane, &range) && !SelectionRange(App.BottomPane, &range))
            return 1;  // Escape goes on to leave full screen
        ClearSelections();
        return 0;
    }
    return 1;
}

void OfferPrimarySelection() {
    for (TextPane* pane : {App.TopPane, App.BottomPane}) {
        ReadingRange range{};
        if (pane && SelectionRange(pane, &range)) {
            SetPrimarySelection(ExportedText(pane, &range));
            return;
        }
    }
    SetPrimarySelection(u"");
}
