// Menus and bars with the program's own menu 102 and menu-bar description: check marks, radio
// checks, message 1425, pop-ups opened, chosen from and dismissed with the stylus and keys.
#include <gtest/gtest.h>

#include <vector>

#include "platform/bars/menu.h"
#include "platform/gdi/gdi.h"
#include "platform/resources.h"
#include "platform/user/user.h"
#include "resources/program_resources.h"
#include "support/headless.h"

namespace {

std::vector<std::pair<WORD, LPARAM>> gCommands;
int gCloses = 0;

LRESULT MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) gCommands.push_back({LOWORD(wp), lp});
    if (msg == WM_CLOSE) {
        ++gCloses;
        return 0;
    }
    return DefWindowProc(w, msg, wp, lp);
}

UINT StateOf(HMENU menu, UINT id) {
    MENUITEMINFO mi{sizeof mi, MIIM_STATE, 0, 0, 0, nullptr, nullptr, nullptr, 0, nullptr, 0};
    EXPECT_TRUE(GetMenuItemInfo(menu, id, FALSE, &mi)) << "item " << id;
    return mi.fState;
}

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        gCommands.clear();
        gCloses = 0;
        RegisterProgramResources();
        WNDCLASS wc{};
        wc.lpfnWndProc = MainProc;
        wc.lpszClassName = u"Main";
        wc.hbrBackground = GetStockObject(WHITE_BRUSH);
        RegisterClass(&wc);
        main = CreateWindowEx(0, u"Main", u"Orvanel", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    }
    HWND MenuBar() {
        SHMENUBARINFO mb{sizeof mb, main,   SHCMBF_HIDESIPBUTTON, 102, ProgramInstance(), 0,
                         0,         nullptr};
        EXPECT_TRUE(SHCreateMenuBar(&mb));
        return mb.hwndMB;
    }
    POINT Centre(HWND bar, const char16_t* text) {
        RECT r{};
        EXPECT_TRUE(FindBarButton(bar, text, &r)) << "no button";
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    HeadlessScreen screen;
    HWND main = nullptr;
};

TEST_F(MenusTest, MenuResourceHoldsBothPopUpsWithTheirItems) {
    HMENU menu = LoadMenu(ProgramInstance(), 102);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    HMENU go = GetSubMenu(menu, 0), bottom = GetSubMenu(menu, 1);
    EXPECT_EQ(GetMenuItemCount(go), 18);
    EXPECT_EQ(GetMenuItemCount(bottom), 6);
    char16_t text[64];
    MENUITEMINFO mi{sizeof mi, MIIM_TYPE | MIIM_ID, 0, 0, 0, nullptr, nullptr, nullptr, 0, text,
                    64};
    ASSERT_TRUE(GetMenuItemInfo(go, 3, TRUE, &mi));
    EXPECT_EQ(mi.wID, 40006u);
    EXPECT_EQ(std::u16string(text), u"F&ont\tCtrl+F");
    ASSERT_TRUE(GetMenuItemInfo(go, 2, TRUE, &mi));
    EXPECT_EQ(mi.fType, MFT_SEPARATOR);
    mi.cch = 64;
    ASSERT_TRUE(GetMenuItemInfo(bottom, 5, TRUE, &mi));
    EXPECT_EQ(mi.wID, 401u);
    EXPECT_EQ(std::u16string(text), u"&None");
    DestroyMenu(menu);
}

