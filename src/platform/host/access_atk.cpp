// The accessible tree on the desktop's accessibility bus, through ATK and the ATK bridge (the
// at-spi2-atk module GTK 3 itself uses): the bridge speaks AT-SPI over D-Bus, keeps the
// registration with the registry and turns ATK signals into AT-SPI events; this file only
// answers ATK's questions from the platform's snapshot of the tree and turns the differences
// between snapshots into ATK signals.
#include "platform/host/access_atk.h"

#include <atk-bridge.h>
#include <atk/atk.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/access/access_tree.h"
#include "platform/unicode.h"

namespace {

// The text of a node as UTF-8, with its length in characters, kept while its stamp holds.
struct TextCache {
    uint64_t stamp = 0;
    std::string utf8;
    glong length = 0;
    std::vector<glong> lineStarts;  // in characters, ascending, the first 0
};

// A function the bridge (or another assistive module) gave to hear every key first.
struct KeyListener {
    guint id;
    AtkKeySnoopFunc func;
    gpointer data;
};

struct Bridge {
    GdkWindow* window = nullptr;
    int scale = 1;
    AccessSnapshot snapshot;
    std::unordered_map<AccessId, int, AccessIdHash> index;  // id -> node in the snapshot
    std::unordered_map<AccessId, AtkObject*, AccessIdHash> objects;
    std::unordered_map<AccessId, TextCache, AccessIdHash> texts;
    AtkObject* root = nullptr;
    AtkObject* (*gtkRoot)() = nullptr;  // GTK's own answers, put back when the bridge stops
    const gchar* (*gtkToolkitName)() = nullptr;
    guint (*gtkAddKeyListener)(AtkKeySnoopFunc, gpointer) = nullptr;
    void (*gtkRemoveKeyListener)(guint) = nullptr;
    std::vector<KeyListener> keyListeners;
    guint nextKeyListener = 1;
    bool told = false;  // the window in front and the focus, once the bridge is listened to
    gint64 tellAt = 0;  // monotonic microseconds
};

Bridge* gBridge = nullptr;

constexpr int kFirstTellingDelay = 700;  // milliseconds

// --- the object types ------------------------------------------------------------------------

struct OrvanelAccessible {
    AtkObject parent;
    AccessId id;
    gchar* name;         // the last name handed out, valid until the next
    gchar* description;  // likewise
    gchar* keyBinding;   // likewise
};
struct OrvanelAccessibleClass {
    AtkObjectClass parent;
};

GType AccessibleType();
GType TextAccessibleType();
GType WindowAccessibleType();

OrvanelAccessible* Self(gpointer object) {
    return reinterpret_cast<OrvanelAccessible*>(object);
}

const AccessNode* NodeOf(gpointer object) {
    if (!gBridge) return nullptr;
    auto it = gBridge->index.find(Self(object)->id);
    return it == gBridge->index.end() ? nullptr : &gBridge->snapshot.nodes[size_t(it->second)];
}

AtkRole AtkRoleOf(AccessRole role) {
    switch (role) {
        case AccessRole::Application:
            return ATK_ROLE_APPLICATION;
        case AccessRole::Frame:
            return ATK_ROLE_FRAME;
        case AccessRole::Dialog:
            return ATK_ROLE_DIALOG;
        case AccessRole::Alert:
            return ATK_ROLE_ALERT;
        case AccessRole::Window:
            return ATK_ROLE_WINDOW;
        case AccessRole::Panel:
            return ATK_ROLE_PANEL;
        case AccessRole::MenuBar:
            return ATK_ROLE_MENU_BAR;
        case AccessRole::ToolBar:
            return ATK_ROLE_TOOL_BAR;
        case AccessRole::Menu:
            return ATK_ROLE_MENU;
        case AccessRole::MenuItem:
            return ATK_ROLE_MENU_ITEM;
        case AccessRole::CheckMenuItem:
            return ATK_ROLE_CHECK_MENU_ITEM;
        case AccessRole::RadioMenuItem:
            return ATK_ROLE_RADIO_MENU_ITEM;
        case AccessRole::Separator:
            return ATK_ROLE_SEPARATOR;
        case AccessRole::PushButton:
            return ATK_ROLE_PUSH_BUTTON;
        case AccessRole::RadioButton:
            return ATK_ROLE_RADIO_BUTTON;
        case AccessRole::CheckBox:
            return ATK_ROLE_CHECK_BOX;
        case AccessRole::Label:
            return ATK_ROLE_LABEL;
        case AccessRole::Image:
            return ATK_ROLE_IMAGE;
        case AccessRole::Entry:
            return ATK_ROLE_ENTRY;
        case AccessRole::List:
            return ATK_ROLE_LIST;
        case AccessRole::ListItem:
            return ATK_ROLE_LIST_ITEM;
        case AccessRole::ScrollBar:
            return ATK_ROLE_SCROLL_BAR;
        case AccessRole::ToolTip:
            return ATK_ROLE_TOOL_TIP;
        case AccessRole::Tree:
            return ATK_ROLE_TREE;
        case AccessRole::TreeItem:
            return ATK_ROLE_TREE_ITEM;
        case AccessRole::Document:
            return ATK_ROLE_TEXT;
    }
    return ATK_ROLE_UNKNOWN;
}

constexpr struct {
    uint32_t bit;
    AtkStateType atk;
} kStates[] = {
    {kAccessEnabled, ATK_STATE_ENABLED},       {kAccessEnabled, ATK_STATE_SENSITIVE},
    {kAccessVisible, ATK_STATE_VISIBLE},       {kAccessShowing, ATK_STATE_SHOWING},
    {kAccessFocusable, ATK_STATE_FOCUSABLE},   {kAccessFocused, ATK_STATE_FOCUSED},
    {kAccessSelectable, ATK_STATE_SELECTABLE}, {kAccessSelected, ATK_STATE_SELECTED},
    {kAccessCheckable, ATK_STATE_CHECKABLE},   {kAccessChecked, ATK_STATE_CHECKED},
    {kAccessExpandable, ATK_STATE_EXPANDABLE}, {kAccessExpanded, ATK_STATE_EXPANDED},
    {kAccessActive, ATK_STATE_ACTIVE},         {kAccessModal, ATK_STATE_MODAL},
    {kAccessEditable, ATK_STATE_EDITABLE},     {kAccessSingleLine, ATK_STATE_SINGLE_LINE},
    {kAccessMultiLine, ATK_STATE_MULTI_LINE},  {kAccessDefault, ATK_STATE_DEFAULT},
    {kAccessReadOnly, ATK_STATE_READ_ONLY},
};

// The object of a node, made when first asked for; the bridge keeps the one it was given.
AtkObject* ObjectFor(const AccessNode& node) {
    if (node.parent < 0) return gBridge->root;
    auto it = gBridge->objects.find(node.id);
    if (it != gBridge->objects.end()) return it->second;
    GType type = node.hasText       ? TextAccessibleType()
                 : node.parent == 0 ? WindowAccessibleType()
                                    : AccessibleType();
    auto* object = static_cast<AtkObject*>(g_object_new(type, nullptr));
    Self(object)->id = node.id;
    atk_object_initialize(object, nullptr);
    gBridge->objects.emplace(node.id, object);
    return object;
}

const gchar* GetName(AtkObject* object) {
    const AccessNode* node = NodeOf(object);
    g_free(Self(object)->name);
    Self(object)->name = g_strdup(node ? Utf16ToUtf8(node->name).c_str() : "");
    return Self(object)->name;
}

const gchar* GetDescription(AtkObject* object) {
    const AccessNode* node = NodeOf(object);
    g_free(Self(object)->description);
    Self(object)->description = g_strdup(node ? Utf16ToUtf8(node->description).c_str() : "");
    return Self(object)->description;
}

AtkObject* GetParent(AtkObject* object) {
    const AccessNode* node = NodeOf(object);
    if (!node || node->parent < 0) return nullptr;
    return ObjectFor(gBridge->snapshot.nodes[size_t(node->parent)]);
}

gint GetNChildren(AtkObject* object) {
    const AccessNode* node = NodeOf(object);
    return node ? gint(node->children.size()) : 0;
}

AtkObject* RefChild(AtkObject* object, gint i) {
    const AccessNode* node = NodeOf(object);
    if (!node || i < 0 || size_t(i) >= node->children.size()) return nullptr;
    return ATK_OBJECT(
        g_object_ref(ObjectFor(gBridge->snapshot.nodes[size_t(node->children[size_t(i)])])));
}

gint GetIndexInParent(AtkObject* object) {
    const AccessNode* node = NodeOf(object);
    if (!node || node->parent < 0) return -1;
    const std::vector<int>& siblings = gBridge->snapshot.nodes[size_t(node->parent)].children;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (&gBridge->snapshot.nodes[size_t(siblings[i])] == node) return gint(i);
    return -1;
}

AtkRole GetRole(AtkObject* object) {
    const AccessNode* node = NodeOf(object);
    return node ? AtkRoleOf(node->role) : ATK_ROLE_INVALID;
}

AtkStateSet* RefStateSet(AtkObject* object) {
    AtkStateSet* set = atk_state_set_new();
    const AccessNode* node = NodeOf(object);
    if (!node) {
        atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
        return set;
    }
    for (const auto& s : kStates)
        if (node->states & s.bit) atk_state_set_add_state(set, s.atk);
    return set;
}

AtkAttributeSet* GetAttributes(AtkObject* object) {
    const AccessNode* node = NodeOf(object);
    if (!node || !node->level) return nullptr;
    auto* attribute = static_cast<AtkAttribute*>(g_malloc(sizeof(AtkAttribute)));
    attribute->name = g_strdup("level");
    attribute->value = g_strdup_printf("%d", node->level);
    return g_slist_prepend(nullptr, attribute);
}

// An outline entry is the child of the heading above it with a lower level, or of the outline
// itself at the top level: a screen reader counts these steps to say an entry's level.
AtkRelationSet* RefRelationSet(AtkObject* object) {
    AtkRelationSet* set = atk_relation_set_new();
    const AccessNode* node = NodeOf(object);
    if (!node || node->role != AccessRole::TreeItem || node->parent < 0) return set;
    const AccessSnapshot& s = gBridge->snapshot;
    const AccessNode* above = &s.nodes[size_t(node->parent)];
    const std::vector<int>& siblings = above->children;
    auto me = std::find_if(siblings.begin(), siblings.end(),
                           [&](int i) { return &s.nodes[size_t(i)] == node; });
    for (auto it = me; it != siblings.begin();) {
        const AccessNode& before = s.nodes[size_t(*--it)];
        if (before.role == AccessRole::TreeItem && before.level < node->level) {
            above = &before;
            break;
        }
    }
    AtkObject* target = ObjectFor(*above);
    atk_relation_set_add_relation_by_type(set, ATK_RELATION_NODE_CHILD_OF, target);
    return set;
}

void Finalize(GObject* object) {
    g_free(Self(object)->name);
    g_free(Self(object)->description);
    g_free(Self(object)->keyBinding);
    // AtkObject's: the text and window types inherit this function.
    G_OBJECT_CLASS(g_type_class_peek_parent(g_type_class_peek(AccessibleType())))->finalize(object);
}

void ClassInit(gpointer klass, gpointer) {
    auto* atk = ATK_OBJECT_CLASS(klass);
    atk->get_name = GetName;
    atk->get_description = GetDescription;
    atk->get_parent = GetParent;
    atk->get_n_children = GetNChildren;
    atk->ref_child = RefChild;
    atk->get_index_in_parent = GetIndexInParent;
    atk->get_role = GetRole;
    atk->ref_state_set = RefStateSet;
    atk->get_attributes = GetAttributes;
    atk->ref_relation_set = RefRelationSet;
    G_OBJECT_CLASS(klass)->finalize = Finalize;
}

// --- AtkComponent: bounds on the desktop ------------------------------------------------------

void GetExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                AtkCoordType coords) {
    const AccessNode* node = NodeOf(component);
    *x = *y = *width = *height = 0;
    if (!node || !gBridge->window) return;
    int s = gBridge->scale, ox = 0, oy = 0;
    if (coords == ATK_XY_SCREEN) gdk_window_get_origin(gBridge->window, &ox, &oy);
    *x = ox + node->screen.left * s;
    *y = oy + node->screen.top * s;
    *width = (node->screen.right - node->screen.left) * s;
    *height = (node->screen.bottom - node->screen.top) * s;
}

