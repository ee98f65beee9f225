#pragma once
// The program entry, the single-instance rule, the main window's class and creation, the
// message loop, and the two services every part uses: checked allocation and dialog set-up.
#include <cstddef>

#include "platform/user.h"

constexpr char16_t kMainClassName[] = u"Orvanel";
constexpr char16_t kMainTitle[] = u"Orvanel";
constexpr WORD kAcceleratorTableId = 3;
constexpr WORD kMainIconId = 101;
constexpr int kCommandChooseArticle = 119;
// Acts as 119; no menu item carries it, but it is accepted from outside.
constexpr int kCommandChooseArticleToo = 107;
constexpr int kCommandExit = 40005;

int ReaderMain(HINSTANCE instance, HINSTANCE previous, const char16_t* commandLine, int show);
// The main window, or nullptr when this start must end.
HWND StartInstance(int show);
WORD RegisterMainClass(HINSTANCE instance, const char16_t* className);
// A heap block, or nullptr after telling the user and saving the settings (the program then
// ends at the next turn of the message loop).
void* CheckedAlloc(size_t size);
void SetUpDialog(HWND dialog, DWORD flags);
