#pragma once
// Questions about what is on the screen, for the scripted driver and tests.
#include <string>
#include <string_view>

#include "platform/win32_types.h"

struct ModalInfo {
    HWND window = nullptr;
    bool messageBox = false;
    std::u16string caption;
    std::u16string text;  // message boxes only
    UINT style = 0;       // message boxes only
};

// The active top-level window when it is a dialog or a message box.
bool DescribeActiveModal(ModalInfo* info);
// A button of the window, by its text ("&" marks and case ignored).
HWND FindButtonByText(HWND top, std::u16string_view text);
