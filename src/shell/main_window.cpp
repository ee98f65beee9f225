// The main window's procedure: its messages, the key table, the scroll-bar codes and the
// command table behind the "Go" and "Bottom" menus and the tool buttons.
#include "shell/main_window.h"

#include <algorithm>

#include "about/about_dialog.h"
#include "about/update_check.h"
#include "bookmarks/bookmarks.h"
#include "export/export_article.h"
#include "index/choose_article.h"
#include "index/font_dialog.h"
#include "platform/bars/menu.h"
#include "platform/gdi/gdi.h"
#include "platform/services/shell_services.h"
#include "platform/user/controls.h"
#include "reader/app_state.h"
#include "reader/navigation.h"
#include "reader/panes.h"
#include "reader/selection.h"
#include "reader/settings.h"
#include "search/find_next.h"
#include "search/search_dialog.h"
#include "shell/access_panes.h"
#include "shell/display_mode.h"
#include "shell/menu_bar.h"
#include "shell/reader_main.h"
#include "shell/selection_mouse.h"
#include "shell/zoom.h"
#include "text/paint.h"
#include "text/scroll.h"
#include "text/style_font.h"
#include "text/text_pane.h"

namespace {

constexpr UINT kPrivateClose = 1023;
constexpr int kCommandReverse = 122;
constexpr int kCommandSearch = 116;
constexpr int kCommandSearchAgain = 117;
constexpr int kCommandAbout = 40004;
constexpr int kCommandCheckForUpdates = 129;
constexpr int kCommandFont = 40006;
constexpr int kCommandCopy = 40007;
constexpr int kCommandAppend = 40009;
// Wheel notches scroll three rows, as a desktop user expects.
constexpr int kWheelRows = 3;
// F6 and Shift+F6 move between the panes, as between a desktop program's panes.
constexpr UINT kPaneKey = VK_F1 + 5;

SHACTIVATEINFO gActivateInfo{sizeof(SHACTIVATEINFO), nullptr, 0};

// Scrolls a pane by rows from a key and repaints what moved. A step of one row (an arrow, or a
// page of one row) does not stop between a paragraph's gap and the line below it, which would
// leave the screen reader's caret, at the first line shown, where it was.
void ScrollByKey(TextPane* pane, int rows) {
    if (!pane) return;
    if (ScrollPaneByRowOrLine(pane, rows) != kScrollUnchanged)
        RepaintPanes(App.MainWindow, pane == App.TopPane ? kEraseTop | kPaintTop
                                                         : kEraseTop | kPaintBottom);
    UpdateScrollBar(App.ActiveScrollBar);
}

// The desktop's reading keys: zoom, display modes and full screen. Returns 0 when the key was
// one of them, 1 when not.
LRESULT OnComfortKey(HWND window, WPARAM key) {
    if (GetKeyState(VK_CONTROL) & 0x8000) {
        switch (key) {
            case VK_OEM_PLUS:
            case VK_ADD: StepZoom(window, ZoomDirection::In); return 0;
            case VK_OEM_MINUS:
            case VK_SUBTRACT: StepZoom(window, ZoomDirection::Out); return 0;
            case '0':
            case VK_NUMPAD0: ResetZoom(window); return 0;
            case 'N': CycleDisplayMode(); return 0;
        }
        return 1;
    }
    switch (key) {
        case VK_F11: SetDesktopFullScreen(!IsDesktopFullScreen()); return 0;
        case VK_ESCAPE:
            if (!IsDesktopFullScreen()) return 1;
            SetDesktopFullScreen(FALSE);
            return 0;
    }
    return 1;
}

// Returns 0 when the key was handled, 1 when not.
LRESULT OnKeyDown(HWND window, WPARAM key) {
    if (OnSelectionKey(window, key) == 0) return 0;
    if (OnComfortKey(window, key) == 0) return 0;
    TextPane* pane = KeyPane();
    switch (key) {
        case VK_F10:
            OpenBarMenuByKey(App.MenuBar, VK_F10);
            return 0;
        case kPaneKey:
            SwitchActivePane();
            return 0;
        case VK_RETURN:
            if (App.SearchString[0]) FindNext(window);
            return 0;
        case VK_LEFT: StepArticle(window, -2); return 0;
        case VK_RIGHT: StepArticle(window, +2); return 0;
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_UP:
        case VK_DOWN: break;
        default: return 1;
    }
    if (!pane) return 0;
    int step = PageStep(pane, kPageStepShift);
    int rows = 0;
    switch (key) {
        case VK_PRIOR: rows = -step; break;
        case VK_NEXT: rows = step; break;
        case VK_END: rows = pane->maxFirstRow ? pane->maxFirstRow : step; break;
        case VK_HOME: rows = pane->firstRow ? -pane->firstRow : -step; break;
        case VK_UP: rows = -1; break;
        case VK_DOWN: rows = 1; break;
    }
    ScrollByKey(pane, rows);
    return 0;
}

// Always returns 1, after the default procedure saw the message.
LRESULT OnVScroll(HWND window, WPARAM wp, LPARAM lp) {
    HWND bar = reinterpret_cast<HWND>(lp);
    TextPane* pane;
    int mask;
    if (bar && bar == App.BottomScrollBar) {
        App.ActiveScrollBar = App.BottomScrollBar;
        pane = App.BottomPane;
        // The bottom section erases itself; the top pane has not moved and is left alone
        // (painted again without erasing, its antialiased text would thicken).
        mask = kPaintBottom;
    } else {
        App.ActiveScrollBar = App.TopScrollBar;
        pane = App.TopPane;
        mask = kEraseTop | kPaintTop;
    }
    SetActivePane(pane);
    int rows = 0;
    if (pane) {
        switch (LOWORD(wp)) {
            case 0: rows = -1; break;
            case 1: rows = 1; break;
            case 2: rows = -std::max(1, pane->rowsPainted - 1); break;
            case 3: rows = std::max(1, pane->rowsPainted - 1); break;
            case 4:
            case 5: rows = int(int16_t(HIWORD(wp))) - pane->firstRow; break;
            case 6: rows = -pane->firstRow; break;
            case 7: rows = 1; break;
        }
    }
    if (rows && pane && ScrollPane(pane, rows, false, true) != 1) RepaintPanes(window, mask);
    DefWindowProc(window, WM_VSCROLL, wp, lp);
    if (rows) UpdateScrollBar(App.ActiveScrollBar);
    return 1;
}

// The wheel scrolls the pane under the pointer, as line requests; with Ctrl it zooms, a step a
// notch.
void OnWheel(HWND window, WPARAM wp, LPARAM lp) {
    if (LOWORD(wp) & MK_CONTROL) {
        int notches = int(int16_t(HIWORD(wp))) / 120;
        for (int i = 0; i < (notches < 0 ? -notches : notches); ++i)
            StepZoom(window, notches > 0 ? ZoomDirection::In : ZoomDirection::Out);
        return;
    }
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ScreenToClient(window, &p);
    TextPane* pane = App.TopPane;
    if (App.BottomPane && p.y >= App.BottomRect.top - 2) pane = App.BottomPane;
    if (!pane) return;
    HWND bar = pane == App.BottomPane ? App.BottomScrollBar : App.TopScrollBar;
    int notches = int(int16_t(HIWORD(wp))) / 120;
    WPARAM code = notches > 0 ? 0 : 1;  // wheel up: line up
    for (int i = 0; i < kWheelRows * (notches < 0 ? -notches : notches); ++i)
        SendMessage(window, WM_VSCROLL, code, LPARAM(bar));
}

// Runs the Choose Article dialog and shows the pair of the article chosen there (a companion
// below its article, active), unless it is the current one (OK) or none (Cancel), or the window
// went while the dialog was open.
void ChooseAndGo(HWND window) {
    uint16_t chosen = ChooseArticle(App.Instance, window, App.Lesson, &App.Font);
    if (chosen > 0 && chosen != App.Lesson && IsWindow(window)) ShowArticlePair(window, chosen);
}

// Commands that open a dialog or may ask with a message box.
bool OpensModal(int command) {
    switch (command) {
        case kCommandChooseArticle:
        case kCommandChooseArticleToo:
        case kCommandSearch:
        case kCommandSearchAgain:
        case kCommandAbout:
        case kCommandFont:
        case kCommandBookmark:
            return true;
    }
    return false;
}

// A modal dialog or message box of the window is open (it disables the window while it runs):
// on the desktop a command can still arrive then (another program, the driver). Another dialog
// would nest inside the open one, which still holds its own state; the open one is brought
// forward instead. Returns true when the command is to be dropped.
bool ModalIsOpen(HWND window) {
    if (IsWindowEnabled(window)) return false;
    HWND front = GetActiveWindow();
    if (front && front != window) SetForegroundWindow(front);
    return true;
}

// Commands that go to another article, lay the panes out anew or end the program: they free the
// records, panes or window that an open dialog, or the operation that opened a message box, may
// still be working on below its modal loop.
bool LeavesArticle(int command) {
    switch (command) {
        case 109:
        case 110:
        case 401:
        case 412:
        case 413:
        case 414:
        case 423:
        case 434:
        case kCommandExit:
            return true;
    }
    return false;
}

// Inside a modal loop a message that frees what the loop's opener holds waits until every loop
// has ended. A request to close the program also asks the open dialogs and boxes to end, so that
// it does not wait for the user. Returns true when the message was held.
bool HoldWhileModal(HWND window, UINT msg, WPARAM wp, LPARAM lp, bool closes) {
    if (ModalLoopDepth() == 0) return false;
    PostWhenModalLoopsEnd(window, msg, wp, lp);
    if (closes) CancelModalLoops();
    return true;
}

void ChooseBottomSize(HWND window, int command) {
    int code = command - 400;
    if (code == App.BottomSection) return;
    App.BottomSection = code;
    // A hidden bottom pane is no longer the active one.
    if (code < 10 && App.ActivePane == App.BottomPane) SetActivePane(App.TopPane);
    LayoutPanes(window, kReplayClientSize, 0);
    RepaintPanes(window, 1023);
    CheckMenuRadioItem(BottomMenu(), 401, 434, UINT(command), MF_BYCOMMAND);
}

// Copy and Append: the selection when there is one, else the active pane's whole article.
void ExportPane(int command) {
    ClipboardMode mode = command == kCommandCopy ? ClipboardMode::Replace : ClipboardMode::Append;
    for (TextPane* pane : {App.TopPane, App.BottomPane}) {
        ReadingRange range{};
        if (pane && SelectionRange(pane, &range)) return ExportArticle(pane, mode, &range);
    }
    ExportArticle(KeyPane(), mode);
}

}  // namespace

