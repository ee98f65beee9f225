#include "search/search_field.h"

#include <cstddef>
#include <string>

#include "platform/access/access.h"
#include "platform/heap.h"
#include "platform/user/clipboard.h"
#include "platform/user/controls.h"
#include "reader/app_state.h"
#include "search/matcher.h"
#include "text/convert.h"

const char LetterKeyTable[28] = "abcdefghijlkmonqprsutwvxyz{";

namespace {

constexpr char16_t kFirstHebrewLetter = 0x05D0;  // alef
constexpr char16_t kLastHebrewLetter = 0x05EA;   // tav
constexpr uint8_t kFirstLetterCode = 97;
constexpr int kLetterCount = 27;

WNDPROC gFieldProc = nullptr;

// The character that stands for a letter code in the field, as the display font shows it.
char16_t FieldLetter(int letterCode) {
    return char16_t(App.Font.FontAsciiBase + letterCode - kFirstLetterCode);
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int Caret(HWND field) {
    DWORD start = 0;
    SendMessage(field, EM_GETSEL, WPARAM(&start), 0);
    return int(start);
}

bool HasSelection(HWND field) {
    DWORD start = 0, end = 0;
    SendMessage(field, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return start != end;
}

// Replaces the selection with c, undoably, and puts the caret back in front of it. Returns
// false when the field is full: nothing went in, and the caret stays where it was (moving it
// would put the next letter in the wrong place).
bool InsertInFront(HWND field, char16_t c) {
    const int before = GetWindowTextLength(field);
    const bool replacing = HasSelection(field);
    const char16_t one[2] = {c, 0};
    SendMessage(field, EM_REPLACESEL, 1, LPARAM(one));
    if (!replacing && GetWindowTextLength(field) == before) return false;
    const int s = Caret(field);
    SendMessage(field, EM_SETSEL, WPARAM(s - 1), LPARAM(s - 1));
    return true;
}

std::u16string FieldText(HWND field) {
    std::u16string text(size_t(GetWindowTextLength(field)) + 1, u'\0');
    text.resize(size_t(GetWindowText(field, text.data(), int(text.size()))));
    return text;
}

// A digit typed on the desktop keyboard goes after the digits that follow the caret, since a
// number keeps its left-to-right order inside right-to-left text (the book stores it so); the
// caret stays in front of the number.
void InsertDigit(HWND field, char16_t digit) {
    const std::u16string text = FieldText(field);
    const int caret = Caret(field);
    int end = caret;
    while (end < int(text.size()) && IsDigit(text[size_t(end)])) ++end;
    SendMessage(field, EM_SETSEL, WPARAM(end), LPARAM(end));
    const char16_t one[2] = {digit, 0};
    SendMessage(field, EM_REPLACESEL, 1, LPARAM(one));
    SendMessage(field, EM_SETSEL, WPARAM(caret), LPARAM(caret));
}

// Removes one character at [at, at + 1), undoably, and leaves the caret at `caret`.
void RemoveAt(HWND field, int at, int caret) {
    SendMessage(field, EM_SETSEL, WPARAM(at), LPARAM(at + 1));
    SendMessage(field, EM_REPLACESEL, 1, LPARAM(u""));
    SendMessage(field, EM_SETSEL, WPARAM(caret), LPARAM(caret));
}

LRESULT FieldProc(HWND field, UINT msg, WPARAM wp, LPARAM lp);

// Text that arrives at once (a paste) goes in as if its characters were typed one after another
// in reading order: letters in front of the ones before, digit runs in their own order. Line
// breaks and tabs count as spaces. Stops when the field is full.
void PasteAsTyped(HWND field) {
    if (!OpenClipboard(field)) return;
    std::u16string text;
    if (const void* block = GetClipboardData(CF_UNICODETEXT)) {
        const auto* p = static_cast<const char16_t*>(block);
        const size_t units = LocalSize(block) / 2;
        for (size_t i = 0; i < units && p[i]; ++i) text += p[i];
    }
    CloseClipboard();
    for (char16_t c : text) {
        if (c == u'\r') continue;
        if (c == u'\n' || c == u'\t') c = u' ';
        const int before = GetWindowTextLength(field);
        const bool replacing = HasSelection(field);
        FieldProc(field, WM_CHAR, c, 0);
        if (!replacing && GetWindowTextLength(field) == before) break;
    }
}

// The field's procedure while the dialog is open. Typed characters go in front of the caret, as
// the keyboard's keys do, so a word typed in reading order is shown right to left (its first
// letter at the right) and stored as the book stores right-to-left text. Hebrew letters become
// the display font's letters, whatever FontAsciiBase is. Backspace takes back the character
// typed last (the one right of the caret), Delete the one left of it; a paste is typed in (see
// PasteAsTyped). Returns what the edit control returns, or 0 for what is handled here.
LRESULT FieldProc(HWND field, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CHAR && !(GetWindowStyle(field) & ES_READONLY)) {
        const char16_t c = char16_t(wp);
        if (c >= kFirstHebrewLetter && c <= kLastHebrewLetter) {
            InsertInFront(field, FieldLetter(kFirstLetterCode + (c - kFirstHebrewLetter)));
            return 0;
        }
        if (IsDigit(c)) {
            // A selection (the stored word when the dialog opens) is replaced like any text.
            if (HasSelection(field))
                InsertInFront(field, c);
            else
                InsertDigit(field, c);
            return 0;
        }
        if (c >= 0x20 && c != 0x7F) {
            InsertInFront(field, c);
            return 0;
        }
        if (c == 0x08 && !HasSelection(field)) {
            const std::u16string text = FieldText(field);
            const int caret = Caret(field);
            if (caret >= int(text.size())) return 0;
            int at = caret;
            while (IsDigit(text[size_t(at)]) && at + 1 < int(text.size()) &&
                   IsDigit(text[size_t(at) + 1]))
                ++at;
            RemoveAt(field, at, caret);
            return 0;
        }
    }
    if (msg == WM_PASTE && !(GetWindowStyle(field) & ES_READONLY)) {
        PasteAsTyped(field);
        return 0;
    }
    if (msg == WM_KEYDOWN && wp == VK_DELETE && !(GetKeyState(VK_CONTROL) & 0x8000) &&
        !(GetWindowStyle(field) & ES_READONLY) && !HasSelection(field)) {
        const int caret = Caret(field);
        if (caret > 0) RemoveAt(field, caret - 1, caret - 1);
        return 0;
    }
    return CallWindowProc(gFieldProc, field, msg, wp, lp);
}

// The book byte of a character that the Unicode conversion makes of one book byte (a letter
// with marks, a vowel point), or 0.
uint8_t BookByteOf(char16_t c) {
    if (c < 0x0590) return 0;
    for (int i = 0; i < kMappedByteCount; ++i)
        if (UnicodeMap[i].second == 0 && UnicodeMap[i].first == c)
            return uint8_t(kFirstMappedByte + i);
    return 0;
}

}  // namespace

void InsertKeyLetter(HWND dialog, int position) {
    HWND field = GetDlgItem(dialog, kSearchFieldId);
    if (!field || position < 0 || position > kLetterCount) return;
    const char16_t c = position == 0 ? u' ' : FieldLetter(uint8_t(LetterKeyTable[position - 1]));
    InsertInFront(field, c);
}

void ReadSearchInput(const char16_t* text) {
    const int32_t base = App.Font.FontAsciiBase;
    int n = 0;
    for (int i = 0; text && text[i] && i < kSearchStringLimit; ++i) {
        const char16_t c = text[i];
        uint8_t b;
        if (int32_t(c) >= base && int32_t(c) < base + kLetterCount) {
            b = uint8_t(c - base + kFirstLetterCode);
        } else if (c >= kFirstHebrewLetter && c <= kLastHebrewLetter) {
            b = uint8_t(c - kFirstHebrewLetter + kFirstLetterCode);
        } else if (uint8_t book = BookByteOf(c)) {
            // Hebrew with marks reads back as the book byte the field showed it for (its low 8
            // bits would be a wildcard or punctuation: U+FB2A would become "*"). A vowel point
            // is left out: the comparison ignores points in the text, and one in the pattern
            // could only make it fail.
            if (LetterClass(book) == 0) continue;
            b = book;
        } else {
            b = uint8_t(c & 0xFF);
        }
        if (b == ' ' && n > 0 && App.SearchString[n - 1] == ' ') continue;
        App.SearchString[n++] = b;
    }
    App.SearchString[n] = 0;
}

namespace {

// The letter a screen reader is given for a character the field shows: the display font's
// letters are Hebrew letters, whatever FontAsciiBase is.
char16_t ReadLetter(char16_t shown) {
    int code = int(shown) - int(FieldLetter(kFirstLetterCode));
    return code >= 0 && code < kLetterCount ? char16_t(kFirstHebrewLetter + code) : shown;
}

}  // namespace

void TakeDesktopTyping(HWND field) {
    // The field keeps the word as it is shown, right to left; it is read the other way round.
    SetAccessDisplayOrder(field, ReadLetter);
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLong(field, GWL_WNDPROC, reinterpret_cast<intptr_t>(FieldProc)));
    if (old && old != FieldProc) gFieldProc = old;
}