void ComponentInit(gpointer iface, gpointer) {
    static_cast<AtkComponentIface*>(iface)->get_extents = GetExtents;
}

// --- AtkAction: a click, as a tap in the middle ----------------------------------------------

bool Clickable(const AccessNode* node) {
    if (!node || !(node->states & kAccessEnabled)) return false;
    switch (node->role) {
        case AccessRole::PushButton:
        case AccessRole::RadioButton:
        case AccessRole::CheckBox:
        case AccessRole::ListItem:
        case AccessRole::TreeItem:
        case AccessRole::MenuItem:
        case AccessRole::CheckMenuItem:
        case AccessRole::RadioMenuItem:
            return true;
        default:
            return false;
    }
}

gint GetNActions(AtkAction* action) {
    return Clickable(NodeOf(action)) ? 1 : 0;
}
const gchar* GetActionName(AtkAction* action, gint i) {
    return i == 0 && Clickable(NodeOf(action)) ? "click" : nullptr;
}
gboolean DoAction(AtkAction* action, gint i) {
    const AccessNode* node = NodeOf(action);
    return i == 0 && Clickable(node) && AccessTap(*node);
}

// A menu item's key in GTK's accelerator form, as the third of the binding's three parts
// (mnemonic; path; accelerator): "Ctrl+F" is "<Control>f", "Alt+F3" "<Alt>F3".
const gchar* GetKeyBinding(AtkAction* action, gint i) {
    const AccessNode* node = NodeOf(action);
    if (i != 0 || !node || node->shortcut.empty()) return nullptr;
    std::string key = Utf16ToUtf8(node->shortcut), accelerator;
    for (auto [prefix, modifier] : {std::pair{"Ctrl+", "<Control>"}, std::pair{"Alt+", "<Alt>"},
                                    std::pair{"Shift+", "<Shift>"}}) {
        if (key.rfind(prefix, 0) == 0) {
            accelerator += modifier;
            key.erase(0, std::strlen(prefix));
        }
    }
    if (key.size() == 1) key[0] = char(g_ascii_tolower(key[0]));
    g_free(Self(action)->keyBinding);
    Self(action)->keyBinding = g_strdup((";;" + accelerator + key).c_str());
    return Self(action)->keyBinding;
}

