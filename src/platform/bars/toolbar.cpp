// The bar window of both the shell's menu bar and the command bar: text buttons that open
// pop-up menus, tool buttons from image strips with tooltips, and an optional close button.
// Tool buttons send WM_COMMAND to the parent when the stylus is lifted on them; a tooltip shows
// while the stylus is held on one.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/bars/bar_internal.h"
#include "platform/bars/menu.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/resources.h"
#include "platform/unicode.h"
#include "platform/user/user.h"
#include "platform/user/window_internal.h"

namespace {

constexpr char16_t kBarClass[] = u"ToolbarWindow32";
constexpr char16_t kTipClass[] = u"tooltips_class32";
constexpr COLORREF kFace = RGB(212, 208, 200);

struct Button {
    int image = -1;
    int command = 0;
    BYTE state = TBSTATE_ENABLED;
    BYTE style = TBSTYLE_BUTTON;
    std::u16string text;
    HMENU popup = nullptr;
    bool close = false;
    bool hidden = false;  // it does not fit whole in the bar: neither drawn nor tapped
    RECT rect{};
};

struct Strip {
    HBITMAP bitmap = nullptr;
    int count = 0;
};

struct BarState {
    BarEdge edge = BarEdge::Top;
    std::vector<Button> buttons;
    std::vector<Strip> strips;
    int imageWidth = 16, imageHeight = 16;
    std::vector<std::u16string> tips;  // entry 0 belongs to the menu, then the tool buttons
    HMENU menu = nullptr;
    int pressed = -1;
    bool inside = false;
    HWND tip = nullptr;
};

BarState* StateOf(HWND w) {
    return static_cast<BarState*>(w->control);
}

// Buttons go from the left; the close button, when there is one, keeps the right end, and the
// buttons that would reach under it or past the bar's end give way.
void Layout(HWND w) {
    BarState* s = StateOf(w);
    HDC dc = GetDC(w);
    RECT c = wm::ClientRectOf(w);
    bool hasClose =
        std::any_of(s->buttons.begin(), s->buttons.end(), [](const Button& b) { return b.close; });
    int limit = hasClose ? c.right - c.bottom : c.right;
    int x = 0;
    for (Button& b : s->buttons) {
        if (b.close) {
            b.rect = RECT{c.right - c.bottom, 1, c.right - 1, c.bottom - 1};
            continue;
        }
        int width = (b.style & TBSTYLE_SEP) ? 6
                    : b.image >= 0          ? s->imageWidth + 8
                                            : MenuLabelWidth(dc, ParseMenuLabel(b.text).text) + 14;
        b.rect = RECT{x, 1, x + width, c.bottom - 1};
        // A button that would be cut by the bar's end (or the close button) is not shown at all:
        // half an icon is neither recognisable nor a fair target.
        b.hidden = b.rect.right > limit;
        x += width;
    }
    ReleaseDC(w, dc);
    InvalidateRect(w, nullptr, FALSE);
}

// The tooltip of the k-th tool button, or empty.
std::u16string TipOf(HWND w, int index) {
    BarState* s = StateOf(w);
    int k = 0;
    for (int i = 0; i < index; ++i)
        if (s->buttons[size_t(i)].image >= 0) ++k;
    if (s->buttons[size_t(index)].image < 0 || size_t(k + 1) >= s->tips.size()) return {};
    return s->tips[size_t(k + 1)];
}

LRESULT TipProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r = wm::ClientRectOf(w);
        HBRUSH back = CreateSolidBrush(RGB(255, 255, 225));
        FillRect(dc, &r, back);
        DeleteObject(back);
        SetBkMode(dc, TRANSPARENT);
        ExtTextOut(dc, 3, 1, 0, nullptr, w->title.data(), UINT(w->title.size()), nullptr);
        EndPaint(w, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProc(w, msg, wp, lp);
}

void ShowTip(HWND w, int index) {
    std::u16string text = TipOf(w, index);
    if (text.empty()) return;
    WNDCLASS wc{};
    wc.lpfnWndProc = TipProc;
    wc.lpszClassName = kTipClass;
    RegisterClass(&wc);
    HDC dc = CreateCompatibleDC(nullptr);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    int width = MenuLabelWidth(dc, text) + 8, height = int(tm.tmHeight) + 4;
    DeleteDC(dc);
    RECT br = StateOf(w)->buttons[size_t(index)].rect;
    POINT p{br.left, StateOf(w)->edge == BarEdge::Bottom ? br.top - height - 2 : br.bottom + 2};
    ClientToScreen(w, &p);
    p.x = std::clamp<LONG>(p.x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - width));
    HWND tip = CreateWindowEx(0, kTipClass, text.c_str(), WS_POPUP | WS_BORDER, p.x, p.y, width,
                              height, w, nullptr, nullptr, nullptr);
    if (!tip) return;
    tip->noActivate = true;
    ShowWindow(tip, SW_SHOW);
    StateOf(w)->tip = tip;
}

