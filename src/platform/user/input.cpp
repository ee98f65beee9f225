// Input from the hosts: hit testing, capture, activation and focus, composition of the screen.
#include <algorithm>

#include "platform/hosting.h"
#include "platform/user/dialog.h"
#include "platform/user/screen_colours.h"
#include "platform/user/window_internal.h"

void RecordKeyState(unsigned vk, bool down);
void PostKeyMessage(HWND w, UINT msg, WPARAM vk, LPARAM lp, bool ctrl, bool alt, bool shift,
                    bool down);

namespace {

bool gDesktopFocus = true;
bool gFocusingPress = false;  // a focusing press is held: its moves and lift go nowhere

Window* TopLevelAt(int x, int y) {
    const auto& tl = wm::TopLevels();
    for (auto it = tl.rbegin(); it != tl.rend(); ++it)
        if (((*it)->style & WS_VISIBLE) && wm::Contains((*it)->rect, x, y)) return *it;
    return nullptr;
}

// The deepest visible child under a point given in the window's client coordinates.
Window* ChildAt(Window* w, int x, int y) {
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        Window* ch = *it;
        if (!(ch->style & WS_VISIBLE) || !wm::Contains(ch->rect, x, y)) continue;
        // A static control that asks for no notifications is transparent to the stylus, as on
        // Win32: a tap on a dialog's picture reaches the dialog.
        if (EqualsClass(ch, u"STATIC") && !(ch->style & SS_NOTIFY)) continue;
        RECT in = wm::NonClientInsets(ch);
        return ChildAt(ch, x - ch->rect.left - in.left, y - ch->rect.top - in.top);
    }
    return w;
}

POINT ToClient(Window* w, int sx, int sy) {
    POINT p{sx, sy};
    ScreenToClient(w, &p);
    return p;
}

// The front-most window that takes input: a modal dialog's owner is disabled, so a tap on it
// goes nowhere.
bool Blocked(Window* w) {
    for (Window* p = w; p; p = p->parent)
        if (p->style & WS_DISABLED) return true;
    return false;
}

}  // namespace

// Messages for the stylus on a window's own scroll bar, which follows it until it is lifted.
UINT NonClientMessage(MouseAction action) {
    return action == MouseAction::Down ? WM_NCLBUTTONDOWN
           : action == MouseAction::Up ? WM_NCLBUTTONUP
                                       : WM_NCMOUSEMOVE;
}

void InjectFocusingPress(int x, int y) {
    gFocusingPress = true;
    Window* top = TopLevelAt(x, y);
    if (top && !Blocked(top) && wm::ActiveWindow() != top) wm::Activate(top, WA_CLICKACTIVE);
}

void InjectMouse(MouseAction action, int x, int y, int clicks, int keys) {
    if (gFocusingPress) {
        if (action == MouseAction::Move) return;
        gFocusingPress = false;
        if (action == MouseAction::Up) return;
    }
    if (keys != kKeysUnknown) {
        RecordKeyState(VK_CONTROL, keys & MK_CONTROL);
        RecordKeyState(VK_SHIFT, keys & MK_SHIFT);
    }
    if (Window* bar = wm::WindowScrollBarTracking()) {
        PostMessage(bar, NonClientMessage(action), HTVSCROLL, MAKELPARAM(x, y));
        return;
    }
    Window* target = GetCapture();
    if (!target) {
        Window* top = TopLevelAt(x, y);
        if (!top) return;
        if (action == MouseAction::Down) {
            if (Blocked(top)) return;
            if (wm::ActiveWindow() != top) wm::Activate(top, WA_CLICKACTIVE);
            // The caption's ok button of a dialog.
            if (top->captionOk) {
                RECT ok = wm::CaptionOkButton(top);
                if (wm::Contains(ok, x - top->rect.left, y - top->rect.top)) {
                    PostMessage(top, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    return;
                }
            }
        }
        POINT c = ToClient(top, x, y);
        target = ChildAt(top, c.x, c.y);
        if (action == MouseAction::Down && wm::InWindowScrollBar(target, x, y)) {
            if (!Blocked(target))
                PostMessage(target, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(x, y));
            return;
        }
        RECT client = wm::ClientRectOf(top);
        if (target == top && !wm::Contains(client, c.x, c.y)) return;  // frame or caption
    }
    if (Blocked(target)) return;
    POINT p = ToClient(target, x, y);
    UINT msg = action == MouseAction::Down ? WM_LBUTTONDOWN
               : action == MouseAction::Up ? WM_LBUTTONUP
                                           : WM_MOUSEMOVE;
    PostMessage(target, msg, MAKEWPARAM(action == MouseAction::Up ? 0 : 1, clicks),
                MAKELPARAM(p.x, p.y));
}

void InjectWheel(int x, int y, int delta, WORD keys) {
    RecordKeyState(VK_CONTROL, keys & MK_CONTROL);
    RecordKeyState(VK_SHIFT, keys & MK_SHIFT);
    Window* top = TopLevelAt(x, y);
    if (!top || Blocked(top)) return;
    POINT c = ToClient(top, x, y);
    Window* target = ChildAt(top, c.x, c.y);
    // Wheel messages carry screen coordinates, as on Win32.
    PostMessage(target, WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), MAKELPARAM(x, y));
}

// The key's message carries the modifiers as they were; GetKeyState follows them when the
// message is taken from the queue.
void InjectKey(unsigned vk, bool down, bool ctrl, bool alt, bool shift) {
    Window* target = GetFocus();
    if (!target || !IsWindow(target)) target = wm::ActiveWindow();
    if (!target) {
        RecordKeyState(VK_CONTROL, ctrl);
        RecordKeyState(VK_MENU, alt);
        RecordKeyState(VK_SHIFT, shift);
        RecordKeyState(vk, down);
        return;
    }
    UINT msg = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    PostKeyMessage(target, msg, vk, down ? 1 : LPARAM(0xC0000001), ctrl, alt, shift, down);
}

void InjectText(const std::u16string& text) {
    Window* target = GetFocus();
    if (!target || !IsWindow(target)) target = wm::ActiveWindow();
    if (!target) return;
    for (char16_t c : text) PostMessage(target, WM_CHAR, c, 1);
}

void InjectDesktopFocus(bool focused) {
    if (gDesktopFocus == focused) return;
    gDesktopFocus = focused;
    Window* active = wm::ActiveWindow();
    if (active)
        PostMessage(active, WM_ACTIVATE, MAKEWPARAM(focused ? WA_ACTIVE : WA_INACTIVE, 0), 0);
}

bool InjectClose() {
    const auto& tl = wm::TopLevels();
    for (auto it = tl.begin(); it != tl.end(); ++it)
        if ((*it)->followsScreen && !(*it)->owner) {
            PostMessage(*it, WM_CLOSE, 0, 0);
            return true;
        }
    return false;
}

void ScreenResized(int width, int height) { wm::ScreenResized(width, height); }
