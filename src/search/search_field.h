#pragma once
// The Search dialog's field: letters from the on-screen keyboard and from the desktop keyboard,
// and reading what it holds into SearchString.
#include <cstdint>

#include "platform/user/user.h"

constexpr int kSearchFieldId = 1013;

// The letters of the keyboard's 27 keys, key position p standing for LetterKeyTable[p - 1];
// position 0 is the space bar.
extern const char LetterKeyTable[28];

// Puts the letter of a key position (0-27) into the field in place of its selection and leaves
// the caret in front of it, so the next key goes in front: a word typed on the keyboard is
// stored in the reverse of the order of its taps, which is how right-to-left text is stored.
// Nothing happens without the field or for another position.
void InsertKeyLetter(HWND dialog, int position);

// Turns the field's text (at most 33 characters) into SearchString: letters of the display font
// (FontAsciiBase on) and Hebrew letters U+05D0-U+05EA become the letter codes 97-123, a run of
// spaces becomes one space, and other characters become book bytes (see the definition).
void ReadSearchInput(const char16_t* text);

// Makes the field take typed text as the on-screen keyboard does (see the definition).
void TakeDesktopTyping(HWND field);
