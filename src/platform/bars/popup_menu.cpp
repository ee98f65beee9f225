// Pop-up menus on the screen: a window of the menu's items that follows the stylus and the
// keys in a loop of its own until an item is chosen or the menu is dismissed.
#include <algorithm>
#include <vector>

#include "platform/bars/bar_internal.h"
#include "platform/bars/menu.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/user/user.h"
#include "platform/user/window_internal.h"

namespace {

constexpr char16_t kPopupClass[] = u"#32768";
constexpr int kCheckColumn = 14;
constexpr int kSeparatorHeight = 7;

struct PopupState {
    HMENU menu = nullptr;
    std::vector<RECT> rows;  // per item, in client coordinates
    int hot = -1;            // the item under the stylus or chosen by the keys
    bool pressedInside = false;
    bool moved = false;  // the stylus moved since the menu opened (a drag from the button)
    bool done = false;
    UINT chosen = 0;
    int* step = nullptr;  // opened from a bar: Left and Right go to its neighbours
};

HWND gOpenPopup = nullptr;

PopupState* StateOf(HWND w) {
    return static_cast<PopupState*>(w->control);
}

struct ItemView {
    MenuLabel label;
    std::u16string key;  // the text after the tab
    UINT id = 0, type = 0, state = 0;
};

ItemView ViewOf(HMENU menu, int i) {
    char16_t buf[256];
    MENUITEMINFO mi{
        sizeof mi, MIIM_TYPE | MIIM_STATE | MIIM_ID, 0, 0, 0, nullptr, nullptr, nullptr, 0, buf,
        256};
    GetMenuItemInfo(menu, UINT(i), TRUE, &mi);
    ItemView v;
    std::u16string text = buf;
    size_t tab = text.find(u'\t');
    if (tab != std::u16string::npos) v.key = text.substr(tab + 1), text.resize(tab);
    v.label = ParseMenuLabel(text);
    v.id = mi.wID;
    v.type = mi.fType;
    v.state = mi.fState;
    return v;
}

bool Choosable(const ItemView& v) {
    return !(v.type & MFT_SEPARATOR) && !(v.state & MFS_GRAYED);
}

// The rows of the items and the size of the whole menu.
SIZE Measure(HMENU menu, std::vector<RECT>* rows) {
    HDC dc = CreateCompatibleDC(nullptr);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    int rowHeight = int(tm.tmHeight) + 4, textWidth = 0, keyWidth = 0;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        ItemView v = ViewOf(menu, i);
        textWidth = std::max(textWidth, MenuLabelWidth(dc, v.label.text));
        keyWidth = std::max(keyWidth, MenuLabelWidth(dc, v.key));
    }
    DeleteDC(dc);
    int width = kCheckColumn + textWidth + (keyWidth ? keyWidth + 16 : 0) + 10;
    int y = 1;
    rows->clear();
    for (int i = 0; i < n; ++i) {
        int h = (ViewOf(menu, i).type & MFT_SEPARATOR) ? kSeparatorHeight : rowHeight;
        rows->push_back(RECT{0, y, width, y + h});
        y += h;
    }
    return SIZE{width, y + 1};
}

// Draws the check mark or radio bullet of a checked item with the selected pen, in ink.
void PaintCheck(HDC dc, const RECT& row, bool radio, COLORREF ink) {
    int cy = (row.top + row.bottom) / 2, cx = kCheckColumn / 2 + 1;
    if (radio) {  // a round bullet
        HBRUSH brush = CreateSolidBrush(ink);
        HGDIOBJ old = SelectObject(dc, brush);
        Ellipse(dc, cx - 3, cy - 3, cx + 4, cy + 4);
        SelectObject(dc, old);
        DeleteObject(brush);
        return;
    }
    for (int d = 0; d < 2; ++d) {  // a check mark two pixels thick
        MoveToEx(dc, cx - 4, cy - 1 + d, nullptr);
        LineTo(dc, cx - 1, cy + 2 + d);
        LineTo(dc, cx + 5, cy - 4 + d);
    }
}

