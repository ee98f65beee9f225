#include "shell/menu_bar.h"

#include "platform/resources.h"
#include "reader/app_state.h"

namespace {

constexpr UINT kMenuBarId = 102;
constexpr WORD kToolImages = 114;

const TBBUTTON kToolButtons[6] = {
    {0, 110, TBSTATE_ENABLED, TBSTYLE_BUTTON, {0, 0}, 0, -1},
    {1, 119, TBSTATE_ENABLED, TBSTYLE_BUTTON, {0, 0}, 0, -1},
    {2, 109, TBSTATE_ENABLED, TBSTYLE_BUTTON, {0, 0}, 0, -1},
    {3, 40006, TBSTATE_ENABLED, TBSTYLE_BUTTON, {0, 0}, 0, -1},
    {4, 116, TBSTATE_ENABLED, TBSTYLE_BUTTON, {0, 0}, 0, -1},
    {5, 117, TBSTATE_ENABLED, TBSTYLE_BUTTON, {0, 0}, 0, -1},
};

LPCWSTR kToolTips[7] = {nullptr,  u"Previous Article", u"Choose Article", u"Next Article",
                        u"Choose Font", u"Search", u"Search Again"};


}  // namespace

void CreateMenuBar(HWND window) {
    OSVERSIONINFO version{sizeof(OSVERSIONINFO), 0, 0, 0, 0};
    GetVersionEx(&version);
    if ((version.dwMajorVersion == 4 && version.dwMinorVersion >= 21) || version.dwMajorVersion > 4)
        App.MenuBarOnBottom = 1;
    // Any other non-zero switch value means the shell bar too; the pane layout then reserves
    // its height at the bottom.
    if (App.MenuBarOnBottom != 0) App.MenuBarOnBottom = 1;
    if (App.MenuBarOnBottom == 0) {
        App.MenuBar = CommandBar_Create(App.Instance, window, 1);
        App.MenuBarHeight = CommandBar_Height(App.MenuBar);
        CommandBar_InsertMenubar(App.MenuBar, App.Instance, kMenuBarId, 0);
    } else {
        SHMENUBARINFO info{sizeof(SHMENUBARINFO), window, SHCMBF_HIDESIPBUTTON, kMenuBarId,
                           App.Instance, 0, 0, nullptr};
        if (SHCreateMenuBar(&info)) App.MenuBar = info.hwndMB;
        RECT r{};
        GetWindowRect(App.MenuBar, &r);
        App.MenuBarHeight = r.bottom - r.top;
    }
    if (!App.MenuBar) return;
    SendMessage(App.MenuBar, TB_SETTOOLTIPS, 7, LPARAM(kToolTips));
    SendMessage(App.MenuBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    TBADDBITMAP images{App.Instance, kToolImages};
    SendMessage(App.MenuBar, TB_ADDBITMAP, 6, LPARAM(&images));
    SendMessage(App.MenuBar, TB_ADDBUTTONS, 6, LPARAM(kToolButtons));
    if (App.FullScreen && App.MenuBarOnBottom == 0) CommandBar_AddAdornments(App.MenuBar, 0, 0);
    ShowWindow(App.MenuBar, SW_SHOW);
}
