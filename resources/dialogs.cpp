// Dialog templates 103 (About), 105 (Choose Font), 115 (Search), 118 (Choose Section) and 121
// (Find All), in dialog units of their "System" 8 font. All share one style word, and their
// captions carry the shell's OK button.
#include "about/maker_site.h"
#include "platform/resources.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"

namespace {

// WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT.
constexpr DWORD kDialogStyle = 0x90C80840;
static_assert(kDialogStyle ==
              (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT));
constexpr DWORD kDialogExStyle = WS_EX_CAPTIONOKBTN;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr WORD kNoId = 0xFFFF;  // -1: a control nobody asks for

constexpr DialogItemTemplate kAboutItems[] = {
    {u"STATIC", u"", kNoId, kChild | WS_GROUP | SS_NOPREFIX, 0, 7, 7, 81, 8},
    {u"STATIC", u"", kNoId, kChild | SS_BITMAP, 0, 88, 7, 47, 20, 113},
    {u"STATIC", u"Version 1.84a", kNoId, kChild | WS_GROUP, 0, 7, 24, 45, 8},
    {u"STATIC", u"Copyright (C) Velmora", kNoId, kChild | WS_GROUP, 0, 7, 41, 80, 8},
    {u"BUTTON", kMakerHost, 1025, kChild | WS_TABSTOP | BS_OWNERDRAW, 0, 7, 58, 100, 8},
};

constexpr DialogItemTemplate kFontItems[] = {
    {u"LISTBOX", u"", 1001, 0x50A30103, 0, 7, 7, 107, 94},
    {u"LISTBOX", u"", 1006, 0x50A30101, 0, 120, 44, 25, 56},
    {u"EDIT", u"", 1002, 0x50810046, 0, 7, 106, 138, 50},
    {u"BUTTON", u"224", 1004, 0x50000009, 0, 116, 19, 29, 10},
    {u"BUTTON", u"5D0", 1005, 0x50000009, 0, 116, 31, 29, 10},
};
static_assert(0x50A30103 == (kChild | WS_BORDER | WS_VSCROLL | WS_GROUP | WS_TABSTOP |
                             LBS_NOINTEGRALHEIGHT | LBS_SORT | LBS_NOTIFY));
static_assert(0x50810046 ==
              (kChild | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_RIGHT | ES_AUTOVSCROLL));

constexpr DialogItemTemplate kSearchItems[] = {
    {u"STATIC", u"Search", kNoId, kChild | WS_GROUP | SS_CENTER | SS_NOPREFIX, 0, 7, 7, 70, 8},
    {u"EDIT", u"", 1013, kChild | WS_BORDER | WS_TABSTOP | ES_RIGHT | ES_AUTOHSCROLL, 0, 7, 21, 112,
     43},
    {u"STATIC", u"", kNoId, kChild | SS_BITMAP, 0, 7, 71, 0, 0, 119},
    // Find All stands beside the caption's OK, on the title's row.
    {u"BUTTON", u"Find All", 1014, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 80, 4, 46, 13},
};

// The search dialog is wide and tall enough for the 154 x 95 keyboard below the field.
constexpr DialogTemplate kAbout{kDialogStyle, kDialogExStyle, 0, 0,           130, 85,
                                u"Orvanel",   u"System",      8, kAboutItems, 5};
constexpr DialogTemplate kFont{kDialogStyle,   kDialogExStyle, 0, 0,          152, 167,
                               u"Choose Font", u"System",      8, kFontItems, 5};
constexpr DialogTemplate kSearch{
    kDialogStyle, kDialogExStyle, 0, 0, 140, 150, u"Orvanel", u"System", 8, kSearchItems, 4};
// The Find All list draws itself over the whole client area, as Choose Section does.
constexpr DialogTemplate kFindAll{kDialogStyle, kDialogExStyle, 0, 0,       160, 160,
                                  u"Find All",  u"System",      8, nullptr, 0};
constexpr DialogTemplate kChooseSection{kDialogStyle,      kDialogExStyle, 0, 0,       160, 160,
                                        u"Choose Section", u"System",      8, nullptr, 0};

}  // namespace

void RegisterDialogs() {
    static const ResourceBlob blobs[] = {
        {RT_DIALOG, 103, &kAbout, sizeof kAbout},
        {RT_DIALOG, 105, &kFont, sizeof kFont},
        {RT_DIALOG, 115, &kSearch, sizeof kSearch},
        {RT_DIALOG, 118, &kChooseSection, sizeof kChooseSection},
        {RT_DIALOG, 121, &kFindAll, sizeof kFindAll},
    };
    RegisterResources(blobs);
}