void HideTip(HWND w) {
    if (IsWindow(StateOf(w)->tip)) DestroyWindow(StateOf(w)->tip);
    StateOf(w)->tip = nullptr;
}

void DrawImage(HDC dc, BarState* s, int image, int x, int y, bool pressed) {
    for (const Strip& strip : s->strips) {
        if (image >= strip.count) {
            image -= strip.count;
            continue;
        }
        if (!strip.bitmap) return;
        HDC mem = CreateCompatibleDC(dc);
        SelectObject(mem, strip.bitmap);
        SetTextColor(dc, pressed ? RGB(255, 255, 255) : RGB(0, 0, 0));
        SetBkColor(dc, pressed ? RGB(0, 0, 0) : kFace);
        BitBlt(dc, x, y, s->imageWidth, s->imageHeight, mem, image * s->imageWidth, 0, SRCCOPY);
        DeleteDC(mem);
        return;
    }
}

void Paint(HWND w) {
    BarState* s = StateOf(w);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT c = wm::ClientRectOf(w);
    HBRUSH face = CreateSolidBrush(kFace);
    FillRect(dc, &c, face);
    DeleteObject(face);
    RECT edge = s->edge == BarEdge::Bottom ? RECT{0, 0, c.right, 1}
                                           : RECT{0, c.bottom - 1, c.right, c.bottom};
    FillRect(dc, &edge, GetStockObject(GRAY_BRUSH));
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    for (size_t i = 0; i < s->buttons.size(); ++i) {
        const Button& b = s->buttons[i];
        if ((b.style & TBSTYLE_SEP) || b.hidden) continue;
        bool down = int(i) == s->pressed && s->inside;
        if (down) FillRect(dc, &b.rect, GetStockObject(BLACK_BRUSH));
        SetTextColor(dc, !(b.state & TBSTATE_ENABLED) ? RGB(128, 128, 128)
                         : down                       ? RGB(255, 255, 255)
                                                      : RGB(0, 0, 0));
        int midY = (b.rect.top + b.rect.bottom) / 2;
        if (b.close) {
            HPEN pen = CreatePen(PS_SOLID, 0, down ? RGB(255, 255, 255) : RGB(0, 0, 0));
            HGDIOBJ old = SelectObject(dc, pen);
            int cx = (b.rect.left + b.rect.right) / 2;
            for (int d = 0; d < 2; ++d) {
                MoveToEx(dc, cx - 5 + d, midY - 5, nullptr);
                LineTo(dc, cx + 5 + d, midY + 5);
                MoveToEx(dc, cx + 4 + d, midY - 5, nullptr);
                LineTo(dc, cx - 6 + d, midY + 5);
            }
            SelectObject(dc, old);
            DeleteObject(pen);
        } else if (b.image >= 0) {
            DrawImage(dc, s, b.image, b.rect.left + 4, midY - s->imageHeight / 2, down);
        } else {
            DrawMenuLabel(dc, b.rect.left + 7, midY - tm.tmHeight / 2, ParseMenuLabel(b.text));
        }
    }
    EndPaint(w, &ps);
}

