#include "platform/screen_query.h"

#include "platform/dialog.h"
#include "platform/window_internal.h"

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