void ActionInit(gpointer iface, gpointer) {
    auto* a = static_cast<AtkActionIface*>(iface);
    a->get_keybinding = GetKeyBinding;
    a->get_n_actions = GetNActions;
    a->get_name = GetActionName;
    a->do_action = DoAction;
}

// --- AtkText: panes and edit fields ----------------------------------------------------------

const TextCache& TextOf(const AccessNode& node) {
    TextCache& cache = gBridge->texts[node.id];
    if (cache.stamp != node.textStamp || cache.utf8.empty()) {
        cache.stamp = node.textStamp;
        cache.utf8 = Utf16ToUtf8(AccessNodeText(node));
        cache.length = g_utf8_strlen(cache.utf8.c_str(), -1);
    }
    // The lines move with the layout (a resize, another font size) as well as with the text.
    std::vector<int> starts = AccessNodeLineStarts(node);
    cache.lineStarts.assign(starts.begin(), starts.end());
    return cache;
}

const TextCache* TextOf(AtkText* text) {
    const AccessNode* node = NodeOf(text);
    return node && node->hasText ? &TextOf(*node) : nullptr;
}

gchar* Slice(const TextCache& t, gint start, gint end) {
    if (end < 0 || end > t.length) end = gint(t.length);
    start = std::clamp<gint>(start, 0, end);
    const char* a = g_utf8_offset_to_pointer(t.utf8.c_str(), start);
    const char* b = g_utf8_offset_to_pointer(t.utf8.c_str(), end);
    return g_strndup(a, gsize(b - a));
}