int ButtonAt(HWND w, int x, int y) {
    BarState* s = StateOf(w);
    for (size_t i = 0; i < s->buttons.size(); ++i)
        if (!(s->buttons[i].style & TBSTYLE_SEP) && !s->buttons[i].hidden &&
            wm::Contains(s->buttons[i].rect, x, y))
            return int(i);
    return -1;
}

bool OpensMenu(const Button& b) {
    return b.popup && !b.hidden && (b.state & TBSTATE_ENABLED);
}

// The menu button `step` places (1 or -1) after button i, round the bar; i itself when there
// is no other.
int NeighbourMenu(HWND w, int i, int step) {
    const auto& buttons = StateOf(w)->buttons;
    int n = int(buttons.size());
    for (int k = 1; k <= n; ++k) {
        int j = ((i + step * k) % n + n) % n;
        if (OpensMenu(buttons[size_t(j)])) return j;
    }
    return i;
}

// Opens the menu of button i, shown pressed while it is open; Left and Right in it go on to the
// neighbouring menus. A chosen item is posted to the parent as WM_COMMAND.
void RunMenus(HWND w, int i, MenuOpening opening) {
    for (;;) {
        BarState* s = StateOf(w);
        Button b = s->buttons[size_t(i)];
        s->pressed = i;
        s->inside = true;
        InvalidateRect(w, nullptr, FALSE);
        bool bottom = s->edge == BarEdge::Bottom;
        POINT p{b.rect.left, bottom ? 0 : wm::ClientRectOf(w).bottom};
        ClientToScreen(w, &p);
        UpdateWindow(w);
        HWND parent = w->parent;
        int step = 0;
        UINT chosen = TrackMenu(b.popup, bottom ? TPM_BOTTOMALIGN : TPM_TOPALIGN, p.x, p.y, parent,
                                opening, &step);
        if (chosen && IsWindow(parent)) PostMessage(parent, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
        if (!IsWindow(w)) return;
        StateOf(w)->pressed = -1;
        InvalidateRect(w, nullptr, FALSE);
        if (!step) return;
        i = NeighbourMenu(w, i, step);
        opening = MenuOpening::Key;
    }
}

// The virtual key of a menu button's underlined letter: from its own text, or, on the shell's
// menu bar, whose button strings carry no "&", from its pop-up's text in the bar's menu.
unsigned ButtonKey(HWND w, const Button& b) {
    if (unsigned key = MenuLabelKey(ParseMenuLabel(b.text))) return key;
    HMENU menu = StateOf(w)->menu;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        if (GetSubMenu(menu, i) != b.popup) continue;
        char16_t text[64] = {};
        MENUITEMINFO mi{sizeof mi, MIIM_TYPE, 0, 0, 0, nullptr, nullptr, nullptr, 0, text, 64};
        GetMenuItemInfo(menu, UINT(i), TRUE, &mi);
        return MenuLabelKey(ParseMenuLabel(text));
    }
    return 0;
}

// A press on a menu button opens its pop-up at once; other buttons act when released.
LRESULT Press(HWND w, int x, int y) {
    BarState* s = StateOf(w);
    int i = ButtonAt(w, x, y);
    if (i < 0 || !(s->buttons[size_t(i)].state & TBSTATE_ENABLED)) return 0;
    if (s->buttons[size_t(i)].popup) {
        RunMenus(w, i, MenuOpening::Stylus);
        return 0;
    }
    s->pressed = i;
    s->inside = true;
    InvalidateRect(w, nullptr, FALSE);
    SetCapture(w);
    ShowTip(w, i);
    return 0;
}

LRESULT Release(HWND w, int x, int y) {
    BarState* s = StateOf(w);
    int i = s->pressed;
    if (i < 0) return 0;
    bool hit = ButtonAt(w, x, y) == i;
    s->pressed = -1;
    if (GetCapture() == w) ReleaseCapture();
    HideTip(w);
    InvalidateRect(w, nullptr, FALSE);
    if (!hit || !w->parent) return 0;
    const Button& b = s->buttons[size_t(i)];
    if (b.close)
        SendMessage(w->parent, WM_CLOSE, 0, 0);
    else
        SendMessage(w->parent, WM_COMMAND, MAKEWPARAM(b.command, 0), LPARAM(w));
    return 0;
}