int HandleCommand(HWND window, int command) {
    if (OpensModal(command) && ModalIsOpen(window)) return 0;
    if (LeavesArticle(command) &&
        HoldWhileModal(window, WM_COMMAND, WPARAM(command), 0, command == kCommandExit))
        return 0;
    switch (command) {
        case 110: StepArticle(window, -2); return 0;
        case 109: StepArticle(window, +2); return 0;
        // Reverse is not offered here (see StartInstance): the command changes nothing.
        case kCommandReverse: return 0;
        case 401:
        case 412:
        case 413:
        case 414:
        case 423:
        case 434: ChooseBottomSize(window, command); return 0;
        case kCommandExit: DestroyWindow(window); return 0;
        case kCommandChooseArticle:
        case kCommandChooseArticleToo: ChooseAndGo(window); return 0;
        case kCommandBookmark:
            ToggleBookmark(IsBookmarked());
            UpdateBookmarkCheck(1);
            return 0;
        case kCommandSearch: RunSearchDialog(window); return 0;
        case kCommandSearchAgain: FindNext(window); return 0;
        case kCommandAbout: RunAboutDialog(window); return 0;
        case kCommandCheckForUpdates: CheckForUpdates(window); return 0;
        case kCommandFont:
            // The panes take the new font only when the user chose OK.
            if (RunFontDialog(window, &App.Font) == IDOK) {
                App.StartFontSize = App.Font.FontSize;  // where Ctrl+0 goes back to from now on
                SetPaneFont(App.TopPane, &App.Font);
                SetPaneFont(App.BottomPane, &App.Font);
            }
            return 0;
        case kCommandCopy:
        case kCommandAppend:
            ExportPane(command);
            return 0;
    }
    return 1;
}

