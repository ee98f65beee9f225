#include "index/font_dialog.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "index/font_sizes.h"
#include "platform/access/access.h"
#include "platform/heap.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "reader/app_state.h"
#include "reader/dialog_setup.h"

FontDialogState FontDialog;

namespace {

// SetUpDialog flags: size the dialog to the full screen without a menu bar, input panel down.
constexpr DWORD kFontDialogFlags = 30;
constexpr int kLatinBase = 97;
constexpr int kUpperHalfBase = 224;
constexpr int kSampleCodes = 27;
// What may be typed or pasted into the sample: enough to try a face on a few sentences, and
// a bound on what each key lays out again.
constexpr int kSampleLimit = 1000;
constexpr int kMargin = 7;
constexpr int kButtonHeight = 10;

void EmptyFontList() {
    FontDialog = FontDialogState{};
    FontDialog.fontsTail = &FontDialog.fontsHead;
}

bool IsChecked(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && SendMessage(button, BM_GETCHECK, 0, 0) == LRESULT(BST_CHECKED);
}

void SetCheck(HWND dialog, int id, bool on) {
    if (HWND button = GetDlgItem(dialog, id))
        SendMessage(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

int ButtonOfBase(int base) {
    switch (base) {
        case kLatinBase:
            return kLatinButtonId;
        case kUpperHalfBase:
            return kUpperHalfButtonId;
        case kUnicodeAsciiBase:
            return kUnicodeButtonId;
    }
    return 0;
}

// The list box's current item, at most LF_FACESIZE - 1 units; false without a selection.
bool SelectedText(HWND dialog, int id, char16_t (&out)[LF_FACESIZE]) {
    HWND list = GetDlgItem(dialog, id);
    if (!list) return false;
    LRESULT index = SendMessage(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return false;
    LRESULT length = SendMessage(list, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR || length >= LF_FACESIZE) return false;
    std::memset(out, 0, sizeof out);
    SendMessage(list, LB_GETTEXT, WPARAM(index), LPARAM(out));
    return true;
}

// The number in decimal ("%d") as UTF-16 in `out` (16 units); returns out.
const char16_t* Decimal(int value, char16_t (&out)[16]) {
    char ascii[16];
    int n = std::snprintf(ascii, sizeof ascii, "%d", value);
    for (int i = 0; i <= n; ++i) out[i] = char16_t(ascii[i]);
    return out;
}

// The sample shows the alphabet right to left in the chosen font's letters; a screen reader
// reads it as Hebrew letters.
int gSampleBase = 0;

char16_t SampleLetter(char16_t shown) {
    int code = int(shown) - gSampleBase;
    return code >= 0 && code < kSampleCodes ? char16_t(0x05D0 + code) : shown;
}

void OnInitDialog(HWND dialog, FontRecord* record) {
    HWND owner = GetParent(dialog);
    HDC dc = GetDC(owner);
    SetUpDialog(dialog, kFontDialogFlags);
    EmptyFontList();
    FontDialog.fontRecord = record;
    // A record that never had a FontAsciiBase gets the Unicode one, even if the dialog is then
    // cancelled.
    if (record->FontAsciiBase == 0) record->FontAsciiBase = kUnicodeAsciiBase;
    SendMessage(GetDlgItem(dialog, kSampleId), EM_LIMITTEXT, kSampleLimit, 0);
    SetSampleText(dialog, record->FontAsciiBase);
    SetAccessName(GetDlgItem(dialog, kFaceListId), u"Font");
    SetAccessName(GetDlgItem(dialog, kSizeListId), u"Size");
    SetAccessName(GetDlgItem(dialog, kSampleId), u"Sample");
    SetAccessDisplayOrder(GetDlgItem(dialog, kSampleId), SampleLetter);
    SetAccessName(GetDlgItem(dialog, kUpperHalfButtonId), u"Letters at 224 (code page 1255)");
    SetAccessName(GetDlgItem(dialog, kUnicodeButtonId), u"Letters at 5D0 (Unicode)");
    if (int button = ButtonOfBase(record->FontAsciiBase)) SetCheck(dialog, button, true);
    EnumFontFamilies(dc, nullptr, AddFontFamily, 0);
    ReleaseDC(owner, dc);

    HWND faces = GetDlgItem(dialog, kFaceListId);
    SendMessage(faces, LB_RESETCONTENT, 0, 0);
    for (FontListEntry* e = FontDialog.fontsHead; e; e = e->next)
        SendMessage(faces, LB_ADDSTRING, 0, LPARAM(e->faceName));
    // The list box's own prefix search. On the first start no face is stored, and the first
    // family in sorted order may be a display or symbol face: the one the font system prefers
    // for Hebrew text is chosen instead (and exactly, not by prefix).
    char16_t preferred[LF_FACESIZE];
    LRESULT exact = LB_ERR;
    if (record->FaceName[0] == 0 && GetPreferredHebrewFace(preferred))
        exact = SendMessage(faces, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(preferred));
    if (exact != LB_ERR)
        SendMessage(faces, LB_SETCURSEL, WPARAM(exact), 0);
    else
        SendMessage(faces, LB_SELECTSTRING, WPARAM(-1), LPARAM(record->FaceName));

    HWND sizes = GetDlgItem(dialog, kSizeListId);
    SendMessage(sizes, LB_RESETCONTENT, 0, 0);
    char16_t number[16];
    // A stored size smaller than the list's first goes in front of it.
    if (record->FontSize != 0 && record->FontSize < kFontSizes[0])
        SendMessage(sizes, LB_ADDSTRING, 0, LPARAM(Decimal(record->FontSize, number)));
    for (int size : kFontSizes) SendMessage(sizes, LB_ADDSTRING, 0, LPARAM(Decimal(size, number)));
    if (record->FontSize != 0)
        SendMessage(sizes, LB_SELECTSTRING, WPARAM(-1), LPARAM(Decimal(record->FontSize, number)));
    SetFocus(faces);
}

// Lays the controls out in pixels for a client of cw × ch: the face list takes two thirds of
// the width and height, the size list and the buttons the rest of the width, the sample the
// rest of the height.
void OnSize(HWND dialog, int cw, int ch) {
    int w = cw - 2 * kMargin, h = ch - 2 * kMargin;
    int W = (2 * w) / 3, H = (2 * h) / 3;
    auto move = [&](int id, int x, int y, int width, int height) {
        if (HWND c = GetDlgItem(dialog, id)) MoveWindow(c, x, y, width, height, TRUE);
    };
    move(kFaceListId, kMargin, kMargin, W - kMargin, H - kMargin);
    move(kSizeListId, W + kMargin, 59, w - W, H - 59);
    move(kSampleId, kMargin, H, w, h - H);
    move(kLatinButtonId, W + kMargin, kMargin, w - W, kButtonHeight);
    move(kUpperHalfButtonId, W + kMargin, 24, w - W, kButtonHeight);
    move(kUnicodeButtonId, W + kMargin, 41, w - W, kButtonHeight);
}

// The sample lets go of the preview font before it is deleted.
void DeletePreviewFont(HWND dialog) {
    if (!FontDialog.previewFont) return;
    if (HWND sample = GetDlgItem(dialog, kSampleId)) SendMessage(sample, WM_SETFONT, 0, FALSE);
    DeleteObject(FontDialog.previewFont);
    FontDialog.previewFont = nullptr;
}

}  // namespace

int AddFontFamily(const LOGFONT* lf, const TEXTMETRIC* tm, DWORD, LPARAM) {
    if (FontDialog.freeCount == 0) {
        auto* block =
            static_cast<FontListEntry*>(HeapAllocBlock(sizeof(FontListEntry) * kFontBlockEntries));
        if (!block) return 0;
        std::memset(block, 0, sizeof(FontListEntry) * kFontBlockEntries);
        block->blockStart = 1;
        FontDialog.freeEntry = block;
        FontDialog.freeCount = kFontBlockEntries;
    }
    FontListEntry* e = FontDialog.freeEntry++;
    --FontDialog.freeCount;
    for (int i = 0; i < LF_FACESIZE - 1 && lf->lfFaceName[i]; ++i)
        e->faceName[i] = lf->lfFaceName[i];
    e->charSet = tm->tmCharSet;
    *FontDialog.fontsTail = e;
    FontDialog.fontsTail = &e->next;
    return 1;
}

// The entries of a block lie in order in the list, so each block is released once the walk has
// passed all of its entries.
void FreeFontList() {
    FontListEntry* e = FontDialog.fontsHead;
    while (e) {
        FontListEntry* block = e->blockStart ? e : nullptr;
        e = e->next;
        while (e && !e->blockStart) e = e->next;
        HeapFreeBlock(block);
    }
    EmptyFontList();
}

void SetSampleText(HWND dialog, int base) {
    char16_t codes[kSampleCodes + 1];
    for (int i = 0; i < kSampleCodes; ++i) codes[i] = char16_t(base + kSampleCodes - 1 - i);
    codes[kSampleCodes] = 0;
    gSampleBase = base;
    SetDlgItemText(dialog, kSampleId, codes);
}

void ApplyFontChoice(HWND dialog, int mode) {
    LOGFONT& preview = FontDialog.preview;
    char16_t text[LF_FACESIZE];
    if (SelectedText(dialog, kFaceListId, text))
        std::memcpy(preview.lfFaceName, text, sizeof preview.lfFaceName);
    if (SelectedText(dialog, kSizeListId, text)) {
        LONG value = 0;
        for (int i = 0; text[i]; ++i) value = value * 10 + (text[i] - 48);
        preview.lfHeight = value;
    }
    DeletePreviewFont(dialog);
    if ((mode & kHebrewRule) && preview.lfFaceName[0]) {
        FontListEntry* e = FontDialog.fontsHead;
        while (e && std::memcmp(e->faceName, preview.lfFaceName, sizeof e->faceName) != 0)
            e = e->next;
        if (e && e->charSet == HEBREW_CHARSET && !IsChecked(dialog, kUnicodeButtonId)) {
            SetCheck(dialog, kUpperHalfButtonId, false);
            SetCheck(dialog, kLatinButtonId, false);
            SetCheck(dialog, kUnicodeButtonId, true);
            if (!(mode & kCommitChoice)) SetSampleText(dialog, kUnicodeAsciiBase);
        }
    }
    if (mode & kCommitChoice) {
        // The record is the open dialog's own; without one (the dialog is gone) nothing is
        // written.
        FontRecord* record = FontDialog.fontRecord;
        if (!record) return;
        if (preview.lfHeight != 0) record->FontSize = preview.lfHeight;
        if (IsChecked(dialog, kUpperHalfButtonId))
            record->FontAsciiBase = kUpperHalfBase;
        else if (IsChecked(dialog, kLatinButtonId))
            record->FontAsciiBase = kLatinBase;
        else if (IsChecked(dialog, kUnicodeButtonId))
            record->FontAsciiBase = kUnicodeAsciiBase;
        if (preview.lfFaceName[0])
            std::memcpy(record->FaceName, preview.lfFaceName, sizeof record->FaceName);
        return;
    }
    FontDialog.previewFont = CreateFontIndirect(&preview);
    if (HWND sample = GetDlgItem(dialog, kSampleId))
        SendMessage(sample, WM_SETFONT, WPARAM(FontDialog.previewFont), TRUE);
}

// Returns 1 for OK and Cancel, which end the dialog, and 1 for WM_DESTROY; 0 otherwise.
LRESULT ChooseFontProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            OnInitDialog(dialog, reinterpret_cast<FontRecord*>(lp));
            return 0;
        case WM_SIZE:
            OnSize(dialog, LOWORD(uintptr_t(lp)), HIWORD(uintptr_t(lp)));
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == 1 && App.TaskbarWindow) ShowWindow(App.TaskbarWindow, SW_HIDE);
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:
                    ApplyFontChoice(dialog, kCommitChoice);
                    FreeFontList();
                    EndDialog(dialog, IDOK);
                    return 1;
                case IDCANCEL:
                    DeletePreviewFont(dialog);
                    FreeFontList();
                    EndDialog(dialog, IDCANCEL);
                    return 1;
                // Only a new selection previews: the lists also report gaining and losing the
                // focus, and the face list gains it as the dialog opens, which would apply the
                // Hebrew rule to a stored 97 or 224 before the user chose anything.
                case kFaceListId:
                case kSizeListId:
                    if (HIWORD(wp) == LBN_SELCHANGE) ApplyFontChoice(dialog, kHebrewRule);
                    return 0;
                case kLatinButtonId:
                    SetSampleText(dialog, kLatinBase);
                    ApplyFontChoice(dialog, kPreviewChoice);
                    return 0;
                case kUpperHalfButtonId:
                    SetSampleText(dialog, kUpperHalfBase);
                    ApplyFontChoice(dialog, kPreviewChoice);
                    return 0;
                case kUnicodeButtonId:
                    SetSampleText(dialog, kUnicodeAsciiBase);
                    ApplyFontChoice(dialog, kPreviewChoice);
                    return 0;
            }
            return 0;
        case WM_DESTROY:
            // Also when the dialog goes without OK or Cancel (its owner was destroyed).
            DeletePreviewFont(dialog);
            FreeFontList();
            return 1;
    }
    return 0;
}

intptr_t RunFontDialog(HWND owner, FontRecord* record) {
    return DialogBoxParam(App.Instance, kFontDialogId, owner, ChooseFontProc, LPARAM(record));
}
