// BUTTON: push, default push, owner-drawn and auto radio buttons.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/user/dialog.h"
#include "platform/user/window_internal.h"

namespace {

struct ButtonState {
    bool pressed = false;   // drawn pushed in while the stylus is down on it
    bool tracking = false;  // the stylus went down on it and has not been lifted
    WPARAM check = BST_UNCHECKED;
};

ButtonState* StateOf(HWND w) { return static_cast<ButtonState*>(w->control); }
DWORD Kind(HWND w) { return w->style & BS_TYPEMASK; }

// Notifies the parent with BN_CLICKED; auto radio buttons check themselves and uncheck the
// other radio buttons of their group first.
void Click(HWND w) {
    if (Kind(w) == BS_AUTORADIOBUTTON && w->parent) {
        auto& sib = w->parent->children;
        auto it = std::find(sib.begin(), sib.end(), w);
        auto first = it;
        while (first != sib.begin() && !((*first)->style & WS_GROUP)) --first;
        for (auto j = first; j != sib.end(); ++j) {
            if (j != first && ((*j)->style & WS_GROUP)) break;
            if (EqualsClass(*j, u"BUTTON") && Kind(*j) == BS_AUTORADIOBUTTON && *j != w)
                SendMessage(*j, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        SendMessage(w, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (w->parent)
        SendMessage(w->parent, WM_COMMAND, MAKEWPARAM(w->id, BN_CLICKED), LPARAM(w));
}

void Paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    ButtonState* s = StateOf(w);
    if (Kind(w) == BS_OWNERDRAW) {
        DRAWITEMSTRUCT dis{ODT_BUTTON, UINT(w->id), 0, ODA_DRAWENTIRE,
                           UINT((s->pressed ? ODS_SELECTED : 0) | (GetFocus() == w ? ODS_FOCUS : 0)),
                           w, dc, r, 0};
        if (w->parent) SendMessage(w->parent, WM_DRAWITEM, WPARAM(w->id), LPARAM(&dis));
        EndPaint(w, &ps);
        return;
    }
    if (w->font) SelectObject(dc, w->font);
    SetBkMode(dc, TRANSPARENT);
    if (Kind(w) == BS_AUTORADIOBUTTON) {
        FillRect(dc, &r, GetStockObject(WHITE_BRUSH));
        // A round button with a round dot when checked, as radio buttons look everywhere.
        int box = 11, top = (r.bottom - box) / 2;
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        SelectObject(dc, GetStockObject(BLACK_PEN));
        Ellipse(dc, 0, top, box, top + box);
        if (s->check == BST_CHECKED) {
            SelectObject(dc, GetStockObject(BLACK_BRUSH));
            Ellipse(dc, 3, top + 3, box - 3, top + box - 3);
        }
        RECT text{box + 4, 0, r.right, r.bottom};
        SetTextColor(dc, IsWindowEnabled(w) ? RGB(0, 0, 0) : RGB(128, 128, 128));
        DrawText(dc, w->title.c_str(), -1, &text, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else {
        bool down = s->pressed;
        SelectObject(dc, GetStockObject(down ? BLACK_BRUSH : WHITE_BRUSH));
        SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        if (Kind(w) == BS_DEFPUSHBUTTON) {
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
        }
        SetTextColor(dc, !IsWindowEnabled(w) ? RGB(128, 128, 128)
                         : down              ? RGB(255, 255, 255)
                                             : RGB(0, 0, 0));
        DrawText(dc, w->title.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(w, &ps);
}

bool Inside(HWND w, LPARAM lp) {
    RECT r;
    GetClientRect(w, &r);
    return wm::Contains(r, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
}

LRESULT ButtonProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: w->control = new ButtonState; return 0;
        case WM_DESTROY:
            delete StateOf(w);
            w->control = nullptr;
            return 0;
        case WM_PAINT: Paint(w); return 0;
        case WM_ERASEBKGND: return 1;
        // Returns the check state (BST_CHECKED or BST_UNCHECKED).
        case BM_GETCHECK: return LRESULT(StateOf(w)->check);
        // Sets the check state; returns 0.
        case BM_SETCHECK:
            if (StateOf(w)->check != wp) {
                StateOf(w)->check = wp;
                InvalidateRect(w, nullptr, FALSE);
            }
            return 0;
        // Returns BST_PUSHED while drawn pushed, with the check state.
        case BM_GETSTATE: return (StateOf(w)->pressed ? BST_PUSHED : 0) | StateOf(w)->check;
        case BM_SETSTATE:
            StateOf(w)->pressed = wp != 0;
            InvalidateRect(w, nullptr, FALSE);
            return 0;
        // Acts as a tap on the button; returns 0.
        case BM_CLICK:
            if (IsWindowEnabled(w)) Click(w);
            return 0;
        case WM_LBUTTONDOWN:
            StateOf(w)->pressed = StateOf(w)->tracking = true;
            SetCapture(w);
            if (w->style & WS_TABSTOP) SetFocus(w);
            InvalidateRect(w, nullptr, FALSE);
            return 0;
        case WM_MOUSEMOVE:
            if (StateOf(w)->tracking && StateOf(w)->pressed != Inside(w, lp)) {
                StateOf(w)->pressed = Inside(w, lp);
                InvalidateRect(w, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONUP: {
            ButtonState* s = StateOf(w);
            bool clicked = s->tracking && Inside(w, lp);
            s->pressed = s->tracking = false;
            if (GetCapture() == w) ReleaseCapture();
            InvalidateRect(w, nullptr, FALSE);
            if (clicked) Click(w);
            return 0;
        }
        case WM_KEYDOWN:
            if (wp == VK_SPACE) SendMessage(w, BM_CLICK, 0, 0);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE: InvalidateRect(w, nullptr, FALSE); return 0;
        case WM_SETTEXT: {
            LRESULT r = DefWindowProc(w, msg, wp, lp);
            InvalidateRect(w, nullptr, FALSE);
            return r;
        }
    }
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

WNDPROC ButtonWindowProc() { return ButtonProc; }
