// Window records: classes, creation and destruction, geometry, text, z-order and activation.
#include <algorithm>
#include <deque>
#include <list>

#include "platform/gdi/gdi.h"
#include "platform/hosting.h"
#include "platform/unicode.h"
#include "platform/user/screen_colours.h"
#include "platform/user/single_instance.h"
#include "platform/user/window_internal.h"

namespace {

struct WindowSystem {
    std::list<WindowClassRecord> classes;
    std::vector<Window*> topLevels;  // back to front
    std::vector<std::unique_ptr<Window>> all;
    // Destroyed windows, oldest first: their records are kept for a while, so that a handle
    // held after its window went still answers IsWindow with FALSE and no new window takes its
    // address, and then freed, so that a long run's dialogs do not add up.
    std::deque<Window*> dead;
    Window* active = nullptr;
    Window* focus = nullptr;
    Window* capture = nullptr;
};

// Kept for the life of the process: windows still open when the program ends are let go with
// it, as a process's windows are, without destruction messages.
WindowSystem& ws() {
    static auto* s = new WindowSystem;
    return *s;
}

// How many destroyed windows keep their records (a few hundred bytes each).
constexpr size_t kDeadWindowsKept = 1024;

void ForgetOldDeadWindows(Window* justDestroyed) {
    WindowSystem& s = ws();
    s.dead.push_back(justDestroyed);
    while (s.dead.size() > kDeadWindowsKept) {
        Window* old = s.dead.front();
        s.dead.pop_front();
        auto it = std::find_if(s.all.begin(), s.all.end(),
                               [old](const std::unique_ptr<Window>& w) { return w.get() == old; });
        if (it != s.all.end() && !(*it)->alive) s.all.erase(it);
    }
}

const WindowClassRecord* FindClass(LPCWSTR name) {
    std::u16string_view n(name ? name : u"");
    for (auto& c : ws().classes)
        if (EqualsIgnoringCase(c.name, n)) return &c;
    return nullptr;
}

void Unlink(Window* w) {
    auto& tl = ws().topLevels;
    tl.erase(std::remove(tl.begin(), tl.end(), w), tl.end());
    if (w->parent) {
        auto& ch = w->parent->children;
        ch.erase(std::remove(ch.begin(), ch.end(), w), ch.end());
    }
}

}  // namespace

// The built-in control classes register themselves on first use of the window system.
void RegisterBuiltinControls();

