#include "reader/menus.h"

#include "platform/bars/menu.h"
#include "reader/app_state.h"

namespace {

constexpr UINT kGoButton = 40001;
constexpr UINT kBottomButton = 40003;

HMENU ShellBarMenu(UINT button) {
    if (!App.MenuBar) return nullptr;
    return reinterpret_cast<HMENU>(SendMessage(App.MenuBar, SHCMBM_GETSUBMENU, 0, button));
}

}  // namespace

HMENU GoMenu() {
    if (App.MenuBarOnBottom) return ShellBarMenu(kGoButton);
    return App.MenuBar ? CommandBar_GetMenu(App.MenuBar, 0) : nullptr;
}

HMENU BottomMenu() {
    if (App.MenuBarOnBottom) return ShellBarMenu(kBottomButton);
    return App.MenuBar ? CommandBar_GetMenu(App.MenuBar, 0) : nullptr;
}

int SetMenuCheck(HMENU menu, int setMode, UINT id, uint32_t state) {
    if (setMode) {
        CheckMenuItem(menu, id, MF_BYCOMMAND | (state ? MF_CHECKED : MF_UNCHECKED));
        return state ? 1 : 0;
    }
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    GetMenuItemInfo(menu, id, FALSE, &info);
    if (info.fState & MFS_CHECKED) {
        CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
        return 0;
    }
    CheckMenuItem(menu, id, MF_BYCOMMAND | MF_CHECKED);
    return 1;
}
