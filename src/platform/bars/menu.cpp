// Menus: the records behind HMENU, menu resources, check marks and radio checks, and pop-up
// menus that follow the stylus in a loop of their own.
#include "platform/bars/menu.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/bars/bar_internal.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/resources.h"
#include "platform/user/user.h"
#include "platform/user/window_internal.h"

struct Menu {
    struct Item {
        std::u16string text;
        UINT id = 0;
        UINT type = MFT_STRING;
        UINT state = MFS_ENABLED;
        HMENU popup = nullptr;
    };
    std::vector<Item> items;
};

namespace {

std::set<Menu*>& LiveMenus() {
    static auto* menus = new std::set<Menu*>;  // kept for the life of the process
    return *menus;
}

HMENU NewMenu() {
    auto* m = new Menu;
    LiveMenus().insert(m);
    return m;
}

// The item and the menu that holds it, by command id (searching pop-ups, depth first) or by
// position.
Menu::Item* FindItem(HMENU menu, UINT item, UINT flags, HMENU* holder = nullptr) {
    if (!IsMenu(menu)) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= menu->items.size()) return nullptr;
        if (holder) *holder = menu;
        return &menu->items[item];
    }
    for (Menu::Item& it : menu->items) {
        if (!it.popup && !(it.type & MFT_SEPARATOR) && it.id == item) {
            if (holder) *holder = menu;
            return &it;
        }
        if (it.popup)
            if (Menu::Item* found = FindItem(it.popup, item, flags, holder)) return found;
    }
    return nullptr;
}

// Builds one level of a template from `at`; returns the index after it.
int BuildLevel(const MenuTemplate& t, int at, HMENU menu) {
    while (at < t.count) {
        const MenuTemplateItem& it = t.items[at++];
        if (it.flags & MF_POPUP) {
            HMENU sub = CreatePopupMenu();
            at = BuildLevel(t, at, sub);
            AppendMenu(menu, (it.flags & ~MF_END) | MF_POPUP, uintptr_t(sub), it.text);
        } else {
            AppendMenu(menu, it.flags & ~MF_END, it.id, it.text);
        }
        if (it.flags & MF_END) break;
    }
    return at;
}

}  // namespace

MenuLabel ParseMenuLabel(std::u16string_view text) {
    MenuLabel label;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&' && label.mark < 0) label.mark = int(label.text.size());
        }
        label.text += text[i];
    }
    return label;
}

unsigned MenuLabelKey(const MenuLabel& label) {
    if (label.mark < 0) return 0;
    char16_t c = label.text[size_t(label.mark)];
    if (c >= u'a' && c <= u'z') return unsigned(c - u'a' + 'A');
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return unsigned(c);
    return 0;
}

int MenuLabelWidth(HDC dc, const std::u16string& text) {
    SIZE size{};
    GetTextExtentPoint32(dc, text.data(), int(text.size()), &size);
    return text.empty() ? 0 : int(size.cx);
}