namespace wm {

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

RECT Union(const RECT& a, const RECT& b) {
    if (IsEmpty(a)) return b;
    if (IsEmpty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Contains(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool IsTopLevel(const Window* w) { return !(w->style & WS_CHILD); }

Window* TopLevelOf(Window* w) {
    while (w && !IsTopLevel(w)) w = w->parent;
    return w;
}

RECT NonClientInsets(const Window* w) {
    RECT in{};
    if (IsTopLevel(w) && (w->style & WS_CAPTION) == WS_CAPTION) {
        in.left = in.right = in.bottom = 1;
        in.top = kCaptionHeight;
    } else if (w->style & WS_BORDER) {
        in.left = in.top = in.right = in.bottom = 1;
    }
    if (w->style & WS_VSCROLL) in.right += kScrollBarWidth;
    return in;
}

RECT ClientRectOf(const Window* w) {
    RECT in = NonClientInsets(w);
    int cw = std::max(0, int(w->rect.right - w->rect.left - in.left - in.right));
    int ch = std::max(0, int(w->rect.bottom - w->rect.top - in.top - in.bottom));
    return RECT{0, 0, cw, ch};
}

POINT ClientOriginInTopLevel(const Window* w) {
    RECT in = NonClientInsets(w);
    if (IsTopLevel(w)) return POINT{in.left, in.top};
    POINT p = ClientOriginInTopLevel(w->parent);
    return POINT{p.x + w->rect.left + in.left, p.y + w->rect.top + in.top};
}

RECT VisibleClientInTopLevel(const Window* w) {
    POINT o = ClientOriginInTopLevel(w);
    RECT c = ClientRectOf(w);
    RECT r{o.x, o.y, o.x + c.right, o.y + c.bottom};
    for (const Window* p = w; !IsTopLevel(p); p = p->parent) {
        POINT po = ClientOriginInTopLevel(p->parent);
        RECT pc = ClientRectOf(p->parent);
        r = Intersect(r, RECT{po.x, po.y, po.x + pc.right, po.y + pc.bottom});
    }
    return r;
}

const std::vector<Window*>& TopLevels() { return ws().topLevels; }

void BringToTop(Window* w) {
    auto& tl = ws().topLevels;
    auto it = std::find(tl.begin(), tl.end(), w);
    if (it == tl.end()) return;
    tl.erase(it);
    tl.push_back(w);
    // Owned windows stay above their owner.
    std::vector<Window*> owned;
    for (Window* t : tl)
        if (t != w && t->owner == w) owned.push_back(t);
    for (Window* o : owned) BringToTop(o);
    if (CurrentHost()) CurrentHost()->ScreenDamaged();
}

Window* ActiveWindow() { return ws().active; }

void Activate(Window* w, WORD how) {
    Window* old = ws().active;
    if (old == w || (w && w->noActivate)) return;
    ws().active = w;
    if (old && old->alive) {
        old->lastFocus = ws().focus && TopLevelOf(ws().focus) == old ? ws().focus : nullptr;
        SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), LPARAM(w));
    }
    if (w) {
        BringToTop(w);
        SendMessage(w, WM_ACTIVATE, MAKEWPARAM(how, 0), LPARAM(old));
        if (ws().active == w) {
            Window* f = w->lastFocus && IsWindow(w->lastFocus) ? w->lastFocus : w;
            if (!ws().focus || TopLevelOf(ws().focus) != w) SetFocus(f);
        }
    }
}

void InvalidateTree(Window* w, bool erase) {
    RECT c = ClientRectOf(w);
    w->invalid = c;
    w->needsPaint = !IsEmpty(c) || (w->style & (WS_CAPTION | WS_VSCROLL | WS_BORDER));
    w->needsErase = w->needsErase || erase;
    for (Window* ch : w->children)
        if (ch->style & WS_VISIBLE) InvalidateTree(ch, erase);
}

void InvalidateNonClient(Window* w) {
    if (!IsWindow(w)) return;
    w->needsPaint = true;
}

void PlaceDockedChildren(Window* parent) {
    RECT c = ClientRectOf(parent);
    for (Window* ch : parent->children) {
        if (!ch->dock) continue;
        int h = ch->rect.bottom - ch->rect.top;
        int y = ch->dock == kDockBottom ? c.bottom - h : 0;
        if (ch->rect.left != 0 || ch->rect.top != y || ch->rect.right != c.right)
            MoveWindow(ch, 0, y, c.right, h, TRUE);
    }
}

static Window* FirstNeedingPaint(Window* w) {
    if (!(w->style & WS_VISIBLE)) return nullptr;
    if (w->needsPaint) return w;
    for (Window* ch : w->children)
        if (Window* f = FirstNeedingPaint(ch)) return f;
    return nullptr;
}

Window* NextWindowToPaint() {
    for (auto it = ws().topLevels.rbegin(); it != ws().topLevels.rend(); ++it)
        if (Window* f = FirstNeedingPaint(*it)) return f;
    return nullptr;
}

void BackingChanged(Window* top, const RECT* area) {
    // One counter for all windows: a window made where a destroyed one was never shares its
    // versions.
    static uint64_t counter = 0;
    if (!top) return;
    top->backingVersion = ++counter;
    RECT all{0, 0, top->rect.right - top->rect.left, top->rect.bottom - top->rect.top};
    RECT r = area ? Intersect(*area, all) : all;
    if (!IsEmpty(r)) top->drawn = IsEmpty(top->drawn) ? r : Union(top->drawn, r);
}

void EnsureBacking(Window* w) {
    int width = std::max(1, int(w->rect.right - w->rect.left));
    int height = std::max(1, int(w->rect.bottom - w->rect.top));
    if (w->backing && cairo_image_surface_get_width(w->backing) == width &&
        cairo_image_surface_get_height(w->backing) == height)
        return;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    if (w->backing) {
        cairo_set_source_surface(cr, w->backing, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(w->backing);
    }
    cairo_destroy(cr);
    w->backing = s;
    BackingChanged(w);
}

void ScreenResized(int width, int height) {
    for (Window* w : std::vector<Window*>(ws().topLevels)) {
        if (!IsWindow(w)) continue;
        if (w->followsScreen) {
            MoveWindow(w, 0, 0, width, height, TRUE);
        } else if (w->naturalWidth > 0 && w->naturalHeight > 0) {
            int cx = std::min(w->naturalWidth, width), cy = std::min(w->naturalHeight, height);
            MoveWindow(w, std::max(0, (width - cx) / 2), std::max(0, (height - cy) / 2), cx, cy,
                       TRUE);
        }
    }
}

void DestroyAllWindows() {
    while (!ws().topLevels.empty()) DestroyWindow(ws().topLevels.back());
}

void ResetWindowSystem() {
    DestroyAllWindows();
    ws().all.clear();
    ws().dead.clear();
    ws().classes.clear();
    ws().active = ws().focus = ws().capture = nullptr;
    SetScreenColours(ScreenColours::Normal);
}

}  // namespace wm

using namespace wm;

WORD RegisterClass(const WNDCLASS* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || FindClass(wc->lpszClassName)) return 0;
    ws().classes.push_back(WindowClassRecord{std::u16string(wc->lpszClassName), *wc});
    return WORD(ws().classes.size());
}

BOOL UnregisterClass(LPCWSTR className, HINSTANCE) {
    for (auto it = ws().classes.begin(); it != ws().classes.end(); ++it)
        if (EqualsIgnoringCase(it->name, className ? className : u"")) {
            ws().classes.erase(it);
            return TRUE;
        }
    return FALSE;
}

HWND CreateWindowEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                    void* param) {
    RegisterBuiltinControls();
    const WindowClassRecord* cls = FindClass(className);
    if (!cls) return nullptr;
    if ((style & WS_CHILD) && !IsWindow(parent)) return nullptr;
    auto owned = std::make_unique<Window>();
    Window* w = owned.get();
    w->cls = cls;
    w->proc = cls->wc.lpfnWndProc;
    w->title = title ? title : u"";
    w->style = style;
    w->exStyle = exStyle;
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = int(reinterpret_cast<intptr_t>(menuOrId));
    } else {
        w->owner = parent ? TopLevelOf(parent) : nullptr;
    }
    Host* host = CurrentHost();
    int sw = host ? host->ScreenWidth() : 240, sh = host ? host->ScreenHeight() : 320;
    // The default place: the whole screen for a top-level window (which then follows the
    // screen's size), nothing for a child until it is moved.
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        if (style & WS_CHILD) {
            width = height = 0;
        } else {
            w->followsScreen = true;
            width = sw, height = sh;
        }
    }
    w->rect = RECT{x, y, x + width, y + height};
    ws().all.push_back(std::move(owned));
    if (w->parent) {
        w->parent->children.push_back(w);
    } else {
        ws().topLevels.push_back(w);
        EnsureBacking(w);
    }
    CREATESTRUCT cs{param, instance, menuOrId, parent, height, width, y, x, LONG(style), title,
                    className, exStyle};
    if (SendMessage(w, WM_CREATE, 0, LPARAM(&cs)) == -1) {
        DestroyWindow(w);
        return nullptr;
    }
    if (!w->alive) return nullptr;
    // As on Win32, a new window learns its size and place right after its creation.
    RECT client = ClientRectOf(w);
    SendMessage(w, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    SendMessage(w, WM_MOVE, 0, MAKELPARAM(x, y));
    if (!w->alive) return nullptr;
    if (style & WS_VISIBLE) {
        InvalidateTree(w, true);
        if (IsTopLevel(w)) Activate(w, WA_ACTIVE);
    }
    return w;
}

