#pragma once
// Questions about what is on the screen, for the scripted driver and tests.
#include <string>
#include <string_view>
#include <vector>

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
// The "ok" button a dialog or message box carries in its caption, in screen coordinates; false
// when the window has none.
bool FindCaptionOkButton(HWND top, RECT* screen);

// One control of a dialog, as the driver's `dialog` command shows it.
struct ControlInfo {
    int id = 0;  // -1 for controls nobody asks for
    std::u16string className;
    std::u16string text;
    int checked = -1;  // radio buttons and check boxes: 0 or 1
    bool isList = false;
    std::vector<std::u16string> items;  // list boxes
    int selection = -1;                 // list boxes: the current item, -1 for none
    bool isEdit = false;
    int selStart = 0, selEnd = 0;  // edit fields
    RECT rect{};                   // on the screen
};
// The children of a window in creation order, with what their messages report.
std::vector<ControlInfo> DescribeControls(HWND window);
