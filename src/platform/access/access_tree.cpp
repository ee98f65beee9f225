// The accessible tree, taken from the window records: every visible top-level window below the
// application, its children below it, and below those the items of list boxes, bars and pop-up
// menus and the parts that providers describe.
#include "platform/access/access_tree.h"

#include <unordered_map>

#include "platform/access/access_controls.h"
#include "platform/bars/menu.h"
#include "platform/hosting.h"
#include "platform/user/controls.h"
#include "platform/user/window_internal.h"

namespace {

struct Extras {
    const AccessProvider* provider = nullptr;
    std::u16string name;
};

std::unordered_map<const Window*, Extras>& ExtrasTable() {
    static auto* table = new std::unordered_map<const Window*, Extras>;
    return *table;
}

const Extras* ExtrasOf(const Window* w) {
    auto it = ExtrasTable().find(w);
    return it == ExtrasTable().end() ? nullptr : &it->second;
}

RECT Offset(RECT r, POINT by) {
    return RECT{r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

// A window nobody can see (hidden, or without size, as the shell's stand-in task bar) is left
// out with its children.
bool Shown(const Window* w) {
    return w->alive && (w->style & WS_VISIBLE) && !wm::IsEmpty(w->rect);
}

class Builder {
public:
    AccessSnapshot Take() {
        AccessNode app;
        app.role = AccessRole::Application;
        app.name = u"Orvanel";
        app.states = kAccessEnabled | kAccessVisible | kAccessShowing;
        Host* host = CurrentHost();
        app.screen = RECT{0, 0, host ? host->ScreenWidth() : 0, host ? host->ScreenHeight() : 0};
        snap_.nodes.push_back(std::move(app));
        // Top-level windows in z-order, the front-most last.
        for (Window* w : wm::TopLevels())
            if (Shown(w)) AddWindow(w, 0);
        // One node has the focus: the front-most that claims it (an open menu's item before the
        // window that opened it).
        for (size_t i = 0; i < snap_.nodes.size(); ++i)
            if (int(i) != snap_.focus) snap_.nodes[i].states &= ~kAccessFocused;
        // While another program has the desktop's focus nothing here is active or focused,
        // whatever the program's own active window is: a screen reader hears the window
        // activate and the focus arrive again when the user comes back.
        if (host && !host->HasDesktopFocus()) {
            for (AccessNode& node : snap_.nodes) node.states &= ~(kAccessActive | kAccessFocused);
            snap_.focus = -1;
        }
        return std::move(snap_);
    }

private:
    int Add(AccessNode node, int parent) {
        int index = int(snap_.nodes.size());
        node.parent = parent;
        snap_.nodes[size_t(parent)].children.push_back(index);
        if (node.states & kAccessFocused) snap_.focus = index;
        snap_.nodes.push_back(std::move(node));
        return index;
    }

    void AddWindow(Window* w, int parent) {
        AccessNode node;
        node.id = AccessId{w, -1};
        DescribeWindow(w, &node);
        const Extras* extras = ExtrasOf(w);
        if (extras && !extras->name.empty()) node.name = extras->name;
        std::vector<AccessPart> parts;
        if (extras && extras->provider && extras->provider->parts)
            extras->provider->parts(w, &parts);
        // A part that claims the focus takes it from its window.
        bool partFocused = false;
        if (node.states & kAccessFocused)
            for (const AccessPart& p : parts) partFocused |= (p.states & kAccessFocused) != 0;
        if (partFocused) node.states &= ~kAccessFocused;
        int index = Add(std::move(node), parent);
        bool focused = GetFocus() == w || w == OpenPopupMenuWindow();
        AddParts(w, index, parts, focused);
        std::vector<AccessItem> items = DescribeItems(w);
        for (size_t i = 0; i < items.size(); ++i) {
            AccessNode item = std::move(items[i].node);
            item.id = AccessId{w, int(i), AccessIdKind::Item};
            if (!focused) item.states &= ~kAccessFocused;
            Add(std::move(item), index);
        }
        for (Window* ch : w->children)
            if (Shown(ch)) AddWindow(ch, index);
    }

    void AddParts(Window* w, int windowIndex, const std::vector<AccessPart>& parts, bool focused) {
        POINT origin{0, 0};
        ClientToScreen(w, &origin);
        std::vector<int> placed(parts.size(), -1);
        uint32_t inherited = snap_.nodes[size_t(windowIndex)].states &
                             (kAccessEnabled | kAccessVisible | kAccessShowing);
        for (size_t i = 0; i < parts.size(); ++i) {
            const AccessPart& p = parts[i];
            AccessNode node;
            node.id = AccessId{w, p.key >= 0 ? p.key : int(i), AccessIdKind::Part};
            node.role = p.role;
            node.name = p.name;
            node.states = p.states | inherited;
            if (!focused) node.states &= ~kAccessFocused;
            node.screen = Offset(p.rect, origin);
            node.level = p.level;
            node.hasText = p.hasText;
            node.textStamp = p.textStamp;
            node.caret = p.caret;
            node.selectionStart = p.selectionStart;
            node.selectionEnd = p.selectionEnd;
            int parent = p.parent >= 0 && p.parent < int(i) && placed[size_t(p.parent)] >= 0
                             ? placed[size_t(p.parent)]
                             : windowIndex;
            placed[i] = Add(std::move(node), parent);
        }
    }

    AccessSnapshot snap_;
};

}  // namespace

void SetAccessProvider(HWND window, const AccessProvider* provider) {
    if (!IsWindow(window)) return;
    ExtrasTable()[window].provider = provider;
}

void SetAccessName(HWND window, const std::u16string& name) {
    if (!IsWindow(window)) return;
    ExtrasTable()[window].name = name;
}

int AccessSnapshot::Find(const AccessId& id) const {
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].id == id) return int(i);
    return -1;
}

