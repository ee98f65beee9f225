#pragma once
// The About dialog (template 103): product name, logo, version, a notice line and a link to the
// maker's site drawn as a hyperlink.
#include "platform/user/user.h"

constexpr WORD kAboutDialogId = 103;
constexpr int kAboutLinkId = 1025;

LRESULT AboutDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
// Runs the dialog modally over the owner.
void RunAboutDialog(HWND owner);