gchar* GetText(AtkText* text, gint start, gint end) {
    const TextCache* t = TextOf(text);
    return t ? Slice(*t, start, end) : g_strdup("");
}

gint GetCharacterCount(AtkText* text) {
    const TextCache* t = TextOf(text);
    return t ? gint(t->length) : 0;
}

gint GetCaretOffset(AtkText* text) {
    const AccessNode* node = NodeOf(text);
    return node && node->hasText ? node->caret : -1;
}

gunichar GetCharacterAtOffset(AtkText* text, gint offset) {
    const TextCache* t = TextOf(text);
    if (!t || offset < 0 || offset >= t->length) return 0;
    return g_utf8_get_char(g_utf8_offset_to_pointer(t->utf8.c_str(), offset));
}

gunichar CharAt(const TextCache& t, glong i) {
    return g_utf8_get_char(g_utf8_offset_to_pointer(t.utf8.c_str(), i));
}

// The stretch of the given granularity that holds `offset`: a character, a word with the
// spaces after it, or a line (a paragraph with its newline; sentences are lines too).
gchar* StringAt(const TextCache& t, gint offset, AtkTextGranularity granularity, gint* start,
                gint* end) {
    glong n = t.length;
    offset = gint(std::clamp<glong>(offset, 0, n));
    glong a = offset, b = offset;
    if (granularity == ATK_TEXT_GRANULARITY_CHAR) {
        b = std::min(n, glong(offset) + 1);
    } else if (granularity == ATK_TEXT_GRANULARITY_WORD) {
        while (a > 0 && !g_unichar_isspace(CharAt(t, a - 1))) --a;
        while (b < n && !g_unichar_isspace(CharAt(t, b))) ++b;
        while (b < n && g_unichar_isspace(CharAt(t, b)) && CharAt(t, b) != '\n') ++b;
    } else {
        // A line as the window shows it (a row of a pane), from its start up to the next one.
        auto next = std::upper_bound(t.lineStarts.begin(), t.lineStarts.end(), glong(offset));
        a = next == t.lineStarts.begin() ? 0 : *(next - 1);
        b = next == t.lineStarts.end() ? n : std::min<glong>(n, *next);
    }
    *start = gint(a);
    *end = gint(b);
    return Slice(t, gint(a), gint(b));
}

