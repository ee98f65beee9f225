// The Choose Article dialog: a flat dialog procedure over one IndexView that fills the client
// area.
#include "index/choose_article.h"

#include "bookmarks/bookmark_section.h"
#include "index/access_outline.h"
#include "index/index_keys.h"
#include "index/index_outline.h"
#include "platform/gdi/gdi.h"
#include "platform/heap.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "reader/app_state.h"
#include "reader/dialog_setup.h"
#include "store/record_list.h"

ChooseArticleState ChooseArticleDialog;

namespace {

constexpr DWORD kDialogFlags = 30;  // size to the full screen, input panel down, no menu bar
constexpr int kWheelRows = 3;
constexpr int kWheelNotch = 120;

ChooseArticleState& S() {
    return ChooseArticleDialog;
}

// The client rectangle less a scroll bar's width at the right: the view's place. The strip left
// over holds the markers of the outermost lines.
void TakeClient() {
    GetClientRect(S().window, &S().client);
    S().client.right -= GetSystemMetrics(SM_CXVSCROLL);
}

// The index with the Bookmarks section in front, laid out with the current article revealed.
void BuildView() {
    uint8_t* list = AddBookmarkSection(LoadRecordList(IndexArticleNumber));
    S().view = CreateIndexView(S().surface, &S().client, S().fontRecord, kChooseArticleLines);
    if (!S().view) {
        HeapFreeBlock(list);
        return;
    }
    // A list whose first record is empty is refused, not taken: it is still ours to release.
    if (LayoutIndex(S().view, list, false) == kIndexBadList) HeapFreeBlock(list);
    RevealArticle(S().view, S().chosen);
    SetIndexCurrentArticle(S().view, S().chosen);
    UpdateIndexScrollBar();
}

// Relays the view out for the new client size with the outline kept; returns 0.
LRESULT OnSize() {
    TakeClient();
    IndexView* view = S().view;
    // The current entry stays in view at the new size when it was in view before.
    const int current = IndexCurrentLine(view);
    const bool currentShown = current >= 0 && PaintedIndexLineTop(view, current) >= 0 &&
                              PaintedIndexLineTop(view, IndexEntryEnd(view, current) - 1) >= 0;
    uint16_t* saved = SaveIndexState(view);
    // The view keeps the marker strip at the right (the window's own scroll bar, when it shows,
    // is already outside the client area): otherwise the outermost markers would fall outside.
    ResizeIndexView(view, S().client.right - S().client.left, S().client.bottom - S().client.top);
    RestoreIndexState(view, saved);
    HeapFreeBlock(saved);
    if (view && view->maxFirstRow == 0) view->firstRow = 0;
    if (currentShown)
        SetIndexCurrent(view, IndexCurrentLine(view));  // scrolls as far as it must, and paints
    else
        PaintIndex(view, true);
    UpdateIndexScrollBar();
    return 0;
}

// Painting goes through the view's own surface, after BeginPaint has erased the background
// (the platform validates the window once WM_PAINT returns, so it must not come before);
// returns 1.
LRESULT OnPaint() {
    PAINTSTRUCT ps;
    BeginPaint(S().window, &ps);
    PaintIndex(S().view, true);
    EndPaint(S().window, &ps);
    return 1;
}

// Fills the client area white and marks it for painting without erasing; returns 1.
LRESULT OnEraseBackground(HDC dc) {
    RECT all;
    GetClientRect(S().window, &all);
    FillRect(dc, &all, GetStockObject(WHITE_BRUSH));
    InvalidateRect(S().window, &S().client, FALSE);
    return 1;
}

// Scrolls the view by rows and follows with the scroll bar.
void ScrollRows(int rows) {
    if (rows) ScrollIndex(S().view, rows, 1, true);
    UpdateIndexScrollBar();
}

// The keys move the current entry, open and close groups, and Enter on an article entry ends
// the dialog with it (IndexViewKey). Returns 0 for the view's keys, 1 for others.
LRESULT OnKeyDown(WPARAM key) {
    int32_t article = 0;
    if (!IndexViewKey(S().view, key, &article)) return 1;
    if (article > 0) {
        S().chosen = uint16_t(article);
        EndDialog(S().window, 1);
        return 0;
    }
    UpdateIndexScrollBar();
    return 0;
}

// The wheel scrolls three rows a notch, as in the reading view; returns 0.
LRESULT OnWheel(WPARAM wp) {
    int notches = int(int16_t(HIWORD(wp))) / kWheelNotch;
    ScrollRows(-kWheelRows * notches);
    return 0;
}

// Chooses an article entry (ends the dialog with 1) or opens or closes a group; returns 0.
LRESULT OnTap(LPARAM lp) {
    int32_t r = HitTestIndex(S().view, LOWORD(uintptr_t(lp)), HIWORD(uintptr_t(lp)));
    if (r > 0) {
        S().chosen = uint16_t(r);
        EndDialog(S().window, 1);
    } else if (r < 0) {
        KeepIndexCurrentShown(S().view);  // a group closed over it
        UpdateIndexScrollBar();
    }
    return 0;
}

// The scroll bar's requests: the page codes move by the lines of the last paint, bottom (7) by
// one line; returns 1.
LRESULT OnVScroll(WPARAM wp, LPARAM lp) {
    const IndexView* view = S().view;
    int delta = 0;
    if (view) {
        switch (LOWORD(wp)) {
            case SB_LINEUP:
                delta = -1;
                break;
            case SB_LINEDOWN:
                delta = 1;
                break;
            case SB_PAGEUP:
                delta = -view->rowsPainted;
                break;
            case SB_PAGEDOWN:
                delta = view->rowsPainted;
                break;
            case SB_THUMBPOSITION:
            case SB_THUMBTRACK:
                delta = int(int16_t(HIWORD(wp))) - view->firstRow;
                break;
            case SB_TOP:
                delta = -view->firstRow;
                break;
            case SB_BOTTOM:
                delta = 1;
                break;
        }
    }
    if (delta) ScrollIndex(S().view, delta, 1, true);
    DefWindowProc(S().window, WM_VSCROLL, wp, lp);
    if (delta) UpdateIndexScrollBar();
    return 1;
}

// OK keeps `chosen` (the current article) and Cancel makes it 0; returns 1 for those, else 0.
LRESULT OnCommand(WPARAM wp) {
    switch (LOWORD(wp)) {
        case IDOK:
            EndDialog(S().window, 1);
            return 1;
        case IDCANCEL:
            S().chosen = 0;
            EndDialog(S().window, 2);
            return 1;
    }
    return 0;
}

}  // namespace