// Adds image strips; returns the index of the first new image, or -1.
LRESULT AddBitmap(HWND w, int count, const TBADDBITMAP* add) {
    BarState* s = StateOf(w);
    if (!add || count <= 0) return -1;
    int first = 0;
    for (const Strip& strip : s->strips) first += strip.count;
    HBITMAP bitmap = LoadBitmap(add->hInst, WORD(add->nID));
    if (!bitmap) return -1;
    s->strips.push_back(Strip{bitmap, count});
    return first;
}

// Appends buttons; returns TRUE.
LRESULT AddButtons(HWND w, int count, const TBBUTTON* buttons) {
    if (!buttons || count < 0) return FALSE;
    for (int i = 0; i < count; ++i) {
        Button b;
        b.image = buttons[i].iBitmap;
        b.command = buttons[i].idCommand;
        b.state = buttons[i].fsState;
        b.style = buttons[i].fsStyle;
        StateOf(w)->buttons.push_back(b);
    }
    Layout(w);
    return TRUE;
}

LRESULT BarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    BarState* s = StateOf(w);
    switch (msg) {
        case WM_CREATE:
            w->control = new BarState;
            return 0;
        case WM_DESTROY:
            HideTip(w);
            for (const Strip& strip : s->strips) DeleteObject(strip.bitmap);
            if (s->menu) DestroyMenu(s->menu);
            delete s;
            w->control = nullptr;
            return 0;
        case WM_SIZE:
            Layout(w);
            return 0;
        case WM_PAINT:
            Paint(w);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
            return Press(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        case WM_MOUSEMOVE:
            if (s->pressed >= 0) {
                bool inside = ButtonAt(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)) == s->pressed;
                if (inside != s->inside) s->inside = inside, InvalidateRect(w, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONUP:
            return Release(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        // Sets the size of one image in the strips; returns TRUE.
        case TB_SETBITMAPSIZE:
            s->imageWidth = std::max(1, int(LOWORD(uintptr_t(lp))));
            s->imageHeight = std::max(1, int(HIWORD(uintptr_t(lp))));
            Layout(w);
            return TRUE;
        case TB_ADDBITMAP:
            return AddBitmap(w, int(wp), reinterpret_cast<const TBADDBITMAP*>(lp));
        case TB_ADDBUTTONS:
            return AddButtons(w, int(wp), reinterpret_cast<const TBBUTTON*>(lp));
        case TB_BUTTONCOUNT:
            return LRESULT(s->buttons.size());
        // Keeps copies of the texts (entry 0 for the menu, then one per tool button); TRUE.
        case TB_SETTOOLTIPS: {
            auto* texts = reinterpret_cast<LPCWSTR*>(lp);
            s->tips.clear();
            for (int i = 0; texts && i < int(wp); ++i)
                s->tips.emplace_back(texts[i] ? texts[i] : u"");
            return TRUE;
        }
        // Returns the pop-up menu of the button with that command, or nullptr.
        case SHCMBM_GETSUBMENU:
            return LRESULT(BarPopupFor(w, int(lp)));
    }
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

HWND CreateBar(HWND parent, int id, BarEdge edge, bool visible) {
    if (!IsWindow(parent)) return nullptr;
    WNDCLASS wc{};
    wc.lpfnWndProc = BarProc;
    wc.lpszClassName = kBarClass;
    RegisterClass(&wc);
    RECT c;
    GetClientRect(parent, &c);
    int y = edge == BarEdge::Bottom ? c.bottom - kBarHeight : 0;
    HWND bar =
        CreateWindowEx(0, kBarClass, u"", WS_CHILD | (visible ? WS_VISIBLE : 0), 0, y, c.right,
                       kBarHeight, parent, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    if (!bar) return nullptr;
    StateOf(bar)->edge = edge;
    bar->dock = edge == BarEdge::Bottom ? wm::kDockBottom : wm::kDockTop;
    return bar;
}

bool IsBar(HWND w) {
    return IsWindow(w) && w->cls && w->cls->wc.lpfnWndProc == BarProc;
}

void AddMenuButton(HWND bar, int at, int command, const std::u16string& text, HMENU popup) {
    if (!IsBar(bar)) return;
    auto& buttons = StateOf(bar)->buttons;
    Button b;
    b.command = command;
    b.text = text;
    b.popup = popup;
    b.style = TBSTYLE_DROPDOWN | TBSTYLE_AUTOSIZE;
    at = std::clamp(at, 0, int(buttons.size()));
    buttons.insert(buttons.begin() + at, b);
    Layout(bar);
}

void SetBarMenu(HWND bar, HMENU menu) {
    if (!IsBar(bar)) return;
    if (StateOf(bar)->menu && StateOf(bar)->menu != menu) DestroyMenu(StateOf(bar)->menu);
    StateOf(bar)->menu = menu;
}

HMENU BarMenu(HWND bar) {
    return IsBar(bar) ? StateOf(bar)->menu : nullptr;
}

HMENU BarPopupFor(HWND bar, int command) {
    if (!IsBar(bar)) return nullptr;
    for (const Button& b : StateOf(bar)->buttons)
        if (b.popup && b.command == command) return b.popup;
    return nullptr;
}

void AddCloseButton(HWND bar) {
    if (!IsBar(bar)) return;
    for (const Button& b : StateOf(bar)->buttons)
        if (b.close) return;
    Button b;
    b.close = true;
    StateOf(bar)->buttons.push_back(b);
    Layout(bar);
}

bool FindBarButton(HWND bar, const char16_t* text, RECT* screenRect) {
    if (!IsBar(bar) || !text) return false;
    std::u16string want = LowerAscii(ParseMenuLabel(text).text);
    const std::vector<Button>& buttons = StateOf(bar)->buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const Button& b = buttons[i];
        // A tool button has no text: it is known by its tooltip.
        std::u16string label = b.text.empty() ? TipOf(bar, int(i)) : b.text;
        if (label.empty() || b.hidden || LowerAscii(ParseMenuLabel(label).text) != want) continue;
        if (screenRect) {
            POINT a{b.rect.left, b.rect.top}, z{b.rect.right, b.rect.bottom};
            ClientToScreen(bar, &a);
            ClientToScreen(bar, &z);
            *screenRect = RECT{a.x, a.y, z.x, z.y};
        }
        return true;
    }
    return false;
}

std::vector<AccessItemInfo> DescribeBarButtons(HWND bar) {
    std::vector<AccessItemInfo> out;
    if (!IsBar(bar)) return out;
    const std::vector<Button>& buttons = StateOf(bar)->buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const Button& b = buttons[i];
        if (b.hidden) continue;
        AccessItemInfo item;
        // A tool button has no text: it is known by its tooltip.
        std::u16string label = b.text.empty() ? TipOf(bar, int(i)) : b.text;
        item.name = b.close ? u"Close" : ParseMenuLabel(label).text;
        item.rect = b.rect;
        item.separator = (b.style & TBSTYLE_SEP) != 0;
        item.opensMenu = b.popup != nullptr;
        item.enabled = (b.state & TBSTATE_ENABLED) != 0;
        item.hot = StateOf(bar)->pressed == int(i);
        out.push_back(std::move(item));
    }
    return out;
}

bool OpenBarMenuByKey(HWND bar, UINT vk) {
    if (!IsBar(bar) || !IsWindowVisible(bar) || OpenPopupMenuWindow()) return false;
    const auto& buttons = StateOf(bar)->buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (!OpensMenu(buttons[i])) continue;
        if (vk != VK_F10 && ButtonKey(bar, buttons[i]) != vk) continue;
        RunMenus(bar, int(i), MenuOpening::Key);
        return true;
    }
    return false;
}

bool IsBottomBar(HWND bar) { return IsBar(bar) && StateOf(bar)->edge == BarEdge::Bottom; }