BOOL IsWindow(HWND hwnd) {
    if (!hwnd) return FALSE;
    for (auto& w : ws().all)
        if (w.get() == hwnd) return w->alive ? TRUE : FALSE;
    return FALSE;
}

BOOL DestroyWindow(HWND w) {
    if (!IsWindow(w)) return FALSE;
    // Owned top-level windows go first, then the window, then its children.
    for (Window* t : std::vector<Window*>(ws().topLevels))
        if (t->owner == w) DestroyWindow(t);
    bool wasVisible = w->style & WS_VISIBLE;
    w->style &= ~WS_VISIBLE;
    if (ws().capture == w) ws().capture = nullptr;
    CancelScrollBarTracking(w);
    SendMessage(w, WM_DESTROY, 0, 0);
    for (Window* ch : std::vector<Window*>(w->children)) DestroyWindow(ch);
    w->alive = false;
    if (ws().focus == w) ws().focus = nullptr;
    Unlink(w);
    if (w->parent && wasVisible) InvalidateRect(w->parent, &w->rect, TRUE);
    if (w->backing) {
        cairo_surface_destroy(w->backing);
        w->backing = nullptr;
    }
    if (ws().active == w) {
        ws().active = nullptr;
        Window* next = nullptr;
        if (w->owner && IsWindow(w->owner) && (w->owner->style & WS_VISIBLE)) next = w->owner;
        for (auto it = ws().topLevels.rbegin(); !next && it != ws().topLevels.rend(); ++it)
            if (((*it)->style & WS_VISIBLE) && !((*it)->style & WS_DISABLED)) next = *it;
        if (next) Activate(next, WA_ACTIVE);
    }
    // A modal loop waiting on this window must look again.
    if (!w->parent) PostMessage(nullptr, WM_NULL, 0, 0);
    if (CurrentHost()) CurrentHost()->ScreenDamaged();
    ForgetOldDeadWindows(w);
    return TRUE;
}