LRESULT MainWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            App.MainWindow = window;
            CreateMenuBar(window);
            CreatePanes(window);
            ExposePanes(window);
            // A window made again (tests) starts without the last one's selection.
            SetSelectionListener(nullptr);
            ClearSelections();
            SetPaneOverlay(PaintSelection);
            SetSelectionListener(OfferPrimarySelection);
            SetMenuCheck(GoMenu(), 1, kCommandReverse, 0);
            EnableMenuItem(GoMenu(), kCommandReverse, MF_BYCOMMAND | MF_GRAYED);
            UpdateBookmarkCheck(1);
            return 0;
        case WM_DESTROY:
            if (App.TopPane) ReleaseDC(window, App.TopPane->surface);
            if (App.MenuBar) DestroyWindow(App.MenuBar);
            App.MenuBar = nullptr;
            ShutdownSave();
            App.MainWindow = nullptr;
            return 0;
        case WM_SIZE: LayoutPanes(window, LOWORD(uintptr_t(lp)), HIWORD(uintptr_t(lp))); return 0;
        case WM_ACTIVATE:
            if (App.IgnoreActivate) break;
            if (LOWORD(wp))
                SHFullScreen(window, App.FullScreen ? SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON |
                                                          SHFS_HIDESTARTICON
                                                    : SHFS_HIDESIPBUTTON);
            return 0;
        case WM_PAINT: PaintPanes(reinterpret_cast<HDC>(wp), window, kPaintAll); return 0;
        case WM_SETTINGCHANGE: SHHandleWMSettingChange(window, wp, lp, &gActivateInfo); return 0;
        case WM_WINDOWPOSCHANGED: {
            auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
            if (pos && (pos->flags & 0xFFFF0000u) && (pos->flags & SWP_NOACTIVATE) &&
                !HoldWhileModal(window, kPrivateClose, 0, 0, true))
                DestroyWindow(window);
            return 0;
        }
        case WM_HELP:
            if (!ModalIsOpen(window)) RunAboutDialog(window);
            return 0;
        case WM_KEYDOWN: return OnKeyDown(window, wp);
        // Alt with a menu's underlined letter opens that menu.
        case WM_SYSKEYDOWN:
            if (OpenBarMenuByKey(App.MenuBar, UINT(wp))) return 0;
            break;
        case WM_CTLCOLORSCROLLBAR:
            return LRESULT(ActivePaneTrack(reinterpret_cast<HWND>(lp)));
        case WM_COMMAND:
            if (HandleCommand(window, LOWORD(wp)) == 0) return 0;
            break;
        case WM_VSCROLL: return OnVScroll(window, wp, lp);
        case WM_MOUSEWHEEL: OnWheel(window, wp, lp); return 0;
        case WM_LBUTTONDOWN:
            // A box without an owner (one a deep operation raises) leaves the window enabled; a
            // tap on it then could go to another article under the operation waiting below.
            if (ModalLoopDepth() == 0) OnPointerDown(window, wp, lp);
            return 0;
        case WM_MOUSEMOVE:
            if (ModalLoopDepth() == 0) OnPointerMove(window, wp, lp);
            return 0;
        case WM_LBUTTONUP:
            if (ModalLoopDepth() == 0) OnPointerUp(window, wp, lp);
            return 0;
        case WM_CLOSE:
            if (!HoldWhileModal(window, msg, wp, lp, true)) DestroyWindow(window);
            return 0;
        case kPrivateClose:
            if (!HoldWhileModal(window, msg, wp, lp, true)) DestroyWindow(window);
            return 0;
    }
    return DefWindowProc(window, msg, wp, lp);
}
