// EDIT: single- and multi-line text fields, left, centred or right aligned, scrolling to keep
// the caret in view, with a text limit, a selection, one level of undo and the clipboard.
// The text itself is the window's title, so WM_GETTEXT and inspection see it as it is.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/heap.h"
#include "platform/user/clipboard.h"
#include "platform/user/controls.h"
#include "platform/user/dialog.h"
#include "platform/user/screen_colours.h"
#include "platform/user/window_internal.h"

namespace {

constexpr int kMaxLimit = 0x7FFFFFFE;
constexpr int kMargin = 2;

struct Line {
    int start = 0;
    int end = 0;    // the line's text stops here; a line break after it is not part of it
    int width = 0;  // of the text from start to end, in pixels
};

struct EditState {
    int anchor = 0;  // the end of the selection that stays put
    int caret = 0;   // the end that moves; the caret stands before this unit
    int limit = kMaxLimit;
    std::u16string undoText;
    int undoAnchor = 0, undoCaret = 0;
    bool canUndo = false;
    bool modified = false;
    bool tracking = false;
    int xOffset = 0;    // pixels scrolled to the right
    int firstLine = 0;  // multi-line: the top visible line
    std::vector<Line> lines;
};

EditState* StateOf(HWND w) {
    return static_cast<EditState*>(w->control);
}
bool Multi(HWND w) {
    return w->style & ES_MULTILINE;
}
std::u16string& Text(HWND w) {
    return w->title;
}
int SelStart(HWND w) {
    return std::min(StateOf(w)->anchor, StateOf(w)->caret);
}
int SelEnd(HWND w) {
    return std::max(StateOf(w)->anchor, StateOf(w)->caret);
}

// The area the text is laid out in, inside the client area.
RECT FormatRect(HWND w) {
    RECT r = wm::ClientRectOf(w);
    return RECT{r.left + kMargin, r.top + 1, std::max(r.left + kMargin, r.right - kMargin),
                r.bottom};
}

// A device context with the field's font, for measuring.
struct Measure {
    explicit Measure(HWND w) : w_(w), dc_(GetDC(w)) {
        if (w->font) SelectObject(dc_, w->font);
        TEXTMETRIC tm;
        GetTextMetrics(dc_, &tm);
        lineHeight = std::max(1, int(tm.tmHeight));
    }
    ~Measure() { ReleaseDC(w_, dc_); }
    int Width(const char16_t* s, int n) {
        SIZE size;
        GetTextExtentPoint32(dc_, s, n, &size);
        return n > 0 ? int(size.cx) : 0;
    }
    HWND w_;
    HDC dc_;
    int lineHeight = 1;
};

// How many units from `start` (at most up to `end`) fit into `width`, measured in pieces so
// that a long paragraph is measured only as far as its line goes; `fitWidth` is their width and
// `all` tells whether every unit up to `end` fit.
int FitFrom(Measure& m, const char16_t* t, int start, int end, int width, int* fitWidth,
            bool* all) {
    constexpr int kPiece = 64;
    int fit = 0, used = 0;
    int dx[kPiece];
    for (int at = start; at < end;) {
        int n = std::min(kPiece, end - at), got = 0;
        GetTextExtentExPoint(m.dc_, t + at, n, width - used, &got, dx, nullptr);
        if (got > 0) used += dx[got - 1];
        fit += got;
        if (got < n) {
            *fitWidth = used;
            *all = false;
            return fit;
        }
        at += n;
    }
    *fitWidth = used;
    *all = true;
    return fit;
}

// Breaks the text into lines at line breaks and, unless the field scrolls sideways, where a
// line grows wider than the field: after the last space that fits, or else before the first
// unit that does not. Lines before `fromLine` are kept; from there on the text is laid out
// again until a line starts where one of the old layout did with the same text after it
// (shifted by `shift` units from `changeEnd` on), after which the old lines are kept, moved.
// Each line is measured once, so an edit costs the lines it changes, not the whole text.
void Layout(HWND w, int fromLine = 0, int changeEnd = 0, int shift = 0) {
    EditState* s = StateOf(w);
    const std::u16string& t = Text(w);
    int n = int(t.size());
    Measure m(w);
    if (!Multi(w)) {
        s->lines.assign(1, Line{0, n, m.Width(t.data(), n)});
        return;
    }
    RECT f = FormatRect(w);
    int width = f.right - f.left;
    bool wrap = !(w->style & ES_AUTOHSCROLL);
    std::vector<Line> old;
    fromLine = std::clamp(fromLine, 0, int(s->lines.size()));
    if (fromLine == 0) {
        old.swap(s->lines);
        shift = 0, changeEnd = 0;
        s->lines.clear();
    } else {
        old.assign(s->lines.begin() + fromLine, s->lines.end());
        s->lines.resize(size_t(fromLine));
    }
    bool resync = fromLine > 0;
    size_t oldAt = 0;
    int i = fromLine > 0 && !old.empty() ? old.front().start : 0;
    if (fromLine > 0 && old.empty()) i = s->lines.back().end;  // nothing after the kept lines
    int paragraphEnd = -1;
    for (;;) {
        // A line starting here in the new text started at `i - shift` in the old one, with the
        // same text after it: the old lines from there on are still right.
        if (resync && i >= changeEnd + shift && i > s->lines.back().start) {
            while (oldAt < old.size() && old[oldAt].start + shift < i) ++oldAt;
            if (oldAt < old.size() && old[oldAt].start + shift == i) {
                for (size_t k = oldAt; k < old.size(); ++k)
                    s->lines.push_back(
                        Line{old[k].start + shift, old[k].end + shift, old[k].width});
                return;
            }
        }
        int end = i;
        if (paragraphEnd >= i) {
            end = paragraphEnd;  // still in the paragraph left to look for old lines
        } else {
            while (end < n && t[end] != u'\r' && t[end] != u'\n') ++end;
            paragraphEnd = end;
        }
        int start = i;
        for (;;) {
            int used = 0;
            bool all = true;
            int fit = wrap ? FitFrom(m, t.data(), start, end, width, &used, &all) : end - start;
            if (all) {
                s->lines.push_back(Line{start, end, wrap ? used : m.Width(t.data() + start,
                                                                          end - start)});
                break;
            }
            fit = std::max(1, fit);
            int cut = start + fit;
            for (int k = cut; k > start; --k)
                if (t[k - 1] == u' ') {
                    cut = k;
                    break;
                }
            s->lines.push_back(Line{start, cut, m.Width(t.data() + start, cut - start)});
            start = cut;
            if (resync && start >= changeEnd + shift && start < end) {
                i = start;
                break;
            }
        }
        if (s->lines.back().end != end) continue;  // left mid-paragraph to look for old lines
        if (end >= n) break;
        i = end + ((t[end] == u'\r' && end + 1 < n && t[end + 1] == u'\n') ? 2 : 1);
    }
}

// The line holding `pos` (a position at a line's start belongs to that line).
int LineOf(HWND w, int pos) {
    const auto& lines = StateOf(w)->lines;
    if (lines.size() <= 1) return 0;
    auto it = std::upper_bound(lines.begin() + 1, lines.end(), pos,
                               [](int p, const Line& l) { return p < l.start; });
    return int(it - lines.begin()) - 1;
}

int VisibleLines(HWND w, int lineHeight) {
    RECT f = FormatRect(w);
    return std::max(1, int(f.bottom - f.top) / lineHeight);
}

// The x of the caret standing before `pos` on its line, in client pixels.
int XOf(HWND w, Measure& m, int pos) {
    EditState* s = StateOf(w);
    const Line& line = s->lines[size_t(LineOf(w, pos))];
    const char16_t* t = Text(w).data();
    RECT f = FormatRect(w);
    int width = f.right - f.left;
    int lineWidth = line.width;
    int align = 0;
    if (lineWidth < width) {
        if ((w->style & 3) == ES_RIGHT) align = width - lineWidth;
        if ((w->style & 3) == ES_CENTER) align = (width - lineWidth) / 2;
    }
    return f.left + align - s->xOffset + m.Width(t + line.start, pos - line.start);
}

// Scrolls so that the caret is inside the field.
void ScrollCaret(HWND w) {
    EditState* s = StateOf(w);
    Measure m(w);
    RECT f = FormatRect(w);
    int x = XOf(w, m, s->caret);
    if (x < f.left) s->xOffset -= f.left - x;
    if (x >= f.right) s->xOffset += x - f.right + 1;
    int widest = 0;
    for (const Line& l : s->lines) widest = std::max(widest, l.width);
    s->xOffset = std::clamp(s->xOffset, 0, std::max(0, widest - int(f.right - f.left) + 1));
    if (Multi(w)) {
        int line = LineOf(w, s->caret), shown = VisibleLines(w, m.lineHeight);
        if (line < s->firstLine) s->firstLine = line;
        if (line >= s->firstLine + shown) s->firstLine = line - shown + 1;
        s->firstLine = std::clamp(s->firstLine, 0, std::max(0, int(s->lines.size()) - 1));
    }
}

void Notify(HWND w, WORD code) {
    if (w->parent) SendMessage(w->parent, WM_COMMAND, MAKEWPARAM(w->id, code), LPARAM(w));
}

// Lays the text out again (after an edit only from `fromLine`, see Layout), keeps the caret in
// view, redraws and tells the parent when asked.
void Changed(HWND w, bool notify, int fromLine = 0, int changeEnd = 0, int shift = 0) {
    Layout(w, fromLine, changeEnd, shift);
    ScrollCaret(w);
    InvalidateRect(w, nullptr, FALSE);
    if (notify) {
        Notify(w, EN_UPDATE);
        Notify(w, EN_CHANGE);
    }
}

enum class Undo { Keep, Record };

// Puts `insert` where the selection is, as far as the limit (and, for a single-line field that
// does not scroll sideways, its width) allows; EN_MAXTEXT when some of it did not go in.
// Returns false when nothing changed.
bool ReplaceSelection(HWND w, std::u16string insert, Undo undo) {
    EditState* s = StateOf(w);
    std::u16string& t = Text(w);
    if (!Multi(w)) {
        size_t br = insert.find_first_of(u"\r\n");
        if (br != std::u16string::npos) insert.resize(br);
    }
    int start = SelStart(w), end = SelEnd(w);
    long room = long(s->limit) - long(t.size() - size_t(end - start));
    bool refused = false;
    if (long(insert.size()) > room) {
        insert.resize(size_t(std::max(0L, room)));
        refused = true;
    }
    if (!Multi(w) && !(w->style & ES_AUTOHSCROLL)) {
        // As much of the insertion as fits beside the rest of the text, measured once.
        Measure m(w);
        RECT f = FormatRect(w);
        int rest = m.Width(t.data(), start) + m.Width(t.data() + end, int(t.size()) - end);
        int used = 0;
        bool all = true;
        int fit = FitFrom(m, insert.data(), 0, int(insert.size()),
                          std::max(0, int(f.right - f.left) - rest), &used, &all);
        if (!all) {
            insert.resize(size_t(fit));
            refused = true;
        }
    }
    if (refused) Notify(w, EN_MAXTEXT);
    if (insert.empty() && start == end) return false;
    if (undo == Undo::Record) {
        s->undoText = t;
        s->undoAnchor = s->anchor;
        s->undoCaret = s->caret;
        s->canUndo = true;
    } else {
        s->canUndo = false;
    }
    // Lines two before the change can take a word from it (see Layout); those before stay.
    int fromLine = std::max(0, LineOf(w, start) - 2);
    int shift = int(insert.size()) - (end - start);
    t.replace(size_t(start), size_t(end - start), insert);
    s->anchor = s->caret = start + int(insert.size());
    s->modified = true;
    Changed(w, true, fromLine, end, shift);
    return true;
}

void SetSelection(HWND w, int anchor, int caret) {
    EditState* s = StateOf(w);
    int n = int(Text(w).size());
    s->anchor = std::clamp(anchor, 0, n);
    s->caret = std::clamp(caret, 0, n);
    ScrollCaret(w);
    InvalidateRect(w, nullptr, FALSE);
}

// The text position nearest to a client point.
int PositionAt(HWND w, int x, int y) {
    EditState* s = StateOf(w);
    Measure m(w);
    RECT f = FormatRect(w);
    int line = 0;
    if (Multi(w)) {
        line = s->firstLine + (y - int(f.top)) / m.lineHeight;
        line = std::clamp(line, 0, int(s->lines.size()) - 1);
    }
    const Line& l = s->lines[size_t(line)];
    int best = l.start, bestDist = 1 << 30;
    for (int p = l.start; p <= l.end; ++p) {
        int d = std::abs(XOf(w, m, p) - x);
        if (d < bestDist) best = p, bestDist = d;
    }
    return best;
}

void Paint(HWND w) {
    EditState* s = StateOf(w);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client = wm::ClientRectOf(w);
    FillRect(dc, &client, GetStockObject(WHITE_BRUSH));
    if (w->font) SelectObject(dc, w->font);
    Measure m(w);
    RECT f = FormatRect(w);
    const std::u16string& t = Text(w);
    bool enabled = IsWindowEnabled(w);
    int selStart = SelStart(w), selEnd = SelEnd(w);
    int shown = Multi(w) ? VisibleLines(w, m.lineHeight) : 1;
    for (int i = 0; i < shown; ++i) {
        size_t index = size_t(s->firstLine + i);
        if (!Multi(w)) index = 0;
        if (index >= s->lines.size()) break;
        const Line& l = s->lines[index];
        int y = f.top + i * m.lineHeight;
        RECT clip{f.left, y, f.right, std::min<LONG>(f.bottom, y + m.lineHeight)};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, enabled ? RGB(0, 0, 0) : RGB(128, 128, 128));
        ExtTextOut(dc, XOf(w, m, l.start), y, ETO_CLIPPED, &clip, t.data() + l.start,
                   UINT(l.end - l.start), nullptr);
        int a = std::max(selStart, l.start), b = std::min(selEnd, l.end);
        if (a < b && GetFocus() == w) {
            RECT band{std::max<LONG>(clip.left, XOf(w, m, a)), clip.top,
                      std::min<LONG>(clip.right, XOf(w, m, b)), clip.bottom};
            const ChromeBand selection = CaptionBand();
            SetBkColor(dc, Colour(selection.fill));
            SetBkMode(dc, OPAQUE);
            SetTextColor(dc, Colour(selection.ink));
            ExtTextOut(dc, XOf(w, m, a), y, ETO_CLIPPED | ETO_OPAQUE, &band, t.data() + a,
                       UINT(b - a), nullptr);
        }
    }
    if (GetFocus() == w && selStart == selEnd) {
        int line = LineOf(w, s->caret) - (Multi(w) ? s->firstLine : 0);
        if (line >= 0 && line < shown) {
            int x = std::clamp<int>(XOf(w, m, s->caret), f.left - 1, f.right - 1);
            RECT bar{x, f.top + line * m.lineHeight, x + 1,
                     std::min<LONG>(f.bottom, f.top + (line + 1) * m.lineHeight)};
            FillRect(dc, &bar, GetStockObject(BLACK_BRUSH));
        }
    }
    EndPaint(w, &ps);
}

