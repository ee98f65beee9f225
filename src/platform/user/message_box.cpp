// Message boxes: a modal window with the text, an icon for the stop and exclamation styles and
// the buttons of the style.
#include "platform/user/message_box.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/heap.h"
#include "platform/user/clipboard.h"
#include "platform/user/controls.h"
#include "platform/user/dialog.h"
#include "platform/user/window_internal.h"

namespace {

constexpr int kMargin = 8;
constexpr int kIconSize = 24;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 22;
constexpr int kButtonGap = 6;

// The Escape answers of the open boxes that have one (boxes nest: a box's owner may be a box).
std::map<HWND, int>& EscapeAnswers() {
    static auto* answers = new std::map<HWND, int>;
    return *answers;
}

struct BoxButton {
    int id;
    const char16_t* text;
};

std::vector<BoxButton> ButtonsFor(UINT style) {
    if ((style & MB_TYPEMASK) == MB_YESNOCANCEL)
        return {{IDYES, u"Yes"}, {IDNO, u"No"}, {IDCANCEL, u"Cancel"}};
    return {{IDOK, u"OK"}};
}

void DrawIcon(HDC dc, UINT icon) {
    int x = kMargin, y = kMargin;
    if (icon == MB_ICONSTOP) {
        HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
        SelectObject(dc, red);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, x, y, x + kIconSize, y + kIconSize);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(red);
        RECT bar{x + 5, y + kIconSize / 2 - 2, x + kIconSize - 5, y + kIconSize / 2 + 2};
        FillRect(dc, &bar, GetStockObject(WHITE_BRUSH));
    } else if (icon == MB_ICONEXCLAMATION) {
        HBRUSH yellow = CreateSolidBrush(RGB(255, 210, 0));
        SelectObject(dc, yellow);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, x, y, x + kIconSize, y + kIconSize);
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(yellow);
        RECT stem{x + kIconSize / 2 - 1, y + 4, x + kIconSize / 2 + 2, y + kIconSize - 9};
        RECT dot{x + kIconSize / 2 - 1, y + kIconSize - 7, x + kIconSize / 2 + 2, y + kIconSize - 4};
        FillRect(dc, &stem, GetStockObject(BLACK_BRUSH));
        FillRect(dc, &dot, GetStockObject(BLACK_BRUSH));
    }
}

int TextLeft(UINT style) {
    return kMargin + ((style & MB_ICONMASK) ? kIconSize + kMargin : 0);
}

// Lays the text and the buttons out for a client of cw x ch: the buttons in a centred row at the
// bottom, the text above them, so that a box cut down by a small screen still shows its buttons.
// Returns TRUE.
LRESULT OnSize(HWND w, int cw, int ch) {
    int textLeft = TextLeft(UINT(GetWindowLong(w, DWL_USER)));
    int y = std::max(kMargin, ch - kMargin - kButtonHeight);
    std::vector<HWND> buttons;
    for (HWND c : w->children) {
        if (EqualsClass(c, u"STATIC"))
            MoveWindow(c, textLeft, kMargin, std::max(0, cw - textLeft - kMargin),
                       std::max(0, y - 2 * kMargin), TRUE);
        else
            buttons.push_back(c);
    }
    int count = int(buttons.size());
    int total = count * kButtonWidth + (count - 1) * kButtonGap;
    int x = std::max(0, (cw - total) / 2);
    for (HWND b : buttons) {
        MoveWindow(b, x, y, kButtonWidth, kButtonHeight, TRUE);
        x += kButtonWidth + kButtonGap;
    }
    return TRUE;
}

// Puts the box's text on the clipboard as text, so that what it names (an address, a file) can be
// pasted elsewhere. Returns TRUE.
LRESULT CopyText(HWND w) {
    const std::u16string& text = w->messageText;
    auto* block = static_cast<char16_t*>(LocalAlloc(0, (text.size() + 1) * sizeof(char16_t)));
    if (!block) return TRUE;
    std::copy(text.begin(), text.end(), block);
    block[text.size()] = 0;
    if (OpenClipboard(w)) {
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, block)) block = nullptr;
        CloseClipboard();
    }
    if (block) LocalFree(block);
    return TRUE;
}

