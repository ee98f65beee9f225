#pragma once
// The Choose Font dialog (template 105): the display font's face, its size and the
// FontAsciiBase that says where the font keeps the Hebrew letters. It edits the caller's
// FontRecord in place and ends with IDOK (the record was updated) or IDCANCEL.
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/user/user.h"
#include "text/font_record.h"

constexpr WORD kFontDialogId = 105;
constexpr int kFaceListId = 1001;
constexpr int kSampleId = 1002;
constexpr int kLatinButtonId = 1003;      // 97: handled like the others, but no such control exists
constexpr int kUpperHalfButtonId = 1004;  // "224"
constexpr int kUnicodeButtonId = 1005;    // "5D0", 1488
constexpr int kSizeListId = 1006;

// One enumerated font family. Entries come from blocks of kFontBlockEntries, used in order.
struct FontListEntry {
    FontListEntry* next;
    char16_t faceName[LF_FACESIZE];
    uint8_t charSet;
    uint8_t blockStart;  // 1 on the first entry of each block
};
constexpr int kFontBlockEntries = 25;

// The dialog's one process-wide record, zeroed when it opens and when the list is released.
struct FontDialogState {
    FontListEntry* fontsHead;
    FontListEntry** fontsTail;
    FontListEntry* freeEntry;
    HFONT previewFont;
    int32_t freeCount;
    LOGFONT preview;  // only the height and the face name are ever set
    FontRecord* fontRecord;
};
extern FontDialogState FontDialog;

// ApplyFontChoice modes, tested bit by bit.
constexpr int kPreviewChoice = 0;
constexpr int kCommitChoice = 1;
constexpr int kHebrewRule = 2;

LRESULT ChooseFontProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
// The enumeration callback: adds one family; 0 stops the enumeration when no block can be had.
int AddFontFamily(const LOGFONT* lf, const TEXTMETRIC* tm, DWORD fontType, LPARAM param);
void FreeFontList();
// The 27 codes base + 26 down to base, as the sample's text.
void SetSampleText(HWND dialog, int base);
void ApplyFontChoice(HWND dialog, int mode);

// Runs the dialog modally over the owner on the record; returns IDOK or IDCANCEL.
intptr_t RunFontDialog(HWND owner, FontRecord* record);
