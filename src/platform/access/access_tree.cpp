// The accessible tree, taken from the window records: every visible top-level window below the
// application, its children below it, and below those the items of list boxes, bars and pop-up
// menus and the parts that providers describe.
#include "platform/access/access_tree.h"

#include <algorithm>
#include <unordered_map>

#include "platform/access/access_controls.h"
#include "platform/bars/menu.h"
#include "platform/hosting.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "platform/user/window_internal.h"

namespace {

struct Extras {
    const AccessProvider* provider = nullptr;
    std::u16string name;
    bool displayOrder = false;
    char16_t (*letter)(char16_t) = nullptr;
};

std::unordered_map<int, std::u16string>& ImageNames() {
    static auto* table = new std::unordered_map<int, std::u16string>;
    return *table;
}

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

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The run of digits [*a, *b) that display position `d` lies strictly inside, if any.
bool InsideNumber(const std::u16string& shown, int d, int* a, int* b) {
    int n = int(shown.size());
    if (d <= 0 || d >= n || !IsDigit(shown[size_t(d - 1)]) || !IsDigit(shown[size_t(d)]))
        return false;
    *a = d;
    *b = d;
    while (*a > 0 && IsDigit(shown[size_t(*a - 1)])) --*a;
    while (*b < n && IsDigit(shown[size_t(*b)])) ++*b;
    return true;
}

// A place between characters of a text kept in display order, as a place in reading order:
// what lies right of it is read before it; inside a number, the number's own order holds.
int ReadingPlace(const std::u16string& shown, int d) {
    int n = int(shown.size()), a = 0, b = 0;
    d = d < 0 ? 0 : d > n ? n : d;
    if (InsideNumber(shown, d, &a, &b)) return (n - b) + (d - a);
    return n - d;
}

int DisplayPlace(const std::u16string& shown, int r) {
    for (int d = 0; d <= int(shown.size()); ++d)
        if (ReadingPlace(shown, d) == r) return d;
    return -1;
}

// The text in reading order: turned round, numbers kept, letters as read.
std::u16string ReadingText(const Extras& extras, const std::u16string& shown) {
    std::u16string out;
    for (int i = int(shown.size()); i > 0;) {
        int end = i;
        if (IsDigit(shown[size_t(i - 1)])) {
            while (i > 0 && IsDigit(shown[size_t(i - 1)])) --i;
            out += shown.substr(size_t(i), size_t(end - i));
            continue;
        }
        --i;
        out += extras.letter ? extras.letter(shown[size_t(i)]) : shown[size_t(i)];
    }
    return out;
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
        if (node.role == AccessRole::Image && node.name.empty() && w->templateItem) {
            auto image = ImageNames().find(w->templateItem->imageId);
            if (image != ImageNames().end()) node.name = image->second;
        }
        if (extras && extras->displayOrder && node.hasText) {
            int a = ReadingPlace(w->title, node.selectionStart);
            int b = ReadingPlace(w->title, node.selectionEnd);
            node.caret = ReadingPlace(w->title, node.caret);
            node.selectionStart = std::min(a, b);
            node.selectionEnd = std::max(a, b);
        }
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
            node.description = p.description;
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

void SetAccessImageName(int bitmapId, const std::u16string& name) {
    ImageNames()[bitmapId] = name;
}

void SetAccessDisplayOrder(HWND window, char16_t (*letter)(char16_t)) {
    if (!IsWindow(window)) return;
    ExtrasTable()[window].displayOrder = true;
    ExtrasTable()[window].letter = letter;
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
    if (node.id.kind == AccessIdKind::Window) {  // an edit field keeps its text as its title
        const Extras* extras = ExtrasOf(w);
        return extras && extras->displayOrder ? ReadingText(*extras, w->title) : w->title;
    }
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
        const Extras* extras = ExtrasOf(w);
        if (extras && extras->displayOrder) offset = DisplayPlace(w->title, offset);
        if (offset < 0 || offset > int(w->title.size())) return false;
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
