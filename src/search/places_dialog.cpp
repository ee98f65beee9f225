// The Find All list: a flat dialog procedure over rows drawn by the dialog itself, with a
// vertical scroll bar, as the Choose Article dialog draws its outline.
#include "search/places_dialog.h"

#include <algorithm>
#include <cstring>

#include "book_encoding.h"
#include "platform/access/access.h"
#include "platform/heap.h"
#include "platform/unicode.h"
#include "platform/user/controls.h"
#include "reader/app_state.h"
#include "reader/dialog_setup.h"
#include "search/find_next.h"
#include "store/records.h"
#include "text/convert.h"
#include "text/paint.h"
#include "text/text_pane.h"

PlacesDialogState PlacesDialog;

namespace {

constexpr DWORD kDialogFlags = 30;  // size to the full screen, input panel down, no menu bar
constexpr int kWheelRows = 3;
constexpr int kWheelNotch = 120;
constexpr int kMargin = 4;
constexpr uint8_t kRightToLeft = 16;
constexpr uint8_t kSpace = ' ';
constexpr int kNameReach = 24;  // bytes of context on each side of the hit in an item's name
constexpr COLORREF kHeadingBack = RGB(224, 224, 224);
constexpr COLORREF kSelectedBack = RGB(200, 220, 255);
constexpr COLORREF kSelectedFrame = RGB(0, 0, 160);

PlacesDialogState& S() {
    return PlacesDialog;
}

const uint8_t* RecordAt(const uint8_t* text, uint16_t paragraph) {
    const uint8_t* record = text;
    for (uint16_t i = 0; i < paragraph && !IsArticleListEnd(record); ++i)
        record = NextArticleRecord(record);
    return IsArticleListEnd(record) ? nullptr : record;
}

// A byte range [from, to) of one record's text.
struct Span {
    const uint8_t* text = nullptr;  // the article's text
    int32_t first = 0, end = 0;     // the record's text
    int32_t from = 0, to = 0;
    bool rightToLeft = false;
};

// The hit of a place and the record around it.
Span HitSpan(const FoundPlace& p) {
    Span s;
    s.text = S().found.texts[p.article];
    const uint8_t* record = s.text ? RecordAt(s.text, p.paragraph) : nullptr;
    if (!record) return Span{};
    s.first = int32_t(ArticleRecordText(record) - s.text);
    s.end = s.first + int32_t(ArticleRecordTextLength(record));
    s.from = std::max(s.first, int32_t(p.offset) - int32_t(p.length) + 1);
    s.to = std::min(s.end, int32_t(p.offset) + 1);
    s.rightToLeft = (ArticleRecordStyle(record) & kRightToLeft) != 0;
    return s;
}

// Widens the span on both sides, a byte at a time each way, while `fits` takes another byte; a
// word cut at either edge is then left out, unless it is the hit's own.
template <typename Fits>
void Widen(Span* s, Fits fits) {
    int32_t lo = s->from, hi = s->to;
    for (bool grew = true; grew;) {
        grew = false;
        if (hi < s->end && fits(s->text[hi])) ++hi, grew = true;
        if (lo > s->first && fits(s->text[lo - 1])) --lo, grew = true;
    }
    if (hi < s->end) {
        int32_t h = hi;
        while (h > s->to && s->text[h - 1] != kSpace) --h;
        if (h > s->to) hi = h;
    }
    if (lo > s->first) {
        int32_t l = lo;
        while (l < s->from && s->text[l] != kSpace) ++l;
        if (l < s->from) lo = l;
    }
    s->from = lo;
    s->to = hi;
}

std::u16string Decoded(const uint8_t* bytes, int32_t n, bool rightToLeft) {
    if (n <= 0) return u"";
    return Utf8ToUtf16(EncodeUtf8(DecodeBookText(
        bytes, size_t(n), rightToLeft ? StoredOrder::Display : StoredOrder::Reading)));
}

std::u16string TitleOf(int article) {
    const uint8_t* text = S().found.texts[article];
    if (!text || IsArticleListEnd(text)) return u"";
    const uint8_t* first = ArticleRecordText(text);
    return Decoded(first, int32_t(ArticleRecordTextLength(text)),
                   (ArticleRecordStyle(text) & kRightToLeft) != 0);
}

// The rows (a title before each article's places) and each place's accessible name: its line in
// reading order and its article's title.
void BuildRows() {
    S().rows.clear();
    S().names.clear();
    std::u16string title;
    int article = -1;
    const std::vector<FoundPlace>& places = S().found.places;
    for (size_t i = 0; i < places.size(); ++i) {
        if (places[i].article != article) {
            article = places[i].article;
            S().rows.push_back({-1, uint8_t(article)});
            title = TitleOf(article);
        }
        S().rows.push_back({int(i), uint8_t(article)});
        Span s = HitSpan(places[i]);
        int32_t reach = 2 * kNameReach;
        Widen(&s, [&](uint8_t) { return reach-- > 0; });
        std::u16string line = Decoded(s.text + s.from, s.to - s.from, s.rightToLeft);
        const size_t lead = line.find_first_not_of(u' '), tail = line.find_last_not_of(u' ');
        line = lead == std::u16string::npos ? u"" : line.substr(lead, tail - lead + 1);
        S().names.push_back(line + u", " + title);
    }
    S().selected = S().rows.size() > 1 ? 1 : 0;
}

// The font of the rows, and the character and width each book byte is measured by (vowel points
// take no room).
void MakeFont(HDC dc) {
    const FontRecord& font = App.TopPane ? App.TopPane->fontRecord : App.Font;
    LOGFONT lf{};
    lf.lfHeight = font.FontSize;
    std::memcpy(lf.lfFaceName, font.FaceName, sizeof font.FaceName);
    S().font = CreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(dc, S().font);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    S().rowHeight = std::max<int>(1, tm.tmHeight + 4);
    S().unicode = font.FontAsciiBase == kUnicodeOutput;
    for (int b = 1; b < 256; ++b) {
        const char16_t c =
            IsPointByte(uint8_t(b)) ? 0 : MeasuredCharacter(uint8_t(b), font.FontAsciiBase);
        S().glyph[b] = c;
        SIZE size{};
        if (c) GetTextExtentPoint32(dc, &c, 1, &size);
        S().width[b] = c ? size.cx : 0;
    }
    SelectObject(dc, old);
}

void TakeClient() {
    RECT c;
    GetClientRect(S().window, &c);
    S().list = RECT{c.left, c.top + S().rowHeight + 2, c.right, c.bottom};
    const int height = std::max<int>(0, S().list.bottom - S().list.top);
    S().rowsShown = std::max(1, height / S().rowHeight);
    S().maxFirstRow = std::max(0, int(S().rows.size()) - S().rowsShown);
    S().firstRow = std::clamp(S().firstRow, 0, S().maxFirstRow);
}

void UpdateScrollBar() {
    if (!IsWindow(S().window)) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = S().maxFirstRow;
    info.nPos = S().firstRow;
    SetScrollInfo(S().window, SB_VERT, &info, TRUE);
}

void Repaint() {
    InvalidateRect(S().window, nullptr, TRUE);
    UpdateScrollBar();
}

// Draws one unit centred in the cell [left, right) of the row, clipped to the cell.
void PutUnit(HDC dc, char16_t unit, int left, int right, int y, const RECT& row) {
    RECT cell{std::max(left, int(row.left)), row.top, std::min(right, int(row.right)), row.bottom};
    if (!unit || cell.left >= cell.right) return;
    SIZE size{};
    GetTextExtentPoint32(dc, &unit, 1, &size);
    ExtTextOut(dc, left + (right - left - int(size.cx)) / 2, y, ETO_CLIPPED, &cell, &unit, 1,
               nullptr);
}

// Draws bytes [from, to) of an article's text left to right from x on `back`, in the text
// colour: each character centred in a cell of its width, as the panes draw them. With a Unicode
// font a vowel point stands in the cell of the letter stored after it (holam in a 3-pixel cell
// at its left edge); otherwise the points are left out, as the panes leave them. Returns the x
// after them.
int DrawBytes(HDC dc, const uint8_t* text, int32_t from, int32_t to, int x, int y, const RECT& row,
              COLORREF back) {
    int end = x;
    for (int32_t i = from; i < to; ++i) end += S().width[text[i]];
    RECT fill{std::max(x, int(row.left)), row.top, std::min(end, int(row.right)), row.bottom};
    if (fill.left < fill.right) {
        if (HBRUSH brush = CreateSolidBrush(back)) {
            FillRect(dc, &fill, brush);
            DeleteObject(brush);
        }
    }
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const bool unicode = S().unicode;
    int32_t points = -1;  // the first of the points stored before the next letter
    for (int32_t i = from; i < to; ++i) {
        const uint8_t b = text[i];
        if (IsPointByte(b)) {
            if (points < 0) points = i;
            continue;
        }
        const int w = S().width[b];
        if (unicode && b >= kFirstMappedByte && b <= kLastMappedByte) {
            char16_t first = UnicodeMap[b - kFirstMappedByte].first;
            char16_t second = UnicodeMap[b - kFirstMappedByte].second;
            if (first == kHolam && second) std::swap(first, second);
            PutUnit(dc, first, x, x + w, y, row);
            if (second == kHolam)
                PutUnit(dc, second, x - 2, x + 1, y, row);
            else
                PutUnit(dc, second, x, x + w, y, row);
        } else {
            PutUnit(dc, S().glyph[b], x, x + w, y, row);
        }
        for (int32_t j = points; unicode && j >= 0 && j < i; ++j) {
            const char16_t point = UnicodeMap[text[j] - kFirstMappedByte].first;
            PutUnit(dc, point, x, text[j] == kHolamByte ? x + 3 : x + w, y, row);
        }
        points = -1;
        x += w;
    }
    SetBkMode(dc, oldMode);
    return x;
}

int32_t SpanWidth(const Span& s) {
    int32_t w = 0;
    for (int32_t i = s.from; i < s.to; ++i) w += S().width[s.text[i]];
    return w;
}

// A place's row: the words around the hit that fit, the hit in the highlight's colours. Right
// to left text stands at the right.
void PaintPlace(HDC dc, const FoundPlace& p, const RECT& row, COLORREF back) {
    Span s = HitSpan(p);
    if (!s.text) return;
    const int32_t room = row.right - row.left - 2 * kMargin;
    const Span hit = s;
    int32_t used = SpanWidth(s);
    Widen(&s, [&](uint8_t b) {
        if (used + S().width[b] > room) return false;
        used += S().width[b];
        return true;
    });
    used = SpanWidth(s);
    int x = s.rightToLeft ? int(row.right) - kMargin - used : int(row.left) + kMargin;
    if (used > room) x = int(row.left) + kMargin;
    const int y = row.top + 2;
    x = DrawBytes(dc, s.text, s.from, hit.from, x, y, row, back);
    SetTextColor(dc, kHighlightText);
    const int hitLeft = x;
    x = DrawBytes(dc, s.text, hit.from, hit.to, x, y, row, kHighlightBack);
    // A bar under the hit in the text colour of the highlight marks it also where a display
    // mode's colours leave little between the highlight and the page (red on black).
    RECT bar{std::max(hitLeft, int(row.left)), row.bottom - 2, std::min(x, int(row.right)),
             row.bottom};
    if (bar.left < bar.right) {
        if (HBRUSH brush = CreateSolidBrush(kHighlightText)) {
            FillRect(dc, &bar, brush);
            DeleteObject(brush);
        }
    }
    SetTextColor(dc, RGB(0, 0, 0));
    DrawBytes(dc, s.text, hit.to, s.to, x, y, row, back);
}

// The count at the top, then the rows from firstRow: titles on grey, the selected place framed.
void Paint(HDC dc) {
    RECT c;
    GetClientRect(S().window, &c);
    FillRect(dc, &c, HBRUSH(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ oldFont = SelectObject(dc, S().font);
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const int oldMode = SetBkMode(dc, OPAQUE);
    RECT head{c.left, c.top, c.right, S().list.top - 2};
    DrawText(dc, S().count.c_str(), int(S().count.size()), &head,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT rule{c.left, S().list.top - 2, c.right, S().list.top - 1};
    FillRect(dc, &rule, HBRUSH(GetStockObject(BLACK_BRUSH)));
    for (int i = S().firstRow, y = S().list.top;
         i < int(S().rows.size()) && y + S().rowHeight <= S().list.bottom;
         ++i, y += S().rowHeight) {
        const PlaceRow& r = S().rows[size_t(i)];
        RECT row{c.left, y, c.right, y + S().rowHeight};
        const bool selected = i == S().selected;
        const COLORREF back = r.place < 0 ? kHeadingBack
                              : selected  ? kSelectedBack
                                          : RGB(255, 255, 255);
        if (HBRUSH brush = CreateSolidBrush(back)) {
            FillRect(dc, &row, brush);
            DeleteObject(brush);
        }
        SetBkColor(dc, back);
        SetTextColor(dc, RGB(0, 0, 0));
        if (r.place < 0) {
            const uint8_t* text = S().found.texts[r.article];
            if (text && !IsArticleListEnd(text)) {
                Span title;
                title.text = text;
                title.first = title.from = int32_t(ArticleRecordText(text) - text);
                title.end = title.to = title.first + int32_t(ArticleRecordTextLength(text));
                const int w = SpanWidth(title);
                const int x = (ArticleRecordStyle(text) & kRightToLeft)
                                  ? std::max(int(row.left) + kMargin, int(row.right) - kMargin - w)
                                  : int(row.left) + kMargin;
                DrawBytes(dc, text, title.from, title.to, x, y + 2, row, back);
            }
        } else {
            PaintPlace(dc, S().found.places[size_t(r.place)], row, back);
        }
        if (selected) {
            RECT frame = row;
            DrawFrame(dc, &frame, kSelectedFrame, 1);
        }
    }
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SelectObject(dc, oldFont);
}

// Scrolls so that the selected row is shown.
void RevealSelected() {
    if (S().selected < S().firstRow) S().firstRow = S().selected;
    if (S().selected >= S().firstRow + S().rowsShown)
        S().firstRow = S().selected - S().rowsShown + 1;
    // The title of the first place shows with it.
    if (S().selected == 1) S().firstRow = 0;
    S().firstRow = std::clamp(S().firstRow, 0, S().maxFirstRow);
}

// Moves the selection by `rows`, to the nearest place row in that direction (or back the other
// way at the ends).
void MoveSelection(int rows) {
    const int n = int(S().rows.size());
    if (n == 0) return;
    int to = std::clamp(S().selected + rows, 0, n - 1);
    const int step = rows < 0 ? -1 : 1;
    while (to >= 0 && to < n && S().rows[size_t(to)].place < 0) to += step;
    if (to < 0 || to >= n) {
        to = std::clamp(S().selected + rows, 0, n - 1);
        while (to >= 0 && to < n && S().rows[size_t(to)].place < 0) to -= step;
    }
    if (to < 0 || to >= n) return;
    S().selected = to;
    RevealSelected();
    Repaint();
}

void Choose(int row) {
    if (row < 0 || row >= int(S().rows.size()) || S().rows[size_t(row)].place < 0) return;
    S().selected = row;
    S().chosen = S().rows[size_t(row)].place;
    EndDialog(S().window, IDOK);
}

void ScrollRows(int rows) {
    S().firstRow = std::clamp(S().firstRow + rows, 0, S().maxFirstRow);
    Repaint();
}

// The arrows move the selection a place, PageUp and PageDown a page of rows, Home and End to the
// first and the last place. Returns 0 for those keys, 1 for others.
LRESULT OnKeyDown(WPARAM key) {
    switch (key) {
        case VK_UP:
            MoveSelection(-1);
            return 0;
        case VK_DOWN:
            MoveSelection(1);
            return 0;
        case VK_PRIOR:
            MoveSelection(-S().rowsShown);
            return 0;
        case VK_NEXT:
            MoveSelection(S().rowsShown);
            return 0;
        case VK_HOME:
            MoveSelection(-int(S().rows.size()));
            return 0;
        case VK_END:
            MoveSelection(int(S().rows.size()));
            return 0;
    }
    return 1;
}

// A tap on a place chooses it; a tap on a title or below the rows does nothing. Returns 0.
LRESULT OnTap(LPARAM lp) {
    const int y = GET_Y_LPARAM(lp);
    if (y < S().list.top) return 0;
    const int row = S().firstRow + (y - S().list.top) / S().rowHeight;
    if (PlaceRowTop(row) >= 0) Choose(row);
    return 0;
}

// The scroll bar's requests; returns 1.
LRESULT OnVScroll(WPARAM wp, LPARAM lp) {
    int delta = 0;
    switch (LOWORD(wp)) {
        case SB_LINEUP:
            delta = -1;
            break;
        case SB_LINEDOWN:
            delta = 1;
            break;
        case SB_PAGEUP:
            delta = -S().rowsShown;
            break;
        case SB_PAGEDOWN:
            delta = S().rowsShown;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            delta = int(int16_t(HIWORD(wp))) - S().firstRow;
            break;
        case SB_TOP:
            delta = -S().firstRow;
            break;
        case SB_BOTTOM:
            delta = S().maxFirstRow - S().firstRow;
            break;
    }
    DefWindowProc(S().window, WM_VSCROLL, wp, lp);
    if (delta) ScrollRows(delta);
    return 1;
}

// The list as a screen reader sees it: a list named by the count, the titles as labels in it,
// and an item per place named by its line; the selected place has the focus.
void Parts(HWND, std::vector<AccessPart>* out) {
    if (!IsWindow(S().window)) return;
    AccessPart list;
    list.role = AccessRole::List;
    list.name = S().count;
    list.key = 0x7FFFFFFF;
    list.rect = S().list;
    out->push_back(list);
    for (int i = 0; i < int(S().rows.size()); ++i) {
        const PlaceRow& r = S().rows[size_t(i)];
        AccessPart part;
        part.parent = 0;
        const int top = PlaceRowTop(i);
        if (top >= 0) part.rect = RECT{S().list.left, top, S().list.right, top + S().rowHeight};
        if (r.place < 0) {
            part.role = AccessRole::Label;
            part.name = TitleOf(r.article);
            part.key = 0x10000000 + r.article;
        } else {
            part.role = AccessRole::ListItem;
            part.name = S().names[size_t(r.place)];
            part.key = r.place;
            part.states = kAccessFocusable | kAccessSelectable;
            if (i == S().selected) part.states |= kAccessFocused | kAccessSelected;
        }
        out->push_back(std::move(part));
    }
}

const AccessProvider kPlacesAccess{Parts, nullptr};

LRESULT OnInitDialog(HWND dialog) {
    S().window = dialog;
    HDC dc = GetDC(dialog);
    MakeFont(dc);
    ReleaseDC(dialog, dc);
    BuildRows();
    TakeClient();
    UpdateScrollBar();
    SetAccessProvider(dialog, &kPlacesAccess);
    SetUpDialog(dialog, kDialogFlags);
    return 0;
}

}  // namespace

std::u16string PlaceCountText(size_t places, int articles) {
    std::string s = std::to_string(places) + (places == 1 ? " place in " : " places in ") +
                    std::to_string(articles) + (articles == 1 ? " article" : " articles");
    return std::u16string(s.begin(), s.end());
}

void RunPlacesDialog(HWND owner, const SearchOrigin& origin, PlaceList found) {
    if (found.places.empty()) {
        FreePlaceTexts(&found);
        MessageBox(owner, u"Not Found!", u"Orvanel", MB_OK);
        return;
    }
    PlacesDialog = PlacesDialogState{};
    S().origin = origin;
    S().found = found;
    S().count = PlaceCountText(found.places.size(), found.articles);
    DialogBoxParam(App.Instance, kPlacesDialogId, owner, PlacesDialogProc, 0);
    const int chosen = S().chosen;
    if (chosen >= 0 && chosen < int(S().found.places.size()) && IsWindow(App.MainWindow)) {
        const FoundPlace place = S().found.places[size_t(chosen)];
        ShowFoundPlace(App.MainWindow, S().origin, place, TakePlaceText(&S().found, place.article),
                       S().found.places.front());
        // The main window repaints once the list is gone, which would wipe the banner.
        UpdateWindow(App.MainWindow);
        RedrawHitBanner();
    }
    FreePlaceTexts(&S().found);
    S() = PlacesDialogState{};
}

void FindAll(HWND owner) {
    const SearchOrigin origin = CurrentSearchOrigin();
    RunPlacesDialog(owner, origin, FindAllPlaces(App.SearchString, origin));
}

LRESULT PlacesDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_SIZE:
            TakeClient();
            RevealSelected();
            Repaint();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(dialog, &ps);
            Paint(dc);
            EndPaint(dialog, &ps);
            return 1;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_ACTIVE && App.TaskbarWindow)
                ShowWindow(App.TaskbarWindow, SW_HIDE);
            return 0;
        case WM_KEYDOWN:
            return OnKeyDown(wp);
        case WM_MOUSEWHEEL:
            ScrollRows(-kWheelRows * (int(int16_t(HIWORD(wp))) / kWheelNotch));
            return 0;
        case WM_LBUTTONDOWN:
            return OnTap(lp);
        case WM_VSCROLL:
            return OnVScroll(wp, lp);
        case WM_COMMAND:
            // OK and Enter choose the selected place; Cancel and Escape close the list.
            if (LOWORD(wp) == IDOK) {
                Choose(S().selected);
                return 1;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return 1;
            }
            return 0;
        case WM_DESTROY:
            if (S().font) DeleteObject(S().font);
            S().font = nullptr;
            S().window = nullptr;
            return 0;
    }
    return 0;
}

const PlacesDialogState* OpenPlaces() {
    return IsWindow(S().window) ? &S() : nullptr;
}

bool ChooseOpenPlace(int place) {
    if (!OpenPlaces()) return false;
    for (int i = 0; i < int(S().rows.size()); ++i)
        if (S().rows[size_t(i)].place == place) {
            Choose(i);
            return true;
        }
    return false;
}

int PlaceRowTop(int row) {
    if (row < S().firstRow || row >= int(S().rows.size()) || row - S().firstRow >= S().rowsShown)
        return -1;
    return S().list.top + (row - S().firstRow) * S().rowHeight;
}