HWND FindWindow(LPCWSTR className, LPCWSTR title) {
    for (Window* w : ws().topLevels) {
        if (!w->alive || !EqualsIgnoringCase(w->cls->name, className ? className : u""))
            continue;
        if (title && w->title != title) continue;
        return w;
    }
    return FindRemoteWindow(className, title);
}

HWND GetForegroundWindow() {
    if (Window* remote = RemoteForegroundWindow()) return remote;
    Host* host = CurrentHost();
    if (host && !host->HasDesktopFocus()) return nullptr;
    return ws().active;
}

BOOL SetForegroundWindow(HWND w) {
    if (IsRemoteWindow(w)) return RemoteSetForeground(w);
    if (!IsWindow(w)) return FALSE;
    Window* top = TopLevelOf(w);
    if (CurrentHost()) CurrentHost()->RaiseWindow();
    Activate(top, WA_ACTIVE);
    return TRUE;
}

HWND GetActiveWindow() { return ws().active; }

HWND GetParent(HWND w) {
    if (IsRemoteWindow(w)) return RemoteParent(w);
    if (!IsWindow(w)) return nullptr;
    return w->parent ? w->parent : w->owner;
}

HWND GetDlgItem(HWND dialog, int id) {
    if (!IsWindow(dialog)) return nullptr;
    for (Window* ch : dialog->children)
        if (ch->id == id) return ch;
    return nullptr;
}

int GetDlgCtrlID(HWND w) { return IsWindow(w) ? w->id : 0; }

HWND SetFocus(HWND w) {
    Window* old = ws().focus;
    if (w && !IsWindow(w)) return nullptr;
    if (old == w) return old;
    ws().focus = w;
    if (old && old->alive) SendMessage(old, WM_KILLFOCUS, WPARAM(w), 0);
    if (w && ws().focus == w) SendMessage(w, WM_SETFOCUS, WPARAM(old), 0);
    return old;
}

HWND GetFocus() { return ws().focus; }

HWND SetCapture(HWND w) {
    Window* old = ws().capture;
    ws().capture = w;
    return old;
}

BOOL ReleaseCapture() {
    ws().capture = nullptr;
    return TRUE;
}

HWND GetCapture() { return ws().capture; }

BOOL EnableWindow(HWND w, BOOL enable) {
    if (!IsWindow(w)) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    if (bool(wasDisabled) == bool(enable)) {
        SendMessage(w, WM_ENABLE, enable, 0);
        InvalidateRect(w, nullptr, TRUE);
    }
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND w) { return IsWindow(w) && !(w->style & WS_DISABLED); }

