#include "platform/user/screen_query.h"

#include "platform/user/controls.h"
#include "platform/user/dialog.h"
#include "platform/user/window_internal.h"

namespace {

std::u16string WithoutMarks(std::u16string_view s) {
    std::u16string out;
    for (char16_t c : s)
        if (c != u'&') out.push_back(c);
    return LowerAscii(out);
}

}  // namespace

bool DescribeActiveModal(ModalInfo* info) {
    Window* w = GetActiveWindow();
    if (!w || !IsWindow(w) || !(w->dialogProc || w->messageBox)) return false;
    if (info) {
        info->window = w;
        info->messageBox = w->messageBox;
        info->caption = w->title;
        info->text = w->messageBox ? w->messageText : std::u16string();
        info->style = w->messageBox ? UINT(w->dialogUser) : 0;
    }
    return true;
}

HWND FindButtonByText(HWND top, std::u16string_view text) {
    if (!IsWindow(top)) return nullptr;
    std::u16string want = WithoutMarks(text);
    for (Window* ch : top->children) {
        if (EqualsClass(ch, u"BUTTON") && WithoutMarks(ch->title) == want) return ch;
        if (HWND inner = FindButtonByText(ch, text)) return inner;
    }
    return nullptr;
}

bool FindCaptionOkButton(HWND top, RECT* screen) {
    if (!IsWindow(top) || !top->captionOk) return false;
    RECT ok = wm::CaptionOkButton(top);
    *screen = RECT{top->rect.left + ok.left, top->rect.top + ok.top, top->rect.left + ok.right,
                   top->rect.top + ok.bottom};
    return true;
}

std::vector<ControlInfo> DescribeControls(HWND window) {
    std::vector<ControlInfo> out;
    if (!IsWindow(window)) return out;
    for (Window* ch : window->children) {
        ControlInfo c;
        c.id = int(int16_t(ch->id));
        c.className = ch->cls ? ch->cls->name : std::u16string();
        GetWindowRect(ch, &c.rect);
        std::u16string text(size_t(GetWindowTextLength(ch)) + 1, u'\0');
        text.resize(size_t(GetWindowText(ch, text.data(), int(text.size()))));
        c.text = text;
        if (EqualsClass(ch, u"BUTTON")) {
            // Check boxes (kinds 2, 3, 5 and 6) and radio buttons (4 and 9) have a check state.
            DWORD kind = ch->style & BS_TYPEMASK;
            if ((kind >= 2 && kind <= 6) || kind == BS_AUTORADIOBUTTON)
                c.checked = SendMessage(ch, BM_GETCHECK, 0, 0) == LRESULT(BST_CHECKED) ? 1 : 0;
        } else if (EqualsClass(ch, u"LISTBOX")) {
            c.isList = true;
            LRESULT count = SendMessage(ch, LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                std::u16string item(size_t(SendMessage(ch, LB_GETTEXTLEN, WPARAM(i), 0)) + 1,
                                    u'\0');
                SendMessage(ch, LB_GETTEXT, WPARAM(i), LPARAM(item.data()));
                item.resize(item.size() - 1);
                c.items.push_back(item);
            }
            LRESULT sel = SendMessage(ch, LB_GETCURSEL, 0, 0);
            c.selection = sel == LB_ERR ? -1 : int(sel);
        } else if (EqualsClass(ch, u"EDIT")) {
            c.isEdit = true;
            DWORD start = 0, end = 0;
            SendMessage(ch, EM_GETSEL, WPARAM(&start), LPARAM(&end));
            c.selStart = int(start);
            c.selEnd = int(end);
        }
        out.push_back(std::move(c));
    }
    return out;
}
