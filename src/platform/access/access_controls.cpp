#include "platform/access/access_controls.h"

#include "platform/bars/bar_internal.h"
#include "platform/user/controls.h"
#include "platform/user/dialog.h"
#include "platform/user/window_internal.h"

namespace {

constexpr char16_t kPopupClass[] = u"#32768";
constexpr char16_t kTipClass[] = u"tooltips_class32";

std::u16string WithoutMarks(const std::u16string& text) {
    return ParseMenuLabel(text).text;
}

RECT ScreenRect(Window* w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

RECT ClientToScreenRect(Window* w, RECT r) {
    POINT o{0, 0};
    ClientToScreen(w, &o);
    return RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
}

DWORD ButtonKind(const Window* w) {
    return w->style & BS_TYPEMASK;
}

AccessRole RoleOf(Window* w) {
    if (wm::IsTopLevel(w)) {
        if (w->messageBox) return AccessRole::Alert;
        if (w->dialogProc) return AccessRole::Dialog;
        if (EqualsClass(w, kPopupClass)) return AccessRole::Menu;
        if (EqualsClass(w, kTipClass)) return AccessRole::ToolTip;
        return w->owner ? AccessRole::Window : AccessRole::Frame;
    }
    if (EqualsClass(w, u"BUTTON")) {
        DWORD kind = ButtonKind(w);
        if (kind == BS_AUTORADIOBUTTON || kind == 4) return AccessRole::RadioButton;
        if (kind >= 2 && kind <= 6) return AccessRole::CheckBox;
        return AccessRole::PushButton;
    }
    if (EqualsClass(w, u"STATIC"))
        return (w->style & SS_TYPEMASK) == SS_BITMAP ? AccessRole::Image : AccessRole::Label;
    if (EqualsClass(w, u"EDIT")) return AccessRole::Entry;
    if (EqualsClass(w, u"LISTBOX")) return AccessRole::List;
    if (EqualsClass(w, u"SCROLLBAR")) return AccessRole::ScrollBar;
    if (IsBar(w)) return IsBottomBar(w) ? AccessRole::MenuBar : AccessRole::ToolBar;
    return AccessRole::Panel;
}

// Fields and lists are named by the label in front of them, as a sighted user reads them.
std::u16string LabelBefore(Window* w) {
    if (!w->parent) return {};
    std::u16string label;
    for (Window* sib : w->parent->children) {
        if (sib == w) break;
        if (EqualsClass(sib, u"STATIC") && (sib->style & SS_TYPEMASK) != SS_BITMAP)
            label = WithoutMarks(sib->title);
        else if (!EqualsClass(sib, u"STATIC"))
            label.clear();
    }
    return label;
}

}  // namespace

void DescribeWindow(Window* w, AccessNode* node) {
    node->role = RoleOf(w);
    node->screen = ScreenRect(w);
    switch (node->role) {
        case AccessRole::Entry:
        case AccessRole::List:
            node->name = LabelBefore(w);
            break;
        case AccessRole::Alert:
            node->name = w->title.empty() ? u"Error" : w->title;
            break;
        case AccessRole::Menu:
            node->name = DescribePopupName(w);
            break;
        case AccessRole::Frame:
        case AccessRole::Dialog:
        case AccessRole::Window:
        case AccessRole::ToolTip:
        case AccessRole::PushButton:
        case AccessRole::RadioButton:
        case AccessRole::CheckBox:
        case AccessRole::Label:
        case AccessRole::Image:
            node->name = WithoutMarks(w->title);
            break;
        default:
            break;
    }
    uint32_t s = 0;
    if (!(w->style & WS_DISABLED)) s |= kAccessEnabled;
    if (w->style & WS_VISIBLE) s |= kAccessVisible;
    if (IsWindowVisible(w)) s |= kAccessShowing;
    if (GetFocus() == w) s |= kAccessFocused | kAccessFocusable;
    switch (node->role) {
        case AccessRole::PushButton:
            s |= kAccessFocusable;
            if (ButtonKind(w) == BS_DEFPUSHBUTTON) s |= kAccessDefault;
            break;
        case AccessRole::RadioButton:
        case AccessRole::CheckBox:
            s |= kAccessFocusable | kAccessCheckable;
            if (SendMessage(w, BM_GETCHECK, 0, 0) == LRESULT(BST_CHECKED)) s |= kAccessChecked;
            break;
        case AccessRole::List:
            s |= kAccessFocusable;
            break;
        case AccessRole::Entry: {
            s |= kAccessFocusable;
            s |= (w->style & ES_READONLY) ? kAccessReadOnly : kAccessEditable;
            s |= (w->style & ES_MULTILINE) ? kAccessMultiLine : kAccessSingleLine;
            node->hasText = true;
            // The text is the title; its length and units make a stamp that changes with it.
            node->textStamp = std::hash<std::u16string>()(w->title);
            DWORD start = 0, end = 0;
            SendMessage(w, EM_GETSEL, WPARAM(&start), LPARAM(&end));
            node->caret = int(end);
            node->selectionStart = int(start);
            node->selectionEnd = int(end);
            break;
        }
        case AccessRole::Frame:
        case AccessRole::Dialog:
        case AccessRole::Alert:
            if (GetActiveWindow() == w) s |= kAccessActive;
            if (node->role != AccessRole::Frame) s |= kAccessModal;
            break;
        default:
            break;
    }
    node->states = s;
}

std::vector<AccessItem> DescribeItems(Window* w) {
    std::vector<AccessItem> out;
    uint32_t shown = (w->style & WS_DISABLED ? 0 : kAccessEnabled) | kAccessVisible |
                     (IsWindowVisible(w) ? kAccessShowing : 0);
    if (EqualsClass(w, u"LISTBOX")) {
        int count = int(SendMessage(w, LB_GETCOUNT, 0, 0));
        int selected = int(SendMessage(w, LB_GETCURSEL, 0, 0));
        int top = int(SendMessage(w, LB_GETTOPINDEX, 0, 0));
        int height = int(SendMessage(w, LB_GETITEMHEIGHT, 0, 0));
        RECT client = wm::ClientRectOf(w);
        for (int i = 0; i < count; ++i) {
            AccessItem item;
            AccessNode& n = item.node;
            n.role = AccessRole::ListItem;
            std::u16string text(size_t(SendMessage(w, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, u'\0');
            SendMessage(w, LB_GETTEXT, WPARAM(i), LPARAM(text.data()));
            text.resize(text.size() - 1);
            n.name = text;
            RECT r{0, (i - top) * height, client.right, (i - top + 1) * height};
            n.screen = ClientToScreenRect(w, r);
            n.states = (shown & ~kAccessShowing) | kAccessSelectable | kAccessFocusable;
            if (r.bottom > 0 && r.top < client.bottom) n.states |= shown & kAccessShowing;
            // The selected item carries the focus while its list has it.
            if (i == selected) n.states |= kAccessSelected | kAccessFocused;
            out.push_back(std::move(item));
        }
        return out;
    }
    if (w->captionOk) {
        // The caption's "ok" button, drawn with the frame.
        AccessItem item;
        item.node.role = AccessRole::PushButton;
        item.node.name = u"OK";
        RECT ok = wm::CaptionOkButton(w);
        item.node.screen = RECT{w->rect.left + ok.left, w->rect.top + ok.top,
                                w->rect.left + ok.right, w->rect.top + ok.bottom};
        item.node.states = shown | kAccessFocusable;
        out.push_back(std::move(item));
        return out;
    }
    bool bar = IsBar(w), popup = EqualsClass(w, kPopupClass);
    if (!bar && !popup) return out;
    for (AccessItemInfo& info : bar ? DescribeBarButtons(w) : DescribePopupItems(w)) {
        AccessItem item;
        AccessNode& n = item.node;
        n.name = std::move(info.name);
        n.shortcut = std::move(info.shortcut);
        n.screen = ClientToScreenRect(w, info.rect);
        n.states = shown & ~(info.enabled ? 0 : kAccessEnabled);
        if (info.separator) {
            n.role = AccessRole::Separator;
        } else if (bar) {
            n.role =
                info.opensMenu && IsBottomBar(w) ? AccessRole::MenuItem : AccessRole::PushButton;
            n.states |= kAccessFocusable;
        } else {
            n.role = info.radio     ? AccessRole::RadioMenuItem
                     : info.checked ? AccessRole::CheckMenuItem
                                    : AccessRole::MenuItem;
            n.states |= kAccessFocusable | kAccessSelectable;
            if (info.checked) n.states |= kAccessChecked | kAccessCheckable;
            // The item under the stylus or the keys is where a screen reader is in the menu.
            if (info.hot) n.states |= kAccessSelected | kAccessFocused;
        }
        out.push_back(std::move(item));
    }
    return out;
}