uint16_t ChooseArticle(HINSTANCE instance, HWND owner, uint16_t current, const FontRecord* font) {
    ChooseArticleDialog = ChooseArticleState{};
    S().fontRecord = font;
    S().chosen = current;
    DialogBoxParam(instance, kChooseArticleDialog, owner, ChooseArticleProc, 0);
    return S().chosen;
}

LRESULT ChooseArticleProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            S().window = dialog;
            S().surface = GetDC(dialog);
            TakeClient();
            BuildView();
            ExposeOutline(dialog);
            SetUpDialog(dialog, kDialogFlags);
            return 0;
        case WM_SIZE:
            return OnSize();
        case WM_PAINT:
            return OnPaint();
        case WM_ERASEBKGND:
            return OnEraseBackground(reinterpret_cast<HDC>(wp));
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_ACTIVE && App.TaskbarWindow)
                ShowWindow(App.TaskbarWindow, SW_HIDE);
            return 0;
        case WM_KEYDOWN:
            return OnKeyDown(wp);
        // Enter belongs to the current entry, not to the dialog's OK.
        case WM_GETDLGCODE:
            return wp == VK_RETURN ? DLGC_WANTALLKEYS : 0;
        case WM_MOUSEWHEEL:
            return OnWheel(wp);
        case WM_LBUTTONDOWN:
            return OnTap(lp);
        case WM_VSCROLL:
            return OnVScroll(wp, lp);
        case WM_COMMAND:
            return OnCommand(wp);
        case WM_DESTROY:
            // The view goes first, while its surface still exists to take its fonts back.
            DestroyIndexView(S().view, true);
            S().view = nullptr;
            ReleaseDC(dialog, S().surface);
            S().surface = nullptr;
            S().window = nullptr;
            return 0;
    }
    return 0;
}

void UpdateIndexScrollBar() {
    const IndexView* view = S().view;
    if (!view || !IsWindow(S().window)) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    // The bar stays (disabled) when there is nothing to scroll. A bar that came and went would
    // change the client width, and the relayout that follows starts from the stored outline:
    // closing a group that the stored index has open, so that everything fits, would open it
    // again at once.
    info.fMask = SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = view->maxFirstRow;
    info.nPage = 0;
    info.nPos = view->firstRow;
    SetScrollInfo(S().window, SB_VERT, &info, TRUE);
}

const IndexView* OpenIndexView() {
    return IsWindow(S().window) ? S().view : nullptr;
}