AtkTextGranularity GranularityOf(AtkTextBoundary boundary) {
    switch (boundary) {
        case ATK_TEXT_BOUNDARY_CHAR:
            return ATK_TEXT_GRANULARITY_CHAR;
        case ATK_TEXT_BOUNDARY_WORD_START:
        case ATK_TEXT_BOUNDARY_WORD_END:
            return ATK_TEXT_GRANULARITY_WORD;
        default:
            return ATK_TEXT_GRANULARITY_LINE;
    }
}

gchar* GetStringAtOffset(AtkText* text, gint offset, AtkTextGranularity granularity, gint* start,
                         gint* end) {
    const TextCache* t = TextOf(text);
    if (!t) {
        *start = *end = 0;
        return g_strdup("");
    }
    return StringAt(*t, offset, granularity, start, end);
}

gchar* GetTextAtOffset(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start,
                       gint* end) {
    return GetStringAtOffset(text, offset, GranularityOf(boundary), start, end);
}

gchar* GetTextBeforeOffset(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start,
                           gint* end) {
    const TextCache* t = TextOf(text);
    gint a = 0, b = 0;
    if (t) g_free(StringAt(*t, offset, GranularityOf(boundary), &a, &b));
    if (!t || a == 0) {
        *start = *end = 0;
        return g_strdup("");
    }
    return StringAt(*t, a - 1, GranularityOf(boundary), start, end);
}

gchar* GetTextAfterOffset(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start,
                          gint* end) {
    const TextCache* t = TextOf(text);
    gint a = 0, b = 0;
    if (t) g_free(StringAt(*t, offset, GranularityOf(boundary), &a, &b));
    if (!t || b >= t->length) {
        *start = *end = t ? gint(t->length) : 0;
        return g_strdup("");
    }
    return StringAt(*t, b, GranularityOf(boundary), start, end);
}

gint GetNSelections(AtkText* text) {
    const AccessNode* node = NodeOf(text);
    return node && node->selectionEnd > node->selectionStart ? 1 : 0;
}

gchar* GetSelection(AtkText* text, gint i, gint* start, gint* end) {
    const AccessNode* node = NodeOf(text);
    const TextCache* t = TextOf(text);
    if (!node || !t || i != 0 || node->selectionEnd <= node->selectionStart) {
        *start = *end = 0;
        return nullptr;
    }
    *start = node->selectionStart;
    *end = node->selectionEnd;
    return Slice(*t, *start, *end);
}

// A rectangle in the program's screen pixels on the desktop, or relative to the window.
void ToDesktop(const RECT& r, gint* x, gint* y, gint* width, gint* height, AtkCoordType coords) {
    int s = gBridge->scale, ox = 0, oy = 0;
    if (coords == ATK_XY_SCREEN) gdk_window_get_origin(gBridge->window, &ox, &oy);
    *x = ox + r.left * s;
    *y = oy + r.top * s;
    *width = (r.right - r.left) * s;
    *height = (r.bottom - r.top) * s;
}

// A character that is not on the screen (or a text that cannot place its characters) has no
// box: (0, 0, 0, 0), as GTK answers for it.
void GetCharacterExtents(AtkText* text, gint offset, gint* x, gint* y, gint* width, gint* height,
                         AtkCoordType coords) {
    const AccessNode* node = NodeOf(text);
    RECT box{};
    *x = *y = *width = *height = 0;
    if (!node || !gBridge->window || !AccessNodeCharacterBox(*node, offset, &box)) return;
    ToDesktop(box, x, y, width, height, coords);
}

void GetRangeExtents(AtkText* text, gint start, gint end, AtkCoordType coords,
                     AtkTextRectangle* rect) {
    const AccessNode* node = NodeOf(text);
    *rect = AtkTextRectangle{0, 0, 0, 0};
    if (!node || !gBridge->window) return;
    RECT all{};
    bool any = false;
    for (gint i = std::max(start, 0); i < end; ++i) {
        RECT box{};
        if (!AccessNodeCharacterBox(*node, i, &box) || box.right <= box.left) continue;
        all = any ? RECT{std::min(all.left, box.left), std::min(all.top, box.top),
                         std::max(all.right, box.right), std::max(all.bottom, box.bottom)}
                  : box;
        any = true;
    }
    if (any) ToDesktop(all, &rect->x, &rect->y, &rect->width, &rect->height, coords);
}

