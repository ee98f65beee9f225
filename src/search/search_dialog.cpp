#include "search/search_dialog.h"

#include <cstring>

#include "platform/access/access.h"
#include "platform/heap.h"
#include "platform/services/shell_services.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "reader/app_state.h"
#include "search/find_all.h"
#include "search/find_next.h"
#include "search/keyboard.h"
#include "search/matcher.h"
#include "search/places_dialog.h"
#include "search/search_field.h"
#include "text/convert.h"
#include "text/paint.h"
#include "text/text_pane.h"

SearchDialogState SearchDialog;

namespace {

constexpr int kKeyboardBitmap = 119;  // the on-screen keyboard

// The ending of the dialog that opens the Find All list.
constexpr int kFindAllResult = 3;

// The places Find All found, listed once the dialog has gone.
struct AskedList {
    bool asked = false;
    SearchOrigin origin;
    PlaceList found;
};
AskedList Asked;

// Reads the base units, makes the field's font, limits the field and shows SearchString in it.
// Returns TRUE, so that the field (the first tab stop) gets the focus.
LRESULT OnInitDialog(HWND dialog) {
    // The base units the dialog was laid out with: 4 x 8 dialog units are one unit each way.
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    SearchDialog.baseX = units.right;
    SearchDialog.baseY = units.bottom;
    // Its caption is the program's name; a screen reader names it for what it is.
    SetAccessName(dialog, u"Search");
    SetAccessImageName(kKeyboardBitmap, u"Keyboard");

    HWND field = GetDlgItem(dialog, kSearchFieldId);
    const FontRecord& font = App.TopPane ? App.TopPane->fontRecord : App.Font;
    LOGFONT lf{};
    lf.lfHeight = font.FontSize;
    std::memcpy(lf.lfFaceName, font.FaceName, sizeof font.FaceName);
    SearchDialog.font = CreateFontIndirect(&lf);
    SendMessage(field, WM_SETFONT, WPARAM(SearchDialog.font), TRUE);
    SendMessage(field, EM_LIMITTEXT, kSearchStringLimit, 0);
    // In stored order: the field shows the string as the keyboard typed it.
    if (char16_t* shown = ConvertBookRun(App.SearchString, kSearchStringSize, nullptr, nullptr,
                                         nullptr, RunOrder::Stored)) {
        SetWindowText(field, shown);
        HeapFreeBlock(shown);
    }
    if (field) TakeDesktopTyping(field);
    return TRUE;
}

// Shows the input-panel button while the dialog is in front, and hides the taskbar when it was
// activated other than by a click. Returns FALSE.
LRESULT OnActivate(WPARAM wp) {
    const WORD state = LOWORD(wp);
    if (state == WA_INACTIVE) return FALSE;
    if (App.AllowSipInHebrewSearch) SHFullScreen(App.MainWindow, SHFS_SHOWSIPBUTTON);
    if (state == WA_ACTIVE && App.TaskbarWindow) ShowWindow(App.TaskbarWindow, SW_HIDE);
    return FALSE;
}

void Close(HWND dialog, int command) {
    EndDialog(dialog, command);
    SHSipPreference(App.MainWindow, SIP_FORCEDOWN);
    SipShowIM(SIPF_OFF);
    SHFullScreen(App.MainWindow, SHFS_HIDESIPBUTTON);
}

void ReadField(HWND dialog) {
    char16_t text[kSearchStringSize] = {};
    GetDlgItemText(dialog, kSearchFieldId, text, kSearchStringSize);
    ReadSearchInput(text);
}

// After "Not Found!": the dialog stays open with the whole field selected.
LRESULT KeepOpen(HWND dialog) {
    HWND field = GetDlgItem(dialog, kSearchFieldId);
    SendMessage(field, EM_SETSEL, 0, -1);
    SetFocus(field);
    return TRUE;
}

// Takes the field as SearchString and lists every place of it: the dialog closes and the list
// opens over the main window once it has gone. An empty string closes the dialog as OK does;
// when nothing is found it stays open with the whole field selected. Returns TRUE.
LRESULT OnFindAll(HWND dialog) {
    ReadField(dialog);
    if (!App.SearchString[0]) {
        Close(dialog, IDOK);
        return TRUE;
    }
    FreePlaceTexts(&Asked.found);
    Asked.origin = CurrentSearchOrigin();
    Asked.found = FindAllPlaces(App.SearchString, Asked.origin);
    if (Asked.found.places.empty()) {
        FreePlaceTexts(&Asked.found);
        MessageBox(dialog, u"Not Found!", u"Orvanel", MB_OK);
        return KeepOpen(dialog);
    }
    Asked.asked = true;
    Close(dialog, kFindAllResult);
    return TRUE;
}

// Takes the field as SearchString and searches. The dialog closes on a hit or an empty string;
// when nothing is found it stays open with the whole field selected. Shift+Enter (OK with Shift
// held) is Find All. Returns TRUE.
LRESULT OnOk(HWND dialog) {
    if (GetKeyState(VK_SHIFT) & 0x8000) return OnFindAll(dialog);
    ReadField(dialog);
    if (!App.SearchString[0] || (SearchDialog.foundHit = FindNext(dialog))) {
        Close(dialog, IDOK);
        return TRUE;
    }
    return KeepOpen(dialog);
}

}  // namespace

void RunSearchDialog(HWND owner) {
    SearchDialog = {};
    Asked.asked = false;
    DialogBoxParam(App.Instance, kSearchDialogId, owner, SearchDialogProc, 0);
    if (Asked.asked) {
        Asked.asked = false;
        PlaceList found = Asked.found;
        Asked.found = PlaceList{};
        // The list goes over the main window, not over the dialog that has gone.
        if (IsWindow(App.MainWindow))
            RunPlacesDialog(App.MainWindow, Asked.origin, std::move(found));
        else
            FreePlaceTexts(&found);
        return;
    }
    // The main window repaints everything once the dialog is gone, which would wipe the banner
    // of the hit at once: let that paint happen now and put the banner back over it.
    if (SearchDialog.foundHit && IsWindow(App.MainWindow)) {
        UpdateWindow(App.MainWindow);
        RedrawHitBanner();
    }
}

LRESULT SearchDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_ACTIVATE:
            return OnActivate(wp);
        case WM_SIZE:
            // The layout is the template's; a screen smaller than the dialog pulls the title and
            // the field inside. The keyboard stays where taps on it are mapped.
            FitDialogItems(dialog, FitBitmaps::Keep);
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:
                    return OnOk(dialog);
                case IDCANCEL:
                    Close(dialog, IDCANCEL);
                    return TRUE;
                case kFindAllButtonId:
                    return OnFindAll(dialog);
            }
            return FALSE;
        case WM_LBUTTONDOWN:
            return KeyboardHitTest(dialog, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        case WM_DESTROY:
            if (SearchDialog.font) DeleteObject(SearchDialog.font);
            SearchDialog.font = nullptr;
            return TRUE;
    }
    return FALSE;
}
