// The bookmark list, its registry value and the Bookmark command with its check mark.
#include "bookmarks/bookmarks.h"

#include <vector>

#include "platform/heap.h"
#include "platform/user/message_box.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "reader/checked_alloc.h"
#include "reader/menus.h"
#include "reader/settings.h"

namespace {

// Bit 0 of SkipRemoveQuestion: remove without asking, for the rest of the run.
constexpr uint16_t kSkipQuestion = 1;

uint16_t ReadLittleEndian(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

}  // namespace

// The stored value is taken apart whole entry by whole entry (an odd last byte is no entry) up
// to its first 0, and always gets a 0 after what was kept: a value written by another program
// may lack the terminator, hold entries after a 0 (which adding would hide behind it) or repeat
// a number; none of that may make the list read past its block or lose a bookmark that is added
// later. Numbers outside 1-26 stay: they are saved again, and simply have no index entry.
void LoadBookmarks() {
    // A list from an earlier load is released first, so that none is left behind.
    FreeBookmarks();
    uint32_t size = 0;
    uint8_t* value = ReadBlob(kBookmarksValue, nullptr, &size);
    if (!value) return;
    const size_t entries = size / 2;
    size_t count = 0;
    while (count < entries && count < kMaxBookmarks && ReadLittleEndian(value + 2 * count) != 0)
        ++count;
    auto* list = static_cast<uint16_t*>(CheckedAlloc((count + 1) * sizeof(uint16_t)));
    if (list) {
        std::vector<bool> seen(0x10000, false);
        size_t kept = 0;
        for (size_t i = 0; i < count; ++i) {
            const uint16_t n = ReadLittleEndian(value + 2 * i);
            if (seen[n]) continue;
            seen[n] = true;
            list[kept++] = n;
        }
        list[kept] = 0;
        App.BookmarkList = list;
        App.BookmarkCount = uint16_t(kept);
    }
    HeapFreeBlock(value);
}

void SaveBookmarks() {
    std::vector<uint8_t> bytes(2, 0);
    if (App.BookmarkList) {
        bytes.assign((size_t(App.BookmarkCount) + 1) * 2, 0);
        for (size_t i = 0; i < App.BookmarkCount; ++i) {
            bytes[2 * i] = uint8_t(App.BookmarkList[i] & 0xFF);
            bytes[2 * i + 1] = uint8_t(App.BookmarkList[i] >> 8);
        }
    }
    WriteBlob(kBookmarksValue, bytes.data(), uint32_t(bytes.size()));
}

void FreeBookmarks() {
    HeapFreeBlock(App.BookmarkList);
    App.BookmarkList = nullptr;
    App.BookmarkCount = 0;
}

bool IsBookmarked() {
    if (!App.BookmarkList) return false;
    for (const uint16_t* p = App.BookmarkList; *p; ++p)
        if (*p == App.Lesson) return true;
    return false;
}

void AddBookmark() {
    if (IsBookmarked() || App.BookmarkCount >= kMaxBookmarks) return;
    auto* list =
        static_cast<uint16_t*>(HeapAllocBlock((size_t(App.BookmarkCount) + 2) * sizeof(uint16_t)));
    if (!list) return;
    for (size_t i = 0; i < App.BookmarkCount; ++i) list[i] = App.BookmarkList[i];
    HeapFreeBlock(App.BookmarkList);
    list[App.BookmarkCount] = App.Lesson;
    ++App.BookmarkCount;
    list[App.BookmarkCount] = 0;
    App.BookmarkList = list;
}

void RemoveBookmark() {
    if (!App.BookmarkList) return;
    uint16_t* list = App.BookmarkList;
    size_t kept = 0;
    for (size_t i = 0; list[i]; ++i) {
        if (list[i] == App.Lesson)
            --App.BookmarkCount;
        else
            list[kept++] = list[i];
    }
    list[kept] = 0;
}

void ToggleBookmark(bool bookmarked) {
    if (!bookmarked) {
        AddBookmark();
        return;
    }
    if (App.SkipRemoveQuestion & kSkipQuestion) {
        RemoveBookmark();
        return;
    }
    // Escape backs out as No does: the Cancel button removes the bookmark, and a user pressing
    // Escape to leave the question alone must not lose it.
    switch (MessageBoxEscaping(App.MainWindow, u"Remove Bookmark?\n\nCancel - Don't ask again",
                               u"Bookmark", MB_YESNOCANCEL, IDNO)) {
        case IDYES:
            RemoveBookmark();
            break;
        case IDCANCEL:
            // Cancel removes this bookmark too, and stops the question until the program ends.
            App.SkipRemoveQuestion |= kSkipQuestion;
            RemoveBookmark();
            break;
        default:
            break;  // No keeps the bookmark
    }
}

int UpdateBookmarkCheck(int mode) {
    return SetMenuCheck(GoMenu(), mode, kCommandBookmark, IsBookmarked() ? 1 : 0);
}