// Copies the selection to the clipboard as text; false when there is none.
bool CopySelection(HWND w) {
    int a = SelStart(w), b = SelEnd(w);
    if (a == b || !OpenClipboard(w)) return false;
    EmptyClipboard();
    size_t bytes = size_t(b - a + 1) * 2;
    if (auto* block = static_cast<char16_t*>(LocalAlloc(LMEM_MOVEABLE, bytes))) {
        std::memcpy(block, Text(w).data() + a, bytes - 2);
        block[b - a] = 0;
        SetClipboardData(CF_UNICODETEXT, block);
    }
    CloseClipboard();
    return true;
}

void Paste(HWND w) {
    if (!OpenClipboard(w)) return;
    std::u16string text;
    if (const void* block = GetClipboardData(CF_UNICODETEXT)) {
        const auto* p = static_cast<const char16_t*>(block);
        size_t units = LocalSize(block) / 2;
        for (size_t i = 0; i < units && p[i]; ++i) text += p[i];
    }
    CloseClipboard();
    if (!text.empty()) ReplaceSelection(w, text, Undo::Record);
}

LRESULT DoUndo(HWND w) {
    EditState* s = StateOf(w);
    if (!s->canUndo) return FALSE;
    std::swap(Text(w), s->undoText);
    std::swap(s->anchor, s->undoAnchor);
    std::swap(s->caret, s->undoCaret);
    Changed(w, true);
    return TRUE;
}

