// Modal dialogs from templates and the dialog manager's keyboard handling.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/hosting.h"
#include "platform/resources.h"
#include "platform/user/controls.h"
#include "platform/user/dialog.h"
#include "platform/user/dialog_template.h"
#include "platform/user/window_internal.h"

namespace {

constexpr char16_t kDialogClass[] = u"#32770";
constexpr char16_t kSystemDialogFace[] = u"DejaVu Sans Condensed";

// Dialog procedures return non-zero for a message they handled; the result of those that
// answer with a value is the procedure's own, the others' is DWL_MSGRESULT.
// What the dialog manager made for the dialog (the template's font) goes with the dialog on
// WM_DESTROY whatever the dialog's procedure answers to it.
LRESULT DialogWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (w->dialogProc) {
        LRESULT r = w->dialogProc(w, msg, wp, lp);
        if (r && msg != WM_DESTROY) {
            if (msg == WM_INITDIALOG || msg == WM_CTLCOLORSTATIC || msg == WM_GETDLGCODE)
                return r;
            return GetWindowLong(w, DWL_MSGRESULT);
        }
    }
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(w, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, GetStockObject(WHITE_BRUSH));
            return 1;
        }
        case WM_DESTROY:
            // The dialog font was made from the template; it goes with the dialog, however the
            // dialog ends and whatever its procedure did with the message.
            if (w->font) DeleteObject(w->font);
            w->font = nullptr;
            return 0;
        case WM_CLOSE: PostMessage(w, WM_COMMAND, IDCANCEL, 0); return 0;
        case DM_GETDEFID: {
            for (Window* ch : w->children)
                if ((ch->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
                    EqualsClass(ch, u"BUTTON"))
                    return MAKELPARAM(ch->id, DC_HASDEFID);
            return MAKELPARAM(IDOK, DC_HASDEFID);
        }
    }
    return DefWindowProc(w, msg, wp, lp);
}

void RegisterDialogClass() {
    WNDCLASS wc{};
    wc.lpfnWndProc = DialogWindowProc;
    wc.lpszClassName = kDialogClass;
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    RegisterClass(&wc);
}