gint GetOffsetAtPoint(AtkText* text, gint x, gint y, AtkCoordType coords) {
    const AccessNode* node = NodeOf(text);
    if (!node || !gBridge->window) return -1;
    int s = gBridge->scale, ox = 0, oy = 0;
    if (coords == ATK_XY_SCREEN) gdk_window_get_origin(gBridge->window, &ox, &oy);
    return AccessNodeOffsetAt(*node, (x - ox) / s, (y - oy) / s);
}

gboolean SetCaretOffset(AtkText* text, gint offset) {
    const AccessNode* node = NodeOf(text);
    return node && AccessNodeSetCaret(*node, offset);
}

// The whole text is one run: Hebrew, right to left. A screen reader splits what it speaks by
// runs, and a text without them is read as nothing.
AtkAttributeSet* TextAttributes() {
    AtkAttributeSet* set = nullptr;
    for (auto [name, value] : {std::pair{"language", "he"}, std::pair{"direction", "rtl"}}) {
        auto* attribute = static_cast<AtkAttribute*>(g_malloc(sizeof(AtkAttribute)));
        attribute->name = g_strdup(name);
        attribute->value = g_strdup(value);
        set = g_slist_prepend(set, attribute);
    }
    return set;
}

AtkAttributeSet* GetRunAttributes(AtkText* text, gint, gint* start, gint* end) {
    const TextCache* t = TextOf(text);
    *start = 0;
    *end = t ? gint(t->length) : 0;
    return TextAttributes();
}

AtkAttributeSet* GetDefaultAttributes(AtkText*) {
    return TextAttributes();
}

void TextInit(gpointer iface, gpointer) {
    auto* t = static_cast<AtkTextIface*>(iface);
    t->get_text = GetText;
    t->get_character_count = GetCharacterCount;
    t->get_caret_offset = GetCaretOffset;
    t->get_character_at_offset = GetCharacterAtOffset;
    t->get_string_at_offset = GetStringAtOffset;
    t->get_text_at_offset = GetTextAtOffset;
    t->get_text_before_offset = GetTextBeforeOffset;
    t->get_text_after_offset = GetTextAfterOffset;
    t->get_n_selections = GetNSelections;
    t->get_selection = GetSelection;
    t->get_character_extents = GetCharacterExtents;
    t->get_range_extents = GetRangeExtents;
    t->get_offset_at_point = GetOffsetAtPoint;
    t->set_caret_offset = SetCaretOffset;
    t->get_run_attributes = GetRunAttributes;
    t->get_default_attributes = GetDefaultAttributes;
}

void NoInit(gpointer, gpointer) {}

GType AccessibleType() {
    static GType type = 0;
    if (!type) {
        GTypeInfo info{};
        info.class_size = sizeof(OrvanelAccessibleClass);
        info.class_init = ClassInit;
        info.instance_size = sizeof(OrvanelAccessible);
        type = g_type_register_static(ATK_TYPE_OBJECT, "OrvanelAccessible", &info, GTypeFlags(0));
        GInterfaceInfo component{ComponentInit, nullptr, nullptr};
        g_type_add_interface_static(type, ATK_TYPE_COMPONENT, &component);
        GInterfaceInfo action{ActionInit, nullptr, nullptr};
        g_type_add_interface_static(type, ATK_TYPE_ACTION, &action);
    }
    return type;
}

GType SubType(const char* name, GType iface, GInterfaceInitFunc init) {
    GTypeQuery query;
    g_type_query(AccessibleType(), &query);
    GTypeInfo info{};
    info.class_size = guint16(query.class_size);
    info.instance_size = guint16(query.instance_size);
    GType type = g_type_register_static(AccessibleType(), name, &info, GTypeFlags(0));
    GInterfaceInfo add{init, nullptr, nullptr};
    g_type_add_interface_static(type, iface, &add);
    return type;
}

GType TextAccessibleType() {
    static GType type = SubType("OrvanelTextAccessible", ATK_TYPE_TEXT, TextInit);
    return type;
}

GType WindowAccessibleType() {
    static GType type = SubType("OrvanelWindowAccessible", ATK_TYPE_WINDOW, NoInit);
    return type;
}

// --- the root and the bridge -----------------------------------------------------------------

AtkObject* GetRoot() {
    return gBridge ? gBridge->root : nullptr;
}
const gchar* GetToolkitName() {
    return "Orvanel";
}

guint AddKeyEventListener(AtkKeySnoopFunc func, gpointer data) {
    if (!gBridge || !func) return 0;
    guint id = gBridge->nextKeyListener++;
    gBridge->keyListeners.push_back(KeyListener{id, func, data});
    return id;
}

void RemoveKeyEventListener(guint id) {
    if (!gBridge) return;
    std::erase_if(gBridge->keyListeners, [id](const KeyListener& l) { return l.id == id; });
}