AccessSnapshot AccessTakeSnapshot() {
    return Builder().Take();
}

std::u16string AccessNodeText(const AccessNode& node) {
    auto* w = static_cast<Window*>(const_cast<void*>(node.id.window));
    if (!node.hasText || !IsWindow(w)) return {};
    if (node.id.kind == AccessIdKind::Window)
        return w->title;  // an edit field keeps its text as its title
    const Extras* extras = ExtrasOf(w);
    if (!extras || !extras->provider || !extras->provider->text) return {};
    return extras->provider->text(w, node.id.part);
}

namespace {

const AccessProvider* ProviderOf(const AccessNode& node, Window** window) {
    *window = static_cast<Window*>(const_cast<void*>(node.id.window));
    if (!node.hasText || node.id.kind != AccessIdKind::Part || !IsWindow(*window)) return nullptr;
    const Extras* extras = ExtrasOf(*window);
    return extras ? extras->provider : nullptr;
}

POINT ClientOrigin(Window* w) {
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    return origin;
}

}  // namespace

std::vector<int> AccessNodeLineStarts(const AccessNode& node) {
    Window* w = nullptr;
    const AccessProvider* provider = ProviderOf(node, &w);
    if (provider && provider->lineStarts) return provider->lineStarts(w, node.id.part);
    std::u16string text = AccessNodeText(node);
    std::vector<int> starts{0};
    int at = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] >= 0xDC00 && text[i] <= 0xDFFF)) ++at;  // code points, not units
        if (text[i] == u'\n' && i + 1 < text.size()) starts.push_back(at);
    }
    return starts;
}

bool AccessNodeCharacterBox(const AccessNode& node, int offset, RECT* box) {
    Window* w = nullptr;
    const AccessProvider* provider = ProviderOf(node, &w);
    if (!provider || !provider->characterBox ||
        !provider->characterBox(w, node.id.part, offset, box))
        return false;
    *box = Offset(*box, ClientOrigin(w));
    return true;
}

int AccessNodeOffsetAt(const AccessNode& node, int x, int y) {
    Window* w = nullptr;
    const AccessProvider* provider = ProviderOf(node, &w);
    if (!provider || !provider->offsetAt) return -1;
    POINT origin = ClientOrigin(w);
    return provider->offsetAt(w, node.id.part, POINT{x - origin.x, y - origin.y});
}

bool AccessNodeSetCaret(const AccessNode& node, int offset) {
    auto* w = static_cast<Window*>(const_cast<void*>(node.id.window));
    if (!node.hasText || !IsWindow(w) || offset < 0) return false;
    if (node.id.kind == AccessIdKind::Window) {
        SendMessage(w, EM_SETSEL, WPARAM(offset), LPARAM(offset));
        return true;
    }
    const AccessProvider* provider = ProviderOf(node, &w);
    return provider && provider->setCaret && provider->setCaret(w, node.id.part, offset);
}

bool AccessTap(const AccessNode& node) {
    if (wm::IsEmpty(node.screen)) return false;
    int x = (node.screen.left + node.screen.right) / 2;
    int y = (node.screen.top + node.screen.bottom) / 2;
    InjectMouse(MouseAction::Down, x, y);
    InjectMouse(MouseAction::Up, x, y);
    return true;
}