void Paint(HWND w) {
    PopupState* s = StateOf(w);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client = wm::ClientRectOf(w);
    FillRect(dc, &client, GetStockObject(WHITE_BRUSH));
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    int right = client.right;
    for (int i = 0; i < int(s->rows.size()); ++i) {
        ItemView v = ViewOf(s->menu, i);
        RECT r = s->rows[size_t(i)];
        r.right = right;
        if (v.type & MFT_SEPARATOR) {
            RECT line{3, (r.top + r.bottom) / 2, right - 3, (r.top + r.bottom) / 2 + 1};
            FillRect(dc, &line, GetStockObject(GRAY_BRUSH));
            continue;
        }
        bool hot = i == s->hot && !(v.state & MFS_GRAYED);
        if (hot) FillRect(dc, &r, GetStockObject(BLACK_BRUSH));
        COLORREF ink = (v.state & MFS_GRAYED) ? RGB(128, 128, 128)
                       : hot                  ? RGB(255, 255, 255)
                                              : RGB(0, 0, 0);
        SetTextColor(dc, ink);
        HPEN pen = CreatePen(PS_SOLID, 0, ink);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        if (v.state & MFS_CHECKED) PaintCheck(dc, r, v.type & MFT_RADIOCHECK, ink);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        int y = r.top + (r.bottom - r.top - tm.tmHeight) / 2;
        DrawMenuLabel(dc, kCheckColumn, y, v.label);
        if (!v.key.empty())
            DrawMenuLabel(dc, right - 6 - MenuLabelWidth(dc, v.key), y, MenuLabel{v.key, -1});
    }
    EndPaint(w, &ps);
}

int RowAt(HWND w, int x, int y) {
    RECT c = wm::ClientRectOf(w);
    if (x < 0 || x >= c.right) return -1;
    const auto& rows = StateOf(w)->rows;
    for (int i = 0; i < int(rows.size()); ++i)
        if (y >= rows[size_t(i)].top && y < rows[size_t(i)].bottom) return i;
    return -1;
}

void SetHot(HWND w, int i) {
    if (StateOf(w)->hot == i) return;
    StateOf(w)->hot = i;
    InvalidateRect(w, nullptr, FALSE);
}

void Choose(HWND w, int i) {
    PopupState* s = StateOf(w);
    if (i < 0) return;
    ItemView v = ViewOf(s->menu, i);
    if (!Choosable(v) || GetSubMenu(s->menu, i)) return;
    s->chosen = v.id;
    s->done = true;
}

// Moves the key highlight to the next choosable item in the direction given.
void Step(HWND w, int dir) {
    PopupState* s = StateOf(w);
    int n = int(s->rows.size());
    for (int k = 1, i = s->hot; k <= n; ++k) {
        i = ((i < 0 && dir < 0 ? n : i) + dir + n) % n;
        if (Choosable(ViewOf(s->menu, i))) {
            SetHot(w, i);
            return;
        }
    }
}