void Adopt(AccessSnapshot snapshot) {
    gBridge->snapshot = std::move(snapshot);
    gBridge->index.clear();
    for (size_t i = 0; i < gBridge->snapshot.nodes.size(); ++i)
        gBridge->index.emplace(gBridge->snapshot.nodes[i].id, int(i));
}

AtkObject* Existing(const AccessId& id) {
    auto it = gBridge->objects.find(id);
    return it == gBridge->objects.end() ? nullptr : it->second;
}

void Announce(const AccessChange& c, const AccessSnapshot& before) {
    const AccessSnapshot& now = gBridge->snapshot;
    switch (c.kind) {
        case AccessChangeKind::Removed: {
            const AccessNode& node = before.nodes[size_t(c.node)];
            AtkObject* object = Existing(node.id);
            const AccessNode& parent = before.nodes[size_t(node.parent)];
            AtkObject* parentObject = node.parent == 0 ? gBridge->root : Existing(parent.id);
            if (object && parentObject) {
                gint at = 0;
                for (size_t k = 0; k < parent.children.size(); ++k)
                    if (parent.children[k] == c.node) at = gint(k);
                if (node.parent == 0) g_signal_emit_by_name(object, "destroy");
                g_signal_emit_by_name(parentObject, "children-changed::remove", at, object);
            }
            if (object) {
                atk_object_notify_state_change(object, ATK_STATE_DEFUNCT, TRUE);
                gBridge->objects.erase(node.id);
                g_object_unref(object);
            }
            gBridge->texts.erase(node.id);
            return;
        }
        case AccessChangeKind::Added: {
            const AccessNode& node = now.nodes[size_t(c.node)];
            // A listener only knows the children of objects it has seen.
            AtkObject* parentObject =
                node.parent == 0 ? gBridge->root : Existing(now.nodes[size_t(node.parent)].id);
            if (!parentObject) return;
            AtkObject* object = ObjectFor(node);
            gint at = 0;
            const std::vector<int>& siblings = now.nodes[size_t(node.parent)].children;
            for (size_t k = 0; k < siblings.size(); ++k)
                if (siblings[k] == c.node) at = gint(k);
            g_signal_emit_by_name(parentObject, "children-changed::add", at, object);
            if (node.parent == 0) {
                g_signal_emit_by_name(object, "create");
                if (node.states & kAccessActive) g_signal_emit_by_name(object, "activate");
            }
            return;
        }
        default:
            break;
    }
    const AccessNode& node = now.nodes[size_t(c.node)];
    bool focusRelated = c.kind == AccessChangeKind::Focus ||
                        (c.kind == AccessChangeKind::StateChanged && c.state == kAccessFocused);
    AtkObject* object = focusRelated ? ObjectFor(node) : Existing(node.id);
    if (!object) return;
    switch (c.kind) {
        case AccessChangeKind::NameChanged:
            g_object_notify(G_OBJECT(object), "accessible-name");
            break;
        case AccessChangeKind::DescriptionChanged:
            g_object_notify(G_OBJECT(object), "accessible-description");
            break;
        case AccessChangeKind::StateChanged:
            for (const auto& s : kStates)
                if (s.bit == c.state) atk_object_notify_state_change(object, s.atk, c.on);
            if (c.state == kAccessActive && node.parent == 0)
                g_signal_emit_by_name(object, c.on ? "activate" : "deactivate");
            break;
        case AccessChangeKind::TextChanged: {
            auto it = gBridge->texts.find(node.id);
            if (it != gBridge->texts.end()) {
                std::string old = it->second.utf8;
                glong oldLength = it->second.length;
                gBridge->texts.erase(it);
                g_signal_emit_by_name(object, "text-remove", 0, gint(oldLength), old.c_str());
            }
            const TextCache& t = TextOf(node);
            g_signal_emit_by_name(object, "text-insert", 0, gint(t.length), t.utf8.c_str());
            break;
        }
        case AccessChangeKind::CaretMoved:
            g_signal_emit_by_name(object, "text-caret-moved", gint(node.caret));
            break;
        case AccessChangeKind::SelectionChanged:
            g_signal_emit_by_name(object, "text-selection-changed");
            break;
        case AccessChangeKind::Focus:
            atk_object_notify_state_change(object, ATK_STATE_FOCUSED, TRUE);
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            atk_focus_tracker_notify(object);
            G_GNUC_END_IGNORE_DEPRECATIONS
            break;
        default:
            break;
    }
}

}  // namespace

