#pragma once
// The program entry, the single-instance rule, the main window's class and creation and the
// message loop.
#include <cstddef>

#include "platform/user/user.h"
#include "reader/checked_alloc.h"
#include "reader/dialog_setup.h"

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
