// The accessible tree as JSON, for the scripted driver and tests.
#include "platform/access/access_tree.h"
#include "platform/unicode.h"

namespace {

void Write(const AccessSnapshot& s, int i, std::string& out) {
    const AccessNode& n = s.nodes[size_t(i)];
    out +=
        "{\"role\":\"" + std::string(AccessRoleName(n.role)) + "\",\"name\":" + JsonString(n.name);
    if (!n.description.empty()) out += ",\"description\":" + JsonString(n.description);
    if (!n.shortcut.empty()) out += ",\"shortcut\":" + JsonString(n.shortcut);
    out += ",\"states\":[";
    bool first = true;
    for (const char* state : AccessStateNames(n.states)) {
        out += first ? "\"" : ",\"";
        out += state;
        out += "\"";
        first = false;
    }
    out += "],\"rect\":[" + std::to_string(n.screen.left) + "," + std::to_string(n.screen.top) +
           "," + std::to_string(n.screen.right) + "," + std::to_string(n.screen.bottom) + "]";
    if (n.level) out += ",\"level\":" + std::to_string(n.level);
    if (n.hasText) {
        out += ",\"text\":" + JsonString(AccessNodeText(n));
        out += ",\"caret\":" + std::to_string(n.caret);
        out += ",\"selection\":[" + std::to_string(n.selectionStart) + "," +
               std::to_string(n.selectionEnd) + "]";
    }
    if (!n.children.empty()) {
        out += ",\"children\":[";
        for (size_t k = 0; k < n.children.size(); ++k) {
            if (k) out += ",";
            Write(s, n.children[k], out);
        }
        out += "]";
    }
    out += "}";
}

}  // namespace

const char* AccessRoleName(AccessRole role) {
    switch (role) {
        case AccessRole::Application:
            return "application";
        case AccessRole::Frame:
            return "frame";
        case AccessRole::Dialog:
            return "dialog";
        case AccessRole::Alert:
            return "alert";
        case AccessRole::Window:
            return "window";
        case AccessRole::Panel:
            return "panel";
        case AccessRole::MenuBar:
            return "menu bar";
        case AccessRole::ToolBar:
            return "tool bar";
        case AccessRole::Menu:
            return "menu";
        case AccessRole::MenuItem:
            return "menu item";
        case AccessRole::CheckMenuItem:
            return "check menu item";
        case AccessRole::RadioMenuItem:
            return "radio menu item";
        case AccessRole::Separator:
            return "separator";
        case AccessRole::PushButton:
            return "push button";
        case AccessRole::RadioButton:
            return "radio button";
        case AccessRole::CheckBox:
            return "check box";
        case AccessRole::Label:
            return "label";
        case AccessRole::Image:
            return "image";
        case AccessRole::Entry:
            return "entry";
        case AccessRole::List:
            return "list";
        case AccessRole::ListItem:
            return "list item";
        case AccessRole::ScrollBar:
            return "scroll bar";
        case AccessRole::ToolTip:
            return "tool tip";
        case AccessRole::Tree:
            return "tree";
        case AccessRole::TreeItem:
            return "tree item";
        case AccessRole::Document:
            return "text";
    }
    return "unknown";
}

std::vector<const char*> AccessStateNames(uint32_t states) {
    static const struct {
        uint32_t bit;
        const char* name;
    } kNames[] = {
        {kAccessEnabled, "enabled"},
        {kAccessVisible, "visible"},
        {kAccessShowing, "showing"},
        {kAccessFocusable, "focusable"},
        {kAccessFocused, "focused"},
        {kAccessSelectable, "selectable"},
        {kAccessSelected, "selected"},
        {kAccessCheckable, "checkable"},
        {kAccessChecked, "checked"},
        {kAccessExpandable, "expandable"},
        {kAccessExpanded, "expanded"},
        {kAccessActive, "active"},
        {kAccessModal, "modal"},
        {kAccessEditable, "editable"},
        {kAccessSingleLine, "single line"},
        {kAccessMultiLine, "multi line"},
        {kAccessDefault, "default"},
        {kAccessReadOnly, "read only"},
    };
    std::vector<const char*> out;
    for (const auto& n : kNames)
        if (states & n.bit) out.push_back(n.name);
    return out;
}

std::string AccessSnapshotJson(const AccessSnapshot& snapshot) {
    std::string out;
    if (!snapshot.nodes.empty()) Write(snapshot, 0, out);
    return out;
}
