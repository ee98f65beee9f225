#include "reader/panes.h"

#include "platform/user/controls.h"
#include "reader/app_state.h"
#include "reader/menus.h"
#include "reader/navigation.h"
#include "store/record_list.h"
#include "text/layout.h"
#include "text/paint.h"
#include "text/scroll.h"

namespace {

constexpr uint16_t kPaneCapacity = 100;
constexpr COLORREF kBottomBackground = RGB(238, 255, 255);
constexpr COLORREF kBottomLine = RGB(255, 0, 0);
// The active pane's scroll-bar track: darker than the grey of the other track by far more than
// the night and red screens need to keep them apart, and independent of the zoom.
constexpr COLORREF kActiveTrack = RGB(40, 90, 190);

// The pane whose scroll bar was last drawn with the mark.
const TextPane* gMarkedPane = nullptr;

// Repaints both scroll bars when the active pane has changed since they were drawn: every
// change of the active pane (a tap, F6, a search hit, the scroll bars) ends by setting the bars.
void FollowActivePane() {
    if (KeyPane() == gMarkedPane) return;
    gMarkedPane = KeyPane();
    if (App.TopScrollBar) InvalidateRect(App.TopScrollBar, nullptr, FALSE);
    if (App.BottomScrollBar) InvalidateRect(App.BottomScrollBar, nullptr, FALSE);
}

int Gutter() { return App.SurroundingGutter; }

// Pages a pane by a tap on it; false when the tap is not on the pane or paging is off.
bool PageByTap(TextPane* pane, int x, int y, bool paintAtOnce) {
    if (!pane) return false;
    int g = Gutter();
    if (!(x >= pane->left - g && x <= pane->left + pane->width + g && y >= pane->top - g &&
          y <= pane->top + pane->height))
        return false;
    SetActivePane(pane);
    if (!(App.Flags & kTapPagingFlag)) return false;
    bool firstHalf = (App.Flags & kTapHalvesFlag) ? y < pane->top + pane->height / 2
                                                  : x < pane->left + pane->width / 2;
    int step = PageStep(pane, kTapStepShift);
    ScrollPane(pane, firstHalf ? -step : step, paintAtOnce, true);
    UpdateScrollBar(App.ActiveScrollBar);
    return true;
}

void PaintBottomSection(HDC dc) {
    int g = Gutter();
    const RECT& r = App.BottomRect;
    HPEN pale = CreatePen(PS_SOLID, 0, kBottomBackground);
    HBRUSH brush = CreateSolidBrush(kBottomBackground);
    HGDIOBJ oldPen = SelectObject(dc, pale);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, r.left - g, r.top - 2, r.right + g, r.bottom + 2 * g);
    SelectObject(dc, oldPen);
    DeleteObject(pale);
    HPEN red = CreatePen(PS_SOLID, 0, kBottomLine);
    SelectObject(dc, red);
    int s = GetSystemMetrics(SM_CXVSCROLL);
    Rectangle(dc, r.left - g, r.top - 3, r.right + s + g, r.top - 2);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(red);
    DeleteObject(brush);
    if (App.BottomPane) {
        int mode = SetBkMode(App.BottomPane->surface, TRANSPARENT);
        PaintPane(App.BottomPane, false);
        SetBkMode(App.BottomPane->surface, mode);
    }
}

}  // namespace

int PageStep(const TextPane* pane, uint32_t shift) {
    uint32_t field = (App.Flags >> shift) & 7;
    int step = field == 2 || field == 4 ? pane->rowsPainted / 2 : pane->rowsPainted - 1;
    // A pane showing one line (the last one, or one taller than the pane) still pages: by a row.
    return step < 1 ? 1 : step;
}

bool IsBottomSectionCode(int code) {
    return code == 1 || code == 12 || code == 13 || code == 14 || code == 23 || code == 34;
}

int CreatePanes(HWND window) {
    HDC surface = GetDC(window);
    RECT r;
    GetClientRect(window, &r);
    if (App.MenuBarOnBottom != 0)
        r.bottom -= App.MenuBarHeight;
    else
        r.top += App.MenuBarHeight;
    int g = Gutter();
    if (r.bottom - r.top > 2 * g) r.top += g, r.bottom -= 2 * g;
    if (r.right - r.left > 2 * g) r.left += g, r.right -= 2 * g;
    App.BottomRect.left = r.left;
    App.BottomRect.right = r.right;
    // A stored size code the menu does not offer (a units digit of 0 would divide by zero)
    // becomes the default half.
    if (!IsBottomSectionCode(App.BottomSection)) App.BottomSection = kDefaultBottomSection;
    CheckMenuRadioItem(BottomMenu(), 401, 434, UINT(App.BottomSection + 400), MF_BYCOMMAND);

    App.BottomPane = CreateTextPane(surface, &App.BottomRect, &App.Font, kPaneCapacity);
    if (App.BottomPane) {
        App.BottomScrollBar = CreateWindowEx(0, u"SCROLLBAR", u"", 0x50000003, App.BottomRect.right,
                                             App.BottomRect.top, CW_USEDEFAULT, CW_USEDEFAULT,
                                             window, nullptr, App.Instance, nullptr);
        App.TopScrollBar = CreateWindowEx(0, u"SCROLLBAR", u"", 0x50000003, App.BottomRect.right,
                                          App.BottomRect.top, CW_USEDEFAULT, CW_USEDEFAULT,
                                          window, nullptr, App.Instance, nullptr);
        App.ActiveScrollBar = App.TopScrollBar;
    }
    App.TopPane = CreateTextPane(surface, &r, &App.Font, kPaneCapacity);
    if (!App.TopPane) {
        if (!App.BottomPane) ReleaseDC(window, surface);
        return 1;
    }
    uint8_t* list = LoadArticleList(App.Lesson);
    if (!list) {
        MessageBox(window, u"Resource not found", u"Error", MB_ICONEXCLAMATION);
        return 0;
    }
    LayoutText(App.TopPane, list, false);
    App.TopPane->firstRow = App.LastPosition;
    LoadBottomArticle(window);
    if (App.BottomPane) App.BottomPane->firstRow = App.BottomSectionLastPosition;
    UpdateScrollBars();
    return 0;
}