// Moves the caret for a cursor key; Shift extends the selection.
void CursorKey(HWND w, UINT vk) {
    EditState* s = StateOf(w);
    int n = int(Text(w).size()), pos = s->caret;
    const auto& lines = s->lines;
    int line = LineOf(w, pos);
    switch (vk) {
        case VK_LEFT:
            pos = pos > 0 ? pos - 1 : 0;
            break;
        case VK_RIGHT:
            pos = std::min(n, pos + 1);
            break;
        case VK_HOME:
            pos = Multi(w) ? lines[size_t(line)].start : 0;
            break;
        case VK_END:
            pos = Multi(w) ? lines[size_t(line)].end : n;
            break;
        case VK_UP:
        case VK_DOWN: {
            int target = line + (vk == VK_UP ? -1 : 1);
            if (!Multi(w) || target < 0 || target >= int(lines.size())) return;
            Measure m(w);
            int x = XOf(w, m, pos);
            RECT f = FormatRect(w);
            pos = PositionAt(w, x, f.top + (target - s->firstLine) * m.lineHeight);
            break;
        }
    }
    // A caret never stands between CR and LF.
    if (pos > 0 && pos < n && Text(w)[pos - 1] == u'\r' && Text(w)[pos] == u'\n')
        pos += vk == VK_LEFT ? -1 : 1;
    bool extend = GetKeyState(VK_SHIFT) & 0x8000;
    SetSelection(w, extend ? s->anchor : pos, pos);
}

