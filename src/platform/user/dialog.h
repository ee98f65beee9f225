#pragma once
// Shared by dialogs and message boxes inside the platform.
#include "platform/unicode.h"
#include "platform/user/dialog_template.h"
#include "platform/user/user.h"

struct Window;
bool EqualsClass(const Window* w, const char16_t* name);
HWND CreateDialogWindow(const DialogTemplate* t, HWND owner, DLGPROC proc, LPARAM param);
// Runs the nested loop of a modal window until EndDialog or its destruction; disables the
// owner meanwhile. Returns the EndDialog value (0 when the window was destroyed first).
intptr_t RunModal(HWND dlg, HWND owner, bool ownerWasEnabled);
bool IsDialogKeyMessage(HWND dlg, MSG* m);
// The answer a message box gives to Escape when its caller chose one, else 0 (Escape is
// Cancel).
int MessageBoxEscapeAnswer(HWND box);
// Kept by the message queue: the stack of windows running a modal loop. Leaving the last one
// posts the messages held for the end of the modal loops.
void EnterModalLoop(HWND w);
void LeaveModalLoop(HWND w);