void DrawMenuLabel(HDC dc, int x, int y, const MenuLabel& label) {
    SetBkMode(dc, TRANSPARENT);
    ExtTextOut(dc, x, y, 0, nullptr, label.text.data(), UINT(label.text.size()), nullptr);
    if (label.mark < 0) return;
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    int left = x + MenuLabelWidth(dc, label.text.substr(0, size_t(label.mark)));
    int right = x + MenuLabelWidth(dc, label.text.substr(0, size_t(label.mark) + 1)) - 1;
    HPEN pen = CreatePen(PS_SOLID, 0, GetTextColor(dc));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, left, y + tm.tmAscent + 1, nullptr);
    LineTo(dc, right, y + tm.tmAscent + 1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

HMENU CreateMenu() {
    return NewMenu();
}
HMENU CreatePopupMenu() {
    return NewMenu();
}
BOOL IsMenu(HMENU menu) {
    return menu && LiveMenus().count(menu) ? TRUE : FALSE;
}

BOOL DestroyMenu(HMENU menu) {
    if (!IsMenu(menu)) return FALSE;
    for (Menu::Item& it : menu->items)
        if (it.popup) DestroyMenu(it.popup);
    LiveMenus().erase(menu);
    delete menu;
    return TRUE;
}

HMENU LoadMenu(HINSTANCE instance, WORD id) {
    HRSRC res = FindResource(instance, id, RT_MENU);
    auto* t = static_cast<const MenuTemplate*>(LoadResource(instance, res));
    if (!t) return nullptr;
    HMENU menu = CreateMenu();
    BuildLevel(*t, 0, menu);
    return menu;
}

BOOL AppendMenu(HMENU menu, UINT flags, uintptr_t idOrPopup, LPCWSTR text) {
    if (!IsMenu(menu)) return FALSE;
    Menu::Item it;
    it.text = text ? text : u"";
    it.type = (flags & MF_SEPARATOR) ? MFT_SEPARATOR : MFT_STRING;
    it.state = (flags & MF_CHECKED) | ((flags & (MF_GRAYED | MF_DISABLED)) ? MFS_GRAYED : 0);
    if (flags & MF_POPUP)
        it.popup = reinterpret_cast<HMENU>(idOrPopup);
    else
        it.id = UINT(idOrPopup);
    menu->items.push_back(std::move(it));
    return TRUE;
}

HMENU GetSubMenu(HMENU menu, int position) {
    if (!IsMenu(menu) || position < 0 || size_t(position) >= menu->items.size()) return nullptr;
    return menu->items[size_t(position)].popup;
}

int GetMenuItemCount(HMENU menu) {
    return IsMenu(menu) ? int(menu->items.size()) : -1;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    Menu::Item* it = FindItem(menu, item, flags);
    if (!it) return 0xFFFFFFFF;
    DWORD old = it->state & MFS_CHECKED;
    it->state = (it->state & ~MFS_CHECKED) | (flags & MF_CHECKED);
    return old;
}

DWORD EnableMenuItem(HMENU menu, UINT item, UINT flags) {
    Menu::Item* it = FindItem(menu, item, flags);
    if (!it) return 0xFFFFFFFF;
    DWORD old = it->state & MFS_GRAYED;
    it->state = (it->state & ~MFS_GRAYED) | ((flags & (MF_GRAYED | MF_DISABLED)) ? MFS_GRAYED : 0);
    return old;
}

BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFO* info) {
    if (!info) return FALSE;
    Menu::Item* it = FindItem(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    if (!it) return FALSE;
    // Only the fields inside the record the caller says it has are written.
    auto fits = [&](size_t offset, size_t size) { return offset + size <= info->cbSize; };
    if ((info->fMask & MIIM_STATE) && fits(offsetof(MENUITEMINFO, fState), sizeof(UINT)))
        info->fState = it->state;
    if ((info->fMask & MIIM_ID) && fits(offsetof(MENUITEMINFO, wID), sizeof(UINT)))
        info->wID = it->id;
    if ((info->fMask & MIIM_SUBMENU) && fits(offsetof(MENUITEMINFO, hSubMenu), sizeof(HMENU)))
        info->hSubMenu = it->popup;
    if ((info->fMask & MIIM_TYPE) && fits(offsetof(MENUITEMINFO, cch), sizeof(UINT))) {
        info->fType = it->type;
        if (info->dwTypeData && info->cch > 0) {
            size_t n = std::min<size_t>(it->text.size(), info->cch - 1);
            std::memcpy(info->dwTypeData, it->text.data(), n * 2);
            info->dwTypeData[n] = 0;
        }
        info->cch = UINT(it->text.size());
    }
    return TRUE;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    HMENU holder = nullptr;
    if (!FindItem(menu, check, flags, &holder)) return FALSE;
    bool byPos = flags & MF_BYPOSITION;
    for (size_t i = 0; i < holder->items.size(); ++i) {
        Menu::Item& it = holder->items[i];
        if (it.popup || (it.type & MFT_SEPARATOR)) continue;
        UINT key = byPos ? UINT(i) : it.id;
        if (key < first || key > last) continue;
        if (key == check) {
            it.state |= MFS_CHECKED;
            it.type |= MFT_RADIOCHECK;
        } else {
            it.state &= ~MFS_CHECKED;
        }
    }
    return TRUE;
}

std::u16string MenuTitleOf(HMENU menu) {
    for (Menu* m : LiveMenus())
        for (const Menu::Item& item : m->items)
            if (item.popup == menu) return ParseMenuLabel(item.text).text;
    return {};
}