// Handles a key press; returns 0.
LRESULT KeyDown(HWND w, UINT vk) {
    EditState* s = StateOf(w);
    bool ctrl = GetKeyState(VK_CONTROL) & 0x8000;
    bool readOnly = w->style & ES_READONLY;
    if (ctrl) {
        switch (vk) {
            case 'A':
                SetSelection(w, 0, int(Text(w).size()));
                break;
            case 'C':
                SendMessage(w, WM_COPY, 0, 0);
                break;
            case 'X':
                SendMessage(w, WM_CUT, 0, 0);
                break;
            case 'V':
                SendMessage(w, WM_PASTE, 0, 0);
                break;
            case 'Z':
                SendMessage(w, WM_UNDO, 0, 0);
                break;
        }
        return 0;
    }
    switch (vk) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_HOME:
        case VK_END:
        case VK_UP:
        case VK_DOWN:
            CursorKey(w, vk);
            break;
        case VK_DELETE:
            if (readOnly) break;
            if (SelStart(w) == SelEnd(w)) {
                int n = int(Text(w).size());
                if (s->caret >= n) break;
                int next = s->caret + 1;
                if (Text(w)[s->caret] == u'\r' && next < n && Text(w)[next] == u'\n') ++next;
                s->anchor = next;
            }
            ReplaceSelection(w, u"", Undo::Record);
            break;
    }
    return 0;
}