TEST_F(MenusTest, CheckMarksAndRadioChecksByCommandId) {
    HMENU menu = LoadMenu(ProgramInstance(), 102);
    EXPECT_EQ(CheckMenuItem(menu, 122, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(StateOf(menu, 122) & MFS_CHECKED, MFS_CHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 122, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(StateOf(menu, 122) & MFS_CHECKED, 0u);
    EXPECT_EQ(CheckMenuItem(menu, 9999, MF_BYCOMMAND | MF_CHECKED), 0xFFFFFFFFu);
    // The bottom sizes: one radio check among the ids 401 to 434, whatever their order.
    HMENU bottom = GetSubMenu(menu, 1);
    EXPECT_TRUE(CheckMenuRadioItem(bottom, 401, 434, 412, MF_BYCOMMAND));
    EXPECT_TRUE(CheckMenuRadioItem(bottom, 401, 434, 434, MF_BYCOMMAND));
    for (UINT id : {414u, 413u, 412u, 423u, 401u})
        EXPECT_EQ(StateOf(bottom, id) & MFS_CHECKED, 0u) << id;
    EXPECT_EQ(StateOf(bottom, 434) & MFS_CHECKED, MFS_CHECKED);
    MENUITEMINFO mi{sizeof mi, MIIM_TYPE, 0, 0, 0, nullptr, nullptr, nullptr, 0, nullptr, 0};
    GetMenuItemInfo(bottom, 434, FALSE, &mi);
    EXPECT_TRUE(mi.fType & MFT_RADIOCHECK);
    // A record that is too short for the state field is left alone.
    MENUITEMINFO shortInfo{8, MIIM_STATE, 0, 77, 0, nullptr, nullptr, nullptr, 0, nullptr, 0};
    EXPECT_TRUE(GetMenuItemInfo(bottom, 434, FALSE, &shortInfo));
    EXPECT_EQ(shortInfo.fState, 77u);
    DestroyMenu(menu);
}

TEST_F(MenusTest, MenuBarAnswersGetSubMenuAndSitsAtTheBottom) {
    HWND bar = MenuBar();
    ASSERT_NE(bar, nullptr);
    RECT r;
    GetWindowRect(bar, &r);
    EXPECT_EQ(r.bottom, 320);
    EXPECT_EQ(r.bottom - r.top, 26);
    auto go = reinterpret_cast<HMENU>(SendMessage(bar, SHCMBM_GETSUBMENU, 0, 40001));
    auto bottom = reinterpret_cast<HMENU>(SendMessage(bar, SHCMBM_GETSUBMENU, 0, 40003));
    ASSERT_NE(go, nullptr);
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(GetMenuItemCount(go), 18);
    EXPECT_EQ(GetMenuItemCount(bottom), 6);
    EXPECT_EQ(SendMessage(bar, SHCMBM_GETSUBMENU, 0, 40002), 0);
    EXPECT_TRUE(FindBarButton(bar, u"Go", nullptr));
    EXPECT_TRUE(FindBarButton(bar, u"bottom", nullptr));
    // The bar follows the window's size.
    MoveWindow(main, 0, 0, 240, 200, TRUE);
    GetWindowRect(bar, &r);
    EXPECT_EQ(r.bottom, 200);
}

TEST_F(MenusTest, TapOnItemChoosesItAndPostsTheCommand) {
    HWND bar = MenuBar();
    POINT go = Centre(bar, u"Bottom");
    screen.host().Tap(go.x, go.y);
    // The pop-up stands above the bar; its first item ("1/4 Screen") is its top row.
    bool opened = false;
    screen.onIdle = [&] {
        HWND popup = OpenPopupMenuWindow();
        if (!popup || opened) return false;
        opened = true;
        RECT r;
        GetWindowRect(popup, &r);
        EXPECT_EQ(r.bottom, 320 - 26);
        screen.host().Tap(r.left + 20, r.top + 6);
        return true;
    };
    screen.Settle();
    EXPECT_TRUE(opened);
    EXPECT_EQ(OpenPopupMenuWindow(), nullptr);
    ASSERT_EQ(gCommands.size(), 1u);
    EXPECT_EQ(gCommands[0].first, 414);
}

TEST_F(MenusTest, TapOutsideOrEscapeDismissesWithoutACommand) {
    HWND bar = MenuBar();
    POINT go = Centre(bar, u"Bottom");
    screen.host().Tap(go.x, go.y);
    screen.host().Tap(230, 10);  // far from the pop-up
    screen.host().Tap(go.x, go.y);
    screen.host().Key(VK_ESCAPE);
    screen.host().Tap(go.x, go.y);
    screen.host().Key(VK_DOWN);
    screen.host().Key(VK_DOWN);
    screen.host().Key(VK_RETURN);  // the second item of "Bottom": 1/3 Screen
    screen.Settle();
    ASSERT_EQ(gCommands.size(), 1u);
    EXPECT_EQ(gCommands[0].first, 413);
}

TEST_F(MenusTest, CommandBarCarriesMenuToolButtonsTooltipsAndClose) {
    HWND bar = CommandBar_Create(ProgramInstance(), main, 1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(CommandBar_Height(bar), 26);
    EXPECT_TRUE(CommandBar_InsertMenubar(bar, ProgramInstance(), 102, 0));
    LPCWSTR tips[] = {nullptr,        u"Previous Article", u"Choose Article", u"Next Article",
                      u"Choose Font", u"Search",           u"Search Again"};
    SendMessage(bar, TB_SETTOOLTIPS, 7, LPARAM(tips));
    EXPECT_EQ(CommandBar_AddBitmap(bar, ProgramInstance(), 114, 6, 16, 16), 0);
    TBBUTTON buttons[6] = {};
    int commands[6] = {110, 119, 109, 40006, 116, 117};
    for (int i = 0; i < 6; ++i)
        buttons[i] = TBBUTTON{i, commands[i], TBSTATE_ENABLED, TBSTYLE_BUTTON, {0, 0}, 0, 0};
    EXPECT_TRUE(SendMessage(bar, TB_ADDBUTTONS, 6, LPARAM(buttons)));
    EXPECT_TRUE(CommandBar_AddAdornments(bar, 0, 0));
    EXPECT_TRUE(CommandBar_Show(bar, TRUE));
    HMENU menu = CommandBar_GetMenu(bar, 0);
    EXPECT_EQ(CheckMenuItem(menu, 123, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    screen.Settle();
    // Buttons: Go, Bottom, then six tool buttons of 24 pixels, then the close button.
    RECT goRect{};
    ASSERT_TRUE(FindBarButton(bar, u"Go", &goRect));
    RECT bottomRect{};
    ASSERT_TRUE(FindBarButton(bar, u"Bottom", &bottomRect));
    int firstTool = bottomRect.right;
    // Holding the stylus on "Search" shows its tooltip; lifting sends the command.
    screen.host().Press(firstTool + 4 * 24 + 12, 12);
    screen.Settle();
    EXPECT_EQ(screen.host().Pixel(firstTool + 4 * 24 + 2, 26 + 4), 0xFFFFE1u)
        << "the tooltip's pale yellow below the button";
    screen.host().Release(firstTool + 4 * 24 + 12, 12);
    screen.host().Tap(238, 12);  // the close button
    screen.Settle();
    ASSERT_EQ(gCommands.size(), 1u);
    EXPECT_EQ(gCommands[0].first, 116);
    EXPECT_EQ(gCloses, 1);
}

}  // namespace
