// The shell's menu bar: built from a menu-bar description along the bottom of its parent.
#include <string>
#include <vector>

#include "platform/bars/bar_internal.h"
#include "platform/bars/menu.h"
#include "platform/resources.h"
#include "platform/user/user.h"

namespace {

constexpr int kWordsPerButton = 7;
constexpr short kNoImage = -2;

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || !IsWindow(info->hwndParent)) return FALSE;
    HRSRC res = FindResource(info->hInstRes, WORD(info->nToolBarId), RT_RCDATA);
    const auto* words = static_cast<const WORD*>(LoadResource(info->hInstRes, res));
    size_t count = SizeofResource(info->hInstRes, res) / 2;
    if (!words || count < 2) return FALSE;
    size_t buttons = words[1];
    if (count < 2 + buttons * kWordsPerButton) return FALSE;  // a description cut short
    HMENU menu = LoadMenu(info->hInstRes, words[0]);
    if (!menu) return FALSE;
    HWND bar = CreateBar(info->hwndParent, int(info->nToolBarId), BarEdge::Bottom, true);
    if (!bar) {
        DestroyMenu(menu);
        return FALSE;
    }
    SetBarMenu(bar, menu);
    for (size_t i = 0; i < buttons; ++i) {
        const WORD* b = words + 2 + i * kWordsPerButton;
        short image = short(b[0]);
        char16_t text[64] = {};
        LoadString(info->hInstRes, b[4], text, 64);
        HMENU popup = GetSubMenu(menu, b[6]);
        if (image == kNoImage || popup) {
            AddMenuButton(bar, int(i), b[1], text, popup);
        } else {
            TBBUTTON tb{image, b[1], BYTE(b[2]), BYTE(b[3]), {0, 0}, 0, 0};
            SendMessage(bar, TB_ADDBUTTONS, 1, LPARAM(&tb));
        }
    }
    info->hwndMB = bar;
    return TRUE;
}