// Handles a typed character; returns 0.
LRESULT Char(HWND w, char16_t c) {
    EditState* s = StateOf(w);
    if (w->style & ES_READONLY) return 0;
    if (c == 0x08) {
        if (SelStart(w) == SelEnd(w)) {
            if (s->caret == 0) return 0;
            int prev = s->caret - 1;
            if (prev > 0 && Text(w)[prev] == u'\n' && Text(w)[prev - 1] == u'\r') --prev;
            s->anchor = prev;
        }
        ReplaceSelection(w, u"", Undo::Record);
        return 0;
    }
    if (c == u'\r') {
        if (Multi(w)) ReplaceSelection(w, u"\r\n", Undo::Record);
        return 0;
    }
    if (c < 0x20 || c == 0x7F) return 0;
    ReplaceSelection(w, std::u16string(1, c), Undo::Record);
    return 0;
}

LRESULT EditProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    EditState* s = StateOf(w);
    switch (msg) {
        case WM_CREATE:
            w->control = new EditState;
            Layout(w);
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
            Layout(w);
            ScrollCaret(w);
            return 0;
        // Sets the font, lays the text out again and redraws when asked; returns 0.
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wp);
            Layout(w);
            ScrollCaret(w);
            if (LOWORD(uintptr_t(lp))) InvalidateRect(w, nullptr, TRUE);
            return 0;
        // Replaces the text, empties the selection and the undo; returns TRUE.
        case WM_SETTEXT: {
            auto* text = reinterpret_cast<const char16_t*>(lp);
            Text(w) = text ? text : u"";
            s->anchor = s->caret = 0;
            s->xOffset = s->firstLine = 0;
            s->canUndo = s->modified = false;
            Changed(w, !Multi(w));
            return TRUE;
        }
        // Start and end of the selection into the DWORDs given; returns both packed, or -1
        // when either does not fit into 16 bits.
        case EM_GETSEL: {
            DWORD a = DWORD(SelStart(w)), b = DWORD(SelEnd(w));
            if (wp) *reinterpret_cast<DWORD*>(wp) = a;
            if (lp) *reinterpret_cast<DWORD*>(lp) = b;
            return a > 0xFFFF || b > 0xFFFF ? -1 : LRESULT(MAKELPARAM(a, b));
        }
        // Selects from start to end (end -1: the end of the text; start -1: no selection, the
        // caret stays); the caret goes to the end given. Returns 0.
        case EM_SETSEL: {
            int start = int(wp), end = int(lp);
            if (start == -1) {
                SetSelection(w, s->caret, s->caret);
                return 0;
            }
            int n = int(Text(w).size());
            if (end < 0) end = n;
            if (start < 0) start = n;
            SetSelection(w, start, end);
            return 0;
        }
        // Replaces the selection; with a non-zero first parameter the change can be undone,
        // otherwise the undo is emptied. Returns 0.
        case EM_REPLACESEL: {
            auto* text = reinterpret_cast<const char16_t*>(lp);
            ReplaceSelection(w, text ? text : u"", wp ? Undo::Record : Undo::Keep);
            return 0;
        }
        // Limits what can be typed or inserted (0: the largest limit); the text already there
        // stays. Returns 0.
        case EM_LIMITTEXT:
            s->limit = wp == 0 || wp > WPARAM(kMaxLimit) ? kMaxLimit : int(wp);
            return 0;
        case EM_GETLIMITTEXT:
            return s->limit;
        case EM_CANUNDO:
            return s->canUndo;
        // Swaps the text with the one before the last undoable change; TRUE when there was one.
        case EM_UNDO:
        case WM_UNDO:
            return DoUndo(w);
        case EM_EMPTYUNDOBUFFER:
            s->canUndo = false;
            return 0;
        case EM_GETMODIFY:
            return s->modified;
        case EM_SETMODIFY:
            s->modified = wp != 0;
            return 0;
        case EM_GETLINECOUNT:
            return LRESULT(s->lines.size());
        // Where a line starts (-1: the caret's line); -1 for a line that does not exist.
        case EM_LINEINDEX: {
            int line = int(wp) == -1 ? LineOf(w, s->caret) : int(wp);
            return line >= 0 && line < int(s->lines.size()) ? s->lines[size_t(line)].start : -1;
        }
        case EM_GETFIRSTVISIBLELINE:
            return Multi(w) ? s->firstLine : 0;
        case EM_SCROLLCARET:
            ScrollCaret(w);
            InvalidateRect(w, nullptr, FALSE);
            return TRUE;
        case WM_COPY:
            CopySelection(w);
            return 0;
        case WM_CUT:
        case WM_CLEAR:
            if (w->style & ES_READONLY) return 0;
            if (msg == WM_CUT && !CopySelection(w)) return 0;
            ReplaceSelection(w, u"", Undo::Record);
            return 0;
        case WM_PASTE:
            if (!(w->style & ES_READONLY)) Paste(w);
            return 0;
        case WM_CHAR:
            return Char(w, char16_t(wp));
        case WM_KEYDOWN:
            return KeyDown(w, UINT(wp));
        // Characters and arrows stay in the field; Enter too in a multi-line field that wants it.
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
            if (Multi(w) && (w->style & ES_WANTRETURN) && wp == VK_RETURN) code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_SETFOCUS:
            InvalidateRect(w, nullptr, FALSE);
            Notify(w, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            InvalidateRect(w, nullptr, FALSE);
            Notify(w, EN_KILLFOCUS);
            return 0;
        case WM_ENABLE:
            InvalidateRect(w, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN: {
            if (GetFocus() != w) SetFocus(w);
            int pos = PositionAt(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            bool extend = GetKeyState(VK_SHIFT) & 0x8000;
            SetSelection(w, extend ? s->anchor : pos, pos);
            s->tracking = true;
            SetCapture(w);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (s->tracking)
                SetSelection(w, s->anchor, PositionAt(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
            return 0;
        case WM_LBUTTONUP:
            if (s->tracking) {
                s->tracking = false;
                if (GetCapture() == w) ReleaseCapture();
            }
            return 0;
    }
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

WNDPROC EditWindowProc() {
    return EditProc;
}