void LayoutPanes(HWND, uint32_t cx, uint32_t cy) {
    if (cx == kReplayClientSize) {
        cy = uint32_t(App.LastClientSize[0]);
        cx = uint32_t(App.LastClientSize[1]);
    } else {
        App.LastClientSize[0] = int32_t(cy);
        App.LastClientSize[1] = int32_t(cx);
    }
    int g = Gutter();
    int w = int(cx) > 2 * g ? int(cx) - 2 * g : int(cx);
    int hc = int(cy) > 2 * g ? int(cy) - 2 * g : int(cy);
    TextPane* top = App.TopPane;
    if (!top || (top->width == w && top->height == hc)) return;
    int h = hc - App.MenuBarHeight;
    int code = IsBottomSectionCode(App.BottomSection) ? App.BottomSection : kDefaultBottomSection;
    int b = h * (code / 10) / (code % 10);
    int s = GetSystemMetrics(SM_CXVSCROLL);
    int y0 = top->top;
    App.BottomRect.right = App.BottomRect.left + w - s;
    App.BottomRect.top = y0 + (h - b) + 1;
    App.BottomRect.bottom = y0 + h - g;
    if (App.BottomPane) {
        App.BottomPane->top = App.BottomRect.top + g / 2;
        ResizePane(App.BottomPane, w - s, b - 1);
    }
    MoveWindow(App.TopScrollBar, g + App.BottomRect.right, y0 - g - 2, s, g + (h - b), TRUE);
    MoveWindow(App.BottomScrollBar, g + App.BottomRect.right, App.BottomRect.top - 2, s,
               (App.BottomPane ? App.BottomPane->height : 0) + g + 2, TRUE);
    ResizePane(top, w - s, h - b - 2);
    UpdateScrollBars();
}

void PaintPanes(HDC dc, HWND window, int mask) {
    PAINTSTRUCT ps{};
    bool begun = false;
    if (!dc) {
        dc = BeginPaint(window, &ps);
        begun = true;
    }
    if ((mask & kPaintTop) && App.TopPane) PaintPane(App.TopPane, (mask & kEraseTop) != 0);
    if (mask & kPaintBottom) PaintBottomSection(dc);
    if (begun) EndPaint(window, &ps);
}

void RepaintPanes(HWND window, int mask) {
    if (!window) window = App.MainWindow;
    HDC dc = GetDC(window);
    if (dc) {
        PaintPanes(dc, window, mask);
        ReleaseDC(window, dc);
    }
    UpdateScrollBars();
}

TextPane* KeyPane() {
    if (!App.ActivePane || (App.ActivePane == App.BottomPane && App.BottomSection < 10))
        return App.TopPane;
    return App.ActivePane;
}

void SetActivePane(TextPane* pane) {
    App.ActivePane = pane;
    App.ActiveScrollBar = pane && pane == App.BottomPane ? App.BottomScrollBar : App.TopScrollBar;
    FollowActivePane();
}

void SwitchActivePane() {
    bool bottomShown = App.BottomPane && App.BottomSection >= 10;
    SetActivePane(KeyPane() == App.TopPane && bottomShown ? App.BottomPane : App.TopPane);
}

HBRUSH ActivePaneTrack(HWND bar) {
    static HBRUSH track = CreateSolidBrush(kActiveTrack);
    if (!bar || !KeyPane()) return nullptr;
    return bar == (KeyPane() == App.BottomPane ? App.BottomScrollBar : App.TopScrollBar) ? track
                                                                                         : nullptr;
}

// Sets the bar from the pane (the top pane when there is none).
static void SetBarFrom(HWND bar, const TextPane* pane) {
    if (!(App.Flags & kScrollTrackingMask) || !bar || bar == App.MainWindow) return;
    if (!pane) pane = App.TopPane;
    if (!pane) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMin = 0;
    info.nMax = pane->maxFirstRow;
    info.nPage = 0;
    info.nPos = pane->firstRow;
    SendMessage(bar, SBM_SETSCROLLINFO, TRUE, LPARAM(&info));
}

void UpdateScrollBar(HWND bar) {
    FollowActivePane();
    SetBarFrom(bar, App.ActivePane);
}

void UpdateScrollBars() {
    FollowActivePane();
    SetBarFrom(App.TopScrollBar, App.TopPane);
    SetBarFrom(App.BottomScrollBar, App.BottomPane);
}

void TapPanes(HWND window, int x, int y) {
    if (!App.TopPane) return;
    if (PageByTap(App.TopPane, x, y, true)) return;
    if (PageByTap(App.BottomPane, x, y, false)) RepaintPanes(window, kPaintBottom);
}