BOOL IsWindowVisible(HWND w) {
    if (!IsWindow(w)) return FALSE;
    for (Window* p = w; p; p = p->parent)
        if (!(p->style & WS_VISIBLE)) return FALSE;
    return TRUE;
}

BOOL ShowWindow(HWND w, int cmd) {
    if (!IsWindow(w)) return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    if (cmd == SW_HIDE) {
        if (!wasVisible) return FALSE;
        w->style &= ~WS_VISIBLE;
        SendMessage(w, WM_SHOWWINDOW, 0, 0);
        if (w->parent) InvalidateRect(w->parent, &w->rect, TRUE);
        if (ws().active == w) {
            ws().active = nullptr;
            for (auto it = ws().topLevels.rbegin(); it != ws().topLevels.rend(); ++it)
                if (*it != w && ((*it)->style & WS_VISIBLE)) {
                    Activate(*it, WA_ACTIVE);
                    break;
                }
        }
    } else {
        if (!wasVisible) {
            w->style |= WS_VISIBLE;
            SendMessage(w, WM_SHOWWINDOW, 1, 0);
            InvalidateTree(w, true);
        }
        if (IsTopLevel(w)) Activate(w, WA_ACTIVE);
    }
    if (CurrentHost()) CurrentHost()->ScreenDamaged();
    return wasVisible;
}

