// Menu 102 with the pop-ups "&Go" and "&Bottom", the menu-bar description 102 that puts them on
// the shell's menu bar as the buttons "Go" and "Bottom", and those two button strings.
#include "platform/bars/menu.h"
#include "platform/resources.h"

namespace {

constexpr MenuTemplateItem kMainMenu[] = {
    {MF_POPUP, 0, u"&Go"},
    {MF_STRING, 40004, u"&About"},
    {MF_STRING, 129, u"Check For &Updates"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, 40006, u"F&ont\tCtrl+F"},
    {MF_STRING, 122, u"Re&verse"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, 119, u"&Index\tCtrl+D"},
    {MF_STRING, 123, u"&Bookmark\tCtrl+B"},
    {MF_STRING, 110, u"&Previous Article"},
    {MF_STRING, 109, u"&Next Article"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, 116, u"&Search\tAlt+F3"},
    {MF_STRING, 117, u"Search A&gain\tF3"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, 40007, u"&Copy\tCtrl+C"},
    {MF_STRING, 40009, u"&Append to ClipBoard\tCtrl+E"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, 40005, u"E&xit\tCtrl+Q"},
    {MF_POPUP | MF_END, 0, u"&Bottom"},
    {MF_STRING, 414, u"1/&4 Screen"},
    {MF_STRING, 413, u"1/&3 Screen"},
    {MF_STRING, 412, u"1/&2 Screen"},
    {MF_STRING, 423, u"2/3 Screen"},
    {MF_STRING, 434, u"3/4 Screen"},
    {MF_STRING | MF_END, 401, u"&None"},
};
constexpr MenuTemplate kMainMenuTemplate{kMainMenu, int(sizeof kMainMenu / sizeof kMainMenu[0])};

// The menu id, the button count, then per button: image, command, state, style, string id, 0,
// pop-up index. Image 0xFFFE (-2) is none; state 4 enabled; style 0x18 drop-down, auto-size.
constexpr WORD kMenuBar[] = {
    102, 2,
    0xFFFE, 40001, 4, 0x18, 302, 0, 0,
    0xFFFE, 40003, 4, 0x18, 304, 0, 1,
};

}  // namespace

void RegisterMenus() {
    static const ResourceBlob blobs[] = {
        {RT_MENU, 102, &kMainMenuTemplate, sizeof kMainMenuTemplate},
        {RT_RCDATA, 102, kMenuBar, sizeof kMenuBar},
        {RT_STRING, 302, u"Go", sizeof u"Go"},
        {RT_STRING, 304, u"Bottom", sizeof u"Bottom"},
    };
    RegisterResources(blobs);
}
