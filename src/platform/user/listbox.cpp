// LISTBOX: a single-selection list of strings, sorted or in the order added, scrolled by its
// own vertical bar, the wheel and the keys, selected by taps, keys and prefix search.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/unicode.h"
#include "platform/user/controls.h"
#include "platform/user/dialog.h"
#include "platform/user/screen_colours.h"
#include "platform/user/window_internal.h"

namespace {

struct Item {
    std::u16string text;
    intptr_t data = 0;
};

struct ListState {
    std::vector<Item> items;
    int selected = -1;
    int top = 0;       // the first visible item
    int tracked = -1;  // the item under the stylus while it is down
    bool tracking = false;
    bool hasBar = false;  // made with WS_VSCROLL: the bar shows whenever the items overflow
};

ListState* StateOf(HWND w) {
    return static_cast<ListState*>(w->control);
}
int Count(HWND w) {
    return int(StateOf(w)->items.size());
}

int ItemHeight(HWND w) {
    HDC dc = GetDC(w);
    if (w->font) SelectObject(dc, w->font);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    ReleaseDC(w, dc);
    return std::max(1, int(tm.tmHeight));
}

// Whole items that fit; at least one.
int PageSize(HWND w) {
    return std::max(1, int(wm::ClientRectOf(w).bottom) / ItemHeight(w));
}

int MaxTop(HWND w) {
    return std::max(0, Count(w) - PageSize(w));
}

// Keeps the bar in step with the items: it shows only while they do not all fit.
void UpdateScrollBar(HWND w) {
    if (!StateOf(w)->hasBar) return;
    SCROLLINFO si{sizeof si,
                  SIF_RANGE | SIF_PAGE | SIF_POS,
                  0,
                  std::max(0, Count(w) - 1),
                  UINT(PageSize(w)),
                  StateOf(w)->top,
                  0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
}

void SetTop(HWND w, int top) {
    ListState* s = StateOf(w);
    top = std::clamp(top, 0, MaxTop(w));
    if (top == s->top) return;
    s->top = top;
    UpdateScrollBar(w);
    InvalidateRect(w, nullptr, TRUE);
}

void ShowItem(HWND w, int index) {
    ListState* s = StateOf(w);
    if (index < 0) return;
    if (index < s->top)
        SetTop(w, index);
    else if (index >= s->top + PageSize(w))
        SetTop(w, index - PageSize(w) + 1);
}

void Select(HWND w, int index) {
    ListState* s = StateOf(w);
    if (s->selected != index) {
        s->selected = index;
        InvalidateRect(w, nullptr, TRUE);
    }
    ShowItem(w, index);
}

void Notify(HWND w, WORD code) {
    if ((w->style & LBS_NOTIFY) && w->parent)
        SendMessage(w->parent, WM_COMMAND, MAKEWPARAM(w->id, code), LPARAM(w));
}

int Compare(const std::u16string& a, const std::u16string& b) {
    std::u16string la = LowerAscii(a), lb = LowerAscii(b);
    return la < lb ? -1 : la > lb ? 1 : 0;
}

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(std::u16string_view(text).substr(0, prefix.size()), prefix);
}

// The first item after `start` (from the top for -1), wrapping round, that begins with the
// text (or equals it, when exact); LB_ERR when there is none.
LRESULT Find(HWND w, int start, const char16_t* text, bool exact) {
    int n = Count(w);
    if (!text || n == 0) return LB_ERR;
    std::u16string want(text);
    if (start < -1 || start >= n) start = -1;
    for (int k = 1; k <= n; ++k) {
        int i = (start + k) % n;
        const std::u16string& t = StateOf(w)->items[size_t(i)].text;
        if (exact ? EqualsIgnoringCase(t, want) : StartsWith(t, want)) return i;
    }
    return LB_ERR;
}

// Inserts at `index` (-1: the end); returns where the item went.
LRESULT Insert(HWND w, int index, const char16_t* text) {
    ListState* s = StateOf(w);
    if (index < 0 || index > Count(w)) index = Count(w);
    s->items.insert(s->items.begin() + index, Item{text ? text : u"", 0});
    if (s->selected >= index) ++s->selected;
    UpdateScrollBar(w);
    InvalidateRect(w, nullptr, TRUE);
    return index;
}

// Adds in sorted place for LBS_SORT (after equal items), else at the end; returns the index.
LRESULT Add(HWND w, const char16_t* text) {
    std::u16string t = text ? text : u"";
    int index = Count(w);
    if (w->style & LBS_SORT) {
        auto& items = StateOf(w)->items;
        auto it = std::upper_bound(items.begin(), items.end(), t, [](const auto& v, const Item& e) {
            return Compare(v, e.text) < 0;
        });
        index = int(it - items.begin());
    }
    return Insert(w, index, t.c_str());
}

int ItemAt(HWND w, int y) {
    if (y < 0) return -1;
    int i = StateOf(w)->top + y / ItemHeight(w);
    return i < Count(w) ? i : -1;
}

void Paint(HWND w) {
    ListState* s = StateOf(w);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client = wm::ClientRectOf(w);
    FillRect(dc, &client, GetStockObject(WHITE_BRUSH));
    if (w->font) SelectObject(dc, w->font);
    int h = ItemHeight(w);
    bool enabled = IsWindowEnabled(w);
    const ChromeBand band = SelectionBand();
    for (int i = s->top, y = 0; i < Count(w) && y < client.bottom; ++i, y += h) {
        RECT r{0, y, client.right, y + h};
        bool sel = i == s->selected;
        if (sel) {
            HBRUSH fill = CreateSolidBrush(Colour(band.fill));
            FillRect(dc, &r, fill);
            DeleteObject(fill);
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, sel ? Colour(band.ink) : enabled ? RGB(0, 0, 0) : RGB(128, 128, 128));
        const std::u16string& t = s->items[size_t(i)].text;
        ExtTextOut(dc, 2, y, ETO_CLIPPED, &r, t.data(), UINT(t.size()), nullptr);
    }
    EndPaint(w, &ps);
}

// Moves the selection for a key and notifies; returns 0.
LRESULT KeyDown(HWND w, UINT vk) {
    ListState* s = StateOf(w);
    int n = Count(w), page = PageSize(w), cur = s->selected;
    if (n == 0) return 0;
    int next = cur;
    switch (vk) {
        case VK_UP:
            next = cur < 0 ? 0 : cur - 1;
            break;
        case VK_DOWN:
            next = cur + 1;
            break;
        case VK_PRIOR:
            next = cur < 0 ? 0 : cur - page + 1;
            break;
        case VK_NEXT:
            next = std::max(cur, 0) + page - 1;
            break;
        case VK_HOME:
            next = 0;
            break;
        case VK_END:
            next = n - 1;
            break;
        default:
            return 0;
    }
    next = std::clamp(next, 0, n - 1);
    if (next == cur) return 0;
    Select(w, next);
    Notify(w, LBN_SELCHANGE);
    return 0;
}

// A typed character selects the next item that begins with it.
LRESULT Char(HWND w, char16_t c) {
    if (c < 0x20) return 0;
    char16_t prefix[2] = {c, 0};
    LRESULT i = Find(w, StateOf(w)->selected, prefix, false);
    if (i != LB_ERR && i != StateOf(w)->selected) {
        Select(w, int(i));
        Notify(w, LBN_SELCHANGE);
    }
    return 0;
}

// Scroll requests from the list's own bar; returns 0.
LRESULT VScroll(HWND w, WORD code, int pos) {
    ListState* s = StateOf(w);
    switch (code) {
        case SB_LINEUP:
            SetTop(w, s->top - 1);
            break;
        case SB_LINEDOWN:
            SetTop(w, s->top + 1);
            break;
        case SB_PAGEUP:
            SetTop(w, s->top - PageSize(w));
            break;
        case SB_PAGEDOWN:
            SetTop(w, s->top + PageSize(w));
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            SetTop(w, pos);
            break;
        case SB_TOP:
            SetTop(w, 0);
            break;
        case SB_BOTTOM:
            SetTop(w, MaxTop(w));
            break;
    }
    return 0;
}

LRESULT ListBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    ListState* s = StateOf(w);
    switch (msg) {
        case WM_CREATE:
            w->control = new ListState;
            StateOf(w)->hasBar = w->style & WS_VSCROLL;
            UpdateScrollBar(w);
            return 0;
        case WM_DESTROY:
            delete s;
            w->control = nullptr;
            return 0;
        case WM_PAINT:
            Paint(w);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            SetTop(w, s->top);
            UpdateScrollBar(w);
            return 0;
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wp);
            UpdateScrollBar(w);
            if (LOWORD(uintptr_t(lp))) InvalidateRect(w, nullptr, TRUE);
            return 0;
        // Removes every item; returns 0.
        case LB_RESETCONTENT:
            s->items.clear();
            s->selected = -1;
            s->top = 0;
            UpdateScrollBar(w);
            InvalidateRect(w, nullptr, TRUE);
            return 0;
        // Returns the new item's index.
        case LB_ADDSTRING:
            return Add(w, reinterpret_cast<const char16_t*>(lp));
        case LB_INSERTSTRING:
            return Insert(w, int(wp), reinterpret_cast<const char16_t*>(lp));
        // Returns the number of items left, or LB_ERR for a bad index.
        case LB_DELETESTRING: {
            int i = int(wp);
            if (i < 0 || i >= Count(w)) return LB_ERR;
            s->items.erase(s->items.begin() + i);
            if (s->selected == i)
                s->selected = -1;
            else if (s->selected > i)
                --s->selected;
            SetTop(w, s->top);
            UpdateScrollBar(w);
            InvalidateRect(w, nullptr, TRUE);
            return Count(w);
        }
        case LB_GETCOUNT:
            return Count(w);
        // Returns the selected index, or LB_ERR when nothing is selected.
        case LB_GETCURSEL:
            return s->selected < 0 ? LB_ERR : s->selected;
        // Selects the item (-1: none) without notifying; LB_ERR for -1 or a bad index.
        case LB_SETCURSEL: {
            int i = int(wp);
            if (i < 0 || i >= Count(w)) {
                Select(w, -1);
                return LB_ERR;
            }
            Select(w, i);
            return i;
        }
        case LB_GETSEL: {
            int i = int(wp);
            if (i < 0 || i >= Count(w)) return LB_ERR;
            return i == s->selected ? 1 : 0;
        }
        // Copies the item's text with its terminator; returns its length, or LB_ERR.
        case LB_GETTEXT: {
            int i = int(wp);
            auto* out = reinterpret_cast<char16_t*>(lp);
            if (i < 0 || i >= Count(w) || !out) return LB_ERR;
            const std::u16string& t = s->items[size_t(i)].text;
            std::memcpy(out, t.data(), t.size() * 2);
            out[t.size()] = 0;
            return LRESULT(t.size());
        }
        case LB_GETTEXTLEN: {
            int i = int(wp);
            if (i < 0 || i >= Count(w)) return LB_ERR;
            return LRESULT(s->items[size_t(i)].text.size());
        }
        // Selects the first item after the given index (wrapping) that begins with the text,
        // without notifying; returns it, or LB_ERR with the selection unchanged.
        case LB_SELECTSTRING: {
            LRESULT i = Find(w, int(wp), reinterpret_cast<const char16_t*>(lp), false);
            if (i != LB_ERR) Select(w, int(i));
            return i;
        }
        case LB_FINDSTRING:
            return Find(w, int(wp), reinterpret_cast<const char16_t*>(lp), false);
        case LB_FINDSTRINGEXACT:
            return Find(w, int(wp), reinterpret_cast<const char16_t*>(lp), true);
        case LB_GETTOPINDEX:
            return s->top;
        case LB_SETTOPINDEX:
            if (int(wp) < 0 || int(wp) >= Count(w)) return LB_ERR;
            SetTop(w, int(wp));
            return LB_OKAY;
        case LB_GETITEMHEIGHT:
            return ItemHeight(w);
        case LB_GETITEMDATA:
            if (int(wp) < 0 || int(wp) >= Count(w)) return LB_ERR;
            return s->items[wp].data;
        case LB_SETITEMDATA:
            if (int(wp) < 0 || int(wp) >= Count(w)) return LB_ERR;
            s->items[wp].data = lp;
            return LB_OKAY;
        case WM_VSCROLL:
            return VScroll(w, LOWORD(wp), int16_t(HIWORD(wp)));
        case WM_MOUSEWHEEL: {
            int delta = int16_t(HIWORD(wp));
            SetTop(w, s->top - delta / 40);
            return 0;
        }
        case WM_KEYDOWN:
            return KeyDown(w, UINT(wp));
        case WM_CHAR:
            return Char(w, char16_t(wp));
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        // The stylus selects the item under it as it moves; LBN_SELCHANGE when it is lifted.
        case WM_LBUTTONDOWN: {
            if (GetFocus() != w) SetFocus(w);
            int i = ItemAt(w, GET_Y_LPARAM(lp));
            s->tracking = true;
            s->tracked = i;
            SetCapture(w);
            if (i >= 0) Select(w, i);
            return 0;
        }
        case WM_MOUSEMOVE: {
            if (!s->tracking) return 0;
            int y = GET_Y_LPARAM(lp);
            int i = y < 0 ? std::max(0, s->top - 1)
                          : std::min(Count(w) - 1,
                                     ItemAt(w, y) < 0 ? s->top + PageSize(w) : ItemAt(w, y));
            if (i >= 0 && i != s->selected) {
                s->tracked = i;
                Select(w, i);
            }
            return 0;
        }
        case WM_LBUTTONUP:
            if (!s->tracking) return 0;
            s->tracking = false;
            if (GetCapture() == w) ReleaseCapture();
            if (s->tracked >= 0) Notify(w, LBN_SELCHANGE);
            return 0;
        case WM_SETFOCUS:
            Notify(w, LBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            Notify(w, LBN_KILLFOCUS);
            return 0;
        case WM_ENABLE:
            InvalidateRect(w, nullptr, FALSE);
            return 0;
    }
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

WNDPROC ListBoxWindowProc() {
    return ListBoxProc;
}