BOOL MoveWindow(HWND w, int x, int y, int width, int height, BOOL repaint) {
    if (!IsWindow(w)) return FALSE;
    RECT old = w->rect;
    w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    if (IsTopLevel(w)) EnsureBacking(w);
    bool sized = (old.right - old.left) != (w->rect.right - w->rect.left) ||
                 (old.bottom - old.top) != (w->rect.bottom - w->rect.top);
    bool moved = old.left != w->rect.left || old.top != w->rect.top;
    if (moved || sized) {
        WINDOWPOS pos{w, nullptr, x, y, width, height, 0};
        SendMessage(w, WM_WINDOWPOSCHANGED, 0, LPARAM(&pos));
    }
    if (moved) SendMessage(w, WM_MOVE, 0, MAKELPARAM(x, y));
    if (sized) {
        PlaceDockedChildren(w);
        RECT c = ClientRectOf(w);
        SendMessage(w, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    }
    if (repaint || (sized && (w->cls->wc.style & (CS_HREDRAW | CS_VREDRAW)))) {
        InvalidateTree(w, true);
        if (w->parent) InvalidateRect(w->parent, &old, TRUE);
    }
    if (CurrentHost()) CurrentHost()->ScreenDamaged();
    return TRUE;
}

BOOL SetWindowPos(HWND w, HWND, int x, int y, int cx, int cy, UINT flags) {
    if (!IsWindow(w)) return FALSE;
    if (flags & SWP_NOMOVE) x = w->rect.left, y = w->rect.top;
    if (flags & SWP_NOSIZE) cx = w->rect.right - w->rect.left, cy = w->rect.bottom - w->rect.top;
    MoveWindow(w, x, y, cx, cy, TRUE);
    if (flags & SWP_SHOWWINDOW) ShowWindow(w, (flags & SWP_NOACTIVATE) ? SW_SHOW : SW_SHOW);
    return TRUE;
}

BOOL GetClientRect(HWND w, RECT* r) {
    if (!IsWindow(w) || !r) return FALSE;
    *r = ClientRectOf(w);
    return TRUE;
}

BOOL GetWindowRect(HWND w, RECT* r) {
    if (!IsWindow(w) || !r) return FALSE;
    if (IsTopLevel(w)) {
        *r = w->rect;
    } else {
        POINT o{0, 0};
        ClientToScreen(w->parent, &o);
        *r = RECT{o.x + w->rect.left, o.y + w->rect.top, o.x + w->rect.right,
                  o.y + w->rect.bottom};
    }
    return TRUE;
}

BOOL ClientToScreen(HWND w, POINT* p) {
    if (!IsWindow(w) || !p) return FALSE;
    POINT o = ClientOriginInTopLevel(w);
    Window* top = TopLevelOf(w);
    p->x += o.x + top->rect.left;
    p->y += o.y + top->rect.top;
    return TRUE;
}

BOOL ScreenToClient(HWND w, POINT* p) {
    if (!IsWindow(w) || !p) return FALSE;
    POINT o = ClientOriginInTopLevel(w);
    Window* top = TopLevelOf(w);
    p->x -= o.x + top->rect.left;
    p->y -= o.y + top->rect.top;
    return TRUE;
}

BOOL InvalidateRect(HWND w, const RECT* r, BOOL erase) {
    if (!IsWindow(w)) return FALSE;
    RECT c = ClientRectOf(w);
    RECT area = r ? Intersect(*r, c) : c;
    w->invalid = Union(w->needsPaint ? w->invalid : RECT{}, area);
    w->needsPaint = true;
    if (erase) w->needsErase = true;
    // Children under the area are painted again after their parent.
    for (Window* ch : w->children) {
        if (!(ch->style & WS_VISIBLE)) continue;
        RECT inChild = Intersect(area, ch->rect);
        if (IsEmpty(inChild)) continue;
        RECT local{inChild.left - ch->rect.left, inChild.top - ch->rect.top,
                   inChild.right - ch->rect.left, inChild.bottom - ch->rect.top};
        RECT in = NonClientInsets(ch);
        local.left -= in.left, local.right -= in.left, local.top -= in.top, local.bottom -= in.top;
        InvalidateRect(ch, &local, erase);
        ch->needsPaint = true;  // the frame too
    }
    return TRUE;
}

BOOL ValidateRect(HWND w, const RECT*) {
    if (!IsWindow(w)) return FALSE;
    w->needsPaint = false;
    w->needsErase = false;
    w->invalid = RECT{};
    return TRUE;
}

int GetWindowText(HWND w, char16_t* buffer, int capacity) {
    if (!IsWindow(w) || !buffer || capacity <= 0) return 0;
    return int(SendMessage(w, WM_GETTEXT, WPARAM(capacity), LPARAM(buffer)));
}

int GetWindowTextLength(HWND w) {
    return IsWindow(w) ? int(SendMessage(w, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL SetWindowText(HWND w, LPCWSTR text) {
    return IsWindow(w) ? BOOL(SendMessage(w, WM_SETTEXT, 0, LPARAM(text))) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char16_t* buffer, int capacity) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (buffer && capacity > 0) buffer[0] = 0;
        return 0;
    }
    return UINT(GetWindowText(item, buffer, capacity));
}

BOOL SetDlgItemText(HWND dialog, int id, LPCWSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowText(item, text) : FALSE;
}

DWORD GetWindowStyle(HWND w) { return IsWindow(w) ? w->style : 0; }

intptr_t GetWindowLong(HWND w, int index) {
    if (!IsWindow(w)) return 0;
    switch (index) {
        case GWL_USERDATA: return w->userData;
        case GWL_WNDPROC: return reinterpret_cast<intptr_t>(w->proc);
        case DWL_USER: return w->dialogUser;
        case DWL_MSGRESULT: return w->dialogMsgResult;
    }
    return 0;
}

intptr_t SetWindowLong(HWND w, int index, intptr_t value) {
    if (!IsWindow(w)) return 0;
    if (index == GWL_WNDPROC) {
        if (!value) return 0;
        WNDPROC old = w->proc;
        w->proc = reinterpret_cast<WNDPROC>(value);
        return reinterpret_cast<intptr_t>(old);
    }
    intptr_t* slot = index == GWL_USERDATA ? &w->userData
                     : index == DWL_USER   ? &w->dialogUser
                     : index == DWL_MSGRESULT ? &w->dialogMsgResult
                                              : nullptr;
    if (!slot) return 0;
    intptr_t old = *slot;
    *slot = value;
    return old;
}

int GetSystemMetrics(int index) {
    Host* host = CurrentHost();
    switch (index) {
        case SM_CXSCREEN: return host ? host->ScreenWidth() : 240;
        case SM_CYSCREEN: return host ? host->ScreenHeight() : 320;
        case SM_CXVSCROLL: return kScrollBarWidth;
        case SM_CXEDGE:
        case SM_CYEDGE: return 2;
    }
    return 0;
}