LRESULT PopupProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            Paint(w);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        // A press outside dismisses the menu; inside, it marks the item under it.
        case WM_LBUTTONDOWN: {
            int i = RowAt(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            if (i < 0 && !wm::Contains(wm::ClientRectOf(w), GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
                StateOf(w)->done = true;
                return 0;
            }
            StateOf(w)->pressedInside = true;
            SetHot(w, i);
            return 0;
        }
        case WM_MOUSEMOVE:
            StateOf(w)->moved = true;
            SetHot(w, RowAt(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
            return 0;
        // Lifting the stylus on an item chooses it, after a press in the menu or a drag into
        // it; the lift that ends the tap which opened the menu leaves it open.
        case WM_LBUTTONUP: {
            int i = RowAt(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            if (i >= 0 && (StateOf(w)->pressedInside || StateOf(w)->moved))
                Choose(w, i);
            else if (StateOf(w)->pressedInside)
                SetHot(w, -1);
            return 0;
        }
    }
    return DefWindowProc(w, msg, wp, lp);
}

// A key with an item's underlined letter or digit: the one item that has it is chosen; among
// several that share it the highlight goes to the next of them, and Enter chooses. Returns false
// when no item has it.
bool ChooseByLetter(HWND w, WPARAM vk) {
    PopupState* s = StateOf(w);
    int n = int(s->rows.size()), count = 0, next = -1, first = -1;
    for (int i = 0; i < n; ++i) {
        ItemView v = ViewOf(s->menu, i);
        if (!Choosable(v) || MenuLabelKey(v.label) != vk) continue;
        ++count;
        if (first < 0) first = i;
        if (next < 0 && i > s->hot) next = i;
    }
    if (count == 0) return false;
    if (count == 1) {
        SetHot(w, first);
        Choose(w, first);
    } else {
        SetHot(w, next >= 0 ? next : first);
    }
    return true;
}

// Keys while the menu is open; returns true when the key belonged to the menu.
bool MenuKey(HWND w, const MSG& m) {
    if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP || m.message == WM_CHAR ||
        m.message == WM_SYSCHAR)
        return true;
    if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
    PopupState* s = StateOf(w);
    switch (m.wParam) {
        case VK_ESCAPE:
        case VK_MENU:
        case VK_F10:
            s->done = true;
            break;
        case VK_LEFT:
        case VK_RIGHT:
            if (s->step) {
                *s->step = m.wParam == VK_LEFT ? -1 : +1;
                s->done = true;
            }
            break;
        case VK_UP:
            Step(w, -1);
            break;
        case VK_DOWN:
            Step(w, +1);
            break;
        // The first and the last item.
        case VK_HOME:
            s->hot = -1;
            Step(w, +1);
            break;
        case VK_END:
            s->hot = -1;
            Step(w, -1);
            break;
        case VK_RETURN:
            Choose(w, s->hot);
            break;
        default:
            // With Ctrl a letter is another command's key, not the item's.
            if (!(GetKeyState(VK_CONTROL) & 0x8000)) ChooseByLetter(w, m.wParam);
            break;
    }
    return true;
}

}  // namespace

HWND OpenPopupMenuWindow() {
    return IsWindow(gOpenPopup) ? gOpenPopup : nullptr;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    if (!IsMenu(menu) || !IsWindow(owner) || OpenPopupMenuWindow()) return FALSE;
    UINT chosen = TrackMenu(menu, flags, x, y, owner, MenuOpening::Stylus, nullptr);
    if (flags & TPM_RETURNCMD) return BOOL(chosen);
    if (chosen && IsWindow(owner)) PostMessage(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return chosen ? TRUE : FALSE;
}

UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner, MenuOpening opening, int* step) {
    if (step) *step = 0;
    if (!IsMenu(menu) || !IsWindow(owner) || OpenPopupMenuWindow()) return 0;
    WNDCLASS wc{};
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = kPopupClass;
    RegisterClass(&wc);
    SendMessage(owner, WM_INITMENUPOPUP, WPARAM(menu), 0);
    if (!IsWindow(owner) || !IsMenu(menu)) return 0;

    PopupState state;
    state.menu = menu;
    state.step = step;
    SIZE size = Measure(menu, &state.rows);
    int width = size.cx + 2, height = size.cy + 2;  // with the border
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (flags & TPM_BOTTOMALIGN) y -= height;
    x = std::clamp(x, 0, std::max(0, sw - width));
    y = std::clamp(y, 0, std::max(0, sh - height));
    HWND w = CreateWindowEx(0, kPopupClass, u"", WS_POPUP | WS_BORDER, x, y, width, height, owner,
                            nullptr, nullptr, nullptr);
    if (!w) return 0;
    w->control = &state;
    // Opened by a key, the menu starts on its first item, so that Enter alone chooses.
    if (opening == MenuOpening::Key) Step(w, +1);
    w->noActivate = true;
    gOpenPopup = w;
    ShowWindow(w, SW_SHOW);
    wm::BringToTop(w);
    HWND oldCapture = SetCapture(w);

    MSG m;
    bool quit = false;
    int quitCode = 0;
    while (IsWindow(w) && IsWindow(owner) && !state.done) {
        if (!GetMessage(&m, nullptr, 0, 0)) {
            quit = true;
            quitCode = int(m.wParam);
            break;
        }
        if (MenuKey(w, m)) continue;
        TranslateMessage(&m);
        DispatchMessage(&m);
        if (IsWindow(w) && GetCapture() != w) state.done = true;  // someone took the stylus
    }
    gOpenPopup = nullptr;
    if (GetCapture() == w) {
        ReleaseCapture();
        if (IsWindow(oldCapture)) SetCapture(oldCapture);
    }
    if (IsWindow(w)) {
        w->control = nullptr;
        DestroyWindow(w);
    }
    if (quit) PostQuitMessage(quitCode);
    if (step && (quit || state.chosen)) *step = 0;
    return state.chosen;
}

std::vector<AccessItemInfo> DescribePopupItems(HWND popup) {
    std::vector<AccessItemInfo> out;
    if (!IsWindow(popup) || popup != OpenPopupMenuWindow() || !StateOf(popup)) return out;
    const PopupState* s = StateOf(popup);
    for (int i = 0; i < int(s->rows.size()); ++i) {
        ItemView v = ViewOf(s->menu, i);
        AccessItemInfo item;
        item.name = v.label.text;
        item.rect = s->rows[size_t(i)];
        item.separator = (v.type & MFT_SEPARATOR) != 0;
        item.enabled = !(v.state & MFS_GRAYED);
        item.checked = (v.state & MFS_CHECKED) != 0;
        item.radio = (v.type & MFT_RADIOCHECK) != 0;
        item.hot = s->hot == i;
        item.shortcut = v.key;
        out.push_back(std::move(item));
    }
    return out;
}

std::u16string DescribePopupName(HWND popup) {
    if (!IsWindow(popup) || popup != OpenPopupMenuWindow() || !StateOf(popup)) return {};
    return MenuTitleOf(StateOf(popup)->menu);
}
