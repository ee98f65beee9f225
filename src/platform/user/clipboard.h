#pragma once
// The clipboard: open, empty, set, get and close, with registered formats. Blocks handed over
// with SetClipboardData come from LocalAlloc and belong to the clipboard afterwards. The host
// mirrors the contents to the system clipboard (CF_UNICODETEXT as text, "Rich Text Format" as
// RTF) and brings back what other programs put there: only when GetClipboardData asks for text
// or RTF, never on open, so that replacing the contents never waits on another program.
#include <string>

#include "platform/win32_types.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;

// A number from 0xC000 up for a format name (names compare without regard to case), the same
// one each time; 0 for an empty name.
UINT RegisterClipboardFormat(LPCWSTR name);
// Copies the name of a registered format; returns its length, 0 for an unknown format.
int GetClipboardFormatName(UINT format, char16_t* buffer, int capacity);

// Fails while the clipboard is open for another owner.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Frees every block; needs the clipboard open.
BOOL EmptyClipboard();
// Hands the block over (the previous block of the format is freed); returns it, or nullptr when
// the clipboard is not open (the caller then keeps the block).
void* SetClipboardData(UINT format, void* block);
// The block of the format, or nullptr; needs the clipboard open. The block stays the clipboard's.
// When another program owns the system clipboard, the first request for text or RTF after
// opening reads that form from it (briefly: an owner that does not answer gives nothing); RTF
// that is not an RTF document is not taken.
void* GetClipboardData(UINT format);
// Whether the program's own contents hold the format (another program's are not asked for).
BOOL IsClipboardFormatAvailable(UINT format);

// Forgets the contents and the registered names (tests).
void ResetClipboard();

// The text selected in the program, which the desktop offers as its primary selection (pasted
// with the middle button) while it lasts; empty when nothing is selected.
void SetPrimarySelection(const std::u16string& text);