bool StartAccessBridge(GdkWindow* window, int scale) {
    if (gBridge) return true;
    // NO_AT_BRIDGE=1 is the desktop's way to keep a program off the accessibility bus.
    if (g_strcmp0(g_getenv("NO_AT_BRIDGE"), "1") == 0) return false;
    gBridge = new Bridge;
    gBridge->window = window;
    gBridge->scale = scale > 0 ? scale : 1;
    Adopt(AccessTakeSnapshot());
    gBridge->root = ATK_OBJECT(g_object_new(AccessibleType(), nullptr));
    Self(gBridge->root)->id = AccessId{};
    atk_object_initialize(gBridge->root, nullptr);
    // GTK answers for the root with its own windows, of which this program has none.
    auto* util = static_cast<AtkUtilClass*>(g_type_class_ref(ATK_TYPE_UTIL));
    gBridge->gtkRoot = util->get_root;
    gBridge->gtkToolkitName = util->get_toolkit_name;
    gBridge->gtkAddKeyListener = util->add_key_event_listener;
    gBridge->gtkRemoveKeyListener = util->remove_key_event_listener;
    util->get_root = GetRoot;
    util->get_toolkit_name = GetToolkitName;
    // The bridge asks for every key here as it starts, to hand it to the screen reader first.
    util->add_key_event_listener = AddKeyEventListener;
    util->remove_key_event_listener = RemoveKeyEventListener;
    if (atk_bridge_adaptor_init(nullptr, nullptr) != 0) {
        StopAccessBridge();
        return false;
    }
    gBridge->tellAt = g_get_monotonic_time() + kFirstTellingDelay * 1000;
    // Wakes the main loop then, so that the telling does not wait for the user's first step.
    g_timeout_add(
        kFirstTellingDelay + 20, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr);
    return true;
}

bool OfferKeyToAccessBridge(const GdkEventKey* key) {
    if (!gBridge || gBridge->keyListeners.empty()) return false;
    // The screen reader hears the key as GTK's own widgets tell it: a printable character, or
    // any character with Ctrl, by its text; other keys by their names ("Down", "KP_Add").
    gunichar c = gdk_keyval_to_unicode(key->keyval);
    char utf8[8] = {};
    std::string text;
    if (c && (g_unichar_isgraph(c) || (key->state & GDK_CONTROL_MASK))) {
        text.assign(utf8, size_t(g_unichar_to_utf8(c, utf8)));
    } else if (const gchar* name = gdk_keyval_name(key->keyval)) {
        text = name;
    }
    AtkKeyEventStruct event{};
    event.type = key->type == GDK_KEY_PRESS ? ATK_KEY_EVENT_PRESS : ATK_KEY_EVENT_RELEASE;
    event.state = key->state;
    event.keyval = key->keyval;
    event.length = gint(text.size());
    event.string = text.data();
    event.keycode = key->hardware_keycode;
    event.timestamp = key->time;
    // A listener may remove itself while it is called.
    std::vector<KeyListener> listeners = gBridge->keyListeners;
    bool consumed = false;
    for (const KeyListener& l : listeners) consumed |= l.func(&event, l.data) != 0;
    return consumed;
}

void SyncAccessBridge() {
    if (!gBridge) return;
    AccessSnapshot before = std::move(gBridge->snapshot);
    Adopt(AccessTakeSnapshot());
    for (const AccessChange& c : AccessDiff(before, gBridge->snapshot)) Announce(c, before);
    // The bridge learns which events anyone listens for a moment after it starts, and drops
    // the events sent before: the window in front and the focus are told again then, so that
    // a screen reader that was running hears where the user is.
    if (!gBridge->told && g_get_monotonic_time() >= gBridge->tellAt) {
        gBridge->told = true;
        const AccessSnapshot& now = gBridge->snapshot;
        for (int child : now.nodes[0].children)
            if (now.nodes[size_t(child)].states & kAccessActive)
                g_signal_emit_by_name(ObjectFor(now.nodes[size_t(child)]), "activate");
        if (now.focus >= 0) Announce({AccessChangeKind::Focus, now.focus}, now);
    }
}

void StopAccessBridge() {
    if (!gBridge) return;
    atk_bridge_adaptor_cleanup();
    auto* util = static_cast<AtkUtilClass*>(g_type_class_peek(ATK_TYPE_UTIL));
    if (util) {
        util->get_root = gBridge->gtkRoot;
        util->get_toolkit_name = gBridge->gtkToolkitName;
        util->add_key_event_listener = gBridge->gtkAddKeyListener;
        util->remove_key_event_listener = gBridge->gtkRemoveKeyListener;
    }
    for (auto& [id, object] : gBridge->objects) g_object_unref(object);
    if (gBridge->root) g_object_unref(gBridge->root);
    delete gBridge;
    gBridge = nullptr;
}