LRESULT MessageBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COPY: return CopyText(w);
        case WM_INITDIALOG: return TRUE;
        case WM_SIZE:
            return OnSize(w, LOWORD(uintptr_t(lp)), HIWORD(uintptr_t(lp)));
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            DrawIcon(dc, UINT(GetWindowLong(w, DWL_USER)) & MB_ICONMASK);
            EndPaint(w, &ps);
            return TRUE;
        }
        case WM_COMMAND: {
            int id = LOWORD(wp);
            UINT style = UINT(GetWindowLong(w, DWL_USER));
            // A box with only OK answers OK to Escape and to the caption button alike.
            if ((style & MB_TYPEMASK) == MB_OK && id == IDCANCEL) id = IDOK;
            if (id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO) EndDialog(w, id);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

int MessageBoxEscapeAnswer(HWND box) {
    auto it = EscapeAnswers().find(box);
    return it == EscapeAnswers().end() ? 0 : it->second;
}

int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    return MessageBoxEscaping(owner, text, caption, style, 0);
}

int MessageBoxEscaping(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style, int escapeAnswer) {
    if (owner && !IsWindow(owner)) owner = nullptr;
    HWND ownerTop = owner;
    while (ownerTop && GetParent(ownerTop) && (GetWindowStyle(ownerTop) & WS_CHILD))
        ownerTop = GetParent(ownerTop);
    bool ownerWasEnabled = ownerTop && IsWindowEnabled(ownerTop);
    std::u16string body = text ? text : u"";
    std::u16string title = caption ? caption : u"Error";
    UINT icon = style & MB_ICONMASK;
    auto buttons = ButtonsFor(style);

    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    // The box's own size: the text wrapped at the usual width (or the screen's, when narrower),
    // the buttons below it.
    int width = std::min(sw - 8, 232);
    int textLeft = TextLeft(style);
    int textWidth = width - 2 - textLeft - kMargin;
    HDC mem = CreateCompatibleDC(nullptr);
    RECT measure{0, 0, textWidth, 0};
    DrawText(mem, body.c_str(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    DeleteDC(mem);
    int textHeight = std::max<int>(measure.bottom, icon ? kIconSize : 0);
    int clientHeight = kMargin + textHeight + kMargin + kButtonHeight + kMargin;
    int height = clientHeight + 22 + 1;

    DialogTemplate t{WS_POPUP | WS_CAPTION, 0, 0, 0, 0, 0, title.c_str(), nullptr, 0, nullptr, 0};
    HWND box = CreateDialogWindow(&t, owner, nullptr, 0);
    if (!box) return 0;
    box->messageBox = true;
    box->messageText = body;
    box->captionOk = (style & MB_TYPEMASK) == MB_OK;
    box->naturalWidth = 232;
    box->naturalHeight = height;
    SetWindowLong(box, DWL_USER, intptr_t(style));
    CreateWindowEx(0, u"STATIC", body.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, box,
                   nullptr, nullptr, nullptr);
    HWND first = nullptr;
    for (auto& b : buttons) {
        DWORD bs = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (first ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON);
        HWND btn = CreateWindowEx(0, u"BUTTON", b.text, bs, 0, 0, 0, 0, box,
                                  reinterpret_cast<HMENU>(intptr_t(b.id)), nullptr, nullptr);
        if (!first) first = btn;
    }
    box->dialogProc = MessageBoxProc;
    // A screen smaller than the box takes it at the screen's size (its size handler keeps the
    // buttons inside), as a later change of the screen does.
    height = std::min(height, sh);
    MoveWindow(box, std::max(0, (sw - width) / 2), std::max(0, (sh - height) / 2), width, height,
               FALSE);
    if (first) SetFocus(first);
    if (escapeAnswer) EscapeAnswers()[box] = escapeAnswer;
    int answer = int(RunModal(box, owner, ownerWasEnabled));
    EscapeAnswers().erase(box);
    return answer;
}