// Gives a control the focus as the dialog manager does: an edit field's whole text is selected,
// so that what is typed first replaces it.
void FocusControl(HWND control) {
    SetFocus(control);
    if (GetFocus() == control && (SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
        SendMessage(control, EM_SETSEL, 0, -1);
}

HWND FirstTabStop(HWND dialog) {
    for (Window* ch : dialog->children)
        if ((ch->style & WS_TABSTOP) && (ch->style & WS_VISIBLE) && !(ch->style & WS_DISABLED))
            return ch;
    return nullptr;
}

void MoveTabFocus(HWND dialog, bool backwards) {
    std::vector<Window*> stops;
    for (Window* ch : dialog->children)
        if ((ch->style & WS_TABSTOP) && (ch->style & WS_VISIBLE) && !(ch->style & WS_DISABLED))
            stops.push_back(ch);
    if (stops.empty()) return;
    auto it = std::find(stops.begin(), stops.end(), GetFocus());
    size_t i = it == stops.end() ? 0 : size_t(it - stops.begin());
    i = backwards ? (i + stops.size() - 1) % stops.size() : (i + 1) % stops.size();
    FocusControl(stops[i]);
}

// Dialog units to pixels, rounded to the nearest pixel: a template's controls are placed so, and
// MapDialogRect answers the same.
int DialogUnitsToPixelsX(int v, int baseX) {
    return (v * baseX + 2) / 4;
}
int DialogUnitsToPixelsY(int v, int baseY) {
    return (v * baseY + 4) / 8;
}

// The horizontal base unit of the font in the DC, as Win32 measures it: half the average width
// of the 52 Latin letters, rounded. A font's own average width can be far from the letters' (a
// wide "x" or a large table value), which would make dialogs too wide for the screen.
int HorizontalBaseUnit(HDC dc) {
    static const char16_t kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPoint32(dc, kLetters, 52, &size);
    return std::max(1, int((size.cx / 26 + 1) / 2));
}

}  // namespace

bool EqualsClass(const Window* w, const char16_t* name) {
    return w && w->cls && EqualsIgnoringCase(w->cls->name, name);
}

HWND CreateDialogWindow(const DialogTemplate* t, HWND owner, DLGPROC proc, LPARAM param) {
    RegisterDialogClass();
    // The dialog font sets the base units: the average character width and the cell height.
    LOGFONT lf{};
    HFONT font = nullptr;
    if (t->fontFace) {
        lf.lfHeight = -std::max(1, (t->pointSize * 96 + 36) / 72);
        lf.lfWeight = FW_NORMAL;
        // "System" names the system's own dialog font rather than a family. A condensed sans
        // face keeps templates laid out for the handheld's narrow font on a 240-pixel screen.
        const char16_t* face = EqualsIgnoringCase(t->fontFace, u"System") ? kSystemDialogFace
                                                                          : t->fontFace;
        size_t n = std::min<size_t>(WideLength(face), LF_FACESIZE - 1);
        std::copy(face, face + n, lf.lfFaceName);
        font = CreateFontIndirect(&lf);
    }
    int baseX, baseY;
    {
        HDC dc = CreateCompatibleDC(nullptr);
        if (font) SelectObject(dc, font);
        TEXTMETRIC tm;
        GetTextMetrics(dc, &tm);
        baseX = HorizontalBaseUnit(dc);
        baseY = std::max(1, int(tm.tmHeight));
        DeleteDC(dc);
    }
    auto px = [&](int v) { return DialogUnitsToPixelsX(v, baseX); };
    auto py = [&](int v) { return DialogUnitsToPixelsY(v, baseY); };
    DWORD style = (t->style & ~(WS_VISIBLE | WS_CHILD)) | WS_POPUP;
    int cw = px(t->cx), ch = py(t->cy);
    int width = cw + ((style & WS_CAPTION) == WS_CAPTION ? 2 : 0);
    int height = ch + ((style & WS_CAPTION) == WS_CAPTION ? wm::kCaptionHeight + 1 : 0);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int naturalWidth = width, naturalHeight = height;
    width = std::min(width, sw);
    height = std::min(height, sh);
    int x = std::max(0, (sw - width) / 2), y = std::max(0, (sh - height) / 2);
    HWND dlg = CreateWindowEx(t->exStyle, kDialogClass, t->caption, style, x, y, width, height,
                              owner, nullptr, ProgramInstance(), nullptr);
    if (!dlg) {
        if (font) DeleteObject(font);
        return nullptr;
    }
    dlg->naturalWidth = naturalWidth;
    dlg->naturalHeight = naturalHeight;
    dlg->captionOk = (t->exStyle & WS_EX_CAPTIONOKBTN) != 0;
    dlg->font = font;
    dlg->dialogUser = 0;
    for (int i = 0; i < t->itemCount; ++i) {
        const DialogItemTemplate& it = t->items[i];
        HWND c = CreateWindowEx(it.exStyle, it.className, it.text, it.style | WS_CHILD, px(it.x),
                                py(it.y), px(it.cx), py(it.cy), dlg,
                                reinterpret_cast<HMENU>(intptr_t(it.id)), ProgramInstance(),
                                nullptr);
        if (!c) continue;
        c->templateItem = &it;
        SendMessage(c, WM_SETFONT, WPARAM(font), 0);
        if (it.imageId) SendMessage(c, STM_SETIMAGE, IMAGE_BITMAP,
                                    LPARAM(LoadBitmap(ProgramInstance(), it.imageId)));
    }
    dlg->dialogProc = proc;
    HWND focus = FirstTabStop(dlg);
    if (SendMessage(dlg, WM_INITDIALOG, WPARAM(focus), param) && IsWindow(dlg) && focus)
        FocusControl(focus);
    // A screen smaller than the template cut the dialog down before its controls existed: its
    // size handler fits them now, as it does when the screen changes later.
    if (IsWindow(dlg) && !dlg->followsScreen && (width < naturalWidth || height < naturalHeight)) {
        RECT c = wm::ClientRectOf(dlg);
        SendMessage(dlg, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    }
    return dlg;
}

bool IsDialogKeyMessage(HWND dlg, MSG* m) {
    if (m->message != WM_KEYDOWN && m->message != WM_CHAR) return false;
    if (!m->hwnd || wm::TopLevelOf(m->hwnd) != dlg) return false;
    HWND focus = GetFocus();
    // A dialog without controls (or with none focused) has the keys itself: its own procedure
    // may want some of them (the table of contents takes Enter for its current entry).
    HWND asked = focus && wm::TopLevelOf(focus) == dlg ? focus : dlg;
    LRESULT code = SendMessage(asked, WM_GETDLGCODE, m->wParam, 0);
    if (code & DLGC_WANTALLKEYS) return false;
    if (m->message == WM_CHAR) return m->wParam == u'\r' || m->wParam == 0x1B;
    switch (m->wParam) {
        case VK_RETURN: {
            if (focus && EqualsClass(focus, u"BUTTON") &&
                (focus->style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
                SendMessage(focus, BM_CLICK, 0, 0);
                return true;
            }
            LRESULT def = SendMessage(dlg, DM_GETDEFID, 0, 0);
            int id = HIWORD(uintptr_t(def)) == DC_HASDEFID ? LOWORD(uintptr_t(def)) : IDOK;
            HWND item = GetDlgItem(dlg, id);
            if (item && !IsWindowEnabled(item)) return true;
            SendMessage(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(item));
            return true;
        }
        case VK_ESCAPE:
            // A message box whose Cancel button means more than backing out answers Escape
            // with the answer its caller gave for it.
            if (int answer = MessageBoxEscapeAnswer(dlg)) {
                EndDialog(dlg, answer);
                return true;
            }
            SendMessage(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                        LPARAM(GetDlgItem(dlg, IDCANCEL)));
            return true;
        case VK_TAB:
            MoveTabFocus(dlg, GetKeyState(VK_SHIFT) & 0x8000);
            return true;
        case 'C':
            // Ctrl+C in a message box copies its text, whichever button has the focus.
            if (!dlg->messageBox || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
            SendMessage(dlg, WM_COPY, 0, 0);
            return true;
    }
    return false;
}

intptr_t RunModal(HWND dlg, HWND owner, bool ownerWasEnabled) {
    HWND ownerTop = owner ? wm::TopLevelOf(owner) : nullptr;
    if (ownerTop) EnableWindow(ownerTop, FALSE);
    EnterModalLoop(dlg);
    ShowWindow(dlg, SW_SHOW);
    MSG m;
    bool quit = false;
    int quitCode = 0;
    while (IsWindow(dlg) && !dlg->dialogEnded) {
        if (!GetMessage(&m, nullptr, 0, 0)) {
            quit = true;
            quitCode = int(m.wParam);
            break;
        }
        if (IsDialogKeyMessage(dlg, &m)) continue;
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    // A dialog destroyed before it ended (its owner went, the program is closing) answers 0,
    // which no caller takes for a choice.
    intptr_t result = IsWindow(dlg) ? dlg->dialogResult : 0;
    if (ownerTop && IsWindow(ownerTop) && ownerWasEnabled) EnableWindow(ownerTop, TRUE);
    if (IsWindow(dlg)) DestroyWindow(dlg);
    LeaveModalLoop(dlg);
    if (ownerTop && IsWindow(ownerTop) && (ownerTop->style & WS_VISIBLE))
        SetForegroundWindow(ownerTop);
    // The quit request belongs to the outer loop too.
    if (quit) PostQuitMessage(quitCode);
    return result;
}

intptr_t DialogBoxIndirectParam(HINSTANCE, const DialogTemplate* t, HWND owner, DLGPROC proc,
                                LPARAM param) {
    if (!t) return -1;
    // The owner is disabled before the dialog exists, so WM_INITDIALOG already sees it so.
    HWND ownerTop = IsWindow(owner) ? wm::TopLevelOf(owner) : nullptr;
    bool ownerWasEnabled = ownerTop && IsWindowEnabled(ownerTop);
    if (ownerTop) EnableWindow(ownerTop, FALSE);
    HWND dlg = CreateDialogWindow(t, owner, proc, param);
    if (!dlg) {
        if (ownerWasEnabled) EnableWindow(ownerTop, TRUE);
        return -1;
    }
    return RunModal(dlg, owner, ownerWasEnabled);
}

intptr_t DialogBoxParam(HINSTANCE instance, WORD id, HWND owner, DLGPROC proc, LPARAM param) {
    HRSRC res = FindResource(instance, id, RT_DIALOG);
    if (!res) return -1;
    return DialogBoxIndirectParam(
        instance, static_cast<const DialogTemplate*>(LoadResource(instance, res)), owner, proc,
        param);
}

BOOL EndDialog(HWND dlg, intptr_t result) {
    if (!IsWindow(dlg)) return FALSE;
    dlg->dialogEnded = true;
    dlg->dialogResult = result;
    PostMessage(dlg, WM_NULL, 0, 0);  // wakes the modal loop, which then sees the end
    return TRUE;
}

LONG GetDialogBaseUnits() {
    HDC dc = CreateCompatibleDC(nullptr);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    DeleteDC(dc);
    return LONG(MAKELPARAM(tm.tmAveCharWidth, tm.tmHeight));
}

void FitDialogItems(HWND dialog, FitBitmaps bitmaps) {
    if (!IsWindow(dialog)) return;
    RECT client;
    GetClientRect(dialog, &client);
    for (Window* c : std::vector<Window*>(dialog->children)) {
        const DialogItemTemplate* it = c->templateItem;
        if (!it) continue;
        RECT place{it->x, it->y, 0, 0};
        MapDialogRect(dialog, &place);
        int width = c->rect.right - c->rect.left, height = c->rect.bottom - c->rect.top;
        bool bitmap = EqualsClass(c, u"STATIC") && (c->style & SS_TYPEMASK) == SS_BITMAP;
        if (!(bitmap && bitmaps == FitBitmaps::Keep)) {
            width = std::min(width, int(client.right));
            height = std::min(height, int(client.bottom));
            place.left = std::max(0, std::min(int(place.left), int(client.right) - width));
            place.top = std::max(0, std::min(int(place.top), int(client.bottom) - height));
        }
        MoveWindow(c, place.left, place.top, width, height, TRUE);
    }
}

BOOL MapDialogRect(HWND dlg, RECT* r) {
    if (!IsWindow(dlg) || !r) return FALSE;
    HDC dc = GetDC(dlg);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    int bx = HorizontalBaseUnit(dc), by = std::max(1, int(tm.tmHeight));
    ReleaseDC(dlg, dc);
    r->left = DialogUnitsToPixelsX(r->left, bx);
    r->right = DialogUnitsToPixelsX(r->right, bx);
    r->top = DialogUnitsToPixelsY(r->top, by);
    r->bottom = DialogUnitsToPixelsY(r->bottom, by);
    return TRUE;
}
